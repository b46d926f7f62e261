// Links and arrow links: collected during the walk, resolved once every topic exists.
#include "freemind/freemind_reader.h"

#include <basalt/file_io.h>
#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <foliant/common/guid_text.h>
#include <foliant/common/hyperlink_description.h>
#include <foliant/common/relationship_properties.h>
#include <foliant/common/topic_text.h>

#include "freemind/link_target.h"

using foliant::freemind::FreemindReader;

namespace {

DWORD FileAttributes(const char16_t* path) { return Basalt::Util::FileAndIOUtil::_GetFileAttributes(path); }

std::u16string ReplaceAll(std::u16string text, std::u16string_view from, std::u16string_view to) {
  for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

int FreemindReader::CollectNodeLink(ImportBase& context, IVtlObject* topic) {
  IKX2XMLElement* element = context.GetCurrentElement();
  LPCWSTR link = element ? context.GetAttributeText(element, u"LINK") : nullptr;
  // An empty LINK names nothing (read as a path it would be the map's own folder).
  if (link && *link) {
    foliant::PendingLink pending;
    pending.target = link;
    pending.topic = kx2::Ref<IVtlObject>::Share(topic);
    links_.push_back(std::move(pending));
  }
  return 1;
}

bool FreemindReader::AttachHyperlink(IVtlObject* topic, const std::u16string& description) {
  PropertyHolder hyperlink(FoliantCreateObject(vantorel::kClassHyperlink));
  return hyperlink && hyperlink.SetPropertyString(vantorel::kPropHyperlinkText, description.c_str()) &&
         SetCurrent(topic) && Attach(vantorel::kRoleHyperlink, hyperlink.Get());
}

bool FreemindReader::ResolveLinks() {
  bool ok = true;
  for (foliant::PendingLink& pending : links_) {
    const std::u16string text = ReplaceAll(pending.target, u"%20", u" ");
    auto target = foliant::freemind::ClassifyLink(text, folder_, FileAttributes);
    if (!target) continue;
    std::u16string description;
    if (target->kind == foliant::kLinkCurrent) {
      auto node = nodes_.find(target->nodeId);
      if (node == nodes_.end()) continue;
      IVtlObject* destination = node->second.get();
      GUID documentGuid{}, topicGuid{};
      kx2::Ref<IVtlObject> documentObject(model_->GetDocumentObject());
      if (!documentObject || !documentObject->GetObjectGuid(&documentGuid) || !destination->GetGuid(&topicGuid)) {
        ok = false;
        continue;
      }
      const std::u16string link = foliant::GuidRegistryText(documentGuid) + u"|" + foliant::GuidRegistryText(topicGuid);
      WCHAR display[260] = {};
      kx2::Ref<IVtlObject> textObject(TextObjectOf(destination));
      foliant::GetTopicDisplayText(model_.get(), textObject.get(), display, 260);
      description = foliant::BuildHyperlinkDescription(link.c_str(), false, foliant::kLinkCurrent, u"", display);
    } else {
      description = foliant::BuildHyperlinkDescription(target->link.c_str(), target->absolute, target->kind,
                                                       target->subject.c_str(), u"");
    }
    if (!AttachHyperlink(pending.topic.get(), description)) ok = false;
  }
  return ok;
}

bool FreemindReader::ResolveArrowLinks() {
  bool ok = true;
  for (const ArrowLink& arrow : arrowLinks_) {
    auto source = nodes_.find(arrow.source);
    auto destination = nodes_.find(arrow.destination);
    // A link to a node the map does not hold makes nothing.
    if (source == nodes_.end() || destination == nodes_.end()) continue;
    foliant::RelationshipProperties properties;
    properties.ends[0].topic = source->second.get();
    properties.ends[0].arrow = arrow.startArrow;
    properties.ends[1].topic = destination->second.get();
    properties.ends[1].arrow = arrow.endArrow;
    if (arrow.hasColor) properties.lineColor = arrow.color;
    kx2::Ref<IVtlObject> relationship = foliant::MakeRelationship(model_.get(), properties);
    if (!relationship || !SetCurrent(source->second.get()) || !Attach(vantorel::kRoleRelationship, relationship.get()))
      ok = false;
  }
  return ok;
}

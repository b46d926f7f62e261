// What joins topics: the relationships of the map and the hyperlinks of its topics, both
// resolved once every topic exists.
#include "mindmanager/mindmanager_reader.h"

#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <foliant/common/guid_text.h>
#include <foliant/common/hyperlink_description.h>
#include <foliant/common/relationship_properties.h>
#include <foliant/common/topic_text.h>
#include <foliant/common/xml_walk.h>

#include "mindmanager/mm_values.h"

using namespace foliant::mindmanager;

namespace {

using namespace vantorel;

bool StartsWith(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// The object an "#xpointer(...)" names: its first quoted text, else the text inside its
// innermost parentheses.
std::u16string XPointerTarget(std::u16string_view url) {
  const size_t quote = url.find_first_of(u"'\"");
  if (quote != std::u16string_view::npos) {
    const size_t end = url.find(url[quote], quote + 1);
    if (end != std::u16string_view::npos) return std::u16string(url.substr(quote + 1, end - quote - 1));
  }
  const size_t open = url.rfind(u'(');
  const size_t close = open == std::u16string_view::npos ? open : url.find(u')', open);
  if (close == std::u16string_view::npos) return {};
  return std::u16string(url.substr(open + 1, close - open - 1));
}

// "scheme://" with a scheme of two or more letters (a drive letter is one).
bool HasUrlScheme(std::u16string_view url) {
  const size_t colon = url.find(u"://");
  if (colon == std::u16string_view::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char16_t c = url[i];
    if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' ||
          c == u'.'))
      return false;
  }
  return true;
}

}  // namespace

bool MindManagerReader::ReadRelationships(ImportBase& context) {
  HeldPath relationships(context, root_, {u"ap:Relationships"});
  if (!relationships) return true;
  return foliant::ForEachChildElement(relationships.get(),
                                      [&](IKX2XMLElement* relationship) { return ReadRelationship(relationship); });
}

// A relationship whose ends name no topic of the map creates nothing.
bool MindManagerReader::ReadRelationship(IKX2XMLElement* relationship) {
  foliant::RelationshipProperties properties;
  kx2::Ref<IVtlObject> topics[2];
  auto arrowOf = [&](IKX2XMLElement* element) -> std::optional<LONG> {
    LPCWSTR shape = element ? element->GetAttribute(u"ConnectionShape") : nullptr;
    TqMapRecord record{};
    if (!shape || !mapper_.Find(TqResourceMapper::kArrowHead, shape, &record)) return std::nullopt;
    return record.value;
  };
  auto indexOf = [](IKX2XMLElement* element) {
    LPCWSTR text = element->GetAttribute(u"Index");
    return text && (text == std::u16string_view(u"0") || text == std::u16string_view(u"1")) ? text[0] - u'0' : -1;
  };
  const bool read = foliant::ForEachChildElement(relationship, [&](IKX2XMLElement* child) {
    TqMapRecord record{};
    if (foliant::TagIsNoCase(child, u"ap:ConnectionGroup")) {
      const int index = indexOf(child);
      if (index < 0) return true;
      foliant::RelationshipEnd& end = properties.ends[index];
      kx2::Ref<IKX2XMLElement> connection(foliant::FindChildNoCase(child, u"ap:Connection"));
      if (connection) {
        kx2::Ref<IKX2XMLElement> reference(foliant::FindChildNoCase(connection.get(), u"ap:ObjectReference"));
        if (LPCWSTR id = reference ? reference->GetAttribute(u"OIdRef") : nullptr)
          if (auto it = objects_.find(id); it != objects_.end())
            topics[index] = kx2::Ref<IVtlObject>::Share(it->second.get());
        end.controlX = LengthAttribute(connection.get(), u"CX");
        end.controlY = LengthAttribute(connection.get(), u"CY");
      }
      if (auto arrow = arrowOf(child)) end.arrow = arrow;
    } else if (foliant::TagIsNoCase(child, u"ap:ConnectionStyle")) {
      // MindManager writes an end's arrow beside the connection groups.
      const int index = indexOf(child);
      if (index >= 0 && !properties.ends[index].arrow) properties.ends[index].arrow = arrowOf(child);
    } else if (foliant::TagIsNoCase(child, u"ap:LineStyle")) {
      if (LPCWSTR text = child->GetAttribute(u"LineDashStyle");
          text && mapper_.Find(TqResourceMapper::kLinePattern, text, &record))
        properties.lineDash = record.value;
      if (LPCWSTR text = child->GetAttribute(u"LineWidth")) properties.lineWidth = HundredthsOf(text);
    } else if (foliant::TagIsNoCase(child, u"ap:Color")) {
      if (LPCWSTR text = child->GetAttribute(u"LineColor"))
        if (auto argb = ParseArgbColor(text)) properties.lineColor = ColorWord(*argb);
    } else if (foliant::TagIsNoCase(child, u"ap:RelationshipLineShape")) {
      if (LPCWSTR shape = child->GetAttribute(u"LineShape");
          shape && mapper_.Find(TqResourceMapper::kRelationshipLine, shape, &record))
        properties.shape = record.value;
    } else if (foliant::TagIsNoCase(child, u"ap:AutoRoute")) {
      if (LPCWSTR routing = child->GetAttribute(u"AutoRouting"))
        if (auto on = ParseFlag(routing)) properties.autoRouting = *on;
    }
    return true;
  });
  if (!read) return false;
  if (!topics[0] || !topics[1]) return true;
  properties.ends[0].topic = topics[0].get();
  properties.ends[1].topic = topics[1].get();
  kx2::Ref<IVtlObject> object = foliant::MakeRelationship(model_.get(), properties);
  // The relationship hangs under the topic it starts from.
  return object && SetCurrent(topics[0].get()) && Attach(kRoleRelationship, object.get());
}

void MindManagerReader::ResolveLinks() {
  if (!model_) return;
  GUID documentGuid{};
  kx2::Ref<IVtlObject> document(model_->GetDocumentObject());
  if (document) document->GetObjectGuid(&documentGuid);

  for (const foliant::PendingLink& pending : links_) {
    const std::u16string_view url = pending.target;
    int kind = foliant::kLinkFile;
    std::u16string link, subject, text;
    if (StartsWith(url, u"#xpointer")) {
      const std::u16string key = XPointerTarget(url);
      IVtlObject* target = nullptr;
      if (auto topic = objects_.find(key); topic != objects_.end())
        target = topic->second.get();
      else if (auto bookmark = bookmarks_.find(key); bookmark != bookmarks_.end())
        target = bookmark->second.get();
      GUID guid{};
      if (!target || !target->GetGuid(&guid)) continue;
      kind = foliant::kLinkCurrent;
      link = foliant::GuidRegistryText(documentGuid) + u"|" + foliant::GuidRegistryText(guid);
      // The link shows the text of the topic it leads to.
      const ULONG_PTR handle = target->FindAttached(kRoleTextStyle);
      kx2::Ref<IVtlObject> textObject(handle ? target->GetObject(handle, kRoleTextStyle) : nullptr);
      WCHAR buffer[260] = {};
      if (textObject && foliant::GetTopicDisplayText(model_.get(), textObject.get(), buffer, 260) > 0) text = buffer;
    } else if (StartsWith(url, u"http://") || StartsWith(url, u"https://") ||
               (HasUrlScheme(url) && !StartsWith(url, u"file:"))) {
      kind = foliant::kLinkWeb;
      link = url;
    } else if (StartsWith(url, u"mailto:")) {
      kind = foliant::kLinkEmail;
      link = url;
      if (const size_t at = link.find(u"?subject="); at != std::u16string::npos) {
        subject = link.substr(at + 9);
        link.resize(at);
      }
    } else {
      // A "file:" URL names a local path; the slashes before a drive letter belong to the
      // URL ("file:///C:/a.txt").
      std::u16string_view path = url;
      if (StartsWith(path, u"file:")) {
        path.remove_prefix(5);
        const size_t slashes = path.find_first_not_of(u'/');
        if (slashes != std::u16string_view::npos && path.size() >= slashes + 2 && path[slashes + 1] == u':')
          path.remove_prefix(slashes);
      }
      link = path;
      for (char16_t& c : link)
        if (c == u'/') c = u'\\';
      const bool rooted = (link.size() >= 2 && link[1] == u':') || StartsWith(link, u"\\");
      if (!rooted) link = folder_ + link;
      kind = !link.empty() && link.back() == u'\\' ? foliant::kLinkFolder : foliant::kLinkFile;
    }
    const std::u16string description =
        foliant::BuildHyperlinkDescription(link.c_str(), pending.absolute, kind, subject.c_str(), text.c_str());
    PropertyHolder hyperlink(FoliantCreateObject(kClassHyperlink));
    if (description.empty() || !hyperlink || !hyperlink.SetPropertyString(kPropHyperlinkText, description.c_str()) ||
        !SetCurrent(pending.topic.get()))
      continue;
    Attach(kRoleHyperlink, hyperlink.Get());
  }
}

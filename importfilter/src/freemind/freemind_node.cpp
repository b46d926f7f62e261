// The node walk: one host topic per "node" element, its format, its content and its
// children.
#include <foliant/freemind/FreemindImport.h>

#include <string>

#include <foliant/HostBinding.h>
#include <foliant/PropertyValues.h>
#include <foliant/common/ColorText.h>
#include <foliant/common/XmlWalk.h>

using foliant::HostRef;

namespace {

// Sets kind 1 and a colour on a fill or line sub-object; `withKind` false sets the colour
// alone (the inner line of a cloud).
bool SetColored(IVtlObject* sub, DWORD color, bool withKind) {
  if (!sub) return false;
  sub->AddRef();
  PropertyHolder holder(sub);
  if (withKind && !holder.SetPropertyValue(vantorel::kPropSubLine, vantorel::kPropEnum, 1)) return false;
  return holder.SetPropertyValue(vantorel::kPropSubFill, vantorel::kPropWide, color, foliant::kHostColorSecondWord) !=
         FALSE;
}

// The line of the line sub-object of a line-and-fill format (property 0x7000 twice).
HostRef<IVtlObject> InnerLine(IVtlObject* format) {
  HostRef<IVtlObject> line(format->GetSubObject(vantorel::kPropSubLine));
  return HostRef<IVtlObject>(line ? line->GetSubObject(vantorel::kPropSubLine) : nullptr);
}

std::u16string Decimal(int n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

bool FreemindImport::SetCurrent(IVtlObject* topic) { return cursor_ && topic && cursor_->SetCurrentNode(0, topic, 0); }

bool FreemindImport::Attach(ULONG tag, IVtlObject* object) {
  return model_ && object && model_->AttachObject(0, tag, object, 0);
}

IVtlObject* FreemindImport::TextObjectOf(IVtlObject* topic) {
  if (!topic) return nullptr;
  const ULONG_PTR handle = topic->FindAttached(vantorel::kRoleTextStyle);
  return handle ? topic->GetObject(handle, vantorel::kRoleTextStyle) : nullptr;
}

bool FreemindImport::BuildNode(ImportBase& context, IKX2XMLElement* element, int level, NodeParameters parameters,
                               int depth) {
  if (depth > kMaxNodeDepth) return false;
  level_ = level;
  IKX2XMLElement* previous = context.SetCurrentElement(element);
  struct RestoreElement {
    ImportBase& context;
    IKX2XMLElement* previous;
    ~RestoreElement() { context.SetCurrentElement(previous); }
  } restore{context, previous};

  const bool encrypted = element->HasAttribute(u"ENCRYPTED_CONTENT") != FALSE;
  LPCWSTR idText = element->GetAttribute(u"ID");
  const std::u16string id = idText ? std::u16string(idText) : Decimal(idCounter_++);

  PropertyHolder format(FoliantCreateObject(vantorel::kClassFormat));
  if (!format) return false;
  HostRef<IVtlObject> topic;
  if (level == 0) {
    topic.reset(model_->GetRootNode(0));
    if (!SetCurrent(topic.get())) return false;
  } else {
    if (stack_.empty() || !SetCurrent(stack_.back().get())) return false;
    if (!model_->InsertTopic(0, kVtlInsertChild, format.Get())) return false;
    topic.reset(cursor_->GetCurrentNode());
  }
  if (!topic) return false;
  nodes_[id] = HostRef<IVtlObject>::Share(topic.get());
  stack_.push_back(HostRef<IVtlObject>::Share(topic.get()));
  struct PopStack {
    std::vector<HostRef<IVtlObject>>& stack;
    ~PopStack() { stack.pop_back(); }
  } pop{stack_};

  HostRef<IVtlObject> lineOwners[2] = {HostRef<IVtlObject>(FoliantCreateObject(vantorel::kClassPictureFormat)),
                                       HostRef<IVtlObject>(FoliantCreateObject(vantorel::kClassPictureFormat))};
  if (!lineOwners[0] || !lineOwners[1]) return false;
  IVtlObject* const lines[2] = {lineOwners[0].get(), lineOwners[1].get()};
  model_->GetFormat(topic.get(), lines[0], -1);
  model_->GetFormat(topic.get(), lines[1], 1);
  if (!ApplyNodeStyle(context, element, format.Get(), lines, parameters)) return false;

  HostRef<IVtlObject> formatTarget(topic->GetTarget(0));
  if (!formatTarget || !model_->ApplyFormat(0, formatTarget.get(), format.Get()) ||
      !model_->SetFormat(0, topic.get(), lines[0], -1) || !model_->SetFormat(0, topic.get(), lines[1], 1))
    return false;

  if (!BuildNodeContent(context, element, topic.get(), id)) return false;

  if (!SetCurrent(topic.get())) return false;
  if (encrypted) return true;
  return foliant::ForEachChildElement(element, [&](IKX2XMLElement* child) {
    if (!foliant::TagIsNoCase(child, u"node")) return true;
    return BuildNode(context, child, 1, parameters, depth + 1);
  });
}

bool FreemindImport::ApplyNodeStyle(ImportBase& context, IKX2XMLElement* element, IVtlObject* format,
                                    IVtlObject* const lines[2], NodeParameters& parameters) {
  format->AddRef();
  PropertyHolder holder(format);
  if (element->HasAttribute(u"FOLDED")) {
    bool folded = false;
    // "true" or "false" in either of their two spellings; anything else is a broken map.
    if (!context.GetAttributeBool(element, u"FOLDED", &folded)) return false;
    if (folded && !holder.SetPropertyValue(vantorel::kPropFormatCollapsed, vantorel::kPropEnum, 1)) return false;
  }
  if (LPCWSTR background = element->GetAttribute(u"BACKGROUND_COLOR"))
    if (auto color = foliant::ParseHashColor(background)) {
      HostRef<IVtlObject> fill(format->GetSubObject(vantorel::kPropSubFill));
      if (!SetColored(fill.get(), *color, true)) return false;
    }
  foliant::ForEachChildElement(element, [&](IKX2XMLElement* child) {
    if (!foliant::TagIsNoCase(child, u"edge")) return true;
    if (LPCWSTR text = child->GetAttribute(u"COLOR"))
      if (auto color = foliant::ParseHashColor(text)) {
        parameters.hasEdgeColor = true;
        parameters.edgeColor = *color;
      }
    return true;
  });
  // A node without an edge colour of its own shows the nearest ancestor's.
  if (parameters.hasEdgeColor)
    for (IVtlObject* line : {lines[0], lines[1]})
      if (!SetColored(InnerLine(line).get(), parameters.edgeColor, true)) return false;
  return true;
}

bool FreemindImport::BuildNodeContent(ImportBase& context, IKX2XMLElement* element, IVtlObject* topic,
                                      const std::u16string& id) {
  if (!SetCurrent(topic)) return false;
  if (element->HasChildNodes()) {
    if (!ImportAttributes(context, element) || !ImportIcons(element)) return false;
  }
  CollectNodeLink(context, topic);
  if (!ImportText(element, topic) || !ImportNotes(element, topic)) return false;
  if (!SetCurrent(topic)) return false;
  return foliant::ForEachChildElement(element, [&](IKX2XMLElement* child) {
    if (foliant::TagIsNoCase(child, u"arrowlink")) return RecordArrowLink(child, id);
    if (foliant::TagIsNoCase(child, u"cloud")) return AddCloud(child);
    return true;
  });
}

bool FreemindImport::RecordArrowLink(IKX2XMLElement* arrow, const std::u16string& source) {
  LPCWSTR destination = arrow->GetAttribute(u"DESTINATION");
  if (!destination) return false;
  ArrowLink link;
  link.source = source;
  link.destination = destination;
  // FreeMind writes "Default", Freeplane "DEFAULT".
  auto kind = [](LPCWSTR text) { return text && foliant::EqualsNoCase(text, u"Default") ? 3 : 0; };
  link.startArrow = kind(arrow->GetAttribute(u"STARTARROW"));
  link.endArrow = kind(arrow->GetAttribute(u"ENDARROW"));
  if (LPCWSTR text = arrow->GetAttribute(u"COLOR"))
    if (auto color = foliant::ParseHashColor(text)) {
      link.hasColor = true;
      link.color = *color;
    }
  arrowLinks_.push_back(std::move(link));
  return true;
}

bool FreemindImport::AddCloud(IKX2XMLElement* cloud) {
  PropertyHolder boundary(FoliantCreateObject(vantorel::kClassBoundary));
  if (!boundary) return false;
  // A boundary (kind 3) drawn as scallops, the host's shape nearest a cloud.
  if (!boundary.SetPropertyValue(0x4000, vantorel::kPropNumber, 3) ||
      !boundary.SetPropertyValue(0x4001, vantorel::kPropNumber, 2))
    return false;
  if (!Attach(vantorel::kRoleBoundary, boundary.Get())) return false;
  LPCWSTR text = cloud->GetAttribute(u"COLOR");
  auto color = text ? foliant::ParseHashColor(text) : std::nullopt;
  if (!color) return true;
  HostRef<IVtlObject> format(FoliantCreateObject(vantorel::kClassPictureFormat));
  if (!format) return false;
  model_->GetFormat(boundary.Get(), format.get(), -1);
  HostRef<IVtlObject> fill(format->GetSubObject(vantorel::kPropSubFill));
  if (!SetColored(fill.get(), *color, true) || !SetColored(InnerLine(format.get()).get(), *color, false)) return false;
  return model_->SetFormat(0, boundary.Get(), format.get(), -1) != FALSE;
}

// The node walk: one host topic per "node" element, its format, its content and its
// children.
#include "freemind/freemind_reader.h"

#include <string>

#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <foliant/common/color_text.h>
#include <foliant/common/xml_walk.h>

using foliant::freemind::FreemindReader;

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
kx2::Ref<IVtlObject> InnerLine(IVtlObject* format) {
  kx2::Ref<IVtlObject> line(format->GetSubObject(vantorel::kPropSubLine));
  return kx2::Ref<IVtlObject>(line ? line->GetSubObject(vantorel::kPropSubLine) : nullptr);
}

std::u16string Decimal(int n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace

IVtlObject* FreemindReader::TextObjectOf(IVtlObject* topic) {
  if (!topic) return nullptr;
  const ULONG_PTR handle = topic->FindAttached(vantorel::kRoleTextStyle);
  return handle ? topic->GetObject(handle, vantorel::kRoleTextStyle) : nullptr;
}

void FreemindReader::GatherChildren(IKX2XMLElement* element, NodeChildren& children) {
  children.own = foliant::ElementAttributes(element);
  children.first = gathered_.size();
  foliant::ForEachChildNode(element, [&](IKX2XMLNode* node) {
    children.any = true;
    IKX2XMLElement* child = foliant::AsElement(node);
    LPCWSTR name = child ? child->GetTagName() : nullptr;
    if (!name) return true;
    const std::u16string_view tag(name);
    auto keep = [&](ChildKind kind) { gathered_.push_back({kind, kx2::Ref<IKX2XMLElement>::Share(child)}); };
    if (foliant::EqualsNoCase(tag, u"node")) {
      keep(ChildKind::kNode);
    } else if (foliant::EqualsNoCase(tag, u"attribute")) {
      keep(ChildKind::kAttribute);
    } else if (foliant::EqualsNoCase(tag, u"icon")) {
      keep(ChildKind::kIcon);
    } else if (foliant::EqualsNoCase(tag, u"edge")) {
      keep(ChildKind::kEdge);
    } else if (foliant::EqualsNoCase(tag, u"arrowlink")) {
      keep(ChildKind::kArrowLink);
    } else if (foliant::EqualsNoCase(tag, u"cloud")) {
      keep(ChildKind::kCloud);
    } else if (foliant::EqualsNoCase(tag, u"font")) {
      if (!children.font) children.font = kx2::Ref<IKX2XMLElement>::Share(child);
    } else if (foliant::EqualsNoCase(tag, u"richcontent")) {
      // The first of each type; the type is compared exactly.
      LPCWSTR type = child->GetAttribute(u"TYPE");
      const std::u16string_view t = type ? type : u"";
      if (t == u"NODE" && !children.richText) children.richText = kx2::Ref<IKX2XMLElement>::Share(child);
      if (t == u"NOTE" && !children.richNote) children.richNote = kx2::Ref<IKX2XMLElement>::Share(child);
    }
    return true;
  });
}

bool FreemindReader::BuildNode(ImportBase& context, IKX2XMLElement* element, int level, NodeParameters parameters,
                               int depth) {
  if (depth > foliant::kMaxTopicDepth) {
    tooDeep_ = true;
    return false;
  }
  level_ = level;
  IKX2XMLElement* previous = context.SetCurrentElement(element);
  struct RestoreElement {
    ImportBase& context;
    IKX2XMLElement* previous;
    ~RestoreElement() { context.SetCurrentElement(previous); }
  } restore{context, previous};

  NodeChildren children;
  // What this node gathers goes when it is done, however it ends.
  struct DropGathered {
    std::deque<Gathered>& gathered;
    size_t first;
    ~DropGathered() {
      while (gathered.size() > first) gathered.pop_back();
    }
  } dropGathered{gathered_, gathered_.size()};
  GatherChildren(element, children);
  const bool encrypted = children.own.Has(u"ENCRYPTED_CONTENT");
  LPCWSTR idText = children.own.Get(u"ID");

  PropertyHolder format(FoliantCreateObject(vantorel::kClassFormat));
  if (!format) return false;
  kx2::Ref<IVtlObject> topic;
  if (level == 0) {
    topic.reset(model_->GetRootNode(0));
    if (!SetCurrent(topic.get())) return false;
  } else {
    if (stack_.empty() || !SetCurrent(stack_.back().get())) return false;
    if (!model_->InsertTopic(0, kVtlInsertChild, format.Get())) return false;
    topic.reset(cursor_->GetCurrentNode());
  }
  if (!topic) return false;
  // The index keeps the node's ID (a later node of the same ID takes its place); the walk
  // reads it from there.
  std::u16string counted;
  if (!idText) counted = Decimal(idCounter_++);
  const std::u16string_view key = idText ? std::u16string_view(idText) : std::u16string_view(counted);
  auto [entry, fresh] =
      nodes_.try_emplace(idText ? std::u16string(key) : std::move(counted), kx2::Ref<IVtlObject>::Share(topic.get()));
  if (!fresh) entry->second = kx2::Ref<IVtlObject>::Share(topic.get());
  const std::u16string_view id = entry->first;
  stack_.push_back(kx2::Ref<IVtlObject>::Share(topic.get()));
  struct PopStack {
    std::vector<kx2::Ref<IVtlObject>>& stack;
    ~PopStack() { stack.pop_back(); }
  } pop{stack_};

  bool formatChanged = false;
  if (!ApplyNodeStyle(context, element, children, format.Get(), parameters, &formatChanged)) return false;
  // The topic's format, and its two line-and-fill formats (-1 and 1) with the edge colour,
  // are written back when the node gives them something: writing back what was read
  // unchanged would change nothing.
  if (formatChanged) {
    kx2::Ref<IVtlObject> formatTarget(topic->GetTarget(0));
    if (!formatTarget || !model_->ApplyFormat(0, formatTarget.get(), format.Get())) return false;
  }
  // A node without an edge colour of its own shows the nearest ancestor's. A topic this
  // walk has just placed under its parent keeps no line-and-fill format yet, so what is
  // read and coloured for it is the same object for every such topic and both indices but
  // for the colour: the walk keeps one and sets the colour anew (the model keeps a copy).
  // The root may be a topic the document had before the import: it is read afresh.
  if (parameters.hasEdgeColor) {
    if (level == 0) {
      for (LONG index : {-1, 1}) {
        kx2::Ref<IVtlObject> lines(FoliantCreateObject(vantorel::kClassPictureFormat));
        if (!lines) return false;
        model_->GetFormat(topic.get(), lines.get(), index);
        if (!SetColored(InnerLine(lines.get()).get(), parameters.edgeColor, true) ||
            !model_->SetFormat(0, topic.get(), lines.get(), index))
          return false;
      }
    } else {
      if (!edgeLines_) {
        edgeLines_.reset(FoliantCreateObject(vantorel::kClassPictureFormat));
        if (!edgeLines_) return false;
        edgeLine_ = InnerLine(edgeLines_.get());
      }
      if (!SetColored(edgeLine_.get(), parameters.edgeColor, true)) return false;
      for (LONG index : {-1, 1}) {
        model_->GetFormat(topic.get(), edgeLines_.get(), index);
        if (!model_->SetFormat(0, topic.get(), edgeLines_.get(), index)) return false;
      }
    }
  }

  if (!BuildNodeContent(context, element, children, topic.get(), id)) return false;

  if (!SetCurrent(topic.get())) return false;
  if (encrypted) return true;
  // Only the child nodes are needed from here. Each is taken out of the document once
  // built and let go, so that the host can free its XML while the walk goes on: a large
  // map's topics then take the memory its finished branches held.
  const size_t first = children.first;
  children = NodeChildren{};
  for (size_t i = first; i < gathered_.size(); ++i)
    if (gathered_[i].kind != ChildKind::kNode) gathered_[i].element.reset();
  // By position: each child gathers its own children after these, and drops them again.
  for (size_t i = first; i < gathered_.size(); ++i) {
    if (gathered_[i].kind != ChildKind::kNode) continue;
    IKX2XMLElement* child = gathered_[i].element.get();
    if (!BuildNode(context, child, 1, parameters, depth + 1)) return false;
    element->RemoveChild(child);
    gathered_[i].element.reset();
  }
  return true;
}

bool FreemindReader::ApplyNodeStyle(ImportBase& context, IKX2XMLElement* element, const NodeChildren& children,
                                    IVtlObject* format, NodeParameters& parameters, bool* formatChanged) {
  format->AddRef();
  PropertyHolder holder(format);
  if (children.own.Has(u"FOLDED")) {
    bool folded = false;
    // "true" or "false" in either of their two spellings; anything else is a broken map.
    if (!context.GetAttributeBool(element, u"FOLDED", &folded)) return false;
    if (folded) {
      if (!holder.SetPropertyValue(vantorel::kPropFormatCollapsed, vantorel::kPropEnum, 1)) return false;
      *formatChanged = true;
    }
  }
  if (LPCWSTR background = children.own.Get(u"BACKGROUND_COLOR"))
    if (auto color = foliant::ParseHashColor(background)) {
      kx2::Ref<IVtlObject> fill(format->GetSubObject(vantorel::kPropSubFill));
      if (!SetColored(fill.get(), *color, true)) return false;
      *formatChanged = true;
    }
  ForEachGathered(children, ChildKind::kEdge, [&](IKX2XMLElement* edge) {
    if (LPCWSTR text = edge->GetAttribute(u"COLOR"))
      if (auto color = foliant::ParseHashColor(text)) {
        parameters.hasEdgeColor = true;
        parameters.edgeColor = *color;
      }
    return true;
  });
  return true;
}

bool FreemindReader::BuildNodeContent(ImportBase& context, IKX2XMLElement* element, const NodeChildren& children,
                                      IVtlObject* topic, std::u16string_view id) {
  if (!SetCurrent(topic)) return false;
  if (children.any) {
    if (!ImportAttributes(context, children) || !ImportIcons(children)) return false;
  }
  if (children.own.Has(u"LINK")) CollectNodeLink(context, topic);
  if (!ImportText(children, topic) || !ImportNotes(children, topic)) return false;
  if (!SetCurrent(topic)) return false;
  return ForEachGathered(children, ChildKind::kArrowLink,
                         [&](IKX2XMLElement* arrow) { return RecordArrowLink(arrow, id); }) &&
         ForEachGathered(children, ChildKind::kCloud, [&](IKX2XMLElement* cloud) { return AddCloud(cloud); });
}

bool FreemindReader::RecordArrowLink(IKX2XMLElement* arrow, std::u16string_view source) {
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

bool FreemindReader::AddCloud(IKX2XMLElement* cloud) {
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
  kx2::Ref<IVtlObject> format(FoliantCreateObject(vantorel::kClassPictureFormat));
  if (!format) return false;
  model_->GetFormat(boundary.Get(), format.get(), -1);
  kx2::Ref<IVtlObject> fill(format->GetSubObject(vantorel::kPropSubFill));
  if (!SetColored(fill.get(), *color, true) || !SetColored(InnerLine(format.get()).get(), *color, false)) return false;
  return model_->SetFormat(0, boundary.Get(), format.get(), -1) != FALSE;
}

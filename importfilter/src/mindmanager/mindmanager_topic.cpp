// The topic walk: placing each "ap:Topic" in the host model by its kind, its layout, its
// child elements, then its floating topics and sub-topics.
#include "mindmanager/mindmanager_reader.h"

#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <foliant/common/xml_walk.h>

#include "mindmanager/mm_values.h"

using namespace foliant::mindmanager;

bool MindManagerReader::AttachMarker(const GUID& marker) {
  PropertyHolder object(FoliantCreateObject(vantorel::kClassMarker));
  return object && object.SetPropertyGuid(vantorel::kPropMarkerGuid, marker) &&
         Attach(vantorel::kRoleMarker, object.Get());
}

bool MindManagerReader::PlaceTopic(int kind, IVtlObject* format, kx2::Ref<IVtlObject>* topic) {
  if (kind == kCentralTopic) {
    topic->reset(model_->GetRootNode(0));
    return SetCurrent(topic->get());
  }
  // Every other topic goes under the topic whose children are being built: the last of
  // the stack (the model's root for the floating topics of the map).
  if (stack_.empty() || !SetCurrent(stack_.back().get())) return false;
  const LONG insert = kind == kSubTopic      ? kVtlInsertChild
                      : kind == kMapFloating ? kVtlInsertFloating
                                             : kVtlInsertCallout;
  if (!model_->InsertTopic(0, insert, format)) return false;
  topic->reset(cursor_->GetCurrentNode());
  return static_cast<bool>(*topic);
}

bool MindManagerReader::BuildTopic(ImportBase& context, IKX2XMLElement* element, int kind, TopicRecord record,
                                   int depth, TopicRecord* inherited) {
  if (depth > kMaxTopicDepth) {
    tooDeep_ = true;
    return false;
  }
  CurrentElement current(context, element);
  const int previousKind = currentKind_;
  currentKind_ = kind;
  struct RestoreKind {
    int& kind;
    int previous;
    ~RestoreKind() { kind = previous; }
  } restoreKind{currentKind_, previousKind};

  PropertyHolder format(FoliantCreateObject(vantorel::kClassFormat));
  if (!format) return false;
  if (kind == kMapFloating && (!format.SetPropertyValue(vantorel::kPropFormatPositionX, vantorel::kPropInt, 0) ||
                               !format.SetPropertyValue(vantorel::kPropFormatPositionY, vantorel::kPropInt, 0)))
    return false;
  kx2::Ref<IVtlObject> topic;
  if (!PlaceTopic(kind, format.Get(), &topic)) return false;
  if (LPCWSTR id = element->GetAttribute(u"OId"); id && *id) objects_[id] = kx2::Ref<IVtlObject>::Share(topic.get());
  created_.push_back(kx2::Ref<IVtlObject>::Share(topic.get()));
  if (kind == kSummaryTopic || kind == kBoundaryTopic) {
    PropertyHolder member(FoliantCreateObject(vantorel::kClassSummaryMember));
    if (!member || !Attach(vantorel::kRoleSummaryMember, member.Get())) return false;
  }
  kx2::Ref<IVtlObject> lineOwners[2] = {kx2::Ref<IVtlObject>(FoliantCreateObject(vantorel::kClassPictureFormat)),
                                        kx2::Ref<IVtlObject>(FoliantCreateObject(vantorel::kClassPictureFormat))};
  if (!lineOwners[0] || !lineOwners[1]) return false;
  IVtlObject* const lines[2] = {lineOwners[0].get(), lineOwners[1].get()};
  model_->GetFormat(topic.get(), lines[0], -1);
  model_->GetFormat(topic.get(), lines[1], 1);

  if (!ApplyLayout(context, element, kind, topic.get(), format.Get(), lines, record)) return false;
  kx2::Ref<IVtlObject> target(topic->GetTarget(0));
  if (!target || !model_->ApplyFormat(0, target.get(), format.Get()) ||
      !model_->SetFormat(0, topic.get(), lines[0], -1) || !model_->SetFormat(0, topic.get(), lines[1], 1))
    return false;
  if (inherited) *inherited = record;

  // The topic is the parent of whatever its elements place (the topic of a boundary) and
  // of its floating topics and sub-topics.
  stack_.push_back(kx2::Ref<IVtlObject>::Share(topic.get()));
  struct PopStack {
    std::vector<kx2::Ref<IVtlObject>>& stack;
    ~PopStack() { stack.pop_back(); }
  } pop{stack_};

  const bool read = foliant::ForEachChildElement(element, [&](IKX2XMLElement* child) {
    return SetCurrent(topic.get()) && ReadTopicChild(context, child, topic.get(), depth);
  });
  if (!read || !SetCurrent(topic.get())) return false;
  if (kind != kCentralTopic && !BuildChildTopics(context, element, kTopicFloating, record, depth)) return false;
  return BuildChildTopics(context, element, kSubTopic, record, depth);
}

// The topics of "ap:FloatingTopics" (kind 3) or "ap:SubTopics" (kind 1): for floating
// topics every child element, for sub-topics every "ap:Topic".
bool MindManagerReader::BuildChildTopics(ImportBase& context, IKX2XMLElement* element, int kind,
                                         const TopicRecord& record, int depth) {
  const char16_t* container = kind == kSubTopic ? u"ap:SubTopics" : u"ap:FloatingTopics";
  return foliant::ForEachChildElement(element, [&](IKX2XMLElement* group) {
    if (!foliant::TagIsNoCase(group, container)) return true;
    return foliant::ForEachChildElement(group, [&](IKX2XMLElement* child) {
      if (kind == kSubTopic && !foliant::TagIsNoCase(child, u"ap:Topic")) return true;
      return BuildTopic(context, child, kind, record, depth + 1);
    });
  });
}

// The floating topics of the map hang on the central topic's element and go under the
// model's root node.
bool MindManagerReader::BuildMapFloatingTopics(ImportBase& context, IKX2XMLElement* central,
                                               const TopicRecord& record) {
  return foliant::ForEachChildElement(central, [&](IKX2XMLElement* group) {
    if (!foliant::TagIsNoCase(group, u"ap:FloatingTopics")) return true;
    return foliant::ForEachChildElement(group, [&](IKX2XMLElement* child) {
      CurrentElement current(context, child);
      kx2::Ref<IVtlObject> root(model_->GetRootNode(0));
      if (!SetCurrent(root.get())) return false;
      kx2::Ref<IVtlObject> node(cursor_->GetCurrentNode());
      if (!node) return false;
      stack_.push_back(std::move(node));
      const bool built = BuildTopic(context, child, kMapFloating, record, 2);
      stack_.pop_back();
      return built;
    });
  });
}

bool MindManagerReader::ReadTopicChild(ImportBase& context, IKX2XMLElement* child, IVtlObject* topic, int depth) {
  using foliant::TagIsNoCase;
  if (TagIsNoCase(child, u"ap:Text")) return ReadText(child, topic);
  if (TagIsNoCase(child, u"ap:IconsGroup")) return ReadIcons(child);
  if (TagIsNoCase(child, u"ap:TextLabels")) return ReadTextLabels(child);
  if (TagIsNoCase(child, u"ap:Task")) return ReadTask(child);
  if (TagIsNoCase(child, u"ap:OneImage")) return ReadImage(child);
  if (TagIsNoCase(child, u"ap:OneBoundary")) {
    CurrentElement current(context, child);
    return ReadBoundary(context, child, topic, depth);
  }
  if (TagIsNoCase(child, u"ap:NotesGroup")) {
    CurrentElement current(context, child);
    return ReadNotes(child, topic);
  }
  if (TagIsNoCase(child, u"ap:Hyperlink")) {
    LPCWSTR url = child->GetAttribute(u"Url");
    if (url && *url) {
      LPCWSTR absolute = child->GetAttribute(u"Absolute");
      links_.push_back({kx2::Ref<IVtlObject>::Share(topic), url, absolute && ParseFlag(absolute).value_or(false)});
    }
    return true;
  }
  if (TagIsNoCase(child, u"ap:TopicBookmark") || TagIsNoCase(child, u"ap:Bookmark")) {
    if (LPCWSTR name = child->GetAttribute(u"Name"); name && *name)
      bookmarks_.try_emplace(name, kx2::Ref<IVtlObject>::Share(topic));
    return true;
  }
  if (TagIsNoCase(child, u"ap:Comments")) return ReadComments(child, topic);
  if (TagIsNoCase(child, u"ap:AttachmentGroup")) return ReadAttachments(child);
  return true;
}

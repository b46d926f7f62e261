// What a topic refers to in the document's object table: markers, labels, and the
// resource a task is assigned to.
#include <basalt/path_util.h>
#include <foliant/common/marker_guid.h>
#include <foliant/common/object_table.h>
#include <foliant/common/xml_walk.h>

#include "xmind/sheet_reader.h"

namespace foliant::xmind {
namespace {

using namespace vantorel;

// The host's group of task resources.
constexpr DWORD kResourceGroupNumber = 601;

const char16_t* const kTaskElements[] = {u"assigned-to", u"start-date", u"end-date", u"duration", u"progress"};

}  // namespace

GUID SheetReader::Group(GUID* cached, LONG kind, const std::u16string& name) {
  if (!IsNullGuid(*cached) && HasObjectTableEntry(model_.get(), *cached)) return *cached;
  GUID made{};
  if (!AddObjectTableItem(model_.get(), nullptr, kClassTableGroup, GUID{}, kind, name.c_str(), nullptr, &made))
    return GUID{};
  *cached = made;
  return made;
}

GUID SheetReader::Entry(std::map<std::u16string, GUID>& cache, const GUID& group, LONG kind,
                        const std::u16string& name) {
  if (auto it = cache.find(name); it != cache.end()) return it->second;
  GUID made{};
  if (IsNullGuid(group) ||
      !AddObjectTableItem(model_.get(), &group, kClassTableEntry, GUID{}, kind, name.c_str(), nullptr, &made))
    return GUID{};
  cache.emplace(name, made);
  return made;
}

GUID SheetReader::FallbackMarker() {
  if (!IsNullGuid(fallbackMarker_)) return fallbackMarker_;
  const GUID group = Group(&markerGroup_, kTableKindMarkers, state_.texts.markerGroup.Get());
  if (IsNullGuid(group)) return GUID{};
  char16_t picture[MAX_PATH] = {};
  Basalt::Util::PathUtil::_PathToAbsolute(state_.texts.markerPicture.Get().c_str(), picture);
  AddObjectTableItem(model_.get(), &group, kClassTableEntry, GUID{}, kTableKindMarkers,
                     state_.texts.fallbackMarker.Get().c_str(), picture[0] ? picture : nullptr, &fallbackMarker_);
  return fallbackMarker_;
}

void SheetReader::ImportMarker(IKX2XMLElement* markerRef) {
  LPCWSTR id = Attribute(markerRef, u"marker-id");
  if (!id) return;
  TqMapRecord record{};
  GUID guid{};
  if (state_.mapper().Find(TqResourceMapper::kMarkers, id, &record)) guid = MarkerEntryGuid(record);
  // A marker the host's table does not hold would point at nothing: it gets the stand-in.
  if (IsNullGuid(guid) || !HasObjectTableEntry(model_.get(), guid)) guid = FallbackMarker();
  if (IsNullGuid(guid)) return;
  ObjectRef marker = NewObject(kClassMarker);
  if (SetGuid(marker.get(), kPropMarkerGuid, guid)) Attach(kRoleMarker, marker.get());
}

void SheetReader::ImportLabels(IKX2XMLElement* labels) {
  std::vector<std::u16string> texts;
  ForEachChildElement(labels, [&](IKX2XMLElement* label) {
    std::u16string text = ElementText(label);
    if (!text.empty()) texts.push_back(std::move(text));
    return true;
  });
  if (texts.empty()) return;
  ObjectRef object = NewObject(kClassLabels);
  if (!object) return;
  ObjectRef list(object->CreateList(kPropLabelList, static_cast<LONG>(texts.size())));
  if (!list) return;
  const GUID group = Group(&labelGroup_, kTableKindLabels, state_.texts.labelGroup.Get());
  for (size_t i = 0; i < texts.size(); ++i) {
    const GUID entry = Entry(labelEntries_, group, kTableKindLabels, texts[i]);
    if (!IsNullGuid(entry)) SetListGuid(list.get(), static_cast<LONG>(i), entry);
  }
  Attach(kRoleLabels, object.get());
}

void SheetReader::ImportTask(IKX2XMLElement* content) {
  // Extensions carry other things too (the layout of the central topic in most files):
  // only a content with task elements is a task.
  bool isTask = false;
  for (const char16_t* name : kTaskElements) isTask |= static_cast<bool>(ChildNamed(content, name));
  if (!isTask) return;
  ObjectRef task = NewObject(kClassTask);
  if (!task) return;

  if (kx2::Ref<IKX2XMLElement> assigned = ChildNamed(content, u"assigned-to")) {
    GUID group{};
    group.Data1 = kResourceGroupNumber;
    if (!HasObjectTableEntry(model_.get(), group))
      group = Group(&resourceGroup_, kTableKindLabels, state_.texts.resourceGroup.Get());
    const GUID entry = Entry(resourceEntries_, group, kTableKindLabels, ElementText(assigned.get()));
    if (!IsNullGuid(entry)) {
      ObjectRef list(task->CreateList(0x4001, 1));
      SetListGuid(list.get(), 0, entry);
    }
  }
  ObjectRef schedule(task->GetObject(0x4002, kClassTaskSchedule));
  if (schedule) {
    if (kx2::Ref<IKX2XMLElement> start = ChildNamed(content, u"start-date"))
      if (auto date = DateFromText(ElementText(start.get())))
        SetWide(schedule.get(), 0x4001, static_cast<uint64_t>(*date));
    if (kx2::Ref<IKX2XMLElement> end = ChildNamed(content, u"end-date"))
      if (auto date = DateFromText(ElementText(end.get())))
        SetWide(schedule.get(), 0x4002, static_cast<uint64_t>(*date));
    if (kx2::Ref<IKX2XMLElement> duration = ChildNamed(content, u"duration")) {
      const Duration d = DurationFromText(ElementText(duration.get()));
      SetNumber(schedule.get(), 0x4003, kPropEnum, d.unit);
      SetNumber(schedule.get(), 0x4004, kPropInt, d.count);
    }
    if (kx2::Ref<IKX2XMLElement> progress = ChildNamed(content, u"progress"))
      SetNumber(schedule.get(), 0x4005, kPropInt, IntegerFromText(ElementText(progress.get())));
  }
  Attach(kRoleTask, task.get());
}

}  // namespace foliant::xmind

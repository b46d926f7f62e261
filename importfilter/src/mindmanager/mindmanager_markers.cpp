// The map's marker sets ("ap:MarkersSetGroup"), registered in the document's object table
// before any topic is built: names of stock icon markers, custom icons, text label sets,
// task progress and priority names, and task resources.
#include "mindmanager/mindmanager_reader.h"

#include <basalt/string_util.h>
#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <foliant/common/marker_guid.h>
#include <foliant/common/object_table.h>
#include <foliant/common/xml_walk.h>
#include <win/crt.h>

#include "mindmanager/mm_values.h"

using namespace foliant::mindmanager;

namespace {

// Host groups addressed by number.
enum : LONG { kIconGroup = 361, kPriorityGroup = 99, kProgressGroup = 199, kResourceGroup = 601 };

// A "Dirty" mask read as a decimal: non-zero when the user renamed the set.
bool DirtyDecimal(LPCWSTR text) { return text && *text && wcstoul(text, nullptr, 10) != 0; }

}  // namespace

bool MindManagerReader::ReadMarkerSets(ImportBase& context) {
  HeldPath group(context, root_, {u"ap:MarkersSetGroup"});
  if (!group) return false;
  CurrentElement current(context, group.get());
  return ReadIconMarkers(context, group.get()) && ReadTextLabelSets(context, group.get()) &&
         ReadTaskResources(context, group.get());
}

bool MindManagerReader::ReadIconMarkers(ImportBase& context, IKX2XMLElement* markersSetGroup) {
  {
    HeldPath set(context, markersSetGroup, {u"ap:IconMarkersSets", u"ap:IconMarkersSet"});
    const bool sets = ForElementAndSiblings(set.get(), [&](IKX2XMLElement* markerSet) {
      CurrentElement current(context, markerSet);
      HeldPath marker(context, markerSet, {u"ap:IconMarkers", u"ap:IconMarker"});
      return ForElementAndSiblings(marker.get(), [&](IKX2XMLElement* m) { return ReadMarkerEntry(context, m); });
    });
    if (!sets) return false;
  }
  {
    HeldPath name(context, markersSetGroup, {u"ap:IconMarkersName"});
    if (name) {
      LPCWSTR text = context.GetAttributeText(name.get(), u"Name");
      if (text && !UpdateGroupName(kIconGroup, text)) return false;
    }
  }
  const bool loose = foliant::ForEachChildElement(markersSetGroup, [&](IKX2XMLElement* markers) {
    if (!foliant::TagIsNoCase(markers, u"ap:IconMarkers")) return true;
    return foliant::ForEachChildElement(markers, [&](IKX2XMLElement* m) { return ReadMarkerEntry(context, m); });
  });
  if (!loose) return false;
  // MindManager keeps its progress markers in "ap:TaskPercentageMarkers", as it keeps its
  // priority markers in "ap:TaskPriorityMarkers"; a marker directly in the group counts too.
  return ReadTaskMarkers(context, markersSetGroup, u"ap:TaskPercentageMarkersName",
                         {{u"ap:TaskPercentageMarkers", u"ap:TaskPercentageMarker"}, {u"ap:TaskPercentageMarker"}},
                         u"ap:TaskPercentage", u"TaskPercentage", kProgressGroup) &&
         ReadTaskMarkers(context, markersSetGroup, u"ap:TaskPriorityMarkersName",
                         {{u"ap:TaskPriorityMarkers", u"ap:TaskPriorityMarker"}, {u"ap:TaskPriorityMarker"}},
                         u"ap:TaskPriority", u"TaskPriority", kPriorityGroup);
}

bool MindManagerReader::ReadTaskMarkers(ImportBase& context, IKX2XMLElement* markersSetGroup, LPCWSTR nameElement,
                                        std::initializer_list<std::initializer_list<LPCWSTR>> paths, LPCWSTR child,
                                        LPCWSTR attribute, LONG group) {
  {
    HeldPath name(context, markersSetGroup, {nameElement});
    if (name && DirtyDecimal(name.get()->GetAttribute(u"Dirty"))) {
      LPCWSTR text = context.GetAttributeText(name.get(), u"Name");
      if (text && !UpdateGroupName(group, text)) return false;
    }
  }
  for (const auto& path : paths) {
    HeldPath first(context, markersSetGroup, path);
    if (!first) continue;
    return ForElementAndSiblings(first.get(), [&](IKX2XMLElement* marker) {
      return ReadTaskMarkerEntry(context, marker, child, attribute, group);
    });
  }
  return true;
}

bool MindManagerReader::ReadMarkerEntry(ImportBase& context, IKX2XMLElement* marker) {
  // Only a marker whose name the user changed ("Dirty") renames or adds anything.
  auto dirty = context.GetChildAttributeText(marker, u"ap:Name", u"Dirty");
  if (!dirty || !ParseFlag(*dirty).value_or(false)) return true;
  auto name = context.GetChildAttributeText(marker, u"ap:Name", u"Name");
  const std::u16string markerName = name ? *name : std::u16string();

  if (auto type = context.GetChildAttributeText(marker, u"ap:OneStockIcon", u"IconType")) {
    TqMapRecord record{};
    if (mapper_.Find(TqResourceMapper::kMarkers, type->c_str(), &record) &&
        !UpdateEntryName(foliant::MarkerEntryGuid(record), markerName.c_str()))
      return false;
  }
  auto signature = context.GetChildAttributeText(marker, u"ap:CustomIconImageData", u"IconSignature");
  if (!signature) return true;
  // The picture: the first "cor:Uri" the marker names.
  std::u16string uri;
  {
    kx2::Ref<IKX2XMLNodeList> list(marker->GetChildren(u"cor:Uri"));
    kx2::Ref<IKX2XMLNode> item(list && list->GetCount() > 0 ? list->GetItem(0) : nullptr);
    if (IKX2XMLElement* element = foliant::AsElement(item.get()))
      if (LPCWSTR text = element->GetText()) uri = text;
    if (uri.empty()) uri = DescendantText(marker, u"cor:Uri", 3);
  }
  if (uri.empty()) return false;
  GUID entry{};
  if (!RegisterCustomIcon(markerName.c_str(), uri, &entry)) return false;
  customIcons_[*signature] = entry;
  return true;
}

bool MindManagerReader::ReadTaskMarkerEntry(ImportBase& context, IKX2XMLElement* marker, LPCWSTR child,
                                            LPCWSTR attribute, LONG group) {
  auto dirty = context.GetChildAttributeText(marker, u"ap:Name", u"Dirty");
  if (!dirty || !ParseFlag(*dirty).value_or(false)) return true;
  auto name = context.GetChildAttributeText(marker, u"ap:Name", u"Name");
  auto value = context.GetChildAttributeText(marker, child, attribute);
  TqMapRecord record{};
  if (!value || !mapper_.Find(TqResourceMapper::kMarkers, value->c_str(), &record)) return true;
  const GUID entry = foliant::MarkerEntryGuid(record);
  if (foliant::IsNullGuid(entry)) return true;
  const GUID groupGuid = TqResourceMapper::NumberGuid(group);
  if (!foliant::HasObjectTableEntry(model_.get(), entry) && foliant::HasObjectTableEntry(model_.get(), groupGuid)) {
    GUID added{};
    if (!foliant::AddObjectTableItem(model_.get(), &groupGuid, vantorel::kClassTableEntry, entry,
                                     foliant::kTableKindMarkers, name ? name->c_str() : u"", nullptr, &added))
      return false;
  }
  return UpdateEntryName(entry, name ? name->c_str() : u"");
}

// Custom icons live in a group of their own ("Custom Icons", made by the first one); each
// entry keeps a copy of its picture, taken from the package.
bool MindManagerReader::RegisterCustomIcon(LPCWSTR name, const std::u16string& reference, GUID* out) {
  // The picture is named from its "ico" folder on ("mmarch://icons/a.png"); a reference
  // without it names its entry after the scheme.
  std::u16string entry;
  if (const size_t ico = reference.find(u"ico"); ico != std::u16string::npos) {
    entry = reference.substr(ico);
    for (char16_t& c : entry)
      if (c == u'/') c = u'\\';
  }
  if (entry.empty() || !package_.HasEntry(entry.c_str())) entry = PackageEntryOf(reference);
  if (entry.empty() || !package_.HasEntry(entry.c_str())) return false;
  const foliant::StoredFile* picture = StoreEntry(entry, u"tmp");
  if (!picture && files_.TooLarge()) return false;
  if (!EnsureCustomIconGroup(defaultTexts_[1].c_str())) return false;
  return foliant::AddObjectTableItem(model_.get(), &customIconGroup_, vantorel::kClassTableEntry, GUID{},
                                     foliant::kTableKindMarkers, name, picture, out);
}

bool MindManagerReader::UpdateGroupName(LONG group, LPCWSTR name) {
  PropertyHolder object(FoliantCreateObject(vantorel::kClassTableGroup));
  kx2::Ref<IVtlObjectTable> table(model_->GetObjectTable());
  kx2::Ref<IVtlTableIndex> index(table ? table->GetIndex() : nullptr);
  if (!object || !index) return false;
  const GUID guid = TqResourceMapper::NumberGuid(group);
  if (!index->FindPosition(guid)) return false;
  kx2::Ref<IVtlTableEntry> entry(index->FindEntry(guid));
  if (!entry || !entry->ReadGroupInto(object.Get()) || !object.SetPropertyString(vantorel::kPropEntryName, name))
    return false;
  return table->UpdateGroup(object.Get()) != FALSE;
}

bool MindManagerReader::UpdateEntryName(const GUID& guid, LPCWSTR name) {
  PropertyHolder object(FoliantCreateObject(vantorel::kClassTableEntry));
  kx2::Ref<IVtlObjectTable> table(model_->GetObjectTable());
  kx2::Ref<IVtlTableIndex> index(table ? table->GetIndex() : nullptr);
  if (!object || !index) return false;
  kx2::Ref<IVtlTableEntry> entry(index->FindEntry(guid));
  if (!entry) return true;
  if (!entry->ReadInto(object.Get()) || !object.SetPropertyString(vantorel::kPropEntryName, name)) return false;
  return table->UpdateEntry(object.Get()) != FALSE;
}

bool MindManagerReader::ReadTextLabelSets(ImportBase& context, IKX2XMLElement* markersSetGroup) {
  HeldPath first(context, markersSetGroup, {u"ap:TextLabelMarkersSet"});
  return ForElementAndSiblings(first.get(), [&](IKX2XMLElement* set) {
    auto setName = context.GetChildAttributeText(set, u"ap:Name", u"Name");
    if (!setName) return false;
    GUID group{};
    if (!foliant::AddObjectTableItem(model_.get(), nullptr, vantorel::kClassTableGroup, GUID{},
                                     foliant::kTableKindLabels, setName->c_str(), nullptr, &group))
      return false;
    CurrentElement current(context, set);
    HeldPath label(context, set, {u"ap:TextLabelMarker"});
    return ForElementAndSiblings(label.get(), [&](IKX2XMLElement* marker) {
      auto name = context.GetChildAttributeText(marker, u"ap:Name", u"Name");
      if (!name) return false;
      GUID entry{};
      if (!foliant::AddObjectTableItem(model_.get(), &group, vantorel::kClassTableEntry, GUID{},
                                       foliant::kTableKindLabels, name->c_str(), nullptr, &entry))
        return false;
      labels_[*name] = entry;
      return true;
    });
  });
}

bool MindManagerReader::ReadTaskResources(ImportBase& context, IKX2XMLElement* markersSetGroup) {
  const GUID group = TqResourceMapper::NumberGuid(kResourceGroup);
  {
    HeldPath name(context, markersSetGroup, {u"ap:TaskResourceMarkersName"});
    if (name) {
      LPCWSTR dirty = name.get()->GetAttribute(u"Dirty");
      if (!dirty || !*dirty) return false;
      LPCWSTR text = context.GetAttributeText(name.get(), u"Name");
      if (DirtyDecimal(dirty) && !UpdateGroupName(kResourceGroup, text ? text : u"")) return false;
    }
  }
  HeldPath first(context, markersSetGroup, {u"ap:TaskResourceMarker"});
  return ForElementAndSiblings(first.get(), [&](IKX2XMLElement* marker) {
    auto name = context.GetChildAttributeText(marker, u"ap:Name", u"Name");
    if (!name) return false;
    GUID entry{};
    if (!foliant::AddObjectTableItem(model_.get(), &group, vantorel::kClassTableEntry, GUID{},
                                     foliant::kTableKindLabels, name->c_str(), nullptr, &entry))
      return false;
    resources_[*name] = entry;
    return true;
  });
}

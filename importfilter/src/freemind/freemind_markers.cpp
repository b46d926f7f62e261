// A node's icons (markers) and attributes (labels), and the entries of the document's
// object table they refer to.
#include "freemind/freemind_reader.h"

#include <basalt/path_util.h>
#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <foliant/common/object_table.h>
#include <foliant/common/xml_walk.h>

using foliant::freemind::FreemindReader;

int FreemindReader::ReadAttributeRecord(ImportBase& context, std::vector<AttributeRecord>& records) {
  IKX2XMLElement* element = context.GetCurrentElement();
  if (!element || !element->HasAttribute(u"NAME") || !element->HasAttribute(u"VALUE")) return 0;
  LPCWSTR name = context.GetAttributeText(element, u"NAME");
  LPCWSTR value = context.GetAttributeText(element, u"VALUE");
  const bool noName = !name || !*name;
  const bool noValue = !value || !*value;
  if (noName && noValue) return 1;
  records.push_back(
      {noName ? emptyText_.Get() : std::u16string(name), noValue ? emptyText_.Get() : std::u16string(value)});
  return 1;
}

// A label group per attribute name and, under it, a label entry per value: the labels
// object of a node lists the entries of its name and value pairs.
bool FreemindReader::EnsureLabelEntry(const AttributeRecord& record, GUID* entry) {
  const auto key = std::make_pair(record.name, record.value);
  if (auto it = attributeValues_.find(key); it != attributeValues_.end()) {
    *entry = it->second;
    return true;
  }
  GUID group{};
  if (auto it = attributeGroups_.find(record.name); it != attributeGroups_.end()) {
    group = it->second;
  } else {
    if (!foliant::AddObjectTableItem(model_.get(), nullptr, vantorel::kClassTableGroup, GUID{},
                                     foliant::kTableKindLabels, record.name.c_str(), nullptr, &group))
      return false;
    attributeGroups_[record.name] = group;
  }
  if (!foliant::AddObjectTableItem(model_.get(), &group, vantorel::kClassTableEntry, GUID{}, foliant::kTableKindLabels,
                                   record.value.c_str(), nullptr, entry))
    return false;
  attributeValues_[key] = *entry;
  return true;
}

bool FreemindReader::ImportAttributes(ImportBase& context, const NodeChildren& children) {
  std::vector<AttributeRecord> records;
  const bool read = ForEachGathered(children, ChildKind::kAttribute, [&](IKX2XMLElement* attribute) {
    IKX2XMLElement* previous = context.SetCurrentElement(attribute);
    const int ok = ReadAttributeRecord(context, records);
    context.SetCurrentElement(previous);
    return ok != 0;
  });
  if (!read) return false;
  if (records.empty()) return true;

  PropertyHolder labels(FoliantCreateObject(vantorel::kClassLabels));
  if (!labels) return false;
  PropertyHolder list(labels->CreateList(vantorel::kPropLabelList, static_cast<LONG>(records.size())));
  if (!list) return false;
  for (size_t i = 0; i < records.size(); ++i) {
    GUID entry{};
    if (!EnsureLabelEntry(records[i], &entry) || !list.SetElementGuid(static_cast<LONG>(i), entry)) return false;
  }
  return Attach(vantorel::kRoleLabels, labels.Get());
}

const foliant::StoredFile* FreemindReader::FallbackMarkerPicture() {
  if (!markerPictureStored_) {
    markerPictureStored_ = true;
    WCHAR buffer[MAX_PATH] = {};
    const std::u16string& picture = markerPicture_.Get();
    if (!picture.empty()) Basalt::Util::PathUtil::_PathToAbsolute(picture.c_str(), buffer);
    buffer[MAX_PATH - 1] = 0;
    if (buffer[0]) markerPictureFile_.Store(buffer);
  }
  return markerPictureFile_.key() ? &markerPictureFile_ : nullptr;
}

// The GUID of the marker entry for an icon name. A name of the FreeMind table gives the
// host's stock marker, registered first when the document's table lacks it. Any other name
// becomes a marker entry of its own, named by the icon, showing the plug-in's stand-in
// picture, under a "Custom Icons" group that the first such icon of the import creates.
//
// The stand-in picture goes to the file store only when an entry is made: a map whose icons
// are all in the document's table already stores nothing.
bool FreemindReader::EnsureMarkerEntry(LPCWSTR name, GUID* marker) {
  TqMapRecord record{};
  if (mapper_ && mapper_->Find(TqResourceMapper::kMarkers, name, &record)) {
    *marker = TqResourceMapper::MarkerGuid(record);
    if (foliant::HasObjectTableEntry(model_.get(), *marker)) return true;
    const GUID group = TqResourceMapper::GroupGuid(record);
    const GUID* parent = foliant::HasObjectTableEntry(model_.get(), group) ? &group : nullptr;
    return foliant::AddObjectTableItem(model_.get(), parent, vantorel::kClassTableEntry, *marker,
                                       foliant::kTableKindMarkers, name, FallbackMarkerPicture(), marker);
  }
  if (auto it = customIcons_.find(name); it != customIcons_.end()) {
    *marker = it->second;
    return true;
  }
  if (!EnsureCustomIconGroup(customIconsText_.Get().c_str())) return false;
  if (!foliant::AddObjectTableItem(model_.get(), &customIconGroup_, vantorel::kClassTableEntry, GUID{},
                                   foliant::kTableKindMarkers, name, FallbackMarkerPicture(), marker))
    return false;
  customIcons_[name] = *marker;
  return true;
}

// One marker object per icon, in document order, each naming its marker entry.
bool FreemindReader::ImportIcons(const NodeChildren& children) {
  return ForEachGathered(children, ChildKind::kIcon, [&](IKX2XMLElement* icon) {
    LPCWSTR name = icon->GetAttribute(u"BUILTIN");
    if (!name || !*name) return true;
    GUID entry{};
    if (!EnsureMarkerEntry(name, &entry)) return false;
    PropertyHolder marker(FoliantCreateObject(vantorel::kClassMarker));
    return marker && marker.SetPropertyGuid(vantorel::kPropMarkerGuid, entry) &&
           Attach(vantorel::kRoleMarker, marker.Get());
  });
}

#include <foliant/tq_resource_mapper.h>

#include <new>

#include "mapper/mapper_tables.h"

int TqResourceMapper::Init(int format) {
  Clear();
  bool ok = true;
  try {
    ok = foliant::RegisterFormatTables(*this, format);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!ok) {
    Clear();
    return 0;
  }
  ready_ = true;
  return 1;
}

int TqResourceMapper::Find(int category, LPCWSTR name, TqMapRecord* out) const {
  if (!ready_ || !name || category < 0 || category >= kCategoryCount) return 0;
  const auto& map = categories_[category];
  auto it = map.find(std::u16string_view(name));
  if (it == map.end()) return 0;
  if (out) *out = it->second;
  return 1;
}

void TqResourceMapper::Clear() {
  for (auto& map : categories_) map.clear();
  ready_ = false;
}

int TqResourceMapper::RegisterMarkers(const char16_t* const* names, int count, int storedCount, LONG group,
                                      const LONG* icons, const LONG* values) {
  if (!names || !icons || count < 0 || storedCount < count) return 0;
  auto& map = categories_[kMarkers];
  for (int i = 0; i < count; ++i) {
    if (!names[i]) return 0;
    TqMapRecord r{};
    r.kind = 0;
    r.group = group;
    r.icon = icons[i];
    r.value = values ? values[i] : 0;
    map.try_emplace(names[i], r);  // a name met again keeps its first record
  }
  return 1;
}

int TqResourceMapper::RegisterValues(int category, const char16_t* const* names, int count, int storedCount,
                                     const LONG* values) {
  if (!names || !values || category < 0 || category >= kCategoryCount || count < 0 || storedCount < count) return 0;
  auto& map = categories_[category];
  for (int i = 0; i < count; ++i) {
    if (!names[i]) return 0;
    TqMapRecord r{};
    r.kind = 1;
    r.value = values[i];
    map.try_emplace(names[i], r);
  }
  return 1;
}

GUID TqResourceMapper::NumberGuid(LONG number) {
  GUID g{};
  g.Data1 = static_cast<DWORD>(number);
  return g;
}

GUID TqResourceMapper::MarkerGuid(const TqMapRecord& record) { return NumberGuid(record.icon); }
GUID TqResourceMapper::GroupGuid(const TqMapRecord& record) { return NumberGuid(record.group); }

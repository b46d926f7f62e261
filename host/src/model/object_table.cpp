#include "model/object_table.h"

#include <new>

#include "core/bstr.h"
#include "core/guid_source.h"
#include "model/property_copy.h"

namespace vantorel::detail {
namespace {

struct StockEntry {
  DWORD number;
  const char16_t* name;
};
struct StockGroup {
  DWORD number;
  LONG kind;
  const char16_t* name;
  std::initializer_list<StockEntry> entries;
};

// The host's own marker groups and entries, by resource number.
const StockGroup kStock[] = {
    {301,
     4,
     u"Smileys",
     {{302, u"Smiley happy"},
      {303, u"Smiley neutral"},
      {304, u"Smiley angry"},
      {305, u"Smiley sad"},
      {306, u"Smiley screaming"}}},
    {341,
     4,
     u"Flags",
     {{342, u"Flag green"},
      {343, u"Flag yellow"},
      {344, u"Flag orange"},
      {345, u"Flag red"},
      {346, u"Flag purple"},
      {347, u"Flag blue"},
      {348, u"Flag black"}}},
    {99,
     4,
     u"Priorities",
     {{101, u"Priority 1"},
      {102, u"Priority 2"},
      {103, u"Priority 3"},
      {104, u"Priority 4"},
      {105, u"Priority 5"},
      {106, u"Priority 6"},
      {107, u"Priority 7"},
      {108, u"Priority 8"},
      {109, u"Priority 9"}}},
    {199,
     4,
     u"Progress",
     {{200, u"0%"},
      {210, u"10%"},
      {225, u"25%"},
      {235, u"35%"},
      {250, u"50%"},
      {265, u"65%"},
      {275, u"75%"},
      {290, u"90%"},
      {300, u"100%"}}},
    {321, 4, u"Arrows", {{322, u"Arrow up"}, {323, u"Arrow down"}, {324, u"Arrow left"}, {325, u"Arrow right"}}},
    {361,
     4,
     u"Symbols",
     {{362, u"Thumbs up"},
      {363, u"Thumbs down"},
      {364, u"Question mark"},
      {365, u"Exclamation mark"},
      {366, u"Judge hammer"},
      {367, u"Calendar"},
      {368, u"Dollar"},
      {369, u"Emergency"}}},
    {601, 8, u"Resources", {}},
};

void SetText(VtlObject& o, USHORT id, const char16_t* text) {
  PropertyValue v{};
  v.type = kPropText;
  v.text = AllocBstr(text);
  o.SetProperty(id, &v);
  ClearOwnedValue(v);
}

void SetNumber(VtlObject& o, USHORT id, LONG n) {
  PropertyValue v{};
  v.type = kPropNumber;
  v.i32 = n;
  o.SetProperty(id, &v);
}

void SetGuid(VtlObject& o, USHORT id, const GUID& g) {
  GUID copy = g;
  PropertyValue v{};
  v.type = kPropGuid;
  v.guid = &copy;
  v.flags = kPropFlagNotOwned;
  o.SetProperty(id, &v);
}

class VtlTableEntry : public RefCounted<IVtlTableEntry> {
 public:
  VtlTableEntry(VtlObjectTable* table, const GUID& guid) : table_(Ref<VtlObjectTable>::Share(table)), guid_(guid) {}
  const char* Kind() const override { return "object table entry"; }
  BOOL GetGuid(GUID* out) override {
    if (!out) return FALSE;
    *out = guid_;
    return TRUE;
  }
  BOOL ReadGroupInto(IVtlObject* object) override { return ReadInto(object); }
  BOOL ReadInto(IVtlObject* object) override {
    auto* target = dynamic_cast<VtlObject*>(object);
    TableItem* item = table_->Find(guid_);
    if (!target || !item) return FALSE;
    return target->MergeFrom(*item->props) ? TRUE : FALSE;
  }

 protected:
  void Dispose() override { table_.reset(); }

 private:
  Ref<VtlObjectTable> table_;
  GUID guid_;
};

class VtlTableIndex : public RefCounted<IVtlTableIndex> {
 public:
  explicit VtlTableIndex(VtlObjectTable* table) : table_(Ref<VtlObjectTable>::Share(table)) {}
  const char* Kind() const override { return "object table index"; }
  ULONG_PTR FindPosition(REFGUID guid) override { return table_->PositionOf(guid); }
  IVtlTableEntry* FindEntry(REFGUID guid) override {
    return table_->Find(guid) ? table_->NewEntryInterface(guid) : nullptr;
  }

 protected:
  void Dispose() override { table_.reset(); }

 private:
  Ref<VtlObjectTable> table_;
};

}  // namespace

VtlObjectTable::VtlObjectTable() { AddStock(); }

void VtlObjectTable::AddStock() {
  for (const StockGroup& g : kStock) {
    auto group = std::make_unique<TableItem>();
    group->guid = StockGuid(g.number);
    group->props = Ref<VtlObject>(new VtlObject(kClassTableGroup));
    SetGuid(*group->props, kPropEntryGuid, group->guid);
    SetNumber(*group->props, kPropEntryKind, g.kind);
    SetText(*group->props, kPropEntryName, g.name);
    group->stock = true;
    TableItem* parent = group.get();
    top_.push_back(parent);
    items_.push_back(std::move(group));
    for (const StockEntry& e : g.entries) {
      auto entry = std::make_unique<TableItem>();
      entry->guid = StockGuid(e.number);
      entry->props = Ref<VtlObject>(new VtlObject(kClassTableEntry));
      SetGuid(*entry->props, kPropEntryGuid, entry->guid);
      SetNumber(*entry->props, kPropEntryKind, g.kind);
      SetText(*entry->props, kPropEntryName, e.name);
      entry->stock = true;
      entry->parent = parent;
      parent->children.push_back(entry.get());
      items_.push_back(std::move(entry));
    }
  }
}

TableItem* VtlObjectTable::Find(const GUID& guid) const {
  for (const auto& item : items_)
    if (item->guid == guid) return item.get();
  return nullptr;
}

ULONG_PTR VtlObjectTable::PositionOf(const GUID& guid) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i]->guid == guid) return i + 1;
  return 0;
}

IVtlTableIndex* VtlObjectTable::GetIndex() { return new (std::nothrow) VtlTableIndex(this); }

IVtlTableEntry* VtlObjectTable::NewEntryInterface(const GUID& guid) {
  return new (std::nothrow) VtlTableEntry(this, guid);
}

TableItem* VtlObjectTable::Add(TableItem* parent, IVtlObject* object) {
  auto* source = dynamic_cast<VtlObject*>(object);
  if (!source) return nullptr;
  GUID guid{};
  if (const PropertyValue* g = source->GetPropertyRecord(kPropEntryGuid); g && g->type == kPropGuid && g->guid)
    guid = *g->guid;
  if (IsNullGuid(guid)) guid = NextGuid();
  if (Find(guid)) return nullptr;
  auto item = std::make_unique<TableItem>();
  item->guid = guid;
  item->props = source->Clone();
  if (!item->props) return nullptr;
  SetGuid(*item->props, kPropEntryGuid, guid);
  item->parent = parent;
  TableItem* raw = item.get();
  if (parent) {
    parent->children.push_back(raw);
    if (parent->stock) parent->changed = true;
  } else {
    top_.push_back(raw);
  }
  items_.push_back(std::move(item));
  return raw;
}

IVtlTableEntry* VtlObjectTable::AddAtTop(IVtlObject* object) {
  TableItem* item = Add(nullptr, object);
  return item ? NewEntryInterface(item->guid) : nullptr;
}

IVtlTableEntry* VtlObjectTable::AddUnder(ULONG_PTR position, IVtlObject* object) {
  if (position == 0 || position > items_.size()) return nullptr;
  TableItem* item = Add(items_[position - 1].get(), object);
  return item ? NewEntryInterface(item->guid) : nullptr;
}

BOOL VtlObjectTable::Update(IVtlObject* object) {
  auto* source = dynamic_cast<VtlObject*>(object);
  if (!source) return FALSE;
  const PropertyValue* g = source->GetPropertyRecord(kPropEntryGuid);
  if (!g || g->type != kPropGuid || !g->guid) return FALSE;
  TableItem* item = Find(*g->guid);
  if (!item) return FALSE;
  if (!item->props->MergeFrom(*source)) return FALSE;
  if (item->stock) item->changed = true;
  return TRUE;
}

void VtlObjectTable::DropContents() {
  auto items = std::move(items_);
  items_.clear();
  top_.clear();
}

}  // namespace vantorel::detail

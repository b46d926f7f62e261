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
    auto* target = AsModelObject(object);
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

namespace {

// The stock groups' and entries' properties, in the order of kStock (each group, then its
// entries), made once per process: every new table names them instead of building its own,
// and they are never changed (an item copies them at its first change). They belong to no
// document, so the census does not count them.
const std::vector<Ref<VtlObject>>& StockProperties() {
  static const std::vector<Ref<VtlObject>> shared = [] {
    std::vector<Ref<VtlObject>> made;
    auto add = [&](LONG classId, DWORD number, LONG kind, const char16_t* name) {
      Ref<VtlObject> props(new VtlObject(classId));
      CensusForget(props.get());
      SetGuid(*props, kPropEntryGuid, StockGuid(number));
      SetNumber(*props, kPropEntryKind, kind);
      SetText(*props, kPropEntryName, name);
      made.push_back(std::move(props));
    };
    for (const StockGroup& g : kStock) {
      add(kClassTableGroup, g.number, g.kind, g.name);
      for (const StockEntry& e : g.entries) add(kClassTableEntry, e.number, g.kind, e.name);
    }
    return made;
  }();
  return shared;
}

}  // namespace

VtlObjectTable::VtlObjectTable() { AddStock(); }

void VtlObjectTable::AddStock() {
  const std::vector<Ref<VtlObject>>& props = StockProperties();
  stockItems_ = std::make_unique<TableItem[]>(props.size());
  items_.reserve(props.size());
  size_t next = 0;
  for (const StockGroup& g : kStock) {
    TableItem* group = &stockItems_[next];
    group->guid = StockGuid(g.number);
    group->props = Ref<VtlObject>::Share(props[next++].get());
    group->stock = group->sharedProps = true;
    top_.push_back(group);
    items_.push_back(group);
    group->children.reserve(g.entries.size());
    for (const StockEntry& e : g.entries) {
      TableItem* entry = &stockItems_[next];
      entry->guid = StockGuid(e.number);
      entry->props = Ref<VtlObject>::Share(props[next++].get());
      entry->stock = entry->sharedProps = true;
      entry->parent = group;
      group->children.push_back(entry);
      items_.push_back(entry);
    }
  }
}

TableItem* VtlObjectTable::Find(const GUID& guid) const {
  for (TableItem* item : items_)
    if (item->guid == guid) return item;
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
  auto* source = AsModelObject(object);
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
  items_.push_back(raw);
  addedItems_.push_back(std::move(item));
  return raw;
}

IVtlTableEntry* VtlObjectTable::AddAtTop(IVtlObject* object) {
  TableItem* item = Add(nullptr, object);
  return item ? NewEntryInterface(item->guid) : nullptr;
}

IVtlTableEntry* VtlObjectTable::AddUnder(ULONG_PTR position, IVtlObject* object) {
  if (position == 0 || position > items_.size()) return nullptr;
  TableItem* item = Add(items_[position - 1], object);
  return item ? NewEntryInterface(item->guid) : nullptr;
}

BOOL VtlObjectTable::Update(IVtlObject* object) {
  auto* source = AsModelObject(object);
  if (!source) return FALSE;
  const PropertyValue* g = source->GetPropertyRecord(kPropEntryGuid);
  if (!g || g->type != kPropGuid || !g->guid) return FALSE;
  TableItem* item = Find(*g->guid);
  if (!item) return FALSE;
  if (item->sharedProps) {
    Ref<VtlObject> own = item->props->Clone();
    if (!own) return FALSE;
    item->props = std::move(own);
    item->sharedProps = false;
  }
  if (!item->props->MergeFrom(*source)) return FALSE;
  if (item->stock) item->changed = true;
  return TRUE;
}

void VtlObjectTable::DropContents() {
  items_.clear();
  top_.clear();
  auto stock = std::move(stockItems_);
  auto added = std::move(addedItems_);
}

}  // namespace vantorel::detail

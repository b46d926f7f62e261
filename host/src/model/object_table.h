// The document's object table: groups of entries (markers, labels, task resources) that
// model objects refer to by GUID. The host's stock marker groups and entries are in every
// new table, under GUIDs whose first word is their resource number and the rest zero.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <vantorel/model_interfaces.h>

#include "core/census.h"
#include "model/model_object.h"

namespace vantorel::detail {

struct TableItem {
  GUID guid{};
  // Class 524 or 525: kind 0x4001, name 0x4002, file 0x4003. An unchanged stock item's are
  // shared by every table of the process and never changed: the first change copies them.
  Ref<VtlObject> props;
  TableItem* parent = nullptr;
  std::vector<TableItem*> children;
  bool stock = false;
  bool changed = false;      // a stock item renamed or given new entries
  bool sharedProps = false;  // `props` are the process's stock copy
};

class VtlObjectTable : public RefCounted<IVtlObjectTable> {
 public:
  VtlObjectTable();
  const char* Kind() const override { return "object table"; }

  IVtlTableIndex* GetIndex() override;
  IVtlTableEntry* AddAtTop(IVtlObject* object) override;
  IVtlTableEntry* AddUnder(ULONG_PTR position, IVtlObject* object) override;
  BOOL UpdateGroup(IVtlObject* object) override { return Update(object); }
  BOOL UpdateEntry(IVtlObject* object) override { return Update(object); }

  TableItem* Find(const GUID& guid) const;
  ULONG_PTR PositionOf(const GUID& guid) const;
  const std::vector<TableItem*>& topLevel() const { return top_; }
  IVtlTableEntry* NewEntryInterface(const GUID& guid);
  void DropContents();

 protected:
  void Dispose() override { DropContents(); }

 private:
  TableItem* Add(TableItem* parent, IVtlObject* object);
  BOOL Update(IVtlObject* object);
  void AddStock();

  // Every item in the order it joined; the stock items live in one block, the others
  // each in their own.
  std::vector<TableItem*> items_;
  std::unique_ptr<TableItem[]> stockItems_;
  std::vector<std::unique_ptr<TableItem>> addedItems_;
  std::vector<TableItem*> top_;
};

}  // namespace vantorel::detail

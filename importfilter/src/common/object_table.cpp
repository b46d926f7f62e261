#include <foliant/common/ObjectTable.h>

#include <foliant/HostBinding.h>
#include <foliant/PropertyValues.h>
#include <foliant/common/HostRef.h>

namespace foliant {

bool HasObjectTableEntry(IVtlModel* model, const GUID& guid) {
  if (!model) return false;
  HostRef<IVtlObjectTable> table(model->GetObjectTable());
  HostRef<IVtlTableIndex> index(table ? table->GetIndex() : nullptr);
  HostRef<IVtlTableEntry> entry(index ? index->FindEntry(guid) : nullptr);
  return static_cast<bool>(entry);
}

bool AddObjectTableItem(IVtlModel* model, const GUID* parent, LONG classId, const GUID& guid, LONG kind,
                        LPCWSTR name, LPCWSTR storedFile, GUID* out) {
  if (!model) return false;
  HostRef<IVtlObjectTable> table(model->GetObjectTable());
  if (!table) return false;
  PropertyHolder item(FoliantCreateObject(classId));
  if (!item) return false;
  if (!item.SetPropertyGuid(vantorel::kPropEntryGuid, guid) ||
      !item.SetPropertyValue(vantorel::kPropEntryKind, vantorel::kPropNumber, static_cast<DWORD>(kind)) ||
      !item.SetPropertyString(vantorel::kPropEntryName, name ? name : u""))
    return false;
  if (storedFile) {
    IVtlApplication* app = FoliantHostApplication();
    HostRef<IVtlFileStore> store(app ? app->GetFileStore() : nullptr);
    if (store) {
      // The store's key carries one reference of ours, dropped once the property holds
      // its own.
      if (ULONG_PTR key = store->StoreFile(storedFile, 0, 1)) {
        item.SetPropertyObject(vantorel::kPropEntryFile, key, store.get());
        store->DropKey(key);
      }
    }
  }
  HostRef<IVtlTableEntry> entry;
  if (parent) {
    HostRef<IVtlTableIndex> index(table->GetIndex());
    const ULONG_PTR position = index ? index->FindPosition(*parent) : 0;
    if (!position) return false;
    entry.reset(table->AddUnder(position, item.Get()));
  } else {
    entry.reset(table->AddAtTop(item.Get()));
  }
  if (!entry) return false;
  GUID given{};
  if (!entry->GetGuid(&given)) return false;
  if (out) *out = given;
  return true;
}

}  // namespace foliant

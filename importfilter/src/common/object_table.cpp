#include <foliant/common/object_table.h>

#include <foliant/host_binding.h>
#include <foliant/property_values.h>
#include <kx2/Ref.h>

namespace foliant {

bool HasObjectTableEntry(IVtlModel* model, const GUID& guid) {
  if (!model) return false;
  kx2::Ref<IVtlObjectTable> table(model->GetObjectTable());
  kx2::Ref<IVtlTableIndex> index(table ? table->GetIndex() : nullptr);
  kx2::Ref<IVtlTableEntry> entry(index ? index->FindEntry(guid) : nullptr);
  return static_cast<bool>(entry);
}

bool StoredFile::Store(LPCWSTR path, IVtlApplication* application) {
  Reset();
  IVtlApplication* app = application ? application : FoliantHostApplication();
  store_.reset(app && path ? app->GetFileStore() : nullptr);
  key_ = store_ ? store_->StoreFile(path, 0, 1) : 0;
  if (!key_) store_.reset();
  return key_ != 0;
}

void StoredFile::Reset() {
  if (store_ && key_) store_->DropKey(key_);
  key_ = 0;
  store_.reset();
}

bool AddObjectTableItem(IVtlModel* model, const GUID* parent, LONG classId, const GUID& guid, LONG kind, LPCWSTR name,
                        const StoredFile* file, GUID* out) {
  if (!model) return false;
  kx2::Ref<IVtlObjectTable> table(model->GetObjectTable());
  if (!table) return false;
  PropertyHolder item(FoliantCreateObject(classId));
  if (!item) return false;
  if (!item.SetPropertyGuid(vantorel::kPropEntryGuid, guid) ||
      !item.SetPropertyValue(vantorel::kPropEntryKind, vantorel::kPropNumber, static_cast<DWORD>(kind)) ||
      !item.SetPropertyString(vantorel::kPropEntryName, name ? name : u""))
    return false;
  // The property takes a reference of its own to the key.
  if (file && file->key() && !item.SetPropertyObject(vantorel::kPropEntryFile, file->key(), file->store()))
    return false;
  kx2::Ref<IVtlTableEntry> entry;
  if (parent) {
    kx2::Ref<IVtlTableIndex> index(table->GetIndex());
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

bool AddObjectTableItem(IVtlModel* model, const GUID* parent, LONG classId, const GUID& guid, LONG kind, LPCWSTR name,
                        LPCWSTR storedFile, GUID* out) {
  StoredFile file;
  if (storedFile) file.Store(storedFile);
  return AddObjectTableItem(model, parent, classId, guid, kind, name, &file, out);
}

}  // namespace foliant

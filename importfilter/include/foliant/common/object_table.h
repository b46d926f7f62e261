// The document's object table as the importers fill it: groups (class 525) holding entries
// (class 524) that markers, labels and task resources refer to by GUID.
#pragma once

#include <cstddef>

#include <kx2/Ref.h>
#include <vantorel/app_interfaces.h>

namespace foliant {

// Kinds of table groups and entries (property 0x4001).
enum : LONG { kTableKindMarkers = 4, kTableKindLabels = 8 };

// True when the document's object table holds an entry (or group) with that GUID.
bool HasObjectTableEntry(IVtlModel* model, const GUID& guid);

// A copy of a file kept by the host's file store (its key), made once and named by as many
// table entries or pictures as need it; the key is dropped with the object.
class StoredFile {
 public:
  StoredFile() = default;
  ~StoredFile() { Reset(); }
  StoredFile(const StoredFile&) = delete;
  StoredFile& operator=(const StoredFile&) = delete;

  // Hands the file at a Windows path to the store of `application` (the loaded host's when
  // null); false when it cannot be stored.
  bool Store(LPCWSTR path, IVtlApplication* application = nullptr);
  void Reset();
  ULONG_PTR key() const { return key_; }
  IVtlFileStore* store() const { return store_.get(); }

 private:
  kx2::Ref<IVtlFileStore> store_;
  ULONG_PTR key_ = 0;
};

// Adds a group or an entry (`classId` 525 or 524) with 0x4000 = `guid` (all-zero: the table
// gives a new one), 0x4001 = (9, kind) and 0x4002 = name, at the top of the table when
// `parent` is null, else under the item with that GUID. With a stored `file`, 0x4003 holds
// its key. The new item's GUID goes to *out. False when an object cannot be made, the
// parent is not in the table, or the table refuses the item.
bool AddObjectTableItem(IVtlModel* model, const GUID* parent, LONG classId, const GUID& guid, LONG kind, LPCWSTR name,
                        const StoredFile* file, GUID* out);
// The same, storing the file at `storedFile` (a Windows path) for this item alone; 0x4003
// is left out when the file cannot be stored.
bool AddObjectTableItem(IVtlModel* model, const GUID* parent, LONG classId, const GUID& guid, LONG kind, LPCWSTR name,
                        LPCWSTR storedFile, GUID* out);
// The same without a file.
inline bool AddObjectTableItem(IVtlModel* model, const GUID* parent, LONG classId, const GUID& guid, LONG kind,
                               LPCWSTR name, std::nullptr_t, GUID* out) {
  return AddObjectTableItem(model, parent, classId, guid, kind, name, static_cast<const StoredFile*>(nullptr), out);
}

}  // namespace foliant

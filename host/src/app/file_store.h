// The host's file store: copies of files the modules hand over, under counted keys. A small
// file's copy is kept in memory (up to a budget for all of them): making and removing a
// file costs far more than the few bytes of a marker picture. A larger one is copied file
// to file into the temporary folder under a name of the store's own, so that however large
// a stored file is, it never sits whole in memory. A copy goes with the last reference to
// its key.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <vantorel/app_interfaces.h>

#include "core/census.h"

namespace vantorel::detail {

struct StoredFile {
  std::u16string sourcePath;   // the Windows path it was copied from; empty for a raw value
  std::filesystem::path copy;  // the store's own copy as a file, or empty
  std::shared_ptr<const std::vector<unsigned char>> bytes;  // the copy of a small file
  uint64_t size = 0;                                        // bytes of the copy
  ULONG_PTR rawValue = 0;                                   // for a key made for a value that is not a file
  ULONG refs = 0;
  int number = 0;  // 1, 2, ... in the order stored
};

class VtlFileStore : public RefCounted<IVtlFileStore> {
 public:
  ~VtlFileStore() override;
  const char* Kind() const override { return "file store"; }

  ULONG_PTR KeyForValue(ULONG_PTR value) override;
  BOOL DropKey(ULONG_PTR key) override;
  ULONG_PTR StoreFile(LPCWSTR path, LONG reserved, LONG copy) override;
  // Attachments (file_store_attachments.cpp).
  LONG GetAttachmentPath(ULONG_PTR handle, LPWSTR path) override;
  ULONG_PTR FindAttachment(const LONG* identifier, LONG reserved, LONG reserved2) override;
  LONG AdoptAttachment(const LONG* identifier, LPCWSTR fileName, LONG reserved, const void* record) override;
  // The host's own file for an attachment: it stays where it is.
  void AddOwnAttachment(const LONG* identifier, std::u16string windowsPath);
  // The attachment's bytes, read from its file; false when the store has no such attachment.
  bool AttachmentBytes(const LONG* identifier, std::vector<unsigned char>* out, bool* adopted) const;
  void DropAttachments();

  // A copy of the record a key names (not of the file), or false.
  bool Lookup(ULONG_PTR key, StoredFile* out) const;
  void ResetNumbering();

 private:
  ULONG_PTR NewKey(StoredFile file);
  // A new name for a copy in the temporary folder; empty when there is none.
  std::filesystem::path NextCopyName();
  // Reads a regular file of at most the small size into `out` when the memory budget has
  // room for it; false (nothing taken from the budget) for any other file.
  bool ReadSmallFile(const std::filesystem::path& source, std::vector<unsigned char>* out);
  // Copies the file file to file; its key record's copy and size, or false.
  bool CopyToFile(const std::filesystem::path& source, StoredFile* file);

  struct AttachmentEntry {
    std::u16string path;               // the file's Windows path; for an adopted one written on request
    std::vector<unsigned char> bytes;  // an adopted attachment's copy
    bool adopted = false;
    ULONG_PTR handle = 0;
  };
  using AttachmentId = std::array<LONG, 4>;

  mutable std::mutex lock_;
  std::map<AttachmentId, AttachmentEntry> attachments_;
  ULONG_PTR nextHandle_ = 1;
  std::map<ULONG_PTR, StoredFile> files_;
  ULONG_PTR nextKey_ = 0x1000;
  int nextNumber_ = 1;
  uint64_t stamp_ = 0;  // of this store's copy names, chosen on first use
  uint64_t nextCopy_ = 1;
  uint64_t bytesInMemory_ = 0;  // of the small copies held now
};

}  // namespace vantorel::detail

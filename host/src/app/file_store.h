// The host's file store: copies of files the modules hand over, under counted keys.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <vantorel/app_interfaces.h>

#include "core/census.h"

namespace vantorel::detail {

struct StoredFile {
  std::u16string sourcePath;  // the Windows path it was copied from; empty for a raw value
  std::vector<unsigned char> bytes;
  ULONG_PTR rawValue = 0;  // for a key made for a value that is not a file
  ULONG refs = 0;
  int number = 0;  // 1, 2, ... in the order stored
};

class VtlFileStore : public RefCounted<IVtlFileStore> {
 public:
  const char* Kind() const override { return "file store"; }

  ULONG_PTR KeyForValue(ULONG_PTR value) override;
  BOOL DropKey(ULONG_PTR key) override;
  ULONG_PTR StoreFile(LPCWSTR path, LONG reserved, LONG copy) override;

  // A copy of the stored file a key names, or false.
  bool Lookup(ULONG_PTR key, StoredFile* out) const;
  void ResetNumbering();

 private:
  ULONG_PTR NewKey(StoredFile file);

  mutable std::mutex lock_;
  std::map<ULONG_PTR, StoredFile> files_;
  ULONG_PTR nextKey_ = 0x1000;
  int nextNumber_ = 1;
};

}  // namespace vantorel::detail

#include "app/file_store.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <kx2/PathMap.h>
#include <kx2/Utf.h>

namespace vantorel::detail {

ULONG_PTR VtlFileStore::NewKey(StoredFile file) {
  std::lock_guard<std::mutex> guard(lock_);
  const ULONG_PTR key = nextKey_++;
  file.refs = 1;
  file.number = nextNumber_++;
  files_.emplace(key, std::move(file));
  CensusKeyAdded();
  return key;
}

ULONG_PTR VtlFileStore::KeyForValue(ULONG_PTR value) {
  if (value == 0) return 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = files_.find(value);
    if (it != files_.end()) {
      ++it->second.refs;
      return value;
    }
  }
  StoredFile raw;
  raw.rawValue = value;
  return NewKey(std::move(raw));
}

BOOL VtlFileStore::DropKey(ULONG_PTR key) {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = files_.find(key);
  if (it == files_.end()) return FALSE;
  if (--it->second.refs == 0) {
    files_.erase(it);
    CensusKeyDropped();
  }
  return TRUE;
}

ULONG_PTR VtlFileStore::StoreFile(LPCWSTR path, LONG, LONG) {
  if (!path || !*path) return 0;
  std::u16string windowsPath(path);
  auto posix = kx2::ToPosixPath(windowsPath);
  if (!posix) return 0;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(*posix, ec)) return 0;
  std::ifstream in(*posix, std::ios::binary);
  if (!in) return 0;
  StoredFile file;
  file.sourcePath = windowsPath;
  file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) return 0;
  return NewKey(std::move(file));
}

bool VtlFileStore::Lookup(ULONG_PTR key, StoredFile* out) const {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = files_.find(key);
  if (it == files_.end()) return false;
  if (out) *out = it->second;
  return true;
}

void VtlFileStore::ResetNumbering() {
  std::lock_guard<std::mutex> guard(lock_);
  nextNumber_ = 1;
}

}  // namespace vantorel::detail

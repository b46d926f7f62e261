#include "app/file_store.h"

#include <random>
#include <utility>

#include <kx2/PathMap.h>

namespace vantorel::detail {

VtlFileStore::~VtlFileStore() {
  std::error_code ec;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
}

std::filesystem::path VtlFileStore::Folder() {
  if (!folder_.empty()) return folder_;
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) return {};
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::filesystem::path candidate = base / ("vantorel-files-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate, ec) && !ec) return folder_ = candidate;
  }
  return {};
}

ULONG_PTR VtlFileStore::NewKey(StoredFile file) {
  const ULONG_PTR key = nextKey_++;
  file.refs = 1;
  file.number = nextNumber_++;
  files_.emplace(key, std::move(file));
  CensusKeyAdded();
  return key;
}

ULONG_PTR VtlFileStore::KeyForValue(ULONG_PTR value) {
  if (value == 0) return 0;
  std::lock_guard<std::mutex> guard(lock_);
  auto it = files_.find(value);
  if (it != files_.end()) {
    ++it->second.refs;
    return value;
  }
  StoredFile raw;
  raw.rawValue = value;
  return NewKey(std::move(raw));
}

BOOL VtlFileStore::DropKey(ULONG_PTR key) {
  std::filesystem::path copy, emptied;
  {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = files_.find(key);
    if (it == files_.end()) return FALSE;
    if (--it->second.refs > 0) return TRUE;
    copy = std::move(it->second.copy);
    files_.erase(it);
    CensusKeyDropped();
    // The folder goes with the last copy, so that nothing is left behind when the process
    // ends with every document closed.
    if (!copy.empty() && --copies_ == 0) emptied = std::exchange(folder_, {});
  }
  std::error_code ec;
  if (!copy.empty()) std::filesystem::remove(copy, ec);
  if (!emptied.empty()) std::filesystem::remove_all(emptied, ec);
  return TRUE;
}

ULONG_PTR VtlFileStore::StoreFile(LPCWSTR path, LONG, LONG) {
  if (!path || !*path) return 0;
  std::u16string windowsPath(path);
  auto posix = kx2::ToPosixPath(windowsPath);
  if (!posix) return 0;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(*posix, ec)) return 0;
  std::filesystem::path copy;
  {
    std::lock_guard<std::mutex> guard(lock_);
    const std::filesystem::path folder = Folder();
    if (folder.empty()) return 0;
    copy = folder / std::to_string(nextCopy_++);
    ++copies_;  // the folder stays while this copy is being made
  }
  auto fail = [&] {
    std::filesystem::remove(copy, ec);
    std::lock_guard<std::mutex> guard(lock_);
    --copies_;
    return ULONG_PTR{0};
  };
  // The copy goes file to file (the library hands it to the kernel where it can), so the
  // store never holds a file in memory.
  if (!std::filesystem::copy_file(*posix, copy, std::filesystem::copy_options::overwrite_existing, ec) || ec)
    return fail();
  StoredFile file;
  file.sourcePath = std::move(windowsPath);
  file.size = std::filesystem::file_size(copy, ec);
  if (ec) return fail();
  file.copy = std::move(copy);
  std::lock_guard<std::mutex> guard(lock_);
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

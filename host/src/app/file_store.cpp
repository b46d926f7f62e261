#include "app/file_store.h"

#include <cstdlib>
#include <random>

#include <kx2/PathMap.h>

namespace vantorel::detail {

VtlFileStore::~VtlFileStore() {
  std::error_code ec;
  for (const auto& [key, file] : files_)
    if (!file.copy.empty()) std::filesystem::remove(file.copy, ec);
}

namespace {

// The temporary folder as the standard library names it, without its check that the folder
// is there: a copy made into a folder that is not fails anyway, and the check is a call
// to the file system for every file stored.
std::filesystem::path TemporaryFolder() {
  for (const char* name : {"TMPDIR", "TMP", "TEMP", "TEMPDIR"})
    if (const char* value = std::getenv(name); value && *value) return value;
  return "/tmp";
}

}  // namespace

std::filesystem::path VtlFileStore::NextCopyName() {
  const std::filesystem::path base = TemporaryFolder();
  if (!stamp_) {
    // Names of this store's own, so that two processes sharing the temporary folder never
    // meet; seeded once, as opening the random device shows in a short import.
    static std::mt19937_64 random{std::random_device{}()};
    stamp_ = random() | 1;
  }
  return base / ("vantorel-file-" + std::to_string(stamp_) + "-" + std::to_string(nextCopy_++));
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
  std::filesystem::path copy;
  {
    std::lock_guard<std::mutex> guard(lock_);
    auto it = files_.find(key);
    if (it == files_.end()) return FALSE;
    if (--it->second.refs > 0) return TRUE;
    copy = std::move(it->second.copy);
    files_.erase(it);
    CensusKeyDropped();
  }
  std::error_code ec;
  if (!copy.empty()) std::filesystem::remove(copy, ec);
  return TRUE;
}

ULONG_PTR VtlFileStore::StoreFile(LPCWSTR path, LONG, LONG) {
  if (!path || !*path) return 0;
  std::u16string windowsPath(path);
  auto posix = kx2::ToPosixPath(windowsPath);
  if (!posix) return 0;
  std::error_code ec;
  std::filesystem::path copy;
  {
    std::lock_guard<std::mutex> guard(lock_);
    copy = NextCopyName();
  }
  if (copy.empty()) return 0;
  auto fail = [&] {
    std::filesystem::remove(copy, ec);
    return ULONG_PTR{0};
  };
  // The copy goes file to file (the library hands it to the kernel where it can), so the
  // store never holds a file in memory; a name some other file took is never overwritten.
  // The library refuses a source that is not a regular file, a folder among them.
  if (!std::filesystem::copy_file(*posix, copy, std::filesystem::copy_options::none, ec) || ec)
    return ec == std::errc::file_exists ? ULONG_PTR{0} : fail();
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

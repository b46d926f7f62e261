#include "app/file_store.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

#include <kx2/PathMap.h>
#include <kx2/RegularFileReader.h>

namespace vantorel::detail {

VtlFileStore::~VtlFileStore() {
  std::error_code ec;
  for (const auto& [key, file] : files_)
    if (!file.copy.empty()) std::filesystem::remove(file.copy, ec);
}

namespace {

// A file of at most this many bytes is copied into memory, while all such copies together
// stay within the budget; past it, small files are copied to files like large ones.
constexpr uint64_t kSmallFileBytes = 64 * 1024;
constexpr uint64_t kMemoryBudget = 32 * 1024 * 1024;

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
    if (it->second.bytes) bytesInMemory_ -= it->second.size;
    files_.erase(it);
    CensusKeyDropped();
  }
  std::error_code ec;
  if (!copy.empty()) std::filesystem::remove(copy, ec);
  return TRUE;
}

bool VtlFileStore::ReadSmallFile(const std::filesystem::path& source, std::vector<unsigned char>* out) {
  // The file is opened once and its size read from the open file; anything but a regular
  // file (a folder, a pipe) goes on to the file-to-file copy, which refuses it.
  kx2::RegularFileReader file(source.string());
  if (!file.IsOpen() || file.Size() > kSmallFileBytes) return false;
  const uint64_t size = file.Size();
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (bytesInMemory_ + size > kMemoryBudget) return false;
    bytesInMemory_ += size;
  }
  // The copy is the file as large as it was when opened.
  out->resize(size);
  const int64_t got = file.ReadAll(out->data(), out->size());
  std::lock_guard<std::mutex> guard(lock_);
  if (got < 0) {
    bytesInMemory_ -= size;
    return false;
  }
  out->resize(static_cast<size_t>(got));
  bytesInMemory_ -= size - static_cast<uint64_t>(got);
  return true;
}

bool VtlFileStore::CopyToFile(const std::filesystem::path& source, StoredFile* file) {
  std::error_code ec;
  std::filesystem::path copy;
  {
    std::lock_guard<std::mutex> guard(lock_);
    copy = NextCopyName();
  }
  if (copy.empty()) return false;
  // The copy goes file to file (the library hands it to the kernel where it can), so the
  // store never holds a file in memory; a name some other file took is never overwritten.
  // The library refuses a source that is not a regular file, a folder among them.
  if (!std::filesystem::copy_file(source, copy, std::filesystem::copy_options::none, ec) || ec) {
    if (ec != std::errc::file_exists) std::filesystem::remove(copy, ec);
    return false;
  }
  file->size = std::filesystem::file_size(copy, ec);
  if (ec) {
    std::filesystem::remove(copy, ec);
    return false;
  }
  file->copy = std::move(copy);
  return true;
}

ULONG_PTR VtlFileStore::StoreFile(LPCWSTR path, LONG, LONG) {
  if (!path || !*path) return 0;
  std::u16string windowsPath(path);
  auto posix = kx2::ToPosixPath(windowsPath);
  if (!posix) return 0;
  StoredFile file;
  auto bytes = std::make_shared<std::vector<unsigned char>>();
  if (ReadSmallFile(*posix, bytes.get())) {
    file.size = bytes->size();
    file.bytes = std::move(bytes);
  } else if (!CopyToFile(*posix, &file)) {
    return 0;
  }
  file.sourcePath = std::move(windowsPath);
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

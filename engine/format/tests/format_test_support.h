// Helpers shared by the shape-format tests: record archives over memory.
#pragma once

#include <cstring>
#include <memory>
#include <vector>

#include <plastrum/Kx2Archive.h>
#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2MemFile.h>

namespace format_test {

// Runs `fill` on a fresh writing archive (optionally with a mapper as its context) and
// returns the stored bytes.
template <class Fill>
std::vector<uint8_t> WriteArchive(Fill fill, void* context = nullptr) {
  CKx2MemFile file;
  CKx2DataBlock archive;
  archive.Attach(&file, 0);
  archive.SetContext(context);
  fill(archive);
  archive.Reset();
  const auto* p = static_cast<const uint8_t*>(file.GetBuffer());
  return std::vector<uint8_t>(p, p + file.GetLength());
}

// A reading archive over a copy of the bytes.
class ReadArchive {
 public:
  explicit ReadArchive(const std::vector<uint8_t>& bytes, void* context = nullptr) {
    void* copy = Kx2Heap::Allocate(bytes.size());
    if (!bytes.empty()) std::memcpy(copy, bytes.data(), bytes.size());
    file_ = std::make_unique<CKx2MemFile>(copy, static_cast<int32_t>(bytes.size()));
    archive_.Attach(file_.get(), 0);
    archive_.SetContext(context);
  }
  ~ReadArchive() { archive_.Reset(); }
  CKx2DataBlock& operator*() { return archive_; }
  CKx2DataBlock* operator->() { return &archive_; }

 private:
  std::unique_ptr<CKx2MemFile> file_;
  CKx2DataBlock archive_;
};

}  // namespace format_test

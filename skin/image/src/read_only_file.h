// A file on disk opened read-only as an MFC file object, for the image loaders.
#pragma once

#include <win/afx.h>

namespace ornatex {

class ReadOnlyFile : public CFile {
 public:
  ReadOnlyFile() = default;
  ~ReadOnlyFile() override { Close(); }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // FALSE when the file cannot be opened for reading.
  BOOL Open(LPCWSTR path);

  ULONGLONG GetPosition() const override;
  ULONGLONG Seek(LONGLONG offset, UINT from) override;
  void SetLength(ULONGLONG) override {}
  ULONGLONG GetLength() const override;
  UINT Read(void* buffer, UINT count) override;
  void Write(const void*, UINT) override {}
  void Close() override;

 private:
  HANDLE file_ = nullptr;
};

// The stream's Read as a C read function: exceptions stay on this side, a failure is a
// short count.
size_t ReadStream(void* stream, uint8_t* buffer, size_t count);

}  // namespace ornatex

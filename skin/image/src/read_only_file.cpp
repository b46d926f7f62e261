#include "read_only_file.h"

#include <win/fileapi.h>
#include <win/kernel.h>

namespace ornatex {

BOOL ReadOnlyFile::Open(LPCWSTR path) {
  Close();
  HANDLE h = path ? CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                  : INVALID_HANDLE_VALUE;
  if (h == INVALID_HANDLE_VALUE) return FALSE;
  file_ = h;
  SetFilePath(path);
  return TRUE;
}

ULONGLONG ReadOnlyFile::GetPosition() const {
  LARGE_INTEGER zero{}, at{};
  return file_ && SetFilePointerEx(file_, zero, &at, FILE_CURRENT) ? static_cast<ULONGLONG>(at.QuadPart) : 0;
}

ULONGLONG ReadOnlyFile::Seek(LONGLONG offset, UINT from) {
  LARGE_INTEGER move{}, at{};
  move.QuadPart = offset;
  return file_ && SetFilePointerEx(file_, move, &at, from) ? static_cast<ULONGLONG>(at.QuadPart) : 0;
}

ULONGLONG ReadOnlyFile::GetLength() const {
  LARGE_INTEGER size{};
  return file_ && GetFileSizeEx(file_, &size) ? static_cast<ULONGLONG>(size.QuadPart) : 0;
}

UINT ReadOnlyFile::Read(void* buffer, UINT count) {
  DWORD got = 0;
  if (!file_ || !ReadFile(file_, buffer, count, &got, nullptr)) return 0;
  return got;
}

void ReadOnlyFile::Close() {
  if (file_) CloseHandle(file_);
  file_ = nullptr;
}

size_t ReadStream(void* stream, uint8_t* buffer, size_t count) {
  size_t total = 0;
  try {
    auto* file = static_cast<CFile*>(stream);
    while (total < count) {
      const UINT want = count - total > 0x40000000u ? 0x40000000u : static_cast<UINT>(count - total);
      const UINT got = file->Read(buffer + total, want);
      if (got == 0) break;
      total += got;
    }
  } catch (CException* e) {
    e->Delete();
  } catch (...) {}
  return total;
}

}  // namespace ornatex

#include <plastrum/Kx2File.h>

#include <plastrum/Kx2Failure.h>

#include <basalt/error.h>
#include <win/fileapi.h>

namespace {

// The Win32 error of the failed call, as HRESULT, thrown in throw mode.
void FailWithLastError() {
  Basalt::Error::BaseError::_SetWinError();
  Kx2::ThrowIfEnabled();
}

void FailInvalidHandle() {
  SetLastError(ERROR_INVALID_HANDLE);
  FailWithLastError();
}

struct OpenSpec {
  DWORD access;
  DWORD share;
  DWORD disposition;
  DWORD flags;
  uint32_t mode;  // the store mode the open mode gives
};

// The file layer's open codes: 0 read (shared for reading), 1 write, 2 read and write,
// 3 create or truncate for writing, 5 as 0 with attributes 0x81. Any other code asks for
// nothing with no disposition, which the system refuses.
OpenSpec SpecFor(int openMode) {
  switch (openMode) {
    case CKx2File::kOpenRead:
      return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, CKx2BufIO::kModeRead};
    case CKx2File::kOpenWrite:
      return {GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, CKx2BufIO::kModeReadWrite};
    case CKx2File::kOpenReadWrite:
      return {GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, CKx2BufIO::kModeReadWrite};
    case CKx2File::kOpenCreate:
      return {GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, CKx2BufIO::kModeWrite};
    case CKx2File::kOpenReadAttrib:
      return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0x81, CKx2BufIO::kModeRead};
    default:
      return {0, 0, 0, FILE_ATTRIBUTE_NORMAL, CKx2BufIO::kModeReadWrite};
  }
}

}  // namespace

CKx2File::CKx2File() { handle_ = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE); }

CKx2File::~CKx2File() { Close(); }

bool CKx2File::IsOpen() const { return reinterpret_cast<HANDLE>(handle_) != INVALID_HANDLE_VALUE; }

int CKx2File::Open(const char16_t* path, int openMode) {
  if (IsOpen()) Close();
  const OpenSpec spec = SpecFor(openMode);
  HANDLE file = CreateFileW(path, spec.access, spec.share, nullptr, spec.disposition, spec.flags, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    FailWithLastError();
    return 0;
  }
  handle_ = reinterpret_cast<intptr_t>(file);
  mode_ = spec.mode;
  path_.Assign(path);
  return 1;
}

int32_t CKx2File::Read(void* buffer, int32_t n) {
  if (n <= 0) return 0;
  if (!IsOpen()) {
    FailInvalidHandle();
    return -1;
  }
  DWORD done = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(n), &done, nullptr)) {
    FailWithLastError();
    return -1;
  }
  return static_cast<int32_t>(done);
}

int32_t CKx2File::Write(const void* buffer, int32_t n) {
  if (n <= 0) return 0;
  if (!IsOpen()) {
    FailInvalidHandle();
    return -1;
  }
  DWORD done = 0;
  if (!WriteFile(reinterpret_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(n), &done, nullptr)) {
    FailWithLastError();
    return -1;
  }
  return static_cast<int32_t>(done);
}

int32_t CKx2File::Seek(int32_t offset, int origin) {
  if (origin != kFromCurrent && origin != kFromEnd) origin = kFromStart;
  if (!IsOpen()) {
    FailInvalidHandle();
    return -1;
  }
  LARGE_INTEGER move, now;
  move.QuadPart = offset;
  if (!SetFilePointerEx(reinterpret_cast<HANDLE>(handle_), move, &now, static_cast<DWORD>(origin))) {
    FailWithLastError();
    return -1;
  }
  if (now.QuadPart > INT32_MAX) {
    SetLastError(131);  // ERROR_NEGATIVE_SEEK: beyond what a 32-bit position holds
    FailWithLastError();
    return -1;
  }
  return static_cast<int32_t>(now.QuadPart);
}

int32_t CKx2File::GetLength() {
  LARGE_INTEGER size;
  if (!IsOpen() || !GetFileSizeEx(reinterpret_cast<HANDLE>(handle_), &size)) return 0;
  return static_cast<int32_t>(size.LowPart);
}

int CKx2File::SetLength(int32_t n) {
  if (!IsOpen()) {
    FailInvalidHandle();
    return 0;
  }
  if (!compressor_) {
    LARGE_INTEGER at;
    at.QuadPart = n;
    if (!SetFilePointerEx(reinterpret_cast<HANDLE>(handle_), at, nullptr, FILE_BEGIN)) {
      FailWithLastError();
      return 0;
    }
  }
  if (!SetEndOfFile(reinterpret_cast<HANDLE>(handle_))) {
    FailWithLastError();
    return 0;
  }
  return 1;
}

void CKx2File::Close() {
  if (!IsOpen()) return;
  CKx2BufIO::Close();
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
}

const char16_t* CKx2File::GetFileName() { return IsOpen() ? path_.GetString() : nullptr; }

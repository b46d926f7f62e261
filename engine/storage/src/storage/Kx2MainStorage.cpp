#include <plastrum/Kx2Storage.h>

#include <plastrum/Kx2Failure.h>

#include <cstring>

#include <basalt/error.h>
#include <win/fileapi.h>
#include <win/kernel.h>

namespace {

constexpr const char16_t* kHeaderStream = u"DocumentCore";
constexpr int kHeaderWordOffset = 32;
// File-error details of a document that cannot be created.
constexpr uint32_t kDetailAccessDenied = 14;
constexpr uint32_t kDetailSharingViolation = 15;

void FailWith(HRESULT hr) { Kx2::Fail(static_cast<uint32_t>(hr)); }

uint32_t WordAt32(const void* header) {
  const auto* p = static_cast<const uint8_t*>(header) + kHeaderWordOffset;
  return p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

CKx2MainStorage::CKx2MainStorage() : headerWord32_(0), created_(0), heldFile_(INVALID_HANDLE_VALUE) {}

CKx2MainStorage::~CKx2MainStorage() { Close(); }

void CKx2MainStorage::Close() {
  CKx2Storage::Close();
  ReleaseHold();
}

BOOL CKx2MainStorage::Open(const char16_t* path, DWORD mode, BOOL report) {
  IStorage* opened = nullptr;
  const HRESULT hr = StgOpenStorage(path, nullptr, mode, nullptr, 0, &opened);
  if (FAILED(hr)) {
    if (report) FailWith(hr);
    return FALSE;
  }
  Keep(opened);
  created_ = 0;
  return TRUE;
}

BOOL CKx2MainStorage::Create(const char16_t* path, DWORD mode, BOOL report) {
  IStorage* created = nullptr;
  const HRESULT hr = StgCreateDocfile(path, mode, 0, &created);
  if (FAILED(hr)) {
    if (!report) return FALSE;
    if (hr == STG_E_ACCESSDENIED)
      Basalt::Error::BaseError::_SetFileError(kDetailAccessDenied, path);
    else if (hr == STG_E_SHAREVIOLATION)
      Basalt::Error::BaseError::_SetFileError(kDetailSharingViolation, path);
    else
      Basalt::Error::BaseError::_SetError(static_cast<uint32_t>(hr));
    Kx2::ThrowIfEnabled();
    return FALSE;
  }
  Keep(created);
  created_ = 1;
  return TRUE;
}

BOOL CKx2MainStorage::OpenOnMemoryImpl(HGLOBAL memory, DWORD mode, bool* memoryTaken) {
  *memoryTaken = false;
  ILockBytes* lockBytes = nullptr;
  if (FAILED(CreateILockBytesOnHGlobal(memory, TRUE, &lockBytes)) || !lockBytes) return FALSE;
  *memoryTaken = true;  // freed with the byte array from here on
  IStorage* storage = nullptr;
  const HRESULT hr = (mode & STGM_CREATE) ? StgCreateDocfileOnILockBytes(lockBytes, mode, 0, &storage)
                                          : StgOpenStorageOnILockBytes(lockBytes, nullptr, mode, nullptr, 0, &storage);
  lockBytes->Release();
  if (FAILED(hr)) {
    FailWith(hr);
    return FALSE;
  }
  Keep(storage);
  created_ = (mode & STGM_CREATE) ? 1 : 0;
  return TRUE;
}

BOOL CKx2MainStorage::OpenOnMemory(HGLOBAL memory, DWORD mode) {
  bool taken = false;
  return OpenOnMemoryImpl(memory, mode, &taken);
}

HGLOBAL CKx2MainStorage::CreateInMemory(SIZE_T bytes, DWORD mode) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
  if (!memory) {
    Kx2::Fail(Basalt::Error::kErrorOutOfMemory);
    return nullptr;
  }
  bool taken = false;
  if (OpenOnMemoryImpl(memory, mode, &taken)) return memory;
  if (!taken) GlobalFree(memory);  // a byte array that was made has freed it already
  return nullptr;
}

int CKx2MainStorage::HoldFile(const char16_t* path) {
  ReleaseHold();
  if (!path) return 1;
  HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  // Share modes stop writers in this process; other processes see this lock, which the
  // compound-file layer tests before it opens a document for writing.
  if (!LockFile(file, KX2_STG_HOLD_LOCK_OFFSET_LOW, KX2_STG_HOLD_LOCK_OFFSET_HIGH, 1, 0)) {
    CloseHandle(file);
    return 0;
  }
  heldFile_ = file;
  return 1;
}

void CKx2MainStorage::ReleaseHold() {
  if (heldFile_ == INVALID_HANDLE_VALUE) return;
  CloseHandle(heldFile_);
  heldFile_ = INVALID_HANDLE_VALUE;
}

bool CKx2MainStorage::IsHoldingFile() const { return heldFile_ != INVALID_HANDLE_VALUE; }

int CKx2MainStorage::ReadHeader(void* header) {
  if (!storage_ || !header) return 0;
  CKx2Stream stream;
  if (!OpenStream(kHeaderStream, stream, kHeaderRead)) return 0;
  uint8_t block[kHeaderSize];
  const int32_t got = stream.Read(block, kHeaderSize);
  stream.Close();
  if (got != kHeaderSize) {
    // A header is 128 bytes: a shorter stream holds no header, and the caller's block
    // keeps what it had.
    if (got >= 0) Basalt::Error::BaseError::_SetError(Basalt::Error::kErrorEndOfData);
    return 0;
  }
  std::memcpy(header, block, kHeaderSize);
  headerWord32_ = WordAt32(header);
  return 1;
}

int CKx2MainStorage::WriteHeader(const void* header) {
  if (!header) return 0;
  CKx2Stream stream;
  if (!OpenOrCreateStream(kHeaderStream, stream, kHeaderWrite)) return 0;
  const int32_t put = stream.Write(header, kHeaderSize);
  stream.Close();
  if (put != kHeaderSize) return 0;
  headerWord32_ = WordAt32(header);
  return 1;
}

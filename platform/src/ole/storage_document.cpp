#include "ole/storage_document.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include <win/fileapi.h>
#include <win/kernel.h>

#include "kx2/CompoundFileCommit.h"

namespace kx2::cfb {
namespace {

HRESULT StorageErrorFromWin32(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return STG_E_FILENOTFOUND;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
      return STG_E_PATHNOTFOUND;
    case ERROR_TOO_MANY_OPEN_FILES:
      return STG_E_TOOMANYOPENFILES;
    case ERROR_ACCESS_DENIED:
      return STG_E_ACCESSDENIED;
    case ERROR_INVALID_HANDLE:
      return STG_E_INVALIDHANDLE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return STG_E_INSUFFICIENTMEMORY;
    case ERROR_WRITE_PROTECT:
      return STG_E_DISKISWRITEPROTECTED;
    case ERROR_SHARING_VIOLATION:
      return STG_E_SHAREVIOLATION;
    case ERROR_LOCK_VIOLATION:
      return STG_E_LOCKVIOLATION;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return STG_E_FILEALREADYEXISTS;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return STG_E_INVALIDNAME;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
      return STG_E_MEDIUMFULL;
    case ERROR_READ_FAULT:
      return STG_E_READFAULT;
    case ERROR_WRITE_FAULT:
      return STG_E_WRITEFAULT;
    default:
      return HRESULT_FROM_WIN32(error);
  }
}

HRESULT LastStorageError() {
  const DWORD error = GetLastError();
  return error ? StorageErrorFromWin32(error) : STG_E_UNKNOWN;
}

DWORD ShareFromMode(DWORD mode) {
  switch (mode & 0x70) {
    case STGM_SHARE_EXCLUSIVE:
      return 0;
    case STGM_SHARE_DENY_WRITE:
      return FILE_SHARE_READ;
    case STGM_SHARE_DENY_READ:
      return FILE_SHARE_WRITE;
    default:
      return FILE_SHARE_READ | FILE_SHARE_WRITE;
  }
}

class FileBacking : public Backing {
 public:
  FileBacking(HANDLE file, std::u16string path, bool deleteOnRelease)
      : file_(file), path_(std::move(path)), deleteOnRelease_(deleteOnRelease) {}
  ~FileBacking() override {
    CloseHandle(file_);
    if (deleteOnRelease_) DeleteFileW(path_.c_str());
  }

  HRESULT ReadAll(std::vector<uint8_t>* out) override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_, &size)) return LastStorageError();
    if (size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > (uint64_t{1} << 40)) return STG_E_READFAULT;
    out->resize(static_cast<size_t>(size.QuadPart));
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file_, start, nullptr, FILE_BEGIN)) return LastStorageError();
    size_t done = 0;
    while (done < out->size()) {
      const DWORD want = static_cast<DWORD>(std::min<size_t>(out->size() - done, 1u << 30));
      DWORD got = 0;
      if (!ReadFile(file_, out->data() + done, want, &got, nullptr)) return LastStorageError();
      if (got == 0) break;
      done += got;
    }
    out->resize(done);
    return S_OK;
  }

  HRESULT LiveSectors(SectorSpan* span) override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_, &size)) return LastStorageError();
    if (written_ && static_cast<uint64_t>(size.QuadPart) == writtenSize_) {
      *span = live_;
    } else {
      // A document this backing did not write (or one changed under it): every sector the
      // file holds may be in use.
      span->first = 0;
      span->end = SectorsAfterHeader(static_cast<uint64_t>(size.QuadPart));
    }
    return S_OK;
  }

  void ReadImageLies(const UsedBytes& used) override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_, &size) || used.to <= used.from) return;
    live_.first = static_cast<uint32_t>((used.from - kImageHeaderBytes) / kImageHeaderBytes);
    live_.end = SectorsAfterHeader(used.to);
    writtenSize_ = static_cast<uint64_t>(size.QuadPart);
    written_ = true;
  }

  HRESULT WriteImage(const std::vector<uint8_t>& image, uint32_t firstSector) override {
    if (image.size() < kImageHeaderBytes) return E_INVALIDARG;
    const uint64_t sectorBytes = image.size() - kImageHeaderBytes;
    HRESULT hr = WriteAt(kImageHeaderBytes + uint64_t{firstSector} * kImageHeaderBytes,
                         image.data() + kImageHeaderBytes, sectorBytes, KX2_COMMIT_SECTORS_WRITTEN);
    if (FAILED(hr)) return hr;
    if (!FlushFileBuffers(file_)) return LastStorageError();
    ReportCommitStep(KX2_COMMIT_SECTORS_FLUSHED);
    hr = WriteAt(0, image.data(), kImageHeaderBytes, KX2_COMMIT_HEADER_WRITTEN);
    if (FAILED(hr)) return hr;
    if (!FlushFileBuffers(file_)) return LastStorageError();
    ReportCommitStep(KX2_COMMIT_HEADER_FLUSHED);
    // The new document is in force; what lies after it is free and goes.
    const uint64_t end = kImageHeaderBytes + uint64_t{firstSector} * kImageHeaderBytes + sectorBytes;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(end);
    written_ = false;
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) || !SetEndOfFile(file_)) return LastStorageError();
    ReportCommitStep(KX2_COMMIT_TRIMMED);
    live_.first = firstSector;
    live_.end = static_cast<uint32_t>(firstSector + sectorBytes / kImageHeaderBytes);
    writtenSize_ = end;
    written_ = true;
    return S_OK;
  }

  std::u16string Name() const override { return path_; }

 private:
  // The header and every sector of the images this backing writes are 512 bytes.
  static constexpr uint64_t kImageHeaderBytes = 512;

  static uint32_t SectorsAfterHeader(uint64_t fileBytes) {
    if (fileBytes <= kImageHeaderBytes) return 0;
    const uint64_t sectors = (fileBytes - kImageHeaderBytes + kImageHeaderBytes - 1) / kImageHeaderBytes;
    return static_cast<uint32_t>(std::min<uint64_t>(sectors, 0xFFFFFFFAu));
  }

  // Writes in pieces, telling the commit hook after each.
  HRESULT WriteAt(uint64_t offset, const uint8_t* bytes, uint64_t count, int step) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)) return LastStorageError();
    constexpr uint64_t kPiece = uint64_t{1} << 20;
    uint64_t done = 0;
    while (done < count) {
      const DWORD want = static_cast<DWORD>(std::min(count - done, kPiece));
      DWORD put = 0;
      if (!WriteFile(file_, bytes + done, want, &put, nullptr)) return LastStorageError();
      if (put == 0) return STG_E_WRITEFAULT;
      done += put;
      ReportCommitStep(step);
    }
    return S_OK;
  }

  HANDLE file_;
  std::u16string path_;
  bool deleteOnRelease_;
  // Where the last image this backing wrote lies, and the file's size after it.
  bool written_ = false;
  uint64_t writtenSize_ = 0;
  SectorSpan live_;
};

class LockBytesBacking : public Backing {
 public:
  explicit LockBytesBacking(ILockBytes* lockBytes) : lockBytes_(lockBytes) { lockBytes_->AddRef(); }
  ~LockBytesBacking() override { lockBytes_->Release(); }

  HRESULT ReadAll(std::vector<uint8_t>* out) override {
    STATSTG stat = {};
    HRESULT hr = lockBytes_->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    if (stat.cbSize.QuadPart > (uint64_t{1} << 40)) return STG_E_READFAULT;
    out->resize(static_cast<size_t>(stat.cbSize.QuadPart));
    size_t done = 0;
    while (done < out->size()) {
      const ULONG want = static_cast<ULONG>(std::min<size_t>(out->size() - done, 1u << 30));
      ULONG got = 0;
      ULARGE_INTEGER at;
      at.QuadPart = done;
      hr = lockBytes_->ReadAt(at, out->data() + done, want, &got);
      if (FAILED(hr)) return hr;
      if (got == 0) break;
      done += got;
    }
    out->resize(done);
    return S_OK;
  }

  // A byte array lives and dies with this process: a commit replaces it in place.
  HRESULT LiveSectors(SectorSpan* span) override {
    *span = SectorSpan();
    return S_OK;
  }

  void ReadImageLies(const UsedBytes&) override {}

  HRESULT WriteImage(const std::vector<uint8_t>& image, uint32_t firstSector) override {
    constexpr uint64_t kHeader = 512;
    if (image.size() < kHeader) return E_INVALIDARG;
    const uint64_t sectorsAt = kHeader + uint64_t{firstSector} * kHeader;
    ULARGE_INTEGER size;
    size.QuadPart = sectorsAt + (image.size() - kHeader);
    HRESULT hr = lockBytes_->SetSize(size);
    if (FAILED(hr)) return hr;
    hr = WriteAt(sectorsAt, image.data() + kHeader, image.size() - kHeader);
    if (SUCCEEDED(hr)) hr = WriteAt(0, image.data(), kHeader);
    if (FAILED(hr)) return hr;
    return lockBytes_->Flush();
  }

  std::u16string Name() const override { return std::u16string(); }

 private:
  HRESULT WriteAt(uint64_t offset, const uint8_t* bytes, uint64_t count) {
    uint64_t done = 0;
    while (done < count) {
      const ULONG want = static_cast<ULONG>(std::min<uint64_t>(count - done, 1u << 30));
      ULONG put = 0;
      ULARGE_INTEGER at;
      at.QuadPart = offset + done;
      const HRESULT hr = lockBytes_->WriteAt(at, bytes + done, want, &put);
      if (FAILED(hr)) return hr;
      if (put == 0) return STG_E_WRITEFAULT;
      done += put;
    }
    return S_OK;
  }

  ILockBytes* lockBytes_;
};

}  // namespace

std::unique_ptr<Backing> NewLockBytesBacking(ILockBytes* lockBytes) {
  return std::make_unique<LockBytesBacking>(lockBytes);
}

HRESULT OpenFileBacking(const char16_t* path, DWORD mode, bool create, std::unique_ptr<Backing>* out) {
  const bool writable = CanWrite(mode);
  const DWORD access = GENERIC_READ | (writable ? GENERIC_WRITE : 0);
  DWORD disposition = OPEN_EXISTING;
  if (create) disposition = (mode & STGM_CREATE) ? OPEN_ALWAYS : CREATE_NEW;
  SetLastError(0);
  HANDLE file = CreateFileW(path, access, ShareFromMode(mode), nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastStorageError();
  if (writable) {
    // Another process may hold the document against writers: it keeps this byte locked.
    if (!LockFile(file, KX2_STG_HOLD_LOCK_OFFSET_LOW, KX2_STG_HOLD_LOCK_OFFSET_HIGH, 1, 0)) {
      CloseHandle(file);
      return STG_E_SHAREVIOLATION;
    }
    UnlockFile(file, KX2_STG_HOLD_LOCK_OFFSET_LOW, KX2_STG_HOLD_LOCK_OFFSET_HIGH, 1, 0);
  }
  try {
    *out = std::make_unique<FileBacking>(file, std::u16string(path), (mode & STGM_DELETEONRELEASE) != 0);
  } catch (const std::bad_alloc&) {
    CloseHandle(file);
    return STG_E_INSUFFICIENTMEMORY;
  }
  return S_OK;
}

HRESULT OpenTemporaryBacking(DWORD mode, std::unique_ptr<Backing>* out) {
  char16_t folder[MAX_PATH] = {};
  char16_t path[MAX_PATH] = {};
  if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, u"STG", 0, path)) return LastStorageError();
  const HRESULT hr = OpenFileBacking(path, mode | STGM_CREATE | STGM_DELETEONRELEASE, true, out);
  if (FAILED(hr)) DeleteFileW(path);
  return hr;
}

Document::Document(std::unique_ptr<Backing> backing, std::shared_ptr<Entry> root, DWORD mode)
    : backing_(std::move(backing)), root_(std::move(root)), mode_(mode), writable_(CanWrite(mode)) {}

Document::~Document() {
  // The last object went: in direct mode what was written since the last save reaches the
  // file now.
  if (dirty_ && writable_ && !Transacted()) Save();
}

HRESULT Document::Save() {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  if (!writable_) return STG_E_ACCESSDENIED;
  SectorSpan live;
  HRESULT hr = backing_->LiveSectors(&live);
  if (FAILED(hr)) return hr;
  // In front of the live document when the new one fits there, else after it.
  uint32_t first = 0, end = 0;
  hr = MeasureFrom(*root_, 0, &end);
  if (FAILED(hr)) return hr;
  if (!live.Empty() && end > live.first) first = live.end;
  std::vector<uint8_t> image;
  hr = SerializeFrom(*root_, first, &image, &end);
  if (SUCCEEDED(hr)) hr = backing_->WriteImage(image, first);
  if (SUCCEEDED(hr)) dirty_ = false;
  return hr;
}

HRESULT Document::Revert() {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  if (!Transacted()) return S_OK;
  std::vector<uint8_t> bytes;
  HRESULT hr = backing_->ReadAll(&bytes);
  if (FAILED(hr)) return hr;
  std::shared_ptr<Entry> fresh;
  UsedBytes used;
  hr = Parse(bytes.data(), bytes.size(), &fresh, &used);
  if (FAILED(hr)) return hr;
  backing_->ReadImageLies(used);
  MarkRemoved(*root_);
  root_ = std::move(fresh);
  dirty_ = false;
  return S_OK;
}

void Document::RootReleased() {
  std::lock_guard<std::recursive_mutex> guard(mutex_);
  if (dirty_ && writable_ && !Transacted()) Save();
}

HRESULT CheckMode(DWORD mode) {
  if ((mode & 3) == 3) return STG_E_INVALIDFLAG;
  if ((mode & 0x70) > STGM_SHARE_DENY_NONE) return STG_E_INVALIDFLAG;
  return S_OK;
}

LPOLESTR TaskString(const std::u16string& text) {
  auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
  if (!copy) return nullptr;
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(OLECHAR));
  return copy;
}

}  // namespace kx2::cfb

LPVOID CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb ? cb : 1); }

LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb) { return std::realloc(pv, cb ? cb : 1); }

void CoTaskMemFree(LPVOID pv) { std::free(pv); }

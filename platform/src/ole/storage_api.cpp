// The entry points of structured storage: compound files on disk and on byte arrays.
#include <new>

#include <win/fileapi.h>

#include "ole/cfb_format.h"
#include "ole/storage_document.h"

using namespace kx2::cfb;

namespace {

// Modes a root may be opened with.
HRESULT CheckRootMode(DWORD mode, bool create) {
  HRESULT hr = CheckMode(mode);
  if (FAILED(hr)) return hr;
  if (create && !CanWrite(mode)) return STG_E_INVALIDFLAG;
  if ((mode & STGM_CREATE) && (mode & STGM_CONVERT)) return STG_E_INVALIDFLAG;
  if ((mode & STGM_DELETEONRELEASE) && !create) return STG_E_INVALIDFUNCTION;
  return S_OK;
}

// Opens a document over its backing: a new, empty one, or the one the bytes hold.
HRESULT OpenDocument(std::unique_ptr<Backing> backing, DWORD mode, bool create, IStorage** out) {
  std::shared_ptr<Entry> root;
  if (create) {
    root = NewRoot();
  } else {
    std::vector<uint8_t> bytes;
    HRESULT hr = backing->ReadAll(&bytes);
    if (FAILED(hr)) return hr;
    UsedBytes used;
    hr = Parse(bytes.data(), bytes.size(), &root, &used);
    if (FAILED(hr)) return hr;
    backing->ReadImageLies(used);
  }
  auto document = std::make_shared<Document>(std::move(backing), std::move(root), mode);
  if (create) {
    // A new document is a valid, empty compound file from the start.
    const HRESULT hr = document->Save();
    if (FAILED(hr)) return hr;
  }
  *out = NewRootStorage(std::move(document));
  return *out ? S_OK : STG_E_INSUFFICIENTMEMORY;
}

template <class Body>
HRESULT Guarded(IStorage** out, Body body) {
  if (!out) return STG_E_INVALIDPOINTER;
  *out = nullptr;
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return STG_E_INSUFFICIENTMEMORY;
  } catch (...) {
    return STG_E_UNKNOWN;
  }
}

}  // namespace

HRESULT StgCreateDocfile(const OLECHAR* pwcsName, DWORD grfMode, DWORD, IStorage** ppstgOpen) {
  return Guarded(ppstgOpen, [&]() -> HRESULT {
    HRESULT hr = CheckRootMode(grfMode, true);
    if (FAILED(hr)) return hr;
    std::unique_ptr<Backing> backing;
    hr = pwcsName ? OpenFileBacking(pwcsName, grfMode, true, &backing) : OpenTemporaryBacking(grfMode, &backing);
    if (FAILED(hr)) return hr;
    return OpenDocument(std::move(backing), pwcsName ? grfMode : grfMode | STGM_CREATE | STGM_DELETEONRELEASE, true,
                        ppstgOpen);
  });
}

HRESULT StgOpenStorage(const OLECHAR* pwcsName, IStorage* pstgPriority, DWORD grfMode, SNB snbExclude, DWORD,
                       IStorage** ppstgOpen) {
  return Guarded(ppstgOpen, [&]() -> HRESULT {
    if (!pwcsName) return STG_E_INVALIDNAME;
    if (pstgPriority || snbExclude) return STG_E_INVALIDFUNCTION;
    HRESULT hr = CheckRootMode(grfMode, false);
    if (FAILED(hr)) return hr;
    std::unique_ptr<Backing> backing;
    hr = OpenFileBacking(pwcsName, grfMode & ~STGM_CREATE, false, &backing);
    if (FAILED(hr)) return hr;
    return OpenDocument(std::move(backing), grfMode, false, ppstgOpen);
  });
}

HRESULT StgCreateDocfileOnILockBytes(ILockBytes* plkbyt, DWORD grfMode, DWORD, IStorage** ppstgOpen) {
  return Guarded(ppstgOpen, [&]() -> HRESULT {
    if (!plkbyt) return STG_E_INVALIDPOINTER;
    HRESULT hr = CheckRootMode(grfMode, true);
    if (FAILED(hr)) return hr;
    if (!(grfMode & STGM_CREATE)) {
      STATSTG stat = {};
      hr = plkbyt->Stat(&stat, STATFLAG_NONAME);
      if (FAILED(hr)) return hr;
      if (stat.cbSize.QuadPart > 0) return STG_E_FILEALREADYEXISTS;
    }
    return OpenDocument(NewLockBytesBacking(plkbyt), grfMode & ~STGM_DELETEONRELEASE, true, ppstgOpen);
  });
}

HRESULT StgOpenStorageOnILockBytes(ILockBytes* plkbyt, IStorage* pstgPriority, DWORD grfMode, SNB snbExclude, DWORD,
                                   IStorage** ppstgOpen) {
  return Guarded(ppstgOpen, [&]() -> HRESULT {
    if (!plkbyt) return STG_E_INVALIDPOINTER;
    if (pstgPriority || snbExclude) return STG_E_INVALIDFUNCTION;
    const HRESULT hr = CheckRootMode(grfMode, false);
    if (FAILED(hr)) return hr;
    return OpenDocument(NewLockBytesBacking(plkbyt), grfMode, false, ppstgOpen);
  });
}

HRESULT StgIsStorageFile(const OLECHAR* pwcsName) {
  if (!pwcsName) return STG_E_INVALIDNAME;
  HANDLE file = CreateFileW(pwcsName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_SHARING_VIOLATION ? STG_E_SHAREVIOLATION : STG_E_FILENOTFOUND;
  uint8_t header[kHeaderSize];
  DWORD got = 0;
  const BOOL read = ReadFile(file, header, sizeof(header), &got, nullptr);
  CloseHandle(file);
  if (!read) return STG_E_READFAULT;
  return HasSignature(header, got) ? S_OK : S_FALSE;
}

HRESULT StgIsStorageILockBytes(ILockBytes* plkbyt) {
  if (!plkbyt) return STG_E_INVALIDPOINTER;
  uint8_t header[kHeaderSize];
  ULONG got = 0;
  ULARGE_INTEGER at = {};
  const HRESULT hr = plkbyt->ReadAt(at, header, sizeof(header), &got);
  if (FAILED(hr)) return hr;
  return HasSignature(header, got) ? S_OK : S_FALSE;
}

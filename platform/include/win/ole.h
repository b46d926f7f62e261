// OLE services of the platform layer: the COM base interface, system strings (BSTR) and
// structured storage (compound files).
//
// Structured storage is our own implementation of the compound file format: it reads
// versions 3 and 4, writes version 3, keeps the directory in memory and writes it on
// commit (transacted mode) or on the last release of the root (direct mode).
#pragma once

#include "win/errors.h"
#include "win/types.h"

// ---- COM base -----------------------------------------------------------------------------
struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  // Objects go away through Release, never through a base pointer.
  ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// ---- System strings ----------------------------------------------------------------------------
// A BSTR points at UTF-16 text that follows a 32-bit byte count and ends with a 0 unit
// (not counted). Null is a valid, empty BSTR.
KX2_EXPORT BSTR SysAllocString(const OLECHAR* psz);
KX2_EXPORT BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
KX2_EXPORT BSTR SysAllocStringByteLen(LPCSTR psz, UINT len);
KX2_EXPORT INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
KX2_EXPORT INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len);
KX2_EXPORT void SysFreeString(BSTR bstrString);
KX2_EXPORT UINT SysStringLen(BSTR pbstr);
KX2_EXPORT UINT SysStringByteLen(BSTR bstr);

// ---- Task memory --------------------------------------------------------------------------
// Blocks that one module allocates and another frees (names in STATSTG records).
KX2_EXPORT LPVOID CoTaskMemAlloc(SIZE_T cb);
KX2_EXPORT LPVOID CoTaskMemRealloc(LPVOID pv, SIZE_T cb);
KX2_EXPORT void CoTaskMemFree(LPVOID pv);

// ---- Structured storage: modes -------------------------------------------------------------
#define STGM_DIRECT 0x00000000L
#define STGM_TRANSACTED 0x00010000L
#define STGM_SIMPLE 0x08000000L
#define STGM_READ 0x00000000L
#define STGM_WRITE 0x00000001L
#define STGM_READWRITE 0x00000002L
#define STGM_SHARE_DENY_NONE 0x00000040L
#define STGM_SHARE_DENY_READ 0x00000030L
#define STGM_SHARE_DENY_WRITE 0x00000020L
#define STGM_SHARE_EXCLUSIVE 0x00000010L
#define STGM_PRIORITY 0x00040000L
#define STGM_DELETEONRELEASE 0x04000000L
#define STGM_NOSCRATCH 0x00100000L
#define STGM_CREATE 0x00001000L
#define STGM_CONVERT 0x00020000L
#define STGM_FAILIFTHERE 0x00000000L
#define STGM_NOSNAPSHOT 0x00200000L
#define STGM_DIRECT_SWMR 0x00400000L

#define STGC_DEFAULT 0
#define STGC_OVERWRITE 1
#define STGC_ONLYIFCURRENT 2
#define STGC_DANGEROUSLYCOMMITMERELYTODISKCACHE 4
#define STGC_CONSOLIDATE 8

#define STATFLAG_DEFAULT 0
#define STATFLAG_NONAME 1
#define STATFLAG_NOOPEN 2

#define STREAM_SEEK_SET 0
#define STREAM_SEEK_CUR 1
#define STREAM_SEEK_END 2

#define LOCK_WRITE 1
#define LOCK_EXCLUSIVE 2
#define LOCK_ONLYONCE 4

enum STGTY { STGTY_STORAGE = 1, STGTY_STREAM = 2, STGTY_LOCKBYTES = 3, STGTY_PROPERTY = 4 };

// ---- Structured storage: results -----------------------------------------------------------
#define STG_E_INVALIDFUNCTION static_cast<HRESULT>(0x80030001L)
#define STG_E_FILENOTFOUND static_cast<HRESULT>(0x80030002L)
#define STG_E_PATHNOTFOUND static_cast<HRESULT>(0x80030003L)
#define STG_E_TOOMANYOPENFILES static_cast<HRESULT>(0x80030004L)
#define STG_E_ACCESSDENIED static_cast<HRESULT>(0x80030005L)
#define STG_E_INVALIDHANDLE static_cast<HRESULT>(0x80030006L)
#define STG_E_INSUFFICIENTMEMORY static_cast<HRESULT>(0x80030008L)
#define STG_E_INVALIDPOINTER static_cast<HRESULT>(0x80030009L)
#define STG_E_NOMOREFILES static_cast<HRESULT>(0x80030012L)
#define STG_E_DISKISWRITEPROTECTED static_cast<HRESULT>(0x80030013L)
#define STG_E_SEEKERROR static_cast<HRESULT>(0x80030019L)
#define STG_E_WRITEFAULT static_cast<HRESULT>(0x8003001DL)
#define STG_E_READFAULT static_cast<HRESULT>(0x8003001EL)
#define STG_E_SHAREVIOLATION static_cast<HRESULT>(0x80030020L)
#define STG_E_LOCKVIOLATION static_cast<HRESULT>(0x80030021L)
#define STG_E_FILEALREADYEXISTS static_cast<HRESULT>(0x80030050L)
#define STG_E_INVALIDPARAMETER static_cast<HRESULT>(0x80030057L)
#define STG_E_MEDIUMFULL static_cast<HRESULT>(0x80030070L)
#define STG_E_ABNORMALAPIEXIT static_cast<HRESULT>(0x800300FAL)
#define STG_E_INVALIDHEADER static_cast<HRESULT>(0x800300FBL)
#define STG_E_INVALIDNAME static_cast<HRESULT>(0x800300FCL)
#define STG_E_UNKNOWN static_cast<HRESULT>(0x800300FDL)
#define STG_E_UNIMPLEMENTEDFUNCTION static_cast<HRESULT>(0x800300FEL)
#define STG_E_INVALIDFLAG static_cast<HRESULT>(0x800300FFL)
#define STG_E_INUSE static_cast<HRESULT>(0x80030100L)
#define STG_E_NOTCURRENT static_cast<HRESULT>(0x80030101L)
#define STG_E_REVERTED static_cast<HRESULT>(0x80030102L)
#define STG_E_CANTSAVE static_cast<HRESULT>(0x80030103L)
#define STG_E_OLDFORMAT static_cast<HRESULT>(0x80030104L)
#define STG_E_OLDDLL static_cast<HRESULT>(0x80030105L)
#define STG_E_SHAREREQUIRED static_cast<HRESULT>(0x80030106L)
#define STG_E_NOTFILEBASEDSTORAGE static_cast<HRESULT>(0x80030107L)
#define STG_E_EXTANTMARSHALLINGS static_cast<HRESULT>(0x80030108L)
#define STG_E_DOCFILECORRUPT static_cast<HRESULT>(0x80030109L)
#define STG_S_CONVERTED static_cast<HRESULT>(0x00030200L)

// ---- Structured storage: interfaces --------------------------------------------------------
struct STATSTG {
  LPOLESTR pwcsName;  // CoTaskMemAlloc'd; the caller frees it with CoTaskMemFree
  DWORD type;         // STGTY_*
  ULARGE_INTEGER cbSize;
  FILETIME mtime;
  FILETIME ctime;
  FILETIME atime;
  DWORD grfMode;  // the mode the element was opened with
  DWORD grfLocksSupported;
  CLSID clsid;
  DWORD grfStateBits;
  DWORD reserved;
};

// Names of elements to leave out (a null-terminated array of names).
typedef LPOLESTR* SNB;

struct ISequentialStream : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
  virtual HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;

 protected:
  ~ISequentialStream() = default;
};

struct IStream : ISequentialStream {
  virtual HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER libNewSize) = 0;
  virtual HRESULT STDMETHODCALLTYPE CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                           ULARGE_INTEGER* pcbWritten) = 0;
  virtual HRESULT STDMETHODCALLTYPE Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Revert() = 0;
  virtual HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  virtual HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IStream** ppstm) = 0;

 protected:
  ~IStream() = default;
};
typedef IStream* LPSTREAM;

struct IEnumSTATSTG : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, STATSTG* rgelt, ULONG* pceltFetched) = 0;
  virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
  virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
  virtual HRESULT STDMETHODCALLTYPE Clone(IEnumSTATSTG** ppenum) = 0;

 protected:
  ~IEnumSTATSTG() = default;
};

struct IStorage : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateStream(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1,
                                                 DWORD reserved2, IStream** ppstm) = 0;
  virtual HRESULT STDMETHODCALLTYPE OpenStream(const OLECHAR* pwcsName, void* reserved1, DWORD grfMode, DWORD reserved2,
                                               IStream** ppstm) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateStorage(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved1,
                                                  DWORD reserved2, IStorage** ppstg) = 0;
  virtual HRESULT STDMETHODCALLTYPE OpenStorage(const OLECHAR* pwcsName, IStorage* pstgPriority, DWORD grfMode,
                                                SNB snbExclude, DWORD reserved, IStorage** ppstg) = 0;
  virtual HRESULT STDMETHODCALLTYPE CopyTo(DWORD ciidExclude, const IID* rgiidExclude, SNB snbExclude,
                                           IStorage* pstgDest) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveElementTo(const OLECHAR* pwcsName, IStorage* pstgDest,
                                                  const OLECHAR* pwcsNewName, DWORD grfFlags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Revert() = 0;
  virtual HRESULT STDMETHODCALLTYPE EnumElements(DWORD reserved1, void* reserved2, DWORD reserved3,
                                                 IEnumSTATSTG** ppenum) = 0;
  virtual HRESULT STDMETHODCALLTYPE DestroyElement(const OLECHAR* pwcsName) = 0;
  virtual HRESULT STDMETHODCALLTYPE RenameElement(const OLECHAR* pwcsOldName, const OLECHAR* pwcsNewName) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetElementTimes(const OLECHAR* pwcsName, const FILETIME* pctime,
                                                    const FILETIME* patime, const FILETIME* pmtime) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetClass(REFCLSID clsid) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetStateBits(DWORD grfStateBits, DWORD grfMask) = 0;
  virtual HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;

 protected:
  ~IStorage() = default;
};
typedef IStorage* LPSTORAGE;

// MoveElementTo flags.
#define STGMOVE_MOVE 0
#define STGMOVE_COPY 1

// A byte array that a compound file lives in (a file, or memory).
struct ILockBytes : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE ReadAt(ULARGE_INTEGER ulOffset, void* pv, ULONG cb, ULONG* pcbRead) = 0;
  virtual HRESULT STDMETHODCALLTYPE WriteAt(ULARGE_INTEGER ulOffset, const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
  virtual HRESULT STDMETHODCALLTYPE Flush() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER cb) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  virtual HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;

 protected:
  ~ILockBytes() = default;
};

inline constexpr IID IID_ISequentialStream = {
    0x0c733a30, 0x2a1c, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};
inline constexpr IID IID_IStream = {0x0000000c, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IStorage = {0x0000000b, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IEnumSTATSTG = {0x0000000d, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_ILockBytes = {0x0000000a, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// ---- Structured storage: functions -----------------------------------------------------------
// A null name creates a temporary file that is deleted on release. Without STGM_CREATE an
// existing file is refused (STG_E_FILEALREADYEXISTS).
KX2_EXPORT HRESULT StgCreateDocfile(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved, IStorage** ppstgOpen);
// STG_E_FILEALREADYEXISTS for a file that is not a compound file; STG_E_DOCFILECORRUPT
// for one whose structure is damaged.
KX2_EXPORT HRESULT StgOpenStorage(const OLECHAR* pwcsName, IStorage* pstgPriority, DWORD grfMode, SNB snbExclude,
                                  DWORD reserved, IStorage** ppstgOpen);
KX2_EXPORT HRESULT StgCreateDocfileOnILockBytes(ILockBytes* plkbyt, DWORD grfMode, DWORD reserved,
                                                IStorage** ppstgOpen);
KX2_EXPORT HRESULT StgOpenStorageOnILockBytes(ILockBytes* plkbyt, IStorage* pstgPriority, DWORD grfMode, SNB snbExclude,
                                              DWORD reserved, IStorage** ppstgOpen);
// S_OK when the file (or byte array) begins like a compound file, S_FALSE when it does not.
KX2_EXPORT HRESULT StgIsStorageFile(const OLECHAR* pwcsName);
KX2_EXPORT HRESULT StgIsStorageILockBytes(ILockBytes* plkbyt);

// A byte array over a movable memory block. A null hGlobal allocates a new block; with
// fDeleteOnRelease the block is freed when the byte array goes.
KX2_EXPORT HRESULT CreateILockBytesOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, ILockBytes** pplkbyt);
KX2_EXPORT HRESULT GetHGlobalFromILockBytes(ILockBytes* plkbyt, HGLOBAL* phglobal);

// The registry form of a GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper-case hex, into
// lpsz[cchMax]; the characters written with the terminator (39), or 0 when they do not fit.
KX2_EXPORT int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);

// A document held with a lock on this byte by another process is refused to writers: a
// file held open against writers (CKx2MainStorage::HoldFile) takes it with LockFile, and
// opening a compound file for writing tests it.
#define KX2_STG_HOLD_LOCK_OFFSET_LOW 0xFFFFFF00u
#define KX2_STG_HOLD_LOCK_OFFSET_HIGH 0x7FFFFFFFu

// The platform's version record and its predicates, the common controls' version and a
// module handle with version-checked function lookup.
#pragma once

#include <string>

#include <win/kernel.h>

#include "ornatex/export.h"

// The process's version record (GetVersionExW), read on first use.
ORNATEX_API const OSVERSIONINFOW& KtkOsVersion();
// Platform 1 is Windows 9x, 2 NT. A version is at least a.b when its major is above a, or
// its major is a and its minor at least b.
ORNATEX_API BOOL KtkIsWindows95();
ORNATEX_API BOOL KtkIsWindows9x();
ORNATEX_API BOOL KtkIsNT4OrLater();
ORNATEX_API BOOL KtkIsWindows2000OrLater();
ORNATEX_API BOOL KtkIsExactlyNT4();
ORNATEX_API BOOL KtkIsXPOrLater();
ORNATEX_API BOOL KtkIsVistaOrLater();

// COMCTL32's version from its DllGetVersion (major << 16 | minor), read once per process;
// 0x40000 when it cannot be read.
ORNATEX_API DWORD KtkGetComCtlVersion();

// A module by name: one already loaded (kept loaded), else one loaded from the system
// folder (freed with the object).
class ORNATEX_API CKtkModuleHandle {
 public:
  enum Origin { kNone = 0, kFoundLoaded = 1, kLoadedHere = 2 };

  CKtkModuleHandle() = default;
  explicit CKtkModuleHandle(LPCWSTR name) { Open(name); }
  ~CKtkModuleHandle() { Release(); }
  CKtkModuleHandle(const CKtkModuleHandle&) = delete;
  CKtkModuleHandle& operator=(const CKtkModuleHandle&) = delete;

  BOOL Open(LPCWSTR name);
  void Release();
  HMODULE GetHandle() const { return m_hModule; }
  // The function, or null; with a minimum version (major, minor) a module below it, or
  // one without a version record, gives none.
  FARPROC GetProcAddress(LPCSTR name, DWORD minMajor = 0, DWORD minMinor = 0);
  // The module's version record: its DllGetVersion answer, read on demand. FALSE when the
  // module has none.
  BOOL GetVersion(DWORD* major, DWORD* minor);

  std::u16string m_name;
  HMODULE m_hModule = nullptr;
  Origin m_origin = kNone;

 private:
  int versionRead_ = 0;  // 0 unread, 1 read, -1 none
  DWORD major_ = 0, minor_ = 0;
};

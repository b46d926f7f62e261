#include "ornatex/core/platform_version.h"

#include <kx2/Module.h>
#include <toolkit/SystemLibrary.h>
#include <win/commctrl.h>
#include <win/module.h>

namespace {

typedef HRESULT (*DllGetVersionProc)(DLLVERSIONINFO*);

bool AtLeast(const OSVERSIONINFOW& v, DWORD major, DWORD minor) {
  return v.dwMajorVersion > major || (v.dwMajorVersion == major && v.dwMinorVersion >= minor);
}

// The DllGetVersion answer of a module, if it has one.
bool ModuleVersion(HMODULE module, DWORD* major, DWORD* minor) {
  auto get = module ? kx2::ProcAs<DllGetVersionProc>(::GetProcAddress(module, "DllGetVersion")) : nullptr;
  if (!get) return false;
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (get(&info) != S_OK) return false;
  *major = info.dwMajorVersion;
  *minor = info.dwMinorVersion;
  return true;
}

}  // namespace

const OSVERSIONINFOW& KtkOsVersion() {
  static const OSVERSIONINFOW version = [] {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExW(&v);
    return v;
  }();
  return version;
}

BOOL KtkIsWindows95() {
  const auto& v = KtkOsVersion();
  return v.dwPlatformId == 1 && v.dwMajorVersion == 4 && v.dwMinorVersion < 10;
}

BOOL KtkIsWindows9x() { return KtkOsVersion().dwPlatformId == 1; }

BOOL KtkIsNT4OrLater() {
  const auto& v = KtkOsVersion();
  return v.dwPlatformId >= 2 && v.dwMajorVersion >= 4;
}

BOOL KtkIsWindows2000OrLater() {
  const auto& v = KtkOsVersion();
  return v.dwPlatformId >= 2 && v.dwMajorVersion >= 5;
}

BOOL KtkIsExactlyNT4() {
  const auto& v = KtkOsVersion();
  return v.dwPlatformId == 2 && v.dwMajorVersion == 4 && v.dwMinorVersion == 0;
}

BOOL KtkIsXPOrLater() {
  const auto& v = KtkOsVersion();
  return v.dwPlatformId > 1 && AtLeast(v, 5, 1);
}

BOOL KtkIsVistaOrLater() {
  const auto& v = KtkOsVersion();
  return v.dwPlatformId > 1 && AtLeast(v, 6, 0);
}

DWORD KtkGetComCtlVersion() {
  static const DWORD version = [] {
    CKtkModuleHandle comctl(u"COMCTL32.DLL");
    DWORD major = 0, minor = 0;
    if (!comctl.GetVersion(&major, &minor)) return DWORD{0x40000};
    return (major << 16) | (minor & 0xFFFF);
  }();
  return version;
}

BOOL CKtkModuleHandle::Open(LPCWSTR name) {
  Release();
  if (!name) return FALSE;
  m_name = name;
  if ((m_hModule = GetModuleHandleW(name)) != nullptr) {
    m_origin = kFoundLoaded;
  } else if ((m_hModule = ktk::LoadSystemLibrary(name)) != nullptr) {
    m_origin = kLoadedHere;
  }
  return m_hModule != nullptr;
}

void CKtkModuleHandle::Release() {
  if (m_hModule && m_origin == kLoadedHere) FreeLibrary(m_hModule);
  m_hModule = nullptr;
  m_origin = kNone;
  versionRead_ = 0;
}

BOOL CKtkModuleHandle::GetVersion(DWORD* major, DWORD* minor) {
  if (versionRead_ == 0) versionRead_ = ModuleVersion(m_hModule, &major_, &minor_) ? 1 : -1;
  if (versionRead_ < 0) return FALSE;
  if (major) *major = major_;
  if (minor) *minor = minor_;
  return TRUE;
}

FARPROC CKtkModuleHandle::GetProcAddress(LPCSTR name, DWORD minMajor, DWORD minMinor) {
  if (!m_hModule) return nullptr;
  if (minMajor || minMinor) {
    DWORD major = 0, minor = 0;
    if (!GetVersion(&major, &minor)) return nullptr;
    if (major < minMajor || (major == minMajor && minor < minMinor)) return nullptr;
  }
  return ::GetProcAddress(m_hModule, name);
}

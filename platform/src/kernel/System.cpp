// Version information, debug output and the module notifications we do not deliver.
#include <cstdio>
#include <cstdlib>
#include <strings.h>

#include "kx2/Utf.h"
#include "win/kernel.h"

namespace {
Kx2DebugOutputHook g_debugHook = nullptr;

struct WindowsVersion {
  DWORD major, minor, build, platform;
};

// The version KX2_WINVER names, else NT 6.2. Callers keep what they read for the life of
// the process, so it is read once.
WindowsVersion ReportedVersion() {
  static const WindowsVersion version = [] {
    static const struct {
      const char* name;
      WindowsVersion version;
    } known[] = {
        {"95", {4, 0, 950, VER_PLATFORM_WIN32_WINDOWS}},   {"98", {4, 10, 1998, VER_PLATFORM_WIN32_WINDOWS}},
        {"me", {4, 90, 3000, VER_PLATFORM_WIN32_WINDOWS}}, {"nt4", {4, 0, 1381, VER_PLATFORM_WIN32_NT}},
        {"2000", {5, 0, 2195, VER_PLATFORM_WIN32_NT}},     {"xp", {5, 1, 2600, VER_PLATFORM_WIN32_NT}},
        {"2003", {5, 2, 3790, VER_PLATFORM_WIN32_NT}},     {"vista", {6, 0, 6002, VER_PLATFORM_WIN32_NT}},
        {"7", {6, 1, 7601, VER_PLATFORM_WIN32_NT}},        {"8", {6, 2, 9200, VER_PLATFORM_WIN32_NT}},
    };
    const char* wanted = getenv("KX2_WINVER");
    if (wanted)
      for (const auto& k : known)
        if (strcasecmp(wanted, k.name) == 0) return k.version;
    return WindowsVersion{6, 2, 9200, VER_PLATFORM_WIN32_NT};
  }();
  return version;
}
}  // namespace

KX2_EXPORT BOOL GetVersionExW(LPOSVERSIONINFOW info) {
  if (!info ||
      (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) && info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const WindowsVersion v = ReportedVersion();
  info->dwMajorVersion = v.major;
  info->dwMinorVersion = v.minor;
  // Windows 9x keeps the version in the build number's high word.
  info->dwBuildNumber = v.platform == VER_PLATFORM_WIN32_WINDOWS ? (v.major << 24 | v.minor << 16 | v.build) : v.build;
  info->dwPlatformId = v.platform;
  info->szCSDVersion[0] = 0;
  if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW)) {
    auto* ex = reinterpret_cast<LPOSVERSIONINFOEXW>(info);
    ex->wServicePackMajor = 0;
    ex->wServicePackMinor = 0;
    ex->wSuiteMask = 0x0100;  // single user
    ex->wProductType = VER_NT_WORKSTATION;
    ex->wReserved = 0;
  }
  return TRUE;
}

KX2_EXPORT DWORD GetVersion() {
  const WindowsVersion v = ReportedVersion();
  // Windows 9x sets the top bit and reports no build number.
  if (v.platform == VER_PLATFORM_WIN32_WINDOWS) return v.major | (v.minor << 8) | 0x80000000u;
  return v.major | (v.minor << 8) | (v.build << 16);
}

KX2_EXPORT void Kx2SetDebugOutputHook(Kx2DebugOutputHook hook) { g_debugHook = hook; }

KX2_EXPORT void OutputDebugStringW(LPCWSTR text) {
  if (!text) return;
  if (g_debugHook) {
    g_debugHook(text);
    return;
  }
  const char* on = getenv("KX2_DEBUG_OUTPUT");
  if (on && *on) fprintf(stderr, "%s", kx2::Utf16ToUtf8(text).c_str());
}

KX2_EXPORT void OutputDebugStringA(LPCSTR text) {
  if (text) OutputDebugStringW(kx2::Utf8ToUtf16(text).c_str());
}

KX2_EXPORT BOOL IsDebuggerPresent() { return FALSE; }

// Thread attach and detach are never delivered to modules, so there is nothing to turn off.
KX2_EXPORT BOOL DisableThreadLibraryCalls(HMODULE) { return TRUE; }

// Version information, debug output and the module notifications we do not deliver.
#include <cstdio>
#include <cstdlib>

#include "kx2/Utf.h"
#include "win/kernel.h"

namespace {
Kx2DebugOutputHook g_debugHook = nullptr;
}

KX2_EXPORT BOOL GetVersionExW(LPOSVERSIONINFOW info) {
  if (!info ||
      (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) && info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  info->dwMajorVersion = 6;
  info->dwMinorVersion = 2;
  info->dwBuildNumber = 9200;
  info->dwPlatformId = VER_PLATFORM_WIN32_NT;
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

KX2_EXPORT DWORD GetVersion() { return 6u | (2u << 8) | (9200u << 16); }

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

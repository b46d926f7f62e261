// The Windows version code and its name.
#include "system/win_version.h"

#include <basalt/base_api.h>
#include <win/kernel.h>
#include <win/module.h>
#include <kx2/Module.h>

namespace Basalt::Util::detail {

unsigned WinVersionCode(DWORD platformId, DWORD major, DWORD minor) {
  switch (platformId) {
    case VER_PLATFORM_WIN32s:
      return 0;
    case VER_PLATFORM_WIN32_WINDOWS:
      return minor == 0 ? 1 : minor == 10 ? 2 : 3;
    case VER_PLATFORM_WIN32_NT:
      if (major <= 4) return 4;
      if (major == 5) return minor == 0 ? 5 : minor == 1 ? 6 : minor == 2 ? 7 : 0;
      if (major == 6) return minor == 0 ? 8 : minor == 1 ? 9 : 10;
      return minor > 1 ? 10 : 0;
    default:
      return 0;
  }
}

const char* OSVersionName(unsigned code) {
  static const char* const kNames[] = {"Windows_3.1",  "Windows_95", "Windows_98",   "Windows_ME",    "Windows_NT",
                                       "Windows_2000", "Windows_XP", "Windows_2003", "Windows_Vista", "Windows_7"};
  return code < sizeof(kNames) / sizeof(kNames[0]) ? kNames[code] : "Windows_Unknown_Version";
}

}  // namespace Basalt::Util::detail

namespace {
// Kept once known; a failed query is asked again next time.
unsigned g_versionCode = 0;
bool g_versionKnown = false;
}  // namespace

KX2_EXPORT unsigned _Kx2GetWinVersion() {
  if (g_versionKnown) return g_versionCode;
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info)) return g_versionCode;
  g_versionCode = Basalt::Util::detail::WinVersionCode(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
  g_versionKnown = true;
  return g_versionCode;
}

namespace Basalt::Util {

const char* BaseAPI::_GetOSVersion() { return detail::OSVersionName(_Kx2GetWinVersion()); }

int BaseAPI::_BlockPanGesture(HWND window) {
  if (_Kx2GetWinVersion() != 9) return 1;
  // The layout of the system's GESTURECONFIG.
  struct GestureConfig {
    DWORD dwID, dwWant, dwBlock;
  };
  using SetGestureConfigFunc = BOOL (*)(HWND, DWORD, UINT, GestureConfig*, UINT);
  HINSTANCE user = _LoadLibrary(u"user32.dll", nullptr);
  if (!user) return 0;
  auto setConfig = kx2::ProcAs<SetGestureConfigFunc>(GetProcAddress(user, "SetGestureConfig"));
  int result = 0;
  if (setConfig) {
    GestureConfig config{4, 0x18, 0x6};
    result = setConfig(window, 0, 1, &config, sizeof(config));
  }
  FreeLibrary(user);
  return result;
}

}  // namespace Basalt::Util

// The Korean input-method probe, through the foundation's registry wrappers (store 0: the
// platform registry).
#include "openclose/korean_probe.h"

#include <basalt/base_api.h>
#include <basalt/base_registry.h>
#include <kx2/ErrorBoundary.h>

namespace quel {

const char16_t* KoreanProbeKey(unsigned versionCode) {
  switch (versionCode) {
    case 1:
    case 4:
      return u"Software\\Microsoft\\Windows\\CurrentVersion\\MSIME95K";
    case 6:
      return u"Software\\Microsoft\\Windows\\IMEKR\\6.1";
    default:
      return u"Software\\Microsoft\\Windows\\CurrentVersion\\IME\\Korea\\IMEKR98U";
  }
}

int ProbeKoreanInputMethod() {
  return kx2::Guard(0, [] {
    using Basalt::Base::BaseRegistry;
    HKEY key = nullptr;
    if (BaseRegistry::_RegOpenKeyEx(HKEY_CURRENT_USER, KoreanProbeKey(_Kx2GetWinVersion()), 0, KEY_QUERY_VALUE, &key,
                                    0) != ERROR_SUCCESS)
      return 0;
    DWORD type = 0;
    BYTE data[4] = {};
    DWORD size = sizeof data;
    const LONG status = BaseRegistry::_RegQueryValueEx(key, u"InputMethod", nullptr, &type, data, &size, 0);
    BaseRegistry::_RegCloseKey(key, 0);
    // Only a number counts: a text "3" is no input method 51.
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return 0;
    const DWORD value = static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 |
                        static_cast<DWORD>(data[2]) << 16 | static_cast<DWORD>(data[3]) << 24;
    const DWORD number = value >= 100 ? value - 100 : value;
    return static_cast<int>(number);
  });
}

}  // namespace quel

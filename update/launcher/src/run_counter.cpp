// Counting a run: the read and the write of "RunCount" are one registry transaction, so two
// hosts starting together both count.
#include <fennic/Launcher.h>
#include <kx2/Registry.h>
#include <kx2/Utf.h>
#include <win/registry.h>

#include "launcher_parts.h"

namespace fennic {

std::u16string RunKeyName(LPCWSTR product, LPCWSTR version, LPCWSTR language, LPCWSTR type) {
  return u"Software\\" + std::u16string(kx2::View16(product)) + u"\\Fennic\\" + std::u16string(kx2::View16(version)) +
         u"_" + std::u16string(kx2::View16(language)) + u"_" + std::u16string(kx2::View16(type));
}

void CountRun(const std::u16string& keyName) {
  bool inUpdate = Kx2RegBeginUpdate(HKEY_CURRENT_USER) == ERROR_SUCCESS;
  DWORD count = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExW(key, u"RunCount", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof value)
      count = value;
    RegCloseKey(key);
  }
  bool written = false;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    DWORD next = count + 1;
    written = RegSetValueExW(key, u"RunCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&next), sizeof next) ==
              ERROR_SUCCESS;
    RegCloseKey(key);
  }
  if (inUpdate) Kx2RegEndUpdate(HKEY_CURRENT_USER, written ? TRUE : FALSE);
}

}  // namespace fennic

#include <vector>

#include "win/kernel.h"
#include "win/nls_ansi.h"

KX2_EXPORT int GetLocaleInfoA(LCID Locale, DWORD LCType, LPSTR lpLCData, int cchData) {
  if (cchData < 0 || (cchData > 0 && !lpLCData)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  try {
    int units = GetLocaleInfoW(Locale, LCType, nullptr, 0);
    if (units <= 0) return 0;
    std::vector<char16_t> wide(static_cast<size_t>(units));
    if (GetLocaleInfoW(Locale, LCType, wide.data(), units) <= 0) return 0;
    return WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, lpLCData, cchData, nullptr, nullptr);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
}

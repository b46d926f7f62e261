#include <iterator>
#include <vector>

#include "win/kernel.h"
#include "win/nls_ansi.h"

KX2_EXPORT int GetLocaleInfoA(LCID Locale, DWORD LCType, LPSTR lpLCData, int cchData) {
  if (cchData < 0 || (cchData > 0 && !lpLCData)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  try {
    // Nearly every answer fits a small buffer: one query then, and a size query only for a
    // longer one.
    char16_t shortText[128];
    const char16_t* text = shortText;
    std::vector<char16_t> longText;
    int units = GetLocaleInfoW(Locale, LCType, shortText, static_cast<int>(std::size(shortText)));
    if (units <= 0) {
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
      units = GetLocaleInfoW(Locale, LCType, nullptr, 0);
      if (units <= 0) return 0;
      longText.resize(static_cast<size_t>(units));
      if (GetLocaleInfoW(Locale, LCType, longText.data(), units) <= 0) return 0;
      text = longText.data();
    }
    // The answer's own length (its terminator included): a number answer has no terminator.
    return WideCharToMultiByte(CP_ACP, 0, text, units, lpLCData, cchData, nullptr, nullptr);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
}

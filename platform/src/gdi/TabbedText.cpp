// TabbedTextOutW and GetTabbedTextExtentW: text cut at tabs, each part at the next stop.
#include <algorithm>
#include <string>

#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>
#include <win/user.h>

#include "Dc.h"

namespace kx2::gdi {
namespace {

// The next stop after `at` (pixels from the text's start): listed stops are positions
// from the tab origin; one stop is an interval; none: every 8 average characters.
int NextStop(HDC hdc, int at, int count, const INT* stops, int origin) {
  if (count > 1 && stops) {
    for (int i = 0; i < count; ++i) {
      const int stop = std::abs(stops[i]) - origin;
      if (stop > at) return stop;
    }
    // Past the last stop: every average character from there, as a space would.
  }
  int interval = 0;
  if (count >= 1 && stops) interval = std::abs(stops[0]);
  if (count > 1 || interval <= 0) {
    TEXTMETRICW tm{};
    GetTextMetricsW(hdc, &tm);
    interval = std::max<LONG>(1, tm.tmAveCharWidth) * (count > 1 ? 1 : 8);
  }
  return (at / interval + 1) * interval;
}

// Measures (and draws when `draw`) the text; answers MAKELONG(width, height).
LONG Tabbed(HDC hdc, int x, int y, LPCWSTR text, int length, int count, const INT* stops, int origin, bool draw) {
  TEXTMETRICW tm{};
  GetTextMetricsW(hdc, &tm);
  int at = 0;
  int start = 0;
  while (true) {
    int end = start;
    while (end < length && text[end] != u'\t') ++end;
    SIZE size{};
    if (end > start) GetTextExtentPoint32W(hdc, text + start, end - start, &size);
    if (draw && end > start) TextOutW(hdc, x + at, y, text + start, end - start);
    at += size.cx;
    if (end >= length) break;
    at = NextStop(hdc, at, count, stops, origin - x);
    start = end + 1;
  }
  return static_cast<LONG>(MAKELONG(std::clamp(at, 0, 0xFFFF), std::clamp<LONG>(tm.tmHeight, 0, 0xFFFF)));
}

}  // namespace
}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT LONG TabbedTextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int chCount, int nTabPositions,
                               const INT* lpnTabStopPositions, int nTabOrigin) {
  return kx2::Guard(LONG{0}, [&]() -> LONG {
    if (!LookupDc(hdc)) return BadHandle(LONG{0});
    if (chCount < 0 || (chCount && !lpString) || nTabPositions < 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    return Tabbed(hdc, x, y, lpString, chCount, nTabPositions, lpnTabStopPositions, nTabOrigin, true);
  });
}

KX2_EXPORT DWORD GetTabbedTextExtentW(HDC hdc, LPCWSTR lpString, int chCount, int nTabPositions,
                                      const INT* lpnTabStopPositions) {
  return kx2::Guard(DWORD{0}, [&]() -> DWORD {
    if (!LookupDc(hdc)) return BadHandle(DWORD{0});
    if (chCount < 0 || (chCount && !lpString) || nTabPositions < 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    return static_cast<DWORD>(Tabbed(hdc, 0, 0, lpString, chCount, nTabPositions, lpnTabStopPositions, 0, false));
  });
}

// Monitors over the screen description: a monitor handle is its index plus one, so a
// handle stays meaningful for the life of the process (the description does not change).
#include <algorithm>
#include <climits>
#include <vector>

#include "kx2/ErrorBoundary.h"
#include "kx2/Screen.h"
#include "win/user.h"
#include "win/user_monitor.h"

namespace {

std::vector<RECT> Monitors() {
  std::vector<RECT> all(static_cast<size_t>(std::max(Kx2ScreenMonitors(nullptr, 0), 0)));
  if (!all.empty()) Kx2ScreenMonitors(all.data(), static_cast<int>(all.size()));
  return all;
}

HMONITOR HandleOf(size_t index) { return reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(index + 1)); }

long long Overlap(const RECT& a, const RECT& b) {
  const long long w = std::min(a.right, b.right) - std::max(a.left, b.left);
  const long long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance from a rectangle to a monitor (0 when they touch or overlap).
long long Distance(const RECT& r, const RECT& m) {
  const long long dx = r.right <= m.left ? m.left - r.right + 1 : r.left >= m.right ? r.left - m.right + 1 : 0;
  const long long dy = r.bottom <= m.top ? m.top - r.bottom + 1 : r.top >= m.bottom ? r.top - m.bottom + 1 : 0;
  return dx * dx + dy * dy;
}

HMONITOR FromRect(const RECT& r, DWORD flags) {
  const std::vector<RECT> all = Monitors();
  if (all.empty()) return nullptr;
  long long best = 0;
  size_t bestIndex = SIZE_MAX;
  for (size_t i = 0; i < all.size(); ++i)
    if (long long area = Overlap(r, all[i]); area > best) best = area, bestIndex = i;
  if (bestIndex != SIZE_MAX) return HandleOf(bestIndex);
  if (flags & MONITOR_DEFAULTTONEAREST) {
    long long nearest = LLONG_MAX;
    for (size_t i = 0; i < all.size(); ++i)
      if (long long d = Distance(r, all[i]); d < nearest) nearest = d, bestIndex = i;
    return HandleOf(bestIndex);
  }
  if (flags & MONITOR_DEFAULTTOPRIMARY) return HandleOf(0);
  return nullptr;
}

}  // namespace

KX2_EXPORT HMONITOR MonitorFromRect(const RECT* lprc, DWORD dwFlags) {
  return kx2::Guard(HMONITOR{}, [&]() -> HMONITOR {
    if (!lprc) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    RECT r = *lprc;
    // An empty rectangle is taken as the point at its corner.
    if (r.right <= r.left) r.right = r.left + 1;
    if (r.bottom <= r.top) r.bottom = r.top + 1;
    return FromRect(r, dwFlags);
  });
}

KX2_EXPORT HMONITOR MonitorFromPoint(POINT pt, DWORD dwFlags) {
  const RECT r{pt.x, pt.y, pt.x + 1, pt.y + 1};
  return MonitorFromRect(&r, dwFlags);
}

KX2_EXPORT HMONITOR MonitorFromWindow(HWND hwnd, DWORD dwFlags) {
  return kx2::Guard(HMONITOR{}, [&]() -> HMONITOR {
    RECT r;
    if (!GetWindowRect(hwnd, &r))
      return dwFlags & (MONITOR_DEFAULTTOPRIMARY | MONITOR_DEFAULTTONEAREST) ? HandleOf(0) : nullptr;
    return MonitorFromRect(&r, dwFlags);
  });
}

KX2_EXPORT BOOL GetMonitorInfoW(HMONITOR hMonitor, LPMONITORINFO lpmi) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    const std::vector<RECT> all = Monitors();
    const auto index = reinterpret_cast<uintptr_t>(hMonitor);
    if (!lpmi || lpmi->cbSize < sizeof(MONITORINFO) || index == 0 || index > all.size()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    lpmi->rcMonitor = all[index - 1];
    lpmi->rcWork = all[index - 1];
    if (index == 1) SystemParametersInfoW(SPI_GETWORKAREA, 0, &lpmi->rcWork, 0);
    lpmi->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
  });
}

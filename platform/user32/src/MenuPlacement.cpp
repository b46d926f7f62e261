// Placing pop-up menus on the monitor.
#include "MenuPlacement.h"

#include <algorithm>

#include "win/menu.h"
#include "win/user_monitor.h"

namespace kx2::user32 {
namespace {

bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

RECT MenuBounds(POINT pt) {
  if (HMONITOR monitor = MonitorFromPoint(pt, MONITOR_DEFAULTTONULL)) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info)) return info.rcMonitor;
  }
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

POINT PlaceSubmenu(const RECT& item, bool underBar, bool parentDroppedLeft, HWND owner, SIZE size, bool* droppedLeft) {
  *droppedLeft = false;
  POINT at = underBar ? POINT{item.left, item.bottom} : POINT{item.right - 3, item.top - 3};
  const RECT bounds = MenuBounds(at);
  const LONG w = size.cx, h = size.cy;
  if (underBar) {
    if (owner && IsIconic(owner)) at.y = item.top - h < bounds.top ? item.bottom : item.top - h;
    if (owner && (GetWindowLongW(owner, GWL_EXSTYLE) & (WS_EX_LAYOUTRTL | WS_EX_RIGHT))) {
      at.x = item.right - w;
      *droppedLeft = true;
    }
    at.x = std::min(at.x, bounds.right - w);
  } else {
    const LONG left = item.left - w + 3;
    if ((parentDroppedLeft && left >= bounds.left) || at.x + w > bounds.right) {
      at.x = left;
      *droppedLeft = true;
    }
  }
  if (at.y + h > bounds.bottom) {
    at.y = underBar ? at.y - h - GetSystemMetrics(SM_CYMENUSIZE) : item.bottom - h;
    if (at.y < bounds.top || at.y + h > bounds.bottom) at.y = bounds.bottom - h;
  }
  at.x = std::max(at.x, bounds.left);
  at.y = std::max(at.y, bounds.top);
  const POINT settled = at;
  // Still over its own item: beside the item instead, if the monitor leaves room.
  const RECT inner{at.x + 3, at.y + 3, at.x + w - 3, at.y + h - 3};
  if (Overlap(inner, item)) {
    at.x = item.right;
    if (at.x + w > bounds.right) at.x = item.left - w;
    if (at.x < bounds.left) at = settled;
  }
  return at;
}

POINT PlaceTrackedPopup(POINT pt, SIZE size, UINT flags, const RECT* exclude, bool* droppedLeft) {
  const RECT bounds = MenuBounds(pt);
  RECT keepClear{0, 0, 0, 0};
  if (exclude) {
    keepClear = RECT{std::max(exclude->left, bounds.left), std::max(exclude->top, bounds.top),
                     std::min(exclude->right, bounds.right), std::min(exclude->bottom, bounds.bottom)};
    if (keepClear.left >= keepClear.right || keepClear.top >= keepClear.bottom) keepClear = RECT{0, 0, 0, 0};
  }
  const LONG w = size.cx, h = size.cy;
  const auto rect = [&] { return RECT{pt.x, pt.y, pt.x + w, pt.y + h}; };
  if (pt.x + w > bounds.right) {
    if ((flags & TPM_CENTERALIGN) || pt.x - w < bounds.left || pt.x >= bounds.right)
      pt.x = bounds.right - w;
    else
      pt.x -= w;
    *droppedLeft = true;
    if (Overlap(rect(), keepClear)) pt.x = keepClear.left - w;
  }
  if (pt.x < bounds.left) {
    pt.x += w;
    if ((flags & TPM_CENTERALIGN) || pt.x < bounds.left || pt.x + w > bounds.right) pt.x = bounds.left;
  }
  if (pt.y + h > bounds.bottom) {
    if ((flags & TPM_VCENTERALIGN) || pt.y - h < bounds.top || pt.y >= bounds.bottom)
      pt.y = bounds.bottom - h;
    else
      pt.y -= h;
    if (Overlap(rect(), keepClear)) pt.y = keepClear.top - h;
  }
  if (pt.y < bounds.top) {
    pt.y += h;
    if ((flags & TPM_VCENTERALIGN) || pt.y < bounds.top || pt.y + h > bounds.bottom) pt.y = bounds.top;
  }
  return pt;
}

}  // namespace kx2::user32

// Where a skinned popup goes on the screen: a submenu beside (or under) its parent item,
// a tracked popup at its point, both kept on the monitor they start on.
#include <algorithm>

#include <win/user.h>

#include "ornatex/core/monitor_service.h"
#include "ornatex/menu/popup_menu.h"

namespace {

bool Overlaps(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

POINT CKtkSkinPopupMenu::PlaceSubmenu(CKtkSkinPopupMenu* parent, const RECT& item, int width, int height) {
  const bool underBar = parent && parent->m_bMenuBar;
  POINT at = underBar ? POINT{item.left, item.bottom} : POINT{item.right - 3, item.top - 3};
  const RECT bounds = KtkMultiMonitor().GetMonitorArea(at);
  const HWND owner = m_hOwner;
  if (underBar) {
    if (owner && ::IsIconic(owner)) {
      at.y = item.top - height;
      if (at.y < bounds.top) at.y = item.bottom;
    }
    if (owner && (::GetWindowLongW(owner, GWL_EXSTYLE) & (WS_EX_LAYOUTRTL | WS_EX_RIGHT))) {
      at.x = item.right - width;
      m_bDroppedLeft = TRUE;
    }
    at.x = std::min<LONG>(at.x, bounds.right - width);
  } else {
    const LONG left = item.left - width + 3;
    if ((parent && parent->m_bDroppedLeft && left >= bounds.left) || at.x + width > bounds.right) {
      at.x = left;
      m_bDroppedLeft = TRUE;
    }
  }
  if (at.y + height > bounds.bottom) {
    at.y = underBar ? at.y - height - ::GetSystemMetrics(SM_CYMENUSIZE) : item.bottom - height;
    if (at.y < bounds.top || at.y + height > bounds.bottom) at.y = bounds.bottom - height;
  }
  at.x = std::max(at.x, bounds.left);
  at.y = std::max(at.y, bounds.top);
  const RECT inner{at.x + 3, at.y + 3, at.x + width - 3, at.y + height - 3};
  if (Overlaps(inner, item)) {
    LONG x = item.right;
    if (x + width > bounds.right) x = item.left - width;
    if (x >= bounds.left) at.x = x;
  }
  return at;
}

POINT CKtkSkinPopupMenu::PlaceTrackedPopup(POINT point, int width, int height, UINT flags, const RECT* exclusion) {
  const RECT bounds = KtkMultiMonitor().GetMonitorArea(point);
  RECT exclude{};
  if (exclusion && !::IntersectRect(&exclude, exclusion, &bounds)) exclude = RECT{};
  auto overlapsExclusion = [&](POINT at) {
    const RECT box{at.x, at.y, at.x + width, at.y + height};
    return exclude.right > exclude.left && exclude.bottom > exclude.top && Overlaps(box, exclude);
  };
  POINT at = point;
  if (at.x + width > bounds.right) {
    if ((flags & TPM_CENTERALIGN) || at.x - width < bounds.left || at.x >= bounds.right)
      at.x = bounds.right - width;
    else
      at.x -= width;
    m_bDroppedLeft = TRUE;
    if (overlapsExclusion(at)) at.x = exclude.left - width;
  }
  if (at.x < bounds.left) {
    at.x += width;
    if ((flags & TPM_CENTERALIGN) || at.x < bounds.left || at.x + width > bounds.right) at.x = bounds.left;
  }
  if (at.y + height > bounds.bottom) {
    if ((flags & TPM_VCENTERALIGN) || at.y - height < bounds.top || at.y >= bounds.bottom)
      at.y = bounds.bottom - height;
    else
      at.y -= height;
    if (overlapsExclusion(at)) at.y = exclude.top - height;
  }
  if (at.y < bounds.top) {
    at.y += height;
    if ((flags & TPM_VCENTERALIGN) || at.y < bounds.top || at.y + height > bounds.bottom) at.y = bounds.top;
  }
  return at;
}

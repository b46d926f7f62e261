// Placement: SetWindowPos and ShowWindow (with minimise and maximise), rectangles, point
// mapping and the windows under a point.
#include <algorithm>

#include "kx2/ErrorBoundary.h"
#include "kx2/Screen.h"
#include "user/Core.h"
#include "win/user_monitor.h"

namespace kx2::user {
namespace {

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

size_t IndexInParent(const Window* w) {
  if (!w->parent) return 0;
  auto& list = w->parent->children;
  return static_cast<size_t>(std::find(list.begin(), list.end(), w) - list.begin());
}

// The deepest window at a point given in the parent's client coordinates; caller holds the
// tree lock.
Window* DeepestAt(Window* parent, POINT p, UINT skip) {
  for (Window* child : parent->children) {
    if (child->messageOnly) continue;
    if ((skip & CWP_SKIPINVISIBLE) && !(child->style & WS_VISIBLE)) continue;
    if (!Inside(child->window, p)) continue;
    // Outside its window region a window is not there.
    if (child->shape && !PtInRegion(child->shape, p.x - child->window.left, p.y - child->window.top)) continue;
    if ((skip & CWP_SKIPDISABLED) && (child->style & WS_DISABLED)) continue;
    if ((skip & CWP_SKIPTRANSPARENT) && (child->exStyle & WS_EX_TRANSPARENT)) continue;
    POINT inner{p.x - child->client.left, p.y - child->client.top};
    if (child->style & WS_MINIMIZE) return child;
    if (Window* deeper = DeepestAt(child, inner, skip)) return deeper;
    return child;
  }
  return nullptr;
}

// The maximised place a window is offered: the primary screen with the sizing frame
// outside it, or for a child its parent's client area.
void FillMinMax(MINMAXINFO* info, const SIZE* parentClient = nullptr) {
  const int frameX = GetSystemMetrics(SM_CXFRAME), frameY = GetSystemMetrics(SM_CYFRAME);
  const int width = parentClient ? parentClient->cx : GetSystemMetrics(SM_CXSCREEN);
  const int height = parentClient ? parentClient->cy : GetSystemMetrics(SM_CYSCREEN);
  info->ptMaxSize = POINT{width + 2 * frameX, height + 2 * frameY};
  info->ptMaxPosition = POINT{-frameX, -frameY};
  info->ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info->ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
}

// The window's answer speaks of the primary screen; a top-level window maximises on the
// monitor it is on, into its work area: the place moves there and a size the window left
// at least as large as the primary screen grows or shrinks with the difference.
void MoveMaximizedToMonitor(const RECT& window, MINMAXINFO* info) {
  const RECT primary = Kx2ScreenPrimaryRect();
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const LONG primaryWidth = primary.right - primary.left, primaryHeight = primary.bottom - primary.top;
  if (info->ptMaxSize.x >= primaryWidth) info->ptMaxSize.x += (work.right - work.left) - primaryWidth;
  if (info->ptMaxSize.y >= primaryHeight) info->ptMaxSize.y += (work.bottom - work.top) - primaryHeight;
  info->ptMaxPosition.x += work.left - primary.left;
  info->ptMaxPosition.y += work.top - primary.top;
}

}  // namespace

BOOL SetPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  std::shared_ptr<Window> window = Get(hwnd);
  if (!window || window->destroyed) return FALSE;
  if (!window->parent) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  WINDOWPOS pos{hwnd, insertAfter, x, y, cx, cy, flags};
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    const RECT& r = window->window;
    if (flags & SWP_NOMOVE) {
      pos.x = r.left;
      pos.y = r.top;
    }
    if (flags & SWP_NOSIZE) {
      pos.cx = r.right - r.left;
      pos.cy = r.bottom - r.top;
    }
    const bool visible = (window->style & WS_VISIBLE) != 0;
    if (visible) pos.flags &= ~SWP_SHOWWINDOW;
    if (!visible) pos.flags &= ~SWP_HIDEWINDOW;
    if (pos.flags & SWP_HIDEWINDOW) pos.flags &= ~SWP_SHOWWINDOW;
    // Only top-level windows take part in activation.
    if (!IsTopLevel(window.get())) pos.flags |= SWP_NOACTIVATE;
  }
  if (!(pos.flags & SWP_NOSENDCHANGING)) SendTo(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  if (window->destroyed) return FALSE;
  pos.cx = std::max(pos.cx, 0);
  pos.cy = std::max(pos.cy, 0);

  RECT oldWindow, oldClient;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    oldWindow = window->window;
    oldClient = window->client;
  }
  const RECT newWindow{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
  const bool moved = newWindow.left != oldWindow.left || newWindow.top != oldWindow.top;
  const bool sized = newWindow.right - newWindow.left != oldWindow.right - oldWindow.left ||
                     newWindow.bottom - newWindow.top != oldWindow.bottom - oldWindow.top;
  RECT newClient{oldClient.left + newWindow.left - oldWindow.left, oldClient.top + newWindow.top - oldWindow.top,
                 oldClient.right + newWindow.left - oldWindow.left, oldClient.bottom + newWindow.top - oldWindow.top};
  if (!(pos.flags & SWP_NOSIZE) || (pos.flags & SWP_FRAMECHANGED)) {
    NCCALCSIZE_PARAMS params{{newWindow, oldWindow, oldClient}, &pos};
    SendTo(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
    if (window->destroyed) return FALSE;
    newClient = params.rgrc[0];
  }

  bool reordered = false, shown = false, hidden = false, disabled = false;
  HWND container = nullptr;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    if (window->destroyed || !window->parent) return FALSE;
    window->window = newWindow;
    window->client = newClient;
    if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE))) window->normal = newWindow;
    if (!(pos.flags & SWP_NOZORDER)) {
      Window* parent = window->parent;
      const size_t before = IndexInParent(window.get());
      const DWORD exBefore = window->exStyle;
      HWND after = pos.hwndInsertAfter;
      Window* anchor = nullptr;
      if (after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        if (!parent->parent) {
          if (after == HWND_TOPMOST)
            window->exStyle |= WS_EX_TOPMOST;
          else
            window->exStyle &= ~WS_EX_TOPMOST;
        }
      } else if (after == HWND_BOTTOM) {
        anchor = reinterpret_cast<Window*>(1);
      } else if (after) {
        Window* found = Find(after);
        anchor = found && found->parent == parent && found != window.get() ? found : nullptr;
        if (found == window.get()) anchor = nullptr;
      }
      if (after && after != HWND_TOPMOST && after != HWND_NOTOPMOST && after != HWND_BOTTOM && !anchor) {
        // An anchor that is not a sibling (or the window itself) leaves the order alone.
      } else {
        LinkInto(parent, window.get(), anchor);
      }
      reordered = IndexInParent(window.get()) != before || window->exStyle != exBefore;
      container = parent->handle;
    }
    if (pos.flags & SWP_SHOWWINDOW) {
      window->style |= WS_VISIBLE;
      shown = true;
    }
    if (pos.flags & SWP_HIDEWINDOW) {
      window->style &= ~WS_VISIBLE;
      hidden = true;
    }
    disabled = (window->style & WS_DISABLED) != 0;
  }
  const bool clientSized = newClient.right - newClient.left != oldClient.right - oldClient.left ||
                           newClient.bottom - newClient.top != oldClient.bottom - oldClient.top;
  const bool clientMoved = newClient.left != oldClient.left || newClient.top != oldClient.top;
  if (!clientSized) pos.flags |= SWP_NOCLIENTSIZE;
  if (!clientMoved) pos.flags |= SWP_NOCLIENTMOVE;
  if (!moved) pos.flags |= SWP_NOMOVE;
  if (!sized) pos.flags |= SWP_NOSIZE;
  if (!reordered) pos.flags |= SWP_NOZORDER;
  if (reordered) RaiseWinEvent(EVENT_OBJECT_REORDER, container, OBJID_WINDOW, CHILDID_SELF);
  if (shown) RaiseWinEvent(EVENT_OBJECT_SHOW, hwnd, OBJID_WINDOW, CHILDID_SELF);
  if (hidden) RaiseWinEvent(EVENT_OBJECT_HIDE, hwnd, OBJID_WINDOW, CHILDID_SELF);
  if (moved || sized) RaiseWinEvent(EVENT_OBJECT_LOCATIONCHANGE, hwnd, OBJID_WINDOW, CHILDID_SELF);
  // Activation comes before the change is reported, as the system does it.
  if (!(pos.flags & SWP_NOACTIVATE) && window->threadId == GetCurrentThreadId() && IsWindowVisible(hwnd) && !disabled &&
      (shown || !(flags & SWP_NOZORDER)))
    Activate(hwnd, false);
  if (window->destroyed) return TRUE;
  const bool changed = moved || sized || reordered || shown || hidden || (pos.flags & SWP_FRAMECHANGED);
  if (changed && !(pos.flags & SWP_NOREDRAW))
    InvalidateAfterPlacement(hwnd, oldWindow, shown, hidden, sized || moved || (pos.flags & SWP_FRAMECHANGED));
  if (changed) SendTo(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  if (window->destroyed) return TRUE;
  if (hidden && window->threadId == GetCurrentThreadId()) ActivateOther(hwnd);
  return TRUE;
}

BOOL Show(HWND hwnd, int command) {
  std::shared_ptr<Window> window = Get(hwnd);
  if (!window || window->destroyed || !window->parent) return FALSE;
  DWORD style;
  bool child;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    style = window->style;
    child = IsTopLevel(window.get()) == false;
  }
  const bool wasVisible = (style & WS_VISIBLE) != 0;
  UINT flags = 0;
  bool show = true;
  RECT target{};
  DWORD setStyle = 0, clearStyle = 0;
  bool place = false;
  auto minimize = [&](bool activate) {
    flags |= SWP_FRAMECHANGED | (activate ? 0 : SWP_NOACTIVATE);
    if (style & WS_MINIMIZE) {
      flags |= SWP_NOSIZE | SWP_NOMOVE;
      return;
    }
    const int w = GetSystemMetrics(SM_CXMINIMIZED), h = GetSystemMetrics(SM_CYMINIMIZED);
    target = child ? RECT{0, 0, w, h} : RECT{-32000, -32000, -32000 + w, -32000 + h};
    setStyle = WS_MINIMIZE;
    clearStyle = WS_MAXIMIZE;
    place = true;
  };
  switch (command) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      show = false;
      flags = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER;
      break;
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
    case SW_FORCEMINIMIZE:
      if (CallCbtHooks(HCBT_MINMAX, reinterpret_cast<WPARAM>(hwnd), command)) return wasVisible;
      minimize(false);
      break;
    case SW_SHOWMINIMIZED:
      if (CallCbtHooks(HCBT_MINMAX, reinterpret_cast<WPARAM>(hwnd), command)) return wasVisible;
      minimize(true);
      break;
    case SW_SHOWMAXIMIZED: {
      if (CallCbtHooks(HCBT_MINMAX, reinterpret_cast<WPARAM>(hwnd), command)) return wasVisible;
      flags |= SWP_FRAMECHANGED;
      if (style & WS_MAXIMIZE) {
        flags |= SWP_NOSIZE | SWP_NOMOVE;
        break;
      }
      MINMAXINFO info{};
      RECT before{};
      SIZE parentClient{};
      {
        std::lock_guard<std::mutex> guard(TreeLock());
        before = ScreenRect(window.get());
        if (child && window->parent)
          parentClient = SIZE{window->parent->client.right - window->parent->client.left,
                              window->parent->client.bottom - window->parent->client.top};
      }
      FillMinMax(&info, child ? &parentClient : nullptr);
      SendTo(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
      if (!child) MoveMaximizedToMonitor(before, &info);
      target = RECT{info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxPosition.x + info.ptMaxSize.x,
                    info.ptMaxPosition.y + info.ptMaxSize.y};
      setStyle = WS_MAXIMIZE;
      clearStyle = WS_MINIMIZE;
      place = true;
      break;
    }
    case SW_SHOWNA:
      flags = SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE | SWP_NOMOVE;
      break;
    case SW_SHOW:
      flags = SWP_NOSIZE | SWP_NOMOVE;
      break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
    case SW_RESTORE:
      if (command == SW_SHOWNOACTIVATE) flags |= SWP_NOACTIVATE;
      if (style & (WS_MINIMIZE | WS_MAXIMIZE)) {
        if (CallCbtHooks(HCBT_MINMAX, reinterpret_cast<WPARAM>(hwnd), command)) return wasVisible;
        std::lock_guard<std::mutex> guard(TreeLock());
        target = window->normal;
        clearStyle = WS_MINIMIZE | WS_MAXIMIZE;
        place = true;
        flags |= SWP_FRAMECHANGED;
      } else {
        flags |= SWP_NOSIZE | SWP_NOMOVE;
      }
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  if (show) flags |= SWP_SHOWWINDOW;
  if (child) flags |= SWP_NOACTIVATE | SWP_NOZORDER;
  if (show != wasVisible) {
    SendTo(hwnd, WM_SHOWWINDOW, show, 0);
    if (window->destroyed) return wasVisible;
  }
  if (place) {
    std::lock_guard<std::mutex> guard(TreeLock());
    if (!(window->style & (WS_MINIMIZE | WS_MAXIMIZE))) window->normal = window->window;
    window->style = (window->style & ~clearStyle) | setStyle;
  }
  if ((setStyle & WS_MINIMIZE) && !child) RaiseWinEvent(EVENT_SYSTEM_MINIMIZESTART, hwnd, OBJID_WINDOW, CHILDID_SELF);
  if ((clearStyle & WS_MINIMIZE) && (style & WS_MINIMIZE) && !child)
    RaiseWinEvent(EVENT_SYSTEM_MINIMIZEEND, hwnd, OBJID_WINDOW, CHILDID_SELF);
  SetPos(hwnd, HWND_TOP, target.left, target.top, target.right - target.left, target.bottom - target.top, flags);
  if (window->destroyed) return wasVisible;
  if (!show) {
    HWND focus = Current().focus;
    if (focus && (focus == hwnd || IsChild(hwnd, focus))) SetFocus(child ? GetParent(hwnd) : nullptr);
  }
  if ((setStyle & WS_MINIMIZE) && !child) ActivateOther(hwnd);
  return wasVisible;
}

}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  return kx2::Guard(FALSE, [&] { return SetPos(hWnd, hWndInsertAfter, X, Y, cx, cy, uFlags); });
}

KX2_EXPORT BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
  return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                      SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

KX2_EXPORT BOOL BringWindowToTop(HWND hWnd) {
  return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

KX2_EXPORT BOOL ShowWindow(HWND hWnd, int nCmdShow) {
  return kx2::Guard(FALSE, [&] { return Show(hWnd, nCmdShow); });
}

KX2_EXPORT BOOL ShowOwnedPopups(HWND hWnd, BOOL fShow) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::vector<HWND> owned;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* owner = Find(hWnd);
      if (!owner) {
        SetLastErrorInvalidWindow();
        return FALSE;
      }
      for (Window* w : DesktopLocked()->children)
        if (w->owner == owner && (w->style & WS_POPUP)) owned.push_back(w->handle);
    }
    for (HWND h : owned) Show(h, fShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    return TRUE;
  });
}

KX2_EXPORT BOOL IsIconic(HWND hWnd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

KX2_EXPORT BOOL IsZoomed(HWND hWnd) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  return w && (w->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

KX2_EXPORT BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  if (!w || !lpRect) {
    if (!w) SetLastErrorInvalidWindow();
    return FALSE;
  }
  *lpRect = ScreenRect(w);
  return TRUE;
}

KX2_EXPORT BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  if (!w || !lpRect) {
    if (!w) SetLastErrorInvalidWindow();
    return FALSE;
  }
  *lpRect = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return TRUE;
}

KX2_EXPORT int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* desktop = DesktopLocked();
  Window* from = hWndFrom ? Find(hWndFrom) : desktop;
  Window* to = hWndTo ? Find(hWndTo) : desktop;
  if (!from || !to) {
    SetLastErrorInvalidWindow();
    return 0;
  }
  const POINT a = ClientOrigin(from), b = ClientOrigin(to);
  const LONG dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; lpPoints && i < cPoints; ++i) {
    lpPoints[i].x += dx;
    lpPoints[i].y += dy;
  }
  SetLastError(ERROR_SUCCESS);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

KX2_EXPORT BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  if (!w || !lpPoint) {
    if (!w) SetLastErrorInvalidWindow();
    return FALSE;
  }
  const POINT o = ClientOrigin(w);
  lpPoint->x += o.x;
  lpPoint->y += o.y;
  return TRUE;
}

KX2_EXPORT BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* w = Find(hWnd);
  if (!w || !lpPoint) {
    if (!w) SetLastErrorInvalidWindow();
    return FALSE;
  }
  const POINT o = ClientOrigin(w);
  lpPoint->x -= o.x;
  lpPoint->y -= o.y;
  return TRUE;
}

KX2_EXPORT HWND WindowFromPoint(POINT Point) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* hit = DeepestAt(DesktopLocked(), Point, CWP_SKIPINVISIBLE);
  // A disabled child gives way to its parent.
  while (hit && (hit->style & WS_DISABLED) && (hit->style & WS_CHILD)) hit = hit->parent;
  return hit ? hit->handle : nullptr;
}

KX2_EXPORT HWND ChildWindowFromPointEx(HWND hwnd, POINT pt, UINT flags) {
  std::lock_guard<std::mutex> guard(TreeLock());
  Window* parent = Find(hwnd);
  if (!parent) {
    SetLastErrorInvalidWindow();
    return nullptr;
  }
  const RECT area{0, 0, parent->client.right - parent->client.left, parent->client.bottom - parent->client.top};
  if (!Inside(area, pt)) return nullptr;
  for (Window* child : parent->children) {
    if ((flags & CWP_SKIPINVISIBLE) && !(child->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPDISABLED) && (child->style & WS_DISABLED)) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (child->exStyle & WS_EX_TRANSPARENT)) continue;
    if (Inside(child->window, pt)) return child->handle;
  }
  return hwnd;
}

KX2_EXPORT HWND ChildWindowFromPoint(HWND hWndParent, POINT Point) {
  return ChildWindowFromPointEx(hWndParent, Point, CWP_ALL);
}

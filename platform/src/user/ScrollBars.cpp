// A window's own scroll bars: their range, page, position and arrow states, kept on the
// window; the frame (libKx2User32.so) draws them from GetScrollInfo. Scroll bar controls
// (SB_CTL) answer through their SBM_ messages.
#include <algorithm>

#include "kx2/ErrorBoundary.h"
#include "user/Core.h"
#include "win/user.h"

namespace kx2::user {
namespace {

bool ValidBar(int bar) { return bar == SB_HORZ || bar == SB_VERT; }

DWORD StyleOf(int bar) { return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL; }

// Keeps the page within the range's size and the position within what the page leaves.
void Normalise(ScrollBarState& s) {
  if (s.max < s.min) s.max = s.min;
  const int64_t span = int64_t(s.max) - s.min + 1;
  if (int64_t(s.page) > span) s.page = static_cast<UINT>(span);
  const int64_t top = int64_t(s.max) - std::max<int64_t>(int64_t(s.page) - 1, 0);
  s.pos = static_cast<int>(std::clamp<int64_t>(s.pos, s.min, std::max<int64_t>(top, s.min)));
}

// Whether the range scrolls at all with this page.
bool Scrolls(const ScrollBarState& s) {
  const int64_t span = int64_t(s.max) - s.min + 1;
  return s.page ? span > int64_t(s.page) : s.max > s.min;
}

void Reframe(HWND hwnd) {
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RepaintFrame(HWND hwnd) {
  if (IsWindowVisible(hwnd)) SendMessageW(hwnd, WM_NCPAINT, 1, 0);
}

// Shows or hides bars by style; answers whether the style changed.
bool SetBarsShown(HWND hwnd, int which, bool show) {
  const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
  DWORD bits = 0;
  if (which == SB_HORZ || which == SB_BOTH) bits |= WS_HSCROLL;
  if (which == SB_VERT || which == SB_BOTH) bits |= WS_VSCROLL;
  const DWORD next = show ? (style | bits) : (style & ~bits);
  if (next == style) return false;
  SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(next));
  return true;
}

}  // namespace
}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT int SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO lpsi, BOOL redraw) {
  return kx2::Guard(0, [&]() -> int {
    if (!lpsi || (lpsi->cbSize != sizeof(SCROLLINFO) && lpsi->cbSize != sizeof(SCROLLINFO) - sizeof(int))) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    if (nBar == SB_CTL)
      return static_cast<int>(SendMessageW(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(lpsi)));
    if (!ValidBar(nBar)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    int pos = 0;
    bool scrolls = false;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hwnd);
      if (!w || w->destroyed) {
        SetLastErrorInvalidWindow();
        return 0;
      }
      ScrollBarState& s = w->scrollBars[nBar];
      s.set = true;
      if (lpsi->fMask & SIF_RANGE) s.min = lpsi->nMin, s.max = lpsi->nMax;
      if (lpsi->fMask & SIF_PAGE) s.page = lpsi->nPage;
      if (lpsi->fMask & SIF_POS) s.pos = lpsi->nPos;
      Normalise(s);
      pos = s.pos;
      scrolls = Scrolls(s);
      // A bar that cannot scroll is greyed rather than hidden when asked.
      if (lpsi->fMask & SIF_DISABLENOSCROLL) s.disabled = scrolls ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH;
    }
    bool reframed = false;
    if (lpsi->fMask & (SIF_RANGE | SIF_PAGE)) {
      const bool show = scrolls || (lpsi->fMask & SIF_DISABLENOSCROLL);
      reframed = SetBarsShown(hwnd, nBar, show);
      if (reframed) Reframe(hwnd);
    }
    if (redraw && !reframed) RepaintFrame(hwnd);
    return pos;
  });
}

KX2_EXPORT BOOL GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO lpsi) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpsi) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (nBar == SB_CTL) return SendMessageW(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(lpsi)) ? TRUE : FALSE;
    if (!ValidBar(nBar)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hwnd);
    if (!w || w->destroyed) {
      SetLastErrorInvalidWindow();
      return FALSE;
    }
    const ScrollBarState& s = w->scrollBars[nBar];
    if (!s.set && !(w->style & StyleOf(nBar))) {
      SetLastError(ERROR_NO_SCROLLBARS);
      return FALSE;
    }
    if (lpsi->fMask & SIF_RANGE) lpsi->nMin = s.min, lpsi->nMax = s.max;
    if (lpsi->fMask & SIF_PAGE) lpsi->nPage = s.page;
    if (lpsi->fMask & SIF_POS) lpsi->nPos = s.pos;
    if (lpsi->fMask & SIF_TRACKPOS) lpsi->nTrackPos = s.trackPos;
    return TRUE;
  });
}

KX2_EXPORT int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw) {
  SCROLLINFO old{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
  if (!GetScrollInfo(hWnd, nBar, &old)) old.nPos = 0;
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, nPos, 0};
  SetScrollInfo(hWnd, nBar, &si, bRedraw);
  return old.nPos;
}

KX2_EXPORT int GetScrollPos(HWND hWnd, int nBar) {
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
  return GetScrollInfo(hWnd, nBar, &si) ? si.nPos : 0;
}

KX2_EXPORT BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
  if (int64_t(nMaxPos) - nMinPos > 0x7FFFFFFF) {
    SetLastError(ERROR_INVALID_SCROLLBAR_RANGE);
    return FALSE;
  }
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE, nMinPos, nMaxPos, 0, 0, 0};
  SetScrollInfo(hWnd, nBar, &si, bRedraw);
  return IsWindow(hWnd);
}

KX2_EXPORT BOOL GetScrollRange(HWND hWnd, int nBar, LPINT lpMinPos, LPINT lpMaxPos) {
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE, 0, 0, 0, 0, 0};
  const BOOL ok = GetScrollInfo(hWnd, nBar, &si);
  if (lpMinPos) *lpMinPos = ok ? si.nMin : 0;
  if (lpMaxPos) *lpMaxPos = ok ? si.nMax : 0;
  return ok;
}

KX2_EXPORT BOOL ShowScrollBar(HWND hWnd, int wBar, BOOL bShow) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!IsWindow(hWnd)) {
      SetLastErrorInvalidWindow();
      return FALSE;
    }
    if (wBar == SB_CTL) {
      ShowWindow(hWnd, bShow ? SW_SHOW : SW_HIDE);
      return TRUE;
    }
    if (wBar != SB_HORZ && wBar != SB_VERT && wBar != SB_BOTH) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (SetBarsShown(hWnd, wBar, bShow != FALSE)) Reframe(hWnd);
    return TRUE;
  });
}

KX2_EXPORT BOOL EnableScrollBar(HWND hWnd, UINT wSBflags, UINT wArrows) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (wSBflags == SB_CTL) return SendMessageW(hWnd, SBM_ENABLE_ARROWS, wArrows, 0) ? TRUE : FALSE;
    bool changed = false;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hWnd);
      if (!w || w->destroyed) {
        SetLastErrorInvalidWindow();
        return FALSE;
      }
      for (int bar : {SB_HORZ, SB_VERT}) {
        if (wSBflags != SB_BOTH && int(wSBflags) != bar) continue;
        ScrollBarState& s = w->scrollBars[bar];
        changed |= s.disabled != (wArrows & ESB_DISABLE_BOTH);
        s.disabled = wArrows & ESB_DISABLE_BOTH;
      }
    }
    if (changed) RepaintFrame(hWnd);
    return changed ? TRUE : FALSE;
  });
}

KX2_EXPORT BOOL Kx2SetScrollTrackPos(HWND hWnd, int nBar, int nTrackPos) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!ValidBar(nBar)) return FALSE;
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hWnd);
    if (!w || w->destroyed) return FALSE;
    w->scrollBars[nBar].trackPos = nTrackPos;
    return TRUE;
  });
}

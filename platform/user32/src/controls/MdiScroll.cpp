// An MDI client's scroll bars: their ranges cover the client and every child, so that a
// child moved partly out of sight can be scrolled back; scrolling moves the children.
// Children moving post one WM_MDICALCCHILDSCROLL, so a burst of moves recomputes once.
#include <algorithm>

#include "MdiClient.h"

namespace kx2::user32 {

void MdiClient::PostScrollUpdate() {
  if (destroying_ || scrollPending_ || !bars_) return;
  scrollPending_ = PostMessageW(hwnd_, WM_MDICALCCHILDSCROLL, 0, 0) != FALSE;
}

// The view's origin is position 0: the range runs from the leftmost (topmost) edge of the
// client and the children to the far one, the page is the client's size.
void MdiClient::RecomputeScrollBars() {
  if (recomputing_ || tracking_ || destroying_ || !bars_) return;
  recomputing_ = true;
  if (Maximized()) {
    ShowScrollBar(hwnd_, SB_BOTH, FALSE);
    recomputing_ = false;
    return;
  }
  // Showing one bar narrows the client, which may call for the other: two rounds settle it.
  for (int round = 0; round < 2; ++round) {
    const RECT client = ClientRect(hwnd_);
    RECT extent = client;
    for (HWND h : Children()) {
      if (!IsWindowVisible(h)) continue;
      RECT r;
      GetWindowRect(h, &r);
      MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
      UnionRect(&extent, &extent, &r);
    }
    for (int bar : {SB_HORZ, SB_VERT}) {
      if (!(bars_ & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL))) continue;
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
      si.nMin = bar == SB_HORZ ? extent.left : extent.top;
      si.nMax = (bar == SB_HORZ ? extent.right : extent.bottom) - 1;
      si.nPage = static_cast<UINT>(bar == SB_HORZ ? client.right : client.bottom);
      si.nPos = 0;
      SetScrollInfo(hwnd_, bar, &si, TRUE);
    }
    const RECT after = ClientRect(hwnd_);
    if (after.right == client.right && after.bottom == client.bottom) break;
  }
  recomputing_ = false;
}

void MdiClient::Scroll(int bar, WORD request, short thumb) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(hwnd_, bar, &si)) return;
  const int line = GetSystemMetrics(bar == SB_HORZ ? SM_CXVSCROLL : SM_CYHSCROLL);
  const int page = std::max(1, static_cast<int>(si.nPage));
  int pos = si.nPos;
  switch (request) {
    case SB_LINEUP:
      pos -= line;
      break;
    case SB_LINEDOWN:
      pos += line;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_THUMBTRACK:
      tracking_ = true;  // the range stays as it is while the thumb is held
      pos = si.nTrackPos;
      break;
    case SB_THUMBPOSITION:
      pos = thumb;
      break;
    case SB_TOP:
      pos = si.nMin;
      break;
    case SB_BOTTOM:
      pos = si.nMax;
      break;
    case SB_ENDSCROLL:
      tracking_ = false;
      PostScrollUpdate();
      return;
    default:
      return;
  }
  pos = std::clamp(pos, si.nMin, std::max(si.nMin, si.nMax - page + 1));
  const int delta = pos - si.nPos;
  if (!delta) return;
  SetScrollPos(hwnd_, bar, pos, TRUE);
  std::vector<HWND> all;
  for (HWND h = GetWindow(hwnd_, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) all.push_back(h);
  for (HWND h : all) {
    if (!IsWindow(h)) continue;
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    const int dx = bar == SB_HORZ ? delta : 0, dy = bar == SB_VERT ? delta : 0;
    SetWindowPos(h, nullptr, r.left - dx, r.top - dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace kx2::user32

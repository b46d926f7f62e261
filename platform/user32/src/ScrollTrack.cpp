#include "ScrollTrack.h"

#include "CaptureLoop.h"
#include "ClassicFrame.h"

namespace kx2::user32 {
namespace {

constexpr UINT_PTR kRepeatTimer = 0xFFF0;  // the tracking window's own timer id while a bar is held

// Which part of a bar a point is on; -1 for none.
int ScrollPartAt(const ScrollParts& p, POINT pt) {
  const RECT* parts[] = {&p.lineUp, &p.pageUp, &p.thumb, &p.pageDown, &p.lineDown};
  const int codes[] = {SB_LINEUP, SB_PAGEUP, SB_THUMBTRACK, SB_PAGEDOWN, SB_LINEDOWN};
  for (int i = 0; i < 5; ++i)
    if (PtInRect(parts[i], pt)) return codes[i];
  return -1;
}

void Send(const ScrollTrackSite& site, WORD request, int position) {
  HWND target = site.Target();
  if (!target) return;
  SendMessageW(target, site.Vertical() ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(request, static_cast<WORD>(position & 0xFFFF)), reinterpret_cast<LPARAM>(site.Control()));
}

}  // namespace

void TrackScrollBar(ScrollTrackSite& site, POINT screen) {
  HWND hwnd = site.Window();
  const bool vertical = site.Vertical();
  const RECT bar = site.Bar();
  SCROLLINFO info = site.Info();
  ScrollParts parts = LayoutScrollBar(bar, vertical, info, IsWindowEnabled(hwnd));
  const int part = ScrollPartAt(parts, site.ToBar(screen));
  if (part < 0) return;
  const UINT doubleClick = GetDoubleClickTime();
  const UINT firstRepeat = doubleClick * 4 / 5, repeat = doubleClick / 10;
  SetCapture(hwnd);
  site.ShowPressed(part);
  const auto along = [&](POINT pt) { return vertical ? pt.y : pt.x; };
  const int grab = along(site.ToBar(screen)) - (vertical ? parts.thumb.top : parts.thumb.left);
  const int trackStart = vertical ? parts.lineUp.bottom : parts.lineUp.right;
  int trackPos = info.nPos;
  if (part == SB_THUMBTRACK) {
    site.TrackPosition(trackPos, true);
  } else {
    Send(site, static_cast<WORD>(part), 0);
    SetTimer(hwnd, kRepeatTimer, firstRepeat, nullptr);
  }
  bool over = true;
  MSG msg{};
  while (NextCapturedMessage(hwnd, &msg)) {
    if (msg.message == WM_TIMER) {
      if (msg.hwnd != hwnd || msg.wParam != kRepeatTimer) {
        DispatchMessageW(&msg);
        continue;
      }
      SetTimer(hwnd, kRepeatTimer, repeat, nullptr);
      // The track repeats only while the thumb has not reached the mouse.
      parts = LayoutScrollBar(bar, vertical, site.Info(), true);
      POINT cursor{};
      GetCursorPos(&cursor);
      if (over && ScrollPartAt(parts, site.ToBar(cursor)) == part) Send(site, static_cast<WORD>(part), 0);
      continue;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
    if (msg.message != WM_MOUSEMOVE && msg.message != WM_LBUTTONUP) continue;
    const POINT pt = site.ToBar(msg.pt);
    if (part == SB_THUMBTRACK) {
      const int position = PositionAtThumb(bar, vertical, info, along(pt) - grab - trackStart);
      if (position != trackPos) {
        trackPos = position;
        site.TrackPosition(trackPos, true);
        Send(site, SB_THUMBTRACK, trackPos);
      }
    } else {
      const bool now = ScrollPartAt(LayoutScrollBar(bar, vertical, site.Info(), true), pt) == part;
      if (now != over) {
        over = now;
        site.ShowPressed(over ? part : -1);
      }
    }
    if (msg.message == WM_LBUTTONUP) break;
  }
  KillTimer(hwnd, kRepeatTimer);
  if (GetCapture() == hwnd) ReleaseCapture();
  if (!IsWindow(hwnd)) return;
  if (part == SB_THUMBTRACK) Send(site, SB_THUMBPOSITION, trackPos);
  site.TrackPosition(trackPos, false);
  Send(site, SB_ENDSCROLL, 0);
  if (IsWindow(hwnd)) site.ShowPressed(-1);
}

}  // namespace kx2::user32

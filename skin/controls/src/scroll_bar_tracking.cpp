// The modal mouse-tracking loop of a scroll bar: arrows and page areas repeat their command
// while the button is held over them, the thumb follows the pointer and snaps back when
// the pointer strays too far, and every loop ends with SB_ENDSCROLL.
#include <algorithm>
#include <memory>

#include <win/afx.h>
#include <win/user_input.h>
#include <win/user_message.h>
#include <win/user_rect.h>
#include <win/user_system.h>
#include <win/user_window.h>

#include "ornatex/controls/scroll_bar.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/schema/frame_data.h"
#include "ornatex/schema/schema.h"

namespace {

UINT FirstRepeatDelay() { return 4 * GetDoubleClickTime() / 5; }
UINT RepeatDelay() { return GetDoubleClickTime() / 10; }

void Notify(const ScrollBarTrackInfo& track, int command, int position) {
  if (!track.hwndTarget) return;
  SendMessageW(track.hwndTarget, track.bVertical ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(static_cast<WORD>(command), static_cast<WORD>(position)),
               reinterpret_cast<LPARAM>(track.hwndControl));
}

// A screen point in the coordinates the bar is laid out in.
POINT FromScreen(HWND window, const ScrollBarTrackInfo& track, POINT p) {
  if (track.bNonClient) {
    RECT box{};
    GetWindowRect(window, &box);
    return POINT{p.x - box.left, p.y - box.top};
  }
  ScreenToClient(window, &p);
  return p;
}

// A mouse message's client point in the bar's coordinates.
POINT FromClient(HWND window, const ScrollBarTrackInfo& track, POINT p) {
  if (!track.bNonClient) return p;
  ClientToScreen(window, &p);
  return FromScreen(window, track, p);
}

int Along(const ScrollBarTrackInfo& track, POINT p) { return track.bVertical ? p.y : p.x; }

void SetAlong(ScrollBarTrackInfo& track, int from, int to) {
  if (track.bVertical) {
    track.rcTrack.top = from;
    track.rcTrack.bottom = to;
  } else {
    track.rcTrack.left = from;
    track.rcTrack.right = to;
  }
}

void MoveThumb(CKtkSkinFrameData* frame, ScrollBarTrackInfo& track, int pixel) {
  ScrollBarPosInfo* info = track.pPosInfo;
  if (pixel == track.nLastThumb) return;
  const int travelEnd = info->nTravelStart + info->nTravelLength;
  const int position = KtkScrollBarPixelToPos(info, std::min(pixel, travelEnd));
  if (position != track.nTrackPos) {
    track.nTrackPos = position;
    if (info->nKind != KTK_SB_CTL) Kx2SetScrollTrackPos(frame->FrameWindow(), info->nKind, position);
    Notify(track, SB_THUMBTRACK, position);
  }
  info->nThumbStart = pixel;
  info->nThumbEnd = pixel + info->nThumbLength;
  track.nLastThumb = pixel;
  KtkScrollBarRedraw(frame, info);
}

void DragHandler(CKtkSkinFrameData* frame, UINT message, POINT p) {
  if (message < 0x200 || message > 0x2FF) return;
  ScrollBarTrackInfo& track = *frame->m_pScrollTracking;
  const ScrollBarPosInfo* info = track.pPosInfo;
  int pixel = info->nDragStartThumb;  // strayed too far: the thumb goes back
  if (PtInRect(&track.rcTrack, p))
    pixel =
        std::clamp(Along(track, p) + track.nGrabOffset, info->nTravelStart, info->nTravelStart + info->nTravelLength);
  MoveThumb(frame, track, pixel);
  if (!frame->m_pScrollTracking) return;
  frame->m_pScrollTracking->bPointerInside = TRUE;
  if (message == WM_LBUTTONUP || GetKeyState(VK_LBUTTON) >= 0) KtkScrollBarEndTracking(frame);
}

// A mouse message (0x200 to 0x2FF) or, with message 0, the timer's step.
void RepeatHandler(CKtkSkinFrameData* frame, UINT message, POINT p) {
  if (message != 0 && (message < 0x200 || message > 0x2FF)) return;
  ScrollBarTrackInfo& track = *frame->m_pScrollTracking;
  ScrollBarPosInfo* info = track.pPosInfo;
  if (track.nCommand == SB_PAGEUP || track.nCommand == SB_PAGEDOWN) {
    // Paging stops under the pointer: the page area ends at the thumb as it stands now,
    // after the owner has moved it.
    KtkScrollBarLayout(frame, info);
    if (track.nCommand == SB_PAGEUP)
      SetAlong(track, track.bVertical ? track.rcTrack.top : track.rcTrack.left, info->nThumbStart);
    else
      SetAlong(track, info->nThumbEnd, track.bVertical ? track.rcTrack.bottom : track.rcTrack.right);
  }
  const BOOL wasInside = track.bPointerInside;
  const BOOL inside = PtInRect(&track.rcTrack, p);
  if (inside != wasInside) {
    track.bPointerInside = inside;
    KtkScrollBarRedraw(frame, info);
  }
  const HWND window = frame->FrameWindow();
  if (message == 0) {
    if (inside) {
      track.nTimer = SetTimer(window, KTK_SB_REPEAT_TIMER, RepeatDelay(), nullptr);
      Notify(track, track.nCommand, 0);
    }
    return;
  }
  if (message == WM_LBUTTONUP) {
    KtkScrollBarEndTracking(frame);
    return;
  }
  if (message != WM_LBUTTONDOWN && message != WM_MOUSEMOVE) return;
  if (inside && !wasInside) {
    track.nTimer =
        SetTimer(window, KTK_SB_REPEAT_TIMER, message == WM_LBUTTONDOWN ? FirstRepeatDelay() : RepeatDelay(), nullptr);
    Notify(track, track.nCommand, 0);
  }
}

void Feed(CKtkSkinFrameData* frame, UINT message, POINT p) {
  if (!frame->m_pScrollTracking) return;
  if (frame->m_pScrollTracking->bDragging)
    DragHandler(frame, message, p);
  else
    RepeatHandler(frame, message, p);
}

}  // namespace

void KtkScrollBarRedraw(CKtkSkinFrameData* frame, ScrollBarPosInfo* info) {
  const HWND window = frame->FrameWindow();
  CKtkSkinManagerSchema* schema = frame->FrameSchema();
  if (!info->bShown || !IsWindow(window) || !schema) return;
  const bool dragging =
      frame->m_pScrollTracking && frame->m_pScrollTracking->bDragging && frame->m_pScrollTracking->pPosInfo == info;
  if (!dragging) KtkScrollBarLayout(frame, info);
  HDC dc = info->nKind == KTK_SB_CTL ? GetDC(window) : GetWindowDC(window);
  if (!dc) return;
  {
    CKtkBufferDCEx buffer(dc, info->rcBar);
    schema->DrawScrollBar(buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc, frame, info);
  }
  ReleaseDC(window, dc);
}

void KtkScrollBarEndTracking(CKtkSkinFrameData* frame) {
  ScrollBarTrackInfo* track = frame->m_pScrollTracking.get();
  if (!track || !track->hwndTarget) return;
  const int command = track->nCommand;
  track->nCommand = KTK_SB_NOCOMMAND;
  if (GetCapture() == frame->FrameWindow()) ReleaseCapture();
  if (command == KTK_SB_THUMBDRAG) {
    Notify(*track, SB_THUMBPOSITION, track->nTrackPos);
    KtkScrollBarRedraw(frame, track->pPosInfo);
  } else if (track->nTimer) {
    KillTimer(frame->FrameWindow(), KTK_SB_REPEAT_TIMER);
    track->nTimer = 0;
  }
  Notify(*track, SB_ENDSCROLL, 0);
  track->hwndTarget = nullptr;
}

void KtkScrollBarStartTracking(CKtkSkinFrameData* frame, POINT point, ScrollBarPosInfo* info, BOOL shift) {
  if (frame->m_pScrollTracking) return;  // one loop at a time
  const HWND window = frame->FrameWindow();
  frame->m_pScrollTracking = std::make_unique<ScrollBarTrackInfo>();
  ScrollBarTrackInfo& track = *frame->m_pScrollTracking;
  const bool control = info->nKind == KTK_SB_CTL;
  track.hwndControl = control ? window : nullptr;
  track.hwndTarget = control ? GetParent(window) : window;
  track.bNonClient = control ? FALSE : TRUE;
  track.bVertical = info->bVertical;
  track.nKind = info->nKind;
  track.pPosInfo = info;
  track.nCommand = KTK_SB_NOCOMMAND;
  track.rcTrack = info->rcBar;
  const int c = Along(track, point);
  const int hit = KtkScrollBarHitTest(info, point);
  switch (hit) {
    case KTK_SBHT_FIRSTARROW:
      track.nCommand = SB_LINEUP;
      SetAlong(track, info->nStart, info->nFirstArrowEnd);
      break;
    case KTK_SBHT_PAGEBEFORE:
      track.nCommand = SB_PAGEUP;
      SetAlong(track, info->nFirstArrowEnd, info->nThumbStart);
      break;
    case KTK_SBHT_PAGEAFTER:
      track.nCommand = SB_PAGEDOWN;
      SetAlong(track, info->nThumbEnd, info->nSecondArrowStart);
      break;
    case KTK_SBHT_SECONDARROW:
      track.nCommand = SB_LINEDOWN;
      SetAlong(track, info->nSecondArrowStart, info->nEnd);
      break;
    default:
      break;
  }
  info->nHitCode = hit;
  bool drag = hit == KTK_SBHT_THUMB;
  bool centred = false;
  if (shift && (hit == KTK_SBHT_PAGEBEFORE || hit == KTK_SBHT_PAGEAFTER || hit == KTK_SBHT_THUMB)) {
    drag = centred = true;
    track.nGrabOffset = -info->nThumbLength / 2;
  }
  if (hit == 0 || (drag && info->nThumbLength >= info->nSecondArrowStart - info->nFirstArrowEnd)) {
    // Nothing to press, or a thumb with nowhere to go: no loop, nothing sent.
    info->nHitCode = 0;
    frame->m_pScrollTracking.reset();
    return;
  }
  if (drag) {
    track.nCommand = KTK_SB_THUMBDRAG;
    const int thickness = info->nAcrossEnd - info->nAcrossStart;
    const int beyond = 2 * GetSystemMetrics(info->bVertical ? SM_CYVTHUMB : SM_CXHTHUMB);
    const RECT& bar = info->rcBar;
    track.rcTrack =
        info->bVertical
            ? RECT{bar.left - 8 * thickness, bar.top - beyond, bar.right + 8 * thickness, bar.bottom + beyond}
            : RECT{bar.left - beyond, bar.top - 8 * thickness, bar.right + beyond, bar.bottom + 8 * thickness};
    info->nDragStartThumb = track.nLastThumb = info->nThumbStart;
    track.nTrackPos = info->nPos;
    track.bDragging = TRUE;
    if (!centred) track.nGrabOffset = info->nThumbStart - c;
    SetCapture(window);
    if (!control) Kx2SetScrollTrackPos(window, info->nKind, track.nTrackPos);
    Notify(track, SB_THUMBTRACK, track.nTrackPos);
  }
  if (GetCapture() != window) SetCapture(window);
  Feed(frame, WM_LBUTTONDOWN, point);

  MSG msg{};
  while (frame->m_pScrollTracking && frame->m_pScrollTracking->hwndTarget && GetCapture() == window) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (msg.message == WM_TIMER && msg.hwnd == window && msg.wParam == KTK_SB_REPEAT_TIMER) {
      POINT cursor{};
      GetCursorPos(&cursor);
      Feed(frame, 0, FromScreen(window, *frame->m_pScrollTracking, cursor));
      continue;
    }
    if (msg.message >= WM_MOUSEFIRST && msg.message <= 0x20D && msg.hwnd == window) {
      const POINT client{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
      Feed(frame, msg.message, FromClient(window, *frame->m_pScrollTracking, client));
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // A loop cut short (the capture taken away, WM_QUIT) still tells the owner it ended.
  if (frame->m_pScrollTracking && frame->m_pScrollTracking->hwndTarget) KtkScrollBarEndTracking(frame);
  KillTimer(window, KTK_SB_REPEAT_TIMER);
  info->nHitCode = 0;
  frame->m_pScrollTracking.reset();
  KtkScrollBarRedraw(frame, info);
}

// Tracking a held scroll bar, the frame's and the scroll bar control's alike: an arrow or
// the track sends its request at once and again while held (after 4/5 of the double-click
// time, then every tenth of it) as long as the mouse stays on that part; the thumb follows
// the mouse with SB_THUMBTRACK and lands with SB_THUMBPOSITION; SB_ENDSCROLL comes last.
#pragma once

#include "win/user.h"

namespace kx2::user32 {

// The bar being tracked and how to reach what it stands for.
class ScrollTrackSite {
 public:
  virtual ~ScrollTrackSite() = default;
  // The window that holds the capture while the bar is tracked.
  virtual HWND Window() const = 0;
  // The window told with WM_HSCROLL / WM_VSCROLL, and the lParam it gets (the control).
  virtual HWND Target() const = 0;
  virtual HWND Control() const = 0;
  virtual bool Vertical() const = 0;
  // The bar's rectangle, in the coordinates ToBar gives.
  virtual RECT Bar() const = 0;
  virtual POINT ToBar(POINT screen) const = 0;
  virtual SCROLLINFO Info() const = 0;
  // The part shown pressed (SB_LINEUP ... SB_THUMBTRACK), -1 for none.
  virtual void ShowPressed(int part) = 0;
  // The thumb's position while it is dragged; `tracking` false once the drag is over.
  virtual void TrackPosition(int position, bool tracking) = 0;
};

// Runs the loop for a press at a screen point; returns when the button is released, the
// capture is lost, Esc is pressed or the window goes.
void TrackScrollBar(ScrollTrackSite& site, POINT screen);

}  // namespace kx2::user32

// The classic window frame DefWindowProcW gives: its layout, hit testing and drawing.
#pragma once

#include "win/user.h"

namespace kx2::user32 {

// Where the frame's parts lie, in window coordinates.
struct FrameLayout {
  RECT window{};  // 0,0 .. width,height
  int frameX = 0, frameY = 0;
  bool thick = false;
  bool hasCaption = false;
  RECT caption{};                                           // the caption bar (its last row is the separator line)
  RECT sysMenu{}, close{}, maximize{}, minimize{}, help{};  // empty when absent
  RECT menuBar{};                                           // empty without a menu
  RECT vscroll{}, hscroll{}, sizeBox{};
  RECT client{};
};

FrameLayout LayoutFrame(DWORD style, DWORD exStyle, int width, int height, bool menu = false);
FrameLayout LayoutFrame(HWND hwnd);
// The parts of a scroll bar (window coordinates): arrows, the track either side of the
// thumb, and the thumb (empty when the bar cannot scroll or has no room for it).
struct ScrollParts {
  RECT lineUp{}, pageUp{}, thumb{}, pageDown{}, lineDown{};
};
ScrollParts LayoutScrollBar(const RECT& bar, bool vertical, const SCROLLINFO& info, bool enabled);
// Draws a scroll bar: the track in the brush, arrows (greyed when disabled or when the bar
// cannot scroll) and the thumb; a pressed part (SB_LINEUP ... SB_PAGEDOWN) drawn pressed.
void DrawScrollBar(HDC dc, const RECT& bar, bool vertical, const SCROLLINFO& info, bool enabled, int pressedPart,
                   HBRUSH track, UINT disabledArrows);
// The window's bar info (all fields), or a 0..100 range when none was set.
SCROLLINFO BarInfo(HWND hwnd, int bar);
// The position a thumb at `offset` pixels into the track stands for.
int PositionAtThumb(const RECT& bar, bool vertical, const SCROLLINFO& info, int offset);

// The client rectangle inside a window rectangle (any coordinates).
RECT ClientInside(HWND hwnd, RECT window);
LRESULT FrameHitTest(HWND hwnd, POINT screen);
// Draws the frame now, with the caption active or not.
void PaintFrame(HWND hwnd, bool active);
// Draws the frame into a DC whose origin is the window's top-left corner.
void DrawFrame(HWND hwnd, HDC dc, bool active);
bool FrameActive(HWND hwnd);
// The frame part drawn pressed (an HT code, or a scroll part as HTVSCROLL/HTHSCROLL with
// the part in `scrollPart`); 0 for none.
void SetPressed(HWND hwnd, int hit, int scrollPart);

}  // namespace kx2::user32

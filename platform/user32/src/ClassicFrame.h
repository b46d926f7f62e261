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
  RECT vscroll{}, hscroll{}, sizeBox{};
  RECT client{};
};

FrameLayout LayoutFrame(DWORD style, DWORD exStyle, int width, int height);
FrameLayout LayoutFrame(HWND hwnd);
// The client rectangle inside a window rectangle (any coordinates).
RECT ClientInside(HWND hwnd, RECT window);
LRESULT FrameHitTest(HWND hwnd, POINT screen);
// Draws the frame now, with the caption active or not.
void PaintFrame(HWND hwnd, bool active);
// Draws the frame into a DC whose origin is the window's top-left corner.
void DrawFrame(HWND hwnd, HDC dc, bool active);
bool FrameActive(HWND hwnd);

}  // namespace kx2::user32

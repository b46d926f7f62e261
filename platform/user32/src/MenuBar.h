// The classic menu bar of a frame: where its items lie and how it is drawn. Items run
// left to right in one row; from the first right-justified item on they sit against the
// bar's right edge. The item the menu loop has selected is drawn highlighted.
#pragma once

#include <vector>

#include "win/user.h"

namespace kx2::user32 {

// Item rectangles in window coordinates, one per menu position (empty for none).
std::vector<RECT> LayoutMenuBarItems(HWND hwnd, const RECT& bar);
// Draws the bar into a DC whose origin is the window's top-left corner.
void PaintMenuBar(HDC dc, HWND hwnd, const RECT& bar);
// The item drawn highlighted (-1: none); the frame is not redrawn here.
void SetMenuBarHighlight(HWND hwnd, int index);
// Forgets the highlight when the window goes.
void ForgetMenuBarHighlight(HWND hwnd);

}  // namespace kx2::user32

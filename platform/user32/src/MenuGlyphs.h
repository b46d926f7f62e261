// Small pictures menus draw: check marks, radio bullets, sub-menu arrows, etched lines
// and the predefined HBMMENU_ pictures.
#pragma once

#include "win/gdi.h"
#include "win/menu.h"

namespace kx2::user32 {

void FillRectColour(HDC dc, const RECT& r, COLORREF colour);
// A check mark whose left edge is at `left`, centred on `middle`.
void DrawCheckMark(HDC dc, int left, int middle, COLORREF colour);
// A round bullet centred at (x, middle).
void DrawRadioBullet(HDC dc, int x, int middle, COLORREF colour);
// A filled triangle pointing right with its tip at (tipX, middle).
void DrawSubmenuArrow(HDC dc, int tipX, int middle, COLORREF colour);
// A sunken line one pixel in shadow and one below (horizontal) or right of it (vertical)
// in highlight.
void DrawEtchedLine(HDC dc, int x0, int y0, int length, bool vertical);
// One of the predefined pictures below 0x10000 centred in `r`; `owner` gives the icon of
// HBMMENU_SYSTEM (its item data names the window). False when it is not one of them.
bool DrawPredefinedBitmap(HDC dc, HBITMAP which, const RECT& r, ULONG_PTR itemData, bool disabled);
// A bitmap copied with its top-left corner at (x, y).
void DrawItemBitmap(HDC dc, HBITMAP bitmap, int x, int y, DWORD rop = SRCCOPY);

}  // namespace kx2::user32

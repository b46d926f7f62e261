// The classic look of a pop-up menu: its items measured into columns and drawn with check
// marks, radio bullets, check bitmaps, item bitmaps, sub-menu arrows, separators, column
// breaks, greyed and default items, shortcut texts and owner-drawn items.
#pragma once

#include <vector>

#include "win/user.h"

namespace kx2::user32 {

struct PopupLayout {
  std::vector<RECT> items;  // client coordinates, one per position
  int checkColumn = 17;     // room left of the text for checks and item bitmaps
  SIZE size{0, 0};          // of the whole pop-up window
};

// Owner-drawn items are measured by `owner` (WM_MEASUREITEM).
PopupLayout LayoutPopupMenu(HWND owner, HMENU menu);
// Draws the pop-up into `dc` (client coordinates); owner-drawn items go to `owner`
// (WM_DRAWITEM). `selected` is drawn highlighted (-1: none).
void PaintPopupMenu(HDC dc, HWND owner, HMENU menu, const PopupLayout& layout, int selected);

}  // namespace kx2::user32

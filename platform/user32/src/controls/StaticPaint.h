// The classic look of a static control, drawn into any DC.
#pragma once

#include "win/user.h"

namespace kx2::user32 {

struct StaticLook {
  HFONT font = nullptr;
  HANDLE image = nullptr;  // an icon, bitmap or enhanced metafile, by the style's type
};

// Text, icon, bitmap, rectangles, frames and etched lines by the style's type; owner-drawn
// statics go to the parent as WM_DRAWITEM. Answers whether the parent's brush was hollow.
bool PaintStatic(HWND hwnd, HDC dc, const StaticLook& look);

// The DrawTextW format a text static draws with.
UINT StaticTextFormat(HWND hwnd, DWORD style);

}  // namespace kx2::user32

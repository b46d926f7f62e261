// The classic look of a button, drawn into any DC.
#pragma once

#include "win/user.h"

namespace kx2::user32 {

struct ButtonLook {
  UINT state = 0;  // BST_ check state, BST_PUSHED, BST_FOCUS, BST_DROPDOWNPUSHED
  HFONT font = nullptr;
  HANDLE image = nullptr;  // with BS_BITMAP or BS_ICON
  UINT imageType = 0;
};

// Asks the parent for the brush, fills what the button covers (nothing for a hollow
// brush), then draws face, glyph, text or image and the focus rectangle; owner-drawn
// buttons go to the parent as WM_DRAWITEM.
void PaintButton(HWND hwnd, HDC dc, const ButtonLook& look);

// The size the button needs for its text or image (BCM_GETIDEALSIZE).
SIZE IdealButtonSize(HWND hwnd, const ButtonLook& look);

}  // namespace kx2::user32

// The menu runs DefWindowProcW starts: SC_MOUSEMENU (a press on the menu bar or the caption
// icon) and SC_KEYMENU (Alt or F10 alone, Alt with a letter, Alt+Space).
#pragma once

#include "win/user.h"

namespace kx2::user32 {

void MouseMenu(HWND hwnd);
// ch: the character typed with Alt, 0 for Alt or F10 alone.
void KeyMenu(HWND hwnd, WCHAR ch);

}  // namespace kx2::user32

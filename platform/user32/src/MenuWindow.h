// The windows pop-up menus are shown in: class "#32768", drawn in the classic look from
// the menu level they show. MN_GETHMENU answers the menu.
#pragma once

#include "win/user.h"

namespace kx2::user32 {

struct MenuLevel;

// A hidden pop-up window for `level`, owned by `owner`; null when it cannot be made.
HWND CreateMenuWindow(HWND owner, MenuLevel* level);
// The window no longer shows `level` (it is going away).
void DetachMenuWindow(HWND hwnd);

}  // namespace kx2::user32

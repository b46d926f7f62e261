// Where pop-up menus go on the screen: beside or below the item they open from, or at a
// tracked point, kept on the monitor of that point.
#pragma once

#include "win/user.h"

namespace kx2::user32 {

// The monitor rectangle containing `pt`, else the primary screen.
RECT MenuBounds(POINT pt);
// A sub-menu of `size` opened from `item` (screen): below it under a menu bar, else
// beside it, on the left when the parent went left (and there is room) or when the right
// has no room. `droppedLeft` says which side was taken.
POINT PlaceSubmenu(const RECT& item, bool underBar, bool parentDroppedLeft, HWND owner, SIZE size, bool* droppedLeft);
// A pop-up shown at `pt` (already moved by the alignment flags), pushed back onto the
// monitor; where it had to move, it keeps clear of `exclude` (screen, may be null).
POINT PlaceTrackedPopup(POINT pt, SIZE size, UINT flags, const RECT* exclude, bool* droppedLeft);

}  // namespace kx2::user32

// What the window system asks of GDI beyond the public calls: the visible region of a
// window DC and the system colour brushes.
#pragma once

#include "win/types.h"

namespace kx2::gdi {

// Sets a DC's system clip (device units; null removes it). The application's clip calls
// never reach it, so drawing stays inside the region whatever the application selects.
bool SetSystemClip(HDC hdc, HRGN region);
// A solid brush DeleteObject leaves alone, as it does the stock objects.
HBRUSH CreateSystemBrush(COLORREF colour);

}  // namespace kx2::gdi

// WM_PRINT: a window drawn, as asked, into a DC the caller gives.
#pragma once

#include "win/user.h"

namespace kx2::user32 {

// The DC's origin is the window's top-left corner; the flags are the PRF_ ones.
LRESULT PrintInto(HWND hwnd, HDC dc, LPARAM flags);

}  // namespace kx2::user32

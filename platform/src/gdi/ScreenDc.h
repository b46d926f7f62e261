// The screen's DC (GetDC(nullptr)); window DCs come from the window painting code.
#pragma once

#include "win/types.h"

namespace kx2::gdi {

HDC CreateScreenDc();
// 1 when hdc was a screen DC and is now released, else 0.
int ReleaseScreenDc(HDC hdc);

}  // namespace kx2::gdi

// The message pump of the system's modal mouse loops (caption buttons, scroll bars, moving
// and sizing, the buttons' and scroll bar controls' tracking).
#pragma once

#include "win/user.h"

namespace kx2::user32 {

// The next message for a loop whose window holds the capture: mouse messages, key downs and
// timers come back to the loop; key ups and characters are dropped; everything else is
// dispatched. False when the loop must end: WM_QUIT (put back for the outer loop), the
// capture lost, the window gone, or the left button already released with nothing waiting.
bool NextCapturedMessage(HWND hwnd, MSG* msg);

}  // namespace kx2::user32

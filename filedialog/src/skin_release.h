// The file dialog's one call into the skin manager.
#pragma once

#include <win/types.h>

namespace ornatex::filedialog {

// Has the process-wide skin manager (made on this first use) take the skin object off the
// window, so that the system dialog keeps its own look.
void TakeSkinOff(HWND hwnd);

}  // namespace ornatex::filedialog

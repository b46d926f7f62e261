// The served classes: which host windows the bridge serves.
#pragma once

#include "quel_internal.h"

namespace quel {

// Whether the window is alive and its class atom (never 0) is in the set.
bool IsServedWindow(HWND window);
// Empties the set, as at process start.
QUEL_TEST_API void ResetClassSet();

}  // namespace quel

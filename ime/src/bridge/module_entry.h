// The library's start and stop (what Windows calls DllMain's process attach and detach).
#pragma once

#include "quel_internal.h"

namespace quel {

// The library's own module handle, stored at attach.
HINSTANCE QuelInstance();

// Registers the module descriptor "Kx2Mod.Quel" (its result is not looked at).
QUEL_TEST_API void QuelProcessAttach(HINSTANCE instance);
// Unregisters it, shuts the bridge down, unregisters the bridge class and returns every
// process-wide state of the library to its start, as unloading would.
QUEL_TEST_API void QuelProcessDetach();

// The bridge window's class goes (bridge_window.cpp).
void UnregisterBridgeClass();

}  // namespace quel

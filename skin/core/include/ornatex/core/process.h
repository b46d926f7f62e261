// The library's process attach and detach, run when it loads and unloads and callable
// directly. Detach stops the menu-sound thread, removes the hooks and frees every
// process-wide object; they are made again on their next use.
#pragma once

#include "ornatex/export.h"

ORNATEX_API void OrnatexProcessAttach();
ORNATEX_API void OrnatexProcessDetach();

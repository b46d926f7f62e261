// Loading a library while the current folder is the system folder, so that a name without
// a folder cannot pick up a library planted in the current one.
#pragma once

#include <win/types.h>

namespace ktk {

// A resource container (a language module) at the path is loaded as data. Null when the
// system folder cannot be had or nothing loads.
HMODULE LoadSystemLibrary(LPCWSTR path);

}  // namespace ktk

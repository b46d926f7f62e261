// Loading a library the way the import plug-in and the file-dialog library do: a name
// without a folder is taken from the system folder alone, so that a library planted in the
// current folder is never picked up. The library is named to the loader by its full path
// and the current folder (shared by every thread) is never switched for the load. The
// toolkit sits below both libraries, so both use this one.
#pragma once

#include <win/types.h>

namespace ktk {

// A path, or a name relative to the system folder; a resource container (a language
// module) loads as data. Null when the system folder cannot be had or nothing loads.
HMODULE LoadSystemLibrary(LPCWSTR path);

}  // namespace ktk

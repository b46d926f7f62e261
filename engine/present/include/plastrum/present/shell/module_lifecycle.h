// The engine library's process-wide start and stop, as its module hook runs them.
//
// Start: the format tables get their fixed entries (a failure refuses the start), then the
// drawing resources of the handle and knob library are started once; a failure there is no
// error, it only means the stop will not clean them up. Stop: engines the host left behind
// are destroyed first, while the tables their canvases and shapes still release identifiers
// into exist, then the tables are emptied, then the drawing resources are cleaned up and shut
// down when this library started them.
#pragma once

#include <win/types.h>

#include <plastrum/Export.h>

namespace Present {

// The drawing-resource library's start and stop, replaceable so that tests can stand in for
// them (a start that fails, a journal of calls).
struct PLASTRUM_API DrawingResourceHooks {
  BOOL (*startup)() = nullptr;
  void (*cleanup)() = nullptr;
  void (*shutdown)() = nullptr;
};

// Replaces the hooks and returns the ones they replace.
PLASTRUM_API DrawingResourceHooks SetDrawingResourceHooks(DrawingResourceHooks hooks);

// True between a successful module start and the next module stop: no engine is made outside.
PLASTRUM_API bool IsModuleStarted();
// True while this library has started the drawing resources and not yet shut them down.
PLASTRUM_API bool DrawingResourcesStarted();

// The module hook's two steps: 0 on success, -1 when the start is refused.
PLASTRUM_API int StartModule();
PLASTRUM_API void StopModule();

}  // namespace Present

// The host's engine as the file dialog sees it (IVtlEngine, vantorel/engine_folders.h), and
// the host's own resources, for the command-line host and tests.
#pragma once

#include <string>

#include <vantorel/engine_folders.h>
#include <vantorel/host_export.h>

namespace vantorel {

// A new engine (counted by the census; the caller releases it). Slot 11 gives its folder
// service, which lives as long as the engine; every other slot answers E_NOTIMPL.
VANTOREL_API IVtlEngine* CreateHostEngine();
// The folder the engine gives for a state (an empty folder takes the state out). FALSE for
// an engine this host did not make.
VANTOREL_API BOOL SetEngineStateFolder(IVtlEngine* engine, StateID state, const std::u16string& folder);

// Makes the host's own module (libVantorelApp, with its resources beside it: menu 10003,
// the labels of the file dialog's open choices) the MFC resource handle of the module state
// the calling code runs in, as the host does before it calls into the modules. Returns the
// handle it replaced.
VANTOREL_API HINSTANCE UseHostResources();

}  // namespace vantorel

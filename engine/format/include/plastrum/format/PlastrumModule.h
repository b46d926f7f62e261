// The shape library's module record and its start-up and shutdown.
//
// Loading the library registers its record with the foundation's module registry, whose
// start hook puts the fixed entries of every format table in place; unloading unregisters
// it, which empties the tables. Both run from the library's constructor and destructor, and
// tests may call them directly (detach then attach acts as unload then reload).
#pragma once

#include <win/types.h>

struct tagModuleInfo;

#define PLASTRUM_PROCESS_DETACH 0
#define PLASTRUM_PROCESS_ATTACH 1

// The library's process attach (reason 1: 1 when the record is registered, 0 when the
// registration failed) and detach (reason 0: always 1).
KX2_EXPORT BOOL PlastrumDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

// The library's record: "Kx2Mod.Present.Plastrum", no language module, module id 244,
// strings in the library itself, the start and stop hook as sub-module 0.
KX2_EXPORT tagModuleInfo* PlastrumModuleInfo();

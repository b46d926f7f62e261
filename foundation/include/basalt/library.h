// Start-up and shutdown of the foundation library. They run from the library's constructor
// and destructor; tests may also call them directly (each runs once per attach).
#pragma once

#include <basalt/export.h>

#define KX2_DLL_PROCESS_DETACH 0
#define KX2_DLL_PROCESS_ATTACH 1

// The library's process attach (reason 1) and detach (reason 0); always returns 1.
KX2_EXPORT BOOL BasaltDllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

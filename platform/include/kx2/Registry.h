// Control of the registry's storage, for tests and tools.
#pragma once

#include "win/types.h"

// Closes every hive and invalidates every open key handle (except the predefined roots),
// so that the next registry call reads KX2_REGISTRY, XDG_CONFIG_HOME and the shell-folder
// environment again. Call it only while no other thread uses the registry.
KX2_EXPORT void Kx2RegistryReset();

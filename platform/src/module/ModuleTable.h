// Private: what the resource functions need of the module records.
#pragma once

#include "resource/Container.h"
#include "win/types.h"

namespace kx2::module {

// The resource container of a module (null = the main program), read on first use.
// nullptr with *error when the handle is not a module (ERROR_INVALID_HANDLE), or
// ERROR_RESOURCE_DATA_NOT_FOUND when it has no resources or its container is corrupt.
// The container lives as long as the module stays loaded.
const kx2::rsrc::Container* Resources(HMODULE module, DWORD* error);

}  // namespace kx2::module

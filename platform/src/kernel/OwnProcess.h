// Handles that name the calling process: the pseudo handle and those OpenProcess gives.
#pragma once

#include "win/types.h"

namespace kx2 {

bool IsOwnProcessHandle(HANDLE handle);

}  // namespace kx2

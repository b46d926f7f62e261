// Translating POSIX errno values into the Win32 error codes callers test for.
#pragma once

#include "win/types.h"

namespace kx2 {

// ENOENT -> 2, ENOTDIR -> 3, EACCES/EPERM/EROFS -> 5, EEXIST -> 80, ENOSPC -> 112 ...;
// anything without a closer match becomes ERROR_GEN_FAILURE (31).
KX2_API DWORD Win32ErrorFromErrno(int err);

// SetLastError(Win32ErrorFromErrno(err)); returns the code set.
KX2_API DWORD SetLastErrorFromErrno(int err);

}  // namespace kx2

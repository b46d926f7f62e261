// Reading memory that may not be there. Code that follows a pointer it cannot trust (a
// foreign window's slot, an import thunk) reads through this: an unmapped or unreadable
// address makes the call fail instead of faulting the process.
#pragma once

#include "win/types.h"

// Copies size bytes from address into out; FALSE (nothing or part copied, ERROR_NOACCESS)
// when any of them cannot be read.
KX2_EXPORT BOOL Kx2ProbeRead(const void* address, void* out, SIZE_T size);

namespace kx2 {

// One value of a trivially copyable type; false when it cannot be read.
template <class T>
bool ProbeValue(const void* address, T* out) {
  return Kx2ProbeRead(address, out, sizeof(T)) != FALSE;
}

}  // namespace kx2

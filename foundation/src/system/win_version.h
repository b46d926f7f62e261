// The mapping from a reported Windows version to the system's version code and name.
#pragma once

#include <win/types.h>

namespace Basalt::Util::detail {

unsigned WinVersionCode(DWORD platformId, DWORD major, DWORD minor);
const char* OSVersionName(unsigned code);

}  // namespace Basalt::Util::detail

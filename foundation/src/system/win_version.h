// The mapping from a reported Windows version to the system's version code and name.
#pragma once

#include <win/types.h>
#include "basalt/export.h"

namespace Basalt::Util::detail {

BASALT_TEST_API unsigned WinVersionCode(DWORD platformId, DWORD major, DWORD minor);
BASALT_TEST_API const char* OSVersionName(unsigned code);

}  // namespace Basalt::Util::detail

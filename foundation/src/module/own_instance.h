#pragma once

#include <win/types.h>
#include "basalt/export.h"

namespace Basalt::Base::detail {

// The foundation library's own module handle, found from an address inside it.
BASALT_TEST_API HINSTANCE OwnInstance();

}  // namespace Basalt::Base::detail

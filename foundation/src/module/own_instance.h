#pragma once

#include <win/types.h>

namespace Basalt::Base::detail {

// The foundation library's own module handle, found from an address inside it.
HINSTANCE OwnInstance();

}  // namespace Basalt::Base::detail

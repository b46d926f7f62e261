// Shared by registration and the language-file search.
#pragma once

#include <win/types.h>

namespace Basalt::Base::detail {

// Records error 9 (kind 1) with the file name of the module whose language module is
// missing.
void SetResourceMissing(HINSTANCE instance);

}  // namespace Basalt::Base::detail

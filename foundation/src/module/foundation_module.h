// The foundation library's own module descriptor.
#pragma once

#include <basalt/module.h>

namespace Basalt::Base::detail {

tagModuleInfo& FoundationModule();

}  // namespace Basalt::Base::detail

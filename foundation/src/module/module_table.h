// The process-wide table of registered module descriptors.
#pragma once

#include <basalt/module.h>
#include "basalt/export.h"

namespace Basalt::Base::detail {

// Slot i of the table (0..kModuleSlots-1); null when empty.
tagModuleInfo*& ModuleSlot(int index);
// Slot holding module, or -1.
BASALT_TEST_API int FindModuleSlot(const tagModuleInfo* module);

}  // namespace Basalt::Base::detail

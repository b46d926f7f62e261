#include "error/out_of_memory.h"

#include <basalt/resource.h>
#include <win/user.h>

#include "error/foundation_describer.h"
#include "module/foundation_module.h"

namespace Basalt::Error::detail {

void ReportRecordOutOfMemory() {
  char16_t text[128] = {};
  Util::Resource::_LoadStringEx(&Base::detail::FoundationModule(), kStringRecordOutOfMemory, text, 128);
  MessageBoxW(nullptr, text, nullptr, MB_ICONERROR);
}

}  // namespace Basalt::Error::detail

#include "module/own_instance.h"

#include <win/module.h>

namespace Basalt::Base::detail {

HINSTANCE OwnInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&OwnInstance), &module);
  return module;
}

}  // namespace Basalt::Base::detail

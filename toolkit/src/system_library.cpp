#include <toolkit/SystemLibrary.h>

#include <basalt/base_api.h>

namespace ktk {

// The foundation's loader already takes relative names from the system folder by full
// path and falls back to a data load for resource containers.
HMODULE LoadSystemLibrary(LPCWSTR path) { return path ? Basalt::Util::BaseAPI::_LoadLibrary(path, nullptr) : nullptr; }

}  // namespace ktk

// The shape library's registration with the foundation's module registry.
#include <plastrum/format/PlastrumModule.h>

#include <basalt/module.h>
#include <plastrum/format/ShapeTableRegistry.h>
#include <win/module.h>

namespace {

// Constant data: the record must be complete before any dynamic initialiser of the library
// has run, as the constructor below may run first.
constexpr tagModuleHookEntry kHooks[] = {
    {0, &PlastrumModuleHook},
    {-1, nullptr},
};

tagModuleInfo g_module = {
    u"Kx2Mod.Present.Plastrum", nullptr, nullptr, nullptr, 244, kModuleFlagOwnResources, kHooks,
};

HINSTANCE OwnInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&OwnInstance), &module);
  return module;
}

__attribute__((constructor)) void LibraryLoaded() { PlastrumDllMain(OwnInstance(), PLASTRUM_PROCESS_ATTACH, nullptr); }
__attribute__((destructor)) void LibraryUnloaded() { PlastrumDllMain(OwnInstance(), PLASTRUM_PROCESS_DETACH, nullptr); }

}  // namespace

KX2_EXPORT tagModuleInfo* PlastrumModuleInfo() { return &g_module; }

KX2_EXPORT BOOL PlastrumDllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == PLASTRUM_PROCESS_ATTACH) {
    g_module.instance = instance;
    return Basalt::Base::Module::_InitModule(&g_module) ? TRUE : FALSE;
  }
  if (reason == PLASTRUM_PROCESS_DETACH) {
    Basalt::Base::Module::_ExitModule(&g_module);
    // A failed registration stays failed for the registry; a later attach is a reload and
    // must be able to try again.
    g_module.flags &= ~kModuleFlagFailed;
  }
  return TRUE;
}

// The module descriptor and the library's start and stop, run from its constructor and
// destructor.
#include "bridge/module_entry.h"

#include <basalt/module.h>
#include <win/kernel.h>
#include <win/module.h>

#include "bridge/bridge_state.h"
#include "dispatch/control.h"

namespace quel {
namespace {

int ModuleHook(tagModuleInfo*, int, int, void*, int) { return 0; }

// Constant data: complete before any dynamic initialiser, as the constructor may run first.
constexpr tagModuleHookEntry kHooks[] = {{0, &ModuleHook}, {-1, nullptr}};

tagModuleInfo g_module = {u"Kx2Mod.Quel", u"QuelRes", nullptr, nullptr, 0, 0, kHooks};

HINSTANCE OwnInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&OwnInstance), &module);
  return module;
}

}  // namespace

HINSTANCE QuelInstance() { return g_module.instance; }

void QuelProcessAttach(HINSTANCE instance) {
  OutputDebugStringA("DllMain() : DLL_PROCESS_ATTACH -  Quel Start!\n");
  g_module.instance = instance;
  Basalt::Base::Module::_InitModule(&g_module);
}

void QuelProcessDetach() {
  OutputDebugStringA("DllMain() : DLL_PROCESS_DETACH -  Quel End!\n");
  Basalt::Base::Module::_ExitModule(&g_module);
  // A failed registration stays failed for the registry; a later attach must try again.
  g_module.flags &= ~kModuleFlagFailed;
  _ExpImControl(nullptr, QUEL_WM_CONTROL, 0x18000, 0);
  UnregisterBridgeClass();
  ResetBridgeForTests();
}

namespace {

__attribute__((constructor)) void LibraryLoaded() { QuelProcessAttach(OwnInstance()); }
__attribute__((destructor)) void LibraryUnloaded() { QuelProcessDetach(); }

}  // namespace

}  // namespace quel

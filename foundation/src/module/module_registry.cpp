// Registering and unregistering modules: module ids, language resource modules and the
// start and stop hooks.
#include <basalt/base_api.h>
#include <basalt/error.h>
#include <basalt/module.h>
#include <win/module.h>
#include <win/user.h>

#include "common/text16.h"
#include "module/foundation_module.h"
#include "module/language_module.h"
#include "module/module_table.h"

namespace Basalt::Base {
namespace {

using Error::BaseError;

bool LoadLanguageModule(tagModuleInfo* module) {
  if (!module->resourceName) {
    detail::SetResourceMissing(module->instance);
    return false;
  }
  char16_t path[MAX_PATH];
  if (!Text16::Copy(path, MAX_PATH, Text16::View16(module->resourceName))) {
    detail::SetResourceMissing(module->instance);
    return false;
  }
  if (!Module::_GetResourcePath(module->instance, path)) return false;
  module->resourceInstance = Util::BaseAPI::_LoadLibrary(path, nullptr);
  if (!module->resourceInstance) {
    detail::SetResourceMissing(module->instance);
    return false;
  }
  return true;
}

// Runs the start hooks in table order; when one refuses, stops those already started.
bool StartHooks(tagModuleInfo* module) {
  if (!module->hooks) return true;
  for (const tagModuleHookEntry* hook = module->hooks; hook->subModuleId != -1; ++hook) {
    if (!hook->func) continue;
    if (hook->func(module, hook->subModuleId, kModuleHookStart, nullptr, 0) != -1) continue;
    for (const tagModuleHookEntry* started = module->hooks; started != hook; ++started)
      if (started->func) started->func(module, started->subModuleId, kModuleHookStop, nullptr, 0);
    return false;
  }
  return true;
}

void StopHooks(tagModuleInfo* module) {
  if (!module->hooks) return;
  for (const tagModuleHookEntry* hook = module->hooks; hook->subModuleId != -1; ++hook)
    if (hook->func) hook->func(module, hook->subModuleId, kModuleHookStop, nullptr, 0);
}

bool OwnsLanguageModule(const tagModuleInfo* module) { return (module->flags & kModuleFlagOwnResources) == 0; }

void ShowInitializationError() {
  Error::tagKx2ErrorDetail detail{};
  BaseError::_GetErrorDetail(&detail);
  if (detail.description[0]) MessageBoxW(nullptr, detail.description, u"Initialization Error", MB_ICONERROR);
}

}  // namespace

int Module::_InitModule(tagModuleInfo* module) {
  // A second registration of a registered record would leave a slot behind when the
  // module unloads; it is refused.
  if (!module || detail::FindModuleSlot(module) >= 0) return 0;
  int slot = -1;
  for (int i = 0; i < kModuleSlots && slot < 0; ++i)
    if (!detail::ModuleSlot(i)) slot = i;
  if (slot < 0) return 0;

  const bool own = module == &detail::FoundationModule();
  if (own) detail::ModuleSlot(slot) = module;  // its describer must answer while it starts
  if (module->moduleId >= kDynamicModuleIdBase) module->moduleId = kDynamicModuleIdBase + slot;

  bool ok = true;
  if (OwnsLanguageModule(module) && module->instance && !module->resourceInstance) ok = LoadLanguageModule(module);
  if (ok) ok = StartHooks(module);
  if (ok) {
    detail::ModuleSlot(slot) = module;
    module->flags &= ~kModuleFlagFailed;
    return 1;
  }

  if (OwnsLanguageModule(module) && module->resourceInstance) {
    FreeLibrary(module->resourceInstance);
    module->resourceInstance = nullptr;
  }
  if (!own) detail::ModuleSlot(slot) = nullptr;
  module->flags |= kModuleFlagFailed;
  if (!(module->flags & kModuleFlagQuiet)) ShowInitializationError();
  return 0;
}

void Module::_ExitModule(tagModuleInfo* module) {
  int slot = detail::FindModuleSlot(module);
  if (slot < 0 || (module->flags & kModuleFlagFailed)) return;
  detail::ModuleSlot(slot) = nullptr;
  StopHooks(module);
  if (OwnsLanguageModule(module) && module->resourceInstance) {
    FreeLibrary(module->resourceInstance);
    module->resourceInstance = nullptr;
  }
}

}  // namespace Basalt::Base

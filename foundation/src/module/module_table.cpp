// Looking modules up in the table and walking it.
#include "module/module_table.h"

#include <cstdint>

#include "common/text16.h"

namespace Basalt::Base {
namespace detail {
namespace {
tagModuleInfo* g_slots[kModuleSlots];
}

tagModuleInfo*& ModuleSlot(int index) { return g_slots[index]; }

int FindModuleSlot(const tagModuleInfo* module) {
  if (!module) return -1;
  for (int i = 0; i < kModuleSlots; ++i)
    if (g_slots[i] == module) return i;
  return -1;
}

}  // namespace detail

tagModuleInfo* Module::_GetModuleDef(int moduleId) {
  for (tagModuleInfo* module : detail::g_slots)
    if (module && module->moduleId == moduleId) return module;
  return nullptr;
}

Kx2ModuleHookFunc Module::_GetSubModuleFunc(tagModuleInfo* module, int subModuleId) {
  if (!module || !module->hooks) return nullptr;
  for (const tagModuleHookEntry* hook = module->hooks; hook->subModuleId != -1; ++hook)
    if (hook->subModuleId == subModuleId) return hook->func;
  return nullptr;
}

namespace {
// Position tokens are slot index + 1, so that null means "no more".
void* TokenFromSlot(int slot) { return reinterpret_cast<void*>(static_cast<uintptr_t>(slot) + 1); }

void* NextOccupied(int from) {
  for (int i = from; i < kModuleSlots; ++i)
    if (detail::g_slots[i]) return TokenFromSlot(i);
  return nullptr;
}
}  // namespace

void* Module::_GetFirstModule() { return NextOccupied(0); }

tagModuleInfo* Module::_GetNextModule(void** position) {
  if (!position || !*position) return nullptr;
  uintptr_t token = reinterpret_cast<uintptr_t>(*position);
  if (token == 0 || token > static_cast<uintptr_t>(kModuleSlots)) {
    *position = nullptr;
    return nullptr;
  }
  int slot = static_cast<int>(token - 1);
  tagModuleInfo* module = detail::g_slots[slot];
  *position = NextOccupied(slot + 1);
  return module;
}

void Module::_GetResourceExt(unsigned short, char16_t* ext) {
  if (ext) Text16::Copy(ext, 4, u"ENU");
}

}  // namespace Basalt::Base

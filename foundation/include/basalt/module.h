// Module descriptors and the registry of the system's modules: each library registers its
// descriptor when it loads, which gives it the module id of its error codes, loads its
// language resource module and runs its start hooks; it unregisters when it unloads.
#pragma once

#include <basalt/export.h>

struct tagModuleInfo;

// A module's hook, called with command 0 (start: -1 refuses), 1 (stop) or 2 (describe the
// error in `detail`, a Basalt::Error::tagKx2ErrorDetail).
typedef int (*Kx2ModuleHookFunc)(tagModuleInfo* module, int subModuleId, int command, void* detail, int reserved);

struct tagModuleHookEntry {
  int32_t subModuleId;  // -1 ends a hook table
  Kx2ModuleHookFunc func;
};

struct tagModuleInfo {
  const char16_t* id;               // e.g. "Kx2Mod.Basalt.Main"
  const char16_t* resourceName;     // base name of the language resource module, or null
  HINSTANCE instance;               // the module itself, filled in before registering
  HINSTANCE resourceInstance;       // the loaded language module; set and cleared by the registry
  int32_t moduleId;                 // module field of its error codes; 384 and up: 384 + slot
  uint32_t flags;                   // kModuleFlag* below
  const tagModuleHookEntry* hooks;  // ended by sub-module id -1; may be null
};

enum : uint32_t {
  kModuleFlagOwnResources = 0x1,  // strings live in `instance`; no language module is loaded
  kModuleFlagQuiet = 0x2,         // no message box when registration fails
  kModuleFlagFailed = 0x80000000u,
};

enum : int {
  kModuleHookStart = 0,
  kModuleHookStop = 1,
  kModuleHookDescribe = 2,
};

namespace Basalt::Base {

// Slots of the module table.
constexpr int kModuleSlots = 64;
// Module ids from here on are assigned by slot.
constexpr int32_t kDynamicModuleIdBase = 384;

class BASALT_API Module {
 public:
  static int _InitModule(tagModuleInfo* module);
  static void _ExitModule(tagModuleInfo* module);
  static tagModuleInfo* _GetModuleDef(int moduleId);
  static Kx2ModuleHookFunc _GetSubModuleFunc(tagModuleInfo* module, int subModuleId);
  static void* _GetFirstModule();
  static tagModuleInfo* _GetNextModule(void** position);
  // path holds a resource base name on entry and the language file's full path (at most
  // MAX_PATH units) on return; 0 (error 9 set) when no file was found.
  static int _GetResourcePath(HINSTANCE module, char16_t* path);
  // Writes "ENU" and a terminator (4 units) whatever the language.
  static void _GetResourceExt(unsigned short language, char16_t* ext);
};

}  // namespace Basalt::Base

// The registry of import-table hooks. This system installs none, so every hook-aware call
// goes straight to the system function and removing the hooks finds nothing to undo; the
// registry keeps its slots, its excluded modules and the import-table patch that removal
// would use.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include <win/types.h>
#include <win/user.h>

#include "ornatex/export.h"

// One hook: the module whose import it replaced, the address the import had before, and
// its replacement.
struct KtkApiHookRecord {
  std::string importedModule;
  void* original = nullptr;
  void* replacement = nullptr;
};

// A module no hook is put into: by handle, or by a file-name prefix when the name ends in
// "*"; some entries apply on Windows 9x only.
struct EXCLUDEDMODULE {
  HMODULE module;
  const char16_t* name;
  BOOL win9xOnly;
};

class ORNATEX_API CKtkSkinManagerApiHook {
 public:
  static constexpr int kSlotCount = 48;
  // The slots of the two calls that consult the registry.
  static constexpr int kSlotCallWindowProcW = 0;
  static constexpr int kSlotAdjustWindowRectEx = 1;

  CKtkSkinManagerApiHook();
  ~CKtkSkinManagerApiHook();  // removes the hooks
  CKtkSkinManagerApiHook(const CKtkSkinManagerApiHook&) = delete;
  CKtkSkinManagerApiHook& operator=(const CKtkSkinManagerApiHook&) = delete;

  // The address the hooked function had before, or null when the slot holds no hook.
  void* GetPreHookAddress(int slot);
  BOOL IsExcludedModule(HMODULE module) const;
  // Only when hooks are installed: puts every original back into every module of the
  // process that is neither this library nor excluded, then into this library.
  void RemoveAllHooks();

  // Replaces one import address table entry of the module: 1 when patched, else 0. The
  // imported module's name is compared without regard to the case of A to Z; an entry
  // matches when it holds `find`, or when it points at a push thunk (0x68, then `find`),
  // whose operand is then the one replaced. Every byte of the image is read through the
  // memory probe, so a damaged table ends the walk with 0 instead of a fault.
  int PatchImportEntry(const char* importedModule, void* find, void* put, HMODULE module);
  // The same over an image laid out at `imageBase` (what the module's handle leads to).
  int PatchImportEntryInImage(const char* importedModule, void* find, void* put, void* imageBase);

  const std::vector<EXCLUDEDMODULE>& ExcludedModules() const { return excluded_; }

 private:
  KtkApiHookRecord* slots_[kSlotCount] = {};
  BOOL installed_ = FALSE;
  std::recursive_mutex lock_;
  std::vector<EXCLUDEDMODULE> excluded_;
};

// The single instance, made on first use; its hooks are removed when the library stops.
ORNATEX_API CKtkSkinManagerApiHook& KtkSkinManagerApiHook();

// A window's previous procedure, through the pre-hook CallWindowProcW when it is hooked.
ORNATEX_API LRESULT KtkCallWindowProc(WNDPROC previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A window rectangle from a client rectangle, through the pre-hook AdjustWindowRectEx
// when it is hooked.
ORNATEX_API BOOL KtkAdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);

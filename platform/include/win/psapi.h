// The process's module list and module images (PSAPI), over the loader's own list: the
// program first, then every library in load order. "user32" and "comctl32" appear as the
// libraries of their own that stand for them (win/module.h).
#pragma once

#include "win/types.h"

struct MODULEINFO {
  LPVOID lpBaseOfDll;
  DWORD SizeOfImage;
  LPVOID EntryPoint;  // not tracked: null
};
typedef MODULEINFO* LPMODULEINFO;

// Only this process can be asked (GetCurrentProcess()); others give ERROR_ACCESS_DENIED.
// Fills as many handles as cb bytes hold; *lpcbNeeded is the size of the whole list.
KX2_EXPORT BOOL EnumProcessModules(HANDLE hProcess, HMODULE* lphModule, DWORD cb, LPDWORD lpcbNeeded);
// The address range the module's image occupies (its loaded segments, first to last);
// cb must be at least sizeof(MODULEINFO). ERROR_INVALID_HANDLE for a module not loaded
// as code (a data file, or no module at all).
KX2_EXPORT BOOL GetModuleInformation(HANDLE hProcess, HMODULE hModule, LPMODULEINFO lpmodinfo, DWORD cb);

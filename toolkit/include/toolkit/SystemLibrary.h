// Loading a library while the current folder is the system folder, so that a name without
// a folder cannot pick up a library planted in the current one. The toolkit sits below
// both the import plug-in and the file-dialog library, so both use this one.
#pragma once

#include <string>

#include <win/fileapi.h>
#include <win/types.h>

namespace ktk {

// The system folder, looked up once; empty when it cannot be had.
const std::u16string& SystemFolder();

// Runs `load` (returning an HMODULE) with the current folder switched to the system
// folder and back; null when the system folder cannot be had.
template <class Load>
HMODULE InSystemFolder(Load load) {
  const std::u16string& system = SystemFolder();
  if (system.empty()) return nullptr;
  WCHAR saved[MAX_PATH];
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(system.c_str());
  HMODULE module = load();
  if (n > 0 && n < MAX_PATH) SetCurrentDirectoryW(saved);
  return module;
}

// A resource container (a language module) at the path is loaded as data. Null when the
// system folder cannot be had or nothing loads.
HMODULE LoadSystemLibrary(LPCWSTR path);

}  // namespace ktk

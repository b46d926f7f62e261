// The toolkit's loader of resource libraries. The toolkit is linked into more than one
// module (the import plug-in and the file-dialog library), below both, so it carries
// its own.
#include "system_library.h"

#include <mutex>
#include <string>

#include <win/fileapi.h>
#include <win/kernel.h>
#include <win/module.h>

namespace ktk {
namespace {

const std::u16string& SystemFolder() {
  static std::u16string folder;
  static std::once_flag once;
  std::call_once(once, [] {
    WCHAR buffer[MAX_PATH];
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) folder.assign(buffer, n);
  });
  return folder;
}

}  // namespace

HMODULE LoadSystemLibrary(LPCWSTR path) {
  const std::u16string& system = SystemFolder();
  if (system.empty() || !path) return nullptr;
  WCHAR saved[MAX_PATH];
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(system.c_str());
  HMODULE module = LoadLibraryW(path);
  // Resource-only libraries are resource containers here: they load as data.
  if (!module) module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (n > 0 && n < MAX_PATH) SetCurrentDirectoryW(saved);
  return module;
}

}  // namespace ktk

#include <toolkit/SystemLibrary.h>

#include <mutex>

#include <win/kernel.h>
#include <win/module.h>

namespace ktk {

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

HMODULE LoadSystemLibrary(LPCWSTR path) {
  if (!path) return nullptr;
  return InSystemFolder([&] {
    HMODULE module = LoadLibraryW(path);
    // Resource-only libraries are resource containers here: they load as data.
    return module ? module : LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  });
}

}  // namespace ktk

#include <foliant/TimeValue.h>

#include <mutex>
#include <string>

#include <win/fileapi.h>
#include <win/module.h>

namespace {

// The system directory, looked up once; empty when it cannot be had.
const std::u16string& SystemDirectory() {
  static std::u16string folder;
  static std::once_flag once;
  std::call_once(once, [] {
    char16_t buffer[MAX_PATH];
    UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH) folder.assign(buffer, n);
  });
  return folder;
}

std::u16string CurrentDirectory() {
  char16_t buffer[MAX_PATH];
  DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
  return (n > 0 && n < MAX_PATH) ? std::u16string(buffer, n) : std::u16string();
}

template <class Load>
HMODULE WithSystemDirectory(Load load) {
  const std::u16string& system = SystemDirectory();
  if (system.empty()) return nullptr;
  const std::u16string saved = CurrentDirectory();
  SetCurrentDirectoryW(system.c_str());
  HMODULE module = load();
  if (!saved.empty()) SetCurrentDirectoryW(saved.c_str());
  return module;
}

}  // namespace

HMODULE LoadSystemLibrary(LPCWSTR fileName) {
  return WithSystemDirectory([&] { return LoadLibraryW(fileName); });
}

HMODULE LoadSystemLibraryA(LPCSTR fileName) {
  return WithSystemDirectory([&] { return LoadLibraryA(fileName); });
}

// Loading libraries from named folders. Every load names its file by full path, a name
// without a folder taken from the system folder: the current directory, which all threads
// share, is never switched for a load.
#include <string>
#include <string_view>

#include <basalt/base_api.h>
#include <basalt/path_util.h>
#include <win/fileapi.h>
#include <win/kernel.h>
#include <win/module.h>

#include "common/text16.h"

namespace Basalt::Util {
namespace {

// The system folder, read once; empty when the system could not tell it.
const std::u16string& SystemFolder() {
  static const std::u16string folder = [] {
    char16_t buf[MAX_PATH] = {};
    UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::u16string(buf, n) : std::u16string();
  }();
  return folder;
}

// A drive ("C:"), a root ("\") or a share ("\\server") starts a path that needs no folder.
bool IsFullPath(std::u16string_view path) {
  return (!path.empty() && path[0] == u'\\') || (path.size() >= 2 && path[1] == u':');
}

}  // namespace

HINSTANCE BaseAPI::_LoadLibrary(const char16_t* name, const char16_t* folder) {
  if (!name) return nullptr;
  std::u16string path;
  if (folder) {
    char16_t expanded[MAX_PATH];
    PathUtil::_PathToAbsolute(folder, expanded);
    path = expanded;
    if (path.empty() || path.back() != u'\\') path += u'\\';
  }
  path += Text16::View16(name);
  if (path.size() >= MAX_PATH) return nullptr;
  const std::u16string& system = SystemFolder();
  if (system.empty()) return nullptr;
  // A relative name is looked for in the system folder alone, as it would be with the system
  // folder current: never in the caller's current folder.
  if (!IsFullPath(path)) path = system + (system.back() == u'\\' ? u"" : u"\\") + path;
  HINSTANCE module = LoadLibraryW(path.c_str());
  // Resource-only modules (the language modules) are resource containers here, not
  // code: the loader takes them only as data files, which is all they are used for.
  if (!module && GetLastError() == ERROR_BAD_EXE_FORMAT)
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  return module;
}

HINSTANCE BaseAPI::_LoadLibraryModulePath(const char16_t* fullPath) {
  if (!fullPath) return nullptr;
  // Named by full path, the library loads the same whatever the current directory is; it
  // stays as it is.
  return LoadLibraryExW(fullPath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

HINSTANCE BaseAPI::_LoadLibraryEx(const char16_t* name, HANDLE file, DWORD flags) {
  return LoadLibraryExW(name, file, flags);
}

HMODULE BaseAPI::_GetModuleHandle(const char16_t* name) { return GetModuleHandleW(name); }

int BaseAPI::_GetModuleFileName(HINSTANCE module, char16_t* out, DWORD size) {
  return GetModuleFileNameW(module, out, size) != 0 ? 1 : 0;
}

HINSTANCE BaseAPI::_LoadResource(const char16_t* name) { return _LoadLibrary(name, nullptr); }

void BaseAPI::_FreeResource(HINSTANCE module) { FreeLibrary(module); }

UINT BaseAPI::_GetSystemDirectory(char16_t* out, UINT size) {
  char16_t buf[MAX_PATH] = {};
  UINT n = GetSystemDirectoryW(buf, MAX_PATH);
  if (out && size > 0) Text16::Copy(out, size, buf);
  return n;
}

UINT BaseAPI::_GetWindowsDirectory(char16_t* out, UINT size) { return GetWindowsDirectoryW(out, size); }

}  // namespace Basalt::Util

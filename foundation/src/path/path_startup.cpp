// The variables the library registers at start-up, in their fixed order, and the ones a
// host hands in.
#include <string>

#include <basalt/file_path.h>
#include <basalt/module.h>
#include <basalt/path_util.h>
#include <basalt/resource.h>
#include <win/fileapi.h>
#include <win/module.h>
#include <win/nls.h>
#include <win/registry.h>

#include "common/text16.h"
#include "module/own_instance.h"
#include "path/path_table.h"

namespace Basalt::Util {
namespace {

constexpr char16_t kShellFolders[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kSharedKey[] = u"Software\\Taloria\\Shared\\Common";

std::u16string WithoutTrailingSeparator(std::u16string path) {
  while (!path.empty() && (path.back() == u'\\' || path.back() == u'/') &&
         !(path.size() == 1 || path[path.size() - 2] == u':'))
    path.pop_back();
  return path;
}

// The folder (drive and directory) of a module's file; empty when it is unknown.
std::u16string ModuleFolder(HINSTANCE module) {
  char16_t file[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(module, file, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  FilePath path(file);
  char16_t folder[MAX_PATH];
  if (!path.CopyPartialPath(folder, MAX_PATH) || !folder[0]) return {};
  return WithoutTrailingSeparator(folder);
}

// A string value of at most 520 bytes, with a trailing backslash; empty when missing.
std::u16string RegistryFolder(HKEY root, const char16_t* key, const char16_t* value) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return {};
  char16_t data[261] = {};
  DWORD type = 0;
  DWORD size = 520;
  LONG rc = RegQueryValueExW(handle, value, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(handle);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  data[size / 2 < 260 ? size / 2 : 260] = 0;
  std::u16string folder(Text16::View16(data));
  if (folder.empty()) return {};
  if (folder.back() != u'\\') folder += u'\\';
  return folder;
}

std::u16string LanguageAbbreviation() {
  char16_t text[8] = {};
  if (GetLocaleInfoW(Resource::_GetUserLCID(), LOCALE_SABBREVLANGNAME, text, 4) > 0) {
    text[3] = 0;
    return text;
  }
  Base::Module::_GetResourceExt(0xFFFF, text);
  return text;
}

// Whether temporary files can be made in the library's folder: a local fixed drive that
// lets us create (and at once delete) a file there.
bool FolderUsable(const std::u16string& folder) {
  if (folder.empty() || PathUtil::_IsUNCPath(folder.c_str())) return false;
  if (folder.size() < 2 || folder[1] != u':') return false;
  std::u16string root = folder.substr(0, 2) + u"\\";
  if (GetDriveTypeW(root.c_str()) != DRIVE_FIXED) return false;
  char16_t probe[MAX_PATH];
  if (GetTempFileNameW(folder.c_str(), u"tmp", 0, probe) == 0) return false;
  DeleteFileW(probe);
  return true;
}

bool IsFile(const std::u16string& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int Register(const char16_t* name, const std::u16string& path) {
  return PathUtil::_RegisterPath(name, WithoutTrailingSeparator(path).c_str());
}

}  // namespace

void PathUtil::_InitPath() {
  if (detail::PathTableExists()) return;
  const std::u16string fallback = u"C:\\Program Files\\Taloria1\\";

  std::u16string app = ModuleFolder(nullptr);
  Register(u"App", app.empty() ? fallback : app);
  std::u16string library = ModuleFolder(Base::detail::OwnInstance());
  if (library.empty()) library = WithoutTrailingSeparator(fallback);
  Register(u"Taloria1", library);
  const bool usable = FolderUsable(library);

  std::u16string temp = RegistryFolder(HKEY_CURRENT_USER, kShellFolders, u"Local AppData");
  temp = temp.empty() ? (usable ? library : u"") + u"\\Temp\\" : temp + u"Taloria\\Temp";
  Register(u"Temp", temp);
  temp = WithoutTrailingSeparator(temp);

  std::u16string programInfo = RegistryFolder(HKEY_CURRENT_USER, kShellFolders, u"AppData");
  programInfo = programInfo.empty() ? (usable ? library : temp) + u"\\AppData\\" : programInfo + u"Taloria\\Taloria1";
  Register(u"ProgramInfo", programInfo);
  programInfo = WithoutTrailingSeparator(programInfo);

  Register(u"Languages", library + u"\\Languages");
  const std::u16string language = LanguageAbbreviation();
  Register(u"UserData", programInfo + u"\\" + language);

  std::u16string contents = RegistryFolder(HKEY_LOCAL_MACHINE, kSharedKey, u"SharedData Path");
  if (contents.empty() || !IsFile(contents + u"Fonts\\FontInfo.dat")) contents = library + u"\\Contents\\" + language;
  Register(u"Contents", contents);

  std::u16string allUsers = RegistryFolder(HKEY_LOCAL_MACHINE, kShellFolders, u"Common AppData");
  allUsers = allUsers.empty() ? (usable ? library : temp) + u"\\SysData\\" : allUsers + u"Taloria\\Taloria1";
  Register(u"AllUserData", allUsers);
}

int PathUtil::_InitPathIndirect(InitPathStruct* items, int count) {
  if (!items || count < 1) return count;
  int result = 0;
  for (int i = 0; i < count; ++i) {
    std::u16string path = WithoutTrailingSeparator(std::u16string(Text16::View16(items[i].path)));
    switch (items[i].kind) {
      case 0:
        result = _RegisterPath(u"App", path.c_str());
        break;
      case 1:
        result = _RegisterPath(u"Temp", path.c_str());
        break;
      case 2:
        _RegisterPath(u"ProgramInfo", path.c_str());
        result = _RegisterPath(u"UserData", path.c_str());
        break;
      case 3:
        result = _RegisterPath(u"Contents", path.c_str());
        break;
      case 4:
        result = _RegisterPath(u"Present", path.c_str());
        break;
      default:
        result = items[i].kind;
        break;
    }
  }
  return result;
}

int PathUtil::_RegisterModulePath(const char16_t* name, HINSTANCE module) {
  if (!name) return 0;
  std::u16string folder = ModuleFolder(module);
  if (folder.empty()) return 0;
  return _RegisterPath(name, folder.c_str());
}

}  // namespace Basalt::Util

// Special folders from the environment and the XDG base and user folders.
#include "kx2/ErrorBoundary.h"
#include "shell/ShellFolders.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "kx2/Win32Error.h"
#include "win/fileapi.h"
#include "win/kernel.h"
#include "win/shell.h"

namespace kx2::shell {
namespace {

std::string Env(const char* name) {
  const char* v = getenv(name);
  return v ? std::string(v) : std::string();
}

std::string Home() {
  std::string h = Env("HOME");
  return h.empty() ? std::string("/tmp") : h;
}

// An XDG variable counts only when it holds an absolute path.
std::string XdgBase(const char* var, const char* fallbackUnderHome) {
  std::string v = Env(var);
  if (!v.empty() && v[0] == '/') return v;
  return Home() + "/" + fallbackUnderHome;
}

// A user folder (XDG_DOCUMENTS_DIR ...) from the environment, else from user-dirs.dirs,
// else the usual folder under $HOME.
std::string XdgUserDir(const char* var, const char* fallbackUnderHome) {
  std::string v = Env(var);
  if (!v.empty() && v[0] == '/') return v;
  std::ifstream in(XdgBase("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs");
  std::string line, prefix = std::string(var) + "=\"";
  while (std::getline(in, line)) {
    if (line.compare(0, prefix.size(), prefix) != 0 || line.size() < prefix.size() + 1 || line.back() != '"') continue;
    std::string value = line.substr(prefix.size(), line.size() - prefix.size() - 1);
    if (value.compare(0, 5, "$HOME") == 0) value = Home() + value.substr(5);
    if (!value.empty() && value[0] == '/') return value;
  }
  return Home() + "/" + fallbackUnderHome;
}

std::string Override(const char* var, std::string fallback) {
  std::string v = Env(var);
  return !v.empty() && v[0] == '/' ? v : fallback;
}

std::string LocalAppData() { return Override("KX2_LOCAL_APPDATA", XdgBase("XDG_DATA_HOME", ".local/share")); }
std::string CommonAppData() { return Override("KX2_COMMON_APPDATA", LocalAppData() + "/kx2/ProgramData"); }
std::string ProgramFiles() { return Override("KX2_PROGRAM_FILES", LocalAppData() + "/kx2/Program Files"); }
// The Windows and system folders are the file layer's (GetWindowsDirectoryW ...).
std::string FromWindowsFolder(UINT (*get)(LPWSTR, UINT)) {
  char16_t buf[MAX_PATH];
  UINT n = get(buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return LocalAppData();
  auto posix = ToPosixPath(std::u16string_view(buf, n));
  return posix ? *posix : LocalAppData();
}

bool MakeFolders(const std::string& path, int* err) {
  size_t pos = 0;
  while (pos != std::string::npos) {
    pos = path.find('/', pos + 1);
    std::string at = path.substr(0, pos);
    if (at.empty()) continue;
    if (mkdir(at.c_str(), 0755) != 0 && errno != EEXIST) {
      *err = errno;
      return false;
    }
  }
  return true;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::optional<std::string> FolderPath(int csidl) {
  switch (csidl) {
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY:
      return Override("KX2_DESKTOP", XdgUserDir("XDG_DESKTOP_DIR", "Desktop"));
    case CSIDL_PERSONAL:
      return Override("KX2_PERSONAL", XdgUserDir("XDG_DOCUMENTS_DIR", "Documents"));
    case CSIDL_MYMUSIC:
      return XdgUserDir("XDG_MUSIC_DIR", "Music");
    case CSIDL_MYVIDEO:
      return XdgUserDir("XDG_VIDEOS_DIR", "Videos");
    case CSIDL_MYPICTURES:
      return XdgUserDir("XDG_PICTURES_DIR", "Pictures");
    case CSIDL_TEMPLATES:
      return XdgUserDir("XDG_TEMPLATES_DIR", "Templates");
    case CSIDL_FONTS:
      return Override("KX2_FONTS", "/usr/share/fonts");
    case CSIDL_APPDATA:
      return Override("KX2_APPDATA", XdgBase("XDG_CONFIG_HOME", ".config"));
    case CSIDL_LOCAL_APPDATA:
      return LocalAppData();
    case CSIDL_INTERNET_CACHE:
      return XdgBase("XDG_CACHE_HOME", ".cache");
    case CSIDL_COMMON_APPDATA:
      return CommonAppData();
    case CSIDL_COMMON_DOCUMENTS:
      return Override("KX2_COMMON_DOCUMENTS", CommonAppData() + "/Documents");
    case CSIDL_WINDOWS:
      return FromWindowsFolder(&GetWindowsDirectoryW);
    case CSIDL_SYSTEM:
    case CSIDL_SYSTEMX86:
      return FromWindowsFolder(&GetSystemDirectoryW);
    case CSIDL_PROGRAM_FILES:
    case CSIDL_PROGRAM_FILESX86:
      return ProgramFiles();
    case CSIDL_PROGRAM_FILES_COMMON:
    case CSIDL_PROGRAM_FILES_COMMONX86:
      return ProgramFiles() + "/Common Files";
    case CSIDL_PROFILE:
      return Home();
    default:
      return std::nullopt;
  }
}

std::vector<FolderValue> ShellFolderValues(bool machine) {
  struct Entry {
    const char16_t* name;
    int csidl;
  };
  static const Entry kUser[] = {
      {u"AppData", CSIDL_APPDATA},
      {u"Local AppData", CSIDL_LOCAL_APPDATA},
      {u"Personal", CSIDL_PERSONAL},
      {u"Desktop", CSIDL_DESKTOPDIRECTORY},
      {u"Fonts", CSIDL_FONTS},
      {u"Templates", CSIDL_TEMPLATES},
      {u"My Pictures", CSIDL_MYPICTURES},
      {u"Cache", CSIDL_INTERNET_CACHE},
  };
  static const Entry kMachine[] = {
      {u"Common AppData", CSIDL_COMMON_APPDATA},
      {u"Common Documents", CSIDL_COMMON_DOCUMENTS},
  };
  std::vector<FolderValue> out;
  auto add = [&](const Entry& e) { out.push_back({e.name, ToWindowsPath(*FolderPath(e.csidl))}); };
  if (machine)
    for (auto& e : kMachine) add(e);
  else
    for (auto& e : kUser) add(e);
  return out;
}

}  // namespace kx2::shell

KX2_EXPORT HRESULT SHGetFolderPathW(HWND, int csidl, HANDLE, DWORD, LPWSTR pszPath) {
  try {
    if (!pszPath) return E_INVALIDARG;
    pszPath[0] = 0;
    auto folder = kx2::shell::FolderPath(csidl & ~CSIDL_FLAG_MASK);
    if (!folder) return E_INVALIDARG;
    if (!kx2::shell::IsFolder(*folder)) {
      if (csidl & CSIDL_FLAG_CREATE) {
        int err = 0;
        if (!kx2::shell::MakeFolders(*folder, &err)) return HRESULT_FROM_WIN32(kx2::Win32ErrorFromErrno(err));
      } else if (!(csidl & CSIDL_FLAG_DONT_VERIFY)) {
        return E_FAIL;
      }
    }
    std::u16string path = kx2::ToWindowsPath(*folder);
    if (!kx2::CopyTo16(pszPath, MAX_PATH, path)) {
      pszPath[0] = 0;
      return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    return S_OK;
  } catch (...) {
    return kx2::RecordCurrentComException();
  }
}

KX2_EXPORT BOOL SHGetSpecialFolderPathW(HWND hwnd, LPWSTR lpszPath, int csidl, BOOL fCreate) {
  HRESULT hr = SHGetFolderPathW(hwnd, (csidl & ~CSIDL_FLAG_MASK) | (fCreate ? CSIDL_FLAG_CREATE : 0), nullptr,
                                SHGFP_TYPE_CURRENT, lpszPath);
  if (SUCCEEDED(hr)) return TRUE;
  SetLastError(hr == E_FAIL ? ERROR_FILE_NOT_FOUND : (hr == E_INVALIDARG ? ERROR_INVALID_PARAMETER : hr & 0xFFFF));
  return FALSE;
}

// File copies, temporary image names, drives and shell calls.
#include <sys/stat.h>

#include <string>
#include <vector>

#include <basalt/base_api.h>
#include <basalt/error.h>
#include <basalt/path_util.h>
#include <basalt/shell_util.h>
#include <win/crt.h>
#include <win/fileapi.h>
#include <win/kernel.h>
#include <win/module.h>
#include <kx2/Module.h>

#include "common/text16.h"

namespace Basalt::Util {
namespace {

using Error::BaseError;

// The drive of a path with its backslash ("C:\"); empty when the path names none.
std::u16string DriveRoot(const char16_t* path) {
  std::u16string_view p = Text16::View16(path);
  if (p.size() < 2 || p[1] != u':') return {};
  return std::u16string(p.substr(0, 2)) + u"\\";
}

// The process-wide buffer of _LowCopyFile.
char g_lowCopyBuffer[0x3000];

// The counter of temporary image names.
UINT g_imageCounter = 1000;

}  // namespace

int ShellUtil::_CopyFile(const char16_t* target, const char16_t* source) {
  HANDLE in =
      CreateFileW(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) {
    BaseError::_SetWinError();
    return 0;
  }
  HANDLE out =
      CreateFileW(target, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    BaseError::_SetWinError();
    CloseHandle(in);
    return 0;
  }
  DWORD remaining = GetFileSize(in, nullptr);
  std::vector<uint8_t> chunk(0x10000);
  bool complete = remaining != INVALID_FILE_SIZE;
  while (complete && remaining > 0) {
    DWORD want = remaining < chunk.size() ? remaining : static_cast<DWORD>(chunk.size());
    DWORD got = 0, put = 0;
    // A chunk that moves nothing, or less than it read, means the copy came up short.
    if (!ReadFile(in, chunk.data(), want, &got, nullptr) || got == 0 ||
        !WriteFile(out, chunk.data(), got, &put, nullptr) || put != got) {
      complete = false;
      break;
    }
    remaining -= got;
  }
  if (!complete) {
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_HANDLE_EOF);
    BaseError::_SetWinError();
  }
  CloseHandle(in);
  CloseHandle(out);
  return complete ? 1 : 0;
}

int ShellUtil::_LowCopyFile(const char16_t* target, const char16_t* source) {
  _wchmod(target, _S_IREAD | _S_IWRITE);
  int in = _wopen(source, _O_BINARY | _O_RDONLY);
  if (in < 0) return 0;
  int permission = _waccess(source, 6) == 0 ? (_S_IREAD | _S_IWRITE) : _S_IREAD;
  int out = _wopen(target, _O_BINARY | _O_WRONLY | _O_CREAT | _O_TRUNC, permission);
  if (out < 0) {
    _close(in);
    return 0;
  }
  int ok = 1;
  for (;;) {
    int got = _read(in, g_lowCopyBuffer, sizeof(g_lowCopyBuffer));
    if (got < 0 || (got > 0 && _write(out, g_lowCopyBuffer, static_cast<unsigned>(got)) != got)) {
      ok = 0;
      break;
    }
    if (got < static_cast<int>(sizeof(g_lowCopyBuffer))) break;
  }
  _close(in);
  _close(out);
  return ok;
}

int ShellUtil::_PathMakeImageTemp(const char16_t* source, char16_t* out) {
  if (!out) return 0;
  char16_t folder[MAX_PATH];
  PathUtil::_PathToAbsolute(u"${Temp}\\", folder);
  if (!folder[0] || Text16::StrLen16(folder) > MAX_PATH - 14) return 0;
  std::u16string_view src = Text16::View16(source);
  size_t dot = src.rfind(u'.');
  std::u16string_view ext = dot == std::u16string_view::npos ? std::u16string_view() : src.substr(dot);
  for (;;) {
    UINT value = g_imageCounter++;
    if (value == 0) PathUtil::_CreateFullPath(folder);
    if (GetTempFileNameW(folder, u"IMG", value, out) == 0) return 0;
    std::u16string name(Text16::View16(out));
    size_t nameDot = name.rfind(u'.');
    size_t nameStart = name.find_last_of(u"\\/:");
    if (nameDot != std::u16string::npos && (nameStart == std::u16string::npos || nameDot > nameStart))
      name.resize(nameDot);
    name += ext;
    if (name.size() >= MAX_PATH) return 0;
    Text16::Copy(out, MAX_PATH, name);
    if (!_FileExist(out)) break;
  }
  return PathUtil::_PathCreate(out);
}

int ShellUtil::_CheckRemovableDrive(const char16_t* path) {
  if (!path || !*path) return 0;
  std::u16string root = DriveRoot(path);
  return !root.empty() && GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE ? 1 : 0;
}

DWORD ShellUtil::_GetVolumeSerialNumber(const char16_t* path) {
  if (!path || !*path) return 0;
  std::u16string root = DriveRoot(path);
  DWORD serial = 0;
  if (root.empty() || !GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return 0;
  return serial;
}

int ShellUtil::_FileExist(const char16_t* name) {
  if (!name) return 0;
  struct _stat64i32 st;
  return _wstat64i32(name, &st) == 0 && !(st.st_mode & _S_IFDIR) ? 1 : 0;
}

int ShellUtil::_SHAddToRecentDocs(const char16_t* path) {
  using Func = void (*)(UINT, LPCVOID);
  constexpr UINT kShardPathW = 3;
  // Found by name, as the shell may not offer a recent-documents list at all.
  static Func func = [] {
    HINSTANCE shell = BaseAPI::_LoadLibrary(u"shell32.dll", nullptr);
    return shell ? kx2::ProcAs<Func>(GetProcAddress(shell, "SHAddToRecentDocs")) : nullptr;
  }();
  if (func) func(kShardPathW, path);
  return 1;
}

int ShellUtil::_SHGetSpecialFolderPath(HWND owner, char16_t* out, int csidl, int create) {
  using Func = BOOL (*)(HWND, LPWSTR, int, BOOL);
  static Func func = [] {
    HINSTANCE shell = BaseAPI::_LoadLibrary(u"shell32.dll", nullptr);
    return shell ? kx2::ProcAs<Func>(GetProcAddress(shell, "SHGetSpecialFolderPathW")) : nullptr;
  }();
  return func ? func(owner, out, csidl, create) : 0;
}

}  // namespace Basalt::Util

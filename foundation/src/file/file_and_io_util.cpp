// The Win32 file wrappers. Most pass their arguments straight on; opening by mode,
// reading and writing counts, seeking and sizing decide something of their own.
#include <basalt/base_api.h>
#include <basalt/file_io.h>
#include <kx2/Utf.h>
#include <win/module.h>
#include <kx2/Module.h>

namespace Basalt::Util {
namespace {

FilePointer FromHandle(HANDLE handle) {
  FilePointer file;
  file.handle = handle;
  return file;
}

}  // namespace

FilePointer FileAndIOUtil::_OpenFile(const char16_t* name, int mode) {
  DWORD access = 0, share = 0, disposition = 0, flags = 0;
  switch (mode) {
    case 0:
      access = GENERIC_READ, share = FILE_SHARE_READ, disposition = OPEN_EXISTING, flags = FILE_ATTRIBUTE_NORMAL;
      break;
    case 1:
      access = GENERIC_WRITE, disposition = OPEN_EXISTING;
      break;
    case 2:
      access = GENERIC_READ | GENERIC_WRITE, disposition = OPEN_EXISTING;
      break;
    case 3:
      access = GENERIC_WRITE, disposition = CREATE_ALWAYS;
      break;
    case 5:
      access = GENERIC_READ, share = FILE_SHARE_READ, disposition = OPEN_EXISTING, flags = 0x81;
      break;
    default:
      break;  // no access and disposition 0: the system refuses it
  }
  return FromHandle(CreateFileW(name, access, share, nullptr, disposition, flags, nullptr));
}

FilePointer FileAndIOUtil::_CreateFile(const char16_t* name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                                       DWORD disposition, DWORD flags, HANDLE templateFile) {
  return FromHandle(CreateFileW(name, access, share, security, disposition, flags, templateFile));
}

BOOL FileAndIOUtil::_CloseFile(const FilePointer& file) { return CloseHandle(file.handle); }

int FileAndIOUtil::_ReadFile(const FilePointer& file, void* buffer, DWORD size, DWORD* done) {
  DWORD n = 0;
  BOOL ok = ReadFile(file.handle, buffer, size, &n, nullptr);
  if (done) *done = ok ? n : 0;
  return ok;
}

int FileAndIOUtil::_WriteFile(const FilePointer& file, const void* buffer, DWORD size, DWORD* done) {
  DWORD n = 0;
  BOOL ok = WriteFile(file.handle, buffer, size, &n, nullptr);
  if (done) *done = ok ? n : 0;
  return ok;
}

LONG FileAndIOUtil::_SeekFile(const FilePointer& file, LONG distance, int origin) {
  DWORD method = origin == 1 ? FILE_CURRENT : origin == 2 ? FILE_END : FILE_BEGIN;
  return static_cast<LONG>(SetFilePointer(file.handle, distance, nullptr, method));
}

LONG FileAndIOUtil::_GetFileLength(const FilePointer& file) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.handle, &size)) return 0;
  return static_cast<LONG>(size.LowPart);
}

int FileAndIOUtil::_SetEndOfFile(const FilePointer& file, LONG) { return SetEndOfFile(file.handle); }

DWORD FileAndIOUtil::_GetLongPathName(const char16_t* path, char16_t* out, DWORD size) {
  using LongPathFunc = DWORD (*)(LPCWSTR, LPWSTR, DWORD);
  // Looked up once by name, as on systems that may lack it.
  static LongPathFunc longPath = [] {
    HINSTANCE kernel = BaseAPI::_LoadLibrary(u"kernel32.dll", nullptr);
    return kernel ? kx2::ProcAs<LongPathFunc>(GetProcAddress(kernel, "GetLongPathNameW")) : nullptr;
  }();
  if (longPath) return longPath(path, out, size);
  size_t len = kx2::StrLen16(path);
  if (out && len < size) {
    for (size_t i = 0; i <= len; ++i) out[i] = path[i];
  }
  return static_cast<DWORD>(len);
}

int FileAndIOUtil::_GetCurrentDirectory(int size, char16_t* out) {
  return GetCurrentDirectoryW(static_cast<DWORD>(size), out) != 0 ? 1 : 0;
}

BOOL FileAndIOUtil::_CreateDirectory(const char16_t* path, SECURITY_ATTRIBUTES* security) {
  return CreateDirectoryW(path, security);
}
BOOL FileAndIOUtil::_CreateDirectoryEx(const char16_t* templateDirectory, const char16_t* path,
                                       SECURITY_ATTRIBUTES* security) {
  return CreateDirectoryExW(templateDirectory, path, security);
}
BOOL FileAndIOUtil::_DeleteFile(const char16_t* path) { return DeleteFileW(path); }
BOOL FileAndIOUtil::_MoveFile(const char16_t* from, const char16_t* to) { return MoveFileW(from, to); }
BOOL FileAndIOUtil::_RemoveDirectory(const char16_t* path) { return RemoveDirectoryW(path); }
BOOL FileAndIOUtil::_SetCurrentDirectory(const char16_t* path) { return SetCurrentDirectoryW(path); }
HANDLE FileAndIOUtil::_FindFirstFile(const char16_t* pattern, WIN32_FIND_DATAW* data) {
  return FindFirstFileW(pattern, data);
}
BOOL FileAndIOUtil::_FindNextFile(HANDLE find, WIN32_FIND_DATAW* data) { return FindNextFileW(find, data); }
BOOL FileAndIOUtil::_GetDiskFreeSpace(const char16_t* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                                      DWORD* freeClusters, DWORD* totalClusters) {
  return GetDiskFreeSpaceW(root, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
}
BOOL FileAndIOUtil::_GetDiskFreeSpaceEx(const char16_t* folder, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                                        ULARGE_INTEGER* totalFree) {
  return GetDiskFreeSpaceExW(folder, freeToCaller, total, totalFree);
}
UINT FileAndIOUtil::_GetDriveType(const char16_t* root) { return GetDriveTypeW(root); }
DWORD FileAndIOUtil::_GetFileAttributes(const char16_t* path) { return GetFileAttributesW(path); }
BOOL FileAndIOUtil::_GetFileAttributesEx(const char16_t* path, GET_FILEEX_INFO_LEVELS level, void* info) {
  return GetFileAttributesExW(path, level, info);
}
BOOL FileAndIOUtil::_SetFileAttributes(const char16_t* path, DWORD attributes) {
  return SetFileAttributesW(path, attributes);
}
DWORD FileAndIOUtil::_GetShortPathName(const char16_t* path, char16_t* out, DWORD size) {
  return GetShortPathNameW(path, out, size);
}
UINT FileAndIOUtil::_GetTempFileName(const char16_t* folder, const char16_t* prefix, UINT unique, char16_t* out) {
  return GetTempFileNameW(folder, prefix, unique, out);
}
DWORD FileAndIOUtil::_GetTempPath(DWORD size, char16_t* out) { return GetTempPathW(size, out); }
BOOL FileAndIOUtil::_LockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow, DWORD bytesHigh) {
  return LockFile(file, offsetLow, offsetHigh, bytesLow, bytesHigh);
}

}  // namespace Basalt::Util

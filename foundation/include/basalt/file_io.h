// One place through which every module opens, reads, writes and searches files: over the
// Win32 file functions (FileAndIOUtil), C-runtime streams (StreamIOUtil) and C-runtime
// directory searches and paths (FileIOUtil). None of them sets the thread's error record;
// callers that need one call _SetWinError or _SetCrtError.
#pragma once

#include <cstdio>
#include <string>  // before the wide runtime, whose overloads std::stoi and friends must not see

#include <basalt/export.h>
#include <win/crt.h>
#include <win/fileapi.h>

namespace Basalt::Util {

// A Win32 file handle or a C stream, as the opening function gave it.
union FilePointer {
  HANDLE handle;
  FILE* stream;
};

class BASALT_API FileAndIOUtil {
 public:
  // Modes: 0 read (shared for reading), 1 write, 2 read and write, 3 create or truncate for
  // writing, 5 as 0 with attributes 0x81; any other mode is refused by the system.
  static FilePointer _OpenFile(const char16_t* name, int mode);
  static FilePointer _CreateFile(const char16_t* name, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                                 DWORD disposition, DWORD flags, HANDLE templateFile);
  static BOOL _CloseFile(const FilePointer& file);
  static int _ReadFile(const FilePointer& file, void* buffer, DWORD size, DWORD* done);
  static int _WriteFile(const FilePointer& file, const void* buffer, DWORD size, DWORD* done);
  // origin 1 current, 2 end, anything else the beginning; the new position.
  static LONG _SeekFile(const FilePointer& file, LONG distance, int origin);
  static LONG _GetFileLength(const FilePointer& file);
  // At the current file pointer; position is not used (callers seek first).
  static int _SetEndOfFile(const FilePointer& file, LONG position);
  static DWORD _GetLongPathName(const char16_t* path, char16_t* out, DWORD size);
  static int _GetCurrentDirectory(int size, char16_t* out);

  static BOOL _CreateDirectory(const char16_t* path, SECURITY_ATTRIBUTES* security);
  static BOOL _CreateDirectoryEx(const char16_t* templateDirectory, const char16_t* path,
                                 SECURITY_ATTRIBUTES* security);
  static BOOL _DeleteFile(const char16_t* path);
  static BOOL _MoveFile(const char16_t* from, const char16_t* to);
  static BOOL _RemoveDirectory(const char16_t* path);
  static BOOL _SetCurrentDirectory(const char16_t* path);
  static HANDLE _FindFirstFile(const char16_t* pattern, WIN32_FIND_DATAW* data);
  static BOOL _FindNextFile(HANDLE find, WIN32_FIND_DATAW* data);
  static BOOL _GetDiskFreeSpace(const char16_t* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                                DWORD* freeClusters, DWORD* totalClusters);
  static BOOL _GetDiskFreeSpaceEx(const char16_t* folder, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                                  ULARGE_INTEGER* totalFree);
  static UINT _GetDriveType(const char16_t* root);
  static DWORD _GetFileAttributes(const char16_t* path);
  static BOOL _GetFileAttributesEx(const char16_t* path, GET_FILEEX_INFO_LEVELS level, void* info);
  static BOOL _SetFileAttributes(const char16_t* path, DWORD attributes);
  static DWORD _GetShortPathName(const char16_t* path, char16_t* out, DWORD size);
  static UINT _GetTempFileName(const char16_t* folder, const char16_t* prefix, UINT unique, char16_t* out);
  static DWORD _GetTempPath(DWORD size, char16_t* out);
  static BOOL _LockFile(HANDLE file, DWORD offsetLow, DWORD offsetHigh, DWORD bytesLow, DWORD bytesHigh);
  static BOOL _GetBinaryType(const char16_t* path, DWORD* type);
};

class BASALT_API StreamIOUtil {
 public:
  // Null when name or mode is null.
  static FILE* _FileOpen(const char16_t* name, const char16_t* mode);
  static FILE* _FileReopen(const char16_t* name, const char16_t* mode, FILE* stream);
  static FILE* _FileStreamOpen(const char16_t* name, const char16_t* mode, int shareFlag);
};

class BASALT_API FileIOUtil {
 public:
  static intptr_t _FindFirst(const char16_t* pattern, _wfinddata64i32_t* data);
  static int _FindNext(intptr_t handle, _wfinddata64i32_t* data);
  // Returns out in every case.
  static char16_t* _FullPath(char16_t* out, const char16_t* path, unsigned int size);
  static char16_t* _GetCwd(char16_t* out, int size);
};

}  // namespace Basalt::Util

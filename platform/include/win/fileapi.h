// Files, folders, searches, temporary names, drives and volumes.
//
// Paths are Windows paths; the platform maps them to the POSIX file system at this
// boundary (kx2/PathMap.h): drive letters come from KX2_DRIVES, names are matched
// without regard to case. Share modes and byte-range locks are enforced between the
// handles of this process (and locks are also published to other processes as
// open-file-description locks). A file whose owner may not write it is read-only here
// even for a superuser, as the read-only attribute is on Windows.
#pragma once

#include "win/kernel.h"
#include "win/types.h"

#define GENERIC_READ 0x80000000
#define GENERIC_WRITE 0x40000000
#define GENERIC_EXECUTE 0x20000000
#define GENERIC_ALL 0x10000000
#define DELETE 0x00010000
#define READ_CONTROL 0x00020000
#define FILE_READ_DATA 0x0001
#define FILE_WRITE_DATA 0x0002
#define FILE_APPEND_DATA 0x0004
#define FILE_READ_EA 0x0008
#define FILE_WRITE_EA 0x0010
#define FILE_EXECUTE 0x0020
#define FILE_READ_ATTRIBUTES 0x0080
#define FILE_WRITE_ATTRIBUTES 0x0100
#define FILE_GENERIC_READ 0x00120089
#define FILE_GENERIC_WRITE 0x00120116
#define FILE_ALL_ACCESS 0x001F01FF

#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_DEVICE 0x00000040
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100
#define FILE_ATTRIBUTE_REPARSE_POINT 0x00000400
#define FILE_ATTRIBUTE_COMPRESSED 0x00000800
#define FILE_ATTRIBUTE_OFFLINE 0x00001000
#define FILE_ATTRIBUTE_NOT_CONTENT_INDEXED 0x00002000
#define INVALID_FILE_ATTRIBUTES static_cast<DWORD>(0xFFFFFFFF)

#define FILE_FLAG_WRITE_THROUGH 0x80000000
#define FILE_FLAG_OVERLAPPED 0x40000000
#define FILE_FLAG_NO_BUFFERING 0x20000000
#define FILE_FLAG_RANDOM_ACCESS 0x10000000
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
#define FILE_FLAG_POSIX_SEMANTICS 0x01000000

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER static_cast<DWORD>(0xFFFFFFFF)
#define INVALID_FILE_SIZE static_cast<DWORD>(0xFFFFFFFF)

#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_COPY_ALLOWED 0x00000002
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004
#define MOVEFILE_WRITE_THROUGH 0x00000008

#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

#define FILE_CASE_SENSITIVE_SEARCH 0x00000001
#define FILE_CASE_PRESERVED_NAMES 0x00000002
#define FILE_UNICODE_ON_DISK 0x00000004
#define FILE_PERSISTENT_ACLS 0x00000008

#define FILE_TYPE_UNKNOWN 0x0000
#define FILE_TYPE_DISK 0x0001
#define FILE_TYPE_CHAR 0x0002
#define FILE_TYPE_PIPE 0x0003

#define STD_INPUT_HANDLE static_cast<DWORD>(-10)
#define STD_OUTPUT_HANDLE static_cast<DWORD>(-11)
#define STD_ERROR_HANDLE static_cast<DWORD>(-12)

struct OVERLAPPED {
  ULONG_PTR Internal;
  ULONG_PTR InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};
typedef OVERLAPPED* LPOVERLAPPED;

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAW* LPWIN32_FIND_DATAW;
typedef WIN32_FIND_DATAW* PWIN32_FIND_DATAW;

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard, GetFileExMaxInfoLevel };
struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};
typedef WIN32_FILE_ATTRIBUTE_DATA* LPWIN32_FILE_ATTRIBUTE_DATA;

struct BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
};
typedef BY_HANDLE_FILE_INFORMATION* LPBY_HANDLE_FILE_INFORMATION;

// ---- Handles on files --------------------------------------------------------------
KX2_EXPORT HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                              LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                              DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
// Overlapped I/O is not offered: an OVERLAPPED argument only supplies the file offset.
KX2_EXPORT BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                         LPOVERLAPPED lpOverlapped);
KX2_EXPORT BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                          LPOVERLAPPED lpOverlapped);
KX2_EXPORT DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod);
KX2_EXPORT BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer,
                                 DWORD dwMoveMethod);
KX2_EXPORT DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
KX2_EXPORT BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize);
KX2_EXPORT BOOL SetEndOfFile(HANDLE hFile);
KX2_EXPORT BOOL FlushFileBuffers(HANDLE hFile);
// Byte-range locks are exclusive and not re-entrant: locking a range that overlaps one
// already locked, through any handle, fails with ERROR_LOCK_VIOLATION; unlocking needs
// the exact range. Reads and writes through other handles of this process into a locked
// range fail with ERROR_LOCK_VIOLATION.
KX2_EXPORT BOOL LockFile(HANDLE hFile, DWORD dwFileOffsetLow, DWORD dwFileOffsetHigh, DWORD nNumberOfBytesToLockLow,
                         DWORD nNumberOfBytesToLockHigh);
KX2_EXPORT BOOL UnlockFile(HANDLE hFile, DWORD dwFileOffsetLow, DWORD dwFileOffsetHigh, DWORD nNumberOfBytesToUnlockLow,
                           DWORD nNumberOfBytesToUnlockHigh);
// The same locks; without LOCKFILE_FAIL_IMMEDIATELY the call waits until the range is free
// (a holder in another process frees it by unlocking, closing or dying). The range starts
// at the OVERLAPPED's offset. Shared locks exclude each other as LockFile's do.
#define LOCKFILE_FAIL_IMMEDIATELY 0x00000001
#define LOCKFILE_EXCLUSIVE_LOCK 0x00000002
KX2_EXPORT BOOL LockFileEx(HANDLE hFile, DWORD dwFlags, DWORD dwReserved, DWORD nNumberOfBytesToLockLow,
                           DWORD nNumberOfBytesToLockHigh, LPOVERLAPPED lpOverlapped);
KX2_EXPORT BOOL UnlockFileEx(HANDLE hFile, DWORD dwReserved, DWORD nNumberOfBytesToUnlockLow,
                             DWORD nNumberOfBytesToUnlockHigh, LPOVERLAPPED lpOverlapped);
KX2_EXPORT BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                            LPFILETIME lpLastWriteTime);
KX2_EXPORT BOOL SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                            const FILETIME* lpLastWriteTime);
KX2_EXPORT BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpFileInformation);
KX2_EXPORT DWORD GetFileType(HANDLE hFile);
KX2_EXPORT HANDLE GetStdHandle(DWORD nStdHandle);

// ---- Files and folders by name -----------------------------------------------------
KX2_EXPORT BOOL DeleteFileW(LPCWSTR lpFileName);
// Never replaces an existing target (ERROR_ALREADY_EXISTS); moves folders too.
KX2_EXPORT BOOL MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName);
KX2_EXPORT BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);
KX2_EXPORT BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists);
KX2_EXPORT BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
KX2_EXPORT BOOL CreateDirectoryExW(LPCWSTR lpTemplateDirectory, LPCWSTR lpNewDirectory,
                                   LPSECURITY_ATTRIBUTES lpSecurityAttributes);
KX2_EXPORT BOOL RemoveDirectoryW(LPCWSTR lpPathName);
KX2_EXPORT DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer);
KX2_EXPORT BOOL SetCurrentDirectoryW(LPCWSTR lpPathName);
// READONLY comes from the owner's write permission, DIRECTORY from the file type, HIDDEN
// from a leading dot; files also carry ARCHIVE. Setting READONLY changes the permission.
KX2_EXPORT DWORD GetFileAttributesW(LPCWSTR lpFileName);
KX2_EXPORT BOOL GetFileAttributesExW(LPCWSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId, LPVOID lpFileInformation);
KX2_EXPORT BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes);

// ---- Searches ----------------------------------------------------------------------
// "*" and "?" match without regard to case; "*.*" matches every name. Entries come in
// case-insensitive name order, with "." and ".." first in folders other than a drive root.
KX2_EXPORT HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
KX2_EXPORT BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);
KX2_EXPORT BOOL FindClose(HANDLE hFindFile);

// ---- Path names --------------------------------------------------------------------
KX2_EXPORT DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart);
// There are no 8.3 names: both give an existing path back in its long form.
KX2_EXPORT DWORD GetLongPathNameW(LPCWSTR lpszShortPath, LPWSTR lpszLongPath, DWORD cchBuffer);
KX2_EXPORT DWORD GetShortPathNameW(LPCWSTR lpszLongPath, LPWSTR lpszShortPath, DWORD cchBuffer);
// TMP, then TEMP (Windows or POSIX paths), then TMPDIR, then /tmp; ends with "\".
KX2_EXPORT DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);
// "<path>\<prefix, at most 3 characters><hex number>.tmp", the number in upper-case hex
// without leading zeros (the low 16 bits of uUnique, or a free one when uUnique is 0, in
// which case the file is created empty). Returns the number used.
KX2_EXPORT UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName);
// The folder of the platform library (where "system" modules are looked for), in Windows form.
KX2_EXPORT UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize);
KX2_EXPORT UINT GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize);
KX2_EXPORT UINT GetSystemWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize);

// ---- Drives and volumes --------------------------------------------------------------
// A drive is DRIVE_FIXED when KX2_DRIVES maps it to an existing folder; KX2_DRIVE_TYPES
// ("E=removable;F=cdrom;G=remote;R=ramdisk") may say otherwise.
KX2_EXPORT UINT GetDriveTypeW(LPCWSTR lpRootPathName);
KX2_EXPORT DWORD GetLogicalDrives();
KX2_EXPORT BOOL GetDiskFreeSpaceW(LPCWSTR lpRootPathName, LPDWORD lpSectorsPerCluster, LPDWORD lpBytesPerSector,
                                  LPDWORD lpNumberOfFreeClusters, LPDWORD lpTotalNumberOfClusters);
KX2_EXPORT BOOL GetDiskFreeSpaceExW(LPCWSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                                    PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes);
// The serial number is derived from the drive's root folder, so it is stable for a mapping.
KX2_EXPORT BOOL GetVolumeInformationW(LPCWSTR lpRootPathName, LPWSTR lpVolumeNameBuffer, DWORD nVolumeNameSize,
                                      LPDWORD lpVolumeSerialNumber, LPDWORD lpMaximumComponentLength,
                                      LPDWORD lpFileSystemFlags, LPWSTR lpFileSystemNameBuffer,
                                      DWORD nFileSystemNameSize);

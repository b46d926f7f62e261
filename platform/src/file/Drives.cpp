// Drive types, free space and volume information for the mapped drives.
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdlib>
#include <cstring>

#include "FileObject.h"
#include "kx2/PathMap.h"
#include "kx2/Utf.h"

using namespace kx2;

namespace {

// The drive letter a root path names (null: the current drive), or 0.
char16_t DriveLetterOf(LPCWSTR root) {
  std::u16string path = root ? std::u16string(View16(root)) : CurrentDirectory();
  if (path.size() >= 2 && path[1] == u':') {
    char16_t c = path[0];
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return c >= u'A' && c <= u'Z' ? c : 0;
  }
  std::optional<std::u16string> full = FullWindowsPath(path);
  return full ? (*full)[0] : 0;
}

UINT ConfiguredType(char16_t letter) {
  const char* spec = getenv("KX2_DRIVE_TYPES");
  if (!spec) return DRIVE_FIXED;
  std::string s = spec;
  size_t pos = 0;
  while (pos < s.size()) {
    size_t end = s.find(';', pos);
    if (end == std::string::npos) end = s.size();
    std::string entry = s.substr(pos, end - pos);
    pos = end + 1;
    if (entry.size() < 3 || entry[1] != '=' || (entry[0] & ~0x20) != static_cast<char>(letter)) continue;
    std::string type = entry.substr(2);
    if (type == "removable") return DRIVE_REMOVABLE;
    if (type == "cdrom") return DRIVE_CDROM;
    if (type == "remote") return DRIVE_REMOTE;
    if (type == "ramdisk") return DRIVE_RAMDISK;
    if (type == "fixed") return DRIVE_FIXED;
  }
  return DRIVE_FIXED;
}

bool StatDrive(LPCWSTR path, struct statvfs* vfs) {
  DWORD error = 0;
  std::optional<std::string> posix;
  if (path && *path) {
    posix = ToPosixPath(View16(path), &error);
  } else {
    char16_t letter = DriveLetterOf(nullptr);
    posix = DriveRoot(letter);
    error = ERROR_PATH_NOT_FOUND;
  }
  if (!posix) {
    SetLastError(error);
    return false;
  }
  if (statvfs(posix->c_str(), vfs) != 0) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_DRIVE);
    return false;
  }
  return true;
}

uint32_t Fnv1a(std::string_view s) {
  uint32_t h = 2166136261u;
  for (unsigned char c : s) h = (h ^ c) * 16777619u;
  return h;
}

}  // namespace

KX2_EXPORT UINT GetDriveTypeW(LPCWSTR lpRootPathName) {
  char16_t letter = DriveLetterOf(lpRootPathName);
  std::optional<std::string> root = letter ? DriveRoot(letter) : std::nullopt;
  struct stat st;
  if (!root || stat(root->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return DRIVE_NO_ROOT_DIR;
  return ConfiguredType(letter);
}

KX2_EXPORT DWORD GetLogicalDrives() {
  DWORD mask = 0;
  for (char16_t c = u'A'; c <= u'Z'; ++c)
    if (DriveRoot(c)) mask |= 1u << (c - u'A');
  return mask;
}

KX2_EXPORT BOOL GetDiskFreeSpaceW(LPCWSTR lpRootPathName, LPDWORD lpSectorsPerCluster, LPDWORD lpBytesPerSector,
                                  LPDWORD lpNumberOfFreeClusters, LPDWORD lpTotalNumberOfClusters) {
  struct statvfs vfs;
  if (!StatDrive(lpRootPathName, &vfs)) return FALSE;
  uint64_t cluster = vfs.f_frsize ? vfs.f_frsize : 4096;
  DWORD sectors = static_cast<DWORD>(cluster >= 512 ? cluster / 512 : 1);
  cluster = static_cast<uint64_t>(sectors) * 512;
  auto clusters = [&](uint64_t blocks) {
    uint64_t n = blocks * vfs.f_frsize / cluster;
    return static_cast<DWORD>(n > 0xFFFFFFFFu ? 0xFFFFFFFFu : n);
  };
  if (lpSectorsPerCluster) *lpSectorsPerCluster = sectors;
  if (lpBytesPerSector) *lpBytesPerSector = 512;
  if (lpNumberOfFreeClusters) *lpNumberOfFreeClusters = clusters(vfs.f_bavail);
  if (lpTotalNumberOfClusters) *lpTotalNumberOfClusters = clusters(vfs.f_blocks);
  return TRUE;
}

KX2_EXPORT BOOL GetDiskFreeSpaceExW(LPCWSTR lpDirectoryName, PULARGE_INTEGER lpFreeBytesAvailableToCaller,
                                    PULARGE_INTEGER lpTotalNumberOfBytes, PULARGE_INTEGER lpTotalNumberOfFreeBytes) {
  struct statvfs vfs;
  if (!StatDrive(lpDirectoryName, &vfs)) return FALSE;
  if (lpFreeBytesAvailableToCaller)
    lpFreeBytesAvailableToCaller->QuadPart = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  if (lpTotalNumberOfBytes) lpTotalNumberOfBytes->QuadPart = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
  if (lpTotalNumberOfFreeBytes) lpTotalNumberOfFreeBytes->QuadPart = static_cast<uint64_t>(vfs.f_bfree) * vfs.f_frsize;
  return TRUE;
}

KX2_EXPORT BOOL GetVolumeInformationW(LPCWSTR lpRootPathName, LPWSTR lpVolumeNameBuffer, DWORD nVolumeNameSize,
                                      LPDWORD lpVolumeSerialNumber, LPDWORD lpMaximumComponentLength,
                                      LPDWORD lpFileSystemFlags, LPWSTR lpFileSystemNameBuffer,
                                      DWORD nFileSystemNameSize) {
  char16_t letter = DriveLetterOf(lpRootPathName);
  std::optional<std::string> root = letter ? DriveRoot(letter) : std::nullopt;
  struct stat st;
  if (!root || stat(root->c_str(), &st) != 0) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  const std::u16string label = u"";
  const std::u16string fsName = u"NTFS";
  if ((lpVolumeNameBuffer && nVolumeNameSize <= label.size()) ||
      (lpFileSystemNameBuffer && nFileSystemNameSize <= fsName.size())) {
    SetLastError(ERROR_BAD_LENGTH);
    return FALSE;
  }
  if (lpVolumeNameBuffer) CopyTo16(lpVolumeNameBuffer, nVolumeNameSize, label);
  if (lpFileSystemNameBuffer) CopyTo16(lpFileSystemNameBuffer, nFileSystemNameSize, fsName);
  if (lpVolumeSerialNumber) *lpVolumeSerialNumber = Fnv1a(std::string(1, static_cast<char>(letter)) + "=" + *root);
  if (lpMaximumComponentLength) *lpMaximumComponentLength = 255;
  if (lpFileSystemFlags) *lpFileSystemFlags = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK | FILE_PERSISTENT_ACLS;
  return TRUE;
}

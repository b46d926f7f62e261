// Operations on files and folders by name: delete, move, copy, folders, the current
// directory and attributes.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "FileObject.h"
#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "kx2/Win32Error.h"

using namespace kx2;

namespace {

BOOL Fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

// Maps a path, reporting the Win32 error of a failed mapping.
bool Map(LPCWSTR name, std::string* out) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!*name) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  DWORD error = 0;
  std::optional<std::string> p = ToPosixPath(name, &error);
  if (!p) {
    SetLastError(error);
    return false;
  }
  *out = std::move(*p);
  return true;
}

// Stats an existing path or sets the Win32 error for a missing one.
bool StatExisting(const std::string& path, struct stat* st) {
  if (lstat(path.c_str(), st) == 0) {
    if (S_ISLNK(st->st_mode)) {
      struct stat target;
      if (stat(path.c_str(), &target) == 0) *st = target;
    }
    return true;
  }
  SetLastError(errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : MissingPathError(path));
  return false;
}

std::string LeafOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The POSIX path a new name should get: its folder resolved without regard to case, its
// last component exactly as written (so a rename can change only the case of a name).
bool MapForNewName(LPCWSTR name, std::string* out) {
  std::optional<std::u16string> full = FullWindowsPath(View16(name));
  if (!full) return Map(name, out);
  size_t cut = full->find_last_of(u'\\');
  if (cut == std::u16string::npos || cut + 1 >= full->size()) return Map(name, out);
  std::u16string folder = full->substr(0, cut + 1), leaf = full->substr(cut + 1);
  std::string parent;
  if (!Map(folder.c_str(), &parent)) return false;
  *out = parent + (parent.empty() || parent.back() != '/' ? "/" : "") + PosixNameOf(leaf);
  return true;
}

bool CopyContents(const std::string& from, const std::string& to, bool failIfExists) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return SetLastErrorFromErrno(errno), false;
  struct stat st;
  fstat(in, &st);
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (failIfExists ? O_EXCL : O_TRUNC), 0666);
  if (out < 0) {
    int err = errno;
    close(in);
    SetLastError(err == EEXIST ? ERROR_FILE_EXISTS : Win32ErrorFromErrno(err));
    return false;
  }
  char buf[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t off = 0; off < n;) {
      ssize_t w = write(out, buf + off, static_cast<size_t>(n - off));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = false;
        break;
      }
      off += w;
    }
    if (!ok) break;
  }
  if (!ok) SetLastErrorFromErrno(errno ? errno : EIO);
  // Copies keep the attributes (read-only included) and the write time, as on Windows.
  timespec times[2] = {st.st_atim, st.st_mtim};
  futimens(out, times);
  fchmod(out, st.st_mode & 07777);
  close(out);
  close(in);
  return ok;
}

}  // namespace

KX2_EXPORT BOOL DeleteFileW(LPCWSTR lpFileName) {
  std::string path;
  struct stat st;
  if (!Map(lpFileName, &path) || !StatExisting(path, &st)) return FALSE;
  if (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);
  if (IsOpenWithoutDeleteSharing(FileIdOf(st))) return Fail(ERROR_SHARING_VIOLATION);
  if (unlink(path.c_str()) != 0) return Fail(Win32ErrorFromErrno(errno));
  return TRUE;
}

KX2_EXPORT BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
  if (!lpNewFileName) return Fail(ERROR_INVALID_PARAMETER);  // deleting at reboot is not offered
  std::string from, to;
  struct stat src, dst;
  if (!Map(lpExistingFileName, &from) || !StatExisting(from, &src)) return FALSE;
  if (!Map(lpNewFileName, &to)) return FALSE;
  if (IsOpenWithoutDeleteSharing(FileIdOf(src))) return Fail(ERROR_SHARING_VIOLATION);
  if (lstat(to.c_str(), &dst) == 0) {
    if (FileIdOf(dst) == FileIdOf(src)) {
      // The same file under another spelling: a change of case only.
      if (!MapForNewName(lpNewFileName, &to)) return FALSE;
      if (rename(from.c_str(), to.c_str()) != 0) return Fail(Win32ErrorFromErrno(errno));
      return TRUE;
    }
    if (!(dwFlags & MOVEFILE_REPLACE_EXISTING)) return Fail(ERROR_ALREADY_EXISTS);
    if (S_ISDIR(dst.st_mode) || S_ISDIR(src.st_mode) || !(dst.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);
    if (IsOpenWithoutDeleteSharing(FileIdOf(dst))) return Fail(ERROR_SHARING_VIOLATION);
  }
  // Without MOVEFILE_REPLACE_EXISTING the kernel refuses to replace, so a target that
  // appears meanwhile is never overwritten.
  unsigned flags = (dwFlags & MOVEFILE_REPLACE_EXISTING) ? 0 : RENAME_NOREPLACE;
  int rc = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags);
  if (rc != 0 && errno == EINVAL && flags) {
    if (lstat(to.c_str(), &dst) == 0) return Fail(ERROR_ALREADY_EXISTS);
    rc = rename(from.c_str(), to.c_str());
  }
  if (rc == 0) return TRUE;
  int err = errno;
  if (err == EEXIST) return Fail(ERROR_ALREADY_EXISTS);
  if (err == ENOENT || err == ENOTDIR) return Fail(ERROR_PATH_NOT_FOUND);
  if (err == EXDEV) {
    if (!(dwFlags & MOVEFILE_COPY_ALLOWED) || S_ISDIR(src.st_mode)) return Fail(ERROR_NOT_SAME_DEVICE);
    if (!CopyContents(from, to, !(dwFlags & MOVEFILE_REPLACE_EXISTING))) return FALSE;
    if (unlink(from.c_str()) != 0) return Fail(Win32ErrorFromErrno(errno));
    return TRUE;
  }
  return Fail(Win32ErrorFromErrno(err));
}

KX2_EXPORT BOOL MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName) {
  return MoveFileExW(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}

KX2_EXPORT BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists) {
  std::string from, to;
  struct stat src, dst;
  if (!Map(lpExistingFileName, &from) || !StatExisting(from, &src)) return FALSE;
  if (!Map(lpNewFileName, &to)) return FALSE;
  if (S_ISDIR(src.st_mode)) return Fail(ERROR_ACCESS_DENIED);
  AccessRights reader;
  reader.read = true;
  if (WouldConflict(FileIdOf(src), reader, FILE_SHARE_READ)) return Fail(ERROR_SHARING_VIOLATION);
  if (stat(to.c_str(), &dst) == 0) {
    if (bFailIfExists) return Fail(ERROR_FILE_EXISTS);
    if (FileIdOf(dst) == FileIdOf(src)) return Fail(ERROR_SHARING_VIOLATION);
    if (S_ISDIR(dst.st_mode) || !(dst.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);
    AccessRights writer;
    writer.write = true;
    if (WouldConflict(FileIdOf(dst), writer, 0)) return Fail(ERROR_SHARING_VIOLATION);
  }
  return CopyContents(from, to, bFailIfExists) ? TRUE : FALSE;
}

KX2_EXPORT BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  std::string path;
  if (!Map(lpPathName, &path)) return FALSE;
  if (mkdir(path.c_str(), 0777) == 0) return TRUE;
  int err = errno;
  if (err == EEXIST) return Fail(ERROR_ALREADY_EXISTS);
  if (err == ENOENT || err == ENOTDIR) return Fail(ERROR_PATH_NOT_FOUND);
  return Fail(Win32ErrorFromErrno(err));
}

KX2_EXPORT BOOL CreateDirectoryExW(LPCWSTR lpTemplateDirectory, LPCWSTR lpNewDirectory, LPSECURITY_ATTRIBUTES sa) {
  std::string templ, created;
  struct stat st;
  if (!Map(lpTemplateDirectory, &templ) || !StatExisting(templ, &st)) return FALSE;
  if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
  if (!CreateDirectoryW(lpNewDirectory, sa)) return FALSE;
  if (Map(lpNewDirectory, &created)) chmod(created.c_str(), st.st_mode & 07777);
  return TRUE;
}

KX2_EXPORT BOOL RemoveDirectoryW(LPCWSTR lpPathName) {
  std::string path;
  struct stat st;
  if (!Map(lpPathName, &path) || !StatExisting(path, &st)) return FALSE;
  if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
  if (!(st.st_mode & S_IWUSR)) return Fail(ERROR_ACCESS_DENIED);
  // Windows keeps the current directory open, so it cannot be removed.
  struct stat cwd;
  if (stat(".", &cwd) == 0 && FileIdOf(cwd) == FileIdOf(st)) return Fail(ERROR_SHARING_VIOLATION);
  if (rmdir(path.c_str()) == 0) return TRUE;
  int err = errno;
  if (err == ENOTEMPTY || err == EEXIST) return Fail(ERROR_DIR_NOT_EMPTY);
  return Fail(Win32ErrorFromErrno(err));
}

KX2_EXPORT DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer) {
  std::u16string cwd = CurrentDirectory();
  if (!lpBuffer || nBufferLength <= cwd.size()) return static_cast<DWORD>(cwd.size() + 1);
  CopyTo16(lpBuffer, nBufferLength, cwd);
  return static_cast<DWORD>(cwd.size());
}

KX2_EXPORT BOOL SetCurrentDirectoryW(LPCWSTR lpPathName) {
  std::string path;
  struct stat st;
  if (!Map(lpPathName, &path) || !StatExisting(path, &st)) return FALSE;
  if (!S_ISDIR(st.st_mode)) return Fail(ERROR_DIRECTORY);
  if (chdir(path.c_str()) != 0) return Fail(Win32ErrorFromErrno(errno));
  return TRUE;
}

KX2_EXPORT DWORD GetFileAttributesW(LPCWSTR lpFileName) {
  std::string path;
  struct stat st;
  if (!Map(lpFileName, &path) || !StatExisting(path, &st)) return INVALID_FILE_ATTRIBUTES;
  return AttributesOf(st, LeafOf(path));
}

KX2_EXPORT BOOL GetFileAttributesExW(LPCWSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId,
                                     LPVOID lpFileInformation) {
  if (fInfoLevelId != GetFileExInfoStandard || !lpFileInformation) return Fail(ERROR_INVALID_PARAMETER);
  std::string path;
  struct stat st;
  if (!Map(lpFileName, &path) || !StatExisting(path, &st)) return FALSE;
  auto* data = static_cast<LPWIN32_FILE_ATTRIBUTE_DATA>(lpFileInformation);
  data->dwFileAttributes = AttributesOf(st, LeafOf(path));
  FileTimesOf(AT_FDCWD, path.c_str(), 0, st, &data->ftCreationTime, &data->ftLastAccessTime, &data->ftLastWriteTime);
  uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size);
  return TRUE;
}

KX2_EXPORT BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes) {
  std::string path;
  struct stat st;
  if (!Map(lpFileName, &path) || !StatExisting(path, &st)) return FALSE;
  mode_t mode = st.st_mode & 07777;
  // Only the read-only attribute has a POSIX counterpart; the others are accepted as set.
  if (dwFileAttributes & FILE_ATTRIBUTE_READONLY)
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  else
    mode |= S_IWUSR;
  if (mode != (st.st_mode & 07777) && chmod(path.c_str(), mode) != 0) return Fail(Win32ErrorFromErrno(errno));
  return TRUE;
}

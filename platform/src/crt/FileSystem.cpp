// _waccess, _wstat64i32, _wchmod, folders, renames, full paths and low-level files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "crt/Errno.h"
#include "kx2/PathMap.h"
#include "kx2/Time.h"
#include "kx2/Utf.h"
#include "win/crt.h"
#include "win/fileapi.h"
#include "win/nls.h"

using namespace kx2;

namespace {

bool Map(const char16_t* path, std::string* out) {
  if (!path) {
    errno = EINVAL;
    return false;
  }
  DWORD error = 0;
  std::optional<std::string> p = ToPosixPath(View16(path), &error);
  if (!p) {
    errno = ErrnoFromWin32(error);
    return false;
  }
  *out = std::move(*p);
  return true;
}

bool HasWildcard(const char16_t* path) {
  for (const char16_t* p = path; *p; ++p)
    if (*p == u'*' || *p == u'?') return true;
  return false;
}

unsigned short ModeOf(const struct stat& st, std::u16string_view name) {
  unsigned short mode = _S_IREAD;
  if (S_ISDIR(st.st_mode)) {
    mode |= _S_IFDIR | _S_IEXEC;
  } else if (S_ISCHR(st.st_mode)) {
    mode |= _S_IFCHR;
  } else {
    mode |= _S_IFREG;
    size_t dot = name.find_last_of(u'.');
    if (dot != std::u16string_view::npos) {
      std::u16string_view ext = name.substr(dot);
      for (std::u16string_view exe : {u".exe", u".com", u".bat", u".cmd"})
        if (EqualsI16(ext, exe)) mode |= _S_IEXEC;
    }
  }
  if (st.st_mode & S_IWUSR) mode |= _S_IWRITE;
  // The owner's bits are repeated for group and others, as the Microsoft runtime reports.
  mode |= static_cast<unsigned short>((mode & 0700) >> 3);
  mode |= static_cast<unsigned short>((mode & 0700) >> 6);
  return mode;
}

template <class Stat>
// `creation` is the file's creation time where the file system keeps one, else null.
int FillStat(const char16_t* path, const std::string& posix, const struct stat& st, Stat* out, bool narrowSize,
             const time_t* creation) {
  if (narrowSize && !S_ISDIR(st.st_mode) && st.st_size > INT32_MAX) {
    errno = EOVERFLOW;
    return -1;
  }
  std::memset(out, 0, sizeof *out);
  std::optional<std::u16string> full = path ? FullWindowsPath(View16(path)) : std::nullopt;
  _dev_t drive = full ? static_cast<_dev_t>((*full)[0] - u'A') : 25;
  std::u16string name = full ? full->substr(full->find_last_of(u'\\') + 1) : Utf8ToUtf16(posix);
  out->st_dev = out->st_rdev = drive;
  out->st_mode = ModeOf(st, name);
  out->st_nlink = 1;
  out->st_size = S_ISDIR(st.st_mode) ? 0 : static_cast<decltype(out->st_size)>(st.st_size);
  out->st_atim.tv_sec = st.st_atim.tv_sec;
  out->st_mtim.tv_sec = st.st_mtim.tv_sec;
  // st_ctime is the creation time on Windows.
  out->st_ctim.tv_sec = creation ? *creation : st.st_ctim.tv_sec;
  return 0;
}

template <class Stat>
int StatPath(const char16_t* path, Stat* out, bool narrowSize) {
  std::string posix;
  if (!out) {
    errno = EINVAL;
    return -1;
  }
  if (!path || HasWildcard(path)) {
    errno = ENOENT;
    return -1;
  }
  if (!Map(path, &posix)) return -1;
  // One look at the file gives its times, creation included.
  struct statx sx;
  if (statx(AT_FDCWD, posix.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
    errno = ENOENT;
    return -1;
  }
  struct stat st {};
  st.st_mode = sx.stx_mode;
  st.st_size = static_cast<off_t>(sx.stx_size);
  st.st_atim = {sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec};
  st.st_mtim = {sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec};
  st.st_ctim = {sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec};
  const time_t creation = sx.stx_btime.tv_sec;
  return FillStat(path, posix, st, out, narrowSize, sx.stx_mask & STATX_BTIME ? &creation : nullptr);
}

bool WritableByAttribute(const std::string& posix, bool* exists) {
  struct stat st;
  *exists = stat(posix.c_str(), &st) == 0;
  return !*exists || S_ISDIR(st.st_mode) || (st.st_mode & S_IWUSR);
}

}  // namespace

int _waccess(const char16_t* path, int mode) {
  if (mode & ~6) {
    errno = EINVAL;
    return -1;
  }
  DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    errno = ENOENT;
    return -1;
  }
  if ((mode & 2) && (attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    errno = EACCES;
    return -1;
  }
  return 0;
}

errno_t _waccess_s(const char16_t* path, int mode) { return _waccess(path, mode) == 0 ? 0 : errno; }

int _access(const char* path, int mode) {
  if (!path) {
    errno = EINVAL;
    return -1;
  }
  int n = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  std::u16string wide(static_cast<size_t>(n > 0 ? n : 1), u'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), n);
  return _waccess(wide.c_str(), mode);
}

int _wstat64i32(const char16_t* path, struct _stat64i32* buffer) { return StatPath(path, buffer, true); }
int _wstat64(const char16_t* path, struct _stat64* buffer) { return StatPath(path, buffer, false); }

int _fstat64i32(int fd, struct _stat64i32* buffer) {
  struct stat st;
  if (!buffer || fstat(fd, &st) != 0) {
    errno = buffer ? EBADF : EINVAL;
    return -1;
  }
  return FillStat(nullptr, std::string(), st, buffer, true, nullptr);
}

int _wchmod(const char16_t* path, int mode) {
  DWORD attributes = GetFileAttributesW(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FailFromLastError();
  attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NORMAL);
  if (!(mode & _S_IWRITE)) attributes |= FILE_ATTRIBUTE_READONLY;
  return SetFileAttributesW(path, attributes ? attributes : FILE_ATTRIBUTE_NORMAL) ? 0 : FailFromLastError();
}

int _wmkdir(const char16_t* path) { return CreateDirectoryW(path, nullptr) ? 0 : FailFromLastError(); }

int _wrmdir(const char16_t* path) { return RemoveDirectoryW(path) ? 0 : FailFromLastError(); }

int _wchdir(const char16_t* path) { return SetCurrentDirectoryW(path) ? 0 : FailFromLastError(); }

int _wremove(const char16_t* path) { return DeleteFileW(path) ? 0 : FailFromLastError(); }

int _wunlink(const char16_t* path) { return _wremove(path); }

int _wrename(const char16_t* oldName, const char16_t* newName) {
  if (MoveFileExW(oldName, newName, MOVEFILE_COPY_ALLOWED)) return 0;
  DWORD e = GetLastError();
  errno = e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS ? EACCES : ErrnoFromWin32(e);
  return -1;
}

char16_t* _wfullpath(char16_t* absPath, const char16_t* relPath, size_t maxLength) {
  std::u16string full;
  if (!relPath || !*relPath) {
    full = CurrentDirectory();
  } else {
    DWORD error = 0;
    std::optional<std::u16string> f = FullWindowsPath(View16(relPath), &error);
    if (!f) {
      errno = ErrnoFromWin32(error);
      return nullptr;
    }
    full = std::move(*f);
  }
  if (!absPath) {
    size_t size = full.size() + 1 > _MAX_PATH ? full.size() + 1 : _MAX_PATH;
    absPath = static_cast<char16_t*>(malloc(size * sizeof(char16_t)));
    if (!absPath) {
      errno = ENOMEM;
      return nullptr;
    }
  } else if (full.size() + 1 > maxLength) {
    errno = ERANGE;
    return nullptr;
  }
  wmemcpy(absPath, full.data(), full.size());
  absPath[full.size()] = 0;
  return absPath;
}

char16_t* _wgetcwd(char16_t* buffer, int maxLength) {
  std::u16string cwd = CurrentDirectory();
  if (!buffer) {
    size_t size = static_cast<size_t>(maxLength) > cwd.size() + 1 ? static_cast<size_t>(maxLength) : cwd.size() + 1;
    buffer = static_cast<char16_t*>(malloc(size * sizeof(char16_t)));
    if (!buffer) {
      errno = ENOMEM;
      return nullptr;
    }
  } else if (maxLength <= 0 || cwd.size() + 1 > static_cast<size_t>(maxLength)) {
    errno = ERANGE;
    return nullptr;
  }
  wmemcpy(buffer, cwd.data(), cwd.size());
  buffer[cwd.size()] = 0;
  return buffer;
}

int _wopen(const char16_t* path, int oflag, int pmode) {
  std::string posix;
  if (!Map(path, &posix)) return -1;
  int flags = O_CLOEXEC;
  int access = oflag & 3;
  flags |= access == _O_WRONLY ? O_WRONLY : access == _O_RDWR ? O_RDWR : O_RDONLY;
  if (oflag & _O_APPEND) flags |= O_APPEND;
  if (oflag & _O_CREAT) flags |= O_CREAT;
  if (oflag & _O_TRUNC) flags |= O_TRUNC;
  if (oflag & _O_EXCL) flags |= O_EXCL;
  bool exists;
  bool writes = access != _O_RDONLY || (oflag & _O_TRUNC);
  if (writes && !WritableByAttribute(posix, &exists)) {
    errno = EACCES;  // the read-only attribute holds even for a superuser
    return -1;
  }
  mode_t mode = (pmode & _S_IWRITE) ? 0666 : 0444;
  int fd = open(posix.c_str(), flags, mode);
  if (fd >= 0 && (oflag & _O_TEMPORARY)) unlink(posix.c_str());
  return fd;
}

int _wsopen(const char16_t* path, int oflag, int, int pmode) { return _wopen(path, oflag, pmode); }

int _read(int fd, void* buffer, unsigned int count) {
  ssize_t n = read(fd, buffer, count > INT32_MAX ? INT32_MAX : count);
  return n < 0 ? -1 : static_cast<int>(n);
}

int _write(int fd, const void* buffer, unsigned int count) {
  ssize_t n = write(fd, buffer, count > INT32_MAX ? INT32_MAX : count);
  return n < 0 ? -1 : static_cast<int>(n);
}

int _close(int fd) { return close(fd); }

LONG _lseek(int fd, LONG offset, int origin) {
  off_t r = lseek(fd, offset, origin);
  if (r > INT32_MAX) {
    errno = EINVAL;
    return -1;
  }
  return static_cast<LONG>(r);
}

int64_t _lseeki64(int fd, int64_t offset, int origin) { return lseek(fd, offset, origin); }

LONG _filelength(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return -1;
  return st.st_size > INT32_MAX ? (errno = EINVAL, -1) : static_cast<LONG>(st.st_size);
}

int64_t _filelengthi64(int fd) {
  struct stat st;
  return fstat(fd, &st) != 0 ? -1 : st.st_size;
}

int _chsize(int fd, LONG size) { return size < 0 ? (errno = EINVAL, -1) : ftruncate(fd, size); }

int _commit(int fd) { return fsync(fd); }

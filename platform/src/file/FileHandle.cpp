// CreateFileW and the operations on a file handle.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "FileObject.h"
#include "kx2/PathMap.h"
#include "kx2/Time.h"
#include "kx2/Utf.h"
#include "kx2/Win32Error.h"

using namespace kx2;

namespace {

HANDLE Fail(DWORD code) {
  SetLastError(code);
  return INVALID_HANDLE_VALUE;
}

bool HasWildcard(LPCWSTR name) {
  for (const char16_t* p = name; *p; ++p)
    if (*p == u'*' || *p == u'?') return true;
  return false;
}

}  // namespace

KX2_EXPORT HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, LPSECURITY_ATTRIBUTES,
                              DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  if (!lpFileName) return Fail(ERROR_INVALID_PARAMETER);
  if (!*lpFileName) return Fail(ERROR_PATH_NOT_FOUND);
  if (HasWildcard(lpFileName)) return Fail(ERROR_INVALID_NAME);
  if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING)
    return Fail(ERROR_INVALID_PARAMETER);
  AccessRights rights = RightsFrom(dwDesiredAccess);
  if (dwCreationDisposition == TRUNCATE_EXISTING && !rights.write) return Fail(ERROR_INVALID_PARAMETER);

  DWORD error = 0;
  std::optional<std::string> path = ToPosixPath(lpFileName, &error);
  if (!path) return Fail(error);

  struct stat st;
  bool exists = stat(path->c_str(), &st) == 0;
  bool backup = (dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) != 0;
  if (exists) {
    if (dwCreationDisposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS);
    if (S_ISDIR(st.st_mode) && (!backup || rights.write || rights.appendOnly)) return Fail(ERROR_ACCESS_DENIED);
    // The owner's write permission is the read-only attribute; a superuser is held to it too.
    bool truncates = dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == TRUNCATE_EXISTING;
    if (!S_ISDIR(st.st_mode) && !(st.st_mode & S_IWUSR) &&
        (rights.write || rights.appendOnly || rights.del || truncates))
      return Fail(ERROR_ACCESS_DENIED);
    // Check sharing before anything (truncation) touches the file.
    if (WouldConflict(FileIdOf(st), rights, dwShareMode)) return Fail(ERROR_SHARING_VIOLATION);
  } else if (dwCreationDisposition == OPEN_EXISTING || dwCreationDisposition == TRUNCATE_EXISTING) {
    return Fail(errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : MissingPathError(*path));
  }

  int flags = O_CLOEXEC;
  if (exists && S_ISDIR(st.st_mode))
    flags |= O_RDONLY | O_DIRECTORY;
  else if (rights.read && (rights.write || rights.appendOnly))
    flags |= O_RDWR;
  else if (rights.write || rights.appendOnly)
    flags |= O_WRONLY;
  else
    flags |= O_RDONLY;
  if (rights.appendOnly) flags |= O_APPEND;
  bool created = false;
  switch (dwCreationDisposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= exists ? O_TRUNC : (O_CREAT | O_EXCL);
      break;
    case OPEN_ALWAYS:
      flags |= exists ? 0 : (O_CREAT | O_EXCL);
      break;
    case TRUNCATE_EXISTING:
      flags |= O_TRUNC;
      break;
    default:
      break;
  }
  mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  int fd = open(path->c_str(), flags, mode);
  if (fd < 0 && errno == EACCES && (flags & O_ACCMODE) == O_RDONLY && !rights.read) {
    fd = open(path->c_str(), (flags & ~O_ACCMODE) | O_PATH);  // attribute-only access
  }
  if (fd < 0) {
    int err = errno;
    if (err == EEXIST) return Fail(ERROR_FILE_EXISTS);
    if (err == ENOENT) return Fail(ERROR_PATH_NOT_FOUND);  // creating: the folder is missing
    return Fail(Win32ErrorFromErrno(err));
  }
  created = (flags & O_CREAT) != 0;

  auto file = std::make_shared<FileObject>(fd, true);
  struct stat now;
  fstat(fd, &now);
  file->id_ = FileIdOf(now);
  file->isDirectory_ = S_ISDIR(now.st_mode);
  file->regular_ = S_ISREG(now.st_mode);
  file->rights_ = rights;
  file->share_ = dwShareMode;
  file->path_ = *path;
  file->deleteOnClose_ = (dwFlagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0;
  if (!RegisterOpenFile(file.get())) {
    file.reset();
    if (created) unlink(path->c_str());
    return Fail(ERROR_SHARING_VIOLATION);
  }
  // Win32 tells "opened an existing file" apart from "created one" by the last error.
  bool openedExisting = !created && (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS);
  SetLastError(openedExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return InsertHandle(std::move(file));
}

static bool PositionFor(FileObject& f, LPOVERLAPPED ov, off_t* pos) {
  if (ov) {
    *pos = static_cast<off_t>((static_cast<uint64_t>(ov->OffsetHigh) << 32) | ov->Offset);
    return true;
  }
  *pos = lseek(f.fd(), 0, SEEK_CUR);
  return *pos >= 0;
}

KX2_EXPORT BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                         LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  if (f->isDirectory_) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
  }
  if (f->registered_ && !f->rights_.read) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!lpBuffer && nNumberOfBytesToRead) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  off_t pos;
  if (!PositionFor(*f, lpOverlapped, &pos)) pos = 0;  // pipes and terminals have no position
  if (nNumberOfBytesToRead && LockedByOther(f.get(), static_cast<uint64_t>(pos), nNumberOfBytesToRead)) {
    SetLastError(ERROR_LOCK_VIOLATION);
    return FALSE;
  }
  auto* out = static_cast<char*>(lpBuffer);
  DWORD done = 0;
  while (done < nNumberOfBytesToRead) {
    ssize_t n = lpOverlapped ? pread(f->fd(), out + done, nNumberOfBytesToRead - done, pos + done)
                             : read(f->fd(), out + done, nNumberOfBytesToRead - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      kx2::SetLastErrorFromErrno(errno);
      if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
      return FALSE;
    }
    if (n == 0) break;  // end of file: success with fewer bytes
    done += static_cast<DWORD>(n);
    if (!f->regular_) break;  // pipes and terminals: what has arrived
  }
  if (lpOverlapped) lseek(f->fd(), pos + done, SEEK_SET);
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
  return TRUE;
}

KX2_EXPORT BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                          LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  if (f->isDirectory_ || (f->registered_ && !f->rights_.write && !f->rights_.appendOnly)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!lpBuffer && nNumberOfBytesToWrite) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  off_t pos;
  if (f->rights_.appendOnly)
    pos = lseek(f->fd(), 0, SEEK_END);
  else if (!PositionFor(*f, lpOverlapped, &pos))
    pos = 0;
  if (nNumberOfBytesToWrite && LockedByOther(f.get(), static_cast<uint64_t>(pos), nNumberOfBytesToWrite)) {
    SetLastError(ERROR_LOCK_VIOLATION);
    return FALSE;
  }
  auto* in = static_cast<const char*>(lpBuffer);
  DWORD done = 0;
  while (done < nNumberOfBytesToWrite) {
    ssize_t n = lpOverlapped && !f->rights_.appendOnly
                    ? pwrite(f->fd(), in + done, nNumberOfBytesToWrite - done, pos + done)
                    : write(f->fd(), in + done, nNumberOfBytesToWrite - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      kx2::SetLastErrorFromErrno(errno);
      if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
      return FALSE;
    }
    done += static_cast<DWORD>(n);
  }
  if (lpOverlapped && !f->rights_.appendOnly) lseek(f->fd(), pos + done, SEEK_SET);
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
  return TRUE;
}

// The position a move would reach, without moving; false (with the error set) when the
// method is unknown or the position cannot be read.
static bool TargetOf(FileObject& f, LONGLONG distance, DWORD method, __int128* target) {
  off_t base;
  if (method == FILE_BEGIN) {
    base = 0;
  } else if (method == FILE_CURRENT) {
    base = lseek(f.fd(), 0, SEEK_CUR);
  } else if (method == FILE_END) {
    struct stat st;
    base = fstat(f.fd(), &st) == 0 ? st.st_size : -1;
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (base < 0) {
    kx2::SetLastErrorFromErrno(errno);
    return false;
  }
  *target = static_cast<__int128>(base) + distance;
  return true;
}

KX2_EXPORT BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer,
                                 DWORD dwMoveMethod) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  __int128 target;
  if (!TargetOf(*f, liDistanceToMove.QuadPart, dwMoveMethod, &target)) return FALSE;
  if (target < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return FALSE;
  }
  if (target > INT64_MAX || lseek(f->fd(), static_cast<off_t>(target), SEEK_SET) < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (lpNewFilePointer) lpNewFilePointer->QuadPart = static_cast<LONGLONG>(target);
  return TRUE;
}

KX2_EXPORT DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
  LARGE_INTEGER distance, result;
  distance.QuadPart =
      lpDistanceToMoveHigh
          ? static_cast<LONGLONG>((static_cast<uint64_t>(static_cast<uint32_t>(*lpDistanceToMoveHigh)) << 32) |
                                  static_cast<uint32_t>(lDistanceToMove))
          : lDistanceToMove;
  if (!lpDistanceToMoveHigh) {
    // Without a high part the new position must fit in 32 bits; look before moving.
    auto f = FileFromHandle(hFile);
    if (!f) return INVALID_SET_FILE_POINTER;
    __int128 target;
    if (!TargetOf(*f, distance.QuadPart, dwMoveMethod, &target)) return INVALID_SET_FILE_POINTER;
    if (target > 0xFFFFFFFELL) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_SET_FILE_POINTER;
    }
  }
  if (!SetFilePointerEx(hFile, distance, &result, dwMoveMethod)) return INVALID_SET_FILE_POINTER;
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = result.HighPart;
  // A position whose low part is 0xFFFFFFFF is told from a failure by a clear last error.
  SetLastError(ERROR_SUCCESS);
  return result.LowPart;
}

KX2_EXPORT BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  struct stat st;
  if (fstat(f->fd(), &st) != 0) {
    kx2::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  if (lpFileSize) lpFileSize->QuadPart = S_ISDIR(st.st_mode) ? 0 : st.st_size;
  return TRUE;
}

KX2_EXPORT DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(hFile, &size)) return INVALID_FILE_SIZE;
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size.HighPart);
  SetLastError(ERROR_SUCCESS);
  return size.LowPart;
}

KX2_EXPORT BOOL SetEndOfFile(HANDLE hFile) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  if (f->isDirectory_ || (f->registered_ && !f->rights_.write)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  off_t pos = lseek(f->fd(), 0, SEEK_CUR);
  if (pos < 0 || ftruncate(f->fd(), pos) != 0) {
    kx2::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

KX2_EXPORT BOOL FlushFileBuffers(HANDLE hFile) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  if (f->registered_ && !f->rights_.write && !f->rights_.appendOnly) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (fdatasync(f->fd()) != 0 && errno != EINVAL && errno != EROFS) {
    kx2::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

KX2_EXPORT BOOL LockFile(HANDLE hFile, DWORD offLow, DWORD offHigh, DWORD lenLow, DWORD lenHigh) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  uint64_t offset = (static_cast<uint64_t>(offHigh) << 32) | offLow,
           length = (static_cast<uint64_t>(lenHigh) << 32) | lenLow;
  if (!AddLock(f.get(), offset, length)) {
    SetLastError(ERROR_LOCK_VIOLATION);
    return FALSE;
  }
  return TRUE;
}

KX2_EXPORT BOOL UnlockFile(HANDLE hFile, DWORD offLow, DWORD offHigh, DWORD lenLow, DWORD lenHigh) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  uint64_t offset = (static_cast<uint64_t>(offHigh) << 32) | offLow,
           length = (static_cast<uint64_t>(lenHigh) << 32) | lenLow;
  if (!RemoveLock(f.get(), offset, length)) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  return TRUE;
}

KX2_EXPORT BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                            LPFILETIME lpLastWriteTime) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  struct stat st;
  if (fstat(f->fd(), &st) != 0) {
    kx2::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  FileTimesOf(f->fd(), "", AT_EMPTY_PATH, st, lpCreationTime, lpLastAccessTime, lpLastWriteTime);
  return TRUE;
}

KX2_EXPORT BOOL SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                            const FILETIME* lpLastWriteTime) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  // A null time, or all-ones, leaves that time as it is. The file system keeps no
  // settable creation time, so that one is accepted and ignored.
  auto toSpec = [](const FILETIME* ft, timespec* ts) {
    if (!ft || (ft->dwLowDateTime == 0xFFFFFFFF && ft->dwHighDateTime == 0xFFFFFFFF) ||
        (ft->dwLowDateTime == 0 && ft->dwHighDateTime == 0)) {
      ts->tv_sec = 0;
      ts->tv_nsec = UTIME_OMIT;
      return;
    }
    int64_t s, ns;
    TicksToUnix(FileTimeToTicks(*ft), &s, &ns);
    ts->tv_sec = static_cast<time_t>(s);
    ts->tv_nsec = static_cast<long>(ns);
  };
  timespec times[2];
  toSpec(lpLastAccessTime, &times[0]);
  toSpec(lpLastWriteTime, &times[1]);
  if (futimens(f->fd(), times) != 0 && utimensat(AT_FDCWD, f->path_.c_str(), times, 0) != 0) {
    kx2::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

KX2_EXPORT BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION info) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  struct stat st;
  if (!info || fstat(f->fd(), &st) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  size_t slash = f->path_.find_last_of('/');
  info->dwFileAttributes = AttributesOf(st, slash == std::string::npos ? f->path_ : f->path_.substr(slash + 1));
  FileTimesOf(f->fd(), "", AT_EMPTY_PATH, st, &info->ftCreationTime, &info->ftLastAccessTime, &info->ftLastWriteTime);
  info->dwVolumeSerialNumber = static_cast<DWORD>(st.st_dev);
  uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  info->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  info->nFileSizeLow = static_cast<DWORD>(size);
  info->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
  info->nFileIndexHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_ino) >> 32);
  info->nFileIndexLow = static_cast<DWORD>(st.st_ino);
  return TRUE;
}

KX2_EXPORT DWORD GetFileType(HANDLE hFile) {
  auto f = FileFromHandle(hFile);
  if (!f) return FILE_TYPE_UNKNOWN;
  struct stat st;
  if (fstat(f->fd(), &st) != 0) return FILE_TYPE_UNKNOWN;
  SetLastError(ERROR_SUCCESS);
  if (S_ISCHR(st.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_DISK;
}

KX2_EXPORT HANDLE GetStdHandle(DWORD nStdHandle) {
  static std::mutex lock;
  static HANDLE handles[3] = {};
  int fd = nStdHandle == STD_INPUT_HANDLE    ? 0
           : nStdHandle == STD_OUTPUT_HANDLE ? 1
           : nStdHandle == STD_ERROR_HANDLE  ? 2
                                             : -1;
  if (fd < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_HANDLE_VALUE;
  }
  std::lock_guard<std::mutex> guard(lock);
  if (!handles[fd] || !LookupHandle(handles[fd])) {
    auto file = std::make_shared<FileObject>(fd, false);
    file->rights_.read = fd == 0;
    file->rights_.write = fd != 0;
    handles[fd] = InsertHandle(std::move(file));
  }
  return handles[fd];
}

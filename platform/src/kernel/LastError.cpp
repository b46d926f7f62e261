// The thread's last error and the errno translation that feeds it.
#include <cerrno>

#include "kx2/Win32Error.h"
#include "win/kernel.h"

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

KX2_EXPORT DWORD GetLastError() { return t_lastError; }
KX2_EXPORT void SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

namespace kx2 {

DWORD Win32ErrorFromErrno(int err) {
  switch (err) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
      return ERROR_ACCESS_DENIED;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case EBUSY:
    case ETXTBSY:
      return ERROR_SHARING_VIOLATION;
    case EAGAIN:
      return ERROR_LOCK_VIOLATION;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT:
      return ERROR_DISK_FULL;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    case EXDEV:
      return ERROR_NOT_SAME_DEVICE;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    case EFBIG:
      return ERROR_FILE_TOO_LARGE;
    case ENOSYS:
    case EOPNOTSUPP:
      return ERROR_NOT_SUPPORTED;
    case EPIPE:
      return ERROR_BROKEN_PIPE;
    case ENXIO:
    case ENODEV:
      return ERROR_NOT_READY;
    case EIO:
      return ERROR_GEN_FAILURE;
    default:
      return ERROR_GEN_FAILURE;
  }
}

DWORD SetLastErrorFromErrno(int err) {
  DWORD code = Win32ErrorFromErrno(err);
  SetLastError(code);
  return code;
}

}  // namespace kx2

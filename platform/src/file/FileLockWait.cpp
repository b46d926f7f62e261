// LockFileEx: a byte-range lock that may wait for the range to come free.
//
// Locks taken here are the same locks LockFile takes (exclusive within the process, and
// published to other processes as open-file-description locks, which a dead holder
// loses). Waiting blocks in the kernel on the published lock, which conflicts with other
// handles of this process as well as with other processes; once it is had, the range is
// entered in the process's table as LockFile does.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "FileObject.h"
#include "kx2/Win32Error.h"

namespace kx2 {
namespace {

// Blocks until this handle holds the range at the OS level.
bool WaitForRange(const FileObject& file, uint64_t offset, uint64_t length) {
  struct flock fl = {};
  fl.l_type = static_cast<short>(file.rights_.write || file.rights_.appendOnly ? F_WRLCK : F_RDLCK);
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  while (fcntl(file.fd(), F_OFD_SETLKW, &fl) != 0) {
    if (errno == EINTR) continue;
    SetLastErrorFromErrno(errno);
    return false;
  }
  return true;
}

void DropRange(const FileObject& file, uint64_t offset, uint64_t length) {
  struct flock fl = {};
  fl.l_type = F_UNLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  (void)fcntl(file.fd(), F_OFD_SETLK, &fl);
}

}  // namespace
}  // namespace kx2

KX2_EXPORT BOOL LockFileEx(HANDLE hFile, DWORD dwFlags, DWORD, DWORD nNumberOfBytesToLockLow,
                           DWORD nNumberOfBytesToLockHigh, LPOVERLAPPED lpOverlapped) {
  using namespace kx2;
  if (!lpOverlapped) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  const uint64_t offset = (static_cast<uint64_t>(lpOverlapped->OffsetHigh) << 32) | lpOverlapped->Offset;
  const uint64_t length = (static_cast<uint64_t>(nNumberOfBytesToLockHigh) << 32) | nNumberOfBytesToLockLow;
  if (AddLock(f.get(), offset, length)) return TRUE;
  const bool published =
      offset <= static_cast<uint64_t>(INT64_MAX) && length > 0 && length <= static_cast<uint64_t>(INT64_MAX) - offset;
  if ((dwFlags & LOCKFILE_FAIL_IMMEDIATELY) || !published) {
    SetLastError(ERROR_LOCK_VIOLATION);
    return FALSE;
  }
  // Whoever holds the range now, in this process or another, holds it at the OS level
  // too: wait there, then enter it in the table. Only a range this same handle already
  // holds can still be refused.
  if (!WaitForRange(*f, offset, length)) return FALSE;
  if (AddLock(f.get(), offset, length)) return TRUE;
  DropRange(*f, offset, length);
  SetLastError(ERROR_LOCK_VIOLATION);
  return FALSE;
}

KX2_EXPORT BOOL UnlockFileEx(HANDLE hFile, DWORD, DWORD nNumberOfBytesToUnlockLow, DWORD nNumberOfBytesToUnlockHigh,
                             LPOVERLAPPED lpOverlapped) {
  if (!lpOverlapped) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return UnlockFile(hFile, lpOverlapped->Offset, lpOverlapped->OffsetHigh, nNumberOfBytesToUnlockLow,
                    nNumberOfBytesToUnlockHigh);
}

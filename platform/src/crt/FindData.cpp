// _wfindfirst64i32 / _wfindnext64i32 / _findclose over FindFirstFileW.
#include "crt/Errno.h"
#include "kx2/Time.h"
#include "kx2/Utf.h"
#include "win/crt.h"
#include "win/fileapi.h"

namespace {

__time64_t ToTime(const FILETIME& ft) {
  int64_t s, ns;
  kx2::TicksToUnix(kx2::FileTimeToTicks(ft), &s, &ns);
  return s;
}

void Fill(const WIN32_FIND_DATAW& in, _wfinddata64i32_t* out) {
  out->attrib = in.dwFileAttributes & (_A_RDONLY | _A_HIDDEN | _A_SYSTEM | _A_SUBDIR | _A_ARCH);
  out->time_create = ToTime(in.ftCreationTime);
  out->time_access = ToTime(in.ftLastAccessTime);
  out->time_write = ToTime(in.ftLastWriteTime);
  out->size = in.nFileSizeLow;
  kx2::CopyTo16(out->name, 260, kx2::View16(in.cFileName));
}

}  // namespace

intptr_t _wfindfirst64i32(const char16_t* filespec, struct _wfinddata64i32_t* data) {
  if (!filespec || !data) {
    errno = EINVAL;
    return -1;
  }
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(filespec, &found);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    errno = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_NO_MORE_FILES ? ENOENT
                                                                                               : kx2::ErrnoFromWin32(e);
    return -1;
  }
  Fill(found, data);
  return reinterpret_cast<intptr_t>(h);
}

int _wfindnext64i32(intptr_t handle, struct _wfinddata64i32_t* data) {
  WIN32_FIND_DATAW found;
  if (!data || !FindNextFileW(reinterpret_cast<HANDLE>(handle), &found)) {
    errno = !data || GetLastError() == ERROR_INVALID_HANDLE ? EINVAL : ENOENT;
    return -1;
  }
  Fill(found, data);
  return 0;
}

int _findclose(intptr_t handle) {
  if (!FindClose(reinterpret_cast<HANDLE>(handle))) {
    errno = EINVAL;
    return -1;
  }
  return 0;
}

// _wfopen and friends. Streams opened by name are glibc FILE* streams whose reads and
// writes go through a platform file handle, so that share modes apply to them.
#include <cstring>
#include <string>

#include "crt/Errno.h"
#include "kx2/PathMap.h"
#include "kx2/Utf.h"
#include "win/crt.h"
#include "win/fileapi.h"

namespace kx2 {
int FailFromLastError() {
  errno = ErrnoFromWin32(GetLastError());
  return -1;
}
}  // namespace kx2

namespace {

struct Mode {
  DWORD access = 0;
  DWORD disposition = 0;
  const char* cookieMode = "r";
  bool valid = false;
};

Mode ParseMode(const char16_t* text) {
  Mode m;
  if (!text) return m;
  std::u16string_view s = kx2::View16(text);
  s = s.substr(0, s.find(u','));  // ",ccs=..." is accepted: streams are bytes here
  while (!s.empty() && s.front() == u' ') s.remove_prefix(1);
  if (s.empty()) return m;
  bool plus = s.find(u'+') != std::u16string_view::npos;
  bool exclusive = s.find(u'x') != std::u16string_view::npos;
  switch (s[0]) {
    case u'r':
      m.access = GENERIC_READ | (plus ? GENERIC_WRITE : 0);
      m.disposition = OPEN_EXISTING;
      break;
    case u'w':
      m.access = GENERIC_WRITE | (plus ? GENERIC_READ : 0);
      m.disposition = exclusive ? CREATE_NEW : CREATE_ALWAYS;
      break;
    case u'a':
      m.access = FILE_APPEND_DATA | (plus ? GENERIC_READ : 0);
      m.disposition = OPEN_ALWAYS;
      break;
    default:
      return m;
  }
  for (char16_t c : s.substr(1))
    if (std::u16string_view(u"+btcnNSRTDx").find(c) == std::u16string_view::npos) return m;
  m.cookieMode = plus ? "r+" : (s[0] == u'r' ? "r" : "w");
  m.valid = true;
  return m;
}

ssize_t CookieRead(void* cookie, char* buf, size_t size) {
  DWORD done = 0;
  DWORD n = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  if (!ReadFile(static_cast<HANDLE>(cookie), buf, n, &done, nullptr)) {
    errno = kx2::ErrnoFromWin32(GetLastError());
    return -1;
  }
  return done;
}

ssize_t CookieWrite(void* cookie, const char* buf, size_t size) {
  DWORD done = 0;
  DWORD n = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  if (!WriteFile(static_cast<HANDLE>(cookie), buf, n, &done, nullptr)) {
    errno = kx2::ErrnoFromWin32(GetLastError());
    return done ? static_cast<ssize_t>(done) : -1;
  }
  return done;
}

int CookieSeek(void* cookie, off64_t* pos, int whence) {
  LARGE_INTEGER distance, result;
  distance.QuadPart = *pos;
  DWORD method = whence == SEEK_SET ? FILE_BEGIN : whence == SEEK_CUR ? FILE_CURRENT : FILE_END;
  if (!SetFilePointerEx(static_cast<HANDLE>(cookie), distance, &result, method)) {
    errno = EINVAL;
    return -1;
  }
  *pos = result.QuadPart;
  return 0;
}

int CookieClose(void* cookie) { return CloseHandle(static_cast<HANDLE>(cookie)) ? 0 : -1; }

FILE* OpenStream(const char16_t* path, const char16_t* mode, DWORD share) {
  Mode m = ParseMode(mode);
  if (!path || !m.valid) {
    errno = EINVAL;
    return nullptr;
  }
  HANDLE h = CreateFileW(path, m.access, share, nullptr, m.disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    kx2::FailFromLastError();
    return nullptr;
  }
  cookie_io_functions_t io = {CookieRead, CookieWrite, CookieSeek, CookieClose};
  FILE* f = fopencookie(h, m.cookieMode, io);
  if (!f) {
    CloseHandle(h);
    errno = ENOMEM;
  }
  return f;
}

}  // namespace

FILE* _wfopen(const char16_t* path, const char16_t* mode) {
  return OpenStream(path, mode, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

errno_t _wfopen_s(FILE** stream, const char16_t* path, const char16_t* mode) {
  if (!stream) return errno = EINVAL;
  *stream = _wfopen(path, mode);
  return *stream ? 0 : errno;
}

FILE* _wfsopen(const char16_t* path, const char16_t* mode, int shareFlag) {
  DWORD share;
  switch (shareFlag & 0x70) {
    case _SH_DENYRW:
      share = 0;
      break;
    case _SH_DENYWR:
      share = FILE_SHARE_READ;
      break;
    case _SH_DENYRD:
      share = FILE_SHARE_WRITE;
      break;
    case _SH_DENYNO:
      share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      break;
    default:
      errno = EINVAL;
      return nullptr;
  }
  return OpenStream(path, mode, share);
}

FILE* _wfreopen(const char16_t* path, const char16_t* mode, FILE* stream) {
  Mode m = ParseMode(mode);
  if (!path || !m.valid || !stream) {
    errno = EINVAL;
    return nullptr;
  }
  DWORD error = 0;
  std::optional<std::string> posix = kx2::ToPosixPath(kx2::View16(path), &error);
  if (!posix) {
    errno = kx2::ErrnoFromWin32(error);
    fclose(stream);
    return nullptr;
  }
  // The stream object itself must be reused (it may be stdout), so glibc reopens it.
  std::string narrowMode;
  for (char16_t c : kx2::View16(mode)) {
    if (c == u',') break;
    if (c == u'r' || c == u'w' || c == u'a' || c == u'+' || c == u'x') narrowMode.push_back(static_cast<char>(c));
  }
  return freopen(posix->c_str(), narrowMode.c_str(), stream);
}

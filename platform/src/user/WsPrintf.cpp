// wsprintfW: the window system's own formatter, limited to 1024 units.
#include <cstring>

#include "crt/Format.h"
#include "win/user.h"

KX2_EXPORT int wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args) {
  if (!buffer || !format) return -1;
  std::u16string out;
  kx2::FormatWide(out, format, args);
  if (out.size() > 1023) out.resize(1023);
  std::memcpy(buffer, out.c_str(), (out.size() + 1) * sizeof(WCHAR));
  return static_cast<int>(out.size());
}

KX2_EXPORT int wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
  va_list args;
  va_start(args, format);
  int n = wvsprintfW(buffer, format, args);
  va_end(args);
  return n;
}

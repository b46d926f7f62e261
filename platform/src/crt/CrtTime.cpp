// _time64 and the broken-down time functions, and wcsftime.
#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>

#include "crt/CLocale.h"
#include "kx2/Utf.h"
#include "win/crt.h"

namespace {

// The Microsoft runtime's 64-bit time functions cover 1970-01-01 to 3000-12-31.
constexpr __time64_t kMaxTime = 32535215999LL;

bool InRange(const __time64_t* t) { return t && *t >= 0 && *t <= kMaxTime; }

}  // namespace

__time64_t _time64(__time64_t* t) {
  __time64_t now = static_cast<__time64_t>(time(nullptr));
  if (t) *t = now;
  return now;
}

errno_t _localtime64_s(struct tm* out, const __time64_t* t) {
  if (!out) return errno = EINVAL;
  if (!InRange(t)) {
    std::memset(out, 0xFF, sizeof *out);
    return errno = EINVAL;
  }
  time_t v = static_cast<time_t>(*t);
  return localtime_r(&v, out) ? 0 : (errno = EINVAL);
}

errno_t _gmtime64_s(struct tm* out, const __time64_t* t) {
  if (!out) return errno = EINVAL;
  if (!InRange(t)) {
    std::memset(out, 0xFF, sizeof *out);
    return errno = EINVAL;
  }
  time_t v = static_cast<time_t>(*t);
  return gmtime_r(&v, out) ? 0 : (errno = EINVAL);
}

struct tm* _localtime64(const __time64_t* t) {
  thread_local struct tm result;
  return _localtime64_s(&result, t) == 0 ? &result : nullptr;
}

struct tm* _gmtime64(const __time64_t* t) {
  thread_local struct tm result;
  return _gmtime64_s(&result, t) == 0 ? &result : nullptr;
}

__time64_t _mktime64(struct tm* t) {
  if (!t) {
    errno = EINVAL;
    return -1;
  }
  time_t v = mktime(t);
  return v < 0 || v > kMaxTime ? -1 : static_cast<__time64_t>(v);
}

__time64_t _mkgmtime64(struct tm* t) {
  if (!t) {
    errno = EINVAL;
    return -1;
  }
  time_t v = timegm(t);
  return v < 0 || v > kMaxTime ? -1 : static_cast<__time64_t>(v);
}

size_t wcsftime(char16_t* buffer, size_t size, const char16_t* format, const struct tm* t) {
  if (!buffer || !format || !t || size == 0) {
    if (buffer && size) buffer[0] = 0;
    errno = EINVAL;
    return 0;
  }
  // Rewrite the Microsoft forms into the POSIX ones of the C locale: %c, %x and %X have
  // their Microsoft layouts, and "#" drops leading zeros (or asks for the long %c/%x).
  std::string posix;
  std::u16string_view f = kx2::View16(format);
  for (size_t i = 0; i < f.size(); ++i) {
    if (f[i] != u'%' || i + 1 >= f.size()) {
      if (f[i] == u'%') break;
      posix += kx2::Utf16ToUtf8(f.substr(i, 1));
      continue;
    }
    bool alt = f[i + 1] == u'#';
    if (alt && i + 2 >= f.size()) break;
    char16_t c = f[i + (alt ? 2 : 1)];
    i += alt ? 2 : 1;
    switch (c) {
      case u'c':
        posix += alt ? "%A, %B %d, %Y %H:%M:%S" : "%m/%d/%y %H:%M:%S";
        break;
      case u'x':
        posix += alt ? "%A, %B %d, %Y" : "%m/%d/%y";
        break;
      case u'X':
        posix += "%H:%M:%S";
        break;
      case u'd':
      case u'H':
      case u'I':
      case u'j':
      case u'm':
      case u'M':
      case u'S':
      case u'U':
      case u'w':
      case u'W':
      case u'y':
      case u'Y':
        posix += alt ? "%-" : "%";
        posix.push_back(static_cast<char>(c));
        break;
      default:
        if (c < 0x80) {
          posix.push_back('%');
          posix.push_back(static_cast<char>(c));
        }
    }
  }
  char out[1024];
  locale_t previous = uselocale(kx2::CLocale());
  size_t n = posix.empty() ? 0 : strftime(out, sizeof out, posix.c_str(), t);
  uselocale(previous);
  std::u16string wide = kx2::Utf8ToUtf16(std::string_view(out, n));
  if ((n == 0 && !posix.empty()) || wide.size() + 1 > size) {
    buffer[0] = 0;
    errno = ERANGE;
    return 0;
  }
  kx2::CopyTo16(buffer, size, wide);
  return wide.size();
}

// Number parsing and the integer-to-text functions.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

#include "crt/CLocale.h"
#include "win/crt.h"

namespace kx2 {
locale_t CLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
  return c;
}
}  // namespace kx2

namespace {

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  if (c >= 0xFF10 && c <= 0xFF19) return c - 0xFF10;  // full-width digits, as the Microsoft runtime reads them
  return 99;
}

// Reads an integer the strtol way. Returns the magnitude clamped to max (setting *overflow)
// and whether a minus sign was seen; *end is where reading stopped (s when no digits).
uint64_t ParseMagnitude(const char16_t* s, const char16_t** end, int base, uint64_t max, bool* negative,
                        bool* overflow) {
  const char16_t* p = s;
  *negative = false;
  *overflow = false;
  *end = s;
  if (!s || base < 0 || base == 1 || base > 36) {
    errno = EINVAL;
    return 0;
  }
  while (iswspace(*p)) ++p;
  if (*p == u'+' || *p == u'-') *negative = *p++ == u'-';
  if ((base == 0 || base == 16) && p[0] == u'0' && (p[1] == u'x' || p[1] == u'X') && DigitValue(p[2]) < 16) {
    p += 2;
    base = 16;
  } else if (base == 0) {
    base = p[0] == u'0' ? 8 : 10;
  }
  uint64_t value = 0;
  const char16_t* start = p;
  for (int d; (d = DigitValue(*p)) < base; ++p) {
    if (value > (max - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base))
      *overflow = true;
    else
      value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
  }
  if (p == start) return 0;
  *end = p;
  return value;
}

template <class T>
T ParseSigned(const char16_t* s, char16_t** end, int base, T min, T max) {
  bool negative, overflow;
  const char16_t* stop;
  uint64_t limit = static_cast<uint64_t>(max) + 1;  // the magnitude of min
  uint64_t m = ParseMagnitude(s, &stop, base, limit, &negative, &overflow);
  if (end) *end = const_cast<char16_t*>(stop);
  if (overflow || (!negative && m > static_cast<uint64_t>(max))) {
    errno = ERANGE;
    return negative ? min : max;
  }
  return negative ? static_cast<T>(-static_cast<int64_t>(m - 1) - 1) : static_cast<T>(m);
}

template <class T>
T ParseUnsigned(const char16_t* s, char16_t** end, int base, T max) {
  bool negative, overflow;
  const char16_t* stop;
  uint64_t m = ParseMagnitude(s, &stop, base, max, &negative, &overflow);
  if (end) *end = const_cast<char16_t*>(stop);
  if (overflow) {
    errno = ERANGE;
    return max;
  }
  return negative ? static_cast<T>(0 - static_cast<T>(m)) : static_cast<T>(m);
}

template <class T>
char16_t* ToText(T magnitude, bool negative, char16_t* buffer, int radix) {
  char16_t digits[72];
  int n = 0;
  do {
    int d = static_cast<int>(magnitude % static_cast<T>(radix));
    digits[n++] = static_cast<char16_t>(d < 10 ? u'0' + d : u'a' + d - 10);
    magnitude /= static_cast<T>(radix);
  } while (magnitude);
  char16_t* p = buffer;
  if (negative) *p++ = u'-';
  while (n) *p++ = digits[--n];
  *p = 0;
  return buffer;
}

template <class S>
char16_t* SignedToText(S value, char16_t* buffer, int radix) {
  using U = std::make_unsigned_t<S>;
  bool negative = radix == 10 && value < 0;
  U magnitude = negative ? static_cast<U>(0 - static_cast<U>(value)) : static_cast<U>(value);
  return ToText<U>(magnitude, negative, buffer, radix);
}

template <class F>
errno_t Checked(char16_t* buffer, size_t size, int radix, F format) {
  if (!buffer || size == 0) return errno = EINVAL;
  buffer[0] = 0;
  if (radix < 2 || radix > 36) return errno = EINVAL;
  char16_t tmp[72];
  format(tmp);
  size_t n = wcslen(tmp);
  if (n >= size) return errno = ERANGE;
  wmemcpy(buffer, tmp, n + 1);
  return 0;
}

}  // namespace

LONG wcstol(const char16_t* s, char16_t** end, int base) {
  return ParseSigned<LONG>(s, end, base, INT32_MIN, INT32_MAX);
}
ULONG wcstoul(const char16_t* s, char16_t** end, int base) { return ParseUnsigned<ULONG>(s, end, base, UINT32_MAX); }
int64_t wcstoll(const char16_t* s, char16_t** end, int base) {
  return ParseSigned<int64_t>(s, end, base, INT64_MIN, INT64_MAX);
}
uint64_t wcstoull(const char16_t* s, char16_t** end, int base) {
  return ParseUnsigned<uint64_t>(s, end, base, UINT64_MAX);
}
int64_t _wcstoi64(const char16_t* s, char16_t** end, int base) { return wcstoll(s, end, base); }
uint64_t _wcstoui64(const char16_t* s, char16_t** end, int base) { return wcstoull(s, end, base); }

int _wtoi(const char16_t* s) {
  return s ? ParseSigned<int>(s, nullptr, 10, INT32_MIN, INT32_MAX) : (errno = EINVAL, 0);
}
LONG _wtol(const char16_t* s) { return _wtoi(s); }
int64_t _wtoi64(const char16_t* s) { return s ? wcstoll(s, nullptr, 10) : (errno = EINVAL, 0); }

double wcstod(const char16_t* s, char16_t** end) {
  if (end) *end = const_cast<char16_t*>(s);
  if (!s) {
    errno = EINVAL;
    return 0.0;
  }
  const char16_t* p = s;
  while (iswspace(*p)) ++p;
  // Only ASCII can be part of a number; hand the ASCII run to the C-locale reader.
  std::string ascii;
  for (const char16_t* q = p; *q && *q < 0x80; ++q) ascii.push_back(static_cast<char>(*q));
  char* stop = nullptr;
  double value = strtod_l(ascii.c_str(), &stop, kx2::CLocale());
  size_t used = static_cast<size_t>(stop - ascii.c_str());
  if (used && end) *end = const_cast<char16_t*>(p + used);
  return value;
}

float wcstof(const char16_t* s, char16_t** end) { return static_cast<float>(wcstod(s, end)); }
double _wtof(const char16_t* s) { return wcstod(s, nullptr); }

char16_t* _itow(int value, char16_t* buffer, int radix) { return SignedToText<int>(value, buffer, radix); }
char16_t* _ltow(LONG value, char16_t* buffer, int radix) { return SignedToText<LONG>(value, buffer, radix); }
char16_t* _ultow(ULONG value, char16_t* buffer, int radix) { return ToText<ULONG>(value, false, buffer, radix); }
char16_t* _i64tow(int64_t value, char16_t* buffer, int radix) { return SignedToText<int64_t>(value, buffer, radix); }
char16_t* _ui64tow(uint64_t value, char16_t* buffer, int radix) {
  return ToText<uint64_t>(value, false, buffer, radix);
}

errno_t _itow_s(int value, char16_t* buffer, size_t size, int radix) {
  return Checked(buffer, size, radix, [&](char16_t* t) { _itow(value, t, radix); });
}
errno_t _ltow_s(LONG value, char16_t* buffer, size_t size, int radix) {
  return Checked(buffer, size, radix, [&](char16_t* t) { _ltow(value, t, radix); });
}
errno_t _ultow_s(ULONG value, char16_t* buffer, size_t size, int radix) {
  return Checked(buffer, size, radix, [&](char16_t* t) { _ultow(value, t, radix); });
}
errno_t _i64tow_s(int64_t value, char16_t* buffer, size_t size, int radix) {
  return Checked(buffer, size, radix, [&](char16_t* t) { _i64tow(value, t, radix); });
}
errno_t _ui64tow_s(uint64_t value, char16_t* buffer, size_t size, int radix) {
  return Checked(buffer, size, radix, [&](char16_t* t) { _ui64tow(value, t, radix); });
}

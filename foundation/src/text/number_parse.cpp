// Locale-free readers of the numbers that the formatter writes.
#include <basalt/string_util.h>

#include "text/char_class.h"

namespace Basalt::Util {

namespace {

const WCHAR* SkipBlanks(const WCHAR* p) {
  while (*p == u' ' || *p == u'\t') ++p;
  return p;
}

// Decimal exponents beyond this give 0 or infinity for any mantissa the digits can make,
// so scaling stops there instead of looping for an absurd exponent text.
constexpr int64_t kExponentLimit = 2000;

}  // namespace

LONG StringUtil::atol_fmt(const WCHAR* text) noexcept {
  if (!text) return 0;
  const WCHAR* p = SkipBlanks(text);
  bool negative = false;
  if (*p == u'+' || *p == u'-') negative = *p++ == u'-';
  // 32-bit arithmetic that wraps on overflow, as the original integer did.
  uint32_t value = 0;
  while (Text::IsAsciiDigit(*p)) value = value * 10u + static_cast<uint32_t>(*p++ - u'0');
  if (negative) value = 0u - value;
  return static_cast<LONG>(value);
}

LONG StringUtil::atoi_fmt(const WCHAR* text) noexcept { return atol_fmt(text); }

double StringUtil::atof_fmt(const WCHAR* text) noexcept {
  if (!text) return 0;
  const WCHAR* p = SkipBlanks(text);
  bool negative = false;
  if (*p == u'+' || *p == u'-') negative = *p++ == u'-';

  double mantissa = 0;
  int64_t exponent = 0;
  while (Text::IsAsciiDigit(*p)) mantissa = mantissa * 10 + (*p++ - u'0');
  if (*p == u'.') {
    ++p;
    while (Text::IsAsciiDigit(*p)) {
      mantissa = mantissa * 10 + (*p++ - u'0');
      if (exponent > -kExponentLimit * 1000) --exponent;
    }
  }
  if (*p == u'e' || *p == u'E') {
    ++p;
    bool negativeExp = false;
    if (*p == u'+' || *p == u'-') negativeExp = *p++ == u'-';
    int64_t e = 0;
    while (Text::IsAsciiDigit(*p)) {
      if (e < kExponentLimit * 1000) e = e * 10 + (*p - u'0');
      ++p;
    }
    exponent += negativeExp ? -e : e;
  }
  if (exponent > kExponentLimit) exponent = kExponentLimit;
  if (exponent < -kExponentLimit) exponent = -kExponentLimit;

  // Scaling by 0.1 rather than dividing by 10 is part of the stored numbers' contract:
  // 0.3 reads as 3 * 0.1, exactly as the system always read it.
  if (exponent > 0) {
    for (; exponent > 7; exponent -= 8) mantissa *= 1e8;
    for (; exponent > 0; --exponent) mantissa *= 10;
  } else if (exponent < 0) {
    for (; exponent < -7; exponent += 8) mantissa *= 1e-8;
    for (; exponent < 0; ++exponent) mantissa *= 0.1;
  }
  return negative ? -mantissa : mantissa;
}

}  // namespace Basalt::Util

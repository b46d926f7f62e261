// Hexadecimal text: "U+" code-unit strings, "/u" escapes and the lenient hex readers.
#include <basalt/string_util.h>

#include "text/char_class.h"

namespace Basalt::Util {

namespace {

size_t Length(const WCHAR* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

// The readers' digit rule: a decimal digit is its value, any other letter counts from 'a'
// = 10 without a check (so 'g' is 16), anything else is 0. Letters are ASCII letters: the
// rule was never meant for other scripts, and a fixed class keeps results locale-free.
unsigned int LenientDigit(WCHAR c) {
  if (Text::IsAsciiDigit(c)) return c - u'0';
  if (Text::IsAsciiLetter(c)) return static_cast<unsigned int>(Text::AsciiLower(c) - u'a' + 10);
  return 0;
}

}  // namespace

unsigned int StringUtil::_hex2uint(WCHAR c) noexcept { return LenientDigit(c); }

unsigned int StringUtil::_whex2uint(WCHAR c) noexcept {
  const int v = Text::HexDigitValue(c);
  return v < 0 ? 0u : static_cast<unsigned int>(v);
}

unsigned int StringUtil::Hextoi(const WCHAR* text) noexcept {
  unsigned int value = 0;
  if (text)
    for (; *text; ++text) value = value * 16u + LenientDigit(*text);
  return value;
}

uint64_t StringUtil::Hextoi64(const WCHAR* text) noexcept {
  uint64_t value = 0;
  if (text)
    for (; *text; ++text) value = value * 16u + LenientDigit(*text);
  return value;
}

unsigned int StringUtil::_atoh(const WCHAR* text, int count) noexcept {
  unsigned int value = 0;
  if (text)
    for (int i = 0; i < count && text[i]; ++i) value = value * 16u + LenientDigit(text[i]);
  return value;
}

int StringUtil::HexStrToUniStr(const WCHAR* text, WCHAR* out, unsigned int size) noexcept {
  if (!out || size == 0) return 0;
  out[0] = 0;
  if (!text || text[0] != u'U' || text[1] != u'+') return 0;
  const size_t length = Length(text);
  if (length < 6) return 0;
  const size_t groups = length / 4;
  if (groups + 1 > size) return 0;
  for (size_t g = 0; g < groups; ++g) {
    const size_t start = 2 + 4 * g;
    unsigned int unit = 0;
    for (size_t i = start; i < start + 4 && i < length; ++i) unit = unit * 16u + LenientDigit(text[i]);
    out[g] = static_cast<WCHAR>(unit);
  }
  out[groups] = 0;
  return static_cast<int>(groups);
}

int StringUtil::UniStrToHexStr(const WCHAR* text, WCHAR* out, unsigned int size) noexcept {
  if (!out) return 0;
  if (!text) text = u"";
  const size_t length = Length(text);
  if (static_cast<uint64_t>(size) < 4ull * length + 3) {
    if (size > 0) out[0] = 0;
    return 0;
  }
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  WCHAR* p = out;
  *p++ = u'U';
  *p++ = u'+';
  for (size_t i = 0; i < length; ++i) {
    const unsigned int u = text[i];
    *p++ = kDigits[(u >> 12) & 15];
    *p++ = kDigits[(u >> 8) & 15];
    *p++ = kDigits[(u >> 4) & 15];
    *p++ = kDigits[u & 15];
  }
  *p = 0;
  return static_cast<int>(p - out);
}

int StringUtil::HexChrToUniStr(const WCHAR* text, WCHAR* out) noexcept {
  if (!out) return 0;
  if (!text) {
    out[0] = 0;
    return 0;
  }
  // Only a lower-case "/u" switches the escapes on; then both "/u" and "/U" are replaced.
  bool escaped = false;
  for (const WCHAR* p = text; *p; ++p)
    if (p[0] == u'/' && p[1] == u'u') {
      escaped = true;
      break;
    }
  size_t r = 0;
  size_t w = 0;
  if (!escaped) {
    if (out != text)
      while ((out[w] = text[w]) != 0) ++w;
    return static_cast<int>(out == text ? Length(text) : w);
  }
  // Reading stays ahead of writing (an escape of six units becomes one), so the same
  // buffer may be both.
  while (text[r]) {
    if (text[r] == u'/' && (text[r + 1] == u'u' || text[r + 1] == u'U')) {
      unsigned int unit = 0;
      int digits = 0;
      for (; digits < 4; ++digits) {
        const int v = Text::HexDigitValue(text[r + 2 + digits]);
        if (v < 0) break;
        unit = unit * 16u + static_cast<unsigned int>(v);
      }
      if (digits == 4) {
        out[w++] = static_cast<WCHAR>(unit);
        r += 6;
        continue;
      }
    }
    out[w++] = text[r++];
  }
  out[w] = 0;
  return static_cast<int>(w);
}

}  // namespace Basalt::Util

// Value texts of the settings store. See setting_text.h.
#include "setting_text.h"

#include <cstdlib>
#include <string>

#include <basalt/text_encoding.h>

namespace Basalt::Registry {

std::u16string UnsignedText(uint64_t v) {
  char16_t buf[24];
  char16_t* p = buf + 24;
  do {
    *--p = static_cast<char16_t>(u'0' + v % 10);
    v /= 10;
  } while (v);
  return std::u16string(p, buf + 24);
}

std::u16string SignedText(int64_t v) {
  if (v >= 0) return UnsignedText(static_cast<uint64_t>(v));
  return u"-" + UnsignedText(0 - static_cast<uint64_t>(v));
}

uint64_t ParseNumber(const char16_t* text) {
  if (!text) return 0;
  const char16_t* p = text;
  while (*p == u' ' || *p == u'\t' || *p == u'\n' || *p == u'\r' || *p == u'\v' || *p == u'\f') ++p;
  bool negative = false;
  if (*p == u'-' || *p == u'+') negative = *p++ == u'-';
  uint64_t v = 0;
  bool saturated = false;
  for (; *p >= u'0' && *p <= u'9'; ++p) {
    uint64_t digit = static_cast<uint64_t>(*p - u'0');
    if (v > (UINT64_MAX - digit) / 10) {
      saturated = true;
      v = UINT64_MAX;
    } else if (!saturated) {
      v = v * 10 + digit;
    }
  }
  if (!negative) return v;
  if (saturated || v > static_cast<uint64_t>(INT64_MAX) + 1) return static_cast<uint64_t>(INT64_MIN);
  return 0 - v;
}

bool EncodeBinary(const unsigned char* bytes, unsigned size, std::u16string& out) {
  out.clear();
  if (size == 0 || !bytes) return true;
  if (size > static_cast<unsigned>(INT32_MAX / 2)) return false;
  char* text = nullptr;
  int length = _ExpAsciiToBase64(bytes, static_cast<int>(size), &text);
  if (!text) return false;
  // Base64 is ASCII: widening from the ANSI code page is one unit per byte.
  out.assign(text, text + (length > 0 ? length : 0));
  std::free(text);
  return true;
}

unsigned DecodeBinary(const char16_t* text, unsigned char** out) {
  *out = nullptr;
  if (!text) return 0;
  std::string narrow;
  for (const char16_t* p = text; *p; ++p) narrow += *p < 0x80 ? static_cast<char>(*p) : '?';
  char* bytes = nullptr;
  int n = _ExpBase64ToAscii(narrow.c_str(), &bytes);
  if (n <= 0) {
    std::free(bytes);
    return 0;
  }
  *out = reinterpret_cast<unsigned char*>(bytes);
  return static_cast<unsigned>(n);
}

}  // namespace Basalt::Registry

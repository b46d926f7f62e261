// Hexadecimal digits in the texts of foreign maps (colours, flags): one reading for all.
#pragma once

#include <cstddef>
#include <string_view>

#include <win/types.h>

namespace foliant {

// 0 to 15 for "0"-"9", "a"-"f" and "A"-"F"; -1 for anything else.
inline int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The hexadecimal digits at the start of `text`, up to the first other character, as a
// number; digits past eight keep the low 32 bits. *count (when given) gets how many were
// read.
inline DWORD ReadHexDigits(std::u16string_view text, size_t* count = nullptr) {
  DWORD value = 0;
  size_t n = 0;
  for (; n < text.size(); ++n) {
    const int digit = HexDigitValue(text[n]);
    if (digit < 0) break;
    value = value << 4 | static_cast<DWORD>(digit);
  }
  if (count) *count = n;
  return value;
}

}  // namespace foliant

// Private: the character class flags behind isw* and the case maps behind tow*.
#pragma once

#include <cstdint>

namespace kx2 {

enum : uint16_t {
  kCharUpper = 0x0001,
  kCharLower = 0x0002,
  kCharDigit = 0x0004,
  kCharSpace = 0x0008,
  kCharPunct = 0x0010,
  kCharControl = 0x0020,
  kCharBlank = 0x0040,
  kCharHex = 0x0080,
  kCharAlpha = 0x0100,
};

uint16_t CharClass(char16_t c);

}  // namespace kx2

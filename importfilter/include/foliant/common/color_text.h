// Colours written as text in foreign maps, turned into the host's colour value: a
// property of type 11 whose first word is 0xAARRGGBB and whose second word is 0x00FF0000.
#pragma once

#include <optional>
#include <string_view>

#include <win/types.h>

namespace foliant {

inline constexpr DWORD kHostColorSecondWord = 0x00FF0000;

// "#RRGGBB": a number sign and exactly six hexadecimal digits, as FreeMind and HTML write
// them, to the opaque value 0xFFRRGGBB. Anything else (three digits, eight digits, no
// number sign, blanks) is no colour.
std::optional<DWORD> ParseHashColor(std::u16string_view text);

}  // namespace foliant

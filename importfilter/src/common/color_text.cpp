#include <foliant/common/color_text.h>

#include <foliant/common/hex_digits.h>

namespace foliant {

std::optional<DWORD> ParseHashColor(std::u16string_view text) {
  if (text.size() != 7 || text[0] != u'#') return std::nullopt;
  size_t digits = 0;
  const DWORD rgb = ReadHexDigits(text.substr(1), &digits);
  if (digits != 6) return std::nullopt;
  return 0xFF000000u | rgb;
}

}  // namespace foliant

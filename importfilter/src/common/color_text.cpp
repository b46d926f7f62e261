#include <foliant/common/ColorText.h>

namespace foliant {
namespace {

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

std::optional<DWORD> ParseHashColor(std::u16string_view text) {
  if (text.size() != 7 || text[0] != u'#') return std::nullopt;
  DWORD rgb = 0;
  for (size_t i = 1; i < text.size(); ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) return std::nullopt;
    rgb = rgb << 4 | static_cast<DWORD>(digit);
  }
  return 0xFF000000u | rgb;
}

}  // namespace foliant

// The platform's one character table: class flags and simple case mappings for every
// UTF-16 code unit, derived once from the Unicode character database that ICU carries.
// See win/crt.h for which Unicode categories make up which class.
#include "crt/CharTable.h"

#include <unicode/uchar.h>

#include <memory>

namespace kx2 {
namespace {

struct Table {
  uint16_t flags[0x10000];
  char16_t lower[0x10000];
  char16_t upper[0x10000];
};

uint16_t ClassOf(UChar32 c) {
  uint16_t f = 0;
  switch (u_charType(c)) {
    case U_UPPERCASE_LETTER:
      f |= kCharUpper | kCharAlpha;
      break;
    case U_LOWERCASE_LETTER:
      f |= kCharLower | kCharAlpha;
      break;
    case U_TITLECASE_LETTER:
    case U_MODIFIER_LETTER:
    case U_OTHER_LETTER:
      f |= kCharAlpha;
      break;
    case U_DECIMAL_DIGIT_NUMBER:
      f |= kCharDigit;
      break;
    case U_SPACE_SEPARATOR:
      f |= kCharSpace | kCharBlank;
      break;
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR:
      f |= kCharSpace;
      break;
    case U_CONTROL_CHAR:
      f |= kCharControl;
      break;
    case U_DASH_PUNCTUATION:
    case U_START_PUNCTUATION:
    case U_END_PUNCTUATION:
    case U_CONNECTOR_PUNCTUATION:
    case U_OTHER_PUNCTUATION:
    case U_INITIAL_PUNCTUATION:
    case U_FINAL_PUNCTUATION:
    case U_MATH_SYMBOL:
    case U_CURRENCY_SYMBOL:
    case U_MODIFIER_SYMBOL:
    case U_OTHER_SYMBOL:
      f |= kCharPunct;
      break;
    default:
      break;
  }
  // The C-locale rules for ASCII, as the Windows C runtime has them: only 0-9 are
  // digits for the purposes of parsing, and tab, LF, VT, FF, CR are spaces.
  if (c >= 0x09 && c <= 0x0D) f |= kCharSpace;
  if (c == 0x09) f |= kCharBlank;
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')) f |= kCharHex;
  return f;
}

Table* Build() {
  auto* t = new Table;
  for (UChar32 c = 0; c < 0x10000; ++c) {
    bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    t->flags[c] = surrogate ? 0 : ClassOf(c);
    UChar32 lo = surrogate ? c : u_tolower(c), up = surrogate ? c : u_toupper(c);
    // A mapping that leaves the BMP cannot be expressed in one code unit: keep c.
    t->lower[c] = static_cast<char16_t>(lo < 0x10000 ? lo : c);
    t->upper[c] = static_cast<char16_t>(up < 0x10000 ? up : c);
  }
  return t;
}

const Table& Get() {
  static const Table* table = Build();
  return *table;
}

}  // namespace

uint16_t CharClass(char16_t c) { return Get().flags[c]; }
}  // namespace kx2

namespace kx2 {
char16_t FoldLower16(char16_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c + 32) : c;
  return Get().lower[c];
}
char16_t FoldUpper16(char16_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? static_cast<char16_t>(c - 32) : c;
  return Get().upper[c];
}
}  // namespace kx2

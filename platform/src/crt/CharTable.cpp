// The platform's one character table: class flags and simple case mappings for every
// UTF-16 code unit, derived from the Unicode character database that ICU carries.
// See win/crt.h for which Unicode categories make up which class.
#include "crt/CharTable.h"

#include <unicode/uchar.h>

#include <atomic>

namespace kx2 {
namespace {

// The table is kept in blocks of 256 code units, each derived when a unit of it is first
// asked about: deriving all 65,536 units costs millions of ICU calls and 384 KB of fresh
// pages, while a process mostly asks about ASCII and a script or two.
constexpr int kBlockBits = 8;
constexpr int kBlockUnits = 1 << kBlockBits;
constexpr int kBlocks = 0x10000 >> kBlockBits;

struct Block {
  uint16_t flags[kBlockUnits];
  char16_t lower[kBlockUnits];
  char16_t upper[kBlockUnits];
};

// Never freed, like the table they make up. Constant-initialised to null.
std::atomic<const Block*> g_blocks[kBlocks];

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

const Block* Build(int block) {
  auto* b = new Block;
  for (int i = 0; i < kBlockUnits; ++i) {
    const UChar32 c = block << kBlockBits | i;
    bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    b->flags[i] = surrogate ? 0 : ClassOf(c);
    UChar32 lo = surrogate ? c : u_tolower(c), up = surrogate ? c : u_toupper(c);
    // A mapping that leaves the BMP cannot be expressed in one code unit: keep c.
    b->lower[i] = static_cast<char16_t>(lo < 0x10000 ? lo : c);
    b->upper[i] = static_cast<char16_t>(up < 0x10000 ? up : c);
  }
  return b;
}

const Block& BlockOf(char16_t c) {
  std::atomic<const Block*>& slot = g_blocks[c >> kBlockBits];
  const Block* b = slot.load(std::memory_order_acquire);
  if (b) return *b;
  const Block* made = Build(c >> kBlockBits);
  // Threads that race to derive the same block agree on the first one published.
  if (slot.compare_exchange_strong(b, made, std::memory_order_acq_rel, std::memory_order_acquire)) return *made;
  delete made;
  return *b;
}

}  // namespace

uint16_t CharClass(char16_t c) { return BlockOf(c).flags[c & (kBlockUnits - 1)]; }
}  // namespace kx2

namespace kx2 {
char16_t FoldLower16(char16_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? static_cast<char16_t>(c + 32) : c;
  return BlockOf(c).lower[c & (kBlockUnits - 1)];
}
char16_t FoldUpper16(char16_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? static_cast<char16_t>(c - 32) : c;
  return BlockOf(c).upper[c & (kBlockUnits - 1)];
}
}  // namespace kx2

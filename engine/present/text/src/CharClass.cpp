// The character class table, from ICU's script property.
#include <plastrum/present/text/CharClass.h>

#include <array>

#include <unicode/uchar.h>
#include <unicode/uscript.h>

namespace Present::Text {
namespace {

uint8_t ClassOf(UChar32 c) {
  UErrorCode error = U_ZERO_ERROR;
  const UScriptCode script = uscript_getScript(c, &error);
  if (U_FAILURE(error)) return kClassOther;
  switch (script) {
    case USCRIPT_HANGUL:
      return kClassHangul;
    case USCRIPT_HAN:
      return kClassHan;
    case USCRIPT_HIRAGANA:
    case USCRIPT_KATAKANA:
    case USCRIPT_KATAKANA_OR_HIRAGANA:
      return kClassKana;
    case USCRIPT_HEBREW:
    case USCRIPT_ARABIC:
    case USCRIPT_SYRIAC:
    case USCRIPT_THAANA:
      return kClassRightToLeft;
    default:
      break;
  }
  // CJK symbols and punctuation, and the full-width forms, go with Han.
  if ((c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF)) return kClassHan;
  if (u_charType(c) == U_PRIVATE_USE_CHAR) return kClassPrivateUse;
  if (script == USCRIPT_LATIN || script == USCRIPT_COMMON || script == USCRIPT_INHERITED) return kClassLatin;
  return kClassOther;
}

struct Table {
  std::array<std::array<uint8_t, 256>, 256> pages;
  std::array<const uint8_t*, 256> index;
  Table() {
    for (int high = 0; high < 256; ++high) {
      for (int low = 0; low < 256; ++low) pages[high][low] = ClassOf(high << 8 | low);
      index[high] = pages[high].data();
    }
  }
};

const Table& TheTable() {
  static const Table table;
  return table;
}

}  // namespace

const uint8_t* const* CharClassTable() { return TheTable().index.data(); }

uint8_t GetTextCharClass(char16_t unit) { return TheTable().index[unit >> 8][unit & 0xFF]; }

}  // namespace Present::Text

// The character class of a UTF-16 code unit, by which the text layer cuts runs and picks a
// script slot: 0 Hangul, 1 Latin (with the common and inherited characters), 2 Han with the
// CJK punctuation and full-width forms, 3 Kana, 4 right-to-left scripts (Hebrew, Arabic,
// Syriac, Thaana), 5 other scripts, 6 private use. The classes come from ICU's script
// property; the table is built once on first use and needs no font state.
#pragma once

#include <cstdint>

#include <plastrum/Export.h>

namespace Present::Text {

enum TextCharClass : uint8_t {
  kClassHangul = 0,
  kClassLatin = 1,
  kClassHan = 2,
  kClassKana = 3,
  kClassRightToLeft = 4,
  kClassOther = 5,
  kClassPrivateUse = 6,
};

// The 256 pages of 256 class bytes, by the high then the low byte of a unit.
PLASTRUM_API const uint8_t* const* CharClassTable();
PLASTRUM_API uint8_t GetTextCharClass(char16_t unit);
// The script slot of a class: 0 for classes 1, 4, 5 and 6, 1 for 0, 2 and 3.
inline int SlotOfClass(uint8_t charClass) { return charClass == 0 || charClass == 2 || charClass == 3 ? 1 : 0; }

}  // namespace Present::Text

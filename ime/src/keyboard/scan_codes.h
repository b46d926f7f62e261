// The character of a physical key from its scan code, for keys the input method took and
// cannot name. Japanese keyboards (and the NEC PC-98 keyboard) are remapped to the US rows.
#pragma once

#include <cstdint>

#include "quel_internal.h"

namespace quel {

// One row of the base table: the US keyboard's character of a scan code, plain and shifted.
struct ScanCharacters {
  char16_t plain;
  char16_t shifted;
};
// 128 rows, scan code set 1.
QUEL_TEST_API const ScanCharacters* BaseScanTable();

// A remap entry: the US scan code standing for the key, and what becomes of the shift
// state (-1 unshifted, 1 shifted, 0 kept).
struct ScanRemap {
  uint16_t scan;
  int32_t shiftRule;
};
enum class RemapKind { kNone, kJapanese106, kJapaneseOadg, kNec98 };
// 256 entries each, indexed by scan code + 128 x shift state; null for kNone.
QUEL_TEST_API const ScanRemap* RemapTable(RemapKind kind);

// The keyboard as the translation sees it: GetKeyboardType's type and subtype, the subtype
// 3329 (NEC PC-98) when a type-7 system's "system.ini" names an NEC 98 keyboard.
struct KeyboardKind {
  int type;
  int subtype;
};
QUEL_TEST_API KeyboardKind ReadKeyboardKind();
QUEL_TEST_API RemapKind RemapKindOf(KeyboardKind keyboard);

// The character of the key, 0 when there is none. Shift mode 2 reads the Shift key now;
// 0 is unshifted and any other value shifted. In numeric-pad mode the number-pad keys give
// their digits; otherwise, with Num Lock on, the digit keys give themselves.
QUEL_TEST_API char16_t TranslateScanCode(UINT scan, UINT virtualKey, int numericPad, int shiftMode);

}  // namespace quel

// The translation of a scan code into the character of its key.
#include <string_view>

#include <basalt/base_registry.h>
#include <kx2/ErrorBoundary.h>

#include "keyboard/scan_codes.h"

namespace quel {
namespace {

constexpr int kJapaneseType = 7;
constexpr int kNec98Subtype = 3329;

bool Contains(const char16_t* text, std::u16string_view mark) {
  return std::u16string_view(text).find(mark) != std::u16string_view::npos;
}

}  // namespace

KeyboardKind ReadKeyboardKind() {
  KeyboardKind keyboard{GetKeyboardType(0), GetKeyboardType(1)};
  if (keyboard.type == kJapaneseType) {
    char16_t text[80] = {};
    Basalt::Base::BaseRegistry::_GetPrivateProfileString(u"boot.description", u"keyboard.typ", u"not found", text, 80,
                                                         u"system.ini");
    text[79] = 0;
    if (Contains(text, u"NEC") && Contains(text, u"98")) keyboard.subtype = kNec98Subtype;
  }
  return keyboard;
}

RemapKind RemapKindOf(KeyboardKind keyboard) {
  if (keyboard.type != kJapaneseType) return RemapKind::kNone;
  switch (keyboard.subtype) {
    case 2:
      return RemapKind::kJapanese106;
    case 3:
    case 4:
      return RemapKind::kJapaneseOadg;
    case 1089:
    case kNec98Subtype:
      return RemapKind::kNec98;
    default:
      return RemapKind::kNone;
  }
}

char16_t TranslateScanCode(UINT scan, UINT virtualKey, int numericPad, int shiftMode) {
  return kx2::Guard(char16_t{0}, [&]() -> char16_t {
    // Only modes 0 and 2 are unshifted or "ask the key"; the shift state indexes tables of
    // two halves, so anything else counts as shifted.
    unsigned shifted = shiftMode == 2 ? (GetKeyState(VK_SHIFT) < 0 ? 1u : 0u) : (shiftMode != 0 ? 1u : 0u);
    if (scan < 128) {
      if (const ScanRemap* table = RemapTable(RemapKindOf(ReadKeyboardKind()))) {
        const ScanRemap& entry = table[scan + 128 * shifted];
        scan = entry.scan;
        if (entry.shiftRule < 0) shifted = 0;
        if (entry.shiftRule > 0) shifted = 1;
      }
    }
    if (scan > 127) return 0;
    if (numericPad) {
      if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) return static_cast<char16_t>(virtualKey - 48);
    } else if ((GetKeyState(VK_NUMLOCK) & 1) && virtualKey >= 0x30 && virtualKey <= 0x39) {
      return static_cast<char16_t>(virtualKey);
    }
    const ScanCharacters& row = BaseScanTable()[scan];
    return shifted ? row.shifted : row.plain;
  });
}

}  // namespace quel

// The base table (the US keyboard) and the three remap tables. A remap entry tells which US
// key, plain or shifted, carries the character printed on the local key, so that the base
// table alone names every character. Entries not listed keep their scan code and shift
// state.
#include <array>

#include "keyboard/scan_codes.h"

namespace quel {
namespace {

constexpr std::array<ScanCharacters, 128> MakeBase() {
  std::array<ScanCharacters, 128> t{};
  auto row = [&](unsigned scan, char16_t plain, char16_t shifted) { t[scan] = {plain, shifted}; };
  row(0x01, 27, 27);
  const char16_t* digits = u"1234567890";
  const char16_t* symbols = u"!@#$%^&*()";
  for (unsigned i = 0; i < 10; ++i) row(0x02 + i, digits[i], symbols[i]);
  row(0x0C, u'-', u'_');
  row(0x0D, u'=', u'+');
  row(0x0E, 8, 8);
  row(0x0F, 9, 9);
  const char16_t* top = u"qwertyuiop";
  for (unsigned i = 0; i < 10; ++i) row(0x10 + i, top[i], static_cast<char16_t>(top[i] - 32));
  row(0x1A, u'[', u'{');
  row(0x1B, u']', u'}');
  row(0x1C, 13, 13);
  const char16_t* middle = u"asdfghjkl";
  for (unsigned i = 0; i < 9; ++i) row(0x1E + i, middle[i], static_cast<char16_t>(middle[i] - 32));
  row(0x27, u';', u':');
  row(0x28, u'\'', u'"');
  row(0x29, u'`', u'~');
  row(0x2B, u'\\', u'|');
  const char16_t* bottom = u"zxcvbnm";
  for (unsigned i = 0; i < 7; ++i) row(0x2C + i, bottom[i], static_cast<char16_t>(bottom[i] - 32));
  row(0x33, u',', u'<');
  row(0x34, u'.', u'>');
  row(0x35, u'/', u'?');
  row(0x39, 32, 32);
  return t;
}

constexpr std::array<ScanCharacters, 128> kBase = MakeBase();

using Table = std::array<ScanRemap, 256>;

constexpr int kKeep = 0, kPlain = -1, kShifted = 1;

constexpr Table Identity() {
  Table t{};
  for (unsigned i = 0; i < 256; ++i) t[i] = {static_cast<uint16_t>(i & 0x7F), kKeep};
  return t;
}

// The key at `scan`, plain (shifted = 0) or shifted (1), carries the US key `to` with `rule`.
constexpr void Map(Table& t, unsigned scan, unsigned shifted, unsigned to, int rule) {
  t[scan + 128 * shifted] = {static_cast<uint16_t>(to), rule};
}

// The Japanese 106-key keyboard (key tops as in xkb's "jp" keymap).
constexpr Table MakeJapanese106() {
  Table t = Identity();
  Map(t, 0x03, 1, 0x28, kShifted);  // 2 "
  Map(t, 0x07, 1, 0x08, kShifted);  // 6 &
  Map(t, 0x08, 1, 0x28, kPlain);    // 7 '
  Map(t, 0x09, 1, 0x0A, kShifted);  // 8 (
  Map(t, 0x0A, 1, 0x0B, kShifted);  // 9 )
  Map(t, 0x0B, 1, 0x29, kShifted);  // 0 ~
  Map(t, 0x0C, 1, 0x0D, kPlain);    // - =
  Map(t, 0x0D, 0, 0x07, kShifted);  // ^
  Map(t, 0x0D, 1, 0x29, kShifted);  // ~
  Map(t, 0x1A, 0, 0x03, kShifted);  // @
  Map(t, 0x1A, 1, 0x29, kPlain);    // `
  Map(t, 0x1B, 0, 0x1A, kPlain);    // [
  Map(t, 0x1B, 1, 0x1A, kShifted);  // {
  Map(t, 0x27, 1, 0x0D, kShifted);  // ; +
  Map(t, 0x28, 0, 0x27, kShifted);  // :
  Map(t, 0x28, 1, 0x09, kShifted);  // *
  Map(t, 0x2B, 0, 0x1B, kPlain);    // ]
  Map(t, 0x2B, 1, 0x1B, kShifted);  // }
  for (unsigned shifted = 0; shifted < 2; ++shifted) {
    Map(t, 0x29, shifted, 0x00, kKeep);                        // Zenkaku/Hankaku: no character
    Map(t, 0x7D, shifted, 0x2B, shifted ? kShifted : kPlain);  // \ (the yen key) |
  }
  Map(t, 0x73, 0, 0x2B, kPlain);    // \ (the ro key)
  Map(t, 0x73, 1, 0x0C, kShifted);  // _
  return t;
}

// Subtypes 3 and 4 (the OADG 109A keyboards): the same key tops, except that Shift+0 gives
// no character. (Their yen key gives backslash, which code page 932 shows as the yen sign.)
constexpr Table MakeJapaneseOadg() {
  Table t = MakeJapanese106();
  Map(t, 0x0B, 1, 0x00, kKeep);
  return t;
}

// The NEC PC-98 keyboard: its digit row sits one scan code lower, its letters follow the
// JIS key tops, and its keypad and editing keys (0x36 onwards) map to the PC keypad.
constexpr Table MakeNec98() {
  Table t = Identity();
  auto both = [&](unsigned scan, unsigned to) {
    Map(t, scan, 0, to, kKeep);
    Map(t, scan, 1, to, kKeep);
  };
  for (unsigned scan = 0x00; scan <= 0x0B; ++scan) both(scan, scan + 1);  // Esc, 1..0, -
  Map(t, 0x02, 1, 0x28, kShifted);                                        // 2 "
  Map(t, 0x06, 1, 0x08, kShifted);                                        // 6 &
  Map(t, 0x07, 1, 0x28, kPlain);                                          // 7 '
  Map(t, 0x08, 1, 0x0A, kShifted);                                        // 8 (
  Map(t, 0x09, 1, 0x0B, kShifted);                                        // 9 )
  Map(t, 0x0A, 1, 0x00, kKeep);                                           // 0: nothing shifted
  Map(t, 0x0B, 1, 0x0D, kPlain);                                          // - =
  Map(t, 0x0C, 0, 0x07, kShifted);                                        // ^
  Map(t, 0x0C, 1, 0x29, kShifted);                                        // ~
  both(0x0D, 0x2B);                                                       // \ |
  both(0x0E, 0x0E);                                                       // Backspace
  both(0x0F, 0x0F);                                                       // Tab
  Map(t, 0x1A, 0, 0x03, kShifted);                                        // @
  Map(t, 0x1A, 1, 0x29, kPlain);                                          // `
  both(0x1B, 0x1A);                                                       // [ {
  both(0x1C, 0x1C);                                                       // Enter
  for (unsigned i = 0; i < 9; ++i) both(0x1D + i, 0x1E + i);              // a..l
  both(0x26, 0x27);                                                       // ;
  Map(t, 0x26, 1, 0x0D, kShifted);                                        // +
  Map(t, 0x27, 0, 0x27, kShifted);                                        // :
  Map(t, 0x27, 1, 0x09, kShifted);                                        // *
  both(0x28, 0x1B);                                                       // ] }
  for (unsigned i = 0; i < 7; ++i) both(0x29 + i, 0x2C + i);              // z..m
  both(0x30, 0x33);                                                       // , <
  both(0x31, 0x34);                                                       // . >
  both(0x32, 0x35);                                                       // / ?
  Map(t, 0x33, 0, 0x2B, kPlain);                                          // \ (ro)
  Map(t, 0x33, 1, 0x0C, kShifted);                                        // _
  both(0x34, 0x39);                                                       // space
  both(0x35, 0x00);                                                       // XFER
  // Roll up, roll down, insert, delete, the arrows, home, help; then the keypad.
  constexpr unsigned kPad[] = {0x51, 0x49, 0x52, 0x53, 0x48, 0x4B, 0x4D, 0x50, 0x47, 0x4F, 0x4A, 0x35, 0x47, 0x48,
                               0x49, 0x37, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x0D, 0x52, 0x33, 0x53};
  for (unsigned i = 0; i < sizeof kPad / sizeof kPad[0]; ++i) both(0x36 + i, kPad[i]);
  // Function, lock and shift keys carry no character.
  for (unsigned scan = 0x51; scan < 0x80; ++scan) both(scan, 0x00);
  return t;
}

constexpr Table kJapanese106 = MakeJapanese106();
constexpr Table kJapaneseOadg = MakeJapaneseOadg();
constexpr Table kNec98 = MakeNec98();

// The telling rows.
static_assert(kJapanese106[0x0D].scan == 0x07 && kJapanese106[0x0D].shiftRule == kShifted);
static_assert(kJapanese106[0x28].scan == 0x27 && kJapanese106[0x28].shiftRule == kShifted);
static_assert(kJapaneseOadg[0x0D].scan == 0x07 && kJapaneseOadg[0x28].scan == 0x27);
static_assert(kNec98[0x00].scan == 0x01 && kNec98[0x0B].scan == 0x0C);

}  // namespace

const ScanCharacters* BaseScanTable() { return kBase.data(); }

const ScanRemap* RemapTable(RemapKind kind) {
  switch (kind) {
    case RemapKind::kJapanese106:
      return kJapanese106.data();
    case RemapKind::kJapaneseOadg:
      return kJapaneseOadg.data();
    case RemapKind::kNec98:
      return kNec98.data();
    default:
      return nullptr;
  }
}

}  // namespace quel

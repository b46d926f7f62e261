// The scan-code translation: its edge cases, the keyboard kinds, and the characters of the
// US and Japanese keyboards against libxkbcommon's keymaps.
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <memory>
#include <string>

#include <kx2/ImeScript.h>
#include <kx2/InputState.h>
#include <win/profile.h>
#include <win/user.h>

#include "keyboard/scan_codes.h"

namespace {

using quel::TranslateScanCode;

HKL Layout(DWORD id) { return reinterpret_cast<HKL>(static_cast<uintptr_t>(id)); }
constexpr DWORD kUs = 0x04090409, kJapanese = 0xE0010411;

class QuelScanCodes : public ::testing::Test {
 protected:
  void SetUp() override {
    Kx2ResetInput();
    Kx2ResetKeyboardLayout();
    const char* tmp = getenv("TMPDIR");
    profiles_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/quel-profiles";
    setenv("KX2_PROFILES", profiles_.c_str(), 1);
    SetKeyboardText(nullptr);
  }
  void TearDown() override {
    Kx2ResetInput();
    Kx2ResetKeyboardLayout();
    unsetenv("KX2_PROFILES");
  }
  // "system.ini" [boot.description] keyboard.typ; null removes the value.
  static void SetKeyboardText(const char16_t* text) {
    WritePrivateProfileStringW(u"boot.description", u"keyboard.typ", text, u"system.ini");
  }
  static void UseKeyboard(DWORD layout, int type = -1, int subtype = 0) {
    ActivateKeyboardLayout(Layout(layout), 0);
    Kx2SetKeyboardType(Layout(layout), type, subtype);
  }

  std::string profiles_;
};

TEST_F(QuelScanCodes, EdgeCases) {
  struct Case {
    const char* name;
    UINT scan, vk;
    int numericPad, shiftMode;
    bool shiftDown, numLock;
    char16_t expected;
  };
  const Case cases[] = {
      {"Shift read at the call: down", 0x1E, 0, 0, 2, true, false, u'A'},
      {"Shift read at the call: up", 0x1E, 0, 0, 2, false, false, u'a'},
      {"mode 0 ignores a held Shift", 0x1E, 0, 0, 0, true, false, u'a'},
      {"mode 1", 0x1E, 0, 0, 1, false, false, u'A'},
      {"any other mode counts as shifted", 0x1E, 0, 0, 5, false, false, u'A'},
      {"negative mode counts as shifted", 0x02, 0, 0, -7, false, false, u'!'},
      {"scan 0x80", 0x80, 0, 0, 0, false, false, 0},
      {"scan 0xFF shifted", 0xFF, 0, 0, 1, false, false, 0},
      {"scan far past the table", 0x10000, 0, 0, 0, false, false, 0},
      {"a key without a character", 0x1D, VK_CONTROL, 0, 0, false, false, 0},
      {"a function key", 0x3B, VK_F1, 0, 0, false, false, 0},
      {"control characters", 0x1C, VK_RETURN, 0, 1, false, false, 13},
      {"numeric pad: a pad key gives its digit", 0x47, 0x67 /* VK_NUMPAD7 */, 1, 0, false, false, u'7'},
      {"numeric pad: other keys use the table", 0x1E, 'A', 1, 0, false, true, u'a'},
      {"Num Lock on: a digit key gives itself", 0x1E, '5', 0, 1, false, true, u'5'},
      {"Num Lock off: the table", 0x1E, '5', 0, 1, false, false, u'A'},
      {"Num Lock on: a letter key uses the table", 0x1E, 'A', 0, 0, false, true, u'a'},
  };
  UseKeyboard(kUs);
  for (const Case& c : cases) {
    Kx2SetThreadKeyState(VK_SHIFT, c.shiftDown ? 0x80 : 0);
    Kx2SetThreadKeyState(VK_NUMLOCK, c.numLock ? 1 : 0);
    EXPECT_EQ(TranslateScanCode(c.scan, c.vk, c.numericPad, c.shiftMode), c.expected) << c.name;
  }
}

TEST_F(QuelScanCodes, KeyboardKinds) {
  struct Case {
    const char* name;
    DWORD layout;
    int type, subtype;
    const char16_t* systemIni;
    UINT scan;
    int shifted;
    char16_t expected;
  };
  const Case cases[] = {
      {"US: scan 0x0D is =", kUs, -1, 0, nullptr, 0x0D, 0, u'='},
      {"106: 0x0D plain is the US 0x07 shifted", kJapanese, -1, 0, nullptr, 0x0D, 0, u'^'},
      {"106: 0x28 plain is the US 0x27 shifted", kJapanese, -1, 0, nullptr, 0x28, 0, u':'},
      {"106: Shift+0 is a tilde", kJapanese, -1, 0, nullptr, 0x0B, 1, u'~'},
      {"106: the ro key shifted", kJapanese, -1, 0, nullptr, 0x73, 1, u'_'},
      {"106: Zenkaku/Hankaku has no character", kJapanese, -1, 0, nullptr, 0x29, 0, 0},
      {"subtype 3 shares the telling rows", kJapanese, 7, 3, nullptr, 0x0D, 0, u'^'},
      {"subtype 4 shares the telling rows", kJapanese, 7, 4, nullptr, 0x28, 0, u':'},
      {"subtypes 3 and 4: Shift+0 gives nothing", kJapanese, 7, 4, nullptr, 0x0B, 1, 0},
      {"subtype 1089 is the NEC keyboard", kJapanese, 7, 1089, nullptr, 0x01, 0, u'1'},
      {"NEC 98 named in system.ini, whatever the subtype", kJapanese, 7, 2, u"NEC PC-9800 Windows 98", 0x01, 0, u'1'},
      {"NEC: 0x00 is Escape", kJapanese, 7, 0, u"NEC PC-98", 0x00, 0, 27},
      {"NEC: 0x0B is the minus key", kJapanese, 7, 2, u"NEC PC-98", 0x0B, 0, u'-'},
      {"NEC: a forced unshifted replacement", kJapanese, 7, 2, u"NEC PC-98", 0x0B, 1, u'='},
      {"NEC: its keypad maps to the PC keypad", kJapanese, 7, 2, u"NEC PC-98", 0x41, 0, u'/'},
      {"NEC without 98 is not the NEC keyboard", kJapanese, 7, 2, u"NEC Japanese", 0x01, 0, 27},
      {"98 without NEC is not the NEC keyboard", kJapanese, 7, 2, u"PC 98 compatible", 0x01, 0, 27},
      {"only type 7 reads system.ini", kUs, 4, 0, u"NEC PC-9800", 0x01, 0, 27},
      {"type 7 with another subtype keeps the scan", kJapanese, 7, 0, nullptr, 0x0D, 0, u'='},
  };
  for (const Case& c : cases) {
    UseKeyboard(c.layout, c.type, c.subtype);
    SetKeyboardText(c.systemIni);
    EXPECT_EQ(TranslateScanCode(c.scan, 0, 0, c.shifted), c.expected) << c.name;
  }
}

// --- Against libxkbcommon -----------------------------------------------------------------

struct Xkb {
  std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context{xkb_context_new(XKB_CONTEXT_NO_FLAGS),
                                                                     &xkb_context_unref};
  std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap{nullptr, &xkb_keymap_unref};
  std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> plain{nullptr, &xkb_state_unref};
  std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> shifted{nullptr, &xkb_state_unref};

  explicit Xkb(const char* layout) {
    if (!context) return;
    xkb_rule_names names{"evdev", "pc105", layout, "", ""};
    keymap.reset(xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) return;
    plain.reset(xkb_state_new(keymap.get()));
    shifted.reset(xkb_state_new(keymap.get()));
    const xkb_mod_mask_t shift = 1u << xkb_keymap_mod_get_index(keymap.get(), XKB_MOD_NAME_SHIFT);
    xkb_state_update_mask(shifted.get(), shift, 0, 0, 0, 0, 0);
  }
  bool Ready() const { return plain && shifted; }
  uint32_t Char(xkb_keycode_t key, int shift) const {
    return xkb_state_key_get_utf32(shift ? shifted.get() : plain.get(), key);
  }
};

TEST_F(QuelScanCodes, UsRowsMatchXkb) {
  Xkb xkb("us");
  if (!xkb.Ready()) GTEST_SKIP() << "libxkbcommon has no \"us\" keymap here";
  UseKeyboard(kUs);
  const quel::ScanCharacters* base = quel::BaseScanTable();
  int compared = 0;
  for (UINT scan = 0; scan < 128; ++scan) {
    if (!base[scan].plain && !base[scan].shifted) continue;
    for (int shift = 0; shift < 2; ++shift) {
      const char16_t ours = TranslateScanCode(scan, 0, 0, shift);
      EXPECT_EQ(ours, shift ? base[scan].shifted : base[scan].plain);
      // Exception: Shift+Tab is ISO_Left_Tab to xkb, a key without a character; the table
      // keeps Tab's 9 in both columns.
      if (scan == 0x0F && shift) continue;
      EXPECT_EQ(static_cast<uint32_t>(ours), xkb.Char(scan + 8, shift))
          << "scan 0x" << std::hex << scan << (shift ? " shifted" : "");
      ++compared;
    }
  }
  EXPECT_EQ(compared, 2 * 52 - 1);  // 52 rows with characters
}

TEST_F(QuelScanCodes, JapaneseMainBlockMatchesXkb) {
  Xkb xkb("jp");
  if (!xkb.Ready()) GTEST_SKIP() << "libxkbcommon has no \"jp\" keymap here";
  UseKeyboard(kJapanese);
  ASSERT_EQ(GetKeyboardType(0), 7);
  ASSERT_EQ(GetKeyboardType(1), 2);
  std::vector<UINT> scans;
  for (UINT scan = 0x02; scan <= 0x0D; ++scan) scans.push_back(scan);
  for (UINT scan = 0x10; scan <= 0x1B; ++scan) scans.push_back(scan);
  for (UINT scan = 0x1E; scan <= 0x29; ++scan) scans.push_back(scan);
  for (UINT scan = 0x2B; scan <= 0x35; ++scan) scans.push_back(scan);
  scans.push_back(0x39);
  scans.push_back(0x73);
  scans.push_back(0x7D);
  for (UINT scan : scans) {
    // The ro and yen keys are evdev keys 89 and 124, not scan + 8.
    const xkb_keycode_t key = scan == 0x73 ? 89 + 8 : scan == 0x7D ? 124 + 8 : scan + 8;
    for (int shift = 0; shift < 2; ++shift) {
      const uint32_t theirs = xkb.Char(key, shift);
      const char16_t ours = TranslateScanCode(scan, 0, 0, shift);
      const bool printable = theirs >= 0x20 && theirs < 0x7F;
      if (printable)
        EXPECT_EQ(static_cast<uint32_t>(ours), theirs) << "scan 0x" << std::hex << scan << (shift ? " shifted" : "");
      else
        EXPECT_FALSE(ours >= 0x20 && ours < 0x7F)
            << "scan 0x" << std::hex << scan << (shift ? " shifted" : "") << " has no printable character in xkb";
    }
  }
}

}  // namespace

// Keyboard layouts, keyboard types, scan codes and key names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "ime_test_support.h"

namespace {

using imetest::Layout;

class KeysLayouts : public ::testing::Test {
 protected:
  void TearDown() override {
    if (saved_)
      setenv("KX2_LCID", saved_->c_str(), 1);
    else
      unsetenv("KX2_LCID");
    Kx2ResetKeyboardLayout();
  }
  void StartWithLcid(const char* lcid) {
    if (!saved_ && getenv("KX2_LCID")) saved_ = std::string(getenv("KX2_LCID"));
    setenv("KX2_LCID", lcid, 1);
    Kx2ResetKeyboardLayout();
  }
  std::optional<std::string> saved_;
};

TEST_F(KeysLayouts, ThreadStartsOnTheInputMethodLayoutOfTheUsersLanguage) {
  const struct {
    const char* lcid;
    DWORD layout;
  } cases[] = {{"0x0409", 0x04090409}, {"0x0411", 0xE0010411}, {"0x0412", 0xE0010412}, {"0x0804", 0xE0010804},
               {"0x0404", 0xE0010404}, {"0x0C04", 0xE0010404}, {"0x0407", 0x04090409}};
  for (const auto& c : cases) {
    StartWithLcid(c.lcid);
    EXPECT_EQ(GetKeyboardLayout(0), Layout(c.layout)) << c.lcid;
  }
}

TEST_F(KeysLayouts, ActivationReturnsThePreviousLayoutAndRefusesUnknownOnes) {
  StartWithLcid("0x0409");
  EXPECT_EQ(ActivateKeyboardLayout(Layout(0x04110411), 0), Layout(0x04090409));
  EXPECT_EQ(GetKeyboardLayout(0), Layout(0x04110411));
  EXPECT_EQ(ActivateKeyboardLayout(Layout(HKL_NEXT), 0), Layout(0x04110411));
  EXPECT_EQ(GetKeyboardLayout(GetCurrentThreadId()), Layout(0xE0010411));
  EXPECT_EQ(ActivateKeyboardLayout(Layout(HKL_PREV), 0), Layout(0xE0010411));
  EXPECT_EQ(GetKeyboardLayout(0), Layout(0x04110411));

  for (DWORD bad : {0x12345678u, 0xE0020411u, 0x04090411u}) {
    SetLastError(0);
    EXPECT_EQ(ActivateKeyboardLayout(Layout(bad), 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
  // A handle wider than 32 bits is no layout, even when its low half is one.
  EXPECT_EQ(ActivateKeyboardLayout(reinterpret_cast<HKL>(uintptr_t{0x1'04090409}), 0), nullptr);
  EXPECT_EQ(GetKeyboardLayout(0), Layout(0x04110411));

  HKL list[16] = {};
  const int count = GetKeyboardLayoutList(16, list);
  EXPECT_EQ(count, 9);
  EXPECT_EQ(GetKeyboardLayoutList(0, nullptr), 9);
  EXPECT_EQ(list[0], Layout(0x04090409));
}

TEST_F(KeysLayouts, KeyboardTypeFollowsTheLayoutAndTestsMaySetMore) {
  const struct {
    DWORD layout;
    int type, subtype;
  } cases[] = {{0x04090409, 4, 0}, {0xE0010411, 7, 2}, {0x04110411, 7, 2},
               {0xE0010412, 8, 3}, {0xE0010804, 4, 0}, {0x04040404, 4, 0}};
  for (const auto& c : cases) {
    ActivateKeyboardLayout(Layout(c.layout), 0);
    EXPECT_EQ(GetKeyboardType(0), c.type) << std::hex << c.layout;
    EXPECT_EQ(GetKeyboardType(1), c.subtype) << std::hex << c.layout;
    EXPECT_EQ(GetKeyboardType(2), 12);
    EXPECT_EQ(GetKeyboardType(3), 0);
  }
  Kx2SetKeyboardType(Layout(0xE0010411), 7, 4);
  ActivateKeyboardLayout(Layout(0xE0010411), 0);
  EXPECT_EQ(GetKeyboardType(1), 4);
  Kx2SetKeyboardType(Layout(0xE0010411), -1, 0);
  EXPECT_EQ(GetKeyboardType(1), 2);
}

TEST(KeysScanCodes, MapVirtualKeyOverScanCodeSetOne) {
  const struct {
    UINT code, type, expected;
  } cases[] = {
      {'A', 0, 0x1E},
      {'Q', 0, 0x10},
      {'1', 0, 0x02},
      {'0', 0, 0x0B},
      {VK_RETURN, 0, 0x1C},
      {VK_ESCAPE, 0, 0x01},
      {VK_SHIFT, 0, 0x2A},
      {VK_RSHIFT, 0, 0x36},
      {VK_CONTROL, 0, 0x1D},
      {VK_MENU, 0, 0x38},
      {VK_F12, 0, 0x58},
      {VK_HOME, 0, 0x47},
      {VK_PRIOR, 0, 0x49},
      {VK_DELETE, 0, 0x53},
      {VK_NUMPAD9, 0, 0x49},
      {VK_DECIMAL, 0, 0x53},
      {VK_HANGUL, 0, 0xF2},
      {VK_HANJA, 0, 0xF1},
      {0xBA, 0, 0x27},
      {0x07, 0, 0},
      {0x1E, 1, 'A'},
      {0x2A, 1, VK_SHIFT},
      {0x36, 1, VK_SHIFT},
      {0x1D, 1, VK_CONTROL},
      {0x49, 1, VK_PRIOR},
      {0x53, 1, VK_DELETE},
      {0xF2, 1, VK_HANGUL},
      {0xF1, 1, VK_HANJA},
      {0x00, 1, 0},
      {0x100, 1, 0},
      {'A', 2, 'A'},
      {'7', 2, '7'},
      {0xBA, 2, ';'},
      {0xDE, 2, '\''},
      {VK_SPACE, 2, ' '},
      {VK_NUMPAD0 + 3, 2, '3'},
      {VK_F1, 2, 0},
      {0x36, 3, VK_RSHIFT},
      {0x2A, 3, VK_LSHIFT},
      {0x1D, 3, VK_LCONTROL},
      {0xE01D, 3, VK_RCONTROL},
      {0xE038, 3, VK_RMENU},
      {0xC01D, 3, 0},
      {'A', 7, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MapVirtualKeyW(c.code, c.type), c.expected) << std::hex << c.code << " type " << c.type;
}

std::u16string NameOf(LONG lParam, int size = 64) {
  WCHAR buffer[64];
  buffer[0] = u'?';
  const int n = GetKeyNameTextW(lParam, buffer, size);
  EXPECT_EQ(n, static_cast<int>(std::char_traits<char16_t>::length(buffer)));
  return std::u16string(buffer, static_cast<size_t>(n));
}

TEST(KeysNames, UsKeyboardEnglishNames) {
  constexpr LONG ext = 1 << 24, merge = 1 << 25;
  const struct {
    LONG lParam;
    const char16_t* name;
  } cases[] = {
      {0x49 << 16 | ext, u"Page Up"},
      {0x49 << 16, u"Num 9"},
      {0x53 << 16 | ext, u"Delete"},
      {0x53 << 16, u"Num Del"},
      {0x1C << 16, u"Enter"},
      {0x1C << 16 | ext, u"Num Enter"},
      {0x36 << 16, u"Right Shift"},
      {0x36 << 16 | merge, u"Shift"},
      {0x1D << 16 | ext, u"Right Ctrl"},
      {0x1D << 16 | ext | merge, u"Ctrl"},
      {0x38 << 16 | ext | merge, u"Alt"},
      {0x1E << 16, u"A"},
      {0x0C << 16, u"-"},
      {0x29 << 16, u"`"},
      {0x39 << 16, u"Space"},
      {0x3B << 16, u"F1"},
      {0x57 << 16, u"F11"},
      {0x01 << 16, u"Esc"},
      {0x45 << 16 | ext, u"Num Lock"},
      {0x1E << 16 | ext, u"A"},
      {0x5B << 16 | ext, u"Left Windows"},
      {0x00 << 16, u""},
      {0x7F << 16, u""},
      {0xF2 << 16, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(NameOf(c.lParam), c.name) << std::hex << c.lParam;
}

TEST(KeysNames, ShortBuffersGetWhatFitsWithATerminator) {
  constexpr LONG pageUp = 0x49 << 16 | 1 << 24;
  EXPECT_EQ(NameOf(pageUp, 8), u"Page Up");
  EXPECT_EQ(NameOf(pageUp, 5), u"Page");
  EXPECT_EQ(NameOf(pageUp, 1), u"");
  WCHAR untouched = u'x';
  EXPECT_EQ(GetKeyNameTextW(pageUp, &untouched, 0), 0);
  EXPECT_EQ(untouched, u'x');
  EXPECT_EQ(GetKeyNameTextW(pageUp, nullptr, 10), 0);
}

// The navigation keys' names, as a chord is named: scan code of the key plus the extended bit.
TEST(KeysNames, NavigationKeysNamedThroughTheirKeypadScanCode) {
  const struct {
    UINT vk;
    const char16_t* name;
  } cases[] = {{VK_PRIOR, u"Page Up"}, {VK_NEXT, u"Page Down"}, {VK_END, u"End"},     {VK_HOME, u"Home"},
               {VK_LEFT, u"Left"},     {VK_UP, u"Up"},          {VK_RIGHT, u"Right"}, {VK_DOWN, u"Down"},
               {VK_INSERT, u"Insert"}, {VK_DELETE, u"Delete"}};
  for (const auto& c : cases)
    EXPECT_EQ(NameOf(static_cast<LONG>(MapVirtualKeyW(c.vk, 0) << 16) | 1 << 24), c.name) << c.vk;
}

using KeysState = usertest::WindowTest;

TEST_F(KeysState, CapsLockAndNumLockToggleBitAndCapsLockShiftsLetters) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetFocus(w);
  usertest::Pump();
  for (UINT vk : {VK_CAPITAL, VK_NUMLOCK}) {
    Kx2InjectKeyStroke(vk);
    usertest::Pump();
    EXPECT_EQ(GetKeyState(static_cast<int>(vk)) & 1, 1) << vk;
    EXPECT_EQ(GetKeyState(static_cast<int>(vk)) & 0x8000, 0) << vk;
  }
  usertest::Journal().clear();
  Kx2InjectKeyStroke('A');
  usertest::Pump();
  Kx2InjectKeyStroke(VK_CAPITAL);
  Kx2InjectKeyStroke('A');
  usertest::Pump();
  EXPECT_EQ(GetKeyState(VK_CAPITAL) & 1, 0);
  std::u16string typed;
  for (const auto& e : usertest::Journal())
    if (e.message == WM_CHAR) typed += static_cast<char16_t>(e.wParam);
  EXPECT_EQ(typed, u"Aa");
}

}  // namespace

// System metrics, parameters, colours and the reported Windows version (other versions in
// child processes, as the value holds for the life of a process).
#include <kx2test/ChildProcess.h>

#include <cstdlib>
#include <string>

#include "user_test_support.h"
#include "win/commctrl.h"
#include "win/kernel.h"
#include "win/user_ncmetrics.h"

namespace {

TEST(UserSystem, MetricsAgreeWithTheNonClientMetrics) {
  NONCLIENTMETRICSW m{};
  m.cbSize = sizeof m;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof m, &m, 0));
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), m.iCaptionHeight + 1);
  EXPECT_EQ(GetSystemMetrics(SM_CYSMCAPTION), m.iSmCaptionHeight + 1);
  EXPECT_EQ(GetSystemMetrics(SM_CYMENU), m.iMenuHeight + 1);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), m.iScrollWidth);
  EXPECT_EQ(GetSystemMetrics(SM_CXEDGE), 2);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
  EXPECT_EQ(GetSystemMetrics(12345), 0);
  // The record as it was before Vista (no padded border) is accepted too.
  NONCLIENTMETRICSW old{};
  old.cbSize = sizeof old - sizeof(int);
  EXPECT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, old.cbSize, &old, 0));
  EXPECT_EQ(old.cbSize, sizeof old - sizeof(int));
  old.cbSize = 100;
  EXPECT_FALSE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 100, &old, 0));

  UINT value = 0;
  EXPECT_TRUE(SystemParametersInfoW(SPI_GETBORDER, 0, &value, 0));
  EXPECT_EQ(value, 1u);
  EXPECT_TRUE(SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &value, 0));
  EXPECT_EQ(value, 400u);
  BOOL shadow = FALSE;
  EXPECT_TRUE(SystemParametersInfoW(SPI_GETDROPSHADOW, 0, &shadow, 0));
  EXPECT_TRUE(shadow);
  EXPECT_TRUE(SystemParametersInfoW(SPI_SETMENUSHOWDELAY, 0, nullptr, 0));
  EXPECT_TRUE(SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &value, 0));
  EXPECT_EQ(value, 0u);
  SystemParametersInfoW(SPI_SETMENUSHOWDELAY, 400, nullptr, 0);
  EXPECT_FALSE(SystemParametersInfoW(0xFFFF, 0, &value, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(UserSystem, AdjustWindowRectAddsTheClassicFrame) {
  const int frame = GetSystemMetrics(SM_CXFRAME), dialog = GetSystemMetrics(SM_CXDLGFRAME),
            caption = GetSystemMetrics(SM_CYCAPTION), edge = GetSystemMetrics(SM_CXEDGE);
  const struct {
    DWORD style, exStyle;
    BOOL menu;
    RECT expected;
  } cases[] = {
      {WS_OVERLAPPEDWINDOW, 0, FALSE, {-frame, -frame - caption, 100 + frame, 50 + frame}},
      {WS_OVERLAPPEDWINDOW, 0, TRUE, {-frame, -frame - caption - GetSystemMetrics(SM_CYMENU), 100 + frame, 50 + frame}},
      {WS_POPUP | WS_CAPTION, WS_EX_DLGMODALFRAME, FALSE, {-dialog, -dialog - caption, 100 + dialog, 50 + dialog}},
      {WS_POPUP | WS_CAPTION | WS_SYSMENU,
       WS_EX_TOOLWINDOW,
       FALSE,
       {-1, -1 - GetSystemMetrics(SM_CYSMCAPTION), 101, 51}},
      {WS_CHILD | WS_BORDER, WS_EX_CLIENTEDGE, FALSE, {-1 - edge, -1 - edge, 101 + edge, 51 + edge}},
      {WS_CHILD, WS_EX_STATICEDGE, FALSE, {-1, -1, 101, 51}},
      {WS_POPUP, 0, FALSE, {0, 0, 100, 50}},
      {WS_OVERLAPPED, 0, FALSE, {-1, -1 - caption, 101, 51}},  // always a caption, with its thin border
  };
  for (const auto& c : cases) {
    RECT r{0, 0, 100, 50};
    ASSERT_TRUE(AdjustWindowRectEx(&r, c.style, c.menu, c.exStyle));
    EXPECT_EQ(r.left, c.expected.left) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(r.top, c.expected.top) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(r.right, c.expected.right) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(r.bottom, c.expected.bottom) << std::hex << c.style << " " << c.exStyle;
  }
  EXPECT_FALSE(AdjustWindowRectEx(nullptr, 0, FALSE, 0));
}

using UserColors = usertest::WindowTest;

TEST_F(UserColors, ClassicColoursChangeForTheProcessAndTellTopLevelWindows) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
  EXPECT_EQ(GetSysColor(COLOR_ACTIVECAPTION), RGB(0, 0, 128));
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
  EXPECT_EQ(GetSysColor(31), 0u);
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  EXPECT_NE(face, nullptr);
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
  EXPECT_EQ(GetSysColorBrush(31), nullptr);
  HWND top = Make(WS_POPUP);
  HWND child = Make(WS_CHILD, top);
  usertest::Journal().clear();
  const INT index = COLOR_BTNFACE;
  const COLORREF colour = RGB(1, 2, 3);
  ASSERT_TRUE(SetSysColors(1, &index, &colour));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(1, 2, 3));
  EXPECT_EQ(usertest::MessagesOf(top), (std::vector<UINT>{WM_SYSCOLORCHANGE}));
  EXPECT_TRUE(usertest::MessagesOf(child).empty());
  usertest::Journal().clear();
  EXPECT_EQ(SendMessageW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0), 1);
  EXPECT_EQ(usertest::MessagesOf(top), (std::vector<UINT>{WM_SETTINGCHANGE}));
  EXPECT_TRUE(usertest::MessagesOf(child).empty());
  const COLORREF classic = RGB(192, 192, 192);
  SetSysColors(1, &index, &classic);
}

// Runs in a child process with KX2_COMCTL_VERSION set.
TEST(UserComCtlVersionChild, ReportsTheConfiguredVersion) {
  const char* expected = getenv("KX2_TEST_EXPECT_COMCTL");
  if (!expected) GTEST_SKIP() << "run by UserComCtlVersion in a child process";
  DLLVERSIONINFO info{sizeof info, 0, 0, 0, 0};
  ASSERT_EQ(DllGetVersion(&info), S_OK);
  EXPECT_EQ(std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion), expected);
}

TEST(UserComCtlVersion, IsSixTenUnlessConfigured) {
  if (!getenv("KX2_COMCTL_VERSION")) {
    DLLVERSIONINFO info{sizeof info, 0, 0, 0, 0};
    ASSERT_EQ(DllGetVersion(&info), S_OK);
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 10u);
    EXPECT_EQ(info.dwPlatformID, static_cast<DWORD>(DLLVER_PLATFORM_NT));
  }
  DLLVERSIONINFO small{12, 0, 0, 0, 0};
  EXPECT_EQ(DllGetVersion(&small), E_INVALIDARG);
  EXPECT_EQ(DllGetVersion(nullptr), E_INVALIDARG);
  const struct {
    const char* value;
    const char* expected;
  } cases[] = {{"5.82", "5.82"}, {"6", "6.0"}, {"six", "6.10"}, {"4.x", "6.10"}};
  for (const auto& c : cases) {
    const kx2test::ChildResult child =
        kx2test::RunInChild("UserComCtlVersionChild.ReportsTheConfiguredVersion",
                            {{"KX2_COMCTL_VERSION", c.value}, {"KX2_TEST_EXPECT_COMCTL", c.expected}});
    EXPECT_TRUE(child.Passed()) << "KX2_COMCTL_VERSION=" << c.value << "\n" << child.output;
  }
}

// Runs in a child process with KX2_WINVER set; the parent says what to expect.
TEST(UserVersionChild, ReportsTheConfiguredVersion) {
  const char* expected = getenv("KX2_TEST_EXPECT_VERSION");
  if (!kx2test::InChild() || !expected) GTEST_SKIP() << "run by UserVersion in a child process";
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(&info));
  const std::string got = std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
                          std::to_string(info.dwPlatformId);
  EXPECT_EQ(got, expected);
  const DWORD packed = GetVersion();
  EXPECT_EQ(packed & 0xFF, info.dwMajorVersion);
  EXPECT_EQ((packed >> 31) != 0, info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS);
}

TEST(UserVersion, ReportsNt62UnlessKx2WinverNamesAnother) {
  if (!getenv("KX2_WINVER")) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 2u);
    EXPECT_EQ(info.dwBuildNumber, 9200u);
  }
  const struct {
    const char* name;
    const char* expected;
  } cases[] = {{"95", "4.0.1"},   {"98", "4.10.1"}, {"me", "4.90.1"},  {"nt4", "4.0.2"},
               {"2000", "5.0.2"}, {"xp", "5.1.2"},  {"2003", "5.2.2"}, {"vista", "6.0.2"},
               {"7", "6.1.2"},    {"8", "6.2.2"},   {"XP", "5.1.2"},   {"nonsense", "6.2.2"}};
  for (const auto& c : cases) {
    const kx2test::ChildResult child =
        kx2test::RunInChild("UserVersionChild.ReportsTheConfiguredVersion",
                            {{"KX2_WINVER", c.name}, {"KX2_TEST_EXPECT_VERSION", c.expected}});
    EXPECT_TRUE(child.Passed()) << "KX2_WINVER=" << c.name << "\n" << child.output;
  }
}

}  // namespace

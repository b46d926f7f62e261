// Monitor lookups over the screen description.
#include <gtest/gtest.h>

#include "kx2/Screen.h"
#include "win/user.h"
#include "win/user_monitor.h"

namespace {

TEST(PaintMonitors, LookupsFallBackAsAsked) {
  const RECT primary = Kx2ScreenPrimaryRect();
  HMONITOR inside = MonitorFromPoint(POINT{primary.left + 5, primary.top + 5}, MONITOR_DEFAULTTONULL);
  ASSERT_TRUE(inside);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(GetMonitorInfoW(inside, &info));
  EXPECT_EQ(info.rcMonitor.right - info.rcMonitor.left, primary.right - primary.left);
  EXPECT_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
  const POINT far{-100000, -100000};
  EXPECT_EQ(MonitorFromPoint(far, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(MonitorFromPoint(far, MONITOR_DEFAULTTONEAREST), inside);
  EXPECT_EQ(MonitorFromPoint(far, MONITOR_DEFAULTTOPRIMARY), inside);
  const RECT straddling{primary.right - 10, primary.top, primary.right + 5, primary.top + 10};
  EXPECT_TRUE(MonitorFromRect(&straddling, MONITOR_DEFAULTTONULL));
  MONITORINFO tooSmall{};
  tooSmall.cbSize = 4;
  EXPECT_FALSE(GetMonitorInfoW(inside, &tooSmall));
  EXPECT_FALSE(GetMonitorInfoW(reinterpret_cast<HMONITOR>(uintptr_t{999}), &info));
}

}  // namespace

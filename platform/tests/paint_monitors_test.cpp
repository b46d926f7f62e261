// Monitor lookups over the screen description.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

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

// Sets KX2_MONITORS for the life of the object (the screen is read when used).
class Monitors {
 public:
  explicit Monitors(const char* value) {
    if (const char* old = std::getenv("KX2_MONITORS")) old_ = old;
    setenv("KX2_MONITORS", value, 1);
  }
  ~Monitors() {
    if (old_)
      setenv("KX2_MONITORS", old_->c_str(), 1);
    else
      unsetenv("KX2_MONITORS");
  }
  Monitors(const Monitors&) = delete;
  Monitors& operator=(const Monitors&) = delete;

 private:
  std::optional<std::string> old_;
};

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

TEST(PaintMonitors, MaximisedWindowsFillTheirMonitorOrTheirParent) {
  const Monitors two("800x600+0+0,640x480+800+100");
  WNDCLASSW wc{};
  wc.lpfnWndProc = &PlainProc;
  wc.lpszClassName = u"MonitorTestWindow";
  RegisterClassW(&wc);
  const int fx = GetSystemMetrics(SM_CXFRAME), fy = GetSystemMetrics(SM_CYFRAME);
  struct Case {
    const char* what;
    RECT start;
    RECT maximised;
  };
  const Case cases[] = {
      {"primary", {100, 100, 300, 200}, {-fx, -fy, 800 + fx, 600 + fy}},
      {"second monitor", {900, 150, 1100, 300}, {800 - fx, 100 - fy, 1440 + fx, 580 + fy}},
      {"mostly on the second", {700, 150, 1000, 300}, {800 - fx, 100 - fy, 1440 + fx, 580 + fy}},
  };
  for (const Case& c : cases) {
    HWND w =
        CreateWindowExW(0, u"MonitorTestWindow", u"w", WS_OVERLAPPEDWINDOW, c.start.left, c.start.top,
                        c.start.right - c.start.left, c.start.bottom - c.start.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(w);
    ShowWindow(w, SW_SHOWMAXIMIZED);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, c.maximised.left) << c.what;
    EXPECT_EQ(r.top, c.maximised.top) << c.what;
    EXPECT_EQ(r.right, c.maximised.right) << c.what;
    EXPECT_EQ(r.bottom, c.maximised.bottom) << c.what;
    ShowWindow(w, SW_RESTORE);
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, c.start.left) << c.what << " restored";
    DestroyWindow(w);
  }
  // A child fills its parent's client area, its frame outside it.
  HWND parent = CreateWindowExW(0, u"MonitorTestWindow", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
  HWND child = CreateWindowExW(0, u"MonitorTestWindow", u"c", WS_CHILD | WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 100,
                               80, parent, nullptr, nullptr, nullptr);
  ShowWindow(child, SW_SHOWMAXIMIZED);
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, -fx);
  EXPECT_EQ(r.top, -fy);
  EXPECT_EQ(r.right, 300 + fx);
  EXPECT_EQ(r.bottom, 200 + fy);
  DestroyWindow(parent);
}

}  // namespace

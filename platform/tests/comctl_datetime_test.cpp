// The month calendar (selection, hit tests, colours) and the date-time picker (its date or
// none, the calendar dropped by the button and by Alt+Down, a picked day coming back).
#include "comctl_test_support.h"
#include "user_test_support.h"

using comctltest::Canvas;

namespace {

std::vector<UINT> codes;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    codes.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

SYSTEMTIME Day(int y, int m, int d) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(m);
  st.wDay = static_cast<WORD>(d);
  return st;
}

class ComCtlDates : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"DateOwner";
    RegisterClassW(&wc);
    codes.clear();
    parent_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 400, 300}, 0, u"DateOwner");
  }
  HWND parent_ = nullptr;
};

TEST_F(ComCtlDates, MonthCalendarSelectsHitsAndColours) {
  HWND cal = Make(WS_CHILD | WS_VISIBLE, parent_, RECT{0, 0, 250, 200}, 0, MONTHCAL_CLASSW, 6);
  ASSERT_NE(cal, nullptr);
  SYSTEMTIME st = Day(2024, 2, 29);
  EXPECT_TRUE(SendMessageW(cal, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st)));
  SYSTEMTIME bad = Day(2023, 2, 29);
  EXPECT_FALSE(SendMessageW(cal, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&bad)));
  SYSTEMTIME got{};
  ASSERT_TRUE(SendMessageW(cal, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&got)));
  EXPECT_EQ(got.wDay, 29);
  EXPECT_EQ(got.wDayOfWeek, 4) << "a Thursday";
  EXPECT_EQ(SendMessageW(cal, MCM_SETCOLOR, MCSC_TITLEBK, RGB(10, 120, 30)),
            static_cast<LRESULT>(GetSysColor(COLOR_ACTIVECAPTION)));
  EXPECT_EQ(SendMessageW(cal, MCM_SETCOLOR, 9, 0), -1);
  RECT need{};
  ASSERT_TRUE(SendMessageW(cal, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&need)));
  EXPECT_GT(need.right, 70);

  // Hits: the title, its buttons, the day names, a date.
  MCHITTESTINFO info{};
  info.cbSize = sizeof(info);
  info.pt = POINT{need.right / 2, 5};
  EXPECT_EQ(static_cast<UINT>(SendMessageW(cal, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info))),
            static_cast<UINT>(MCHT_TITLE));
  info.pt = POINT{4, 5};
  EXPECT_EQ(static_cast<UINT>(SendMessageW(cal, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info))),
            static_cast<UINT>(MCHT_TITLEBTNPREV));
  // Find the 15th by scanning the grid.
  POINT fifteenth{-1, -1};
  for (int y = 0; y < need.bottom && fifteenth.x < 0; y += 3)
    for (int x = 2; x < need.right; x += 3) {
      info.pt = POINT{x, y};
      if (SendMessageW(cal, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)) == MCHT_CALENDARDATE &&
          info.st.wMonth == 2 && info.st.wDay == 15) {
        fifteenth = info.pt;
        break;
      }
    }
  ASSERT_GE(fifteenth.x, 0);
  SendMessageW(cal, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(fifteenth.x, fifteenth.y));
  EXPECT_EQ(codes, (std::vector<UINT>{MCN_SELCHANGE, MCN_SELECT}));
  SendMessageW(cal, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(cal, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&got));
  EXPECT_EQ(got.wDay, 22);

  Canvas canvas(250, 200);
  SendMessageW(cal, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(need.right / 2 + 40, 3), RGB(10, 120, 30)) << "the title in its colour";
}

TEST_F(ComCtlDates, PickerGivesItsDateOrNoneAndDropsItsCalendar) {
  HWND dtp = Make(WS_CHILD | WS_VISIBLE | DTS_SHOWNONE, parent_, RECT{10, 10, 160, 32}, 0, DATETIMEPICK_CLASSW, 7);
  ASSERT_NE(dtp, nullptr);
  SYSTEMTIME st = Day(2025, 6, 14);
  EXPECT_TRUE(SendMessageW(dtp, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)));
  SYSTEMTIME got{};
  EXPECT_EQ(SendMessageW(dtp, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&got)), GDT_VALID);
  EXPECT_EQ(got.wYear * 10000 + got.wMonth * 100 + got.wDay, 20250614);
  EXPECT_TRUE(SendMessageW(dtp, DTM_SETSYSTEMTIME, GDT_NONE, 0));
  EXPECT_EQ(SendMessageW(dtp, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&got)), GDT_NONE);
  EXPECT_EQ(SendMessageW(dtp, DTM_GETSYSTEMTIME, 0, 0), GDT_ERROR);
  SYSTEMTIME bad = Day(2025, 13, 1);
  EXPECT_FALSE(SendMessageW(dtp, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&bad)));
  EXPECT_EQ(SendMessageW(dtp, DTM_SETMCCOLOR, MCSC_MONTHBK, RGB(1, 2, 3)), static_cast<LRESULT>(CLR_DEFAULT));

  // The button drops the calendar, showing the date; a picked day comes back.
  EXPECT_EQ(SendMessageW(dtp, DTM_GETMONTHCAL, 0, 0), 0);
  SendMessageW(dtp, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(145, 10));
  const HWND cal = reinterpret_cast<HWND>(SendMessageW(dtp, DTM_GETMONTHCAL, 0, 0));
  ASSERT_NE(cal, nullptr);
  EXPECT_TRUE(IsWindowVisible(cal));
  EXPECT_EQ(SendMessageW(cal, MCM_GETCOLOR, MCSC_MONTHBK, 0), static_cast<LRESULT>(RGB(1, 2, 3)));
  SYSTEMTIME shown{};
  SendMessageW(cal, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&shown));
  EXPECT_EQ(shown.wDay, 14);
  SendMessageW(cal, WM_KEYDOWN, VK_RIGHT, 0);
  SendMessageW(cal, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(SendMessageW(dtp, DTM_GETMONTHCAL, 0, 0), 0) << "closed after the pick";
  EXPECT_EQ(SendMessageW(dtp, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&got)), GDT_VALID);
  EXPECT_EQ(got.wDay, 15);
  EXPECT_EQ(codes, (std::vector<UINT>{DTN_DROPDOWN, DTN_DATETIMECHANGE, DTN_CLOSEUP}));

  // Alt+Down drops it too.
  SendMessageW(dtp, WM_SYSKEYDOWN, VK_DOWN, 0);
  EXPECT_NE(SendMessageW(dtp, DTM_GETMONTHCAL, 0, 0), 0);
  SendMessageW(dtp, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(SendMessageW(dtp, DTM_GETMONTHCAL, 0, 0), 0);

  // Painted into a given DC: white field, the drop button at the right.
  Canvas canvas(150, 22, RGB(0, 0, 255));
  SendMessageW(dtp, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(100, 2), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(canvas.At(150 - GetSystemMetrics(SM_CXVSCROLL) / 2, 11), GetSysColor(COLOR_BTNTEXT)) << "the arrow";
}

}  // namespace

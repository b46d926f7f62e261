// The up-down control (range either way round, the owner's veto, its buddy, auto-repeat on
// the test clock) and the status bar (parts, texts, its place and height).
#include "comctl_test_support.h"
#include "user_test_support.h"

using comctltest::Canvas;

namespace {

std::vector<std::pair<UINT, WPARAM>> heard;
bool refuse = false;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* nm = reinterpret_cast<const NMUPDOWN*>(lParam);
    if (nm->hdr.code == UDN_DELTAPOS) {
      heard.emplace_back(UDN_DELTAPOS, static_cast<WPARAM>(nm->iDelta));
      return refuse;
    }
    return 0;
  }
  if (message == WM_VSCROLL || message == WM_HSCROLL) heard.emplace_back(message, wParam);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ComCtlBars : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"BarOwner";
    RegisterClassW(&wc);
    heard.clear();
    refuse = false;
    parent_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 400, 300}, 0, u"BarOwner");
  }
  HWND parent_ = nullptr;
};

TEST_F(ComCtlBars, UpDownMessagesAndTheirAnswers) {
  HWND spin = Make(WS_CHILD | WS_VISIBLE, parent_, RECT{0, 0, 16, 30}, 0, UPDOWN_CLASSW, 4);
  ASSERT_NE(spin, nullptr);
  int low = 0, high = 0;
  SendMessageW(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 100) << "the default range runs from 100 down to 0";
  EXPECT_EQ(high, 0);
  SendMessageW(spin, UDM_SETRANGE32, -5, 70000);
  EXPECT_EQ(SendMessageW(spin, UDM_SETPOS32, 0, 80000), 0);
  BOOL error = TRUE;
  EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), 70000);
  EXPECT_FALSE(error);
  SendMessageW(spin, UDM_SETRANGE, 0, MAKELONG(10, 20));
  EXPECT_EQ(SendMessageW(spin, UDM_GETRANGE, 0, 0), MAKELONG(10, 20));
  EXPECT_EQ(LOWORD(SendMessageW(spin, UDM_GETPOS, 0, 0)), 20) << "clamped into the new range";
  EXPECT_EQ(SendMessageW(spin, UDM_SETBASE, 7, 0), 0);
  EXPECT_EQ(SendMessageW(spin, UDM_SETBASE, 16, 0), 10);
  UDACCEL accel[4]{};
  EXPECT_EQ(SendMessageW(spin, UDM_GETACCEL, 4, reinterpret_cast<LPARAM>(accel)), 3);
  EXPECT_EQ(accel[1].nInc, 5u);

  // The up arrow goes toward the upper end: down here, as upper (10) is below lower (20).
  heard.clear();
  SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 3));
  SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(8, 3));
  EXPECT_EQ(heard, (std::vector<std::pair<UINT, WPARAM>>{{UDN_DELTAPOS, static_cast<WPARAM>(-1)},
                                                         {WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 19)},
                                                         {WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 19)}}));
  refuse = true;
  heard.clear();
  SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 25));
  SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(8, 25));
  EXPECT_EQ(LOWORD(SendMessageW(spin, UDM_GETPOS, 0, 0)), 19) << "the owner refused";
}

TEST_F(ComCtlBars, UpDownRepeatsOnTheClockAndFillsItsBuddy) {
  HWND buddy = Make(WS_CHILD | WS_VISIBLE, parent_, RECT{10, 10, 110, 32}, 0, u"JournalWindow");
  HWND spin =
      Make(WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT, parent_, RECT{0, 0, 16, 10}, 0, UPDOWN_CLASSW, 4);
  SendMessageW(spin, UDM_SETRANGE32, 0, 5000);
  SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
  RECT b, s;
  GetWindowRect(buddy, &b);
  GetWindowRect(spin, &s);
  EXPECT_EQ(b.right, s.left) << "the spin sits against the buddy's right side";
  EXPECT_EQ(s.right, 110);
  EXPECT_EQ(s.bottom - s.top, 22);

  SendMessageW(spin, UDM_SETPOS32, 0, 998);
  char16_t text[32];
  GetWindowTextW(buddy, text, 32);
  EXPECT_EQ(std::u16string(text), u"998");
  SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 2));
  GetWindowTextW(buddy, text, 32);
  EXPECT_EQ(std::u16string(text), u"999") << "one step at once";
  Kx2ClockAdvance(499);
  usertest::Pump();
  EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 999);
  Kx2ClockAdvance(1);
  usertest::Pump();
  GetWindowTextW(buddy, text, 32);
  EXPECT_EQ(std::u16string(text), u"1,000") << "again after the first delay, with thousands grouped";
  Kx2ClockAdvance(100);
  usertest::Pump();
  EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 1001);
  SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(8, 2));
  Kx2ClockAdvance(1000);
  usertest::Pump();
  EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 1001) << "released: no more steps";

  // A typed number becomes the position; other text is an error.
  SetWindowTextW(buddy, u"1,234");
  EXPECT_EQ(SendMessageW(spin, UDM_GETPOS32, 0, 0), 1234);
  SetWindowTextW(buddy, u"abc");
  BOOL error = FALSE;
  SendMessageW(spin, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error));
  EXPECT_TRUE(error);
}

TEST_F(ComCtlBars, UpDownLooksDisabledWithAnEmptyRange) {
  HWND spin = Make(WS_CHILD | WS_VISIBLE, parent_, RECT{0, 0, 16, 30}, 0, UPDOWN_CLASSW, 4);
  Canvas normal(16, 30), empty(16, 30);
  SendMessageW(spin, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(normal.Dc()), PRF_CLIENT);
  SendMessageW(spin, UDM_SETRANGE32, 5, 5);
  SendMessageW(spin, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(empty.Dc()), PRF_CLIENT);
  // Edges stay black (the dark shadow); the arrows turn from text colour to the disabled look.
  auto count = [](const Canvas& c, COLORREF colour) {
    int n = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 16; ++x) n += c.At(x, y) == colour;
    return n;
  };
  EXPECT_GE(count(normal, GetSysColor(COLOR_BTNTEXT)) - count(empty, GetSysColor(COLOR_BTNTEXT)), 4)
      << "both (small) arrows lose their ink";
  EXPECT_GT(count(empty, GetSysColor(COLOR_BTNHIGHLIGHT)), count(normal, GetSysColor(COLOR_BTNHIGHLIGHT)))
      << "and show the embossed disabled look";
}

TEST_F(ComCtlBars, StatusBarPartsTextsPlaceAndHeight) {
  HWND bar = Make(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, parent_, RECT{0, 0, 10, 10}, 0, STATUSCLASSNAMEW, 8);
  ASSERT_NE(bar, nullptr);
  RECT r;
  GetWindowRect(bar, &r);
  EXPECT_EQ(r.bottom, 300) << "along the parent's bottom";
  EXPECT_EQ(r.right - r.left, 400);
  const int height = r.bottom - r.top;
  EXPECT_GT(height, 12);

  const int rights[] = {100, 250, -1};
  EXPECT_TRUE(SendMessageW(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(rights)));
  EXPECT_FALSE(SendMessageW(bar, SB_SETPARTS, 0, reinterpret_cast<LPARAM>(rights)));
  int got[4]{};
  EXPECT_EQ(SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(got)), 3);
  EXPECT_EQ(got[1], 250);
  EXPECT_TRUE(SendMessageW(bar, SB_SETTEXTW, 1 | SBT_POPOUT, reinterpret_cast<LPARAM>(u"Ready")));
  EXPECT_FALSE(SendMessageW(bar, SB_SETTEXTW, 3, reinterpret_cast<LPARAM>(u"none")));
  EXPECT_EQ(SendMessageW(bar, SB_GETTEXTLENGTHW, 1, 0), MAKELONG(5, SBT_POPOUT));
  char16_t text[6];
  SendMessageW(bar, SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(std::u16string(text), u"Ready");
  char narrow[6];
  EXPECT_EQ(LOWORD(SendMessageW(bar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(narrow))), 5);
  EXPECT_EQ(std::string(narrow), "Ready");
  RECT part{};
  ASSERT_TRUE(SendMessageW(bar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part)));
  EXPECT_EQ(part.left, 102);
  EXPECT_EQ(part.right, 250);
  ASSERT_TRUE(SendMessageW(bar, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&part)));
  EXPECT_EQ(part.right, 400 - GetSystemMetrics(SM_CXVSCROLL)) << "the last part stops at the grip";
  EXPECT_FALSE(SendMessageW(bar, SB_GETRECT, 3, reinterpret_cast<LPARAM>(&part)));

  Canvas canvas(400, height);
  SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(50, 2), GetSysColor(COLOR_BTNSHADOW)) << "a sunken part";
  EXPECT_EQ(canvas.At(150, 2), GetSysColor(COLOR_BTNHIGHLIGHT)) << "a popped-out part";

  // A larger font: the height follows once the metrics are said to have changed.
  LOGFONTW lf{};
  lf.lfHeight = -30;
  HFONT big = CreateFontIndirectW(&lf);
  SendMessageW(bar, WM_SETFONT, reinterpret_cast<WPARAM>(big), FALSE);
  GetWindowRect(bar, &r);
  EXPECT_EQ(r.bottom - r.top, height);
  SendMessageW(bar, WM_WININICHANGE, 0, 0);
  GetWindowRect(bar, &r);
  EXPECT_GT(r.bottom - r.top, height + 10);
  EXPECT_EQ(r.bottom, 300);
  DestroyWindow(bar);
  DeleteObject(big);

  // The parent growing: the bar follows when told.
  HWND again = Make(WS_CHILD | WS_VISIBLE, parent_, RECT{0, 0, 10, 10}, 0, STATUSCLASSNAMEW, 8);
  SetWindowPos(parent_, nullptr, 0, 0, 500, 350, SWP_NOZORDER | SWP_NOMOVE);
  SendMessageW(again, WM_SIZE, 0, 0);
  GetWindowRect(again, &r);
  EXPECT_EQ(r.bottom, 350);
  EXPECT_EQ(r.right, 500);
}

}  // namespace

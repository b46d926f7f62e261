// The progress bar: its messages and answers, its classic fill, and the marquee moving on
// the test clock.
#include "comctl_test_support.h"
#include "user_test_support.h"

using comctltest::Canvas;

namespace {

class ComCtlProgress : public usertest::WindowTest {
 protected:
  HWND MakeBar(DWORD style, int width = 102, int height = 14) {
    InitCommonControls();
    parent_ = Make(WS_POPUP | WS_VISIBLE);
    return Make(WS_CHILD | WS_VISIBLE | style, parent_, RECT{0, 0, width, height}, 0, PROGRESS_CLASSW, 7);
  }
  HWND parent_ = nullptr;
};

TEST_F(ComCtlProgress, MessagesAndTheirAnswers) {
  HWND bar = MakeBar(0);
  ASSERT_NE(bar, nullptr);
  struct Step {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT answer;
  };
  const Step steps[] = {
      {PBM_GETRANGE, TRUE, 0, 0},
      {PBM_GETRANGE, FALSE, 0, 100},
      {PBM_SETRANGE, 0, MAKELPARAM(10, 50), MAKELONG(0, 100)},
      {PBM_GETPOS, 0, 0, 10},  // clamped into the new range
      {PBM_SETPOS, 70, 0, 10},
      {PBM_GETPOS, 0, 0, 50},
      {PBM_SETSTEP, 15, 0, 10},
      {PBM_SETPOS, 40, 0, 50},
      {PBM_STEPIT, 0, 0, 40},  // 55 wraps to 15
      {PBM_GETPOS, 0, 0, 15},
      {PBM_DELTAPOS, 5, 0, 15},
      {PBM_GETPOS, 0, 0, 20},
      {PBM_SETRANGE32, static_cast<WPARAM>(-5), 70000, MAKELONG(10, 50)},
      {PBM_GETRANGE, FALSE, 0, 70000},
      {PBM_GETSTEP, 0, 0, 15},
      {PBM_SETBARCOLOR, 0, RGB(1, 2, 3), static_cast<LRESULT>(CLR_DEFAULT)},
      {PBM_GETBARCOLOR, 0, 0, RGB(1, 2, 3)},
      {PBM_SETSTATE, PBST_ERROR, 0, PBST_NORMAL},
      {PBM_SETSTATE, 9, 0, PBST_ERROR},  // not a state: kept
      {PBM_GETSTATE, 0, 0, PBST_ERROR},
      {PBM_SETMARQUEE, TRUE, 0, FALSE},  // only with PBS_MARQUEE
  };
  for (const Step& s : steps)
    EXPECT_EQ(SendMessageW(bar, s.message, s.wParam, s.lParam), s.answer) << std::hex << s.message;
  PBRANGE range{};
  SendMessageW(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  EXPECT_EQ(range.iLow, -5);
  EXPECT_EQ(range.iHigh, 70000);
}

TEST_F(ComCtlProgress, FillsChunksUpToThePositionIntoAGivenDc) {
  HWND bar = MakeBar(0);
  SendMessageW(bar, PBM_SETPOS, 50, 0);
  Canvas canvas(102, 14, RGB(0, 0, 0));
  SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(canvas.At(0, 7), face) << "the frame pixel";
  EXPECT_EQ(canvas.At(2, 7), highlight);
  EXPECT_EQ(canvas.At(60, 7), face) << "past the half";
  // Chunks of two thirds of the 12-pixel thickness, two apart.
  EXPECT_EQ(canvas.At(1 + 8, 7), face);
  EXPECT_EQ(canvas.At(1 + 10, 7), highlight);

  // Smooth and at its low end: nothing; an empty range fills nothing either.
  SetWindowLongW(bar, GWL_STYLE, GetWindowLongW(bar, GWL_STYLE) | PBS_SMOOTH);
  SendMessageW(bar, PBM_SETPOS, 100, 0);
  SendMessageW(bar, WM_PAINT, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
  EXPECT_EQ(canvas.At(9, 7), highlight) << "smooth: no gaps";
  EXPECT_EQ(canvas.At(100, 7), highlight);
  EXPECT_EQ(canvas.At(101, 7), face);
  SendMessageW(bar, PBM_SETRANGE32, 5, 5);
  SendMessageW(bar, WM_PAINT, reinterpret_cast<WPARAM>(canvas.Dc()), 0);
  EXPECT_EQ(canvas.At(2, 7), face);
}

TEST_F(ComCtlProgress, MarqueeMovesOnTheClock) {
  HWND bar = MakeBar(PBS_MARQUEE);
  Canvas canvas(102, 14);
  auto firstLit = [&]() {
    SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
    for (int x = 1; x < 101; ++x)
      if (canvas.At(x, 7) == GetSysColor(COLOR_HIGHLIGHT)) return x;
    return -1;
  };
  EXPECT_EQ(firstLit(), -1) << "nothing before the marquee starts";
  EXPECT_TRUE(SendMessageW(bar, PBM_SETMARQUEE, TRUE, 50));
  EXPECT_EQ(firstLit(), 1);
  Kx2ClockAdvance(49);
  usertest::Pump();
  EXPECT_EQ(firstLit(), 1);
  Kx2ClockAdvance(1);
  usertest::Pump();
  EXPECT_EQ(firstLit(), 11) << "one chunk and its gap on";
  EXPECT_TRUE(SendMessageW(bar, PBM_SETMARQUEE, FALSE, 0));
  Kx2ClockAdvance(200);
  usertest::Pump();
  EXPECT_EQ(firstLit(), -1);
}

}  // namespace

// The "ScrollBar" control: its SBM_ messages behind SetScrollInfo and friends, tracking by
// mouse with auto-repeat on the test clock and thumb drags (WM_VSCROLL to the parent with
// the control in lParam), keys, size boxes, and probes of its classic look.
#include <cairo.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "comctl_test_support.h"
#include "kx2/Compositor.h"
#include "kx2/IdleHandler.h"
#include "user_test_support.h"

using comctltest::Canvas;

namespace {

struct Heard {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Heard> heard;
HBRUSH trackBrush = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_VSCROLL:
    case WM_HSCROLL:
      heard.push_back(Heard{message, wParam, lParam});
      return 0;
    case WM_SYSCOMMAND:
      heard.push_back(Heard{message, wParam, lParam});
      return 0;  // no sizing loop here
    case WM_CTLCOLORSCROLLBAR:
      heard.push_back(Heard{message, wParam, lParam});
      if (trackBrush) return reinterpret_cast<LRESULT>(trackBrush);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Steps run one per idle turn of the tracking loop; the handler goes when they are done.
struct Script {
  std::vector<std::function<void()>> steps;
  size_t next = 0;
  static BOOL Run(void* context) {
    auto* s = static_cast<Script*>(context);
    if (s->next < s->steps.size()) s->steps[s->next++]();
    return s->next < s->steps.size();
  }
  void Start() { Kx2SetIdleHandler(&Script::Run, this); }
};

class ScrollBarTest : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"ScrollOwner";
    RegisterClassW(&wc);
    heard.clear();
    trackBrush = nullptr;
    owner_ = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{100, 100, 500, 400}, 0, u"ScrollOwner");
  }
  void TearDown() override {
    Kx2SetIdleHandler(nullptr, nullptr);
    WindowTest::TearDown();
  }
  HWND Bar(DWORD style, RECT r) {
    return CreateWindowExW(0, WC_SCROLLBARW, u"", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, owner_, reinterpret_cast<HMENU>(3), nullptr, nullptr);
  }
  static std::vector<WORD> Requests(UINT message = WM_VSCROLL) {
    std::vector<WORD> out;
    for (const Heard& h : heard)
      if (h.message == message) out.push_back(LOWORD(h.wParam));
    return out;
  }
  // A press at a client point of the control, its loop run inside Pump.
  static void PressAt(HWND bar, POINT pt) {
    ClientToScreen(bar, &pt);
    Kx2InjectMouseMove(pt.x, pt.y);
    Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  }
  HWND owner_ = nullptr;
};

TEST_F(ScrollBarTest, ScrollInformationThroughTheControl) {
  HWND bar = Bar(SBS_VERT, RECT{0, 0, 16, 200});
  ASSERT_NE(bar, nullptr);
  int low = -1, high = -1;
  EXPECT_TRUE(GetScrollRange(bar, SB_CTL, &low, &high));
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 100) << "a new bar runs from 0 to 100";
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 10, 60, 20, 55, 0};
  EXPECT_EQ(SetScrollInfo(bar, SB_CTL, &si, TRUE), 41) << "the position stops where the page ends the range";
  EXPECT_EQ(SendMessageW(bar, SBM_SETPOS, 5, FALSE), 41);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 10);
  EXPECT_EQ(SendMessageW(bar, SBM_SETRANGE, 0, 30), 10) << "answers the old position";
  SCROLLINFO got{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &got));
  EXPECT_EQ(got.nMax, 30);
  EXPECT_EQ(got.nPage, 20u);
  EXPECT_EQ(got.nTrackPos, got.nPos) << "no drag: the track position is the position";
  SendMessageW(bar, SBM_SETRANGE, 0, 5);
  ASSERT_TRUE(GetScrollInfo(bar, SB_CTL, &got));
  EXPECT_EQ(got.nPage, 6u) << "the page shrinks to the range";
  EXPECT_EQ(got.nPos, 0);
  EXPECT_TRUE(EnableScrollBar(bar, SB_CTL, ESB_DISABLE_BOTH));
  EXPECT_FALSE(EnableScrollBar(bar, SB_CTL, ESB_DISABLE_BOTH)) << "nothing changed";
  SCROLLINFO bad{12, SIF_POS, 0, 0, 0, 1, 0};
  EXPECT_EQ(SendMessageW(bar, SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&bad)), 0);
  EXPECT_EQ(SendMessageW(bar, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(ScrollBarTest, ArrowRepeatsOnTheClockAndEndsOnRelease) {
  HWND bar = Bar(SBS_VERT, RECT{0, 0, 16, 200});
  const int arrow = GetSystemMetrics(SM_CXVSCROLL);
  int atOnce = -1, beforeDelay = -1, afterDelay = -1, afterRepeat = -1;
  auto lineDowns = [] {
    int n = 0;
    for (WORD r : Requests()) n += r == SB_LINEDOWN;
    return n;
  };
  Script script;
  script.steps = {
      [&] {
        atOnce = lineDowns();
        Kx2ClockAdvance(399);
      },
      [&] {
        beforeDelay = lineDowns();
        Kx2ClockAdvance(1);
      },
      [&] {
        afterDelay = lineDowns();
        Kx2ClockAdvance(50);
      },
      [&] {
        afterRepeat = lineDowns();
        Kx2InjectMouseButton(VK_LBUTTON, FALSE);
      },
  };
  script.Start();
  PressAt(bar, POINT{8, 200 - arrow / 2});
  usertest::Pump();
  EXPECT_EQ(atOnce, 1) << "at once";
  EXPECT_EQ(beforeDelay, 1);
  EXPECT_EQ(afterDelay, 2) << "again after 4/5 of the double-click time";
  EXPECT_EQ(afterRepeat, 3) << "then every tenth of it";
  ASSERT_FALSE(Requests().empty());
  EXPECT_EQ(Requests().back(), SB_ENDSCROLL);
  for (const Heard& h : heard) {
    if (h.message == WM_VSCROLL) {
      EXPECT_EQ(reinterpret_cast<HWND>(h.lParam), bar) << "lParam is the control";
    }
  }
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarTest, ThumbDragTracksWithoutTheOwnerAndLands) {
  HWND bar = Bar(SBS_HORZ, RECT{0, 0, 300, 16});
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0, 0};
  SetScrollInfo(bar, SB_CTL, &si, TRUE);
  const int arrow = GetSystemMetrics(SM_CXHSCROLL);
  const POINT thumb{arrow + 3, 8};
  int trackDuring = -1;
  COLORREF thumbFace = 0;
  Script script;
  script.steps = {
      [&] {
        POINT to{150, 8};
        ClientToScreen(bar, &to);
        Kx2InjectMouseMove(to.x, to.y);
      },
      [&] {
        SCROLLINFO now{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(bar, SB_CTL, &now);
        trackDuring = now.nTrackPos;
        Canvas canvas(300, 16);
        SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
        thumbFace = canvas.At(150, 8);
        Kx2InjectMouseButton(VK_LBUTTON, FALSE);
      },
  };
  script.Start();
  PressAt(bar, thumb);
  usertest::Pump();
  const auto requests = Requests(WM_HSCROLL);
  ASSERT_GE(requests.size(), 3u);
  EXPECT_EQ(requests[0], SB_THUMBTRACK);
  EXPECT_EQ(requests[requests.size() - 2], SB_THUMBPOSITION);
  EXPECT_EQ(requests.back(), SB_ENDSCROLL);
  EXPECT_GT(trackDuring, 40);
  EXPECT_LT(trackDuring, 60);
  EXPECT_EQ(thumbFace, GetSysColor(COLOR_3DFACE)) << "the thumb under the mouse though the owner kept the position";
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0) << "the owner decides the position";
}

TEST_F(ScrollBarTest, KeysSendRequestsAndEndScroll) {
  HWND bar = Bar(SBS_VERT | WS_TABSTOP, RECT{0, 0, 16, 200});
  SetFocus(bar);
  const struct {
    UINT key;
    WORD request;
  } table[] = {{VK_DOWN, SB_LINEDOWN}, {VK_LEFT, SB_LINEUP}, {VK_NEXT, SB_PAGEDOWN},
               {VK_PRIOR, SB_PAGEUP},  {VK_HOME, SB_TOP},    {VK_END, SB_BOTTOM}};
  for (const auto& row : table) {
    heard.clear();
    SendMessageW(bar, WM_KEYDOWN, row.key, 0);
    SendMessageW(bar, WM_KEYUP, row.key, 0);
    EXPECT_EQ(Requests(), (std::vector<WORD>{row.request, SB_ENDSCROLL})) << "key " << row.key;
  }
}

TEST_F(ScrollBarTest, ClassicLookAndTheParentsBrush) {
  HWND bar = Bar(SBS_HORZ, RECT{0, 0, 200, 16});
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0, 0};
  SetScrollInfo(bar, SB_CTL, &si, FALSE);
  HBRUSH green = CreateSolidBrush(RGB(0, 160, 0));
  trackBrush = green;
  Canvas canvas(200, 16);
  SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(150, 8), RGB(0, 160, 0)) << "the track in the parent's brush";
  EXPECT_EQ(canvas.At(1, 1), GetSysColor(COLOR_3DHILIGHT)) << "a raised arrow";
  auto glyphInk = [](const Canvas& c) {
    int n = 0;
    for (int x = 3; x < 13; ++x)
      for (int y = 3; y < 13; ++y) n += c.At(x, y) == GetSysColor(COLOR_BTNTEXT);
    return n;
  };
  EXPECT_GT(glyphInk(canvas), 4) << "the arrow's glyph";
  EXPECT_EQ(canvas.At(24, 8), GetSysColor(COLOR_3DFACE)) << "the thumb at the start";
  bool asked = false;
  for (const Heard& h : heard) asked |= h.message == WM_CTLCOLORSCROLLBAR && reinterpret_cast<HWND>(h.lParam) == bar;
  EXPECT_TRUE(asked);

  // Arrows disabled: greyed, and no thumb.
  EnableScrollBar(bar, SB_CTL, ESB_DISABLE_BOTH);
  Canvas off(200, 16);
  SendMessageW(bar, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(off.Dc()), PRF_CLIENT);
  EXPECT_EQ(glyphInk(off), 0);
  EXPECT_EQ(off.At(24, 8), RGB(0, 160, 0));
  trackBrush = nullptr;
  DestroyWindow(bar);
  DeleteObject(green);
}

TEST_F(ScrollBarTest, SizeBoxSizesItsParentAndAlignsItself) {
  HWND grip = Bar(SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN, RECT{0, 0, 400, 300});
  RECT r{};
  GetWindowRect(grip, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(r.bottom, 100 + 300) << "in the bottom-right corner";
  EXPECT_EQ(SendMessageW(grip, WM_GETDLGCODE, 0, 0), 0);
  SendMessageW(grip, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.back().message, static_cast<UINT>(WM_SYSCOMMAND));
  EXPECT_EQ(heard.back().wParam, static_cast<WPARAM>(SC_SIZE | 8));
  Canvas canvas(r.right - r.left, r.bottom - r.top);
  SendMessageW(grip, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  int shadow = 0;
  for (int x = 0; x < r.right - r.left; ++x)
    for (int y = 0; y < r.bottom - r.top; ++y) shadow += canvas.At(x, y) == GetSysColor(COLOR_3DSHADOW);
  EXPECT_GT(shadow, 4) << "the grip's lines";

  HWND bottom = Bar(SBS_HORZ | SBS_BOTTOMALIGN, RECT{0, 0, 200, 100});
  GetWindowRect(bottom, &r);
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYHSCROLL));
  EXPECT_EQ(r.bottom, 100 + 100);
}

// Bars at either end, in the middle, disabled, and a size grip, painted through WM_PAINT;
// the capture is written for a person.
TEST_F(ScrollBarTest, GalleryForAPerson) {
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 20, 0, 0};
  HWND top = Bar(SBS_HORZ, RECT{10, 10, 300, 26});
  SetScrollInfo(top, SB_CTL, &si, FALSE);
  si.nPos = 40;
  HWND middle = Bar(SBS_HORZ, RECT{10, 40, 300, 56});
  SetScrollInfo(middle, SB_CTL, &si, FALSE);
  HWND disabled = Bar(SBS_HORZ, RECT{10, 70, 300, 86});
  SetScrollInfo(disabled, SB_CTL, &si, FALSE);
  EnableScrollBar(disabled, SB_CTL, ESB_DISABLE_BOTH);
  si.nPos = 99;
  HWND vertical = Bar(SBS_VERT, RECT{320, 10, 336, 200});
  SetScrollInfo(vertical, SB_CTL, &si, FALSE);
  Bar(SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN, RECT{0, 0, 400, 300});
  UpdateWindow(owner_);
  usertest::Pump();
  cairo_surface_t* capture = Kx2CaptureWindow(owner_);
  ASSERT_NE(capture, nullptr);
  if (const char* dir = std::getenv("KX2_TEST_OUTPUT")) {
    const std::string path = std::string(dir) + "/user_scrollbars.png";
    Kx2WriteCapturePng(capture, std::u16string(path.begin(), path.end()).c_str());
  }
  cairo_surface_destroy(capture);
}

}  // namespace

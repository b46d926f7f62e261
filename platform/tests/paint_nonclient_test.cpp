// The classic frame's loops and keys: caption buttons pressed and released, scroll bars held
// and dragged, the caption dragged, moving and sizing by the keys, the window menu keys, scroll information and UI
// state. Input is scripted through the idle handler, time through the test clock.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "kx2/Clock.h"
#include "kx2/Compositor.h"
#include "kx2/IdleHandler.h"
#include "kx2/InputState.h"
#include "user_test_support.h"
#include "win/gdi.h"
#include "win/menu.h"

namespace {

using usertest::Journal;
using usertest::MessagesOf;
using usertest::Pump;

// Steps run one per idle turn of a modal loop; the handler goes when they are done.
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

class NonClientTest : public usertest::WindowTest {
 protected:
  void TearDown() override {
    Kx2SetIdleHandler(nullptr, nullptr);
    WindowTest::TearDown();
  }
  // Presses the left button at a screen point; the frame's loop runs inside Pump.
  static void PressAt(POINT pt) {
    Kx2InjectMouseMove(pt.x, pt.y);
    Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  }
  std::vector<std::pair<UINT, WPARAM>> Commands(HWND w, UINT message) {
    std::vector<std::pair<UINT, WPARAM>> out;
    for (const auto& e : Journal())
      if (e.hwnd == w && e.message == message) out.emplace_back(e.message, e.wParam);
    return out;
  }
};

TEST_F(NonClientTest, CloseButtonActsOnlyWhenReleasedOverIt) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{100, 100, 400, 300});
  Pump();
  const int frame = GetSystemMetrics(SM_CXFRAME), button = GetSystemMetrics(SM_CXSIZE);
  const POINT close{400 - frame - 2 - button / 2, 100 + frame + GetSystemMetrics(SM_CYCAPTION) / 2};
  ASSERT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(close.x, close.y)), HTCLOSE);
  COLORREF whilePressed = 0, afterLeaving = 0;
  const int edgeX = 400 - 100 - frame - 2 - button + 2, edgeY = frame + 2;  // the button's top-left edge
  Script script;
  script.steps = {
      [&] {
        cairo_surface_t* c = Kx2CaptureWindow(w);
        const auto* row = cairo_image_surface_get_data(c) + edgeY * cairo_image_surface_get_stride(c);
        whilePressed = reinterpret_cast<const uint32_t*>(row)[edgeX] & 0xFFFFFF;
        cairo_surface_destroy(c);
        Kx2InjectMouseMove(250, 200);
      },
      [&] {
        cairo_surface_t* c = Kx2CaptureWindow(w);
        const auto* row = cairo_image_surface_get_data(c) + edgeY * cairo_image_surface_get_stride(c);
        afterLeaving = reinterpret_cast<const uint32_t*>(row)[edgeX] & 0xFFFFFF;
        cairo_surface_destroy(c);
        Kx2InjectMouseButton(VK_LBUTTON, FALSE);
      },
  };
  script.Start();
  Journal().clear();
  PressAt(close);
  Pump();
  EXPECT_TRUE(IsWindow(w));
  EXPECT_TRUE(Commands(w, WM_SYSCOMMAND).empty());
  auto pixel = [](int colour) {
    const COLORREF c = GetSysColor(colour);
    return (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
  };
  EXPECT_EQ(whilePressed, pixel(COLOR_3DSHADOW)) << "sunken while held over it";
  EXPECT_EQ(afterLeaving, pixel(COLOR_3DLIGHT)) << "raised again once the mouse left";
  EXPECT_EQ(GetCapture(), nullptr);

  // Released over it: the close command, and the window goes.
  Script again;
  again.steps = {[] { Kx2InjectMouseButton(VK_LBUTTON, FALSE); }};
  again.Start();
  PressAt(close);
  Pump();
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(NonClientTest, ScrollArrowRepeatsOnTheClockAndEndsOnRelease) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE, nullptr, RECT{100, 100, 400, 300});
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE, 0, 100, 10, 0, 0};
  SetScrollInfo(w, SB_VERT, &si, TRUE);
  Pump();
  const int frame = GetSystemMetrics(SM_CXFRAME), bar = GetSystemMetrics(SM_CXVSCROLL);
  const POINT down{400 - frame - bar / 2, 300 - frame - bar / 2};
  auto lineDowns = [&] {
    int n = 0;
    for (const auto& c : Commands(w, WM_VSCROLL)) n += LOWORD(c.second) == SB_LINEDOWN;
    return n;
  };
  int atOnce = -1, afterDelay = -1;
  Script script;
  script.steps = {
      [&] {
        atOnce = lineDowns();
        Kx2ClockAdvance(399);
      },
      [&] { Kx2ClockAdvance(1); },
      [&] {
        afterDelay = lineDowns();
        Kx2InjectMouseButton(VK_LBUTTON, FALSE);
      },
  };
  script.Start();
  Journal().clear();
  PressAt(down);
  Pump();
  EXPECT_EQ(atOnce, 1);
  EXPECT_EQ(afterDelay, 2);
  const auto commands = Commands(w, WM_VSCROLL);
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(LOWORD(commands.back().second), SB_ENDSCROLL);
  // For a person: the frame with its bar, thumb at the top.
  if (const char* dir = std::getenv("KX2_TEST_OUTPUT")) {
    const std::string path = std::string(dir) + "/paint_scrollbar.png";
    cairo_surface_t* capture = Kx2CaptureWindow(w);
    Kx2WriteCapturePng(capture, std::u16string(path.begin(), path.end()).c_str());
    cairo_surface_destroy(capture);
  }
}

TEST_F(NonClientTest, ThumbDragTracksThenLands) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE, nullptr, RECT{100, 100, 400, 400});
  SCROLLINFO si{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 10, 0, 0};
  SetScrollInfo(w, SB_VERT, &si, TRUE);
  Pump();
  const int frame = GetSystemMetrics(SM_CXFRAME), bar = GetSystemMetrics(SM_CXVSCROLL);
  RECT client;
  GetClientRect(w, &client);
  POINT top{0, 0};
  ClientToScreen(w, &top);
  const POINT thumb{400 - frame - bar / 2, top.y + bar + 3};  // just below the up arrow
  ASSERT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(thumb.x, thumb.y)), HTVSCROLL);
  int trackPos = -1;
  Script script;
  script.steps = {
      [&] { Kx2InjectMouseMove(thumb.x, thumb.y + client.bottom / 2); },
      [&] {
        SCROLLINFO now{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(w, SB_VERT, &now);
        trackPos = now.nTrackPos;
        Kx2InjectMouseButton(VK_LBUTTON, FALSE);
      },
  };
  script.Start();
  Journal().clear();
  PressAt(thumb);
  Pump();
  const auto commands = Commands(w, WM_VSCROLL);
  ASSERT_GE(commands.size(), 3u);
  EXPECT_EQ(LOWORD(commands[0].second), SB_THUMBTRACK);
  EXPECT_GT(HIWORD(commands[0].second), 30);
  EXPECT_EQ(trackPos, HIWORD(commands[0].second));
  EXPECT_EQ(LOWORD(commands[commands.size() - 2].second), SB_THUMBPOSITION);
  EXPECT_EQ(LOWORD(commands.back().second), SB_ENDSCROLL);
}

TEST_F(NonClientTest, CaptionDragMovesTheWindow) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{100, 100, 400, 300});
  Pump();
  const POINT caption{200, 100 + GetSystemMetrics(SM_CYFRAME) + 5};
  ASSERT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(caption.x, caption.y)), HTCAPTION);
  Script script;
  script.steps = {[&] { Kx2InjectMouseMove(caption.x + 30, caption.y + 20); },
                  [] { Kx2InjectMouseButton(VK_LBUTTON, FALSE); }};
  script.Start();
  PressAt(caption);
  Pump();
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 130);
  EXPECT_EQ(r.top, 120);
  EXPECT_EQ(r.right - r.left, 300);
}

TEST_F(NonClientTest, WindowMenuMoveAndSizeGoByTheKeys) {
  struct Case {
    const char* what;
    WPARAM command;
    std::vector<UINT> keys;
    RECT expected;
  };
  // Steps of 8 pixels; sizing takes its edge from the first arrow and a corner from a
  // second one across it before anything moves.
  const std::vector<Case> cases = {
      {"move", SC_MOVE, {VK_RIGHT, VK_RIGHT, VK_DOWN, VK_RETURN}, {116, 108, 416, 308}},
      {"move cancelled", SC_MOVE, {VK_LEFT, VK_UP, VK_ESCAPE}, {100, 100, 400, 300}},
      {"right edge", SC_SIZE, {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_LEFT, VK_RETURN}, {100, 100, 408, 300}},
      {"top-left corner", SC_SIZE, {VK_LEFT, VK_UP, VK_LEFT, VK_UP, VK_UP, VK_RETURN}, {92, 84, 400, 300}},
      {"size cancelled", SC_SIZE, {VK_DOWN, VK_DOWN, VK_ESCAPE}, {100, 100, 400, 300}},
  };
  for (const Case& c : cases) {
    HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{100, 100, 400, 300});
    SetFocus(w);
    Pump();
    Script script;
    for (UINT key : c.keys)
      script.steps.push_back([key] {
        Kx2InjectKey(key, TRUE);
        Kx2InjectKey(key, FALSE);
      });
    script.Start();
    SendMessageW(w, WM_SYSCOMMAND, c.command, 0);
    Kx2SetIdleHandler(nullptr, nullptr);
    EXPECT_NE(GetCapture(), w) << c.what;
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r.left, c.expected.left) << c.what;
    EXPECT_EQ(r.top, c.expected.top) << c.what;
    EXPECT_EQ(r.right, c.expected.right) << c.what;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.what;
    const std::vector<UINT> seen = MessagesOf(w);
    EXPECT_NE(std::find(seen.begin(), seen.end(), UINT(WM_EXITSIZEMOVE)), seen.end()) << c.what;
    DestroyWindow(w);
  }
}

TEST_F(NonClientTest, AltAndF10AskForTheWindowMenu) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{100, 100, 400, 300});
  SetActiveWindow(w);
  SetFocus(w);
  Pump();
  // Each key asks for the window menu, whose run the idle handler ends at once.
  Kx2SetIdleHandler([](void*) -> BOOL { return EndMenu(); }, nullptr);
  auto keyMenus = [&] {
    std::vector<LPARAM> out;
    for (const auto& e : Journal())
      if (e.hwnd == w && e.message == WM_SYSCOMMAND && (e.wParam & 0xFFF0) == SC_KEYMENU) out.push_back(e.lParam);
    return out;
  };
  const struct {
    std::vector<std::pair<UINT, bool>> keys;
    std::vector<LPARAM> expected;
    const char* what;
  } cases[] = {
      {{{VK_MENU, true}, {VK_MENU, false}}, {0}, "Alt alone"},
      {{{VK_F10, true}, {VK_F10, false}}, {0}, "F10"},
      {{{VK_MENU, true}, {'F', true}, {'F', false}, {VK_MENU, false}}, {'f'}, "Alt+F"},
      {{{VK_MENU, true}, {VK_SPACE, true}, {VK_SPACE, false}, {VK_MENU, false}}, {' '}, "Alt+Space"},
      {{{VK_MENU, true}, {VK_SHIFT, true}, {VK_SHIFT, false}, {VK_MENU, false}}, {}, "Alt with another key"},
  };
  for (const auto& c : cases) {
    Journal().clear();
    for (const auto& [vk, down] : c.keys) {
      Kx2InjectKey(vk, down);
      Pump();
    }
    EXPECT_EQ(keyMenus(), c.expected) << c.what;
  }
}

TEST_F(NonClientTest, ScrollInformationIsKeptInRangeAndShowsTheBar) {
  HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{100, 100, 400, 300});
  SCROLLINFO none{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  EXPECT_FALSE(GetScrollInfo(w, SB_VERT, &none)) << "no bar and nothing set";
  const struct {
    UINT mask;
    int min, max;
    UINT page;
    int pos;
    int expectedPos;
    UINT expectedPage;
    bool shown;
  } cases[] = {
      {SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 50, 50, 10, true},
      {SIF_POS, 0, 0, 0, 500, 91, 10, true},  // the page leaves 91 as the last position
      {SIF_POS, 0, 0, 0, -5, 0, 10, true},
      {SIF_PAGE, 0, 0, 500, 0, 0, 101, false},  // a page larger than the range: nothing to scroll
      {SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL, 0, 5, 10, 0, 0, 6, true},
  };
  for (const auto& c : cases) {
    SCROLLINFO si{sizeof(SCROLLINFO), c.mask, c.min, c.max, c.page, c.pos, 0};
    EXPECT_EQ(SetScrollInfo(w, SB_VERT, &si, TRUE), c.expectedPos);
    SCROLLINFO got{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(w, SB_VERT, &got));
    EXPECT_EQ(got.nPos, c.expectedPos);
    EXPECT_EQ(got.nPage, c.expectedPage);
    EXPECT_EQ((GetWindowLongW(w, GWL_STYLE) & WS_VSCROLL) != 0, c.shown) << c.mask;
  }
  int lo = -1, hi = -1;
  SetScrollRange(w, SB_HORZ, 0, 20, TRUE);
  EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_HSCROLL) << "a range that scrolls shows the bar";
  EXPECT_TRUE(GetScrollRange(w, SB_HORZ, &lo, &hi));
  EXPECT_EQ(hi, 20);
  EXPECT_EQ(SetScrollPos(w, SB_HORZ, 3, FALSE), 0);
  EXPECT_EQ(GetScrollPos(w, SB_HORZ), 3);
  ShowScrollBar(w, SB_HORZ, FALSE);
  EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_HSCROLL);
}

int g_helpCtrlId = -1;
HWND g_helpWindow = nullptr;

LRESULT CALLBACK HelpProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HELP) {
    const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
    g_helpCtrlId = info->iCtrlId;
    g_helpWindow = static_cast<HWND>(info->hItemHandle);
    return TRUE;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(NonClientTest, ContextHelpModeSendsHelpForTheWindowClicked) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &HelpProc;
  wc.lpszClassName = u"HelpTarget";
  RegisterClassW(&wc);
  HWND w = Make(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, nullptr, RECT{100, 100, 400, 300}, WS_EX_CONTEXTHELP);
  HWND child = Make(WS_CHILD | WS_VISIBLE, w, RECT{10, 10, 60, 40}, 0, u"HelpTarget", 77);
  Pump();
  POINT inside{20, 20};
  ClientToScreen(w, &inside);
  Script script;
  script.steps = {[&] { Kx2InjectClick(inside.x, inside.y, VK_LBUTTON); }};
  script.Start();
  g_helpCtrlId = -1;
  SendMessageW(w, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
  EXPECT_EQ(g_helpCtrlId, 77);
  EXPECT_EQ(g_helpWindow, child);
  EXPECT_EQ(GetCapture(), nullptr);
  Pump();
}

TEST_F(NonClientTest, UiStateGoesFromTheTopDown) {
  HWND top = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{100, 100, 400, 300});
  HWND child = Make(WS_CHILD | WS_VISIBLE, top, RECT{10, 10, 50, 50});
  HWND grandchild = Make(WS_CHILD | WS_VISIBLE, child, RECT{1, 1, 20, 20});
  SendMessageW(grandchild, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
  EXPECT_EQ(SendMessageW(top, WM_QUERYUISTATE, 0, 0), UISF_HIDEFOCUS | UISF_HIDEACCEL);
  EXPECT_EQ(SendMessageW(grandchild, WM_QUERYUISTATE, 0, 0), UISF_HIDEFOCUS | UISF_HIDEACCEL);
  SendMessageW(child, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
  EXPECT_EQ(SendMessageW(grandchild, WM_QUERYUISTATE, 0, 0), UISF_HIDEFOCUS);
}

}  // namespace

// Where pop-up menus go: the alignment flags, the monitor's edges (a monitor left of the
// primary one included), a sub-menu that has no room on the right and its own sub-menus,
// and a menu bar near the bottom of the screen.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>
#include <vector>

#include "kx2/IdleHandler.h"
#include "kx2/InputState.h"
#include "user_test_support.h"
#include "win/menu.h"

namespace {

using usertest::Pump;

struct Steps {
  std::vector<std::function<void()>> list;
  size_t next = 0;
  static BOOL Run(void* context) {
    auto* s = static_cast<Steps*>(context);
    if (s->next < s->list.size()) s->list[s->next++]();
    return s->next < s->list.size();
  }
};

// The visible pop-up windows, first opened first.
std::vector<RECT> PopupRects() {
  std::vector<RECT> out;
  for (HWND h = FindWindowW(u"#32768", nullptr); h; h = FindWindowExW(nullptr, h, u"#32768", nullptr)) {
    RECT r{};
    if (IsWindowVisible(h) && GetWindowRect(h, &r)) out.insert(out.begin(), r);
  }
  return out;
}

class MenuPlacementTest : public usertest::WindowTest {
 protected:
  void TearDown() override {
    Kx2SetIdleHandler(nullptr, nullptr);
    unsetenv("KX2_MONITORS");
    for (HMENU m : menus_) DestroyMenu(m);
    WindowTest::TearDown();
  }
  HWND Owner(RECT r = RECT{100, 100, 500, 400}) {
    HWND w = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, r);
    SetActiveWindow(w);
    SetFocus(w);
    Pump();
    return w;
  }
  // A chain of pop-ups, each item "Deeper" opening the next.
  HMENU Chain(int depth) {
    HMENU inner = nullptr;
    for (int i = 0; i < depth; ++i) {
      HMENU m = CreatePopupMenu();
      AppendMenuW(m, MF_STRING, 100 + static_cast<UINT_PTR>(i), u"A fairly long item text");
      if (inner) AppendMenuW(m, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), u"Deeper");
      inner = m;
    }
    menus_.push_back(inner);
    return inner;
  }
  // Tracks `menu` at (x, y) and returns the pop-up rectangles seen after `keys`.
  std::vector<RECT> Shown(HWND w, HMENU menu, int x, int y, UINT flags, std::vector<UINT> keys = {},
                          const RECT* exclude = nullptr) {
    std::vector<RECT> seen;
    Steps steps;
    for (UINT k : keys) steps.list.push_back([k] { Kx2InjectKeyStroke(k); });
    steps.list.push_back([&] {
      seen = PopupRects();
      EndMenu();
    });
    Kx2SetIdleHandler(&Steps::Run, &steps);
    TPMPARAMS params{sizeof(TPMPARAMS), exclude ? *exclude : RECT{}};
    TrackPopupMenuEx(menu, flags | TPM_RETURNCMD, x, y, w, exclude ? &params : nullptr);
    Kx2SetIdleHandler(nullptr, nullptr);
    return seen;
  }
  std::vector<HMENU> menus_;
};

TEST_F(MenuPlacementTest, AlignmentFlagsAndTheScreenEdges) {
  HWND w = Owner();
  HMENU menu = Chain(1);
  const RECT at = Shown(w, menu, 300, 300, 0).at(0);
  const LONG width = at.right - at.left, height = at.bottom - at.top;
  EXPECT_EQ(at.left, 300);
  EXPECT_EQ(at.top, 300);
  const struct {
    int x, y;
    UINT flags;
    LONG left, top;
    const char* what;
  } cases[] = {
      {300, 300, TPM_RIGHTALIGN | TPM_BOTTOMALIGN, 300 - width, 300 - height, "right and bottom aligned"},
      {300, 300, TPM_CENTERALIGN | TPM_VCENTERALIGN, 300 - width / 2, 300 - height / 2, "centred"},
      {1270, 300, 0, 1270 - width, 300, "no room on the right: to the left of the point"},
      {300, 1020, 0, 300, 1020 - height, "no room below: above the point"},
      {1279, 1023, TPM_CENTERALIGN, 1280 - width, 1023 - height, "centred against the edge: flush"},
      {5, 5, TPM_RIGHTALIGN, 5, 5, "no room on the left: right of the point"},
  };
  for (const auto& c : cases) {
    const RECT r = Shown(w, menu, c.x, c.y, c.flags).at(0);
    EXPECT_EQ(r.left, c.left) << c.what;
    EXPECT_EQ(r.top, c.top) << c.what;
  }
  // Pushed back from the bottom, the pop-up keeps clear of the exclusion rectangle. The
  // point sits low enough that no menu font leaves it room below.
  const RECT keepClear{250, 980, 400, 1020};
  const RECT r = Shown(w, menu, 300, 1015, 0, {}, &keepClear).at(0);
  EXPECT_EQ(r.bottom, keepClear.top);
}

TEST_F(MenuPlacementTest, SubmenusTurnLeftAndStayThere) {
  HWND w = Owner();
  HMENU menu = Chain(3);
  // Far right: the second level has no room on the right and goes left; the third
  // follows it while there is room on the left.
  const std::vector<RECT> rects = Shown(w, menu, 1279 - 200, 200, 0, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RIGHT});
  ASSERT_EQ(rects.size(), 3u);
  EXPECT_LT(rects[1].left, rects[0].left);
  EXPECT_LT(rects[2].left, rects[1].left);
  for (const RECT& r : rects) EXPECT_LE(r.right, 1280);
}

TEST_F(MenuPlacementTest, PopupsStayOnAMonitorLeftOfThePrimary) {
  setenv("KX2_MONITORS", "1280x1024+0+0,800x600-800+0", 1);
  HWND w = Owner(RECT{-700, 100, -300, 400});
  HMENU menu = Chain(2);
  const std::vector<RECT> rects = Shown(w, menu, -60, 150, 0, {VK_DOWN, VK_DOWN, VK_RIGHT});
  ASSERT_EQ(rects.size(), 2u);
  for (const RECT& r : rects) {
    EXPECT_GE(r.left, -800);
    EXPECT_LE(r.right, 0) << "on the left monitor";
  }
}

TEST_F(MenuPlacementTest, AMenuBarNearTheBottomOpensAbove) {
  HMENU file = CreatePopupMenu();
  for (int i = 0; i < 6; ++i) AppendMenuW(file, MF_STRING, 10 + static_cast<UINT_PTR>(i), u"Item");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
  HWND w = Owner(RECT{100, 960, 500, 1024});
  SetMenu(w, bar);
  Pump();
  RECT item{};
  ASSERT_TRUE(GetMenuItemRect(w, bar, 0, &item));
  std::vector<RECT> seen;
  Steps steps;
  steps.list = {[] { Kx2InjectKeyStroke(VK_DOWN); },
                [&] {
                  seen = PopupRects();
                  EndMenu();
                }};
  Kx2SetIdleHandler(&Steps::Run, &steps);
  Kx2InjectKeyStroke(VK_MENU);
  Pump();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_LE(seen[0].bottom, item.top + 1) << "above the bar item";
  EXPECT_EQ(seen[0].left, item.left);
}

}  // namespace

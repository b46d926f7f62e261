// The scroll-bar tracking loop driven by injected input and the test clock through the
// idle handler: arrow repeat timing and pausing, page repeat stopping under the pointer,
// thumb drags that snap back and resume, and SB_ENDSCROLL closing every loop.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <kx2/Clock.h>
#include <kx2/IdleHandler.h>
#include <kx2/InputState.h>
#include <win/user_input.h>
#include <win/user_message.h>

#include "frame_fixture.h"
#include "ornatex/controls/scroll_bar.h"

namespace {

struct Notification {
  int code;
  int pos;
  ULONGLONG time;
  bool operator==(const Notification&) const = default;
};

std::vector<Notification>& Log() {
  static std::vector<Notification> log;
  return log;
}

// Records WM_VSCROLL and moves the position for line and page commands, as an owner does.
LRESULT CALLBACK Owner(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_VSCROLL) {
    const int code = LOWORD(wParam);
    Log().push_back({code, static_cast<short>(HIWORD(wParam)), Kx2ClockNow()});
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd, SB_VERT, &si);
    const int step = code == SB_LINEDOWN ? 1 : code == SB_PAGEDOWN ? static_cast<int>(si.nPage) : 0;
    if (step) {
      si.fMask = SIF_POS;
      si.nPos += step;
      SetScrollInfo(hwnd, SB_VERT, &si, FALSE);
    }
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class ScrollBarTracking : public ::testing::Test {
 protected:
  void SetUp() override {
    Log().clear();
    Kx2ResetInput();
    Kx2ClockSetManual(TRUE, 100000);
    frame_ = std::make_unique<frame_test::TestFrame>(nullptr, WS_POPUP | WS_VSCROLL | WS_VISIBLE, 0, 200, 240);
    window_ = frame_->FrameWindow();
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Owner));
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 99, 10, 0, 0};
    SetScrollInfo(window_, SB_VERT, &si, FALSE);
    bar_ = &frame_->m_scrollBars[KTK_SB_VERT];
    bar_->nKind = KTK_SB_VERT;
    bar_->bVertical = TRUE;
    bar_->bShown = TRUE;
    KtkScrollBarLayout(frame_.get(), bar_);
    GetWindowRect(window_, &box_);
    start_ = Kx2ClockNow();
  }
  void TearDown() override {
    Kx2SetIdleHandler(nullptr, nullptr);
    frame_.reset();
    Kx2ResetInput();
    Kx2ClockSetManual(FALSE, 0);
  }
  // A point of the bar (window coordinates) on the screen.
  POINT Screen(int x, int y) const { return POINT{box_.left + x, box_.top + y}; }
  int MidX() const { return (bar_->rcBar.left + bar_->rcBar.right) / 2; }

  // Presses at a point of the bar and runs the loop; each idle call plays the next step,
  // and when they run out the button goes up.
  void Press(int x, int y, std::vector<std::function<void()>> steps, BOOL shift = FALSE) {
    steps_ = std::move(steps);
    next_ = 0;
    const POINT s = Screen(x, y);
    // The press reaches the window already holding the capture, as the loop will.
    SetCapture(window_);
    Kx2InjectMouseMove(s.x, s.y);
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Kx2InjectMouseButton(VK_LBUTTON, TRUE);
    Kx2SetThreadKeyState(VK_LBUTTON, 0x80);
    Kx2SetIdleHandler(&Play, this);
    KtkScrollBarStartTracking(frame_.get(), POINT{x, y}, bar_, shift);
    Kx2SetIdleHandler(nullptr, nullptr);
    EXPECT_EQ(frame_->m_pScrollTracking, nullptr);
    EXPECT_EQ(bar_->nHitCode, 0);
  }
  static BOOL Play(void* context) {
    auto* self = static_cast<ScrollBarTracking*>(context);
    if (self->next_ < self->steps_.size())
      self->steps_[self->next_++]();
    else if (self->next_++ == self->steps_.size())
      Kx2InjectMouseButton(VK_LBUTTON, FALSE);
    return TRUE;
  }
  std::function<void()> Advance(ULONGLONG ms) const {
    return [ms] { Kx2ClockAdvance(ms); };
  }
  std::function<void()> Move(int x, int y) const {
    const POINT s = Screen(x, y);
    return [s] { Kx2InjectMouseMove(s.x, s.y); };
  }
  std::function<void()> Release() const {
    return [] { Kx2InjectMouseButton(VK_LBUTTON, FALSE); };
  }
  Notification At(int code, int pos, ULONGLONG after) const { return Notification{code, pos, start_ + after}; }

  std::unique_ptr<frame_test::TestFrame> frame_;
  HWND window_ = nullptr;
  ScrollBarPosInfo* bar_ = nullptr;
  RECT box_{};
  ULONGLONG start_ = 0;
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
};

TEST_F(ScrollBarTracking, ArrowRepeatsAfterTheFirstDelayThenEveryTenthAndPausesOffTheArrow) {
  const ULONGLONG first = 4 * GetDoubleClickTime() / 5, then = GetDoubleClickTime() / 10;
  const int arrowY = bar_->nSecondArrowStart + 2;
  Press(MidX(), arrowY,
        {Advance(first - 1), Advance(1), Advance(then), Advance(then), Move(MidX(), bar_->nSecondArrowStart - 30),
         Advance(3 * then), Move(MidX(), arrowY), Advance(then), Release()});
  const ULONGLONG back = first + 5 * then;
  const std::vector<Notification> expected = {At(SB_LINEDOWN, 0, 0),
                                              At(SB_LINEDOWN, 0, first),
                                              At(SB_LINEDOWN, 0, first + then),
                                              At(SB_LINEDOWN, 0, first + 2 * then),
                                              At(SB_LINEDOWN, 0, back),  // at once on coming back
                                              At(SB_LINEDOWN, 0, back + then),
                                              At(SB_ENDSCROLL, 0, back + then)};
  EXPECT_EQ(Log(), expected);
}

TEST_F(ScrollBarTracking, PageRepeatStopsWhenTheThumbReachesThePointer) {
  const int y = 150;
  std::vector<std::function<void()>> steps;
  for (int i = 0; i < 40; ++i) steps.push_back(Advance(GetDoubleClickTime() / 5));
  Press(MidX(), y, steps);
  int pages = 0;
  for (const Notification& n : Log()) pages += n.code == SB_PAGEDOWN;
  // Each page moves the thumb; paging stops once its end has passed the pointer.
  SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
  GetScrollInfo(window_, SB_VERT, &si);
  EXPECT_EQ(si.nPos, 10 * pages);
  KtkScrollBarLayout(frame_.get(), bar_);
  EXPECT_GT(bar_->nThumbEnd, y);
  EXPECT_LE(bar_->nThumbStart, y);
  EXPECT_EQ(Log().back().code, SB_ENDSCROLL);
  EXPECT_GT(pages, 2);
}

TEST_F(ScrollBarTracking, ThumbDragSnapsBackWhenFarAndResumes) {
  const int grab = bar_->nThumbStart + 5;
  const int thickness = bar_->rcBar.right - bar_->rcBar.left;
  const int down = 40;
  const int dragged = KtkScrollBarPixelToPos(bar_, bar_->nThumbStart + down);
  ASSERT_GT(dragged, 0);
  Press(MidX(), grab,
        {Move(MidX(), grab + down), Move(bar_->rcBar.right + 8 * thickness + 1, grab + down),
         Move(bar_->rcBar.right + 8 * thickness - 1, grab + down), Release()});
  const std::vector<Notification> expected = {At(SB_THUMBTRACK, 0, 0),          At(SB_THUMBTRACK, dragged, 0),
                                              At(SB_THUMBTRACK, 0, 0),          At(SB_THUMBTRACK, dragged, 0),
                                              At(SB_THUMBPOSITION, dragged, 0), At(SB_ENDSCROLL, 0, 0)};
  EXPECT_EQ(Log(), expected);
}

TEST_F(ScrollBarTracking, ShiftClickOnThePageCentresTheThumbOnThePointer) {
  const int y = 120;
  Press(MidX(), y, {Release()}, TRUE);
  ASSERT_GE(Log().size(), 4u);
  EXPECT_EQ(Log()[0].code, SB_THUMBTRACK);
  EXPECT_EQ(Log()[1], At(SB_THUMBTRACK, KtkScrollBarPixelToPos(bar_, y - bar_->nThumbLength / 2), 0));
  EXPECT_EQ(Log()[Log().size() - 2].code, SB_THUMBPOSITION);
}

TEST_F(ScrollBarTracking, WholePageThumbCannotBeDragged) {
  SCROLLINFO si{sizeof si, SIF_PAGE, 0, 0, 100, 0, 0};
  SetScrollInfo(window_, SB_VERT, &si, FALSE);
  KtkScrollBarLayout(frame_.get(), bar_);
  ASSERT_EQ(bar_->nThumbStart, bar_->nTravelStart - 1);
  Press(MidX(), (bar_->nThumbStart + bar_->nThumbEnd) / 2, {});
  EXPECT_TRUE(Log().empty());
}

TEST_F(ScrollBarTracking, LoopCutShortStillEndsWithEndScroll) {
  const struct {
    const char* name;
    std::function<void()> cut;
    bool quit;
  } cases[] = {
      // Another message wakes the loop after the capture went.
      {"capture taken", [this] { ReleaseCapture(), PostMessageW(window_, WM_NULL, 0, 0); }, false},
      {"quit", [] { PostQuitMessage(7); }, true},
  };
  for (const auto& c : cases) {
    Log().clear();
    Press(MidX(), bar_->nThumbStart + 3, {Move(MidX(), bar_->nThumbStart + 33), c.cut});
    ASSERT_GE(Log().size(), 2u) << c.name;
    EXPECT_EQ(Log()[Log().size() - 2].code, SB_THUMBPOSITION) << c.name;
    EXPECT_EQ(Log().back().code, SB_ENDSCROLL) << c.name;
    Kx2InjectMouseButton(VK_LBUTTON, FALSE);
    MSG msg{};
    bool quitLeft = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      quitLeft |= msg.message == WM_QUIT;
      DispatchMessageW(&msg);
    }
    EXPECT_EQ(quitLeft, c.quit) << c.name;
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
    SetScrollInfo(window_, SB_VERT, &si, FALSE);
    KtkScrollBarLayout(frame_.get(), bar_);
  }
}

}  // namespace

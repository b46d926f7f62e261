// The progress bar, spin and status bar skin objects on the platform's real controls with a
// generated skin whose parts fill with one colour each: chunks from the low end to one pixel
// short of the content's edge, the marquee's steps per tick on the test clock, skins with
// nonsense chunk sizes, the spin's arrow states, and the status bar laid out again when the
// metrics change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <kx2/Clock.h>
#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/user.h>

#include "ornatex/controls/progress_object.h"
#include "ornatex/core/skin_manager.h"
#include "skin_folder.h"
#include "probe_canvas.h"

namespace {

constexpr COLORREF kFace = RGB(128, 128, 128);
constexpr COLORREF kChunk = RGB(0, 200, 0);
COLORREF SpinColour(int part, int state) { return RGB(40 * part, 50 * state, 90); }

std::u16string Colour(COLORREF c) { return ornatex_test::ProbeColourText(c); }

// A 32-bit memory DC to print a control into.
using Canvas = ornatex_test::ProbeCanvas;

class ProgressObject : public ::testing::Test {
 protected:
  void SetUp() override {
    manager_ = KtkSkinManager();
    ASSERT_NE(manager_, nullptr);
    Kx2ClockSetManual(TRUE, 1000);
    parent_ =
        CreateWindowExW(0, u"Static", u"p", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent_);
    manager_->RemoveSkin();
    Kx2ClockSetManual(FALSE, 0);
  }
  // A skin of the progress parts with the chunk and space the test gives, and the spin's.
  void Load(int chunk, int space) {
    std::vector<std::u16string> lines = {
        u"[Progress.1]",
        u"BgType = 1",
        u"BorderSize = 0",
        u"FillColor = " + Colour(kFace),
        u"[Progress.3]",
        u"BgType = 1",
        u"BorderSize = 0",
        u"FillColor = " + Colour(kChunk),
        u"[Progress]",
        u"2411:2 = " + Number(chunk),
        u"2412:2 = " + Number(space),
    };
    for (int part = 1; part <= 2; ++part)
      for (int state = 1; state <= 4; ++state) {
        lines.push_back(u"[Spin." + Number(part) + u"(" + Number(state) + u")]");
        lines.push_back(u"BgType = 1");
        lines.push_back(u"BorderSize = 0");
        lines.push_back(u"FillColor = " + Colour(SpinColour(part, state)));
      }
    skin_.Write(lines);
    ASSERT_TRUE(manager_->LoadSkin(skin_.Path().c_str(), u"skin.ini"));
  }
  static std::u16string Number(int n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
  }
  HWND Make(const char16_t* cls, DWORD style, int w, int h) {
    return CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, 0, 0, w, h, parent_, nullptr, nullptr, nullptr);
  }
  static void Print(HWND control, const Canvas& canvas) {
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc), PRF_CLIENT);
  }
  static void Pump() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }

  CKtkSkinManager* manager_ = nullptr;
  ornatex_test::SkinFolder skin_{"progressobjectskin"};
  HWND parent_ = nullptr;
};

TEST_F(ProgressObject, ChunksRunFromTheLowEndToOnePixelShortOfTheEdge) {
  Load(6, 2);
  HWND bar = Make(PROGRESS_CLASSW, 0, 100, 12);
  ASSERT_NE(dynamic_cast<CKtkSkinObjectProgress*>(manager_->Lookup(bar)), nullptr);
  SendMessageW(bar, PBM_SETRANGE32, 0, 100);
  {
    Canvas canvas(100, 12);
    Print(bar, canvas);
    for (int x = 0; x < 100; x += 5) ASSERT_EQ(canvas.At(x, 6), kFace) << "no chunk at the low end, x " << x;
  }
  SendMessageW(bar, PBM_SETPOS, 100, 0);
  Canvas canvas(100, 12);
  Print(bar, canvas);
  EXPECT_EQ(canvas.At(0, 6), kChunk);
  EXPECT_EQ(canvas.At(6, 6), kFace) << "the space after the first chunk";
  EXPECT_EQ(canvas.At(98, 6), kChunk) << "the last chunk reaches one short of the edge";
  EXPECT_EQ(canvas.At(99, 6), kFace) << "and stops there";
}

TEST_F(ProgressObject, NonsenseChunkSizesDrawOneContinuousBar) {
  Load(-5, -3);  // clamped to 0: no chunks, no spaces
  HWND bar = Make(PROGRESS_CLASSW, 0, 100, 12);
  SendMessageW(bar, PBM_SETRANGE32, 0, 10);
  SendMessageW(bar, PBM_SETPOS, 5, 0);
  Canvas canvas(100, 12);
  Print(bar, canvas);
  for (int x = 0; x < 50; ++x) ASSERT_EQ(canvas.At(x, 6), kChunk) << x;
  EXPECT_EQ(canvas.At(60, 6), kFace);
  // An empty range fills nothing.
  SendMessageW(bar, PBM_SETRANGE32, 7, 7);
  Canvas empty(100, 12);
  Print(bar, empty);
  EXPECT_EQ(empty.At(2, 6), kFace);
}

TEST_F(ProgressObject, MarqueeMovesTwoStepsPerTickUpTo50Milliseconds) {
  Load(6, 2);  // a step is 8 pixels
  for (const auto& [interval, steps] : {std::pair{50, 2}, std::pair{51, 1}}) {
    HWND bar = Make(PROGRESS_CLASSW, PBS_MARQUEE, 100, 12);
    auto* object = dynamic_cast<CKtkSkinObjectProgress*>(manager_->Lookup(bar));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(SendMessageW(bar, PBM_SETMARQUEE, TRUE, interval), 1);
    EXPECT_EQ(object->m_nMarqueeOffset, 0);
    Kx2ClockAdvance(interval);
    Pump();
    EXPECT_EQ(object->m_nMarqueeOffset, 8 * steps) << "interval " << interval;
    // Stepping by hand moves one step.
    EXPECT_EQ(SendMessageW(bar, PBM_STEPIT, 0, 0), 1);
    EXPECT_EQ(object->m_nMarqueeOffset, 8 * steps + 8);
    DestroyWindow(bar);
  }
}

TEST_F(ProgressObject, SpinArrowStates) {
  Load(6, 2);
  HWND spin = Make(UPDOWN_CLASSW, 0, 20, 40);
  auto* object = dynamic_cast<CKtkSkinObjectSpin*>(manager_->Lookup(spin));
  ASSERT_NE(object, nullptr);
  auto probe = [&](int part) {
    Canvas canvas(20, 40);
    Print(spin, canvas);
    return canvas.At(10, part == 1 ? 5 : 35);  // the up arrow above, the down arrow below
  };
  SendMessageW(spin, UDM_SETRANGE32, 5, 5);
  EXPECT_EQ(probe(1), SpinColour(1, 4)) << "an empty range: both arrows disabled";
  EXPECT_EQ(probe(2), SpinColour(2, 4));
  SendMessageW(spin, UDM_SETRANGE32, 0, 10);
  EXPECT_EQ(probe(1), SpinColour(1, 1));
  // Pressing the up arrow and sliding onto the down arrow: up hot, down normal.
  SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
  SendMessageW(spin, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 35));
  EXPECT_EQ(probe(1), SpinColour(1, 2));
  EXPECT_EQ(probe(2), SpinColour(2, 1));
  SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(10, 35));
  EXPECT_EQ(object->m_nPressedArrow, 0);
}

TEST_F(ProgressObject, StatusBarTakesItsHeightAgainWhenMetricsChange) {
  Load(6, 2);
  HWND status = Make(STATUSCLASSNAMEW, 0, 0, 0);
  auto* object = dynamic_cast<CKtkSkinObjectStatusBar*>(manager_->Lookup(status));
  ASSERT_NE(object, nullptr);
  RECT before{};
  GetWindowRect(status, &before);
  SetWindowPos(status, nullptr, 0, 0, 400, 3, SWP_NOMOVE | SWP_NOZORDER);
  object->RefreshMetrics();
  Pump();
  RECT after{};
  GetWindowRect(status, &after);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
}

}  // namespace

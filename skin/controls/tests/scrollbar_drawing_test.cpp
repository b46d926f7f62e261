// A whole scroll bar painted from the skin's "SCROLLBAR" parts, each part and state its own
// colour: disabled bars, the gripper's thresholds, hot and pressed pieces, hover arrows.
#include <gtest/gtest.h>

#include <string>

#include "frame_fixture.h"
#include "ornatex/controls/scroll_bar.h"

namespace {

using frame_test::Canvas;

COLORREF Color(int part, int state) { return RGB(part * 25, state * 12, 77); }

class ScrollBarDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::u16string> lines = {u"[Scrollbar]", u"BgType = 1", u"BorderSize = 0"};
    for (int part = 1; part <= 9; ++part)
      for (int state = 1; state <= 20; ++state) {
        const COLORREF c = Color(part, state);
        lines.push_back(u"[Scrollbar." + kx2::Utf8ToUtf16(std::to_string(part) + "(" + std::to_string(state) + ")]"));
        lines.push_back(u"FillColor = " +
                        kx2::Utf8ToUtf16(std::to_string(GetRValue(c)) + ", " + std::to_string(GetGValue(c)) + ", " +
                                         std::to_string(GetBValue(c))));
      }
    lines_ = lines;
    schema_ = skin_.Load(lines_);
    frame_ = std::make_unique<frame_test::TestFrame>(schema_, WS_POPUP, 0, 100, 300);
  }
  ScrollBarPosInfo Bar(bool vertical, int min, int max, UINT page, int pos, RECT rect) {
    ScrollBarPosInfo info;
    info.bVertical = vertical;
    info.bShown = TRUE;
    info.nKind = vertical ? KTK_SB_VERT : KTK_SB_HORZ;
    KtkScrollBarLayoutFrom(&info, rect, SCROLLINFO{sizeof(SCROLLINFO), SIF_ALL, min, max, page, pos, 0}, 17);
    return info;
  }
  // Places the thumb of a vertical bar at 40 with this length.
  static void Thumb(ScrollBarPosInfo& info, int length) {
    info.nThumbStart = info.bVertical ? 40 : 60;
    info.nThumbEnd = info.nThumbStart + length;
  }
  frame_test::SkinFolder skin_;
  std::vector<std::u16string> lines_;
  CKtkSkinManagerSchema* schema_ = nullptr;
  std::unique_ptr<frame_test::TestFrame> frame_;
};

TEST_F(ScrollBarDrawing, DisabledBarHasNoThumbAndEveryPieceInItsDisabledState) {
  ScrollBarPosInfo bar = Bar(true, 0, 9, 10, 0, RECT{0, 0, 17, 200});  // nothing to scroll
  Canvas canvas(20, 200);
  schema_->DrawScrollBar(canvas.dc(), frame_.get(), &bar);
  EXPECT_EQ(canvas.At(8, 5), Color(1, 4));
  EXPECT_EQ(canvas.At(8, 195), Color(1, 8));
  EXPECT_EQ(canvas.At(8, 100), Color(7, 4));  // the whole track is the part after the thumb
  EXPECT_FALSE(canvas.Contains(RECT{0, 0, 17, 200}, Color(3, 4)));

  ScrollBarPosInfo horizontal = Bar(false, 0, 9, 10, 0, RECT{0, 0, 200, 17});
  Canvas wide(200, 20);
  schema_->DrawScrollBar(wide.dc(), frame_.get(), &horizontal);
  EXPECT_EQ(wide.At(5, 8), Color(1, 12));
  EXPECT_EQ(wide.At(195, 8), Color(1, 16));
  EXPECT_EQ(wide.At(100, 8), Color(5, 4));
}

TEST_F(ScrollBarDrawing, GripperFromThirteenPixelsUpOrNinePixelsAcross) {
  const struct {
    bool vertical;
    int thumb;
    bool gripper;
  } cases[] = {{true, 13, false}, {true, 14, true}, {false, 9, false}, {false, 10, true}};
  for (const auto& c : cases) {
    ScrollBarPosInfo bar =
        c.vertical ? Bar(true, 0, 99, 10, 0, RECT{0, 0, 17, 200}) : Bar(false, 0, 99, 10, 0, RECT{0, 0, 200, 17});
    Thumb(bar, c.thumb);
    Canvas canvas(200, 200);
    schema_->DrawScrollBar(canvas.dc(), frame_.get(), &bar);
    const POINT mid = c.vertical ? POINT{8, bar.nThumbStart + c.thumb / 2} : POINT{bar.nThumbStart + c.thumb / 2, 8};
    const int gripperPart = c.vertical ? 9 : 8, thumbPart = c.vertical ? 3 : 2;
    EXPECT_EQ(canvas.At(mid.x, mid.y), c.gripper ? Color(gripperPart, 1) : Color(thumbPart, 1))
        << c.vertical << " " << c.thumb;
  }
}

TEST_F(ScrollBarDrawing, HotAndPressedPieces) {
  ScrollBarPosInfo bar = Bar(true, 0, 99, 10, 0, RECT{0, 0, 17, 200});
  Canvas canvas(20, 200);
  bar.nHitCode = KTK_SBHT_SECONDARROW;  // hot: no tracking
  schema_->DrawScrollBar(canvas.dc(), frame_.get(), &bar);
  EXPECT_EQ(canvas.At(8, 195), Color(1, 6));
  EXPECT_EQ(canvas.At(8, 5), Color(1, 1));
  EXPECT_EQ(canvas.At(8, 100), Color(7, 1));

  frame_->m_pScrollTracking = std::make_unique<ScrollBarTrackInfo>();
  frame_->m_pScrollTracking->pPosInfo = &bar;
  bar.nHitCode = KTK_SBHT_PAGEAFTER;
  frame_->m_pScrollTracking->bPointerInside = TRUE;
  schema_->DrawScrollBar(canvas.dc(), frame_.get(), &bar);
  EXPECT_EQ(canvas.At(8, 100), Color(7, 3));
  frame_->m_pScrollTracking->bPointerInside = FALSE;  // pressed only while the pointer is on it
  schema_->DrawScrollBar(canvas.dc(), frame_.get(), &bar);
  EXPECT_EQ(canvas.At(8, 100), Color(7, 1));
  frame_->m_pScrollTracking.reset();
}

TEST_F(ScrollBarDrawing, HoverArrowsWhileThePointerIsOverTheBar) {
  lines_.push_back(u"[Scrollbar.1]");
  lines_.push_back(u"ImageCount = 20");
  CKtkSkinManagerSchema* hover = skin_.Load(lines_);
  frame_test::TestFrame frame(hover, WS_POPUP, 0, 100, 300);
  ScrollBarPosInfo bar = Bar(true, 0, 99, 10, 0, RECT{0, 0, 17, 200});
  bar.nHitCode = KTK_SBHT_THUMB;
  Canvas canvas(20, 200);
  hover->DrawScrollBar(canvas.dc(), &frame, &bar);
  EXPECT_EQ(canvas.At(8, 5), Color(1, 17));
  EXPECT_EQ(canvas.At(8, 195), Color(1, 18));
}

}  // namespace

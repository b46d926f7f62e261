// Window regions of skinned frames: transparent corners cut away, bands along transparent
// outer rows, rectangles where nothing is transparent, the cache by frame size and the
// temporary record of a window narrower than its caption's corners.
#include <gtest/gtest.h>

#include "frame_fixture.h"
#include "frame_region_record.h"
#include "ornatex/core/monitor_service.h"

namespace {

using frame_test::SkinFolder;
using frame_test::TestFrame;

constexpr COLORREF kKey = RGB(255, 0, 255), kFace = RGB(90, 90, 90);

class FrameRegion : public ::testing::Test {
 protected:
  // A 40 x 20 caption whose two top corners are rounded by a 3-pixel triangle of the key
  // colour, with 6-pixel corner margins; the sides and the bottom carry no key colour.
  CKtkSkinManagerSchema* Load(bool rounded, bool transparentTopRow = false) {
    skin_.Bmp("caption.bmp", 40, 20, [=](int x, int y) {
      if (transparentTopRow && y == 0) return kKey;
      if (rounded && (x + y < 3 || (39 - x) + y < 3)) return kKey;
      return kFace;
    });
    skin_.Solid("side.bmp", 4, 10, kFace);
    return skin_.Load({u"[SysMetrics]", u"CaptionBarHeight = 19", u"[Window]", u"ImageCount = 1", u"ImageLayout = 2",
                       u"[Window.1]", u"ImageFile = caption.bmp", u"SizingMargins = 6, 0, 6, 0", u"[Window.7]",
                       u"ImageFile = side.bmp", u"[Window.8]", u"ImageFile = side.bmp", u"[Window.9]",
                       u"ImageFile = side.bmp"});
  }
  static bool In(HRGN region, int x, int y) { return PtInRegion(region, x, y) != 0; }
  SkinFolder skin_;
};

TEST_F(FrameRegion, RoundedCaptionCornersAreCutAway) {
  CKtkSkinManagerSchema* schema = Load(true);
  TestFrame frame(schema, WS_POPUP | WS_CAPTION, 0, 200, 100);
  frame.m_rcBorders.top = 20;
  HRGN region = schema->BuildFrameRegion(&frame, 200, 100);
  ASSERT_NE(region, nullptr);
  EXPECT_FALSE(In(region, 0, 0));
  EXPECT_FALSE(In(region, 2, 0));
  EXPECT_FALSE(In(region, 0, 2));
  EXPECT_TRUE(In(region, 3, 0));
  EXPECT_TRUE(In(region, 1, 2));
  EXPECT_FALSE(In(region, 199, 0));  // the second corner sits at the window's right
  EXPECT_FALSE(In(region, 197, 0));
  EXPECT_TRUE(In(region, 196, 0));
  EXPECT_TRUE(In(region, 100, 0));
  EXPECT_TRUE(In(region, 199, 99));
  DeleteObject(region);
  EXPECT_EQ(schema->m_frameRegions.size(), 1u);
  // Another window of the same frame sizes uses the cached record.
  TestFrame wider(schema, WS_POPUP | WS_CAPTION, 0, 300, 100);
  wider.m_rcBorders = frame.m_rcBorders;
  region = schema->BuildFrameRegion(&wider, 300, 100);
  EXPECT_FALSE(In(region, 299, 0));
  EXPECT_TRUE(In(region, 296, 0));
  DeleteObject(region);
  EXPECT_EQ(schema->m_frameRegions.size(), 1u);
  schema->ReloadMetrics();
  EXPECT_TRUE(schema->m_frameRegions.empty());
}

TEST_F(FrameRegion, FrameWithoutTransparentPixelsGivesTheWindowRectangle) {
  CKtkSkinManagerSchema* schema = Load(false);
  TestFrame frame(schema, WS_POPUP | WS_CAPTION, 0, 120, 80);
  HRGN region = schema->BuildFrameRegion(&frame, 120, 80);
  HRGN rectangle = CreateRectRgn(0, 0, 120, 80);
  EXPECT_TRUE(EqualRgn(region, rectangle));
  DeleteObject(region);
  DeleteObject(rectangle);
}

TEST_F(FrameRegion, TransparentOuterRowsBecomeABand) {
  CKtkSkinManagerSchema* schema = Load(false, true);
  TestFrame frame(schema, WS_POPUP | WS_CAPTION, 0, 120, 80);
  HRGN region = schema->BuildFrameRegion(&frame, 120, 80);
  EXPECT_FALSE(In(region, 60, 0));
  EXPECT_FALSE(In(region, 0, 0));
  EXPECT_FALSE(In(region, 119, 0));
  EXPECT_TRUE(In(region, 60, 1));
  DeleteObject(region);
}

TEST_F(FrameRegion, WindowNarrowerThanTheCaptionCornersGetsAnUncachedRecord) {
  CKtkSkinManagerSchema* schema = Load(true);
  TestFrame frame(schema, WS_POPUP | WS_CAPTION, 0, 8, 60);
  frame.m_rcBorders.top = 20;
  HRGN region = schema->BuildFrameRegion(&frame, 8, 60);
  EXPECT_TRUE(schema->m_frameRegions.empty());
  EXPECT_FALSE(In(region, 0, 0));
  EXPECT_FALSE(In(region, 7, 0));
  EXPECT_TRUE(In(region, 4, 30));
  DeleteObject(region);
  // Once a wide window has cached the record, a narrow one still gets its own.
  TestFrame wide(schema, WS_POPUP | WS_CAPTION, 0, 200, 60);
  wide.m_rcBorders = frame.m_rcBorders;
  DeleteObject(schema->BuildFrameRegion(&wide, 200, 60));
  ASSERT_EQ(schema->m_frameRegions.size(), 1u);
  region = schema->BuildFrameRegion(&frame, 8, 60);
  EXPECT_FALSE(In(region, 7, 0));
  EXPECT_EQ(schema->m_frameRegions.size(), 1u);
  DeleteObject(region);
}

TEST_F(FrameRegion, MaximisedWindowIsCutToItsVisiblePart) {
  CKtkSkinManagerSchema* schema = Load(true);
  TestFrame frame(schema, WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZE, 0, 300, 200);
  const int b = frame.m_rcBorders.left;
  ASSERT_GT(b, 0);
  const RECT work = KtkMultiMonitor().GetWorkArea(frame.FrameWindow());
  ASSERT_NE(work.right - work.left, 300);
  HRGN region = schema->BuildFrameRegion(&frame, 300, 200);
  RECT box{};
  GetRgnBox(region, &box);
  EXPECT_EQ(box.left, b);
  EXPECT_EQ(box.top, b);
  EXPECT_EQ(box.right, 300 - b);
  EXPECT_EQ(box.bottom, 200 - b);
  DeleteObject(region);
}

}  // namespace

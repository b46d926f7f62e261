// The scroll-bar engine's geometry: arrows, thumb and travel from the scroll information,
// hit codes along the bar, and thumb pixels back to positions.
#include <gtest/gtest.h>

#include "ornatex/controls/scroll_bar.h"

namespace {

ScrollBarPosInfo Layout(RECT bar, int min, int max, UINT page, int pos, bool vertical = true, int arrow = 17) {
  ScrollBarPosInfo info;
  info.bVertical = vertical;
  info.bShown = TRUE;
  info.nKind = vertical ? KTK_SB_VERT : KTK_SB_HORZ;
  KtkScrollBarLayoutFrom(&info, bar, SCROLLINFO{sizeof(SCROLLINFO), SIF_ALL, min, max, page, pos, 0}, arrow);
  return info;
}

TEST(ScrollBarGeometry, LayoutCases) {
  const struct {
    const char* name;
    ScrollBarPosInfo info;
    int firstArrowEnd, secondArrowStart, thumbStart, thumbEnd, travelStart, travelLength;
  } cases[] = {
      {"top", Layout({0, 0, 17, 200}, 0, 99, 10, 0), 17, 183, 17, 34, 17, 149},
      {"bottom", Layout({0, 0, 17, 200}, 0, 99, 10, 90), 17, 183, 166, 183, 17, 149},
      {"middle", Layout({0, 0, 17, 200}, 0, 99, 10, 45), 17, 183, 92, 109, 17, 149},  // MulDiv rounds 74.5 up,
      // A page covering the whole range: the thumb starts one pixel early and fills it all.
      {"whole page", Layout({0, 0, 17, 200}, 0, 99, 100, 0), 17, 183, 16, 182, 17, 0},
      // A tiny page still gets a thumb of 16 pixels.
      {"tiny page", Layout({0, 0, 17, 200}, 0, 9999, 1, 0), 17, 183, 17, 33, 17, 150},
      // Shorter than two arrows: half the length each, no travel.
      {"short", Layout({0, 0, 17, 20}, 0, 99, 10, 0), 10, 10, 10, 26, 10, 0},
      {"horizontal", Layout({50, 300, 250, 317}, 0, 99, 10, 0, false), 67, 233, 67, 84, 67, 149},
      {"offset range", Layout({0, 0, 17, 200}, -50, 49, 10, -50), 17, 183, 17, 34, 17, 149},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.info.nFirstArrowEnd, c.firstArrowEnd) << c.name;
    EXPECT_EQ(c.info.nSecondArrowStart, c.secondArrowStart) << c.name;
    EXPECT_EQ(c.info.nThumbStart, c.thumbStart) << c.name;
    EXPECT_EQ(c.info.nThumbEnd, c.thumbEnd) << c.name;
    EXPECT_EQ(c.info.nTravelStart, c.travelStart) << c.name;
    EXPECT_EQ(c.info.nTravelLength, c.travelLength) << c.name;
  }
}

TEST(ScrollBarGeometry, HitCodesAlongTheBar) {
  ScrollBarPosInfo info = Layout({0, 0, 17, 200}, 0, 99, 10, 45);  // thumb 92..109
  const struct {
    POINT p;
    int code;
  } cases[] = {{{8, 0}, 60},   {{8, 16}, 60},  {{8, 17}, 62},  {{8, 91}, 62},  {{8, 92}, 64},
               {{8, 108}, 64}, {{8, 109}, 63}, {{8, 182}, 63}, {{8, 183}, 61}, {{8, 199}, 61},
               {{8, 200}, 0},  {{17, 100}, 0}, {{-1, 100}, 0}};
  for (const auto& c : cases) EXPECT_EQ(KtkScrollBarHitTest(&info, c.p), c.code) << c.p.x << "," << c.p.y;
  info.bShown = FALSE;
  EXPECT_EQ(KtkScrollBarHitTest(&info, POINT{8, 100}), 0);
}

TEST(ScrollBarGeometry, PixelToPosition) {
  const ScrollBarPosInfo paged = Layout({0, 0, 17, 200}, 0, 99, 10, 0);  // travel 17..166
  const ScrollBarPosInfo unpaged = Layout({0, 0, 17, 200}, 0, 99, 0, 0);
  EXPECT_EQ(KtkScrollBarPixelToPos(&paged, 0), 0);
  EXPECT_EQ(KtkScrollBarPixelToPos(&paged, 17), 0);
  EXPECT_EQ(KtkScrollBarPixelToPos(&paged, 17 + 74), 45);  // MulDiv(90, 74, 149)
  EXPECT_EQ(KtkScrollBarPixelToPos(&paged, 166), 90);      // the travel's end: the last page
  EXPECT_EQ(KtkScrollBarPixelToPos(&paged, 500), 90);
  EXPECT_EQ(KtkScrollBarPixelToPos(&unpaged, 500), 99);
}

}  // namespace

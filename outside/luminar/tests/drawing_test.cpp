#include "Canvas.h"

TEST(LuminarStroke, DashedLineAlternatesWhereThePatternSays) {
  Canvas canvas(200, 40);
  PenHolder pen;
  ASSERT_TRUE(NativeCreatePenWithColor(pen.h, 0xFF000000, 10));
  ASSERT_EQ(NativePenSetDashType(pen.h, 3), kNativeOk);  // Dash: 4 widths on, 3 off
  ASSERT_EQ(NativeRenderDrawLine(canvas.render, pen.h, 0, 20, 200, 20), kNativeOk);
  for (int x : {2, 20, 38, 72, 100, 142}) EXPECT_TRUE(canvas.Inked(x, 20)) << x;
  for (int x : {42, 55, 68, 112, 125, 138}) EXPECT_FALSE(canvas.Inked(x, 20)) << x;
  // The width of the line is 10 pixels across.
  EXPECT_TRUE(canvas.Inked(20, 15));
  EXPECT_FALSE(canvas.Inked(20, 14));
}

TEST(LuminarStroke, OutOfRangeValuesDrawAsPlainSolid) {
  Canvas canvas(60, 20);
  PenHolder pen;
  ASSERT_TRUE(NativeCreatePenWithColor(pen.h, 0xFF000000, 2));
  NativePenSetDashType(pen.h, 42);
  NativePenSetCompoundType(pen.h, -1);
  NativePenSetCapType(pen.h, 9);
  NativePenSetEndArrow(pen.h, 77, 3, 2);
  ASSERT_EQ(NativeRenderDrawLine(canvas.render, pen.h, 5, 10, 55, 10), kNativeOk);
  for (int x = 5; x < 55; ++x) ASSERT_TRUE(canvas.Inked(x, 10)) << x;
  EXPECT_FALSE(canvas.Inked(56, 10));
}

TEST(LuminarStroke, ArrowTipIsInkedAndTheLineDoesNotPassIt) {
  for (LONG type = 1; type <= 5; ++type) {
    Canvas canvas(80, 40);
    PenHolder pen;
    ASSERT_TRUE(NativeCreatePenWithColor(pen.h, 0xFF000000, 2));
    NativePenSetCapType(pen.h, 2);  // square caps would reach past the end
    ASSERT_EQ(NativePenSetEndArrow(pen.h, type, 4, 2), kNativeOk);
    ASSERT_EQ(NativeRenderDrawLine(canvas.render, pen.h, 5, 20.5f, 50, 20.5f), kNativeOk);
    EXPECT_TRUE(canvas.Inked(49, 20)) << "type " << type;
    for (int x = 50; x < 60; ++x)
      for (int y = 10; y < 30; ++y) ASSERT_FALSE(canvas.Inked(x, y)) << "type " << type << " at " << x << "," << y;
    // The head is wider than the line.
    bool wide = false;
    for (int x = 40; x < 50; ++x) wide |= canvas.Inked(x, 18) && canvas.Inked(x, 22);
    EXPECT_TRUE(wide) << "type " << type;
  }
}

TEST(LuminarStroke, ArrowRevisionTellsWhetherHeadsStillFit) {
  PenHolder pen;
  ASSERT_TRUE(NativeCreatePenWithColor(pen.h, 0xFF000000, 2));
  EXPECT_TRUE(NativePenIsEqualArrowRevision(pen.h, 5));  // no heads
  NativePenSetBeginArrow(pen.h, 1, 4, 2);
  EXPECT_TRUE(NativePenIsEqualArrowRevision(pen.h, 2));
  EXPECT_FALSE(NativePenIsEqualArrowRevision(pen.h, 3));
}

TEST(LuminarStroke, DoubleCompoundLeavesItsMiddleThirdClear) {
  Canvas canvas(60, 40);
  PenHolder pen;
  ASSERT_TRUE(NativeCreatePenWithColor(pen.h, 0xFF000000, 9));
  ASSERT_EQ(NativePenSetCompoundType(pen.h, 1), kNativeOk);
  ASSERT_EQ(NativeRenderDrawLine(canvas.render, pen.h, 5, 20.5f, 55, 20.5f), kNativeOk);
  // The line spans rows 16..24: bands 16..18 and 22..24, rows 19..21 clear.
  for (int y : {16, 17, 18, 22, 23, 24}) EXPECT_TRUE(canvas.Inked(30, y)) << y;
  for (int y : {15, 19, 20, 21, 25}) EXPECT_FALSE(canvas.Inked(30, y)) << y;
}

TEST(LuminarStroke, CompoundFollowsTheOutlineOfAShape) {
  Canvas canvas(60, 60);
  PenHolder pen;
  ASSERT_TRUE(NativeCreatePenWithColor(pen.h, 0xFF000000, 9));
  NativePenSetCompoundType(pen.h, 1);
  ASSERT_EQ(NativeRenderDrawRectangle(canvas.render, pen.h, 10.5f, 10.5f, 40, 40), kNativeOk);
  // Along the left edge (x 6..14) the middle column is clear, the bands inked.
  EXPECT_TRUE(canvas.Inked(7, 30));
  EXPECT_FALSE(canvas.Inked(10, 30));
  EXPECT_TRUE(canvas.Inked(13, 30));
}

TEST(LuminarStroke, HairlineIsOnePixelWhateverTheZoom) {
  Canvas canvas(40, 40);
  PenHolder pen;
  ASSERT_TRUE(NativeCreatePenWithColor(pen.h, 0xFF000000, 0));
  NativeRenderSetZoom(canvas.render, 4, 4);
  ASSERT_EQ(NativeRenderDrawLine(canvas.render, pen.h, 1, 5.125f, 9, 5.125f), kNativeOk);
  int rows = 0;
  for (int y = 0; y < 40; ++y) rows += canvas.Inked(20, y);
  EXPECT_EQ(rows, 1);
}

TEST(LuminarBrush, LinearGradientInterpolatesAlongTheAngle) {
  Canvas canvas(100, 10);
  BrushHolder brush;
  const NativeRectF rect{0, 0, 100, 10};
  ASSERT_TRUE(NativeCreateLinearGradientBrushWithAngle(brush.h, &rect, 0xFFFF0000, 0xFF0000FF, 0, 0));
  ASSERT_EQ(NativeRenderFillRectangle(canvas.render, brush.h, 0, 0, 100, 10), kNativeOk);
  for (int x : {25, 75}) {
    const double t = (x + 0.5) / 100;
    const uint32_t expected = (uint32_t(std::lround(255 * (1 - t))) << 16) | uint32_t(std::lround(255 * t));
    EXPECT_TRUE(Near(canvas.At(x, 5), expected, 2)) << x;
  }
}

TEST(LuminarBrush, LinearGradientAtNinetyDegreesRunsDown) {
  Canvas canvas(10, 100);
  BrushHolder brush;
  const NativeRectF rect{0, 0, 10, 100};
  ASSERT_TRUE(NativeCreateLinearGradientBrushWithAngle(brush.h, &rect, 0xFF000000, 0xFFFFFFFF, 90, 0));
  const DWORD colours[3] = {0xFF000000, 0xFFFF0000, 0xFF000000};
  const float positions[3] = {0, 0.5f, 1};
  ASSERT_EQ(NativeLineBrushSetPresetBlend(brush.h, colours, positions, 3), kNativeOk);
  ASSERT_EQ(NativeRenderFillRectangle(canvas.render, brush.h, 0, 0, 10, 100), kNativeOk);
  EXPECT_TRUE(Near(canvas.At(5, 50), 0xFF0000, 6));
  EXPECT_TRUE(Near(canvas.At(5, 0), 0x000000, 6));
  EXPECT_EQ(NativeLineBrushSetPresetBlend(brush.h, colours, positions, 1), kNativeBadArgument);
}

TEST(LuminarBrush, PathGradientIsTheCentreColourAtItsCentreAndBoundaryAtItsEdge) {
  Canvas canvas(60, 60);
  BrushHolder brush;
  const NativePointF square[4] = {{0, 0}, {60, 0}, {60, 60}, {0, 60}};
  ASSERT_TRUE(NativeCreatePathGradientBrush(brush.h, square, 4));
  const DWORD colours[2] = {0xFFFF0000, 0xFF0000FF};
  const float positions[2] = {0, 1};
  ASSERT_EQ(NativePathBrushSetPresetBlend(brush.h, colours, positions, 2), kNativeOk);
  ASSERT_EQ(NativeRenderFillRectangle(canvas.render, brush.h, 0, 0, 60, 60), kNativeOk);
  EXPECT_TRUE(Near(canvas.At(30, 30), 0x0000FF, 12));
  EXPECT_TRUE(Near(canvas.At(0, 30), 0xFF0000, 12));
  EXPECT_TRUE(Near(canvas.At(30, 59), 0xFF0000, 12));
  // Moving the centre moves the centre colour.
  const NativePointF centre{15, 15};
  ASSERT_EQ(NativePathBrushSetCenterPoint(brush.h, &centre), kNativeOk);
  ASSERT_EQ(NativeRenderFillRectangle(canvas.render, brush.h, 0, 0, 60, 60), kNativeOk);
  EXPECT_TRUE(Near(canvas.At(15, 15), 0x0000FF, 12));
}

TEST(LuminarBrush, HatchRepeatsEveryEightPixels) {
  for (LONG style : {0, 4, 12, 35, 52}) {
    Canvas canvas(32, 32);
    BrushHolder brush;
    ASSERT_TRUE(NativeCreateHatchBrush(brush.h, style, 0xFF000000, 0xFFFFFFFF));
    ASSERT_EQ(NativeRenderFillRectangle(canvas.render, brush.h, 0, 0, 32, 32), kNativeOk);
    int inked = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        ASSERT_EQ(canvas.At(x, y), canvas.At(x + 8, y)) << style;
        ASSERT_EQ(canvas.At(x, y), canvas.At(x, y + 8)) << style;
        inked += canvas.Inked(x, y);
      }
    EXPECT_GT(inked, 0) << style;
    EXPECT_LT(inked, 256) << style;
  }
}

TEST(LuminarBrush, TextureWrapOneMirrorsTheNeighbouringTile) {
  // 4x2: red, green, blue, black columns.
  const uint32_t row[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000};
  uint32_t pixels[8];
  for (int i = 0; i < 8; ++i) pixels[i] = row[i % 4];
  ImageHolder image;
  ASSERT_TRUE(NativeBitmapCreateFromScan0(image.h, 4, 2, 16, 1, pixels));
  struct Case {
    LONG wrap;
    bool mirrored;
  };
  for (Case c : {Case{0, false}, Case{1, true}, Case{3, true}}) {
    Canvas canvas(16, 2);
    BrushHolder brush;
    ASSERT_TRUE(NativeCreateTextureBrush(brush.h, image.h, c.wrap));
    ASSERT_EQ(NativeRenderFillRectangle(canvas.render, brush.h, 0, 0, 16, 2), kNativeOk);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(canvas.At(i, 0), row[i] & 0xFFFFFF);
      EXPECT_EQ(canvas.At(4 + i, 0), row[c.mirrored ? 3 - i : i] & 0xFFFFFF) << "wrap " << c.wrap << " " << i;
    }
  }
  // Wrap 4 draws once.
  Canvas canvas(16, 2);
  BrushHolder once;
  ASSERT_TRUE(NativeCreateTextureBrush(once.h, image.h, 4));
  ASSERT_EQ(NativeRenderFillRectangle(canvas.render, once.h, 0, 0, 16, 2), kNativeOk);
  EXPECT_EQ(canvas.At(0, 0), 0xFF0000u);
  EXPECT_FALSE(canvas.Inked(6, 0));
}

TEST(LuminarRegion, ExcludedPathIsClippedOut) {
  Canvas canvas(40, 40);
  RegionHolder region;
  PathHolder hole;
  const NativeRectF all{0, 0, 40, 40};
  ASSERT_TRUE(NativeCreateRegionRect(region.h, &all));
  ASSERT_TRUE(NativeCreateEmptyPath(hole.h, 0));
  ASSERT_EQ(NativePathAddEllipse(hole.h, 10, 10, 20, 20), kNativeOk);
  ASSERT_EQ(NativeRegionCombinePath(region.h, hole.h, 3), kNativeOk);
  EXPECT_EQ(NativeRegionCombinePath(region.h, hole.h, 1), kNativeBadArgument);
  ASSERT_EQ(NativeRenderSetRegion(canvas.render, region.h), kNativeOk);
  BrushHolder brush;
  ASSERT_TRUE(NativeCreateSolidColorBrush(brush.h, 0xFF00FF00));
  ASSERT_EQ(NativeRenderFillRectangle(canvas.render, brush.h, 0, 0, 40, 40), kNativeOk);
  EXPECT_FALSE(canvas.Inked(20, 20));
  EXPECT_EQ(canvas.At(2, 2), 0x00FF00u);
  EXPECT_EQ(canvas.At(38, 20), 0x00FF00u);
  ASSERT_EQ(NativeRenderResetRegion(canvas.render), kNativeOk);
  ASSERT_EQ(NativeRenderFillRectangle(canvas.render, brush.h, 0, 0, 40, 40), kNativeOk);
  EXPECT_EQ(canvas.At(20, 20), 0x00FF00u);
  // Filling the region itself paints the same ring.
  Canvas second(40, 40);
  ASSERT_EQ(NativeRenderFillRegion(second.render, brush.h, region.h), kNativeOk);
  EXPECT_FALSE(second.Inked(20, 20));
  EXPECT_TRUE(second.Inked(2, 2));
}

TEST(LuminarRender, DcClipAndMappingApply) {
  Canvas canvas(40, 40);
  SetViewportOrgEx(canvas.dc, 10, 10, nullptr);
  IntersectClipRect(canvas.dc, 0, 0, 20, 20);  // logical: device 10..30
  NativeRender r = GetNativeRender();
  ASSERT_TRUE(NativeCreateRenderDC(r, canvas.dc));
  BrushHolder brush;
  ASSERT_TRUE(NativeCreateSolidColorBrush(brush.h, 0xFF0000FF));
  ASSERT_EQ(NativeRenderFillRectangle(r, brush.h, -5, -5, 10, 10), kNativeOk);
  EXPECT_TRUE(canvas.Inked(12, 12));
  EXPECT_FALSE(canvas.Inked(8, 8));  // outside the clip
  ReleaseNativeRender(r);
}

TEST(LuminarBrush, TransformsAndZoomsOutOfRangeAreRefused) {
  BrushHolder brush;
  const NativePointF tri[3] = {{0, 0}, {10, 0}, {0, 10}};
  ASSERT_TRUE(NativeCreatePathGradientBrush(brush.h, tri, 3));
  EXPECT_EQ(NativePathBrushScale(brush.h, 0, 1), kNativeBadArgument);
  EXPECT_EQ(NativePathBrushScale(brush.h, 1e30f, 1e30f), kNativeBadArgument);
  EXPECT_EQ(NativePathBrushScale(brush.h, 2, 2), kNativeOk);
  EXPECT_EQ(NativePathBrushRotate(brush.h, 30), kNativeOk);
  EXPECT_EQ(NativePathBrushTranslate(brush.h, 1e9f, 0), kNativeBadArgument);
  const NativePointF far[3] = {{0, 0}, {1e9f, 0}, {0, 10}};
  EXPECT_FALSE(NativeCreatePathGradientBrush(brush.h, far, 3));
  Canvas canvas(8, 8);
  EXPECT_EQ(NativeRenderSetZoom(canvas.render, 8.6e29f, 8.6e29f), kNativeBadArgument);
  EXPECT_EQ(NativeRenderSetZoom(canvas.render, 0, 1), kNativeBadArgument);
  EXPECT_EQ(NativeRenderFillRectangle(canvas.render, brush.h, 0, 0, 8, 8), kNativeOk);
}

#include "Canvas.h"

TEST(LuminarHandles, EmptyAndWrongKindHandlesFailWithAStatus) {
  PenHolder pen;
  BrushHolder brush;
  NativePointF pts[2] = {{0, 0}, {5, 5}};
  Canvas canvas(8, 8);
  // An empty pen, a null pen, a brush passed as a pen.
  EXPECT_EQ(NativeRenderDrawLine(canvas.render, pen.h, 0, 0, 5, 5), kNativeBadArgument);
  EXPECT_EQ(NativeRenderDrawLine(canvas.render, nullptr, 0, 0, 5, 5), kNativeBadArgument);
  EXPECT_EQ(NativeRenderDrawLines(canvas.render, brush.h, pts, 2), kNativeBadArgument);
  EXPECT_EQ(NativeRenderFillRectangle(canvas.render, brush.h, 0, 0, 4, 4), kNativeBadArgument);
  ASSERT_TRUE(NativeCreatePenWithColor(pen.h, 0xFF000000, 1));
  EXPECT_EQ(NativeRenderDrawLines(canvas.render, pen.h, pts, 1), kNativeBadArgument);
  EXPECT_EQ(NativeRenderDrawLine(canvas.render, pen.h, 0, NAN, 5, 5), kNativeBadArgument);
  EXPECT_EQ(NativeRenderDrawLine(canvas.render, pen.h, 0, 0, INFINITY, 5), kNativeBadArgument);
  EXPECT_FALSE(NativeCreatePenWithColor(pen.h, 0xFF000000, NAN));
  EXPECT_EQ(NativePenSetThickness(pen.h, INFINITY), kNativeBadArgument);
  EXPECT_FALSE(NativeCreateRenderImage(canvas.render, pen.h));
  EXPECT_EQ(NativeImageGetType(pen.h), 0);
  // A render without a target.
  NativeRender bare = GetNativeRender();
  EXPECT_FALSE(NativeIsValid(bare));
  EXPECT_EQ(NativeRenderDrawLine(bare, pen.h, 0, 0, 5, 5), kNativeNoTarget);
  EXPECT_FALSE(NativeCreateRenderDC(bare, nullptr));
  ReleaseNativeRender(bare);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_FALSE(canvas.Inked(x, y));
}

TEST(LuminarHandles, LiveCountsFollowReferences) {
  const LONG pens = LuminarLiveHandles(kLuminarPen), brushes = LuminarLiveHandles(kLuminarBrush);
  NativeBrush brush = GetNativeBrush();
  ASSERT_TRUE(NativeCreateSolidColorBrush(brush, 0xFF00FF00));
  NativePen pen = GetNativePen();
  ASSERT_TRUE(NativeCreatePen(pen, brush, 2));
  EXPECT_EQ(LuminarLiveHandles(kLuminarPen), pens + 1);
  EXPECT_EQ(ReleaseNativeBrush(brush), 1);  // the pen still holds it
  EXPECT_EQ(LuminarLiveHandles(kLuminarBrush), brushes + 1);
  EXPECT_EQ(NativeAddRef(pen), 2);
  EXPECT_EQ(ReleaseNativePen(pen), 1);
  EXPECT_EQ(ReleaseNativePen(pen), 0);
  EXPECT_EQ(LuminarLiveHandles(kLuminarPen), pens);
  EXPECT_EQ(LuminarLiveHandles(kLuminarBrush), brushes);
  EXPECT_EQ(ReleaseNativePen(nullptr), -1);
}

TEST(LuminarHandles, RenderTargetsReportDpiAndDetach) {
  Canvas canvas(16, 16);
  EXPECT_TRUE(NativeIsValid(canvas.render));
  EXPECT_EQ(NativeRenderGetDpiX(canvas.render), 96.f);
  ImageHolder image;
  ASSERT_TRUE(NativeBitmapCreateFromScan0(image.h, 10, 10, 0, 1, nullptr));
  NativeRender r = GetNativeRender();
  ASSERT_TRUE(NativeCreateRenderImage(r, image.h));
  EXPECT_EQ(NativeRenderGetDpiY(r), 96.f);
  EXPECT_TRUE(NativeDestroyRender(r));
  EXPECT_FALSE(NativeDestroyRender(r));
  EXPECT_FALSE(NativeIsValid(r));
  ReleaseNativeRender(r);
}

TEST(LuminarHandles, JournalRecordsDrawingCallsWhenOn) {
  Canvas canvas(16, 16);
  PenHolder pen;
  ASSERT_TRUE(NativeCreatePenWithColor(pen.h, 0xFF000000, 1));
  LuminarJournalClear();
  LuminarJournalEnable(TRUE);
  NativeRenderDrawLine(canvas.render, pen.h, 0, 0, 4, 4);
  LuminarJournalEnable(FALSE);
  NativeRenderDrawLine(canvas.render, pen.h, 0, 0, 4, 4);
  char text[256];
  LuminarJournalRead(text, sizeof text);
  EXPECT_STREQ(text, "DrawLine status 0\n");
}

TEST(LuminarHandles, LentDcDrawsOnTheSameSurface) {
  Canvas canvas(32, 32);
  HDC dc = NativeRenderGetHPDC(canvas.render);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(NativeRenderGetHPDC(canvas.render), nullptr);  // one loan at a time
  RECT r{4, 4, 10, 10};
  HBRUSH b = CreateSolidBrush(0x0000FF);
  FillRect(dc, &r, b);
  DeleteObject(b);
  EXPECT_EQ(NativeRenderReleaseHPDC(canvas.render, dc), kNativeOk);
  EXPECT_EQ(canvas.At(5, 5), 0xFF0000u);
  // Zoomed: the lent DC maps through the zoom too.
  ASSERT_EQ(NativeRenderSetZoom(canvas.render, 2, 2), kNativeOk);
  dc = NativeRenderGetHPDC(canvas.render);
  ASSERT_NE(dc, nullptr);
  RECT z{10, 10, 12, 12};
  b = CreateSolidBrush(0x00FF00);
  FillRect(dc, &z, b);
  DeleteObject(b);
  EXPECT_EQ(NativeRenderReleaseHPDC(canvas.render, dc), kNativeOk);
  EXPECT_EQ(canvas.At(21, 21), 0x00FF00u);
  EXPECT_FALSE(canvas.Inked(19, 19));
}

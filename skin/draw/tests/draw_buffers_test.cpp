// The off-screen buffers: what they copy back, and what they leave alone.
#include <gtest/gtest.h>

#include <win/gdi.h>

#include "draw_fixture.h"
#include "ornatex/draw/buffer_dc.h"

using ornatex_test::Canvas;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

SIZE BitmapSize(HDC dc) {
  BITMAP bm{};
  GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof bm, &bm);
  return SIZE{bm.bmWidth, bm.bmHeight};
}

TEST(BufferDC, CopiesOnlyItsRectangleInDestinationCoordinates) {
  Canvas canvas(20, 20, kWhite);
  const long live = ornatex_test::LiveGdiObjects();
  {
    CKtkBufferDC buffer(canvas.dc(), RECT{5, 5, 15, 15});
    ASSERT_NE(buffer.GetSafeHdc(), nullptr);
    EXPECT_EQ(BitmapSize(buffer.GetSafeHdc()).cx, 15);  // from the origin to the far corner
    Canvas::Fill(buffer.GetSafeHdc(), RECT{0, 0, 15, 15}, kRed);
    EXPECT_EQ(canvas.At(10, 10), kWhite);  // nothing shows before the copy
  }
  EXPECT_EQ(canvas.At(5, 5), kRed);
  EXPECT_EQ(canvas.At(14, 14), kRed);
  EXPECT_EQ(canvas.At(4, 10), kWhite);
  EXPECT_EQ(canvas.At(15, 15), kWhite);
  EXPECT_EQ(ornatex_test::LiveGdiObjects(), live);
}

TEST(BufferDC, DiscardedLeavesTheDestinationsPixels) {
  Canvas canvas(20, 20, kWhite);
  {
    CKtkBufferDC buffer(canvas.dc(), RECT{0, 0, 20, 20});
    Canvas::Fill(buffer.GetSafeHdc(), RECT{0, 0, 20, 20}, kRed);
    buffer.Discard();
  }
  EXPECT_EQ(canvas.At(10, 10), kWhite);
}

TEST(BufferDC, WithoutItsBitmapIsNoBufferAndCopiesNothing) {
  Canvas canvas(20, 20, kWhite);
  const long live = ornatex_test::LiveGdiObjects();
  for (RECT r : {RECT{0, 0, 100000, 100000}, RECT{0, 0, 0, 10}, RECT{0, 0, -5, -5}}) {
    {
      CKtkBufferDC buffer(canvas.dc(), r);
      EXPECT_EQ(buffer.GetSafeHdc(), nullptr) << r.right;
    }
    EXPECT_EQ(canvas.At(0, 0), kWhite);
    EXPECT_EQ(canvas.At(10, 5), kWhite);
  }
  EXPECT_EQ(ornatex_test::LiveGdiObjects(), live);
}

TEST(BufferDC, PaintFormWithAnEmptyRectangleStillHasAOneByOneBitmap) {
  Canvas canvas(20, 20, kWhite);
  PAINTSTRUCT paint{};
  paint.hdc = canvas.dc();
  paint.rcPaint = RECT{0, 0, 0, 0};
  CKtkBufferDC buffer(canvas.dc(), paint);
  ASSERT_NE(buffer.GetSafeHdc(), nullptr);
  const SIZE size = BitmapSize(buffer.GetSafeHdc());
  EXPECT_EQ(size.cx, 1);
  EXPECT_EQ(size.cy, 1);
}

TEST(BufferDC, PaintFormClipsToThePaintRectangle) {
  Canvas canvas(20, 20, kWhite);
  PAINTSTRUCT paint{};
  paint.hdc = canvas.dc();
  paint.rcPaint = RECT{2, 2, 8, 8};
  {
    CKtkBufferDC buffer(canvas.dc(), paint);
    Canvas::Fill(buffer.GetSafeHdc(), RECT{0, 0, 8, 8}, kRed);
  }
  EXPECT_EQ(canvas.At(2, 2), kRed);
  EXPECT_EQ(canvas.At(1, 1), kWhite);
}

TEST(BufferDCEx, HoldsExactlyTheRectangleAndDrawsInDestinationCoordinates) {
  Canvas canvas(40, 40, kWhite);
  const long live = ornatex_test::LiveGdiObjects();
  {
    CKtkBufferDCEx buffer(canvas.dc(), RECT{10, 20, 30, 25});
    ASSERT_NE(buffer.GetSafeHdc(), nullptr);
    const SIZE size = BitmapSize(buffer.GetSafeHdc());
    EXPECT_EQ(size.cx, 20);
    EXPECT_EQ(size.cy, 5);
    Canvas::Fill(buffer.GetSafeHdc(), RECT{10, 20, 20, 25}, kRed);
  }
  EXPECT_EQ(canvas.At(10, 20), kRed);
  EXPECT_EQ(canvas.At(19, 24), kRed);
  EXPECT_EQ(canvas.At(20, 22), RGB(0, 0, 0));  // the buffer's own, unpainted pixels
  EXPECT_EQ(canvas.At(9, 20), kWhite);
  EXPECT_EQ(ornatex_test::LiveGdiObjects(), live);
}

}  // namespace

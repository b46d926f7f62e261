// Image lists: what goes in comes out (counts, icons, strips), and drawing blends alpha,
// honours the mask, greys with ILS_SATURATE and draws nothing for a missing image.
#include "comctl_test_support.h"

using comctltest::Canvas;
using comctltest::Near;
using comctltest::PixelBitmap;

namespace {

// Two 4x4 images side by side: the first half-transparent green, the second opaque blue
// with its left column masked.
uint32_t AlphaStrip(int x, int) { return x < 4 ? 0x8000FF00u : 0xFF0000FFu; }
uint32_t MaskStrip(int x, int) { return (x % 4) == 0 ? 0x00FFFFFFu : 0; }

struct List {
  explicit List(UINT flags, int cx = 4, int cy = 4) : h(ImageList_Create(cx, cy, flags, 1, 1)) {}
  ~List() { ImageList_Destroy(h); }
  HIMAGELIST h;
};

TEST(ComCtlImageList, KeepsItsImagesAndRefusesBadInput) {
  List list(ILC_COLOR32 | ILC_MASK);
  HBITMAP strip = PixelBitmap(8, 4, &AlphaStrip);
  HBITMAP mask = PixelBitmap(8, 4, &MaskStrip);
  EXPECT_EQ(ImageList_Add(list.h, strip, mask), 0);
  EXPECT_EQ(ImageList_Add(list.h, strip, nullptr), 2);
  EXPECT_EQ(ImageList_GetImageCount(list.h), 4);
  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(list.h, &cx, &cy));
  EXPECT_EQ(cx * 100 + cy, 404);
  EXPECT_EQ(ImageList_GetBkColor(list.h), CLR_NONE);
  EXPECT_EQ(ImageList_SetBkColor(list.h, RGB(1, 2, 3)), CLR_NONE);
  EXPECT_EQ(ImageList_GetBkColor(list.h), RGB(1, 2, 3));

  // Bad indexes and handles: -1 or FALSE, nothing changed.
  EXPECT_FALSE(ImageList_Remove(list.h, 4));
  EXPECT_FALSE(ImageList_Replace(list.h, 7, strip, nullptr));
  EXPECT_EQ(ImageList_ReplaceIcon(list.h, 9, nullptr), -1);
  EXPECT_EQ(ImageList_GetIcon(list.h, 4, 0), nullptr);
  IMAGEINFO info{};
  EXPECT_FALSE(ImageList_GetImageInfo(list.h, -2, &info));
  EXPECT_EQ(ImageList_GetImageCount(list.h), 4);
  auto* bogus = reinterpret_cast<HIMAGELIST>(&info);
  EXPECT_EQ(ImageList_Add(bogus, strip, nullptr), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(ImageList_Destroy(bogus));
  EXPECT_EQ(ImageList_Create(0, 4, ILC_COLOR32, 1, 1), nullptr);

  EXPECT_TRUE(ImageList_Remove(list.h, 0));
  EXPECT_EQ(ImageList_GetImageCount(list.h), 3);
  EXPECT_TRUE(ImageList_RemoveAll(list.h));
  EXPECT_EQ(ImageList_GetImageCount(list.h), 0);
  DeleteObject(strip);
  DeleteObject(mask);
}

TEST(ComCtlImageList, AlphaBlendsWithWhatLiesUnderAndSaturateGreys) {
  List list(ILC_COLOR32);
  HBITMAP strip = PixelBitmap(8, 4, &AlphaStrip);
  ASSERT_EQ(ImageList_Add(list.h, strip, nullptr), 0);
  Canvas canvas(20, 10, RGB(255, 0, 0));
  ASSERT_TRUE(ImageList_Draw(list.h, 0, canvas.Dc(), 2, 2, ILD_NORMAL));
  // Half green over red.
  EXPECT_TRUE(Near(canvas.At(3, 3), RGB(127, 128, 0))) << std::hex << canvas.At(3, 3);
  EXPECT_EQ(canvas.At(1, 1), RGB(255, 0, 0)) << "nothing outside the image";

  IMAGELISTDRAWPARAMS p{};
  p.cbSize = sizeof(p);
  p.himl = list.h;
  p.i = 0;
  p.hdcDst = canvas.Dc();
  p.x = 10;
  p.y = 2;
  p.rgbBk = CLR_NONE;
  p.rgbFg = CLR_DEFAULT;
  p.fStyle = ILD_TRANSPARENT;
  p.fState = ILS_SATURATE;
  ASSERT_TRUE(ImageList_DrawIndirect(&p));
  // Green greyed (about 150) at half over red.
  const COLORREF grey = canvas.At(11, 3);
  EXPECT_TRUE(Near(grey, RGB(127 + 75, 75, 75), 4)) << std::hex << grey;

  // An image outside the list draws nothing.
  p.i = 5;
  p.x = 0;
  EXPECT_FALSE(ImageList_DrawIndirect(&p));
  EXPECT_EQ(canvas.At(0, 0), RGB(255, 0, 0));
  DeleteObject(strip);
}

TEST(ComCtlImageList, MaskBackgroundAndRasterOperations) {
  List list(ILC_COLOR24 | ILC_MASK);
  HBITMAP strip = PixelBitmap(8, 4, &AlphaStrip);
  HBITMAP mask = PixelBitmap(8, 4, &MaskStrip);
  ASSERT_EQ(ImageList_Add(list.h, strip, mask), 0);
  Canvas canvas(40, 10, RGB(255, 0, 0));
  struct Case {
    UINT style;
    COLORREF bk;
    COLORREF atMasked;  // column 0 of the image
    COLORREF atImage;   // column 1
  };
  const Case cases[] = {
      {ILD_TRANSPARENT, CLR_DEFAULT, RGB(255, 0, 0), RGB(0, 0, 255)},
      {ILD_NORMAL, RGB(0, 255, 0), RGB(0, 255, 0), RGB(0, 0, 255)},  // the background under the mask
      {ILD_NORMAL, CLR_NONE, RGB(255, 0, 0), RGB(0, 0, 255)},
      {ILD_MASK, CLR_NONE, RGB(255, 255, 255), RGB(0, 0, 0)},
      {ILD_IMAGE, RGB(0, 255, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
  };
  int x = 0;
  for (const Case& c : cases) {
    ASSERT_TRUE(ImageList_DrawEx(list.h, 1, canvas.Dc(), x, 0, 0, 0, c.bk, CLR_DEFAULT, c.style));
    EXPECT_EQ(canvas.At(x, 1), c.atMasked) << "style " << c.style;
    EXPECT_EQ(canvas.At(x + 1, 1), c.atImage) << "style " << c.style;
    x += 5;
  }
  // A raster operation: the mask ORed onto red keeps red under the image, white elsewhere.
  IMAGELISTDRAWPARAMS p{};
  p.cbSize = IMAGELISTDRAWPARAMS_V3_SIZE;
  p.himl = list.h;
  p.i = 1;
  p.hdcDst = canvas.Dc();
  p.x = 30;
  p.rgbBk = CLR_NONE;
  p.fStyle = ILD_MASK | ILD_ROP;
  p.dwRop = SRCPAINT;
  ASSERT_TRUE(ImageList_DrawIndirect(&p));
  EXPECT_EQ(canvas.At(30, 1), RGB(255, 255, 255));
  EXPECT_EQ(canvas.At(31, 1), RGB(255, 0, 0));
  DeleteObject(strip);
  DeleteObject(mask);
}

TEST(ComCtlImageList, IconsAndStripsCarryAlphaAndMask) {
  List source(ILC_COLOR32 | ILC_MASK);
  HBITMAP strip = PixelBitmap(8, 4, &AlphaStrip);
  HBITMAP mask = PixelBitmap(8, 4, &MaskStrip);
  ASSERT_EQ(ImageList_Add(source.h, strip, mask), 0);

  // Icon out and in again: the same pixels drawn.
  HICON icon = ImageList_GetIcon(source.h, 0, ILD_NORMAL);
  ASSERT_NE(icon, nullptr);
  List copy(ILC_COLOR32 | ILC_MASK, 8, 8);
  EXPECT_EQ(ImageList_AddIcon(copy.h, icon), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(copy.h, 0, icon), 0);
  DestroyIcon(icon);
  Canvas canvas(20, 10, RGB(255, 0, 0));
  ASSERT_TRUE(ImageList_Draw(copy.h, 0, canvas.Dc(), 0, 0, ILD_TRANSPARENT));
  EXPECT_EQ(canvas.At(1, 1), RGB(255, 0, 0)) << "masked column, fitted to 8x8";
  EXPECT_TRUE(Near(canvas.At(3, 3), RGB(127, 128, 0))) << std::hex << canvas.At(3, 3);

  IMAGEINFO info{};
  ASSERT_TRUE(ImageList_GetImageInfo(source.h, 1, &info));
  EXPECT_EQ(info.rcImage.left, 4);
  EXPECT_EQ(info.rcImage.right, 8);
  BITMAP bm{};
  ASSERT_EQ(GetObjectW(info.hbmImage, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmWidth, 8);
  const auto* bits = static_cast<const uint32_t*>(bm.bmBits);
  EXPECT_EQ(bits[1] >> 24, 0x80u) << "the alpha stays in the strip";
  ASSERT_NE(info.hbmMask, nullptr);
  ASSERT_EQ(GetObjectW(info.hbmMask, sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
  EXPECT_EQ(bm.bmBitsPixel, 1);
  DeleteObject(strip);
  DeleteObject(mask);
}

}  // namespace

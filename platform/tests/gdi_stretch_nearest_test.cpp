// Stretching between colour surfaces with one source pixel per destination pixel: each
// destination pixel takes the source pixel under its centre.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "win/gdi.h"

namespace {

HBITMAP Section(int w, int h, void** bits) {
  BITMAPINFO bmi{};
  bmi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  return CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, bits, nullptr, 0);
}

TEST(GdiStretchNearest, EveryPixelTakesTheSourcePixelUnderItsCentre) {
  const struct {
    int sw, sh, dw, dh, mode;
  } cases[] = {{7, 5, 23, 17, COLORONCOLOR},
               {23, 17, 7, 5, COLORONCOLOR},
               {3, 9, 30, 4, COLORONCOLOR},
               {5, 4, 16, 12, HALFTONE},
               {5, 4, 16, 12, BLACKONWHITE}};
  std::mt19937 random(2);
  for (const auto& c : cases) {
    void* sbits = nullptr;
    void* dbits = nullptr;
    HBITMAP source = Section(c.sw, c.sh, &sbits), target = Section(c.dw + 2, c.dh + 2, &dbits);
    auto* s = static_cast<uint32_t*>(sbits);
    for (int i = 0; i < c.sw * c.sh; ++i) s[i] = random() & 0x00FFFFFF;
    std::memset(dbits, 0, size_t(c.dw + 2) * (c.dh + 2) * 4);
    HDC sdc = CreateCompatibleDC(nullptr), ddc = CreateCompatibleDC(nullptr);
    HGDIOBJ so = SelectObject(sdc, source), dobj = SelectObject(ddc, target);
    SetStretchBltMode(ddc, c.mode);
    ASSERT_TRUE(StretchBlt(ddc, 1, 1, c.dw, c.dh, sdc, 0, 0, c.sw, c.sh, SRCCOPY));
    GdiFlush();
    auto* d = static_cast<uint32_t*>(dbits);
    for (int y = 0; y < c.dh; ++y)
      for (int x = 0; x < c.dw; ++x) {
        const int sx = (2 * x + 1) * c.sw / (2 * c.dw), sy = (2 * y + 1) * c.sh / (2 * c.dh);
        ASSERT_EQ(d[(y + 1) * (c.dw + 2) + x + 1] & 0xFFFFFF, s[sy * c.sw + sx]) << c.dw << " " << x << "," << y;
      }
    EXPECT_EQ(d[0], 0u);  // outside the destination rectangle: untouched
    SelectObject(sdc, so);
    SelectObject(ddc, dobj);
    DeleteDC(sdc);
    DeleteDC(ddc);
    DeleteObject(source);
    DeleteObject(target);
  }
}

}  // namespace

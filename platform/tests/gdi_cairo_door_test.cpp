// The outside libraries' door: DCs over Cairo surfaces, the surfaces behind DCs and
// bitmaps, the call journal, resolutions, and rotated text.
#include <cairo.h>
#include <gtest/gtest.h>

#include <string>

#include <kx2/GdiCairo.h>
#include <kx2/Screen.h>
#include <win/gdi.h>
#include <win/kernel.h>

namespace {

std::string Journal() {
  const size_t size = Kx2GdiJournalRead(nullptr, 0);
  std::string text(size, '\0');
  Kx2GdiJournalRead(text.data(), size);
  text.resize(size - 1);
  return text;
}

TEST(GdiCairoDoor, DcOverAnImageSurfaceDrawsIntoItsPixels) {
  cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 20, 10);
  HDC dc = Kx2GdiCreateDcForSurface(image);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(Kx2GdiGetSurface(dc), image);
  RECT r{2, 2, 5, 5};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &r, red);
  cairo_surface_flush(image);
  const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image));
  const int stride = cairo_image_surface_get_stride(image) / 4;
  EXPECT_EQ(pixels[3 * stride + 3], 0x00FF0000u) << "GDI writes 0 into the fourth byte";
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 0, 0));
  EXPECT_TRUE(Kx2GdiSetResolution(dc, 300, 300));
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 300);
  DeleteObject(red);
  EXPECT_TRUE(DeleteDC(dc));
  cairo_surface_destroy(image);  // the DC held its own reference until deleted
}

TEST(GdiCairoDoor, RecordingSurfaceReceivesShapesTextAndBlits) {
  cairo_surface_t* recording = cairo_recording_surface_create(CAIRO_CONTENT_COLOR, nullptr);
  HDC dc = Kx2GdiCreateDcForSurface(recording);
  ASSERT_NE(dc, nullptr);
  Rectangle(dc, 10, 10, 50, 40);
  TextOutW(dc, 10, 50, u"Hi", 2);
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(mem, bitmap);
  EXPECT_TRUE(BitBlt(dc, 60, 10, 8, 8, mem, 0, 0, SRCCOPY));
  double x, y, w, h;
  cairo_recording_surface_ink_extents(recording, &x, &y, &w, &h);
  EXPECT_LE(x, 10);
  EXPECT_GE(x + w, 68);
  EXPECT_GE(y + h, 55) << "the text below the rectangle";
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  DeleteDC(dc);
  cairo_surface_destroy(recording);
}

TEST(GdiCairoDoor, JournalRecordsTextAndBlits) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(40, 20, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  Kx2GdiJournalClear();
  Kx2GdiJournalEnable(TRUE);
  TextOutW(dc, 1, 2, u"caf\u00e9", 4);
  BitBlt(dc, 0, 0, 4, 4, dc, 10, 10, SRCCOPY);
  Kx2GdiJournalEnable(FALSE);
  TextOutW(dc, 1, 2, u"unseen", 6);
  EXPECT_EQ(Journal(), "ExtTextOutW 1,2 \"caf\xC3\xA9\"\nBitBlt 0,0 4x4 from 10,10 4x4 rop 00CC0020\n");
  Kx2GdiJournalClear();
  EXPECT_EQ(Journal(), "");
  cairo_surface_t* surface = Kx2GdiGetBitmapSurface(bitmap);
  ASSERT_NE(surface, nullptr);
  EXPECT_EQ(cairo_image_surface_get_width(surface), 40);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST(GdiCairoDoor, RotatedTextRunsUpwards) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(60, 120, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  LOGFONTW lf{};
  lf.lfHeight = -16;
  lf.lfEscapement = 900;  // tenths of a degree, counter-clockwise
  std::u16string(u"DejaVu Sans").copy(lf.lfFaceName, 11);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 10, 110, u"Upwards", 7);
  int top = 120, bottom = -1, right = -1;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 60; ++x)
      if (GetPixel(dc, x, y) != 0) top = std::min(top, y), bottom = std::max(bottom, y), right = std::max(right, x);
  EXPECT_LT(top, 60) << "the text climbs from its start";
  EXPECT_LE(bottom, 111);
  EXPECT_LE(right, 10 + 20) << "a column as wide as a line";
  SelectObject(dc, oldFont);
  DeleteObject(font);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST(GdiCairoDoor, ScreenDescriptionReadsItsVariables) {
  RECT monitors[4];
  EXPECT_EQ(Kx2ScreenMonitors(monitors, 4), 1);
  EXPECT_EQ(monitors[0].right, 1280);
  setenv("KX2_MONITORS", "800x600+0+0,1024x768+800+0", 1);
  setenv("KX2_SCREEN_BPP", "16", 1);
  EXPECT_EQ(Kx2ScreenMonitors(monitors, 4), 2);
  const RECT all = Kx2ScreenVirtualRect();
  EXPECT_EQ(all.right, 1824);
  EXPECT_EQ(all.bottom, 768);
  EXPECT_EQ(Kx2ScreenBitsPerPixel(), 16);
  unsetenv("KX2_MONITORS");
  unsetenv("KX2_SCREEN_BPP");
  EXPECT_EQ(Kx2ScreenBitsPerPixel(), 32);
}

}  // namespace

namespace {

TEST(GdiCairoDoor, CairoDrawingOnASectionIsWrittenBackWhenDone) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 4;
  info.bmiHeader.biHeight = 4;  // bottom-up: not shared, copied in and out
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, section);
  cairo_surface_t* surface = Kx2GdiGetSurface(dc);
  ASSERT_NE(surface, nullptr);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0, 0, 1);
  cairo_rectangle(cr, 0, 3, 4, 1);  // the bottom row: the first stored row
  cairo_fill(cr);
  cairo_destroy(cr);
  EXPECT_TRUE(Kx2GdiSurfaceDone(dc));
  EXPECT_EQ(static_cast<uint8_t*>(bits)[0], 255) << "blue, in the caller's 24-bit layout";
  EXPECT_EQ(GetPixel(dc, 0, 3), RGB(0, 0, 255));
  SelectObject(dc, old);
  DeleteObject(section);
  DeleteDC(dc);
}

}  // namespace

// Pens, brushes, shapes and paths: GDI's pixel rules checked by probes; pictures for a
// person in KX2_TEST_OUTPUT.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <kx2/GdiCairo.h>
#include <kx2/ImageCodec.h>
#include <win/gdi.h>
#include <win/kernel.h>
#include <win/user_system.h>

namespace {

const COLORREF kWhite = RGB(255, 255, 255), kBlack = 0;

struct Surface {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap;
  HGDIOBJ old;
  int w, h;
  Surface(int width, int height) : w(width), h(height) {
    bitmap = CreateBitmap(w, h, 1, 32, nullptr);
    old = SelectObject(dc, bitmap);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  RECT InkBox(COLORREF ink) {
    RECT box{w, h, -1, -1};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (GetPixel(dc, x, y) == ink) {
          box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1), box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
  }
  void Save(const char* name) {
    const char* out = std::getenv("KX2_TEST_OUTPUT");
    if (!out) return;
    std::u16string path;
    for (const char* p = out; *p; ++p) path += static_cast<char16_t>(*p);
    path += u"/";
    for (const char* p = name; *p; ++p) path += static_cast<char16_t>(*p);
    EXPECT_TRUE(Kx2GdiWriteDcPng(dc, path.c_str()));
  }
};

TEST(GdiDraw, RectangleAndLinePixelRules) {
  Surface s(20, 20);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ oldBrush = SelectObject(s.dc, red);
  ASSERT_TRUE(Rectangle(s.dc, 2, 3, 10, 8));
  // The pen (black, 1 pixel) outlines [2, 10) x [3, 8); the brush fills inside it.
  RECT box = s.InkBox(kBlack);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.top, 3);
  EXPECT_EQ(box.right, 10);
  EXPECT_EQ(box.bottom, 8);
  EXPECT_EQ(GetPixel(s.dc, 3, 4), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(s.dc, 8, 6), RGB(255, 0, 0));

  Surface l(20, 5);
  MoveToEx(l.dc, 2, 2, nullptr);
  ASSERT_TRUE(LineTo(l.dc, 12, 2));
  box = l.InkBox(kBlack);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.right, 12) << "the end point is not drawn";
  EXPECT_EQ(box.bottom - box.top, 1) << "width 0 is one pixel";
  POINT pos{};
  GetCurrentPositionEx(l.dc, &pos);
  EXPECT_EQ(pos.x, 12);

  Surface n(20, 20);
  SelectObject(n.dc, red);
  HGDIOBJ oldPen = SelectObject(n.dc, GetStockObject(NULL_PEN));
  Rectangle(n.dc, 2, 2, 10, 10);
  box = n.InkBox(RGB(255, 0, 0));
  EXPECT_EQ(box.right, 9) << "a null pen leaves the rectangle one pixel smaller";
  SelectObject(n.dc, oldPen);
  SelectObject(n.dc, oldBrush);
  SelectObject(s.dc, oldBrush);
  DeleteObject(red);
}

TEST(GdiDraw, PenStylesBrushesAndRop2) {
  Surface s(120, 60);
  HPEN dash = CreatePen(PS_DASH, 0, RGB(0, 0, 255));
  HGDIOBJ oldPen = SelectObject(s.dc, dash);
  MoveToEx(s.dc, 0, 1, nullptr);
  LineTo(s.dc, 100, 1);
  EXPECT_EQ(GetPixel(s.dc, 5, 1), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(s.dc, 20, 1), kWhite) << "a gap of the dash";
  HPEN wide = CreatePen(PS_SOLID, 5, RGB(0, 128, 0));
  SelectObject(s.dc, wide);
  MoveToEx(s.dc, 10, 20, nullptr);
  LineTo(s.dc, 60, 20);
  EXPECT_EQ(GetPixel(s.dc, 30, 18), RGB(0, 128, 0));
  EXPECT_EQ(GetPixel(s.dc, 30, 22), RGB(0, 128, 0));
  EXPECT_EQ(GetPixel(s.dc, 30, 24), kWhite);
  SelectObject(s.dc, oldPen);

  HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(255, 0, 0));
  SetBkColor(s.dc, RGB(255, 255, 0));
  RECT r{64, 0, 80, 16};
  FillRect(s.dc, &r, hatch);
  int red = 0, yellow = 0;
  for (int x = 64; x < 80; ++x) (GetPixel(s.dc, x, 3) == RGB(255, 0, 0) ? red : yellow) += 1;
  EXPECT_EQ(red + yellow, 16);
  EXPECT_EQ(red, 2) << "crossing lines every 8 pixels";
  EXPECT_EQ(GetPixel(s.dc, 65, 7), RGB(255, 0, 0)) << "horizontal line of the cross";

  const uint8_t checker[4] = {0x80, 0, 0x40, 0};  // 2x2: 1 0 / 0 1
  HBITMAP mono = CreateBitmap(2, 2, 1, 1, checker);
  HBRUSH pattern = CreatePatternBrush(mono);
  SetTextColor(s.dc, RGB(0, 0, 0));
  SetBkColor(s.dc, RGB(255, 255, 255));
  RECT pr{84, 0, 88, 4};
  FillRect(s.dc, &pr, pattern);
  EXPECT_EQ(GetPixel(s.dc, 84, 0), kWhite) << "1 bits take the background colour";
  EXPECT_EQ(GetPixel(s.dc, 85, 0), kBlack) << "0 bits take the text colour";
  RECT fr{90, 30, 110, 50};
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  FrameRect(s.dc, &fr, blue);
  EXPECT_EQ(GetPixel(s.dc, 90, 40), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(s.dc, 109, 40), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(s.dc, 100, 40), kWhite);

  SetROP2(s.dc, R2_XORPEN);
  SelectObject(s.dc, GetStockObject(WHITE_PEN));
  MoveToEx(s.dc, 10, 50, nullptr);
  LineTo(s.dc, 30, 50);
  EXPECT_EQ(GetPixel(s.dc, 15, 50), kBlack) << "white XOR white";
  SelectObject(s.dc, oldPen);
  s.Save("gdi_pens_brushes.png");
  DeleteObject(blue);
  DeleteObject(pattern);
  DeleteObject(mono);
  DeleteObject(hatch);
  DeleteObject(wide);
  DeleteObject(dash);
}

TEST(GdiDraw, EllipsePolygonAndPaths) {
  Surface s(100, 60);
  HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
  HGDIOBJ oldBrush = SelectObject(s.dc, green);
  Ellipse(s.dc, 0, 0, 40, 30);
  const RECT box = s.InkBox(kBlack);
  EXPECT_GE(box.left, 0);
  EXPECT_LE(box.right, 40);
  EXPECT_LE(box.bottom, 30);
  EXPECT_EQ(GetPixel(s.dc, 20, 15), RGB(0, 200, 0));
  EXPECT_EQ(GetPixel(s.dc, 1, 1), kWhite);

  const POINT star[5] = {{70, 0}, {80, 30}, {55, 10}, {85, 10}, {60, 30}};
  SetPolyFillMode(s.dc, ALTERNATE);
  Polygon(s.dc, star, 5);
  EXPECT_EQ(GetPixel(s.dc, 70, 14), kWhite) << "the centre of a star is outside under ALTERNATE";
  SetPolyFillMode(s.dc, WINDING);
  Polygon(s.dc, star, 5);
  EXPECT_EQ(GetPixel(s.dc, 70, 14), RGB(0, 200, 0));

  // A path from a rectangle and text, filled and stroked.
  Surface p(160, 60);
  SelectObject(p.dc, green);
  EXPECT_FALSE(StrokePath(p.dc)) << "no path yet";
  ASSERT_TRUE(BeginPath(p.dc));
  Rectangle(p.dc, 5, 5, 20, 20);
  LOGFONTW lf{};
  lf.lfHeight = -40;
  std::u16string face = u"DejaVu Sans";
  face.copy(lf.lfFaceName, face.size());
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ oldFont = SelectObject(p.dc, font);
  SetBkMode(p.dc, TRANSPARENT);
  TextOutW(p.dc, 30, 5, u"Ab", 2);
  ASSERT_TRUE(EndPath(p.dc));
  EXPECT_EQ(GetPixel(p.dc, 10, 10), kWhite) << "nothing drawn while recording";
  ASSERT_TRUE(StrokeAndFillPath(p.dc));
  EXPECT_EQ(GetPixel(p.dc, 10, 10), RGB(0, 200, 0));
  const RECT ink = p.InkBox(kBlack);
  EXPECT_GT(ink.right, 60) << "the glyph outlines are stroked";
  EXPECT_FALSE(FillPath(p.dc)) << "the path is used up";

  BeginPath(p.dc);
  Ellipse(p.dc, 100, 10, 140, 50);
  EndPath(p.dc);
  HRGN rgn = PathToRegion(p.dc);
  ASSERT_NE(rgn, nullptr);
  EXPECT_TRUE(PtInRegion(rgn, 120, 30));
  EXPECT_FALSE(PtInRegion(rgn, 101, 11));
  DeleteObject(rgn);
  p.Save("gdi_paths.png");
  SelectObject(p.dc, oldFont);
  DeleteObject(font);
  SelectObject(p.dc, oldBrush);
  SelectObject(s.dc, oldBrush);
  DeleteObject(green);
}

TEST(GdiDraw, FillRectTakesASystemColourIndexPlusOne) {
  Surface s(4, 4);
  const LONG brushes = Kx2GdiLiveObjects(OBJ_BRUSH);
  RECT r{0, 0, 2, 2};
  ASSERT_TRUE(FillRect(s.dc, &r, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(13 + 1))));
  EXPECT_EQ(GetPixel(s.dc, 1, 1), GetSysColor(13));
  EXPECT_EQ(Kx2GdiLiveObjects(OBJ_BRUSH), brushes);
  EXPECT_FALSE(FillRect(s.dc, &r, reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(40))));
}

TEST(GdiDraw, PngIsOpaqueAndWrittenWhole) {
  const char* out = std::getenv("KX2_TEST_OUTPUT");
  if (!out) GTEST_SKIP() << "KX2_TEST_OUTPUT names no folder (the build sets it for ctest)";
  const std::string dir = out;
  std::u16string path;
  for (char ch : dir + "/gdi_png_check.png") path += static_cast<char16_t>(ch);
  const uint32_t pixels[2] = {0x00FF0000, 0x800000FF};  // fourth bytes 0 and 0x80
  ASSERT_TRUE(Kx2WritePng(path.c_str(), reinterpret_cast<const uint8_t*>(pixels), 2, 1, 8, FALSE));
  std::ifstream in(dir + "/gdi_png_check.png", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(bytes.size(), 33u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  EXPECT_EQ(static_cast<uint8_t>(bytes[25]), 2) << "colour type RGB: opaque";
  std::u16string missing = u"/no/such/folder/x.png";
  EXPECT_FALSE(Kx2WritePng(missing.c_str(), reinterpret_cast<const uint8_t*>(pixels), 2, 1, 8, FALSE));
  EXPECT_FALSE(Kx2WritePng(path.c_str(), reinterpret_cast<const uint8_t*>(pixels), 40000, 1, 8, FALSE));
}

}  // namespace

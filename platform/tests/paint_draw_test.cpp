// Drawing helpers on a memory DC: edges, focus rectangles, gradients, mirrored layouts.
#include <gtest/gtest.h>

#include "win/gdi.h"
#include "win/module.h"
#include "win/user.h"

namespace {

struct Canvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(40, 40, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  Canvas() {
    RECT all{0, 0, 40, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
};

TEST(PaintDraw, EdgesTakeTheirColoursAndAdjust) {
  const struct {
    UINT edge;
    int outerTopLeft, outerBottomRight, innerTopLeft;
  } cases[] = {
      {EDGE_RAISED, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DHILIGHT},
      {EDGE_SUNKEN, COLOR_3DSHADOW, COLOR_3DHILIGHT, COLOR_3DDKSHADOW},
      {EDGE_ETCHED, COLOR_3DSHADOW, COLOR_3DHILIGHT, COLOR_3DHILIGHT},
  };
  for (const auto& c : cases) {
    Canvas canvas;
    RECT r{5, 5, 30, 30};
    ASSERT_TRUE(DrawEdge(canvas.dc, &r, c.edge, BF_RECT | BF_ADJUST | BF_MIDDLE));
    EXPECT_EQ(GetPixel(canvas.dc, 5, 10), GetSysColor(c.outerTopLeft)) << c.edge;
    EXPECT_EQ(GetPixel(canvas.dc, 29, 10), GetSysColor(c.outerBottomRight)) << c.edge;
    EXPECT_EQ(GetPixel(canvas.dc, 6, 10), GetSysColor(c.innerTopLeft)) << c.edge;
    EXPECT_EQ(GetPixel(canvas.dc, 15, 15), GetSysColor(COLOR_3DFACE)) << c.edge;
    EXPECT_EQ(r.left, 7);
    EXPECT_EQ(r.bottom, 28);
  }
  Canvas canvas;
  RECT r{5, 5, 30, 30};
  DrawEdge(canvas.dc, &r, EDGE_RAISED, BF_LEFT);
  EXPECT_EQ(GetPixel(canvas.dc, 20, 5), RGB(255, 255, 255)) << "only the side asked for";
  EXPECT_EQ(r.left, 5) << "no BF_ADJUST";
}

TEST(PaintDraw, FocusRectangleDrawnTwiceGoesAway) {
  Canvas canvas;
  RECT r{2, 2, 20, 12};
  DrawFocusRect(canvas.dc, &r);
  EXPECT_EQ(GetPixel(canvas.dc, 2, 2), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(canvas.dc, 3, 2), RGB(255, 255, 255));
  DrawFocusRect(canvas.dc, &r);
  EXPECT_EQ(GetPixel(canvas.dc, 2, 2), RGB(255, 255, 255));
}

TEST(PaintDraw, GradientFillShadesRectanglesAndTriangles) {
  Canvas canvas;
  TRIVERTEX v[3] = {{0, 0, 0xFF00, 0, 0, 0}, {40, 10, 0, 0, 0xFF00, 0}, {0, 40, 0, 0xFF00, 0, 0}};
  GRADIENT_RECT across{0, 1};
  ASSERT_TRUE(GradientFill(canvas.dc, v, 2, &across, 1, GRADIENT_FILL_RECT_H));
  EXPECT_GE(GetRValue(GetPixel(canvas.dc, 0, 5)), 250);
  EXPECT_GE(GetBValue(GetPixel(canvas.dc, 39, 5)), 250);
  const COLORREF middle = GetPixel(canvas.dc, 20, 5);
  EXPECT_NEAR(GetRValue(middle), 127, 8);
  EXPECT_NEAR(GetBValue(middle), 127, 8);
  EXPECT_EQ(GetPixel(canvas.dc, 20, 10), RGB(255, 255, 255)) << "the rectangle ends at its lower right vertex";

  // A triangle shades from each vertex and leaves what is outside it.
  TRIVERTEX t[3] = {{0, 10, 0xFF00, 0, 0, 0}, {40, 10, 0, 0, 0xFF00, 0}, {0, 40, 0, 0xFF00, 0, 0}};
  GRADIENT_TRIANGLE tri{0, 1, 2};
  ASSERT_TRUE(GradientFill(canvas.dc, t, 3, &tri, 1, GRADIENT_FILL_TRIANGLE));
  EXPECT_GE(GetRValue(GetPixel(canvas.dc, 0, 10)), 240);
  EXPECT_GE(GetGValue(GetPixel(canvas.dc, 0, 39)), 230);
  EXPECT_EQ(GetPixel(canvas.dc, 39, 39), RGB(255, 255, 255));

  // A mesh naming a vertex that does not exist draws nothing.
  GRADIENT_RECT bad{0, 7};
  EXPECT_FALSE(GradientFill(canvas.dc, v, 2, &bad, 1, GRADIENT_FILL_RECT_V));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(PaintDraw, MirroredLayoutPutsXZeroAtTheRightAndMayKeepBitmapsTheWayRound) {
  // A 4 x 1 source: red at its left end, the rest blue.
  HDC src = CreateCompatibleDC(nullptr);
  HBITMAP bits = CreateBitmap(4, 1, 1, 32, nullptr);
  HGDIOBJ oldSrc = SelectObject(src, bits);
  for (int x = 0; x < 4; ++x) SetPixel(src, x, 0, x == 0 ? RGB(255, 0, 0) : RGB(0, 0, 255));

  Canvas canvas;
  EXPECT_EQ(SetLayout(canvas.dc, LAYOUT_RTL), 0u);
  EXPECT_EQ(GetLayout(canvas.dc), static_cast<DWORD>(LAYOUT_RTL));
  RECT cell{0, 0, 2, 2};
  FillRect(canvas.dc, &cell, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetLayout(canvas.dc, 0);
  EXPECT_EQ(GetPixel(canvas.dc, 39, 0), RGB(0, 0, 0)) << "logical x 0 is the right edge";
  EXPECT_EQ(GetPixel(canvas.dc, 0, 0), RGB(255, 255, 255));

  const struct {
    DWORD layout, rop;
    bool kept;
  } cases[] = {
      {LAYOUT_RTL, SRCCOPY, false},
      {LAYOUT_RTL | LAYOUT_BITMAPORIENTATIONPRESERVED, SRCCOPY, true},
      {LAYOUT_RTL, SRCCOPY | NOMIRRORBITMAP, true},
  };
  for (const auto& c : cases) {
    SetLayout(canvas.dc, c.layout);
    ASSERT_TRUE(BitBlt(canvas.dc, 0, 10, 4, 1, src, 0, 0, c.rop));
    SetLayout(canvas.dc, 0);
    // The blit covers device x 36..39 either way; the red end is where orientation says.
    EXPECT_EQ(GetPixel(canvas.dc, c.kept ? 36 : 39, 10), RGB(255, 0, 0)) << c.layout << " " << c.rop;
    EXPECT_EQ(GetPixel(canvas.dc, c.kept ? 39 : 36, 10), RGB(0, 0, 255)) << c.layout << " " << c.rop;
  }
  SelectObject(src, oldSrc);
  DeleteObject(bits);
  DeleteDC(src);
}

TEST(PaintDraw, BlendingAndLayoutCallsAreFoundByName) {
  const struct {
    const char16_t* library;
    const char* name;
  } cases[] = {{u"msimg32", "AlphaBlend"}, {u"msimg32.dll", "TransparentBlt"}, {u"MSIMG32", "GradientFill"},
               {u"gdi32", "GetLayout"},    {u"gdi32.dll", "SetLayout"},        {u"gdi32", "GradientFill"}};
  for (const auto& c : cases) {
    HMODULE module = LoadLibraryW(c.library);
    ASSERT_TRUE(module) << c.name;
    EXPECT_TRUE(GetProcAddress(module, c.name)) << c.name;
    FreeLibrary(module);
  }
}

}  // namespace

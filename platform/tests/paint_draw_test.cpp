// DrawEdge and DrawFocusRect on a memory DC.
#include <gtest/gtest.h>

#include "win/gdi.h"
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

}  // namespace

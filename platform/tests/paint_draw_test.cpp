// Drawing helpers on a memory DC: edges, focus rectangles, gradients, mirrored layouts.
#include <gtest/gtest.h>

#include <vector>

#include "win/gdi.h"
#include "win/module.h"
#include "win/userres.h"
#include "win/user.h"

namespace {

struct Canvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap;
  HGDIOBJ old;
  int width, height;
  explicit Canvas(int w = 40, int h = 40) : bitmap(CreateBitmap(w, h, 1, 32, nullptr)), width(w), height(h) {
    old = SelectObject(dc, bitmap);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  // Pixels of a colour inside a rectangle.
  int Count(COLORREF colour, RECT r) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += GetPixel(dc, x, y) == colour;
    return n;
  }
  int Count(COLORREF colour) const { return Count(colour, RECT{0, 0, width, height}); }
  // Pixels that are not white.
  int Ink(RECT r) const { return (r.right - r.left) * (r.bottom - r.top) - Count(RGB(255, 255, 255), r); }
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

TEST(PaintDraw, FrameControlsInTheirClassicLook) {
  const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
  const COLORREF light = GetSysColor(COLOR_3DLIGHT), shadow = GetSysColor(COLOR_3DSHADOW);
  const COLORREF face = GetSysColor(COLOR_3DFACE), window = GetSysColor(COLOR_WINDOW);
  const struct {
    UINT type, state;
    POINT probe;
    COLORREF expected;
    const char* what;
  } cases[] = {
      {DFC_CAPTION, DFCS_CAPTIONCLOSE, {0, 0}, light, "raised edge"},
      {DFC_CAPTION, DFCS_CAPTIONCLOSE | DFCS_PUSHED, {0, 0}, shadow, "sunken when pushed"},
      {DFC_CAPTION, DFCS_CAPTIONCLOSE, {2, 10}, face, "face beside the cross"},
      {DFC_BUTTON, DFCS_BUTTONPUSH, {10, 10}, face, "push face"},
      {DFC_BUTTON, DFCS_BUTTONCHECK, {10, 10}, window, "empty check box well"},
      {DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_INACTIVE, {10, 10}, face, "inactive check box well"},
      {DFC_BUTTON, DFCS_BUTTONRADIO, {10, 10}, window, "radio well"},
      {DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED, {10, 10}, black, "radio dot"},
      {DFC_BUTTON, DFCS_BUTTONRADIOMASK, {0, 0}, white, "radio mask corner"},
      {DFC_BUTTON, DFCS_BUTTONRADIOMASK, {10, 10}, black, "radio mask inside"},
      {DFC_SCROLL, DFCS_SCROLLDOWN, {2, 2}, face, "arrow face"},
      {DFC_MENU, DFCS_MENUCHECK, {0, 0}, white, "menu mask background"},
  };
  for (const auto& c : cases) {
    Canvas canvas(20, 20);
    RECT r{0, 0, 20, 20};
    ASSERT_TRUE(DrawFrameControl(canvas.dc, &r, c.type, c.state)) << c.what;
    EXPECT_EQ(GetPixel(canvas.dc, c.probe.x, c.probe.y), c.expected) << c.what;
  }
  // Symbols: the close cross inks both diagonals, the check mark is in the window text colour,
  // the down arrow points down (more ink below the middle than above).
  Canvas cross(20, 20);
  RECT r{0, 0, 20, 20};
  DrawFrameControl(cross.dc, &r, DFC_CAPTION, DFCS_CAPTIONCLOSE);
  EXPECT_GT(cross.Count(black, RECT{5, 5, 10, 10}), 0);
  EXPECT_GT(cross.Count(black, RECT{10, 5, 15, 10}), 0);
  Canvas check(20, 20);
  DrawFrameControl(check.dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  EXPECT_GT(check.Count(GetSysColor(COLOR_WINDOWTEXT), RECT{3, 3, 17, 17}), 8);
  Canvas arrow(20, 20);
  DrawFrameControl(arrow.dc, &r, DFC_SCROLL, DFCS_SCROLLDOWN);
  // Rows of the glyph (not face) inside the edges: the first is the widest, the last narrowest.
  std::vector<int> widths;
  for (int y = 3; y < 17; ++y) {
    const int width = 14 - arrow.Count(face, RECT{3, y, 17, y + 1});
    if (width > 0) widths.push_back(width);
  }
  ASSERT_GE(widths.size(), 3u);
  EXPECT_GT(widths.front(), widths.back());
  RECT adjusted{0, 0, 20, 20};
  DrawFrameControl(arrow.dc, &adjusted, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
  EXPECT_EQ(adjusted.left, 2);
  EXPECT_EQ(adjusted.bottom, 18);
  Canvas bad;
  EXPECT_FALSE(DrawFrameControl(bad.dc, &r, 99, 0));
}

BOOL CALLBACK DrawBlock(HDC dc, LPARAM, WPARAM, int cx, int cy) {
  RECT r{2, 2, cx - 2, cy - 2};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  return TRUE;
}

TEST(PaintDraw, DrawStateDrawsNormallyDisabledOrInTheBrush) {
  const COLORREF hilight = GetSysColor(COLOR_3DHILIGHT), shadow = GetSysColor(COLOR_3DSHADOW);
  const COLORREF red = RGB(255, 0, 0), black = RGB(0, 0, 0);
  // Text: normal in the text colour; disabled embossed with no text colour left; mono in the brush.
  {
    Canvas canvas(80, 30);
    SetTextColor(canvas.dc, black);
    SetBkMode(canvas.dc, TRANSPARENT);
    ASSERT_TRUE(DrawStateW(canvas.dc, nullptr, nullptr, reinterpret_cast<LPARAM>(u"Wide"), 0, 4, 4, 0, 0,
                           DST_TEXT | DSS_NORMAL));
    EXPECT_GT(canvas.Count(black), 10);
  }
  {
    Canvas canvas(80, 30);
    RECT all{0, 0, 80, 30};
    FillRect(canvas.dc, &all, GetSysColorBrush(COLOR_3DFACE));
    ASSERT_TRUE(DrawStateW(canvas.dc, nullptr, nullptr, reinterpret_cast<LPARAM>(u"Wide"), 0, 4, 4, 0, 0,
                           DST_TEXT | DSS_DISABLED));
    EXPECT_GT(canvas.Count(shadow), 10);
    EXPECT_GT(canvas.Count(hilight), 3);
    EXPECT_EQ(canvas.Count(black), 0);
  }
  {
    Canvas canvas(80, 30);
    HBRUSH brush = CreateSolidBrush(red);
    ASSERT_TRUE(
        DrawStateW(canvas.dc, brush, nullptr, reinterpret_cast<LPARAM>(u"Wide"), 0, 4, 4, 0, 0, DST_TEXT | DSS_MONO));
    DeleteObject(brush);
    EXPECT_GT(canvas.Count(red), 10);
    EXPECT_EQ(canvas.Ink(RECT{0, 0, 80, 30}), canvas.Count(red));
  }
  // A callback's drawing and a bitmap, disabled: the shadow where the ink was, the
  // highlight one pixel down and right.
  {
    Canvas canvas(40, 40);
    ASSERT_TRUE(DrawStateW(canvas.dc, nullptr, &DrawBlock, 0, 0, 10, 10, 12, 12, DST_COMPLEX | DSS_DISABLED));
    EXPECT_EQ(GetPixel(canvas.dc, 12, 12), shadow);
    EXPECT_EQ(GetPixel(canvas.dc, 20, 20), hilight);
    EXPECT_EQ(GetPixel(canvas.dc, 11, 11), RGB(255, 255, 255));
  }
  {
    Canvas source(6, 6);
    RECT block{0, 0, 3, 6};
    FillRect(source.dc, &block, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SelectObject(source.dc, source.old);
    Canvas canvas(40, 40);
    ASSERT_TRUE(DrawStateW(canvas.dc, nullptr, nullptr, reinterpret_cast<LPARAM>(source.bitmap), 0, 0, 0, 0, 0,
                           DST_BITMAP | DSS_NORMAL));
    EXPECT_EQ(GetPixel(canvas.dc, 1, 1), black);
    EXPECT_EQ(GetPixel(canvas.dc, 4, 1), RGB(255, 255, 255));
    source.old = SelectObject(source.dc, source.bitmap);
  }
}

TEST(PaintDraw, TabbedTextPutsPartsAtTheirStops) {
  Canvas canvas(200, 30);
  SetBkMode(canvas.dc, TRANSPARENT);
  const INT stops[] = {60, 120};
  const LONG extent = TabbedTextOutW(canvas.dc, 0, 0, u"a\tb\tc", 5, 2, stops, 0);
  SIZE c{};
  GetTextExtentPoint32W(canvas.dc, u"c", 1, &c);
  EXPECT_EQ(LOWORD(extent), 120 + c.cx);
  EXPECT_GT(HIWORD(extent), 0);
  EXPECT_EQ(canvas.Ink(RECT{20, 0, 60, 30}), 0) << "nothing between a and the first stop";
  EXPECT_GT(canvas.Ink(RECT{60, 0, 75, 30}), 0);
  EXPECT_GT(canvas.Ink(RECT{120, 0, 135, 30}), 0);
  EXPECT_EQ(GetTabbedTextExtentW(canvas.dc, u"a\tb\tc", 5, 2, stops), static_cast<DWORD>(extent));
  // One stop is an interval.
  const INT every[] = {50};
  EXPECT_EQ(LOWORD(GetTabbedTextExtentW(canvas.dc, u"a\t\tc", 4, 1, every)), 100 + c.cx);
}

TEST(PaintDraw, GrayStringPaintsTheInkInGray) {
  Canvas canvas(80, 30);
  ASSERT_TRUE(GrayStringW(canvas.dc, nullptr, nullptr, reinterpret_cast<LPARAM>(u"Gray"), 4, 2, 2, 0, 0));
  EXPECT_GT(canvas.Count(GetSysColor(COLOR_GRAYTEXT)), 10);
  EXPECT_EQ(canvas.Ink(RECT{0, 0, 80, 30}), canvas.Count(GetSysColor(COLOR_GRAYTEXT)));
}

TEST(PaintDraw, IconsMadeFromBitmapsDrawByTheirMask) {
  // A red 8 x 8 icon whose left half is transparent.
  Canvas colour(8, 8);
  RECT all{0, 0, 8, 8};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(colour.dc, &all, red);
  DeleteObject(red);
  HBITMAP mask = CreateBitmap(8, 8, 1, 1, nullptr);
  HDC maskDc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldMask = SelectObject(maskDc, mask);
  RECT left{0, 0, 4, 8}, right{4, 0, 8, 8};
  FillRect(maskDc, &left, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  FillRect(maskDc, &right, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SelectObject(maskDc, oldMask);
  DeleteDC(maskDc);
  SelectObject(colour.dc, colour.old);
  ICONINFO info{TRUE, 0, 0, mask, colour.bitmap};
  HICON icon = CreateIconIndirect(&info);
  colour.old = SelectObject(colour.dc, colour.bitmap);
  DeleteObject(mask);
  ASSERT_TRUE(icon);

  Canvas canvas(40, 20);
  ASSERT_TRUE(DrawIconEx(canvas.dc, 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(canvas.dc, 2, 2), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(canvas.dc, 12, 12), RGB(255, 0, 0));
  ASSERT_TRUE(DrawIconEx(canvas.dc, 20, 0, icon, 0, 0, 0, nullptr, DI_MASK));
  EXPECT_EQ(GetPixel(canvas.dc, 21, 1), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(canvas.dc, 26, 1), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(canvas.dc, 30, 1), RGB(255, 255, 255)) << "the icon's own size";

  // Taken apart and copied, it keeps its pixels and mask.
  ICONINFO parts{};
  ASSERT_TRUE(GetIconInfo(icon, &parts));
  BITMAP bm{};
  GetObjectW(parts.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 8);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  HDC partDc = CreateCompatibleDC(nullptr);
  HGDIOBJ oldPart = SelectObject(partDc, parts.hbmMask);
  EXPECT_EQ(GetPixel(partDc, 1, 1), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(partDc, 6, 1), RGB(0, 0, 0));
  SelectObject(partDc, parts.hbmColor);
  EXPECT_EQ(GetPixel(partDc, 6, 1), RGB(255, 0, 0));
  SelectObject(partDc, oldPart);
  DeleteDC(partDc);
  DeleteObject(parts.hbmMask);
  DeleteObject(parts.hbmColor);
  HICON copy = CopyIcon(icon);
  ASSERT_TRUE(DestroyIcon(icon));
  Canvas again(20, 20);
  ASSERT_TRUE(DrawIconEx(again.dc, 0, 0, copy, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(GetPixel(again.dc, 6, 1), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(again.dc, 1, 1), RGB(255, 255, 255));
  DestroyIcon(copy);
  EXPECT_FALSE(DrawIconEx(again.dc, 0, 0, copy, 0, 0, 0, nullptr, DI_NORMAL));
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

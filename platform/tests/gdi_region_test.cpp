// Regions: CombineRgn agrees with cairo_region_t on random rectangles in every mode, and
// clipping, shapes and region painting keep to their pixels.
#include <cairo.h>
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include <win/gdi.h>
#include <win/kernel.h>

namespace {

cairo_region_t* CairoOf(HRGN rgn) {
  const DWORD size = GetRegionData(rgn, 0, nullptr);
  std::vector<char> data(size);
  auto* rd = reinterpret_cast<RGNDATA*>(data.data());
  EXPECT_EQ(GetRegionData(rgn, size, rd), size);
  cairo_region_t* out = cairo_region_create();
  const auto* rects = reinterpret_cast<const RECT*>(rd->Buffer);
  for (DWORD i = 0; i < rd->rdh.nCount; ++i) {
    cairo_rectangle_int_t r{rects[i].left, rects[i].top, rects[i].right - rects[i].left,
                            rects[i].bottom - rects[i].top};
    cairo_region_union_rectangle(out, &r);
  }
  return out;
}

std::string Dump(cairo_region_t* r) {
  std::string s;
  for (int i = 0; i < cairo_region_num_rectangles(r); ++i) {
    cairo_rectangle_int_t q;
    cairo_region_get_rectangle(r, i, &q);
    s += " (" + std::to_string(q.x) + "," + std::to_string(q.y) + " " + std::to_string(q.width) + "x" +
         std::to_string(q.height) + ")";
  }
  return s;
}

TEST(GdiRegion, CombineAgreesWithCairoInEveryMode) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> coord(-20, 60);
  for (int round = 0; round < 200; ++round) {
    HRGN a = CreateRectRgn(0, 0, 0, 0), b = CreateRectRgn(0, 0, 0, 0);
    cairo_region_t* ca = cairo_region_create();
    cairo_region_t* cb = cairo_region_create();
    for (int i = 0; i < 4; ++i) {
      for (auto [rgn, cr] : {std::pair{a, ca}, std::pair{b, cb}}) {
        const int x = coord(random), y = coord(random), w = coord(random) / 2 + 10, h = coord(random) / 2 + 10;
        HRGN part = CreateRectRgn(x, y, x + w, y + h);
        CombineRgn(rgn, rgn, part, RGN_OR);
        DeleteObject(part);
        cairo_rectangle_int_t r{x, y, w, h};
        cairo_region_union_rectangle(cr, &r);
      }
    }
    for (int mode : {RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY}) {
      HRGN out = CreateRectRgn(0, 0, 0, 0);
      const int kind = CombineRgn(out, a, b, mode);
      cairo_region_t* expect = cairo_region_copy(ca);
      if (mode == RGN_AND) cairo_region_intersect(expect, cb);
      if (mode == RGN_OR) cairo_region_union(expect, cb);
      if (mode == RGN_XOR) cairo_region_xor(expect, cb);
      if (mode == RGN_DIFF) cairo_region_subtract(expect, cb);
      cairo_region_t* got = CairoOf(out);
      // Two empty Cairo regions may keep different extents: compare emptiness first.
      const bool same = cairo_region_is_empty(expect) ? cairo_region_is_empty(got) : cairo_region_equal(got, expect);
      EXPECT_TRUE(same) << "mode " << mode << " round " << round << Dump(got) << " vs " << Dump(expect);
      EXPECT_EQ(kind, cairo_region_is_empty(expect)              ? NULLREGION
                      : cairo_region_num_rectangles(expect) == 1 ? SIMPLEREGION
                                                                 : COMPLEXREGION);
      cairo_region_destroy(got);
      cairo_region_destroy(expect);
      DeleteObject(out);
    }
    cairo_region_destroy(ca);
    cairo_region_destroy(cb);
    DeleteObject(a);
    DeleteObject(b);
  }
}

TEST(GdiRegion, QueriesAndBadHandles) {
  HRGN r = CreateRoundRectRgn(0, 0, 20, 20, 10, 10);
  EXPECT_FALSE(PtInRegion(r, 0, 0)) << "rounded corner";
  EXPECT_TRUE(PtInRegion(r, 10, 0));
  EXPECT_TRUE(PtInRegion(r, 10, 10));
  RECT box{};
  EXPECT_EQ(GetRgnBox(r, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.bottom, 20);
  EXPECT_EQ(OffsetRgn(r, 5, 5), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(r, 15, 15));
  const POINT triangle[3] = {{0, 0}, {10, 0}, {0, 10}};
  HRGN t = CreatePolygonRgn(triangle, 3, ALTERNATE);
  EXPECT_TRUE(PtInRegion(t, 1, 1));
  EXPECT_FALSE(PtInRegion(t, 9, 9));
  DeleteObject(t);
  DeleteObject(r);
  SetLastError(0);
  EXPECT_EQ(CombineRgn(r, r, r, RGN_OR), ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(PtInRegion(nullptr, 0, 0));
}

TEST(GdiRegion, ClipLimitsDrawingAndFrameRgnDrawsTheEdge) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(20, 20, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  IntersectClipRect(dc, 5, 5, 15, 15);
  ExcludeClipRect(dc, 8, 8, 10, 10);
  RECT all{0, 0, 20, 20};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, red);
  SelectClipRgn(dc, nullptr);
  EXPECT_EQ(GetPixel(dc, 4, 4), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 8, 8), RGB(0, 0, 0)) << "excluded";
  EXPECT_EQ(GetPixel(dc, 14, 14), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc, 15, 15), RGB(0, 0, 0));
  RECT visible{0, 0, 3, 3};
  EXPECT_TRUE(RectVisible(dc, &visible));
  IntersectClipRect(dc, 10, 10, 11, 11);
  EXPECT_FALSE(RectVisible(dc, &visible));
  EXPECT_TRUE(PtVisible(dc, 10, 10));
  SelectClipRgn(dc, nullptr);

  HRGN rgn = CreateRectRgn(0, 0, 10, 10);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  EXPECT_TRUE(FrameRgn(dc, rgn, blue, 2, 1));
  EXPECT_EQ(GetPixel(dc, 1, 5), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc, 2, 5), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 5, 0), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc, 5, 1), RGB(0, 0, 0));
  DeleteObject(rgn);
  DeleteObject(blue);
  DeleteObject(red);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace

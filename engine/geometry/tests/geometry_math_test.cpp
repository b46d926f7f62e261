#include "plastrum/geometry/GeometryMath.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Present::Geometry;

TEST(GeometryDegrees, TableReadingsIncludingFoldedAngles) {
  struct Case {
    int16_t degrees;
    float sine;
    float cosine;
  };
  const Case cases[] = {
      {0, 0.0f, 1.0f},
      {30, 0.5f, 0.866025f},
      {90, 1.0f, 0.0f},
      {180, 0.0f, -1.0f},
      {270, -1.0f, 0.0f},
      {1, 0.017452f, 0.999848f},
      {359, -0.017452f, 0.999848f},
      // Outside 0..360 the angle folds modulo 360 instead of reading past the table.
      {450, 1.0f, 0.0f},
      {-90, -1.0f, 0.0f},
      {-30, -0.5f, 0.866025f},
      {720, 0.0f, 1.0f},
      {32767, SinDegrees(32767 % 360), CosDegrees(32767 % 360)},
      {-32768, SinDegrees(-32768 % 360 + 360), CosDegrees(-32768 % 360 + 360)},
  };
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(SinDegrees(c.degrees), c.sine) << c.degrees;
    EXPECT_FLOAT_EQ(CosDegrees(c.degrees), c.cosine) << c.degrees;
  }
  // 360 stays 360: the table gives -C[90], a negative zero.
  EXPECT_EQ(SinDegrees(360), 0.0f);
  EXPECT_TRUE(std::signbit(SinDegrees(360)));
}

TEST(GeometryRotate, ZeroIsUntouchedAndAnglesFoldOnce) {
  PointF p{3.25f, -1.5f};
  RotatePoint({1, 1}, p, 0);
  EXPECT_EQ(p, (PointF{3.25f, -1.5f}));

  const struct {
    float degrees;
    float equivalent;
  } cases[] = {{-30, 330}, {400, 40}, {800, 80}, {90, 90}};
  for (const auto& c : cases) {
    PointF a{2, 0}, b{2, 0};
    RotatePoint({0, 0}, a, c.degrees);
    RotatePoint({0, 0}, b, c.equivalent);
    EXPECT_NEAR(a.x, b.x, 1e-4) << c.degrees;
    EXPECT_NEAR(a.y, b.y, 1e-4) << c.degrees;
  }
  PointF q{2, 0};
  RotatePoint({0, 0}, q, 90);
  EXPECT_NEAR(q.x, 0, 1e-6);
  EXPECT_NEAR(q.y, 2, 1e-6);
  EXPECT_EQ(FoldDegreesOnce(800), 440);
}

TEST(GeometryRect, EdgesIntersectionUnionInflate) {
  const RectF r{0, 0, 10, 5};
  EXPECT_TRUE(PointInRect({0, 0}, r));
  EXPECT_FALSE(PointInRect({10, 0}, r));
  EXPECT_FALSE(PointInRect({0, 5}, r));
  EXPECT_TRUE(PointInRect({9.99f, 4.99f}, r));

  RectF a = r;
  EXPECT_FALSE(IntersectRect(a, RectF{10, 0, 5, 5}));  // touching edges only
  EXPECT_EQ(a.width, 10);
  EXPECT_TRUE(IntersectRect(a, RectF{5, 2, 10, 10}));
  EXPECT_EQ(a.x, 5);
  EXPECT_EQ(a.y, 2);
  EXPECT_EQ(a.width, 5);
  EXPECT_EQ(a.height, 3);

  RectF u = r;
  EXPECT_TRUE(UnionRect(u, RectF{-2, 1, 1, 10}));
  EXPECT_EQ(u.x, -2);
  EXPECT_EQ(u.width, 12);
  EXPECT_EQ(u.height, 11);

  RectF n{0, 0, NAN, 1};
  EXPECT_FALSE(IntersectRect(n, r));

  RectF i = r;
  InflateRect(i, 1, 2);
  EXPECT_EQ(i.x, -1);
  EXPECT_EQ(i.y, -2);
  EXPECT_EQ(i.width, 12);
  EXPECT_EQ(i.height, 9);
}

TEST(GeometryPoints, LerpAlongSegmentAndSide) {
  PointF out;
  const PointF a{0.1f, 7.3f}, b{123.7f, -0.9f};
  LerpPoint(out, a, b, 0);
  EXPECT_EQ(out, a);
  LerpPoint(out, a, b, 1);
  EXPECT_EQ(out, b);

  PointAlongSegment(0, 1, a, b, out);
  EXPECT_EQ(out, b);
  PointAlongSegment(5, 1, b, b, out);
  EXPECT_EQ(out, b);
  PointAlongSegment(3, 1, {10, 0}, {0, 0}, out);
  EXPECT_FLOAT_EQ(out.x, 3);
  PointAlongSegment(30, 0.5f, {10, 0}, {0, 0}, out);  // capped at half way
  EXPECT_FLOAT_EQ(out.x, 5);

  EXPECT_TRUE(SideOfLine({0, 0}, {1, 0}, {0, 1}));
  EXPECT_FALSE(SideOfLine({0, 0}, {1, 0}, {0, -1}));
  EXPECT_TRUE(SideOfLine({0, 0}, {1, 0}, {5, 0}));   // on the line, rightwards
  EXPECT_FALSE(SideOfLine({1, 0}, {0, 0}, {5, 0}));  // on the line, leftwards
  EXPECT_FALSE(SideOfLine({0, 0}, {0, 1}, {0, 5}));  // on a vertical line
}

TEST(GeometrySegments, IntersectionCases) {
  struct Case {
    float p[8];
    bool meets;
    float x, y;
  };
  const Case cases[] = {
      {{0, 0, 2, 2, 0, 2, 2, 0}, true, 1, 1},  {{0, 0, 1, 1, 2, 2, 3, 0}, false, 0, 0},  // extents apart on x
      {{0, 0, 4, 0, 1, 1, 3, 1}, false, 0, 0},                                           // parallel, apart on y
      {{0, 0, 2, 0, 2, 0, 2, 3}, true, 2, 0},                                            // touching at an end point
      {{0, 0, 4, 0, 1, 0, 3, 0}, true, 1, 0},                                            // collinear overlap: P3
      {{0, 0, 2, 2, 3, 0, 2, 1}, false, 0, 0},  // overlapping extents but no crossing
  };
  for (const Case& c : cases) {
    float x = -99, y = -99;
    const bool meets = SegmentsIntersect(c.p[0], c.p[1], c.p[2], c.p[3], c.p[4], c.p[5], c.p[6], c.p[7], x, y);
    EXPECT_EQ(meets, c.meets) << c.p[0] << "," << c.p[1] << " " << c.p[4] << "," << c.p[5];
    if (c.meets) {
      EXPECT_FLOAT_EQ(x, c.x);
      EXPECT_FLOAT_EQ(y, c.y);
    }
  }
  PointF out;
  EXPECT_TRUE(LineIntersection({0, 0}, {1, 1}, {0, 2}, {2, 0}, out));
  EXPECT_FLOAT_EQ(out.x, 1);
  EXPECT_FALSE(LineIntersection({0, 0}, {1, 0}, {0, 1}, {1, 1}, out));
  EXPECT_EQ(out, (PointF{1, 0}));
}

TEST(GeometryOffset, SegmentsAndPolylines) {
  PointF movedB, movedA;
  OffsetSegment({0, 0}, {0, 10}, 2, true, movedB, movedA);  // vertical: along x only
  EXPECT_EQ(movedA, (PointF{-2, 0}));
  EXPECT_EQ(movedB, (PointF{-2, 10}));
  OffsetSegment({0, 0}, {10, 0}, 2, false, movedB, movedA);  // horizontal, flag clear
  EXPECT_EQ(movedA, (PointF{0, -2}));
  OffsetSegment({0, 0}, {3, 4}, 5, true, movedB, movedA);
  EXPECT_FLOAT_EQ(movedA.x, -4);
  EXPECT_FLOAT_EQ(movedA.y, 3);

  PointF out[4] = {{-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}};
  const PointF two[2] = {{0, 0}, {1, 0}};
  EXPECT_EQ(OffsetPolyline(two, 2, 1, 0, out), 0);
  EXPECT_EQ(out[0], (PointF{-1, -1}));

  // An L turning left; side 1 lies inside the turn, side 0 outside.
  const PointF l[3] = {{0, 0}, {10, 0}, {10, 10}};
  ASSERT_EQ(OffsetPolyline(l, 3, 1, 1, out), 1);
  EXPECT_NEAR(out[0].y, 1, 1e-5);
  EXPECT_NEAR(out[1].x, 9, 1e-5);
  EXPECT_NEAR(out[1].y, 1, 1e-5);
  EXPECT_NEAR(out[2].x, 9, 1e-5);
  ASSERT_EQ(OffsetPolyline(l, 3, 1, 0, out), 1);
  EXPECT_NEAR(out[1].x, 11, 1e-5);
  EXPECT_NEAR(out[1].y, -1, 1e-5);

  // A straight corner keeps the exact offset.
  const PointF straight[3] = {{0, 0}, {5, 0}, {10, 0}};
  ASSERT_EQ(OffsetPolyline(straight, 3, 2, 1, out), 1);
  for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(std::fabs(out[i].y), 2) << i;
  EXPECT_FLOAT_EQ(out[1].x, 5);

  // A closed square: the closing corner is mitred like the others.
  const PointF square[5] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
  PointF sq[5];
  ASSERT_EQ(OffsetPolyline(square, 5, 1, 1, sq), 1);
  EXPECT_EQ(sq[0], sq[4]);
  EXPECT_NEAR(sq[0].x, 1, 1e-5);
  EXPECT_NEAR(sq[0].y, 1, 1e-5);
}

TEST(GeometryGradient, NormalizeAndReverse) {
  const float pos[2] = {0.2f, 0.8f};
  const uint32_t col[2] = {0xFF0000, 0x0000FF};
  float p[4] = {};
  uint32_t c[4] = {};
  ASSERT_EQ(NormalizeGradientStops(pos, col, 2, p, c), 4);
  const float wantP[4] = {0, 0.2f, 0.8f, 1};
  const uint32_t wantC[4] = {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(p[i], wantP[i]);
    EXPECT_EQ(c[i], wantC[i]);
  }

  const float full[2] = {0, 1};
  float untouched[4] = {9, 9, 9, 9};
  EXPECT_EQ(NormalizeGradientStops(full, col, 2, untouched, c), 2);
  EXPECT_EQ(untouched[0], 9);
  const float tail[2] = {0, 0.5f};
  EXPECT_EQ(NormalizeGradientStops(tail, col, 2, p, c), 3);
  EXPECT_EQ(NormalizeGradientStops(pos, col, 0, p, c), 0);

  float rp[3];
  uint32_t rc[3];
  const float three[3] = {0, 0.25f, 1};
  const uint32_t cols[3] = {1, 2, 3};
  ReverseGradientStops(three, cols, rp, rc, 3);
  EXPECT_EQ(rp[0], 0);
  EXPECT_EQ(rp[1], 0.75f);
  EXPECT_EQ(rp[2], 1);
  EXPECT_EQ(rc[0], 3u);
  EXPECT_EQ(rc[2], 1u);
}

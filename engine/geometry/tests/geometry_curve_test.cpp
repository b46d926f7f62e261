#include "plastrum/geometry/CurveFlattening.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

using namespace Present::Geometry;

namespace {

struct PointList {
  PointF* points = nullptr;
  int count = 0;
  ~PointList() { FreePointList(points); }
};

float DistanceToLine(PointF p, PointF a, PointF b) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  return std::fabs(dy * (p.x - a.x) - dx * (p.y - a.y)) / std::hypot(dx, dy);
}

}  // namespace

TEST(GeometrySpline, ControlPointsOfCollinearAndTwoKnots) {
  const PointF knots[4] = {{0, 0}, {1, 2}, {3, 6}, {4, 8}};
  PointF first[3], second[3];
  ASSERT_TRUE(BezierSplineControlPoints(knots, 4, first, second));
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(DistanceToLine(first[i], knots[0], knots[3]), 0, 1e-5) << i;
    EXPECT_NEAR(DistanceToLine(second[i], knots[0], knots[3]), 0, 1e-5) << i;
  }
  // A smooth spline: the tangent is continuous at the inner knots.
  const PointF curve[3] = {{0, 0}, {5, 5}, {10, 0}};
  PointF f2[2], s2[2];
  ASSERT_TRUE(BezierSplineControlPoints(curve, 3, f2, s2));
  EXPECT_NEAR(curve[1].x - s2[0].x, f2[1].x - curve[1].x, 1e-5);
  EXPECT_NEAR(curve[1].y - s2[0].y, f2[1].y - curve[1].y, 1e-5);

  PointF f1[1], s1[1];
  const PointF line[2] = {{0, 0}, {3, 6}};
  ASSERT_TRUE(BezierSplineControlPoints(line, 2, f1, s1));
  EXPECT_FLOAT_EQ(f1[0].x, 1);
  EXPECT_FLOAT_EQ(f1[0].y, 2);
  EXPECT_FLOAT_EQ(s1[0].x, 2);
  EXPECT_FLOAT_EQ(s1[0].y, 4);
  EXPECT_FALSE(BezierSplineControlPoints(line, 1, f1, s1));
}

TEST(GeometryZigzag, StepCountsAndAlternation) {
  struct Case {
    float length, step;
    int points;
  };
  // Steps per segment are even and at least 2: 10/3 -> 3 -> 4; 10/20 -> 0 -> 2.
  const Case cases[] = {{10, 3, 5}, {10, 20, 3}, {10, 2.5f, 5}, {10, 1, 11}};
  for (const Case& c : cases) {
    const PointF line[2] = {{0, 0}, {c.length, 0}};
    PointList z;
    z.points = ZigzagPolyline(line, 2, c.step, 1, false, z.count);
    ASSERT_NE(z.points, nullptr);
    EXPECT_EQ(z.count, c.points) << c.step;
    for (int i = 0; i < z.count; ++i) EXPECT_FLOAT_EQ(std::fabs(z.points[i].y), i % 2 == 0 ? 0 : 1) << i;
    EXPECT_EQ(z.points[z.count - 1], line[1]);
  }

  const PointF l[3] = {{0, 0}, {10, 0}, {10, 10}};
  PointList on;
  on.points = ZigzagPolyline(l, 3, 3, 1, true, on.count);
  ASSERT_NE(on.points, nullptr);
  EXPECT_EQ(on.count, 9);
  EXPECT_NEAR(on.points[0].y, 1, 1e-5);  // starts on the offset line
  EXPECT_NEAR(on.points[8].x, 9, 1e-5);
}

TEST(GeometryZigzag, AroundMidlineSwingsBetweenBothEdges) {
  const PointF line[2] = {{0, 0}, {8, 0}};
  PointList z;
  z.points = ZigzagAroundMidline(line, 2, 2, 4, z.count);
  ASSERT_NE(z.points, nullptr);
  ASSERT_EQ(z.count, 5);
  const float wantY[5] = {2, 0, 2, 4, 2};
  for (int i = 0; i < 5; ++i) EXPECT_FLOAT_EQ(z.points[i].y, wantY[i]) << i;
}

TEST(GeometryZigzag, RefusesBadSteps) {
  const PointF line[3] = {{0, 0}, {10, 0}, {10, 10}};
  const float bad[] = {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       1e-30f};
  for (float step : bad) {
    int count = -1;
    EXPECT_EQ(ZigzagPolyline(line, 3, step, 1, false, count), nullptr) << step;
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ZigzagAroundMidline(line, 3, step, 1, count), nullptr) << step;
  }
  int count = -1;
  EXPECT_EQ(ZigzagPolyline(line, 1, 1, 1, false, count), nullptr);
  const PointF huge[2] = {{0, 0}, {3e38f, 3e38f}};
  EXPECT_EQ(ZigzagPolyline(huge, 2, 1, 1, false, count), nullptr);
  const PointF nan[2] = {{0, 0}, {NAN, 1}};
  EXPECT_EQ(ZigzagPolyline(nan, 2, 1, 1, false, count), nullptr);
}

TEST(GeometryArc, SweepsOfAnyLength) {
  const PointF centre{0, 0}, p1{10, 0}, p2{0, 10};
  std::vector<PointF> out(400, PointF{-7, -7});
  EXPECT_EQ(FlattenArc(centre, out.data(), p2, p1, 0, 2), 0);
  EXPECT_EQ(out[0], (PointF{-7, -7}));

  ASSERT_EQ(FlattenArc(centre, out.data(), p2, p1, 0, 90), 30);
  EXPECT_FLOAT_EQ(out[0].x, 10);
  EXPECT_FLOAT_EQ(out[29].x, 10 * CosDegrees(87));
  EXPECT_FLOAT_EQ(out[29].y, 10 * SinDegrees(87));

  // Full circles and beyond: every point lies on the circle, the second turn repeats the first.
  ASSERT_EQ(FlattenArc(centre, out.data(), p2, p1, 300, 720), 240);
  for (int i = 0; i < 240; ++i) EXPECT_NEAR(std::hypot(out[i].x, out[i].y), 10, 1e-4) << i;
  EXPECT_EQ(out[0], out[120]);

  // A negative sweep runs clockwise from the start.
  ASSERT_EQ(FlattenArc(centre, out.data(), p2, p1, 0, -9), 3);
  EXPECT_FLOAT_EQ(out[1].y, 10 * SinDegrees(-3));
  EXPECT_LT(out[1].y, 0);
}

TEST(GeometryBezier, EndsAndAliasing) {
  PointF out[2];
  FlattenCubicBezier(2, {1, 2}, {3, 9}, {7, -4}, {10, 5}, out);
  EXPECT_EQ(out[0], (PointF{1, 2}));
  EXPECT_NEAR(out[1].x, 10, 1e-5);
  EXPECT_NEAR(out[1].y, 5, 1e-5);

  // The start point may live in the output list itself.
  std::vector<PointF> list(11);
  list[0] = PointF{0, 0};
  FlattenQuadraticBezier(11, list[0], {5, 10}, {10, 0}, list.data());
  EXPECT_EQ(list[0], (PointF{0, 0}));
  EXPECT_NEAR(list[5].x, 5, 1e-5);
  EXPECT_NEAR(list[5].y, 5, 1e-5);
  EXPECT_NEAR(list[10].x, 10, 1e-4);

  PointF one[1];
  FlattenCubicBezier(1, {4, 4}, {0, 0}, {0, 0}, {9, 9}, one);
  EXPECT_EQ(one[0], (PointF{4, 4}));
}

TEST(GeometryCorners, CutOutline) {
  PointF out[8];
  ASSERT_TRUE(RectCornerOutline({0, 0, 10, 20}, out, 0));
  const PointF corners[8] = {{0, 0}, {10, 0}, {10, 0}, {10, 20}, {10, 20}, {0, 20}, {0, 20}, {0, 0}};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(out[i], corners[i]) << i;

  ASSERT_TRUE(RectCornerOutline({0, 0, 10, 10}, out, 0.5f));
  EXPECT_EQ(out[0], (PointF{5, 0}));
  EXPECT_EQ(out[1], (PointF{5, 0}));
  EXPECT_EQ(out[2], (PointF{10, 5}));
  EXPECT_EQ(out[7], (PointF{0, 5}));

  // Wide rectangle: corners cut by ratio times the shorter side (the height) along both edges.
  ASSERT_TRUE(RectCornerOutline({0, 0, 40, 10}, out, 0.2f));
  for (const PointF& p : out) {
    const bool onVertical = p.x == 0 || p.x == 40;
    const bool onHorizontal = p.y == 0 || p.y == 10;
    EXPECT_TRUE(onVertical != onHorizontal);
    if (onVertical) {
      EXPECT_TRUE(std::fabs(p.y - 2) < 1e-5 || std::fabs(p.y - 8) < 1e-5) << p.y;
    } else {
      EXPECT_TRUE(std::fabs(p.x - 2) < 1e-5 || std::fabs(p.x - 38) < 1e-5) << p.x;
    }
  }

  EXPECT_FALSE(RectCornerOutline({0, 0, 10, 10}, out, 0.6f));
  EXPECT_FALSE(RectCornerOutline({0, 0, 10, 10}, out, -0.1f));
  EXPECT_FALSE(RectCornerOutline({0, 0, 10, 10}, out, NAN));
}

#include <gtest/gtest.h>

#include <cmath>

#include "present_test_support.h"

using namespace present_test;
using Present::Drawing::AddAdjustHandle;
using Present::Drawing::AddAdjustHandleWithAnchor;
using Present::Drawing::Guideline;
using Present::Drawing::Segment;
using Present::Drawing::Segments;

namespace {

void ExpectNear(PointF a, PointF b, float tolerance = 0.01f) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
}

}  // namespace

TEST(PresentSegments, FlattenedCountsAndEndPointsLast) {
  Segments s;
  s.MoveTo({0, 0});
  s.LineTo({100, 0});
  s.ArcTo({200, 100}, {100, 100});  // quarter circle about (100, 100)
  s.QuadTo({200, 200}, {100, 200}, 32);
  s.CubicTo({50, 200}, {0, 150}, {0, 0}, 16);
  s.Add(Segment(Present::Drawing::kArcTo, {0, 0}, {0, 0}, {0, 2}));  // a sweep of 2 flattens to nothing
  EXPECT_EQ(s.FlattenedCount(), 1 + 1 + 30 + 32 + 16 + 0);
  std::vector<PointF> out(static_cast<size_t>(s.FlattenedCount()));
  ASSERT_EQ(s.Flatten(out.data()), s.FlattenedCount());
  EXPECT_EQ(out[1], (PointF{100, 0}));
  // The arc: 3-degree steps from the current point, landing on its end.
  ExpectNear(out[2], {100 + 100 * std::sin(3 * 0.017453292f), 100 - 100 * std::cos(3 * 0.017453292f)});
  EXPECT_EQ(out[31], (PointF{200, 100}));
  for (int i = 2; i < 32; ++i) EXPECT_NEAR(std::hypot(out[i].x - 100, out[i].y - 100), 100, 0.01) << i;
  EXPECT_EQ(out[32], (PointF{200, 100}));  // a curve's first point is its start
  EXPECT_EQ(out[63], (PointF{100, 200}));
  EXPECT_EQ(out[79], (PointF{0, 0}));
  EXPECT_TRUE(s.IsClosed());
  // The box takes arc centres and control points.
  const auto box = s.Box();
  EXPECT_EQ(box.x, 0);
  EXPECT_EQ(box.width, 200);
  EXPECT_EQ(box.height, 200);
}

// Sweeps other than a quarter stay on the circle through the current point and the end.
TEST(PresentSegments, ArcsOfAnySweepReachTheirEnd) {
  for (float sweep : {45.0f, 90.0f, 135.0f, -60.0f, 270.0f}) {
    SCOPED_TRACE(sweep);
    const float a = sweep * 0.017453292f;
    Segments s;
    s.MoveTo({100, 0});
    s.Add(Segment(Present::Drawing::kArcTo, {100 * std::cos(a), 100 * std::sin(a)}, {0, 0}, {0, sweep}));
    std::vector<PointF> out(static_cast<size_t>(s.FlattenedCount()));
    ASSERT_EQ(s.Flatten(out.data()), int32_t(1 + std::fabs(sweep) / 3));
    for (size_t i = 1; i < out.size(); ++i) {
      EXPECT_NEAR(std::hypot(out[i].x, out[i].y), 100, 0.01) << i;
      // Each step turns 3 degrees further the sweep's way.
      const float expected = (sweep < 0 ? -3.0f : 3.0f) * float(i) * 0.017453292f;
      ExpectNear(out[i], {100 * std::cos(expected), 100 * std::sin(expected)}, 0.02f);
    }
  }
}

TEST(PresentSegments, NegativeOrOddCountsNeverOverrun) {
  Segments s;
  s.MoveTo({0, 0});
  s.QuadTo({1, 1}, {2, 0}, -5);
  s.CubicTo({1, 1}, {2, 2}, {3, 0}, 0);
  s.Add(Segment(Present::Drawing::kArcTo, {4, 0}, {2, 0}, {0, -90}));
  s.Add(Segment(Present::Drawing::kArcTo, {4, 0}, {2, 0}, {0, NAN}));
  s.Add(Segment(Present::Drawing::kArcTo, {4, 0}, {2, 0}, {0, 1e9f}));
  s.Add(Segment(99, {4, 0}));
  EXPECT_EQ(s.FlattenedCount(), 1 + 30);
  std::vector<PointF> out(31);
  EXPECT_EQ(s.Flatten(out.data()), 31);
  EXPECT_EQ(out[30], (PointF{4, 0}));
}

TEST(PresentGeometry, TransformsMoveEveryPartAndKeepBounds) {
  const auto g = Build(Frame({{0, 0}, {100, 300}, {400, 300}, {500, 0}}), 200);
  g->sites.Add({10, 10});
  g->Translate(100, 50);
  EXPECT_EQ(g->segments.Items()[0].end, (PointF{100, 50}));
  EXPECT_EQ(g->handles.items[0]->point, (PointF{100, 50}));
  EXPECT_EQ(g->handles.items[0]->anchor, (PointF{100, 300}));  // anchors stay as built
  EXPECT_EQ(g->sites.items[0].point, (PointF{110, 60}));
  EXPECT_EQ(g->guideline.points[Guideline::kTopLeft].x, 100);
  EXPECT_EQ(g->segments.GetBounds().minX, 100);
  g->Scale(2, 0.5f);
  EXPECT_EQ(g->segments.Items()[1].end, (PointF{1200, 25}));
  EXPECT_EQ(g->segments.Items()[1].second, (PointF{400, 175}));
  EXPECT_EQ(g->segments.GetBounds().maxX, 1200);
  g->Rotate(90, {0, 0});
  ExpectNear(g->segments.Items()[1].end, {-25, 1200}, 0.1f);
  ExpectNear(g->handles.items[3]->point, {-25, 1200}, 0.1f);
  EXPECT_EQ(g->guideline.angle, 90);
  EXPECT_NEAR(g->segments.GetBounds().minX, -175, 0.1);
}

TEST(PresentGeometry, KeepHandlesModeLeavesHandlesAndSites) {
  const auto g = Build(Frame({{0, 0}, {100, 300}, {400, 300}, {500, 0}}), 202);
  g->sites.Add({10, 10});
  g->mode = Present::Drawing::Geometry::kKeepHandles;
  g->Translate(5, 5);
  g->Rotate(45, {0, 0});
  g->Scale(3, 3);
  EXPECT_EQ(g->handles.items[1]->point, (PointF{100, 300}));
  EXPECT_EQ(g->sites.items[0].point, (PointF{10, 10}));
  EXPECT_NE(g->segments.Items()[1].end, (PointF{100, 300}));
}

TEST(PresentGeometry, ArcsStayRightWhenTurned) {
  auto g = Build(Frame(1000, 600), 407);
  const PointF centre{500, 300};
  g->Rotate(30, centre);
  EXPECT_EQ(g->segments.Items()[1].third.x, 30);  // the start angle records the turn
  // Every flattened point still lies on the (turned) ellipse.
  const float a = 30 * 0.017453292f;
  for (const PointF& p : Flat(*g)) {
    const float dx = p.x - centre.x, dy = p.y - centre.y;
    const float u = (dx * std::cos(a) + dy * std::sin(a)) / 500;
    const float v = (-dx * std::sin(a) + dy * std::cos(a)) / 300;
    EXPECT_NEAR(u * u + v * v, 1, 1e-3);
  }
}

TEST(PresentGeometry, GuidelineAndSanctuary) {
  auto g = Build(Frame(400, 200), 404);
  const auto& gl = g->guideline;
  const PointF expected[8] = {{0, 0}, {400, 0}, {400, 200}, {0, 200}, {200, 0}, {0, 100}, {400, 100}, {200, 200}};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(gl.points[i], expected[i]) << i;
  EXPECT_EQ(gl.rotationKnobPoint, (PointF{200, -Guideline::kRotationKnobDistance}));
  EXPECT_EQ(g->sanctuary.points[0], (PointF{40, 0}));  // the octagon's text rectangle
  g->Rotate(90, {200, 100});
  ExpectNear(g->guideline.rotationKnobPoint, {200 + 100 + Guideline::kRotationKnobDistance, 100}, 0.05f);
  // The sanctuary moves on its own, and its turn adds to the shared angle.
  EXPECT_EQ(g->sanctuary.points[0], (PointF{40, 0}));
  g->sanctuary.Rotate(90, {200, 100});
  EXPECT_EQ(g->guideline.angle, 180);
  ExpectNear(g->sanctuary.points[0], {300, -60});
  EXPECT_NEAR(g->sanctuary.bounds.minX, 100, 0.01);
  g->sanctuary.Translate(-100, 0);
  EXPECT_NEAR(g->sanctuary.bounds.minX, 0, 0.01);
}

TEST(PresentGeometry, AdjustHandleMakers) {
  Present::Drawing::AdjustHandles handles;
  auto* angular = AddAdjustHandle(0, {1, 2}, 4, handles, 5);
  auto* polar = AddAdjustHandleWithAnchor(7, {3, 4}, 1, handles, 1, {9, 9}, 1);
  ASSERT_EQ(handles.items.size(), 2u);
  EXPECT_EQ(angular->kind, 0);
  EXPECT_NE(dynamic_cast<Present::Drawing::AngularAdjust*>(angular), nullptr);
  EXPECT_EQ(polar->kind, 1);
  EXPECT_NE(dynamic_cast<Present::Drawing::PolarAdjust*>(polar), nullptr);
  EXPECT_EQ(polar->anchor, (PointF{9, 9}));
  EXPECT_EQ(polar->lever, 1);
  EXPECT_EQ(angular->anchor, (PointF{0, 0}));
  handles.Scale(2, 3);
  EXPECT_EQ(polar->point, (PointF{6, 12}));
  EXPECT_EQ(polar->anchor, (PointF{9, 9}));
  Present::Drawing::AngularAdjust fresh;
  EXPECT_EQ(fresh.knob, 3);
}

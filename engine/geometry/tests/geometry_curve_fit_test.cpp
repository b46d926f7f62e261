#include "plastrum/geometry/CurveFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "plastrum/geometry/CurveFlattening.h"

using namespace Present::Geometry;

namespace {

struct PointList {
  PointF* points = nullptr;
  int count = 0;
  ~PointList() { FreePointList(points); }
};

float DistanceToSegment(PointF p, PointF a, PointF b) {
  const double ex = double(b.x) - a.x, ey = double(b.y) - a.y;
  const double len2 = ex * ex + ey * ey;
  double t = len2 > 0 ? ((double(p.x) - a.x) * ex + (double(p.y) - a.y) * ey) / len2 : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return static_cast<float>(std::hypot(p.x - (a.x + t * ex), p.y - (a.y + t * ey)));
}

float DistanceToPolyline(PointF p, const std::vector<PointF>& line) {
  float best = INFINITY;
  for (size_t i = 0; i + 1 < line.size(); ++i) best = std::min(best, DistanceToSegment(p, line[i], line[i + 1]));
  return best;
}

std::vector<PointF> Offset(const std::vector<PointF>& line, float distance) {
  std::vector<PointF> out(line.size());
  EXPECT_EQ(OffsetPolyline(line.data(), int(line.size()), distance, 1, out.data()), 1);
  return out;
}

const std::vector<PointF> kOpen = {{0, 0}, {1000000, 0}, {1200000, 700000}, {300000, 900000}};
const std::vector<PointF> kClosed = {{0, 0}, {1000000, 0}, {1000000, 600000}, {0, 600000}, {0, 0}};

}  // namespace

// Every point lies on the polyline or on the offset line the mode names: mode 0 at the
// amplitude, mode 1 at twice it; even points on the polyline itself.
TEST(GeometryCurveFit, ControlPointsLieOnThePolylineOrItsOffset) {
  for (const auto* line : {&kOpen, &kClosed}) {
    for (int mode : {0, 1}) {
      PointList list;
      list.points = CurveFit::ControlPoints(line->data(), int(line->size()), 190500, 63500, mode, list.count);
      ASSERT_NE(list.points, nullptr);
      ASSERT_GT(list.count, 2);
      EXPECT_EQ(list.count % 2, 1) << "pairs after the first point";
      const auto offset = Offset(*line, mode == 1 ? 127000.0f : 63500.0f);
      for (int i = 0; i < list.count; ++i) {
        const auto& target = i % 2 == 0 ? *line : offset;
        EXPECT_LT(DistanceToPolyline(list.points[i], target), 1.0f) << "mode " << mode << " point " << i;
      }
    }
  }
}

TEST(GeometryCurveFit, OffsetCurveOutlineSwingsBetweenItsThreeLines) {
  for (const auto* line : {&kOpen, &kClosed}) {
    PointList list;
    list.points = OffsetCurveOutline(line->data(), int(line->size()), 127000, 88900, list.count);
    ASSERT_NE(list.points, nullptr);
    const auto middle = Offset(*line, 44450.0f);
    const auto far = Offset(*line, 88900.0f);
    int odd = 0;
    for (int i = 0; i < list.count; ++i) {
      if (i % 2 == 0) {
        EXPECT_LT(DistanceToPolyline(list.points[i], middle), 1.0f) << i;
      } else {
        // Odd points alternate: the given polyline first, then the far offset.
        const auto& target = odd++ % 2 == 0 ? *line : far;
        EXPECT_LT(DistanceToPolyline(list.points[i], target), 1.0f) << i;
      }
    }
  }
}

TEST(GeometryCurveFit, ClosedInputGivesClosedOutline) {
  PointList fit, wave;
  fit.points = CurveFit::ControlPoints(kClosed.data(), int(kClosed.size()), 190500, 63500, 1, fit.count);
  wave.points = OffsetCurveOutline(kClosed.data(), int(kClosed.size()), 127000, 88900, wave.count);
  ASSERT_NE(fit.points, nullptr);
  ASSERT_NE(wave.points, nullptr);
  EXPECT_EQ(fit.points[0], fit.points[fit.count - 1]);
  EXPECT_EQ(wave.points[0], wave.points[wave.count - 1]);
}

TEST(GeometryCurveFit, RefusedInputsGiveNothing) {
  const PointF one[1] = {{0, 0}};
  const PointF nan[3] = {{0, 0}, {NAN, 1}, {2, 2}};
  struct Case {
    const PointF* points;
    int count;
    float step;
  } cases[] = {{nullptr, 3, 1},
               {one, 1, 1},
               {kOpen.data(), -4, 1},
               {nan, 3, 1},
               {kOpen.data(), 4, 0},
               {kOpen.data(), 4, NAN},
               {kOpen.data(), 4, INFINITY},
               {kOpen.data(), 4, 1e-30f}};
  for (const Case& c : cases) {
    PointList a, b;
    a.points = CurveFit::ControlPoints(c.points, c.count, c.step, 10, 0, a.count);
    b.points = OffsetCurveOutline(c.points, c.count, c.step, 10, b.count);
    EXPECT_EQ(a.points, nullptr);
    EXPECT_EQ(a.count, 0);
    EXPECT_EQ(b.points, nullptr);
    EXPECT_EQ(b.count, 0);
  }
}

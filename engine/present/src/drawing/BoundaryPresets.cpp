// Boundaries around topics (kinds 300..304) and brackets and braces (305..308).
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "PresetBuilders.h"
#include "plastrum/geometry/CurveFit.h"
#include "plastrum/geometry/CurveFlattening.h"

namespace Present::Drawing::Presets {

using ::Present::Geometry::LerpPoint;
using ::Present::Geometry::PointAlongSegment;

void BuildPolygonBoundary(Geometry& g, const ShapeFrame& f) {
  const int32_t n = f.PointCount();
  g.segments.MoveTo(f.points[0]);
  for (int32_t i = 1; i < n; ++i) g.segments.LineTo(f.points[i]);
}

namespace {

struct PointList {
  PointF* points = nullptr;
  int count = 0;
  ~PointList() { ::Present::Geometry::FreePointList(points); }
};

// Move to the first point, then quadratic curves through the rest taken in pairs
// (control point, end point).
void AddCurvePairs(Geometry& g, const PointList& list) {
  if (list.points == nullptr || list.count < 1) return;
  g.segments.MoveTo(list.points[0]);
  for (int i = 1; i + 1 < list.count; i += 2)
    g.segments.QuadTo(list.points[i], list.points[i + 1], kBoundaryCurvePoints);
}

}  // namespace

void BuildZigzagBoundary(Geometry& g, const ShapeFrame& f) {
  PointList list;
  list.points =
      ::Present::Geometry::CurveFit::ControlPoints(f.points, f.PointCount(), 190500.0f, 63500.0f, 0, list.count);
  if (list.points == nullptr || list.count < 1) return;
  g.segments.MoveTo(list.points[0]);
  for (int i = 1; i < list.count; ++i) g.segments.LineTo(list.points[i]);
}

void BuildScallopBoundary(Geometry& g, const ShapeFrame& f) {
  PointList list;
  list.points =
      ::Present::Geometry::CurveFit::ControlPoints(f.points, f.PointCount(), 190500.0f, 63500.0f, 1, list.count);
  AddCurvePairs(g, list);
}

void BuildWaveBoundary(Geometry& g, const ShapeFrame& f) {
  PointList list;
  list.points = ::Present::Geometry::OffsetCurveOutline(f.points, f.PointCount(), 127000.0f, 88900.0f, list.count);
  AddCurvePairs(g, list);
}

void BuildRoundedBoundary(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  const int32_t n = f.PointCount();
  float shortest = std::hypot(p[1].x - p[0].x, p[1].y - p[0].y);
  for (int32_t i = 1; i + 1 < n; ++i)
    shortest = std::min(shortest, std::hypot(p[i + 1].x - p[i].x, p[i + 1].y - p[i].y));
  constexpr float kRadius = 190500.0f;
  const float r = 2 * kRadius < shortest ? kRadius : 0.4f * shortest;

  // Per edge: the point r along it from its start and the point r back from its end.
  std::vector<PointF> cut;
  try {
    cut.resize(2 * static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    return;
  }
  for (int32_t i = 0; i + 1 < n; ++i) {
    PointAlongSegment(r, 1.0f, p[i + 1], p[i], cut[2 * i]);
    PointAlongSegment(r, 1.0f, p[i], p[i + 1], cut[2 * i + 1]);
  }
  cut[2 * (n - 1)] = cut[0];
  cut[2 * (n - 1) + 1] = cut[1];

  g.segments.MoveTo(cut[0]);
  for (int32_t j = 1; j < n; ++j) {
    g.segments.LineTo(cut[2 * (j - 1) + 1]);
    g.segments.QuadTo(p[j], cut[2 * j], kCurvePoints);
  }
}

namespace {

// The spine of a bracket: from the middle of P0-P1 to the middle of P3-P2.
struct Spine {
  explicit Spine(const PointF* p) {
    LerpPoint(m01, p[0], p[1], 0.5f);
    LerpPoint(m12, p[1], p[2], 0.5f);
    LerpPoint(m32, p[3], p[2], 0.5f);
  }
  PointF At(float fraction) const {
    PointF q;
    LerpPoint(q, m01, m32, fraction);
    return q;
  }
  PointF m01, m12, m32;
};

}  // namespace

void BuildSquareBracket(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  const Spine s(p);
  const PointF c = s.At(0.5f);
  g.segments.MoveTo(p[0]);
  for (const PointF& q : {s.m01, c, s.m12, c, s.m32, p[3]}) g.segments.LineTo(q);
}

void BuildAngularBrace(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  const Spine s(p);
  g.segments.MoveTo(p[0]);
  for (const PointF& q : {s.At(0.1f), s.At(0.4f), s.m12, s.At(0.6f), s.At(0.9f), p[3]}) g.segments.LineTo(q);
}

void BuildCurlyBrace(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  const Spine s(p);
  const PointF c = s.At(0.5f);
  g.segments.MoveTo(p[0]);
  g.segments.QuadTo(s.m01, s.At(0.1f), kCurvePoints);
  g.segments.LineTo(s.At(0.4f));
  g.segments.QuadTo(c, s.m12, kCurvePoints);
  g.segments.QuadTo(c, s.At(0.6f), kCurvePoints);
  g.segments.LineTo(s.At(0.9f));
  g.segments.QuadTo(s.m32, p[3], kCurvePoints);
}

void BuildArcBracket(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  PointF c1, c2;
  LerpPoint(c1, p[1], p[2], 0.3f);
  LerpPoint(c2, p[1], p[2], 0.7f);
  g.segments.MoveTo(p[0]);
  g.segments.CubicTo(c1, c2, p[3], kCurvePoints);
}

}  // namespace Present::Drawing::Presets

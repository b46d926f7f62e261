// Branch lines (kinds 100..107) and relations (200..203). Branches run from the start P3
// to the end P0; relations from P0 to P3.
#include <algorithm>
#include <cmath>

#include "PresetBuilders.h"
#include "plastrum/geometry/CurveFlattening.h"

namespace Present::Drawing::Presets {

using ::Present::Geometry::LerpPoint;
using ::Present::Geometry::PointAlongSegment;

namespace {

PointF Midpoint(const PointF& a, const PointF& b) {
  PointF m;
  LerpPoint(m, a, b, 0.5f);
  return m;
}

// The elbow of kinds 104 and 105: the midpoint of P3-P2 and the point as far from P2
// towards P1 (at most 0.7 of the way).
void Elbow(const PointF* p, PointF& middle, PointF& turn) {
  middle = Midpoint(p[3], p[2]);
  const float d = std::hypot(middle.x - p[2].x, middle.y - p[2].y);
  PointAlongSegment(d, 0.7f, p[1], p[2], turn);
}

}  // namespace

void BuildStraightBranch(Geometry& g, const ShapeFrame& f) {
  g.segments.MoveTo(f.points[3]);
  g.segments.LineTo(f.points[0]);
}

void BuildQuadraticBranch(Geometry& g, const ShapeFrame& f) {
  g.segments.MoveTo(f.points[3]);
  g.segments.QuadTo(f.points[2], f.points[0], kCurvePoints);
}

void BuildCubicBranch(Geometry& g, const ShapeFrame& f) {
  g.segments.MoveTo(f.points[3]);
  g.segments.CubicTo(f.points[2], f.points[1], f.points[0], kCurvePoints);
}

void BuildPolylineBranch(Geometry& g, const ShapeFrame& f) {
  g.segments.MoveTo(f.points[3]);
  g.segments.LineTo(f.points[2]);
  g.segments.LineTo(f.points[1]);
  g.segments.LineTo(f.points[0]);
}

void BuildRoundedElbowBranch(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  PointF middle, turn;
  Elbow(p, middle, turn);
  g.segments.MoveTo(p[3]);
  g.segments.LineTo(middle);
  g.segments.QuadTo(p[2], turn, kCurvePoints);
  g.segments.LineTo(p[1]);
  g.segments.LineTo(p[0]);
}

void BuildBevelElbowBranch(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  PointF middle, turn;
  Elbow(p, middle, turn);
  g.segments.MoveTo(p[3]);
  g.segments.LineTo(middle);
  g.segments.LineTo(turn);
  g.segments.LineTo(p[1]);
  g.segments.LineTo(p[0]);
}

void BuildElbowBranch(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  g.segments.MoveTo(p[3]);
  g.segments.LineTo(Midpoint(p[3], p[2]));
  g.segments.LineTo(p[1]);
  g.segments.LineTo(p[0]);
}

void BuildTaperedBranch(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  auto length = [](const PointF& a, const PointF& b) { return std::hypot(a.x - b.x, a.y - b.y); };
  const float total = length(p[0], p[1]) + length(p[1], p[2]) + length(p[2], p[3]);
  // Between 3 and 13 points wide (38100 and 165100 EMU).
  const float half = std::clamp(0.04f * total, 38100.0f, 165100.0f) / 2;

  PointF a[4], b[4];
  if (p[0].x == p[1].x && p[1].x == p[2].x && p[2].x == p[3].x) {
    for (int i = 0; i < 4; ++i) {
      a[i] = {p[i].x + half, p[i].y};
      b[i] = {p[i].x - half, p[i].y};
    }
  } else if (p[0].y == p[1].y && p[1].y == p[2].y && p[2].y == p[3].y) {
    for (int i = 0; i < 4; ++i) {
      a[i] = {p[i].x, p[i].y - half};
      b[i] = {p[i].x, p[i].y + half};
    }
  } else {
    ::Present::Geometry::OffsetPolyline(p, 4, half, 0, a);
    ::Present::Geometry::OffsetPolyline(p, 4, half, 1, b);
  }
  // The start narrows to one pixel either side of P3.
  const PointF sideA = a[3], sideB = b[3];
  PointAlongSegment(9525.0f, 0.5f, sideA, p[3], a[3]);
  PointAlongSegment(9525.0f, 0.5f, sideB, p[3], b[3]);

  PointF ca2, ca1, cb1, cb2;
  LerpPoint(ca2, p[2], a[2], 0.4f);
  LerpPoint(ca1, p[1], a[1], 0.9f);
  LerpPoint(cb1, p[1], b[1], 0.9f);
  LerpPoint(cb2, p[2], b[2], 0.4f);

  g.segments.MoveTo(a[3]);
  g.segments.CubicTo(ca2, ca1, a[0], kLongCurvePoints);
  g.segments.LineTo(b[0]);
  g.segments.CubicTo(cb1, cb2, b[3], kLongCurvePoints);
  g.segments.MoveTo(a[3]);  // closes the outline
}

void BuildCurvedRelation(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  g.segments.MoveTo(p[0]);
  g.segments.CubicTo(p[1], p[2], p[3], kLongCurvePoints);
  AddAdjustHandleWithAnchor(0, p[0], kEndHandleKnob, g.handles, kEndHandle, p[1], 1);
  AddAdjustHandleWithAnchor(0, p[1], kControlHandleKnob, g.handles, kControlHandle, p[0], 0);
  AddAdjustHandleWithAnchor(0, p[2], kControlHandleKnob, g.handles, kControlHandle, p[3], 1);
  AddAdjustHandle(0, p[3], kEndHandleKnob, g.handles, kEndHandle);
}

void BuildStraightRelation(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  g.segments.MoveTo(p[0]);
  g.segments.LineTo(p[3]);
  AddAdjustHandle(0, p[0], kEndHandleKnob, g.handles, kEndHandle);
  AddAdjustHandle(0, p[3], kEndHandleKnob, g.handles, kEndHandle);
}

void BuildPolylineRelation(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  g.segments.MoveTo(p[0]);
  for (int i = 1; i < 4; ++i) g.segments.LineTo(p[i]);
  AddAdjustHandle(0, p[0], kEndHandleKnob, g.handles, kEndHandle);
  AddAdjustHandle(0, p[1], kControlHandleKnob, g.handles, kControlHandle);
  AddAdjustHandle(0, p[2], kControlHandleKnob, g.handles, kControlHandle);
  AddAdjustHandle(0, p[3], kEndHandleKnob, g.handles, kEndHandle);
}

void BuildSplineRelation(Geometry& g, const ShapeFrame& f) {
  const PointF* p = f.points;
  PointF first[3], second[3];
  if (!::Present::Geometry::BezierSplineControlPoints(p, 4, first, second)) return;
  g.segments.MoveTo(p[0]);
  for (int i = 0; i < 3; ++i) g.segments.CubicTo(first[i], second[i], p[i + 1], kCurvePoints);
}

}  // namespace Present::Drawing::Presets

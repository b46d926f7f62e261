#include "plastrum/geometry/CurveFit.h"

#include "plastrum/geometry/CurveFlattening.h"

namespace Present::Geometry {

PointF* CurveFit::ControlPoints(const PointF* points, int count, float step, float amplitude, int mode, int& outCount) {
  // A quadratic curve passes half way between its ends and its control point, so the
  // control points sit twice as far out as the curve is meant to reach.
  const float reach = mode == 1 ? 2 * amplitude : amplitude;
  return ZigzagPolyline(points, count, step, reach, false, outCount);
}

PointF* OffsetCurveOutline(const PointF* points, int count, float step, float width, int& outCount) {
  return ZigzagAroundMidline(points, count, step, width, outCount);
}

}  // namespace Present::Geometry

// Boundary curves around a polyline: the points that shape zigzag, scalloped and wavy
// boundaries. Both routines build on the zigzag lines of CurveFlattening.h, so their
// points lie on the polyline or on its offset lines, and a closed polyline (last point
// equal to the first) gives a closed result.
#pragma once

#include "plastrum/geometry/GeometryMath.h"
#include <plastrum/Export.h>

namespace Present::Geometry {

namespace CurveFit {

// The zigzag of the polyline with `step` as step and `amplitude` as amplitude. Mode 0
// puts the odd points on the offset line; mode 1 puts them at twice the amplitude, so
// that quadratic curves taking them as control points reach the offset line itself.
// Returns a new list of `outCount` points that the caller frees with FreePointList, or
// null (outCount 0) for the inputs ZigzagPolyline refuses or when memory runs out.
PLASTRUM_API PointF* ControlPoints(const PointF* points, int count, float step, float amplitude, int mode,
                                   int& outCount);

}  // namespace CurveFit

// A line that swings from the polyline across its offset by width / 2 to its offset by
// the full width and back, one swing every `step`; null as for CurveFit::ControlPoints.
PLASTRUM_API PointF* OffsetCurveOutline(const PointF* points, int count, float step, float width, int& outCount);

}  // namespace Present::Geometry

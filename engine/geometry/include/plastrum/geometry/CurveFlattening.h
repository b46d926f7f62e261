// Curve descriptions turned into point lists: control points of a smooth Bezier
// spline, zigzag lines along a polyline, arcs and Bezier segments flattened at fixed
// steps, and the corner-cut outline of a rectangle.
#pragma once

#include "plastrum/geometry/GeometryMath.h"
#include <plastrum/Export.h>

namespace Present::Geometry {

// Control points of a smooth open Bezier spline through `count` knots: count - 1 first
// and count - 1 second control points. Two knots give the straight segment (controls at
// a third and two thirds). False for fewer than 2 knots or when memory runs out.
PLASTRUM_API bool BezierSplineControlPoints(const PointF* knots, int count, PointF* firstControls,
                                            PointF* secondControls);

// A zigzag between the polyline and its offset by `amplitude`, starting on the offset
// line when `startOnOffset` is set. Returns a new list of `outCount` points that the
// caller frees with FreePointList, or null: for fewer than 2 points, a step that is not
// a positive finite number, non-finite coordinates, or more points than kMaxZigzagPoints.
// Two points zigzag along the single segment offset to its positive side.
PLASTRUM_API PointF* ZigzagPolyline(const PointF* points, int count, float step, float amplitude, bool startOnOffset,
                                    int& outCount);
// A zigzag that swings from the polyline across its offset by width / 2 to its offset
// by the full width and back; same rules and result as ZigzagPolyline.
PLASTRUM_API PointF* ZigzagAroundMidline(const PointF* points, int count, float step, float width, int& outCount);
PLASTRUM_API void FreePointList(PointF* points);
inline constexpr int kMaxZigzagPoints = 1 << 20;

// |sweep| / 3 points from `startDegrees` in 3-degree steps (downwards for a negative
// sweep): centre + cos(a)(p1 - centre) + sin(a)(p2 - centre). The end angle itself is
// left to the caller's next segment. Returns the number of points written.
PLASTRUM_API int FlattenArc(const PointF& centre, PointF* out, const PointF& p2, const PointF& p1, int16_t startDegrees,
                            int16_t sweepDegrees);
// `count` points at t = 0, s, 2s, ... with s = 1 / (count - 1); `out` may hold the start
// point. Count 1 writes the start point; 0 or less writes nothing.
PLASTRUM_API void FlattenCubicBezier(int count, PointF start, PointF control1, PointF control2, PointF end,
                                     PointF* out);
PLASTRUM_API void FlattenQuadraticBezier(int count, PointF start, PointF control, PointF end, PointF* out);

// The 8-point outline of the rectangle with every corner cut back by ratio times the
// shorter side; false (nothing written) for a ratio outside 0..0.5.
PLASTRUM_API bool RectCornerOutline(const RectF& rect, PointF* out, float ratio);

}  // namespace Present::Geometry

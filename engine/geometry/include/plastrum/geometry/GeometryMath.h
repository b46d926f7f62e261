// Small numeric routines on single-precision points and rectangles: whole-degree sine
// and cosine, rotation, rectangle operations, interpolation, segment intersection,
// polyline offsetting and gradient stop lists. Free functions without state.
#pragma once

#include <cstdint>
#include <plastrum/Export.h>

namespace Present::Geometry {

struct PLASTRUM_API PointF {
  float x = 0;
  float y = 0;
};

// The right edge is x + width, the bottom edge y + height.
struct PLASTRUM_API RectF {
  float x = 0;
  float y = 0;
  float width = 0;
  float height = 0;
};

PLASTRUM_API PLASTRUM_API PLASTRUM_API inline bool operator==(const PointF& a, const PointF& b) {
  return a.x == b.x && a.y == b.y;
}

// Degrees become radians with this f32 constant everywhere, so that results match
// what stored documents were drawn with.
inline constexpr float kRadiansPerDegree = 0.017453292f;
// Below this width or height a rectangle counts as empty (the f32 epsilon).
inline constexpr float kRectEpsilon = 1.1920929e-7f;

// Whole-degree sine and cosine from tables rounded to 6 decimals. Any angle is
// accepted; angles outside 0..360 are folded modulo 360 first (360 itself is kept, so
// SinDegrees(360) is -0 as the tables give it).
PLASTRUM_API float SinDegrees(int16_t degrees);
PLASTRUM_API float CosDegrees(int16_t degrees);
// Library sine and cosine of a radian angle, rounded to f32.
PLASTRUM_API float SinRadians(float radians);
PLASTRUM_API float CosRadians(float radians);

// Folds a float angle once into range: below 0 adds 360, above 360 subtracts 360.
PLASTRUM_API float FoldDegreesOnce(float degrees);

// Rotates `point` about `centre` in place; exactly 0 degrees changes nothing.
PLASTRUM_API void RotatePoint(const PointF& centre, PointF& point, float degrees);
// centre + cos(a)(p1 - centre) + sin(a)(p2 - centre).
PLASTRUM_API void EllipsePointAtAngle(const PointF& centre, const PointF& p1, const PointF& p2, float degrees,
                                      PointF& out);

// Left and top edges are inside, right and bottom edges outside.
PLASTRUM_API bool PointInRect(const PointF& point, const RectF& rect);
// True and the intersection in `rect`, or false and `rect` unchanged.
PLASTRUM_API bool IntersectRect(RectF& rect, const RectF& other);
// True and the bounding rectangle in `rect`, or false and `rect` unchanged.
PLASTRUM_API bool UnionRect(RectF& rect, const RectF& other);
// Grows the rectangle by dx on the left and right and by dy on the top and bottom.
PLASTRUM_API void InflateRect(RectF& rect, float dx, float dy);

// a + t(b - a), exactly a for t = 0 and exactly b for t = 1.
PLASTRUM_API void LerpPoint(PointF& out, const PointF& a, const PointF& b, float t);
// The point at distance d from `b` towards `a`, the fraction d / |a - b| capped at
// `limit`; `b` itself when d or the length is 0.
PLASTRUM_API void PointAlongSegment(float d, float limit, const PointF& a, const PointF& b, PointF& out);
// True when p2 lies to the positive side of the line p0-p1 (cross product > 0); for p2
// on the line, true exactly when the line is not vertical and p1.x > p0.x.
PLASTRUM_API bool SideOfLine(const PointF& p0, const PointF& p1, const PointF& p2);
// Whether segments P1-P2 and P3-P4 meet, and where.
PLASTRUM_API bool SegmentsIntersect(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4,
                                    float& outX, float& outY);
// Intersection of the infinite lines a1-a2 and b1-b2. For parallel lines it returns
// false and gives a2, the point where a polyline's offset line reaches a straight
// corner, so that offsetting stays exact there.
PLASTRUM_API bool LineIntersection(const PointF& a1, const PointF& a2, const PointF& b1, const PointF& b2, PointF& out);
// Moves the segment a-b perpendicular by `distance` (towards +N when `side` is set,
// N = (-D.y, D.x) / |D| with D = b - a). `movedB` receives b moved, `movedA` a moved.
PLASTRUM_API void OffsetSegment(const PointF& a, const PointF& b, float distance, bool side, PointF& movedB,
                                PointF& movedA);
// Miter offset of n >= 3 points; 0 (nothing written) for fewer. `out` holds n points.
PLASTRUM_API int OffsetPolyline(const PointF* points, int count, float distance, int side, PointF* out);

// Adds a stop at 0 with the first colour and one at 1 with the last where missing.
// When a stop is added the output arrays (room for count + 2) receive the whole list;
// otherwise they are not written and the count comes back unchanged.
PLASTRUM_API int NormalizeGradientStops(const float* positions, const uint32_t* colours, int count, float* positionsOut,
                                        uint32_t* coloursOut);
// The stops in reverse order with each position p becoming 1 - p.
PLASTRUM_API void ReverseGradientStops(const float* positions, const uint32_t* colours, float* positionsOut,
                                       uint32_t* coloursOut, int count);

}  // namespace Present::Geometry

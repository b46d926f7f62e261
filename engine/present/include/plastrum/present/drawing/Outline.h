// Measuring points against an outline: flattening into a buffer, the distance to a
// polyline and the even-odd inside test.
#pragma once

#include <cstdint>

#include <plastrum/present/drawing/Segments.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

// The flattened points of an outline. Small outlines live inside the object; larger
// ones in one heap buffer per thread that is reused from call to call, so only one
// FlatOutline of a large outline may be alive at a time on a thread.
class PLASTRUM_API FlatOutline {
 public:
  static constexpr int32_t kInlinePoints = 2048;  // 16 KB

  explicit FlatOutline(const Segments& segments);
  FlatOutline(const FlatOutline&) = delete;
  FlatOutline& operator=(const FlatOutline&) = delete;

  // Null and a count of 0 when memory for a large outline ran out.
  const PointF* Points() const { return points_; }
  int32_t Count() const { return count_; }

 private:
  PointF inline_[kInlinePoints];
  PointF* points_ = nullptr;
  int32_t count_ = 0;
};

// Distance from `p` to the edge a-b (the projection clamped to the edge's ends).
PLASTRUM_API float DistanceToSegment(const PointF& p, const PointF& a, const PointF& b);
// The index of the first edge of the polyline (edge i joins points i and i + 1) whose
// distance to `p` is within `tolerance`, or -1.
PLASTRUM_API int32_t HitPolyline(const PointF* points, int32_t count, const PointF& p, float tolerance);
// Even-odd crossings of a horizontal ray from `p` with the closed polygon of the points.
PLASTRUM_API bool PolygonContains(const PointF* points, int32_t count, const PointF& p);

// The outline flattened and measured: the stroke within `tolerance`, and the inside of a
// closed outline (an open one contains nothing).
PLASTRUM_API bool StrokeHit(const Segments& segments, const PointF& p, float tolerance);
PLASTRUM_API bool OutlineContains(const Segments& segments, const PointF& p);

}  // namespace Present::Drawing

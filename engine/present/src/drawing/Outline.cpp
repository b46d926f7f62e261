#include "plastrum/present/drawing/Outline.h"

#include <cmath>
#include <new>
#include <vector>

namespace Present::Drawing {

namespace {

// The one heap buffer of a thread for outlines too large for the stack.
PointF* LargeOutlineBuffer(int32_t count) {
  thread_local std::vector<PointF> buffer;
  try {
    if (buffer.size() < static_cast<size_t>(count)) buffer.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return buffer.data();
}

}  // namespace

FlatOutline::FlatOutline(const Segments& segments) {
  const int32_t n = segments.FlattenedCount();
  if (n <= 0) return;
  points_ = n <= kInlinePoints ? inline_ : LargeOutlineBuffer(n);
  if (points_ == nullptr) return;
  count_ = segments.Flatten(points_);
}

float DistanceToSegment(const PointF& p, const PointF& a, const PointF& b) {
  // Double precision, so that the projection of far points on long edges stays exact
  // enough for a one-pixel tolerance.
  const double ex = double(b.x) - a.x, ey = double(b.y) - a.y;
  const double px = double(p.x) - a.x, py = double(p.y) - a.y;
  const double lengthSquared = ex * ex + ey * ey;
  double t = 0;
  if (lengthSquared > 0) {
    t = (px * ex + py * ey) / lengthSquared;
    if (t < 0) t = 0;
    if (t > 1) t = 1;
  }
  return static_cast<float>(std::hypot(px - t * ex, py - t * ey));
}

int32_t HitPolyline(const PointF* points, int32_t count, const PointF& p, float tolerance) {
  if (points == nullptr) return -1;
  for (int32_t i = 0; i + 1 < count; ++i) {
    if (DistanceToSegment(p, points[i], points[i + 1]) <= tolerance) return i;
  }
  return -1;
}

namespace {

// Whether the edge a-b crosses the horizontal ray from p to the right (half-open in y,
// so that a vertex on the ray counts once).
inline bool Crosses(const PointF& a, const PointF& b, const PointF& p) {
  if ((a.y > p.y) == (b.y > p.y)) return false;
  const double x = a.x + (double(p.y) - a.y) * (double(b.x) - a.x) / (double(b.y) - a.y);
  return p.x < x;
}

}  // namespace

bool PolygonContains(const PointF* points, int32_t count, const PointF& p) {
  if (points == nullptr || count < 3) return false;
  bool inside = false;
  int32_t i = 0;
  // Four edges per step: the loop's own work is small next to the crossings.
  for (; i + 4 < count; i += 4) {
    const bool c = Crosses(points[i], points[i + 1], p) ^ Crosses(points[i + 1], points[i + 2], p) ^
                   Crosses(points[i + 2], points[i + 3], p) ^ Crosses(points[i + 3], points[i + 4], p);
    inside ^= c;
  }
  for (; i + 1 < count; ++i) inside ^= Crosses(points[i], points[i + 1], p);
  // The closing edge back to the first point (empty when the outline ends there).
  inside ^= Crosses(points[count - 1], points[0], p);
  return inside;
}

bool StrokeHit(const Segments& segments, const PointF& p, float tolerance) {
  const FlatOutline flat(segments);
  return HitPolyline(flat.Points(), flat.Count(), p, tolerance) >= 0;
}

bool OutlineContains(const Segments& segments, const PointF& p) {
  if (!segments.IsClosed()) return false;
  const FlatOutline flat(segments);
  return PolygonContains(flat.Points(), flat.Count(), p);
}

}  // namespace Present::Drawing

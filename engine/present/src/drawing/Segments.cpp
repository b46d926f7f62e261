#include "plastrum/present/drawing/Segments.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "plastrum/geometry/CurveFlattening.h"

namespace Present::Drawing {

using ::Present::Geometry::RotatePoint;

void Segment::Translate(float dx, float dy) {
  TranslatePoint(end, dx, dy);
  TranslatePoint(second, dx, dy);
  if (type != kArcTo) TranslatePoint(third, dx, dy);
}

void Segment::Scale(float sx, float sy) {
  ScalePoint(end, sx, sy);
  ScalePoint(second, sx, sy);
  if (type != kArcTo) ScalePoint(third, sx, sy);
}

void Segment::Rotate(float degrees, const PointF& centre) {
  RotatePoint(centre, end, degrees);
  RotatePoint(centre, second, degrees);
  if (type == kArcTo) {
    // The arc's ends turn with it, so its points, measured from the current point, stay
    // right; the start angle keeps the sum of the turns for the readers of the record.
    third.x += degrees;
  } else {
    RotatePoint(centre, third, degrees);
  }
}

namespace {

// |sweep| / 3 whole steps of 3 degrees; a sweep that is not a finite number of degrees
// within one turn flattens to nothing.
int32_t ArcSteps(float sweep) {
  if (!(std::fabs(sweep) <= 360.0f)) return 0;
  return static_cast<int32_t>(std::fabs(sweep) / 3.0f);
}

// The ellipse through the current point S (angle 0) that reaches the end point E at the
// arc's sweep: C + cos(a)(S - C) + sin(a)(V - C). A quarter arc takes V = E itself; other
// sweeps solve for V, except half and full turns, which S and E alone do not fix.
PointF ArcSecondAxis(const PointF& current, const Segment& arc) {
  const float sweep = arc.third.y;
  if (sweep == 90 || !(std::fabs(sweep) <= 360.0f)) return arc.end;
  const auto whole = static_cast<int16_t>(sweep);
  if (whole != sweep) return arc.end;
  const float sine = ::Present::Geometry::SinDegrees(whole);
  const float cosine = ::Present::Geometry::CosDegrees(whole);
  if (std::fabs(sine) < 1e-3f) return arc.end;
  const PointF& c = arc.second;
  return PointF{c.x + (arc.end.x - c.x - cosine * (current.x - c.x)) / sine,
                c.y + (arc.end.y - c.y - cosine * (current.y - c.y)) / sine};
}

}  // namespace

int32_t Segment::FlattenedCount() const {
  switch (type) {
    case kMoveTo:
    case kLineTo:
      return 1;
    case kArcTo:
      return ArcSteps(third.y);
    case kQuadTo:
    case kCubicTo:
      return std::max<int32_t>(count, 0);
    default:
      return 0;
  }
}

void Segment::IncludeIn(Bounds& bounds) const {
  bounds.Include(end);
  if (type == kArcTo || type == kQuadTo) bounds.Include(second);
  if (type == kCubicTo) {
    // A cubic stays within the hull of its ends and both control points.
    bounds.Include(second);
    bounds.Include(third);
  }
}

void Segments::Add(const Segment& segment) {
  items_.push_back(segment);
  const int64_t total = int64_t{flattenedCount_} + segment.FlattenedCount();
  flattenedCount_ = static_cast<int32_t>(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
  segment.IncludeIn(bounds_);
}

void Segments::Clear() {
  items_.clear();
  flattenedCount_ = 0;
  bounds_.Reset();
}

bool Segments::IsClosed() const { return items_.size() > 1 && items_.back().end == items_.front().end; }

void Segments::RecomputeBounds() {
  bounds_.Reset();
  for (const Segment& s : items_) s.IncludeIn(bounds_);
}

void Segments::Translate(float dx, float dy) {
  for (Segment& s : items_) s.Translate(dx, dy);
  RecomputeBounds();
}

void Segments::Scale(float sx, float sy) {
  for (Segment& s : items_) s.Scale(sx, sy);
  RecomputeBounds();
}

void Segments::Rotate(float degrees, const PointF& centre) {
  for (Segment& s : items_) s.Rotate(degrees, centre);
  RecomputeBounds();
}

int32_t Segments::Flatten(PointF* out) const {
  if (out == nullptr) return 0;
  int32_t k = 0;
  PointF current;
  for (const Segment& s : items_) {
    const int32_t n = s.FlattenedCount();
    if (n > flattenedCount_ - k) break;  // never past the room the count promised
    switch (s.type) {
      case kMoveTo:
      case kLineTo:
        out[k] = s.end;
        break;
      case kArcTo:
        if (n > 0) {
          // Steps of 3 degrees from the current point, the last one landing on the end.
          const auto sweep = static_cast<int16_t>(s.third.y < 0 ? -3 * n : 3 * n);
          ::Present::Geometry::FlattenArc(s.second, out + k, ArcSecondAxis(current, s), current,
                                          static_cast<int16_t>(sweep < 0 ? -3 : 3), sweep);
          out[k + n - 1] = s.end;
        }
        break;
      case kQuadTo:
        if (n > 0) {
          ::Present::Geometry::FlattenQuadraticBezier(n, current, s.second, s.end, out + k);
          out[k + n - 1] = s.end;
        }
        break;
      case kCubicTo:
        if (n > 0) {
          ::Present::Geometry::FlattenCubicBezier(n, current, s.second, s.third, s.end, out + k);
          out[k + n - 1] = s.end;
        }
        break;
      default:
        break;
    }
    k += n;
    current = s.end;
  }
  return k;
}

}  // namespace Present::Drawing

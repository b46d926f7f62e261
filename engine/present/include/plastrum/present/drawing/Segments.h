// The outline of a shape as a list of segments (move, line, arc, quadratic and cubic
// Bezier) with the number of points it flattens into and its bounds.
#pragma once

#include <cstdint>
#include <vector>

#include <plastrum/present/drawing/Transformer.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

enum SegmentType : uint8_t { kMoveTo = 0, kLineTo = 1, kArcTo = 2, kQuadTo = 3, kCubicTo = 4 };

// One piece of an outline. `end` is where it ends.
// Arcs: `second` is the centre and `third` holds the start angle and the sweep in
// degrees; the arc runs about the centre from the current point (angle 0) to `end`
// (angle sweep), on the ellipse whose conjugate radii point at both for a quarter arc.
// The start angle sums the rotations.
// Quadratics: `second` is the control point. Cubics: `second` and `third` are the two
// control points. `count` is the number of flattened points of a Bezier.
class PLASTRUM_API Segment final : public Transformer {
 public:
  Segment() = default;
  Segment(uint8_t type_, PointF end_, PointF second_ = {}, PointF third_ = {}, int32_t count_ = 0)
      : type(type_), end(end_), second(second_), third(third_), count(count_) {}
  Segment(const Segment&) = default;
  Segment& operator=(const Segment&) = default;

  void Translate(float dx, float dy) override;
  void Scale(float sx, float sy) override;
  void Rotate(float degrees, const PointF& centre) override;

  // How many points this segment adds to the flattened outline (never negative).
  int32_t FlattenedCount() const;
  // Includes the points that bound this segment's shape in `bounds`.
  void IncludeIn(Bounds& bounds) const;

  uint8_t type = kMoveTo;
  PointF end;
  PointF second;
  PointF third;
  int32_t count = 0;
};

class PLASTRUM_API Segments final : public Transformer {
 public:
  Segments() = default;

  void Translate(float dx, float dy) override;
  void Scale(float sx, float sy) override;
  void Rotate(float degrees, const PointF& centre) override;

  void MoveTo(PointF p) { Add(Segment(kMoveTo, p)); }
  void LineTo(PointF p) { Add(Segment(kLineTo, p)); }
  // An arc of `sweep` degrees from the current point to `end` about `centre`.
  void ArcTo(PointF end, PointF centre, float sweep = 90) { Add(Segment(kArcTo, end, centre, PointF{0, sweep})); }
  void QuadTo(PointF control, PointF end, int32_t points) { Add(Segment(kQuadTo, end, control, {}, points)); }
  void CubicTo(PointF control1, PointF control2, PointF end, int32_t points) {
    Add(Segment(kCubicTo, end, control1, control2, points));
  }
  // Appends a segment; its flattened share and its bounds join the outline's.
  void Add(const Segment& segment);
  void Clear();

  const std::vector<Segment>& Items() const { return items_; }
  bool Empty() const { return items_.empty(); }
  int32_t FlattenedCount() const { return flattenedCount_; }
  const Bounds& GetBounds() const { return bounds_; }
  RectF Box() const { return bounds_.Box(); }
  // Closed when the end of the last segment is the end of the first.
  bool IsClosed() const;

  // Writes FlattenedCount() points to `out`: one per move or line, sweep / 3 for an arc
  // and the stated count for a curve, each segment's end point last. Returns the number
  // written.
  int32_t Flatten(PointF* out) const;

 private:
  void RecomputeBounds();

  std::vector<Segment> items_;
  int32_t flattenedCount_ = 0;
  Bounds bounds_;
};

}  // namespace Present::Drawing

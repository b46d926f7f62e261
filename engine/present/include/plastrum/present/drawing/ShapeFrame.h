// What a shape is built from: its size and angle (topic shapes) and its adjust points
// (every family), in EMU and degrees.
#pragma once

#include <cstdint>

#include <plastrum/geometry/GeometryMath.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

class PLASTRUM_API ShapeFrame {
 public:
  ShapeFrame() = default;
  ~ShapeFrame();
  ShapeFrame(const ShapeFrame& other);
  ShapeFrame& operator=(const ShapeFrame& other);
  ShapeFrame(ShapeFrame&& other) noexcept;
  ShapeFrame& operator=(ShapeFrame&& other) noexcept;

  // Replaces the adjust points by a copy of `source` (count 0 or less clears them);
  // false, and the points unchanged, when memory runs out.
  bool SetPoints(const ::Present::Geometry::PointF* source, int32_t n);
  // The number of adjust points that may be read: never negative, never more than held.
  int32_t PointCount() const { return points != nullptr && count > 0 ? count : 0; }

  float width = 0;
  float height = 0;
  float angle = 0;
  // Owned, from the C heap (so that stored nodes and the host can hand arrays over).
  ::Present::Geometry::PointF* points = nullptr;
  int32_t count = 0;
};

// Equal when width, height and angle are equal and both point lists have the same count
// and bytes.
PLASTRUM_API bool FrameEqual(const ShapeFrame& a, const ShapeFrame& b);

}  // namespace Present::Drawing

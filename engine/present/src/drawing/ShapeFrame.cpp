#include "plastrum/present/drawing/ShapeFrame.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace Present::Drawing {

ShapeFrame::~ShapeFrame() { std::free(points); }

ShapeFrame::ShapeFrame(const ShapeFrame& other) : width(other.width), height(other.height), angle(other.angle) {
  // A copy that cannot get memory for the points has none rather than a shared array.
  SetPoints(other.points, other.PointCount());
}

ShapeFrame& ShapeFrame::operator=(const ShapeFrame& other) {
  if (this != &other) {
    width = other.width;
    height = other.height;
    angle = other.angle;
    if (!SetPoints(other.points, other.PointCount())) SetPoints(nullptr, 0);
  }
  return *this;
}

ShapeFrame::ShapeFrame(ShapeFrame&& other) noexcept
    : width(other.width),
      height(other.height),
      angle(other.angle),
      points(std::exchange(other.points, nullptr)),
      count(std::exchange(other.count, 0)) {}

ShapeFrame& ShapeFrame::operator=(ShapeFrame&& other) noexcept {
  if (this != &other) {
    std::free(points);
    width = other.width;
    height = other.height;
    angle = other.angle;
    points = std::exchange(other.points, nullptr);
    count = std::exchange(other.count, 0);
  }
  return *this;
}

bool ShapeFrame::SetPoints(const ::Present::Geometry::PointF* source, int32_t n) {
  if (source == nullptr || n <= 0) {
    std::free(points);
    points = nullptr;
    count = 0;
    return true;
  }
  auto* copy = static_cast<::Present::Geometry::PointF*>(
      std::malloc(sizeof(::Present::Geometry::PointF) * static_cast<size_t>(n)));
  if (copy == nullptr) return false;
  std::memcpy(copy, source, sizeof(::Present::Geometry::PointF) * static_cast<size_t>(n));
  std::free(points);
  points = copy;
  count = n;
  return true;
}

bool FrameEqual(const ShapeFrame& a, const ShapeFrame& b) {
  if (a.width != b.width || a.height != b.height || a.angle != b.angle) return false;
  if (a.PointCount() != b.PointCount()) return false;
  const int32_t n = a.PointCount();
  return n == 0 || std::memcmp(a.points, b.points, sizeof(::Present::Geometry::PointF) * static_cast<size_t>(n)) == 0;
}

}  // namespace Present::Drawing

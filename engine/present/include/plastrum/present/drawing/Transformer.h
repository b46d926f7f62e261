// The three moves every part of a geometry makes together: translate, scale and rotate.
// Each part applies them to all of its points and keeps its bounds up to date.
#pragma once

#include <plastrum/geometry/GeometryMath.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

using ::Present::Geometry::PointF;
using ::Present::Geometry::RectF;

class PLASTRUM_API Transformer {
 public:
  virtual void Translate(float dx, float dy) = 0;
  virtual void Scale(float sx, float sy) = 0;
  // Turns the points about `centre` by `degrees` (clockwise on screen, y downwards).
  virtual void Rotate(float degrees, const PointF& centre) = 0;
  virtual ~Transformer() = default;

 protected:
  Transformer() = default;
  Transformer(const Transformer&) = default;
  Transformer& operator=(const Transformer&) = default;
};

// Bounds {min x, min y, max x, max y}; the first point included sets them.
struct PLASTRUM_API Bounds {
  float minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool hasMin = false, hasMax = false;

  void Reset() { *this = Bounds{}; }
  void Include(const PointF& p) {
    if (!hasMin) {
      minX = p.x;
      minY = p.y;
      hasMin = true;
    } else {
      if (p.x < minX) minX = p.x;
      if (p.y < minY) minY = p.y;
    }
    if (!hasMax) {
      maxX = p.x;
      maxY = p.y;
      hasMax = true;
    } else {
      if (p.x > maxX) maxX = p.x;
      if (p.y > maxY) maxY = p.y;
    }
  }
  bool IsSet() const { return hasMin && hasMax; }
  // {x, y, width, height}; all zero while nothing was included.
  RectF Box() const { return IsSet() ? RectF{minX, minY, maxX - minX, maxY - minY} : RectF{}; }
};

// The point-wise forms of the three moves.
inline void TranslatePoint(PointF& p, float dx, float dy) {
  p.x += dx;
  p.y += dy;
}
inline void ScalePoint(PointF& p, float sx, float sy) {
  p.x *= sx;
  p.y *= sy;
}

}  // namespace Present::Drawing

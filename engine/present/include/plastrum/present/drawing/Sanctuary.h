// A protected rectangle of a shape (four points) that moves with it: the text rectangle
// of a topic shape, the outline's bounds of any other. Its rotation adds to an angle it
// shares with the geometry's frame.
#pragma once

#include <plastrum/present/drawing/Transformer.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

class PLASTRUM_API Sanctuary final : public Transformer {
 public:
  explicit Sanctuary(float* sharedAngle = nullptr) : angle_(sharedAngle) {}

  void Translate(float dx, float dy) override;
  void Scale(float sx, float sy) override;
  void Rotate(float degrees, const PointF& centre) override;

  // Corners of the rectangle, clockwise from the top-left.
  void SetRect(const RectF& rect);

  PointF points[4];
  Bounds bounds;

 private:
  void RecomputeBounds();

  float* angle_;
};

}  // namespace Present::Drawing

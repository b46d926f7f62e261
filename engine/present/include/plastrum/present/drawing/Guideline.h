// The frame of a shape: its four corners and four edge midpoints (the resize knobs),
// the sum of the rotations it went through, its bounds and the rotation knob.
#pragma once

#include <cstdint>

#include <plastrum/present/drawing/Transformer.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

class PLASTRUM_API Guideline final : public Transformer {
 public:
  enum Knob { kTopLeft, kTopRight, kBottomRight, kBottomLeft, kTopMiddle, kLeftMiddle, kRightMiddle, kBottomMiddle };
  static constexpr int kKnobCount = 8;
  // The rotation knob stands this far above the top middle (25 px at 96 DPI).
  static constexpr float kRotationKnobDistance = 238125.0f;

  void Translate(float dx, float dy) override;
  void Scale(float sx, float sy) override;
  void Rotate(float degrees, const PointF& centre) override;

  // Places the eight points on the box (x0, y0)-(x1, y1), resets the angle to 0 and
  // takes the box as bounds; the rotation knob goes above the top middle.
  void FitBox(float x0, float y0, float x1, float y1);
  // Gives every resize knob the knob bitmap `resizeKnob` and the rotation knob
  // `rotationKnob` (0 disables a knob).
  void EnableKnobs(uint8_t resizeKnob, uint8_t rotationKnob);

  PointF points[kKnobCount];
  uint8_t knobs[kKnobCount] = {};
  float angle = 0;
  Bounds bounds;
  uint8_t rotationKnob = 0;
  PointF rotationKnobPoint;

 private:
  void RecomputeBounds();
};

}  // namespace Present::Drawing

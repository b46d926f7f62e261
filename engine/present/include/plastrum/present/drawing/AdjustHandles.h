// The adjust handles of a geometry: points the user drags to reshape it (the ends and
// control points of a relation), each with its handle type, knob bitmap, and an anchor
// that a lever line may join it to.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <plastrum/present/drawing/Transformer.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

// Handle types the hit test reports and the editor acts on.
inline constexpr uint8_t kControlHandle = 1;
inline constexpr uint8_t kEndHandle = 5;
// Knob bitmaps of the drawing-resource library.
inline constexpr uint8_t kDefaultHandleKnob = 3;
inline constexpr uint8_t kControlHandleKnob = 1;
inline constexpr uint8_t kEndHandleKnob = 4;

class PLASTRUM_API AdjustHandle : public Transformer {
 public:
  // Translate, scale and rotate move the handle point only; the anchor stays as built.
  void Translate(float dx, float dy) override;
  void Scale(float sx, float sy) override;
  void Rotate(float degrees, const PointF& centre) override;

  uint8_t kind = 0;  // 0 angular, 1 polar
  uint8_t type = 0;
  uint8_t knob = kDefaultHandleKnob;
  PointF point;
  PointF anchor;
  uint8_t lever = 0;

 protected:
  explicit AdjustHandle(uint8_t kind_) : kind(kind_) {}
};

class PLASTRUM_API AngularAdjust final : public AdjustHandle {
 public:
  AngularAdjust() : AdjustHandle(0) {}
};

class PLASTRUM_API PolarAdjust final : public AdjustHandle {
 public:
  PolarAdjust() : AdjustHandle(1) {}
};

class PLASTRUM_API AdjustHandles final : public Transformer {
 public:
  void Translate(float dx, float dy) override;
  void Scale(float sx, float sy) override;
  void Rotate(float degrees, const PointF& centre) override;

  std::vector<std::unique_ptr<AdjustHandle>> items;
};

// Makes a handle (PolarAdjust for a non-zero selector, else AngularAdjust) and appends
// it; nothing is appended when memory runs out. Returns the handle or null.
PLASTRUM_API AdjustHandle* AddAdjustHandle(uint8_t selector, PointF point, uint8_t knob, AdjustHandles& handles,
                                           uint8_t type);
PLASTRUM_API AdjustHandle* AddAdjustHandleWithAnchor(uint8_t selector, PointF point, uint8_t knob,
                                                     AdjustHandles& handles, uint8_t type, PointF anchor,
                                                     uint8_t lever);

}  // namespace Present::Drawing

// Tracers: one drag of the editor handler, from press to release. The resize tracer scales
// the canvas's etudes as a knob moves; the position-adjust tracer moves one adjust point of
// a node's frame and rebuilds its geometry. Points are model points (EMU).
#pragma once

#include <cstdint>

#include <plastrum/present/drawing/Canvas.h>
#include <plastrum/present/gesture/Handler.h>
#include <plastrum/Export.h>

namespace Present::Gesture {

class PLASTRUM_API Tracer {
 public:
  virtual ~Tracer() = default;  // 0
  virtual int32_t Begin() = 0;  // 1
  virtual int32_t Apply() = 0;  // 2
  virtual int32_t End() = 0;    // 3

  // Binds a drag: canvas, node, knob or handle number, start point; the keys are read.
  void Bind(Drawing::Canvas* canvas_, Drawing::Diagram* node_, int32_t index_, Drawing::PointF start);
  // The current point and the keys as they are now.
  void Update(Drawing::PointF current);

  Drawing::Canvas* canvas = nullptr;
  Drawing::Diagram* node = nullptr;
  int32_t index = 0;
  float startX = 0, startY = 0, currentX = 0, currentY = 0;
  uint8_t ctrl = 0, shift = 0;
  ResultRecord result;
};

class PLASTRUM_API ResizeTracer final : public Tracer {
 public:
  static ResizeTracer* Instance();

  int32_t Begin() override;
  int32_t Apply() override;
  int32_t End() override;

  uint8_t movesLeft = 0, movesTop = 0, horizontal = 0, vertical = 0;
  float startWidth = 0, startHeight = 0;
  float anchorX = 0, anchorY = 0;
  float scaleX = 1.0f, scaleY = 1.0f;

 private:
  void ComputeScales();
};

class PLASTRUM_API PositionAdjustTracer final : public Tracer {
 public:
  static PositionAdjustTracer* Instance();

  // 1 when the index names no adjust handle of the node's geometry (nothing bound).
  int32_t Begin() override;
  int32_t Apply() override;
  int32_t End() override;

  Drawing::AdjustHandle* handle = nullptr;
  Drawing::PointF handleStart;

 private:
  Drawing::PointF SketchOffset() const;
};

// Both process-wide tracers, destroyed with the handlers.
void DestroyTracers();
// Unbinds a tracer bound to a canvas that goes away.
void ForgetTracerCanvas(const Drawing::Canvas* canvas);

}  // namespace Present::Gesture

// The one door from the drawing model and the canvas to the painters.
//
// The model and the canvas decide what is painted, in which pass and in which order; the
// painters installed here decide how it looks. Every operation answers 0 when done or a
// painter's code (1 or 3 out of memory, 2 unsupported, 21 no target, 24 text refused,
// 25 image missing). The engine's painters (painting/Painters.h) are in place unless others
// are installed; an installed NodePainter's operations that it does not override draw
// nothing and answer 0.
#pragma once

#include <cstdint>

#include <plastrum/present/drawing/PaintContext.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

class Diagram;
struct SelectingBox;

class PLASTRUM_API NodePainter {
 public:
  virtual ~NodePainter() = default;

  // First pass: the node's body (shape, picture frame, underline, branch, connector,
  // boundary), the text frame (text mode 2), then the decorations.
  virtual int32_t PaintBody(PaintContext&, const Diagram&, const PaintPosition&, FigurePaint&) { return 0; }
  virtual int32_t PaintTextFrame(PaintContext&, const Diagram&, const PaintPosition&) { return 0; }
  virtual int32_t PaintDecorations(PaintContext&, const Diagram&, const PaintPosition&) { return 0; }
  // Second pass: frame and knobs (flag 0x800), the selection frame (focused when the
  // state exceeds 15), the highlight, a relation's adjust handles.
  virtual int32_t PaintFrameAndKnobs(PaintContext&, const Diagram&, const PaintPosition&) { return 0; }
  virtual int32_t PaintSelectionFrame(PaintContext&, const Diagram&, const PaintPosition&, bool /*focused*/) {
    return 0;
  }
  virtual int32_t PaintHighlight(PaintContext&, const Diagram&, const PaintPosition&) { return 0; }
  virtual int32_t PaintRelationHandles(PaintContext&, const Diagram&, const PaintPosition&) { return 0; }
  // Pass 0: the page background over the view rectangle.
  virtual int32_t PaintPageBackground(PaintContext&, const Style::ShapeRecord&, const RectF&) { return 0; }
  // Pass 5, the feedback boxes. The blind box's first drawing in the feedback colour.
  virtual int32_t PaintBlindFeedback(PaintContext&, const Diagram&, const PaintPosition&) { return 0; }
  virtual int32_t PaintFloatingIcon(PaintContext&, const char16_t* /*path*/, const RectF&) { return 0; }
  // The moving box: the node moved to `at`, the target rectangle, the box's flag.
  virtual int32_t PaintMovingBranch(PaintContext&, const Diagram&, const PointF& /*at*/, const RectF& /*target*/,
                                    bool /*flag*/) {
    return 0;
  }
  virtual int32_t PaintMovingOutline(PaintContext&, const PointF*, int32_t, int32_t /*value*/) { return 0; }
  // The dropping box: the dragged node at the offset, the target rectangle relative to it.
  virtual int32_t PaintDroppingBox(PaintContext&, const Diagram*, const PointF& /*offset*/, const RectF& /*target*/,
                                   int32_t /*mode*/) {
    return 0;
  }
  virtual int32_t PaintRelatingBox(PaintContext&, const Diagram* /*from*/, const Diagram* /*to*/, const PointF*,
                                   int32_t /*count*/, int32_t /*mode*/) {
    return 0;
  }
  virtual int32_t PaintSelectingBox(PaintContext&, const RectF&) { return 0; }
};

// The painters in use; installing returns the ones replaced (null: the engine's), and null
// puts the engine's back.
PLASTRUM_API NodePainter& Painters();
PLASTRUM_API NodePainter* SetPainters(NodePainter* painters);

}  // namespace Present::Drawing

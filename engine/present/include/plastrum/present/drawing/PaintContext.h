// What a paint pass carries down to the nodes and the painters: the render block it draws
// into, the context the host attached, the scales, origin and zoom of the device mapping,
// the pass number, the paint flags of an etude, the palette and the effector that adjusts
// each node's paint record.
#pragma once

#include <cstdint>

#include <plastrum/format/StyleCache.h>
#include <plastrum/present/drawing/Transformer.h>
#include <plastrum/present/painting/PaintRecord.h>
#include <plastrum/present/painting/RenderRecords.h>
#include <plastrum/present/shell/host_colors.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

class Canvas;
class Diagram;
class PaintEffector;

// Where a node is drawn: its sketch or entry position and its selection state.
struct PLASTRUM_API PaintPosition {
  float x = 0, y = 0;
  uint8_t state = 0;
};

struct PLASTRUM_API PaintContext {
  Canvas* canvas = nullptr;
  Rendering::PaintRenderBlock* render = nullptr;
  // The context the host attached (null when none).
  const ContextRecord* attached = nullptr;
  // Pixels per inch of the target on each axis: device resolution times zoom.
  float scaleX = 96.0f, scaleY = 96.0f;
  // EMU added to every model point (a recording takes it as 0).
  float originX = 0, originY = 0;
  float zoom = 1.0f;
  int32_t pass = 0;
  // Paint flags of the etude being drawn: 2 no second pass, 4 the default effector.
  int32_t paintFlags = 0;
  // Set by the host's context: the paint stops after the sketch map.
  bool stopAfterSketches = false;
  ColorPalette12 palette = nullptr;
  const PaintEffector* effector = nullptr;
};

// The figure paint record the painters draw one node from: the colours of the paint
// record, the paint flags, and where the figure lies.
struct PLASTRUM_API FigurePaint {
  enum Flags : uint8_t { kStroke = 0x01, kFill = 0x02, kShadow = 0x04, kBare = 0x08, kPicture = 0x10 };

  uint16_t category = 0;
  const Style::ShapeRecord* style = nullptr;
  uint8_t flags = 0;
  uint8_t innerShadow = 0;
  uint8_t plainMode = 0;
  Painting::PaintRecord colors;
  // The geometry's box, the guideline's angle (never negative), first corner and sides.
  RectF box;
  float angle = 0;
  PointF corner;
  float sideA = 0, sideB = 0;
};

// What the canvas hands its owner to draw a topic's text with: the figure's paint record and
// the paint it belongs to, from which the designer makes a calligraphy over the paint's
// render. It lives for the owner's call only.
struct PLASTRUM_API TextPaint {
  FigurePaint figure;
  const PaintContext* paint = nullptr;
};

// Marks a text paint record as handed to the owner on this thread until the guard goes, so
// that a calligraphy is only made from a record the engine gave and while it is valid.
class PLASTRUM_API TextPaintLease {
 public:
  explicit TextPaintLease(const TextPaint& record);
  ~TextPaintLease();
  TextPaintLease(const TextPaintLease&) = delete;
  TextPaintLease& operator=(const TextPaintLease&) = delete;

  // The record when `candidate` is one leased on this thread now; else null.
  static const TextPaint* Find(const void* candidate);

 private:
  const TextPaint* record_;
  const TextPaintLease* previous_;
};

// Adjusts a node's paint record before it is drawn. Both kinds answer 0.
class PLASTRUM_API PaintEffector {
 public:
  virtual ~PaintEffector() = default;
  virtual int32_t Apply(FigurePaint& record) const = 0;
  virtual int32_t Mode() const = 0;
};

// Leaves the record as it is.
class PLASTRUM_API PaintDefaultEffector final : public PaintEffector {
 public:
  int32_t Apply(FigurePaint&) const override { return 0; }
  int32_t Mode() const override { return 0; }
  static const PaintDefaultEffector& Instance();
};

// The look of shapes being edited: fills at alpha 153, lines at 127, no shadow, pictures
// at 76.
class PLASTRUM_API PaintEditingEffector final : public PaintEffector {
 public:
  int32_t Apply(FigurePaint& record) const override;
  int32_t Mode() const override { return 2; }
  static const PaintEditingEffector& Instance();
};

// Fills a node's figure paint record: category, style, colours (against the palette),
// flags from the style, the geometry's box and guideline; then the effector (the default
// one when null).
PLASTRUM_API void FillFigurePaint(FigurePaint& record, const Diagram& node, ColorPalette12 palette,
                                  const PaintEffector* effector);

}  // namespace Present::Drawing

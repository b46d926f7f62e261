// The two paint effectors, the painters that draw nothing, and the figure paint record.
#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/present/drawing/NodePainter.h>
#include <plastrum/present/painting/PaintColors.h>
#include <plastrum/present/painting/Painters.h>

#include <cmath>

namespace Present::Drawing {
namespace {

NodePainter* g_painters = nullptr;

uint32_t WithAlpha(uint32_t argb, uint8_t alpha) { return (argb & 0x00FFFFFFu) | uint32_t{alpha} << 24; }

float Distance(const PointF& a, const PointF& b) { return std::hypot(b.x - a.x, b.y - a.y); }

}  // namespace

NodePainter& Painters() { return g_painters ? *g_painters : Painting::EnginePainters(); }

NodePainter* SetPainters(NodePainter* painters) {
  NodePainter* previous = g_painters;
  g_painters = painters;
  return previous;
}

const PaintDefaultEffector& PaintDefaultEffector::Instance() {
  static const PaintDefaultEffector effector;
  return effector;
}

const PaintEditingEffector& PaintEditingEffector::Instance() {
  static const PaintEditingEffector effector;
  return effector;
}

int32_t PaintEditingEffector::Apply(FigurePaint& record) const {
  Painting::PaintRecord& c = record.colors;
  for (int32_t i = 0; i < c.fillColorCount && i < Painting::kMaxPaintColors; ++i)
    c.fillColors[i] = WithAlpha(c.fillColors[i], 153);
  for (int32_t i = 0; i < c.lineColorCount && i < Painting::kMaxPaintColors; ++i)
    c.lineColors[i] = WithAlpha(c.lineColors[i], 127);
  c.fillAlpha = 153;
  record.flags &= static_cast<uint8_t>(~FigurePaint::kShadow);
  c.pictureAlpha = 76;
  return 0;
}

void FillFigurePaint(FigurePaint& record, const Diagram& node, ColorPalette12 palette, const PaintEffector* effector) {
  const Style::ShapeRecord* style = node.Style();
  record.category = node.category;
  record.style = style;
  Painting::ResolvePaintColors(record.colors, style, node.category, node.Kind(), palette);
  record.flags = 0;
  if (LineVisible(style)) record.flags |= FigurePaint::kStroke;
  const bool unfilledBoundary = node.category == kCategoryOutline && node.kind >= 305 && node.kind <= 308;
  if (FillVisible(style) && !unfilledBoundary) record.flags |= FigurePaint::kFill;
  if (style && style->shadow && style->shadow->type != 0) {
    record.flags |= FigurePaint::kShadow;
    record.innerShadow = style->shadow->type >= 10 && style->shadow->type <= 18;
  }
  if (style && style->picture && style->picture->binDataId != 0) record.flags |= FigurePaint::kPicture;
  if (node.geometry) {
    const Guideline& g = node.geometry->guideline;
    record.box = node.geometry->segments.Box();
    record.angle = g.angle < 0 ? 0 : g.angle;
    record.corner = g.points[Guideline::kTopLeft];
    record.sideA = Distance(g.points[Guideline::kTopLeft], g.points[Guideline::kTopRight]);
    record.sideB = Distance(g.points[Guideline::kTopRight], g.points[Guideline::kBottomRight]);
  }
  (effector ? effector : &PaintDefaultEffector::Instance())->Apply(record);
}

}  // namespace Present::Drawing

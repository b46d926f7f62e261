#include <plastrum/present/drawing/Diagram.h>

#include <cmath>
#include <new>

#include <plastrum/present/drawing/NodePainter.h>
#include <plastrum/present/drawing/Presets.h>

namespace Present::Drawing {
namespace {

bool g_keepNodes = false;
uint64_t g_geometryEpoch = 1;

bool TypeVisible(const Style::FillRecord* fill) { return fill != nullptr && fill->type != 0 && fill->type != 5; }

}  // namespace

void SetKeepNodes(bool keep) { g_keepNodes = keep; }
uint64_t GeometryEpoch() { return g_geometryEpoch; }
void GeometryChanged() { ++g_geometryEpoch; }
bool KeepNodes() { return g_keepNodes; }

Diagram::~Diagram() = default;

Style::ShapeRecord* Diagram::Style() const {
  if (!styleCache || shapeId == 0) return nullptr;
  return styleCache->BuildShape(shapeId);
}

void Diagram::BindStyle(StyleCache* cache, uint32_t id) {
  styleCache = cache;
  shapeId = id;
  boundLineWidth = VisibleLineWidth(*this);
  GeometryChanged();
}

bool Diagram::Paintable() const { return !deleted && geometry && !geometry->segments.Empty() && Style() != nullptr; }

int32_t Diagram::PaintBody(PaintContext& context, const PaintPosition& position) {
  FigurePaint record;
  FillFigurePaint(record, *this, context.palette, context.effector);
  return Painters().PaintBody(context, *this, position, record);
}

int32_t Diagram::PaintFirst(PaintContext& context, const PaintPosition& position) {
  if (!Paintable()) return kNothing;
  const int32_t code = PaintBody(context, position);
  if (geometry->textMode == 2) Painters().PaintTextFrame(context, *this, position);
  if (code == 0 && PaintsDecorations()) return Painters().PaintDecorations(context, *this, position);
  return code;
}

int32_t Diagram::PaintSecond(PaintContext& context, const PaintPosition& position) {
  if (!Paintable()) return kNothing;
  NodePainter& painters = Painters();
  if (geometry->textMode == 1 && (position.state & 0x03) != 0) painters.PaintTextFrame(context, *this, position);
  if (flags & 0x800) return painters.PaintFrameAndKnobs(context, *this, position);
  if (position.state & 0x02) return painters.PaintSelectionFrame(context, *this, position, position.state > 15);
  if (position.state & 0x01) return painters.PaintHighlight(context, *this, position);
  return 0;
}

float Diagram::HitTolerance(float zoom) const {
  const float z = zoom == 0.0f ? 1.0f : zoom;  // a zoom of 0 counts as 1
  return 3 * kEmuPerPixel / z + VisibleLineWidth(*this) / 2;
}

int32_t Relation::PaintBody(PaintContext& context, const PaintPosition& position) {
  if (context.pass == 3) return 0;  // the relations' second visit draws nothing
  return Diagram::PaintBody(context, position);
}

int32_t Relation::PaintSecond(PaintContext& context, const PaintPosition& position) {
  if (!Paintable()) return kNothing;
  if ((flags & 0xFF) == 0) return 0;
  return Painters().PaintRelationHandles(context, *this, position);
}

float Outline::HitTolerance(float zoom) const {
  const float z = zoom == 0.0f ? 1.0f : zoom;
  return 6 * kEmuPerPixel / z + VisibleLineWidth(*this) / 2;
}

uint16_t CategoryOfKind(uint32_t kind) {
  if (kind >= 100 && kind <= 107) return kCategoryTwig;
  if (kind >= 200 && kind <= 203) return kCategoryRelation;
  if (kind >= 300 && kind <= 308) return kCategoryOutline;
  if (kind == 400) return kCategoryUnderline;
  if (kind == 401) return kCategoryPicFrame;
  if (kind >= 402 && kind <= 411) return kCategoryFigure;
  return 0;
}

Diagram* NewNode(uint16_t category) {
  switch (category) {
    case kCategoryFigure:
      return new (std::nothrow) Figure();
    case kCategoryPicFrame:
      return new (std::nothrow) PicFrame();
    case kCategoryUnderline:
      return new (std::nothrow) Underline();
    case kCategoryTwig:
      return new (std::nothrow) Twig();
    case kCategoryRelation:
      return new (std::nothrow) Relation();
    case kCategoryOutline:
      return new (std::nothrow) Outline();
    default:
      return nullptr;
  }
}

Diagram* MakeNode(uint32_t kind) {
  Diagram* node = NewNode(CategoryOfKind(kind));
  if (!node) return nullptr;
  if (node->kind != kind) {
    node->kind = kind;
    node->geometry.reset();
  }
  return node;
}

Diagram* RekindNode(uint32_t kind, Diagram* node, bool* refused) {
  if (refused) *refused = false;
  if (!node || node->kind == kind) return node;
  const uint16_t category = CategoryOfKind(kind);
  if (category == 0 || FamilyOf(category) != FamilyOf(node->category)) {
    if (refused) *refused = true;
    return node;
  }
  if (category == node->category) {
    node->kind = kind;
    node->geometry.reset();
    return node;
  }
  Diagram* fresh = NewNode(category);
  if (!fresh) return nullptr;
  fresh->kind = kind;
  fresh->frame = node->frame;
  fresh->BindStyle(node->styleCache, node->shapeId);
  fresh->flags = node->flags;
  fresh->first = node->first;
  fresh->second.id = node->second.id;
  fresh->second.x = node->second.x;
  fresh->second.y = node->second.y;
  for (int i = 0; i < 3; ++i) fresh->second.lengths[i] = node->second.lengths[i];
  if (node->second.color) fresh->second.color.reset(new (std::nothrow) Type::Color(*node->second.color));
  fresh->hostA = node->hostA;
  fresh->hostB = node->hostB;
  return fresh;
}

bool RebuildGeometry(Diagram& node) {
  GeometryChanged();
  node.geometry.reset();
  node.geometry.reset(BuildGeometry(node.frame, node.Kind()));
  return node.geometry != nullptr;
}

bool LineVisible(const Style::ShapeRecord* style) { return style && style->line && TypeVisible(style->line->fill); }

bool FillVisible(const Style::ShapeRecord* style) { return style && TypeVisible(style->fill); }

float VisibleLineWidth(const Diagram& node) {
  const Style::ShapeRecord* style = node.Style();
  if (!LineVisible(style)) return 0;
  const float w = style->line->width;
  return std::isfinite(w) && w > 0 ? w : 0;
}

RectF NodeBounds(const Diagram& node) {
  if (!node.geometry || node.geometry->segments.Empty()) return RectF{};
  RectF box = node.geometry->segments.Box();
  const float half = VisibleLineWidth(node) / 2;
  return RectF{box.x - half, box.y - half, box.width + 2 * half, box.height + 2 * half};
}

RectF NodePaintBounds(const Diagram& node) {
  if (!node.geometry || node.geometry->segments.Empty()) return RectF{};
  RectF box = node.geometry->segments.Box();
  const float line = VisibleLineWidth(node);
  box = {box.x - line, box.y - line, box.width + 2 * line, box.height + 2 * line};
  const Style::ShapeRecord* style = node.Style();
  const Style::ShadowRecord* shadow = style ? style->shadow : nullptr;
  if (!shadow || shadow->type == 0) return box;
  const float radians = shadow->angle * ::Present::Geometry::kRadiansPerDegree;
  const float dx = shadow->distance * std::cos(radians), dy = shadow->distance * std::sin(radians);
  if (shadow->type >= 10 && shadow->type <= 18) {
    const float d = 2 * shadow->distance;
    box = {box.x - d, box.y - d, box.width + 2 * d, box.height + 2 * d};
  } else if (shadow->type >= 1 && shadow->type <= 9) {
    // Anchor factors read a three-entry table: types past 9 never reach it.
    static constexpr float kAnchor[3] = {0.0f, -0.5f, -1.0f};
    const float size = shadow->size == 0 ? 1.0f : shadow->size;
    const int t = shadow->type - 1;
    const float w = box.width * size, h = box.height * size;
    box.x += kAnchor[t % 3] * box.width * (size - 1);
    box.y += kAnchor[t / 3] * box.height * (size - 1);
    box.width = w;
    box.height = h;
    const float blur = shadow->blur / 2;
    box = {box.x - blur, box.y - blur, box.width + 2 * blur, box.height + 2 * blur};
  } else {
    return box;
  }
  box.x += dx;
  box.y += dy;
  return box;
}

}  // namespace Present::Drawing

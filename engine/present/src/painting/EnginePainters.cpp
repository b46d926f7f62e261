// The painters the canvas draws through: bodies by category, the state overlays, the fold
// mark and the text anchor, frame and knobs, and the page background.
#include <plastrum/present/painting/Painters.h>

#include <memory>

#include <vantorel/present_host.h>

#include <sketchery/Sketchery.h>

#include <plastrum/present/drawing/Canvas.h>
#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/present/painting/Feedback.h>
#include <plastrum/present/painting/ImageFiles.h>
#include <plastrum/present/painting/PaintColors.h>
#include <plastrum/present/painting/RenderRecords.h>
#include <plastrum/present/painting/RenderingBrushes.h>
#include <plastrum/present/shell/units.h>

namespace Present::Painting {
namespace {

using Drawing::Diagram;

constexpr float kPixel = 9525.0f;

std::vector<NativePointF> Native(const std::vector<PointF>& points) {
  std::vector<NativePointF> out;
  for (const PointF& p : points) out.push_back(NativePointF{p.x, p.y});
  return out;
}

RectF DeviceBounds(const Diagram& node, const DeviceMap& map, const PaintPosition& at) {
  return map.ToDevice(Drawing::NodeBounds(node), at);
}

int32_t DrawBitmapCentred(NativeRender render, LONG id, const PointF& at, float zoom) {
  const SketcheryBitmap* bitmap = GetBitmapResource(id);
  if (!bitmap || !bitmap->image) return 0;
  const float z = zoom == 0 ? 1 : zoom;
  const float w = bitmap->width / z, h = bitmap->height / z;
  return NativeRenderDrawImageRect(render, bitmap->image, at.x - w / 2, at.y - h / 2, w, h) == 0 ? 0 : 3;
}

// The fold mark: a 14 px button on the point, a minus (state 1) or a plus (state 2).
int32_t PaintFoldingButton(NativeRender render, const DeviceMap& map, const PointF& centre, int32_t state) {
  if (state != 1 && state != 2) return 0;
  const float d = map.Length(14 * kPixel), inset = map.Length(1.5f * kPixel), bar = map.Length(3 * kPixel);
  const NativeRectF box{centre.x - d / 2, centre.y - d / 2, d, d};
  NativeBrush face = GetNativeBrush();
  if (!face) return 3;
  int32_t code = 0;
  if (NativeCreateLinearGradientBrushWithAngle(face, &box, 0xFFD5D5D5u, 0xFFFFFFFFu, state == 2 ? 240.0f : 60.0f, 1))
    NativeRenderFillEllipse(render, face, box.x, box.y, d, d);
  else
    code = 3;
  ReleaseNativeBrush(face);
  {
    Rendering::PenRecord ring(0xFFFFFFFFu, map.Length(kPixel));
    if (ring.Valid())
      NativeRenderDrawEllipse(render, ring.pen, box.x + inset, box.y + inset, d - 2 * inset, d - 2 * inset);
  }
  NativeBrush rim = GetNativeBrush();
  if (rim && NativeCreateLinearGradientBrushWithAngle(rim, &box, 0xFF0E9DD7u, 0xFF0D6CA8u, 90.0f, 1)) {
    Rendering::PenRecord outer(0, map.Length(2 * kPixel), rim);  // takes the brush
    if (outer.Valid()) NativeRenderDrawEllipse(render, outer.pen, box.x, box.y, d, d);
  } else if (rim) {
    ReleaseNativeBrush(rim);
  }
  Rendering::PenRecord mark(0xFFFEFEFEu, map.Length(2 * kPixel));
  if (!mark.Valid()) return 3;
  NativeRenderDrawLine(render, mark.pen, centre.x - bar, centre.y, centre.x + bar, centre.y);
  if (state == 2) NativeRenderDrawLine(render, mark.pen, centre.x, centre.y - bar, centre.x, centre.y + bar);
  return code;
}

// The branch the moving box shows: of the box's kind, from the moved node's anchor (factors
// {0, 0.5, 1} by anchor mod 3 across and anchor div 3 down; an anchor past 8 reads 0) to the
// target rectangle's centre, as an elbow through the middle. Null for a kind that is no branch.
Diagram* MovingBranch(uint32_t kind, uint8_t anchor, const RectF& moved, const RectF& target) {
  if (Drawing::CategoryOfKind(kind) != Drawing::kCategoryTwig) return nullptr;
  static constexpr float kFactors[3] = {0.0f, 0.5f, 1.0f};
  const int a = anchor > 8 ? 0 : anchor;
  const PointF s{moved.x + kFactors[a % 3] * moved.width, moved.y + kFactors[a / 3] * moved.height};
  const PointF e{target.x + target.width / 2, target.y + target.height / 2};
  const float mx = (s.x + e.x) / 2;
  const PointF p[4] = {s, {mx, s.y}, {mx, e.y}, e};
  std::unique_ptr<Diagram> branch(Drawing::MakeNode(kind));
  if (!branch || !branch->frame.SetPoints(p, 4) || !Drawing::RebuildGeometry(*branch)) return nullptr;
  return branch.release();
}

class Engine final : public Drawing::NodePainter {
 public:
  int32_t PaintBody(PaintContext& c, const Diagram& node, const PaintPosition& at, FigurePaint& record) override {
    NativeRender render = CurrentRender(c);
    if (!render) return 21;
    const DeviceMap map = MapOf(c);
    switch (node.category) {
      case Drawing::kCategoryTwig:
      case Drawing::kCategoryRelation:
      case Drawing::kCategoryUnderline: {
        const std::vector<PointF> points = DeviceOutline(node, map, at);
        const RectF rect = map.ToDevice(record.box, at);
        if (node.category == Drawing::kCategoryTwig && node.kind == 107) {
          // The tapered branch: its closed outline filled with the line's colours.
          FigurePaint tapered = record;
          tapered.colors.fillColorCount = record.colors.lineColorCount;
          for (int i = 0; i < kMaxPaintColors; ++i) {
            tapered.colors.fillColors[i] = record.colors.lineColors[i];
            tapered.colors.fillPositions[i] = record.colors.linePositions[i];
          }
          Style::ShapeRecord shape = *record.style;
          shape.fill = record.style->line ? record.style->line->fill : nullptr;
          tapered.style = &shape;
          return FillOutline(c, render, points, rect, tapered);
        }
        if (!(record.flags & FigurePaint::kStroke)) return 0;
        return StrokeOutline(render, map, points, rect, record);
      }
      default:
        return PaintShape(c, node, at, record);
    }
  }

  int32_t PaintDecorations(PaintContext& c, const Diagram& node, const PaintPosition& at) override {
    NativeRender render = CurrentRender(c);
    if (!render) return 21;
    const DeviceMap map = MapOf(c);
    int32_t code = 0;
    if (node.first.id == 1 || node.first.id == 2)
      code = PaintFoldingButton(render, map, map.ToDevice(PointF{node.first.x, node.first.y}, at), node.first.id);
    if (node.second.id == 1 || node.second.id == 2) {
      if (node.second.id == 2) {
        // Underlined text: a line as long as the first length, the second length below.
        const PointF a = map.ToDevice(PointF{node.second.x, node.second.y + node.second.lengths[1]}, at);
        const float len = map.Length(node.second.lengths[0]);
        const uint32_t color = node.second.color ? ResolveColor(node.second.color.get(), 0, c.palette) : 0xFF222222u;
        Rendering::PenRecord pen(color, map.Length(kPixel));
        if (pen.Valid()) NativeRenderDrawLine(render, pen.pen, a.x, a.y, a.x + len, a.y);
      }
      code = TextAnchor(c, node, at);
    }
    return code;
  }

  int32_t PaintSelectionFrame(PaintContext& c, const Diagram& node, const PaintPosition& at, bool focused) override {
    NativeRender render = CurrentRender(c);
    if (!render) return 21;
    return PaintFocusAndPick(c, node, DeviceBounds(node, MapOf(c), at), focused);
  }

  int32_t PaintHighlight(PaintContext& c, const Diagram& node, const PaintPosition& at) override {
    return PaintOutlineHighlight(c, node, at);
  }

  int32_t PaintFrameAndKnobs(PaintContext& c, const Diagram& node, const PaintPosition& at) override {
    NativeRender render = CurrentRender(c);
    if (!render || !node.geometry) return render ? 0 : 21;
    const DeviceMap map = MapOf(c);
    const Drawing::Guideline& g = node.geometry->guideline;
    std::vector<PointF> frame;
    for (int i = 0; i < 4; ++i) frame.push_back(map.ToDevice(g.points[i], at));
    frame.push_back(frame.front());
    const std::vector<NativePointF> native = Native(frame);
    Rendering::PenRecord pen(0xFF525252u, 0);
    if (pen.Valid()) NativeRenderDrawPolygon(render, pen.pen, native.data(), LONG(native.size()));
    for (int i = 0; i < Drawing::Guideline::kKnobCount; ++i)
      if (g.knobs[i]) DrawBitmapCentred(render, g.knobs[i], map.ToDevice(g.points[i], at), c.zoom);
    if (g.rotationKnob) DrawBitmapCentred(render, g.rotationKnob, map.ToDevice(g.rotationKnobPoint, at), c.zoom);
    return 0;
  }

  int32_t PaintRelationHandles(PaintContext& c, const Diagram& node, const PaintPosition& at) override {
    NativeRender render = CurrentRender(c);
    if (!render || !node.geometry) return render ? 0 : 21;
    const DeviceMap map = MapOf(c);
    for (const auto& h : node.geometry->handles.items)
      DrawBitmapCentred(render, h->knob, map.ToDevice(h->point, at), c.zoom);
    return 0;
  }

  int32_t PaintPageBackground(PaintContext& c, const Style::ShapeRecord& page, const RectF& view) override {
    NativeRender render = CurrentRender(c);
    if (!render) return 21;
    Painting::PaintRecord colors;
    ResolveFillColors(colors, page.fill, c.palette);
    if (colors.fillColorCount == 0) return 0;
    const RectF r = MapOf(c).ToDevice(view, PaintPosition{});
    Rendering::SolidColorBrush fill(colors.fillColors[0]);
    if (!fill.Valid()) return 3;
    return NativeRenderFillRectangle(render, fill.Handle(), r.x, r.y, r.width, r.height) == 0 ? 0 : 3;
  }

  int32_t PaintSelectingBox(PaintContext& c, const RectF& box) override { return PaintSelectingBand(c, box); }

  int32_t PaintFloatingIcon(PaintContext& c, const char16_t* path, const RectF& box) override {
    if (!c.canvas || !path || !*path) return 0;
    // Loaded once and kept by the box.
    Drawing::FloatingBox& floating = c.canvas->preview.floating;
    if (!floating.image) floating.image.reset(Rendering::LoadImageFile(path));
    return Painting::PaintFloatingIcon(c, floating.image.get(), box);
  }

  int32_t PaintMovingBranch(PaintContext& c, const Diagram& node, const PointF& at, const RectF& target,
                            bool flag) override {
    const RectF b = Drawing::NodeBounds(node);
    const RectF moved{b.x + at.x, b.y + at.y, b.width, b.height};
    std::vector<PointF> points;
    int32_t segments = 0;
    if (c.canvas) {
      const Drawing::MovingBox& box = c.canvas->preview.moving;
      std::unique_ptr<Diagram> branch(MovingBranch(box.branchKind, box.anchor, moved, target));
      if (branch && branch->geometry) {
        points = DeviceOutline(*branch, MapOf(c), PaintPosition{});
        segments = static_cast<int32_t>(branch->geometry->segments.Items().size());
      }
    }
    return PaintMovingFeedback(c, points, segments, moved, target, flag);
  }

  int32_t PaintDroppingBox(PaintContext& c, const Diagram* node, const PointF& offset, const RectF& target,
                           int32_t mode) override {
    return PaintDroppingFeedback(c, node, offset, target, mode);
  }

  int32_t PaintRelatingBox(PaintContext& c, const Diagram* from, const Diagram* to, const PointF* ends, int32_t count,
                           int32_t) override {
    if (!c.canvas) return 0;
    const Drawing::RelatingBox& box = c.canvas->preview.relating;
    auto moved = [](const Diagram* node, const PointF& by) {
      const RectF b = Drawing::NodeBounds(*node);
      return RectF{b.x + by.x, b.y + by.y, b.width, b.height};
    };
    const RectF source = from ? moved(from, box.fromPoint) : RectF{};
    const RectF target = to ? moved(to, box.toPoint) : RectF{};
    if (!to) return PaintRelatingFeedback(c, from ? &source : nullptr, nullptr, ends, count);
    // Joining two topics: the frames, the connection sites of both, the markers last.
    const int32_t code = PaintRelatingFeedback(c, from ? &source : nullptr, &target, nullptr, 0);
    if (from) PaintConnectionSites(c, *from, PaintPosition{box.fromPoint.x, box.fromPoint.y, 0});
    PaintConnectionSites(c, *to, PaintPosition{box.toPoint.x, box.toPoint.y, 0});
    PaintControlMarkers(c, ends, count);
    return code;
  }

 private:
  // The text anchor: the host draws the text; its refusal is code 24.
  static int32_t TextAnchor(PaintContext& c, const Diagram& node, const PaintPosition& at) {
    IPresentCanvasOwner* owner = c.canvas ? c.canvas->owner : nullptr;
    if (!owner) return 0;
    Drawing::TextPaint record;
    Drawing::FillFigurePaint(record.figure, node, c.palette, c.effector);
    record.paint = &c;
    const Drawing::TextPaintLease lease(record);
    const POINT anchor{EmuToHost(node.second.x + at.x), EmuToHost(node.second.y + at.y)};
    return owner->DrawText(&record, node.hostA, node.hostB, anchor) ? 0 : 24;
  }
};

}  // namespace

Drawing::NodePainter& EnginePainters() {
  static Engine* painters = new Engine();
  return *painters;
}

}  // namespace Present::Painting

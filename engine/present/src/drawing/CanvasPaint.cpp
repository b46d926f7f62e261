// A canvas's paint passes, its render binding and the blit of its off-screen image.
//
// Pass 0 the page background; 1 boundaries, relations, branches; 2 topics; 3 the
// relations again (they draw nothing then); then, unless the context stops there, pass 4
// the selection (only without etudes) and pass 5 the preview: blind, floating, moving,
// moving outline, callout, dropping and relating boxes, the etudes, the selecting box.
// A node's failure stops only that node; the paint goes on and answers 0.
#include <plastrum/present/drawing/Canvas.h>

#include <algorithm>
#include <cmath>

#include <plastrum/present/drawing/NodePainter.h>
#include <plastrum/present/painting/RenderingBrushes.h>

namespace Present::Drawing {
namespace {

// The blind box's second drawing: its own colours at alpha 25, no shadow.
class BlindEffector final : public PaintEffector {
 public:
  int32_t Apply(FigurePaint& record) const override {
    Painting::PaintRecord& c = record.colors;
    for (int32_t i = 0; i < c.fillColorCount && i < Painting::kMaxPaintColors; ++i)
      c.fillColors[i] = (c.fillColors[i] & 0x00FFFFFFu) | 0x19000000u;
    for (int32_t i = 0; i < c.lineColorCount && i < Painting::kMaxPaintColors; ++i)
      c.lineColors[i] = (c.lineColors[i] & 0x00FFFFFFu) | 0x19000000u;
    c.fillAlpha = 25;
    record.flags &= static_cast<uint8_t>(~FigurePaint::kShadow);
    return 0;
  }
  int32_t Mode() const override { return 0; }
};

const PaintEffector& PreviewEffector(int32_t paintFlags) {
  if (paintFlags & 4) return PaintDefaultEffector::Instance();
  return PaintEditingEffector::Instance();
}

void PaintList(PaintContext& context, const std::vector<Sketch>& list) {
  for (const Sketch& sketch : list) sketch.Paint(context);
}

}  // namespace

PaintContext Canvas::MakePaintContext() {
  PaintContext context;
  context.canvas = this;
  context.render = &render;
  context.attached = &render.settings;
  context.zoom = view.zoomX;
  context.scaleX = view.resolutionX * view.zoomX;
  context.scaleY = view.resolutionY * view.zoomY;
  context.originX = view.originX - view.rect.x;
  context.originY = view.originY - view.rect.y;
  context.palette = PalettePointers();
  context.effector = &PaintDefaultEffector::Instance();
  return context;
}

int32_t Canvas::PaintAll(PaintContext& context) {
  NodePainter& painters = Painters();
  context.effector = &PaintDefaultEffector::Instance();
  context.pass = 0;
  if (const Style::ShapeRecord* page = view.PageStyle(); page && (FillVisible(page) || LineVisible(page)))
    painters.PaintPageBackground(context, *page, view.rect);

  context.pass = 1;
  PaintList(context, sketches.lists[3]);
  PaintList(context, sketches.lists[2]);
  PaintList(context, sketches.lists[1]);
  context.pass = 2;
  PaintList(context, sketches.lists[0]);
  context.pass = 3;
  PaintList(context, sketches.lists[2]);
  if (context.stopAfterSketches) return 0;
  return PaintOverlay(context);
}

int32_t Canvas::PaintOverlay(PaintContext& context) {
  NodePainter& painters = Painters();
  context.effector = &PaintDefaultEffector::Instance();
  context.pass = 4;
  if (preview.etudes.empty()) {
    for (int32_t i = 0; i < selectionCount; ++i) {
      SelectionEntry& entry = selection[static_cast<size_t>(i)];
      if (!entry.node) continue;
      if (!entry.placed || !entry.node->Alive()) {
        // A node gone since the entry was made: the entry goes too.
        entry = SelectionEntry{};
        if (i == selectionCount - 1) --selectionCount;
        continue;
      }
      entry.node->PaintSecond(context, PaintPosition{entry.x, entry.y, entry.state});
    }
  }

  context.pass = 5;
  const int32_t flags = context.paintFlags;
  if (preview.blind.position.state && preview.blind.node && preview.blind.node->Paintable()) {
    static const BlindEffector blind;
    painters.PaintBlindFeedback(context, *preview.blind.node, preview.blind.position);
    context.effector = &blind;
    preview.blind.node->PaintFirst(context, preview.blind.position);
  }
  context.effector = &PreviewEffector(flags);
  if (preview.floating.active && preview.floating.node) {
    const RectF& r = preview.floating.rect;
    preview.floating.node->PaintFirst(context, PaintPosition{r.x, r.y, 0});
    painters.PaintFloatingIcon(context, preview.floating.iconPath.c_str(), r);
  }
  if (preview.moving.active && preview.moving.node && preview.moving.node->Paintable()) {
    MovingBox& m = preview.moving;
    context.effector = &PaintDefaultEffector::Instance();
    m.node->PaintFirst(context, PaintPosition{m.dx, m.dy, 0});
    painters.PaintMovingBranch(context, *m.node, PointF{m.dx, m.dy}, RectF{m.dx, m.dy, m.width, m.height}, m.flag != 0);
    context.effector = &PreviewEffector(flags);
  }
  if (preview.outline.active && !preview.outline.points.empty())
    painters.PaintMovingOutline(context, preview.outline.points.data(),
                                static_cast<int32_t>(preview.outline.points.size()), preview.outline.value);
  if (preview.callout.active && preview.callout.node && preview.callout.node->Paintable())
    preview.callout.node->PaintFirst(context, PaintPosition{preview.callout.rect.x, preview.callout.rect.y, 0});
  if (preview.dropping.active) {
    const DroppingBox& d = preview.dropping;
    painters.PaintDroppingBox(context, d.node, PointF{d.x, d.y},
                              RectF{d.lengths[0], d.lengths[1], d.lengths[2], d.lengths[3]}, d.mode);
  }
  if (preview.relating.active) {
    RelatingBox& r = preview.relating;
    if (r.connector && r.connector->Paintable()) r.connector->PaintFirst(context, PaintPosition{});
    painters.PaintRelatingBox(context, r.from, r.to, r.ends, 2, r.mode);
  }
  for (Etude& etude : preview.etudes) {
    context.effector = &PreviewEffector(etude.paintFlags);
    etude.Paint(context);
  }
  context.effector = &PaintDefaultEffector::Instance();
  if (preview.selecting.active) painters.PaintSelectingBox(context, preview.selecting.Rect());
  context.paintFlags = flags;
  return 0;
}

int32_t Canvas::AttachContext(const ContextRecord& settings) {
  render.settings = settings;
  render.current = &render.device;
  view.hasCanvas = view.pageValues[0] != 0 && view.pageValues[1] != 0;
  const int32_t code = Rendering::AttachDevice(render.device, settings);
  if (code != 0) return code;
  view.resolutionX = render.device.dpiX;
  view.resolutionY = render.device.dpiY;
  view.zoomX = settings.zoomX;
  view.zoomY = settings.zoomY;
  return 0;
}

bool Canvas::BlitImage(const ContextRecord& target, int32_t width, int32_t height) {
  if (!cachedImage || !cachedImage->HasArea() || width <= 0 || height <= 0) return false;
  Rendering::RenderRecord record;
  if (Rendering::AttachDevice(record, target) != 0) return false;
  NativeRenderSetSmoothingMode(record.render, 1);
  Rendering::SolidColorBrush background(kFeedbackColor);
  NativeRenderFillRectangle(record.render, background.Handle(), 0, 0, float(width), float(height));
  const float w = float(width) - 1, h = float(height) - 1;  // inset by 0.5 on every side
  const float iw = float(cachedImage->Width()), ih = float(cachedImage->Height());
  const float scale = std::min(w / iw, h / ih);
  const float dw = iw * scale, dh = ih * scale;
  const LONG status =
      NativeRenderDrawImageRect(record.render, cachedImage->Handle(), 0.5f + (w - dw) / 2, 0.5f + (h - dh) / 2, dw, dh);
  record.Detach();
  return status == 0;
}

}  // namespace Present::Drawing

// The feedback of gestures: the outline highlight, the rubber band, the floating box's icon,
// the moving, dropping and relating boxes. Fixed sizes (the frame margin 5, the pen widths 5
// and 2) are device units, not divided by the zoom; the rubber band's pen and the marker
// bitmaps are.
#include <plastrum/present/painting/Feedback.h>

#include <algorithm>
#include <memory>

#include <sketchery/Sketchery.h>

#include <plastrum/present/drawing/Canvas.h>
#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/present/painting/ImageFiles.h>
#include <plastrum/present/painting/RenderRecords.h>
#include <plastrum/present/painting/RenderingBrushes.h>

namespace Present::Painting {
namespace {

std::vector<NativePointF> Native(const std::vector<PointF>& points) {
  std::vector<NativePointF> out;
  out.reserve(points.size());
  for (const PointF& p : points) out.push_back(NativePointF{p.x, p.y});
  return out;
}

RectF Grown(const RectF& r, float by) { return RectF{r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by}; }

void Frame(NativeRender render, const RectF& r, uint32_t argb, float width) {
  Rendering::PenRecord pen(argb, width);
  if (pen.Valid()) NativeRenderDrawRectangle(render, pen.pen, r.x, r.y, r.width, r.height);
}

void Marker(NativeRender render, LONG id, const PointF& at, float zoom) {
  const SketcheryBitmap* bitmap = GetBitmapResource(id);
  if (!bitmap || !bitmap->image) return;
  const float z = zoom == 0 ? 1 : zoom;
  const float w = bitmap->width / z, h = bitmap->height / z;
  NativeRenderDrawImageRect(render, bitmap->image, at.x - w / 2, at.y - h / 2, w, h);
}

}  // namespace

int32_t PaintOutlineHighlight(PaintContext& context, const Drawing::Diagram& node, const PaintPosition& at) {
  NativeRender render = CurrentRender(context);
  if (!render) return 21;
  const bool canvasQuiet = context.canvas && (context.canvas->modeFlags & 0x02);
  if (!(node.flags & 0x02) || canvasQuiet || !(node.flags & 0x300)) return 0;
  const DeviceMap map = MapOf(context);
  const std::vector<PointF> points = DeviceOutline(node, map, at);
  if (points.size() < 2) return 1;
  const std::vector<NativePointF> native = Native(points);
  int32_t status = 0;
  if (node.flags & 0x200) {  // pick
    Rendering::SolidColorBrush fill(kHighlightPickFill);
    status = fill.Valid() ? NativeRenderFillPolygon(render, fill.Handle(), native.data(), LONG(native.size()), 0) : 3;
    Rendering::PenRecord hairline(kHighlightPickLine, 0);
    if (hairline.Valid()) NativeRenderDrawPolygon(render, hairline.pen, native.data(), LONG(native.size()));
  }
  if (node.flags & 0x100) {  // focus: at least 2 wide, then 2 more
    Rendering::PenRecord pen(kHighlightFocusLine, FocusOutlineWidth(Drawing::VisibleLineWidth(node), map));
    status = pen.Valid() ? NativeRenderDrawPolygon(render, pen.pen, native.data(), LONG(native.size())) : 3;
  }
  return status;
}

float FocusOutlineWidth(float lineWidthEmu, const DeviceMap& map) {
  float w = map.Length(lineWidthEmu);
  if (w < 2) w = 2;
  return w + 2;
}

int32_t PaintSelectingBand(PaintContext& context, const RectF& box) {
  NativeRender render = CurrentRender(context);
  if (!render) return 21;
  const RectF r = MapOf(context).ToDevice(box, PaintPosition{});
  Rendering::SolidColorBrush fill(kSelectingFill);
  if (!fill.Valid() || NativeRenderFillRectangle(render, fill.Handle(), r.x, r.y, r.width, r.height) != 0) return 1;
  const float z = context.zoom == 0 ? 1 : context.zoom;
  Rendering::PenRecord pen(kSelectingLine, 2 / z);
  if (!pen.Valid()) return 1;
  return NativeRenderDrawRectangle(render, pen.pen, r.x, r.y, r.width, r.height) == 0 ? 0 : 1;
}

int32_t PaintFloatingIcon(PaintContext& context, Rendering::Image* icon, const RectF& box) {
  NativeRender render = CurrentRender(context);
  if (!render) return 21;
  if (!icon || !icon->HasArea()) return 25;
  const RectF r = MapOf(context).ToDevice(box, PaintPosition{});
  float s = std::min(float(icon->Height()), 152400.0f / 914400.0f * context.scaleY);
  if (s >= r.height) s = 0.8f * r.height;
  const float d = (r.height - s) * 0.5f;
  return NativeRenderDrawImageRect(render, icon->Handle(), r.x + d, r.y + d, s, s);
}

int32_t PaintMovingFeedback(PaintContext& context, const std::vector<PointF>& branch, int32_t branchSegments,
                            const RectF& movedBounds, const RectF& target, bool flag) {
  NativeRender render = CurrentRender(context);
  if (!render) return 21;
  const DeviceMap map = MapOf(context);
  const uint32_t c = flag ? kMovingFlagged : kMovingPlain;
  Rendering::PenRecord pen(c, 5);
  Rendering::SolidColorBrush brush(c);
  if (!pen.Valid() || !brush.Valid()) return 0;
  NativePenSetJoinType(pen.pen, 0);
  if (branch.size() >= 2) {
    const std::vector<NativePointF> native = Native(branch);
    // A closed branch of at least 3 segments (a tapered one) is filled, any other stroked.
    const bool closed =
        branchSegments >= 3 && branch.front().x == branch.back().x && branch.front().y == branch.back().y;
    if (closed)
      NativeRenderFillPolygon(render, brush.Handle(), native.data(), LONG(native.size()), 0);
    else
      NativeRenderDrawLines(render, pen.pen, native.data(), LONG(native.size()));
  }
  const RectF t = map.ToDevice(target, PaintPosition{});
  NativeRenderFillRectangle(render, brush.Handle(), t.x, t.y, t.width, t.height);
  NativeRenderDrawRectangle(render, pen.pen, t.x, t.y, t.width, t.height);
  const RectF b = Grown(map.ToDevice(movedBounds, PaintPosition{}), 5);
  NativeRenderDrawRectangle(render, pen.pen, b.x, b.y, b.width, b.height);
  return 0;
}

int32_t PaintDroppingFeedback(PaintContext& context, const Drawing::Diagram* dragged, const PointF& offset,
                              const RectF& target, int32_t mode) {
  NativeRender render = CurrentRender(context);
  if (!render) return 21;
  const DeviceMap map = MapOf(context);
  const PointF d = map.ToDevice(offset, PaintPosition{});
  if (dragged) {
    const RectF bounds = Drawing::NodeBounds(*dragged);
    Frame(render,
          Grown(RectF{d.x + map.Length(bounds.x), d.y + bounds.y / 914400.0f * map.scaleY, map.Length(bounds.width),
                      bounds.height / 914400.0f * map.scaleY},
                5),
          kDroppingFrame, 5);
  }
  if (mode == 5) return 0;
  const float x = d.x + map.Length(target.x), y = d.y + target.y / 914400.0f * map.scaleY;
  const float w = map.Length(target.width), h = target.height / 914400.0f * map.scaleY;
  const float k = 0.3f * w, m = 0.5f * h;
  Rendering::SolidColorBrush fill(kDroppingTargetFill);
  if (fill.Valid()) NativeRenderFillRectangle(render, fill.Handle(), x, y, w, h);
  Rendering::PenRecord pen(kDroppingTargetLine, 2);
  if (pen.Valid()) NativeRenderDrawRectangle(render, pen.pen, x, y, w, h);
  RectF zone{};
  bool filled = true;
  switch (mode) {
    case 1:
      zone = RectF{x + k, y, w - 2 * k, m};
      break;
    case 2:
      zone = RectF{x + k, y + m, w - 2 * k, m};
      break;
    case 3:
      zone = RectF{x, y, k, h};
      break;
    case 4:
      zone = RectF{x + w - k, y, k, h};
      break;
    default:
      filled = false;
      break;
  }
  if (filled) {
    Rendering::SolidColorBrush hot(kDroppingZoneFill);
    if (hot.Valid()) NativeRenderFillRectangle(render, hot.Handle(), zone.x, zone.y, zone.width, zone.height);
  }
  if (pen.Valid()) {
    NativeRenderDrawLine(render, pen.pen, x + k, y, x + k, y + h);
    NativeRenderDrawLine(render, pen.pen, x + w - k, y, x + w - k, y + h);
    NativeRenderDrawLine(render, pen.pen, x + k, y + m, x + w - k, y + m);
  }
  return 0;
}

int32_t PaintRelatingFeedback(PaintContext& context, const RectF* source, const RectF* target, const PointF* controls,
                              int32_t count) {
  NativeRender render = CurrentRender(context);
  if (!render) return 21;
  const DeviceMap map = MapOf(context);
  if (source) Frame(render, Grown(map.ToDevice(*source, PaintPosition{}), 5), kRelatingColor, 5);
  if (target) Frame(render, Grown(map.ToDevice(*target, PaintPosition{}), 5), kRelatingColor, 5);
  if (!target && controls && count == 2) {
    Rendering::PenRecord pen(kRelatingColor, 2);
    const PointF a = map.ToDevice(controls[0], PaintPosition{}), b = map.ToDevice(controls[1], PaintPosition{});
    if (pen.Valid()) NativeRenderDrawLine(render, pen.pen, a.x, a.y, b.x, b.y);
  }
  PaintControlMarkers(context, controls, count);
  return 0;
}

void PaintControlMarkers(PaintContext& context, const PointF* controls, int32_t count) {
  NativeRender render = CurrentRender(context);
  if (!render) return;
  const DeviceMap map = MapOf(context);
  for (int32_t i = 0; controls && i < count; ++i)
    Marker(render, 4, map.ToDevice(controls[i], PaintPosition{}), context.zoom);
}

int32_t PaintConnectionSites(PaintContext& context, const Drawing::Diagram& node, const PaintPosition& at) {
  NativeRender render = CurrentRender(context);
  if (!render) return 21;
  if (!node.geometry) return 0;
  const DeviceMap map = MapOf(context);
  for (const Drawing::ConnectSite& site : node.geometry->sites.items)
    Marker(render, 5, map.ToDevice(site.point, at), context.zoom);
  return 0;
}

}  // namespace Present::Painting

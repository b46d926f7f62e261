// The outer shadow: the figure drawn at 96 DPI into a bitmap with alpha, blurred, and drawn
// back displaced by the shadow's distance and angle.
#include <plastrum/present/painting/Painters.h>

#include <cmath>
#include <memory>

#include <kx2/ImageCodec.h>
#include <plastrum/geometry/GeometryMath.h>
#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/present/painting/ImageEffects.h>
#include <plastrum/present/painting/RenderRecords.h>
#include <plastrum/present/painting/RenderingBrushes.h>

namespace Present::Painting {
namespace {

// Zoom factors between 0.99 and 1.01 are exactly 1: the bitmap is then drawn at its size.
float Snap(float zoom) { return zoom > 0.99f && zoom < 1.01f ? 1.0f : zoom; }

}  // namespace

int32_t PaintOuterShadow(NativeRender render, const DeviceMap& map, const Drawing::Diagram& node,
                         const std::vector<PointF>& points, const RectF& rect, const FigurePaint& record) {
  if (!render) return 21;
  const Style::ShadowRecord* shadow = record.style ? record.style->shadow : nullptr;
  if (!shadow || points.size() < 2) return 0;
  const float zoomX = Snap(map.scaleX / 96), zoomY = Snap(map.scaleY / 96);
  if (!(zoomX > 0) || !(zoomY > 0)) return 0;
  const float lw = Drawing::VisibleLineWidth(node) / 914400.0f * 96;
  const float r = std::rint(shadow->blur / 914400.0f * 96 * 0.5f);
  const float s = shadow->size == 0 ? 1 : shadow->size;
  const float w = rect.width / zoomX * s, h = rect.height / zoomY * s;
  const float m = lw / 2 + (r > 0 ? r : 0);
  const double bw = std::ceil(double(w) + 2 * m), bh = std::ceil(double(h) + 2 * m);
  // Beyond the largest bitmap side, or 16 M pixels in all (any figure at any zoom may ask for
  // one, and the blur's work grows with its area), the shadow is skipped as out of memory.
  if (!(bw >= 1 && bh >= 1) || bw > KX2_IMAGE_MAX_SIDE || bh > KX2_IMAGE_MAX_SIDE || bw * bh > 16777216.0) return 3;
  std::unique_ptr<Rendering::Bitmap> bitmap(Rendering::Bitmap::Create(int32_t(bw), int32_t(bh), true));
  if (!bitmap) return 3;
  {
    Rendering::RenderRecord target;
    if (!target.render || !NativeCreateRenderImage(target.render, bitmap->Handle())) return 3;
    NativeRenderSetSmoothingMode(target.render, 1);
    std::vector<NativePointF> mapped;
    mapped.reserve(points.size());
    for (const PointF& p : points)
      mapped.push_back(NativePointF{m + (s / zoomX) * (p.x - rect.x), m + (s / zoomY) * (p.y - rect.y)});
    Rendering::SolidColorBrush fill(record.colors.fillShadowColor);
    if (fill.Valid()) NativeRenderFillPolygon(target.render, fill.Handle(), mapped.data(), LONG(mapped.size()), 0);
    if (lw > 0) {
      Rendering::PenRecord pen(record.colors.lineShadowColor, lw);
      if (pen.Valid()) NativeRenderDrawPolygon(target.render, pen.pen, mapped.data(), LONG(mapped.size()));
    }
    target.Detach();
  }
  if (shadow->blur > 19050.0f) {
    std::unique_ptr<Rendering::Bitmap> blurred(Rendering::BlurImage(bitmap.get(), r));
    if (blurred) bitmap = std::move(blurred);  // a failed blur keeps the sharp bitmap
  }
  PointF growth{0, 0};
  if (s != 1 && shadow->type >= 1 && shadow->type <= 9) {
    static constexpr float kAnchor[3] = {0.0f, -0.5f, -1.0f};
    growth.x = kAnchor[(shadow->type - 1) % 3] * (s - 1) * (w / s);
    growth.y = kAnchor[(shadow->type - 1) / 3] * (s - 1) * (h / s);
  }
  PointF offset{growth.x + shadow->distance / 914400.0f * 96, growth.y};
  float angle = std::fmod(shadow->angle, 360.0f);
  if (angle < 0) angle += 360;
  ::Present::Geometry::RotatePoint(growth, offset, angle);
  const LONG status = NativeRenderDrawImageRect(render, bitmap->Handle(), rect.x + (offset.x - m) * zoomX,
                                                rect.y + (offset.y - m) * zoomY, float(bw) * zoomX, float(bh) * zoomY);
  return status == 0 ? 0 : 3;
}

}  // namespace Present::Painting

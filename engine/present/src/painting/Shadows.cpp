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

// A bitmap with alpha of bw x bh pixels for a shadow; null when it cannot be made. Beyond the
// largest bitmap side, or 16 M pixels in all (any figure at any zoom may ask for one, and the
// blur's work grows with its area), the shadow is skipped as out of memory.
std::unique_ptr<Rendering::Bitmap> NewShadowBitmap(double bw, double bh) {
  if (!(bw >= 1 && bh >= 1) || bw > KX2_IMAGE_MAX_SIDE || bh > KX2_IMAGE_MAX_SIDE || bw * bh > 16777216.0)
    return nullptr;
  return std::unique_ptr<Rendering::Bitmap>(Rendering::Bitmap::Create(int32_t(bw), int32_t(bh), true));
}

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
  std::unique_ptr<Rendering::Bitmap> bitmap = NewShadowBitmap(bw, bh);
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

namespace Present::Painting {

int32_t PaintInnerShadow(NativeRender render, const DeviceMap& map, const std::vector<PointF>& points,
                         const RectF& rect, const FigurePaint& record) {
  if (!render) return 21;
  const Style::ShadowRecord* shadow = record.style ? record.style->shadow : nullptr;
  if (!shadow || points.size() < 3) return 0;
  if (shadow->distance == 0 && !(shadow->blur >= 19050.0f)) return 0;
  const float zoomX = Snap(map.scaleX / 96), zoomY = Snap(map.scaleY / 96);
  if (!(zoomX > 0) || !(zoomY > 0)) return 0;
  const float d = std::fabs(shadow->distance);
  const float m = d / 914400.0f * 96;
  const double bw = std::trunc((double(rect.width) / zoomX + 2 * m)),
               bh = std::trunc(double(rect.height) / zoomY + 2 * m);
  std::unique_ptr<Rendering::Bitmap> bitmap = NewShadowBitmap(bw, bh);
  if (!bitmap) return 3;
  {
    Rendering::RenderRecord target;
    if (!target.render || !NativeCreateRenderImage(target.render, bitmap->Handle())) return 3;
    NativeRenderSetSmoothingMode(target.render, 1);
    std::vector<NativePointF> mapped;
    for (const PointF& p : points)
      mapped.push_back(NativePointF{m + (p.x - rect.x) / zoomX, m + (p.y - rect.y) / zoomY});
    // The bitmap less the figure, in the shadow's colour.
    const NativeRectF whole{0, 0, float(bw), float(bh)};
    NativeRegion region = GetNativeRegion();
    NativePath hole = GetNativePath();
    Rendering::SolidColorBrush fill(record.colors.fillShadowColor);
    if (region && hole && fill.Valid() && NativeCreateRegionRect(region, &whole) &&
        NativeCreatePath(hole, mapped.data(), LONG(mapped.size()), 0) && NativeRegionCombinePath(region, hole, 3) == 0)
      NativeRenderFillRegion(target.render, fill.Handle(), region);
    if (hole) ReleaseNativePath(hole);
    if (region) ReleaseNativeRegion(region);
    target.Detach();
  }
  if (shadow->blur > 19050.0f) {
    std::unique_ptr<Rendering::Bitmap> blurred(
        Rendering::BlurImage(bitmap.get(), std::rint(shadow->blur / 914400.0f * 96 * 0.5f)));
    if (blurred) bitmap = std::move(blurred);
  }
  // The figure's hole lies the distance away against the angle; only what falls inside the
  // figure shows.
  const PointF position{rect.x, rect.y};
  PointF at{position.x - m * zoomX, position.y};
  float angle = std::fmod(shadow->angle, 360.0f);
  if (angle < 0) angle += 360;
  ::Present::Geometry::RotatePoint(position, at, angle);
  at.x -= m * zoomX;
  at.y -= m * zoomY;
  std::vector<NativePointF> clipPoints;
  for (const PointF& p : points) clipPoints.push_back(NativePointF{p.x, p.y});
  NativePath path = GetNativePath();
  NativeRegion clip = GetNativeRegion();
  bool clipped = false;
  if (path && clip && NativeCreatePath(path, clipPoints.data(), LONG(clipPoints.size()), 0) &&
      NativeCreateRegionPath(clip, path))
    clipped = NativeRenderSetRegion(render, clip) == 0;
  const LONG status =
      clipped ? NativeRenderDrawImageRect(render, bitmap->Handle(), at.x, at.y, float(bw) * zoomX, float(bh) * zoomY)
              : 0;
  if (clipped) NativeRenderResetRegion(render);
  if (path) ReleaseNativePath(path);
  if (clip) ReleaseNativeRegion(clip);
  return status == 0 ? 0 : 3;
}

}  // namespace Present::Painting

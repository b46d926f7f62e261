// The stroke and the fills of a figure's outline.
#include <plastrum/present/painting/Painters.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include <plastrum/present/drawing/Canvas.h>
#include <plastrum/present/painting/ImageEffects.h>
#include <plastrum/present/painting/ImageFiles.h>
#include <plastrum/present/painting/RenderingBrushes.h>

namespace Present::Painting {
namespace {

constexpr uint8_t kFillSolid = 1, kFillGradient = 2, kFillTexture = 3, kFillHatch = 4;

std::vector<NativePointF> Native(const std::vector<PointF>& points) {
  std::vector<NativePointF> out;
  out.reserve(points.size());
  for (const PointF& p : points) out.push_back(NativePointF{p.x, p.y});
  return out;
}

bool Closed(const std::vector<PointF>& points) {
  return points.size() >= 2 && points.front().x == points.back().x && points.front().y == points.back().y;
}

// A brush of one colour, or of two for a one-stop list.
NativeBrush SolidBrush(uint32_t argb) {
  NativeBrush brush = GetNativeBrush();
  if (brush && !NativeCreateSolidColorBrush(brush, argb)) {
    ReleaseNativeBrush(brush);
    return nullptr;
  }
  return brush;
}

// Alignment 0-8 as anchor fractions; a value past 8 would read past the table and reads 0.
float AnchorX(uint8_t alignment) {
  static constexpr float kFactor[3] = {0.0f, 0.5f, 1.0f};
  return kFactor[(alignment <= 8 ? alignment : 0) % 3];
}
float AnchorY(uint8_t alignment) {
  static constexpr float kFactor[3] = {0.0f, 0.5f, 1.0f};
  return kFactor[(alignment <= 8 ? alignment : 0) / 3];
}

int32_t FillTexture(PaintContext& context, NativeRender render, const std::vector<NativePointF>& native,
                    const RectF& bounds, const FigurePaint& record) {
  const Style::TextureRecord* texture = record.style->fill->texture;
  if (!texture || !texture->picture || texture->picture->binDataId == 0) return 0;
  IPresentCanvasOwner* owner = context.canvas ? context.canvas->owner : nullptr;
  std::unique_ptr<Rendering::Image> image(Rendering::PictureImage(texture->picture, owner, context.palette));
  // A picture with a side of 0 counts as missing: its scale divides by its size.
  if (!image || !image->HasArea()) return 25;
  float resX = NativeImageGetHorizontalResolution(image->Handle());
  float resY = NativeImageGetVerticalResolution(image->Handle());
  if (!(resX > 0)) resX = 96;
  if (!(resY > 0)) resY = 96;
  float fx = context.scaleX / resX * (texture->scaleX == 0 ? 1 : texture->scaleX);
  float fy = context.scaleY / resY * (texture->scaleY == 0 ? 1 : texture->scaleY);
  if (fx < 0.01f || fy < 0.01f) fx = fy = 1;
  if (fx < 0.99f || fx > 1.01f || fy < 0.99f || fy > 1.01f) {
    const int32_t w = static_cast<int32_t>(image->Width() * fx), h = static_cast<int32_t>(image->Height() * fy);
    std::unique_ptr<Rendering::Bitmap> scaled(
        Rendering::DrawOnto(image.get(), w, h, true, 0, NativeRectF{0, 0, float(w), float(h)}));
    if (!scaled) return 25;
    image = std::move(scaled);
  }
  const float iw = float(image->Width()), ih = float(image->Height());
  const float bw = bounds.width, bh = bounds.height;
  LONG status = 0;
  if (texture->mode == 1) {  // Tile
    Rendering::ImageBrush brush(image->Handle(), texture->mirrorType <= 3 ? texture->mirrorType : 0);
    if (!brush.Valid()) return 3;
    brush.Translate(bounds.x + (bw - iw) * AnchorX(texture->alignment) + texture->offsetX / 914400.0f * context.scaleX,
                    bounds.y + (bh - ih) * AnchorY(texture->alignment) + texture->offsetY / 914400.0f * context.scaleY);
    status = NativeRenderFillPolygon(render, brush.Handle(), native.data(), LONG(native.size()), 0);
  } else if (texture->mode == 0) {  // Stretch
    Rendering::ImageBrush brush(image->Handle(), 4);
    if (!brush.Valid()) return 3;
    const float l = texture->offsetLeft * bw, t = texture->offsetTop * bh;
    const float r = texture->offsetRight * bw, b = texture->offsetBottom * bh;
    brush.Translate(bounds.x + l, bounds.y + t);
    brush.Scale((bw - l - r) / iw, (bh - t - b) / ih);
    status = NativeRenderFillPolygon(render, brush.Handle(), native.data(), LONG(native.size()), 0);
  } else {  // Center, Fit, Fill
    float s = 1;
    if (texture->mode == 3) s = std::min(bw / iw, bh / ih);
    if (texture->mode == 4) s = std::max(bw / iw, bh / ih);
    const float w = iw * s, h = ih * s;
    NativeRegion clip = GetNativeRegion();
    const NativeRectF box{bounds.x, bounds.y, bw, bh};
    if (clip && NativeCreateRegionRect(clip, &box)) NativeRenderSetRegion(render, clip);
    status = NativeRenderDrawImageRect(render, image->Handle(), bounds.x + (bw - w) / 2, bounds.y + (bh - h) / 2, w, h);
    NativeRenderResetRegion(render);
    if (clip) ReleaseNativeRegion(clip);
  }
  return status == 0 ? 0 : 3;
}

}  // namespace

int32_t StrokeOutline(NativeRender render, const DeviceMap& map, const std::vector<PointF>& points, const RectF& rect,
                      const FigurePaint& record) {
  if (!render) return 21;
  if (points.size() < 2 || !record.style || !record.style->line) return 0;
  const Style::LineRecord& line = *record.style->line;
  const float width = map.Length(line.width);
  const Painting::PaintRecord& c = record.colors;
  const uint32_t color = c.lineColorCount > 0 ? c.lineColors[0] : 0xFF000000u;
  NativeBrush brush = nullptr;
  const uint8_t type = line.fill ? line.fill->type : 0;
  const bool plain = record.plainMode != 0;
  if (plain || type == kFillSolid) {
    brush = SolidBrush(color);
  } else if (type == kFillGradient && line.fill->gradient) {
    int32_t code = 0;
    const RectF grown{rect.x - width / 2, rect.y - width / 2, rect.width + width, rect.height + width};
    brush = MakeGradientBrush(*line.fill->gradient, grown, points, c.lineColors, c.linePositions,
                              std::max(c.lineColorCount, 1), &code);
    if (!brush) return code;
  } else {
    return 2;
  }
  if (!brush) return 3;
  Rendering::PenRecord pen(color, width, brush);  // takes the brush
  if (!pen.Valid()) return 3;
  if (!plain) {
    NativePenSetDashType(pen.pen, line.dashType);
    NativePenSetCapType(pen.pen, line.capType);
    NativePenSetCompoundType(pen.pen, line.compoundType);
    NativePenSetJoinType(pen.pen, line.joinType);
    if (line.beginArrowType) NativePenSetBeginArrow(pen.pen, line.beginArrowType, line.beginArrowSize, width);
    if (line.endArrowType) NativePenSetEndArrow(pen.pen, line.endArrowType, line.endArrowSize, width);
  }
  const std::vector<NativePointF> native = Native(points);
  const LONG status = Closed(points) ? NativeRenderDrawPolygon(render, pen.pen, native.data(), LONG(native.size()))
                                     : NativeRenderDrawLines(render, pen.pen, native.data(), LONG(native.size()));
  return status == 0 ? 0 : (status == kNativeNoTarget ? 21 : 3);
}

int32_t FillOutline(PaintContext& context, NativeRender render, const std::vector<PointF>& points, const RectF& rect,
                    const FigurePaint& record) {
  if (!render) return 21;
  if (points.size() < 2 || !record.style || !record.style->fill) return 0;
  const Style::FillRecord& fill = *record.style->fill;
  const RectF bounds{rect.x - 0.5f, rect.y - 0.5f, rect.width + 1, rect.height + 1};
  const Painting::PaintRecord& c = record.colors;
  const std::vector<NativePointF> native = Native(points);
  NativeBrush brush = nullptr;
  if (record.plainMode || fill.type == kFillSolid) {
    brush = SolidBrush(c.fillColorCount > 0 ? c.fillColors[0] : 0xFF000000u);
  } else if (fill.type == kFillHatch) {
    brush = GetNativeBrush();
    if (brush && !NativeCreateHatchBrush(brush, fill.hatch ? fill.hatch->style : 0, c.fillColors[0], c.fillColors[1])) {
      ReleaseNativeBrush(brush);
      brush = nullptr;
    }
  } else if (fill.type == kFillGradient && fill.gradient) {
    int32_t code = 0;
    brush = MakeGradientBrush(*fill.gradient, bounds, points, c.fillColors, c.fillPositions,
                              std::max(c.fillColorCount, 1), &code);
    if (!brush) return code;
  } else if (fill.type == kFillTexture) {
    return FillTexture(context, render, native, bounds, record);
  } else {
    return 2;
  }
  if (!brush) return 3;
  const LONG status = NativeRenderFillPolygon(render, brush, native.data(), LONG(native.size()), 0);
  ReleaseNativeBrush(brush);
  return status == 0 ? 0 : 3;
}

}  // namespace Present::Painting

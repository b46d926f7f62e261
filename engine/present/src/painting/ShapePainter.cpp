// The shape painter and the picture step.
#include <plastrum/present/painting/Painters.h>

#include <memory>

#include <plastrum/geometry/GeometryMath.h>
#include <plastrum/present/drawing/Canvas.h>
#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/present/painting/ImageEffects.h>
#include <plastrum/present/painting/RenderRecords.h>

namespace Present::Painting {
namespace {

constexpr uint32_t kPlaceholderFrame = 0x40000000u;

// The outline moved outward by a distance: of the two offsets, the one whose box is larger.
std::vector<PointF> Outward(const std::vector<PointF>& points, float distance) {
  const int n = static_cast<int>(points.size());
  if (n < 3 || !(distance > 0)) return points;
  std::vector<PointF> a(points.size()), b(points.size());
  if (!::Present::Geometry::OffsetPolyline(points.data(), n, distance, 0, a.data()) ||
      !::Present::Geometry::OffsetPolyline(points.data(), n, distance, 1, b.data()))
    return points;
  auto area = [](const std::vector<PointF>& p) {
    float minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
    for (const PointF& q : p) {
      minX = std::min(minX, q.x), maxX = std::max(maxX, q.x);
      minY = std::min(minY, q.y), maxY = std::max(maxY, q.y);
    }
    return (maxX - minX) * (maxY - minY);
  };
  return area(a) >= area(b) ? a : b;
}

// The placeholder's frame: a dashed rectangle and its two diagonals.
void PaintPlaceholderFrame(NativeRender render, const RectF& r) {
  Rendering::PenRecord pen(kPlaceholderFrame, 1);
  if (!pen.Valid()) return;
  NativePenSetDashType(pen.pen, 3);  // "Dash"
  NativeRenderDrawRectangle(render, pen.pen, r.x, r.y, r.width, r.height);
  NativeRenderDrawLine(render, pen.pen, r.x, r.y, r.x + r.width, r.y + r.height);
  NativeRenderDrawLine(render, pen.pen, r.x + r.width, r.y, r.x, r.y + r.height);
}

}  // namespace

int32_t PaintPicture(PaintContext& context, NativeRender render, const std::vector<PointF>& points, const RectF& rect,
                     const FigurePaint& record) {
  if (!render) return 21;
  const Style::PictureRecord* picture = record.style ? record.style->picture : nullptr;
  if (!picture || picture->binDataId == 0) return 0;
  IPresentCanvasOwner* owner = context.canvas ? context.canvas->owner : nullptr;
  bool placeholder = false;
  std::unique_ptr<Rendering::Image> image(Rendering::PictureImage(picture, owner, context.palette, &placeholder));
  if (!image || !image->HasArea()) return 25;
  // Clipped to the outline grown by one pixel.
  const std::vector<PointF> grown = Outward(points, 1.0f);
  std::vector<NativePointF> native;
  for (const PointF& p : grown) native.push_back(NativePointF{p.x, p.y});
  NativePath path = GetNativePath();
  NativeRegion region = GetNativeRegion();
  bool clipped = false;
  if (path && region && native.size() >= 2 && NativeCreatePath(path, native.data(), LONG(native.size()), 0) &&
      NativeCreateRegionPath(region, path))
    clipped = NativeRenderSetRegion(render, region) == 0;
  LONG status = 0;
  const float iw = float(image->Width()), ih = float(image->Height());
  if (placeholder && (rect.width > iw || rect.height > ih)) {
    // The placeholder keeps its size, centred in a dashed frame with its diagonals, so that
    // a missing picture reads as missing rather than as a stretched stand-in.
    PaintPlaceholderFrame(render, rect);
    status = NativeRenderDrawImageRect(render, image->Handle(), rect.x + (rect.width - iw) / 2,
                                       rect.y + (rect.height - ih) / 2, iw, ih);
  } else {
    status = NativeRenderDrawImageRect(render, image->Handle(), rect.x, rect.y, rect.width, rect.height);
  }
  if (clipped) NativeRenderResetRegion(render);
  if (path) ReleaseNativePath(path);
  if (region) ReleaseNativeRegion(region);
  return status == 0 ? 0 : 3;
}

int32_t PaintShape(PaintContext& context, const Drawing::Diagram& node, const PaintPosition& at, FigurePaint& record) {
  NativeRender render = CurrentRender(context);
  if (!render) return 21;
  const DeviceMap map = MapOf(context);
  const std::vector<PointF> points = DeviceOutline(node, map, at);
  if (points.size() < 2) return 0;
  const RectF rect = map.ToDevice(record.box, at);
  if (record.flags & FigurePaint::kBare) {
    int32_t code = 0;
    if (record.flags & FigurePaint::kFill) code = FillOutline(context, render, points, rect, record);
    if (record.flags & FigurePaint::kStroke) code = StrokeOutline(render, map, points, rect, record);
    return code;
  }
  // The stroke runs outside a picture instead of covering it.
  const bool offset = (record.flags & FigurePaint::kPicture) && (record.flags & FigurePaint::kStroke) &&
                      Drawing::LineVisible(record.style);
  const float half = offset ? map.Length(record.style->line->width) / 2 : 0;
  const std::vector<PointF> stroked = offset ? Outward(points, half) : points;
  const RectF strokeRect =
      offset ? RectF{rect.x - half, rect.y - half, rect.width + 2 * half, rect.height + 2 * half} : rect;
  int32_t code = 0;
  if ((record.flags & FigurePaint::kShadow) && !record.innerShadow)
    code = PaintOuterShadow(render, map, node, points, rect, record);
  if (record.flags & FigurePaint::kFill) code = FillOutline(context, render, points, rect, record);
  if (record.flags & FigurePaint::kPicture) code = PaintPicture(context, render, points, rect, record);
  if ((record.flags & FigurePaint::kShadow) && record.innerShadow)
    code = PaintInnerShadow(render, map, points, rect, record);
  if (record.flags & FigurePaint::kStroke) code = StrokeOutline(render, map, stroked, strokeRect, record);
  return code;
}

}  // namespace Present::Painting

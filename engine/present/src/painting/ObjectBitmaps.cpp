#include <plastrum/present/painting/ObjectBitmaps.h>

#include <memory>

#include <kx2/ImageCodec.h>
#include <vantorel/present_host.h>

#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/present/drawing/NodePainter.h>
#include <plastrum/present/painting/ImageEffects.h>
#include <plastrum/present/painting/PaintColors.h>
#include <plastrum/present/painting/RadialLayout.h>
#include <plastrum/present/painting/RenderRecords.h>
#include <plastrum/present/painting/RenderingBrushes.h>
#include <plastrum/present/painting/RenderingImages.h>

namespace Present::Painting {
namespace {

using Drawing::PointF;

// The shared frame: an image of the row's size with a render on it, filled with the
// background; the handle is made from it at the end.
class Row {
 public:
  Row(int64_t width, int64_t height, uint32_t background) : background_(background) {
    if (width <= 0 || height <= 0 || width > KX2_IMAGE_MAX_SIDE || height > KX2_IMAGE_MAX_SIDE) return;
    image_.reset(Rendering::Bitmap::Create(int32_t(width), int32_t(height), true));
    if (!image_ || !block_.device.render || !NativeCreateRenderImage(block_.device.render, image_->Handle())) {
      image_.reset();
      return;
    }
    block_.device.kind = Rendering::RenderRecord::kImage;
    block_.device.dpiX = NativeRenderGetDpiX(block_.device.render);
    block_.device.dpiY = NativeRenderGetDpiY(block_.device.render);
    Rendering::SolidColorBrush fill(background);
    if (!fill.Valid() ||
        NativeRenderFillRectangle(block_.device.render, fill.Handle(), 0, 0, float(width), float(height)) != 0) {
      image_.reset();
      return;
    }
    NativeRenderSetSmoothingMode(block_.device.render, 1);
  }
  bool Valid() const { return image_ != nullptr; }
  NativeRender Render() const { return block_.device.render; }
  Rendering::PaintRenderBlock& Block() { return block_; }
  float DpiX() const { return block_.device.dpiX > 0 ? block_.device.dpiX : 96; }
  float DpiY() const { return block_.device.dpiY > 0 ? block_.device.dpiY : 96; }
  HBITMAP Finish() {
    block_.device.Detach();
    return image_ ? NativeBitmapGetHPBITMAP(image_->Handle(), background_) : nullptr;
  }

 private:
  uint32_t background_;
  Rendering::PaintRenderBlock block_;
  std::unique_ptr<Rendering::Bitmap> image_;
};

bool SetFrame(Drawing::Diagram& node, float mx, float my, float w, float h) {
  const uint32_t k = node.kind;
  Drawing::ShapeFrame frame;
  if (k >= 400 && k <= 411) {
    frame.width = w;
    frame.height = h;
  } else if (k >= 100 && k <= 107) {
    const PointF p[4] = {{mx, my + h}, {mx + w / 2, my + h}, {mx + w / 2, my}, {mx + w, my}};
    if (!frame.SetPoints(p, 4)) return false;
  } else if (k >= 200 && k <= 203) {
    const PointF p[4] = {{mx, my + h}, {mx + 0.1f * w, my + 0.5f * h}, {mx + 0.5f * w, my + 0.1f * h}, {mx + w, my}};
    if (!frame.SetPoints(p, 4)) return false;
  } else if (k >= 300 && k <= 304) {
    const PointF p[7] = {{mx, my + 0.3f * h},     {mx + 0.6f * w, my}, {mx + w, my},       {mx + w, my + h},
                         {mx + 0.6f * w, my + h}, {mx, my + 0.7f * h}, {mx, my + 0.3f * h}};
    if (!frame.SetPoints(p, 7)) return false;
  } else {
    return false;
  }
  node.frame = std::move(frame);
  return Drawing::RebuildGeometry(node);
}

}  // namespace

int32_t StripCells(uint8_t type) {
  static constexpr int32_t kCells[5] = {8, 5, 5, 14, 27};
  return type <= 4 ? kCells[type] : 0;
}

bool RenderObjectBitmap(PresentObjectBitmapInfo* info, StyleCache* cache, IPresentCanvasOwner* owner,
                        ColorPalette12 palette) {
  if (!info) return false;
  info->bitmap = nullptr;
  if (info->count <= 0 || !info->shapeIds || info->cellWidth == 0 || info->cellHeight == 0) return false;
  std::unique_ptr<Drawing::Diagram> node(Drawing::MakeNode(static_cast<uint32_t>(info->kind)));
  if (!node) return false;
  Row row(int64_t{info->cellWidth} * info->count, info->cellHeight, info->background);
  if (!row.Valid()) return false;
  const float dx = row.DpiX(), dy = row.DpiY();
  const float mx = info->marginX / dx * 914400, my = info->marginY / dy * 914400;
  const float cw = info->cellWidth / dx * 914400;
  const float w = cw - 2 * mx, h = info->cellHeight / dy * 914400 - 2 * my;
  if (!SetFrame(*node, mx, my, w, h)) {
    row.Finish();
    return false;
  }
  Drawing::PaintContext context;
  context.render = &row.Block();
  context.scaleX = dx;
  context.scaleY = dy;
  context.palette = palette;
  context.effector = &Drawing::PaintDefaultEffector::Instance();
  const bool topic = Drawing::FamilyOf(node->category) == 1;
  Drawing::PaintPosition at{topic ? mx : 0, topic ? my : 0, 0};
  for (LONG i = 0; i < info->count; ++i) {
    if (info->picFrameKinds && node->category == Drawing::kCategoryPicFrame) {
      auto* frame = static_cast<Drawing::PicFrame*>(node.get());
      const uint32_t kind = static_cast<uint32_t>(info->picFrameKinds[i]);
      if (kind >= 400 && kind <= 411 && kind != frame->picFrameKind) {
        frame->picFrameKind = kind;
        Drawing::RebuildGeometry(*frame);
      }
    }
    node->BindStyle(cache, static_cast<uint32_t>(info->shapeIds[i]));
    node->PaintFirst(context, at);
    at.x += cw;
  }
  if (node->category == Drawing::kCategoryTwig) {
    Rendering::SolidColorBrush mark(kMarkColor);
    Rendering::PenRecord outline(kMarkOutlineColor, 1);
    for (LONG i = 0; i < info->count && mark.Valid() && outline.Valid(); ++i) {
      const float x0 = float(i) * info->cellWidth;
      const PointF ends[2] = {{x0 + info->marginX - 3.0f, float(info->cellHeight) - info->marginY - 3.0f},
                              {x0 + info->cellWidth - info->marginX - 3.0f, info->marginY - 3.0f}};
      for (const PointF& e : ends) {
        NativeRenderFillEllipse(row.Render(), mark.Handle(), e.x, e.y, 6, 6);
        NativeRenderDrawEllipse(row.Render(), outline.pen, e.x, e.y, 6, 6);
      }
    }
  }
  info->bitmap = row.Finish();
  return info->bitmap != nullptr;
}

bool RenderImageBitmap(PresentImageBitmapInfo* info, StyleCache* cache, IPresentCanvasOwner* owner,
                       ColorPalette12 palette) {
  if (!info) return false;
  info->bitmap = nullptr;
  if (!owner || info->count <= 0 || !info->values || info->cellWidth == 0 || info->cellHeight == 0) return false;
  Row row(int64_t{info->cellWidth} * info->count, info->cellHeight, kMarkColor);
  if (!row.Valid()) return false;
  for (LONG i = 0; i < info->count; ++i) {
    const LONG value = info->values[i];
    if (value == 0 || !cache) continue;
    const Style::ShapeRecord* shape = cache->BuildShape(static_cast<uint32_t>(value));
    if (!shape || !shape->picture || shape->picture->binDataId == 0) continue;
    std::unique_ptr<Rendering::Image> image(Rendering::PictureFileImage(shape->picture, owner, nullptr));
    if (!image) continue;
    // The picture's adjustments at the cell's size.
    if (PictureAdjusted(*shape->picture)) {
      const NativeRecolorRecord record =
          Rendering::RecolorRecordOf(*shape->picture, LONG(info->cellWidth), LONG(info->cellHeight), palette);
      image.reset(Rendering::RecolorImage(record, image.release()));
    }
    if (image && image->HasArea())
      NativeRenderDrawImageRect(row.Render(), image->Handle(), float(i) * info->cellWidth, 0, float(info->cellWidth),
                                float(info->cellHeight));
  }
  info->bitmap = row.Finish();
  return info->bitmap != nullptr;
}

namespace {

// The cell painter: the cell's square inset by a tenth of its side, filled with the brush.
bool FillCell(NativeRender render, NativeBrush brush, int32_t cell, float side) {
  const float inset = side * 0.1f;
  return NativeRenderFillRectangle(render, brush, cell * side + inset, inset, side - 2 * inset, side - 2 * inset) == 0;
}

bool LinearSample(NativeRender render, const PresentStripInfo& info, int set, int angle, int32_t cell, float side) {
  static constexpr float kAngles[8] = {45, 90, 135, 0, 180, 315, 270, 225};
  const NativeRectF r{cell * side, 0, side, side};
  Rendering::LinearGradientBrush brush(r, 0xFF0000FFu, 0xFFFF0000u, kAngles[angle]);
  if (!brush.Valid()) return false;
  const LONG n = info.stopCount > 10 ? 10 : info.stopCount;
  if (n >= 2) brush.SetPresetBlend(info.stopColors[set], info.stopPositions[set], n);
  return FillCell(render, brush.Handle(), cell, side);
}

bool RadialSample(NativeRender render, const PresentStripInfo& info, int set, int k, bool ellipse, int32_t cell,
                  float side) {
  const NativeRectF r{cell * side, 0, side, side};
  Rendering::RadialGradientBrush brush(r, ellipse, static_cast<uint8_t>(k));
  if (!brush.Valid()) return false;
  const LONG n = info.stopCount > 10 ? 10 : info.stopCount;
  if (n >= 2) brush.SetPresetBlend(info.stopColors[set], info.stopPositions[set], n);
  return FillCell(render, brush.Handle(), cell, side);
}

}  // namespace

bool RenderStripImage(PresentStripInfo* info) {
  if (!info) return false;
  info->bitmap = nullptr;
  info->drawn = 0;
  const int32_t cells = StripCells(info->type);
  if (info->stopCount < 1 || info->cellSize <= 2 || cells == 0) return false;
  const float side = float(info->cellSize);
  Row row(int64_t{info->cellSize} * cells, info->cellSize, info->background);
  if (!row.Valid()) return false;
  NativeRender render = row.Render();
  int32_t drawn = 0;
  auto count = [&](bool ok) { drawn += ok ? 1 : 0; };
  const uint8_t t = info->type;
  if (t == 0) {
    for (int i = 0; i < 8; ++i) count(LinearSample(render, *info, 0, i, i, side));
  } else if (t == 1 || t == 2) {
    for (int k = 0; k < 5; ++k) count(RadialSample(render, *info, 0, k, t == 1, k, side));
  } else {
    static constexpr int32_t kLinearCells[8] = {1, 2, 3, 6, 8, 11, 12, 13};
    static constexpr int32_t kRadialCells[5] = {4, 5, 7, 9, 10};
    Rendering::SolidColorBrush solid(info->solidColor);
    count(solid.Valid() && FillCell(render, solid.Handle(), 0, side));
    for (int set = 0; set < (t == 4 ? 2 : 1); ++set) {
      const int32_t shift = set * 13;
      for (int i = 0; i < 8; ++i) count(LinearSample(render, *info, set, i, kLinearCells[i] + shift, side));
      for (int k = 0; k < 5; ++k) count(RadialSample(render, *info, set, k, true, kRadialCells[k] + shift, side));
    }
  }
  info->drawn = drawn;
  info->bitmap = row.Finish();
  return info->bitmap != nullptr && drawn == cells;
}

}  // namespace Present::Painting

// Byte-coded style records (every type and enumeration byte, stop counts, transparencies,
// texture modes and alignments, shadow kinds, sizes and blurs) with node kinds and frames,
// painted into a 128 x 128 image through the shape painter and the engine's painters.
// Any picture will do; nothing may crash, leak a handle or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include <luminar/LuminarTesting.h>

#include "fuzz_input.h"
#include "plastrum/present/drawing/Diagram.h"
#include "plastrum/present/painting/ObjectBitmaps.h"
#include "plastrum/present/painting/PaintColors.h"
#include "plastrum/present/painting/Painters.h"
#include "plastrum/present/painting/RenderingImages.h"

using namespace Present;
using namespace Present::Drawing;

namespace {

struct Input : PresentFuzz::FuzzInput {
  using FuzzInput::FuzzInput;
  // Mostly sensible EMU lengths, sometimes any float.
  float Length() {
    const uint8_t b = Take<uint8_t>();
    return b == 255 ? Take<float>() : (float(b) - 16) * 9525.0f;
  }
  Style::ColorPtr Color() {
    auto c = std::make_unique<Type::Color>();
    const uint32_t v = Take<uint32_t>();
    c->A = uint8_t(v >> 24), c->R = uint8_t(v >> 16), c->G = uint8_t(v >> 8), c->B = uint8_t(v);
    return c;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  Style::GradientRecord gradient;
  gradient.type = in.Take<uint8_t>() % 6;
  gradient.direction = in.Take<uint8_t>();
  gradient.angle = in.Take<float>();
  gradient.stopCount = in.Take<uint8_t>() % 12;
  for (int i = 0; i < Style::GradientRecord::kMaxStops; ++i) {
    gradient.position[i] = in.Take<uint8_t>() / 255.0f;
    gradient.color[i] = in.Color();
    gradient.transparency[i] = in.Take<uint8_t>() / 200.0f;
  }
  Style::HatchRecord hatch;
  hatch.style = in.Take<uint8_t>();
  hatch.foreColor = in.Color();
  hatch.backColor = in.Color();
  Style::PictureRecord picture;
  picture.binDataId = in.Take<uint8_t>() & 1;
  Style::TextureRecord texture;
  texture.picture = &picture;
  texture.mode = in.Take<uint8_t>() % 7;
  texture.alignment = in.Take<uint8_t>();
  texture.mirrorType = in.Take<uint8_t>();
  texture.scaleX = in.Take<float>();
  Style::FillRecord fill, lineFill;
  for (Style::FillRecord* f : {&fill, &lineFill}) {
    f->type = in.Take<uint8_t>() % 7;
    f->solidColor = in.Color();
    f->transparency = in.Take<uint8_t>() / 200.0f;
    f->gradient = &gradient;
    f->hatch = &hatch;
    f->texture = &texture;
  }
  Style::LineRecord line;
  line.fill = &lineFill;
  line.width = in.Length();
  line.compoundType = in.Take<uint8_t>(), line.dashType = in.Take<uint8_t>();
  line.capType = in.Take<uint8_t>(), line.joinType = in.Take<uint8_t>();
  line.beginArrowType = in.Take<uint8_t>(), line.beginArrowSize = in.Take<uint8_t>();
  line.endArrowType = in.Take<uint8_t>(), line.endArrowSize = in.Take<uint8_t>();
  Style::ShadowRecord shadow;
  shadow.type = in.Take<uint8_t>() % 25;
  shadow.color = in.Color();
  shadow.size = in.Take<uint8_t>() / 128.0f;
  shadow.blur = in.Length() / 4;
  shadow.angle = in.Take<float>();
  shadow.distance = in.Length();
  Style::ShapeRecord style;
  style.line = &line;
  style.fill = &fill;
  style.shadow = &shadow;
  style.picture = &picture;

  static constexpr uint32_t kKinds[] = {100, 107, 201, 300, 305, 400, 401, 402, 403,
                                        404, 405, 406, 407, 408, 409, 410, 411};
  std::unique_ptr<Diagram> node(MakeNode(kKinds[in.Take<uint8_t>() % std::size(kKinds)]));
  node->frame.width = in.Length();
  node->frame.height = in.Length();
  PointF points[4];
  for (PointF& p : points) p = PointF{in.Length(), in.Length()};
  node->frame.SetPoints(points, 4);
  RebuildGeometry(*node);
  node->first.id = in.Take<uint8_t>() % 4;
  node->first.x = in.Length();
  node->first.y = in.Length();

  const LONG live[2] = {LuminarLiveHandles(kLuminarBrush), LuminarLiveHandles(kLuminarImage)};
  {
    std::unique_ptr<Rendering::Bitmap> image(Rendering::Bitmap::Create(128, 128, true));
    Rendering::PaintRenderBlock block;
    if (!image || !NativeCreateRenderImage(block.device.render, image->Handle())) return 0;
    block.device.kind = Rendering::RenderRecord::kImage;
    PaintContext context;
    context.render = &block;
    const float zoom = (in.Take<uint8_t>() + 1) / 100.0f;
    context.scaleX = context.scaleY = 96 * zoom;
    context.zoom = zoom;
    context.originX = in.Length();
    context.originY = in.Length();

    FigurePaint record;
    record.category = node->category;
    record.style = &style;
    Painting::ResolvePaintColors(record.colors, &style, node->category, node->kind, nullptr);
    record.flags = in.Take<uint8_t>() & 0x1F;
    record.innerShadow = in.Take<uint8_t>() & 1;
    record.plainMode = in.Take<uint8_t>() & 1;
    if (node->geometry) {
      record.box = node->geometry->segments.Box();
      const PaintPosition at{in.Length(), in.Length(), in.Take<uint8_t>()};
      Painting::EnginePainters().PaintBody(context, *node, at, record);
      Painting::EnginePainters().PaintDecorations(context, *node, at);
      Painting::EnginePainters().PaintSelectionFrame(context, *node, at, at.state > 15);
      Painting::EnginePainters().PaintHighlight(context, *node, at);
      Painting::EnginePainters().PaintFrameAndKnobs(context, *node, at);
    }
    block.device.Detach();
  }
  // Strip and object rows from the same bytes.
  PresentStripInfo strip{};
  strip.solidColor = in.Take<uint32_t>();
  for (int set = 0; set < 2; ++set)
    for (int i = 0; i < 10; ++i) {
      strip.stopColors[set][i] = in.Take<uint32_t>();
      strip.stopPositions[set][i] = in.Take<uint8_t>() / 255.0f;
    }
  strip.stopCount = in.Take<int8_t>();
  strip.cellSize = in.Take<uint8_t>() % 40;
  strip.type = in.Take<uint8_t>() % 7;
  if (Painting::RenderStripImage(&strip)) DeleteObject(strip.bitmap);
  const LONG ids[3] = {0, 1, 2};
  const LONG frames[3] = {in.Take<uint8_t>() + 300, 405, 412};
  PresentObjectBitmapInfo row{LONG(kKinds[in.Take<uint8_t>() % std::size(kKinds)]),
                              in.Take<uint8_t>() % 4,
                              ids,
                              in.Take<uint8_t>() & 1 ? frames : nullptr,
                              in.Take<uint8_t>() % 64u,
                              in.Take<uint8_t>() % 64u,
                              in.Take<uint8_t>() % 40u,
                              in.Take<uint8_t>() % 40u,
                              in.Take<uint32_t>(),
                              nullptr};
  if (Painting::RenderObjectBitmap(&row, nullptr, nullptr, nullptr)) DeleteObject(row.bitmap);
  if (LuminarLiveHandles(kLuminarBrush) != live[0] || LuminarLiveHandles(kLuminarImage) != live[1]) __builtin_trap();
  return 0;
}

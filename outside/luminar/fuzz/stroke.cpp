// Pen, brush and point-list parameters stroked and filled on a 64x64 target.
#include <cstdint>
#include <cstring>
#include <vector>

#include "luminar/Luminar.h"

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  template <class T>
  T Take() {
    T v{};
    const size_t n = std::min(sizeof v, size);
    memcpy(&v, data, n);
    data += n, size -= n;
    return v;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  NativeImage canvas = GetNativeImage();
  NativeBitmapCreateFromScan0(canvas, 64, 64, 0, 1, nullptr);
  NativeRender render = GetNativeRender();
  NativeCreateRenderImage(render, canvas);
  NativeRenderSetSmoothingMode(render, in.Take<uint8_t>() & 1);
  const float zoom = in.Take<float>();
  NativeRenderSetZoom(render, zoom, zoom);
  NativeBrush brush = GetNativeBrush();
  const uint8_t kind = in.Take<uint8_t>() % 5;
  const NativeRectF rect{in.Take<float>(), in.Take<float>(), in.Take<float>(), in.Take<float>()};
  const uint8_t count = in.Take<uint8_t>() % 64;
  std::vector<NativePointF> pts(count);
  for (NativePointF& p : pts) p = {float(in.Take<int8_t>()), float(in.Take<int8_t>())};
  NativeImage texture = GetNativeImage();
  uint32_t tile[4] = {in.Take<uint32_t>(), in.Take<uint32_t>(), in.Take<uint32_t>(), in.Take<uint32_t>()};
  NativeBitmapCreateFromScan0(texture, 2, 2, 8, 1, tile);
  switch (kind) {
    case 0:
      NativeCreateSolidColorBrush(brush, in.Take<uint32_t>());
      break;
    case 1:
      NativeCreateHatchBrush(brush, in.Take<int32_t>(), in.Take<uint32_t>(), in.Take<uint32_t>());
      break;
    case 2:
      NativeCreateLinearGradientBrushWithAngle(brush, &rect, in.Take<uint32_t>(), in.Take<uint32_t>(), in.Take<float>(),
                                               0);
      NativeLineBrushRotate(brush, in.Take<float>());
      break;
    case 3:
      NativeCreatePathGradientBrush(brush, pts.data(), LONG(pts.size()));
      NativePathBrushScale(brush, in.Take<float>(), in.Take<float>());
      break;
    default:
      NativeCreateTextureBrush(brush, texture, in.Take<int32_t>());
      NativeTextureBrushTranslate(brush, in.Take<float>(), in.Take<float>());
      break;
  }
  {
    const DWORD colours[3] = {in.Take<uint32_t>(), in.Take<uint32_t>(), in.Take<uint32_t>()};
    const float positions[3] = {in.Take<float>(), in.Take<float>(), in.Take<float>()};
    NativeLineBrushSetPresetBlend(brush, colours, positions, 3);
    NativePathBrushSetPresetBlend(brush, colours, positions, 3);
  }
  NativePen pen = GetNativePen();
  if (in.Take<uint8_t>() & 1)
    NativeCreatePen(pen, brush, float(in.Take<uint8_t>()) / 8);
  else
    NativeCreatePenWithColor(pen, in.Take<uint32_t>(), float(in.Take<uint8_t>()) / 8);
  NativePenSetDashType(pen, in.Take<int8_t>());
  NativePenSetCapType(pen, in.Take<int8_t>());
  NativePenSetJoinType(pen, in.Take<int8_t>());
  NativePenSetCompoundType(pen, in.Take<int8_t>());
  NativePenSetBeginArrow(pen, in.Take<int8_t>(), in.Take<int8_t>(), float(in.Take<uint8_t>()) / 4);
  NativePenSetEndArrow(pen, in.Take<int8_t>(), in.Take<int8_t>(), float(in.Take<uint8_t>()) / 4);
  NativeRenderDrawLines(render, pen, pts.data(), LONG(pts.size()));
  NativeRenderDrawPolygon(render, pen, pts.data(), LONG(pts.size()));
  NativeRenderFillPolygon(render, brush, pts.data(), LONG(pts.size()), 0);
  NativeRenderDrawEllipse(render, pen, rect.x, rect.y, rect.width, rect.height);
  NativeRenderFillRectangle(render, brush, rect.x, rect.y, rect.width, rect.height);
  ReleaseNativePen(pen);
  ReleaseNativeBrush(brush);
  ReleaseNativeImage(texture);
  ReleaseNativeRender(render);
  ReleaseNativeImage(canvas);
  return 0;
}

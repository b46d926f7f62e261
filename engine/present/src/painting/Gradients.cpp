// Gradient brushes for strokes, fills and picture backgrounds.
#include <plastrum/present/painting/Painters.h>

#include <vector>

#include <plastrum/present/painting/RadialLayout.h>

namespace Present::Painting {

NativeBrush MakeGradientBrush(const Style::GradientRecord& gradient, const RectF& bounds,
                              const std::vector<PointF>& points, const uint32_t* colors, const float* positions,
                              int32_t count, int32_t* code) {
  *code = 0;
  if (gradient.type > 3) {
    *code = 2;
    return nullptr;
  }
  if (count < 1) count = 1;
  NativeBrush brush = GetNativeBrush();
  if (!brush) {
    *code = 3;
    return nullptr;
  }
  const NativeRectF rect{bounds.x, bounds.y, bounds.width, bounds.height};
  bool made = false;
  switch (gradient.type) {
    case 0:
      made = NativeCreateLinearGradientBrushWithAngle(brush, &rect, colors[0], colors[count - 1], gradient.angle, 1);
      break;
    case 1:
    case 2:
      made = Rendering::MakeRadialPathBrush(
          brush, Rendering::RadialLayoutRect(rect, gradient.direction, gradient.type == 1), gradient.type == 1);
      break;
    default: {
      std::vector<NativePointF> native;
      for (const PointF& p : points) native.push_back(NativePointF{p.x, p.y});
      made =
          native.size() >= 2 && NativeCreatePathGradientBrush(brush, native.data(), static_cast<LONG>(native.size()));
      break;
    }
  }
  if (!made) {
    ReleaseNativeBrush(brush);
    *code = 3;
    return nullptr;
  }
  if (count >= 2) {
    if (gradient.type == 0) {
      NativeLineBrushSetPresetBlend(brush, colors, positions, count);
    } else {
      // A path gradient runs from its boundary (0) inward (1): the stops go reversed.
      std::vector<uint32_t> c(static_cast<size_t>(count));
      std::vector<float> p(static_cast<size_t>(count));
      for (int32_t i = 0; i < count; ++i) {
        c[static_cast<size_t>(i)] = colors[count - 1 - i];
        p[static_cast<size_t>(i)] = 1.0f - positions[count - 1 - i];
      }
      NativePathBrushSetPresetBlend(brush, c.data(), p.data(), count);
    }
  }
  return brush;
}

}  // namespace Present::Painting

#include <plastrum/present/painting/RenderingBrushes.h>

#include <plastrum/present/painting/RadialLayout.h>

namespace Present::Rendering {

Brush::Brush(uint8_t kind) : kind_(kind), handle_(GetNativeBrush()) {}

Brush::~Brush() {
  if (handle_) ReleaseNativeBrush(handle_);
}

void Brush::Keep(bool created) {
  if (created || !handle_) return;
  ReleaseNativeBrush(handle_);
  handle_ = nullptr;
}

SolidColorBrush::SolidColorBrush(uint32_t argb) : Brush(kSolid), color(argb) {
  Keep(NativeCreateSolidColorBrush(Handle(), argb));
}

HatchBrush::HatchBrush(int32_t style, uint32_t fore, uint32_t back)
    : Brush(kHatch), backColor(back), foreColor(fore), hatchStyle(style) {
  Keep(NativeCreateHatchBrush(Handle(), style, fore, back));
}

LinearGradientBrush::LinearGradientBrush(const NativeRectF& rect, uint32_t argb1, uint32_t argb2, float degrees)
    : GradientBrush(kLinearGradient) {
  Keep(NativeCreateLinearGradientBrushWithAngle(Handle(), &rect, argb1, argb2, degrees, 1));
}

bool LinearGradientBrush::SetPresetBlend(const uint32_t* argb, const float* positions, int32_t count) {
  return NativeLineBrushSetPresetBlend(Handle(), argb, positions, count) == kNativeOk;
}
bool LinearGradientBrush::Translate(float dx, float dy) { return NativeLineBrushTranslate(Handle(), dx, dy) == 0; }
bool LinearGradientBrush::Scale(float sx, float sy) { return NativeLineBrushScale(Handle(), sx, sy) == 0; }
bool LinearGradientBrush::Rotate(float degrees) { return NativeLineBrushRotate(Handle(), degrees) == 0; }

bool PathBrushBase::SetPresetBlend(const uint32_t* argb, const float* positions, int32_t count) {
  return NativePathBrushSetPresetBlend(Handle(), argb, positions, count) == kNativeOk;
}
bool PathBrushBase::Translate(float dx, float dy) { return NativePathBrushTranslate(Handle(), dx, dy) == 0; }
bool PathBrushBase::Scale(float sx, float sy) { return NativePathBrushScale(Handle(), sx, sy) == 0; }
bool PathBrushBase::Rotate(float degrees) { return NativePathBrushRotate(Handle(), degrees) == 0; }

RadialGradientBrush::RadialGradientBrush(const NativeRectF& bounds_, bool ellipse_, uint8_t direction_)
    : PathBrushBase(kRadialGradient), bounds(bounds_), ellipse(ellipse_), direction(direction_) {
  path = RadialLayoutRect(bounds, direction, ellipse);
  Keep(MakeRadialPathBrush(Handle(), path, ellipse));
}

PathGradientBrush::PathGradientBrush(const NativePointF* points, int32_t count) : PathBrushBase(kPathGradient) {
  Keep(points && count > 0 && NativeCreatePathGradientBrush(Handle(), points, count));
}

ImageBrush::ImageBrush(NativeImage image, int32_t wrap) : TileBrush(kTexture), wrapMode(wrap) {
  Keep(NativeCreateTextureBrush(Handle(), image, wrap));
}

bool ImageBrush::Translate(float dx, float dy) { return NativeTextureBrushTranslate(Handle(), dx, dy) == 0; }
bool ImageBrush::Scale(float sx, float sy) { return NativeTextureBrushScale(Handle(), sx, sy) == 0; }
bool ImageBrush::Rotate(float degrees) { return NativeTextureBrushRotate(Handle(), degrees) == 0; }

}  // namespace Present::Rendering

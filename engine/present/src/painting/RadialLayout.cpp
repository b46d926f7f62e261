#include <plastrum/present/painting/RadialLayout.h>

#include <cmath>

namespace Present::Rendering {

NativeRectF RadialLayoutRect(const NativeRectF& b, uint8_t direction, bool ellipse) {
  const float d = static_cast<float>(std::hypot(b.width, b.height));
  if (direction == 2) {
    if (!ellipse) return b;
    return {b.x + b.width / 2 - d / 2, b.y + b.height / 2 - d / 2, d, d};
  }
  NativeRectF r{b.x, b.y, 2 * b.width, 2 * b.height};
  if (ellipse) r = {b.x - (d - b.width), b.y - (d - b.height), 2 * d, 2 * d};
  if (direction == 1 || direction == 4) r.x -= b.width;
  if (direction == 3 || direction == 4) r.y -= b.height;
  return r;
}

bool MakeRadialPathBrush(NativeBrush brush, const NativeRectF& rect, bool ellipse) {
  NativePath path = GetNativePath();
  if (!path) return false;
  bool ok = NativeCreateEmptyPath(path, 0) &&
            (ellipse ? NativePathAddEllipse(path, rect.x, rect.y, rect.width, rect.height)
                     : NativePathAddRectangle(path, rect.x, rect.y, rect.width, rect.height)) == kNativeOk &&
            NativeCreatePathGradientBrushFromPath(brush, path);
  if (ok) {
    const NativePointF centre{rect.x + rect.width / 2, rect.y + rect.height / 2};
    ok = NativePathBrushSetCenterPoint(brush, &centre) == kNativeOk;
  }
  ReleaseNativePath(path);
  return ok;
}

}  // namespace Present::Rendering

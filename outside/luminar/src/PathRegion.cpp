// Paths, and regions as a path filled with the even-odd rule.
#include <kx2/ErrorBoundary.h>

#include "Object.h"

using namespace luminar;

namespace {

bool FiniteRect(float x, float y, float w, float h) { return Finite(x) && Finite(y) && Finite(w) && Finite(h); }

}  // namespace

LUMINAR_API BOOL NativeCreatePath(NativePath path, const NativePointF* points, LONG count, LONG fillMode) {
  return kx2::Guard(FALSE, [&] {
    Path* p = As<Path>(path, kLuminarPath);
    if (!p || !points || count < 2) return false;
    for (LONG i = 0; i < count; ++i)
      if (!Finite(points[i].x) || !Finite(points[i].y)) return false;
    p->data.ops.clear();
    p->data.AddPolygon(points, count, true);
    p->evenOdd = fillMode == 0;
    p->filled = true;
    return true;
  });
}

LUMINAR_API BOOL NativeCreateEmptyPath(NativePath path, LONG fillMode) {
  Path* p = As<Path>(path, kLuminarPath);
  if (!p) return FALSE;
  p->data.ops.clear();
  p->evenOdd = fillMode == 0;
  p->filled = true;
  return TRUE;
}

LUMINAR_API LONG NativePathAddRectangle(NativePath path, float x, float y, float w, float h) {
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&]() -> LONG {
    Path* p = As<Path>(path, kLuminarPath);
    if (!p || !p->filled || !FiniteRect(x, y, w, h)) return kNativeBadArgument;
    p->data.AddRectangle(x, y, w, h);
    return kNativeOk;
  });
}

LUMINAR_API LONG NativePathAddEllipse(NativePath path, float x, float y, float w, float h) {
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&]() -> LONG {
    Path* p = As<Path>(path, kLuminarPath);
    if (!p || !p->filled || !FiniteRect(x, y, w, h)) return kNativeBadArgument;
    p->data.AddEllipse(x, y, w, h);
    return kNativeOk;
  });
}

LUMINAR_API BOOL NativeCreateRegionRect(NativeRegion region, const NativeRectF* rect) {
  return kx2::Guard(FALSE, [&] {
    Region* r = As<Region>(region, kLuminarRegion);
    if (!r || !rect || !FiniteRect(rect->x, rect->y, rect->width, rect->height)) return false;
    r->data.ops.clear();
    r->data.AddRectangle(rect->x, rect->y, rect->width, rect->height);
    r->filled = true;
    return true;
  });
}

LUMINAR_API BOOL NativeCreateRegionPath(NativeRegion region, NativePath path) {
  return kx2::Guard(FALSE, [&] {
    Region* r = As<Region>(region, kLuminarRegion);
    Path* p = As<Path>(path, kLuminarPath);
    if (!r || !p || !p->filled) return false;
    r->data = p->data;
    r->filled = true;
    return true;
  });
}

// Mode 3 excludes the path: under the even-odd rule, a figure added inside the region
// cuts a hole in it. The other combine modes are not used by the callers; they answer a
// bad argument rather than silently doing something else.
LUMINAR_API LONG NativeRegionCombinePath(NativeRegion region, NativePath path, LONG mode) {
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&]() -> LONG {
    Region* r = As<Region>(region, kLuminarRegion);
    Path* p = As<Path>(path, kLuminarPath);
    if (!r || !r->filled || !p || !p->filled || mode != 3) return kNativeBadArgument;
    r->data.ops.insert(r->data.ops.end(), p->data.ops.begin(), p->data.ops.end());
    return kNativeOk;
  });
}

// Regions as GDI keeps them: y-x banded rectangles. Each band is a run of rectangles of
// the same top and bottom, sorted by left, not touching; vertically adjacent bands with
// the same spans are merged. All operations keep that form, so equal areas have equal lists.
#pragma once

#include <vector>

#include <win/types.h>

namespace kx2::gdi {

using Rects = std::vector<RECT>;

// The banded form of one rectangle (empty when it has no area).
Rects RectRegion(const RECT& r);
// RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF of two banded regions.
Rects CombineRegions(const Rects& a, const Rects& b, int mode);
// Rows of pixel spans (one list per row from `top`), merged into bands.
Rects RegionFromRows(int top, const std::vector<std::vector<std::pair<int, int>>>& rows);
// Pixels whose centres lie inside the polygon (ALTERNATE or WINDING).
Rects PolygonRegion(const POINT* points, const int* counts, int polygons, int fillMode);
Rects EllipseRegion(int left, int top, int right, int bottom);
Rects RoundRectRegion(int left, int top, int right, int bottom, int width, int height);
void OffsetRegion(Rects& r, int dx, int dy);
RECT RegionBox(const Rects& r);
bool RegionContains(const Rects& r, int x, int y);
bool RegionTouches(const Rects& r, const RECT& rect);
// NULLREGION, SIMPLEREGION or COMPLEXREGION.
int RegionKind(const Rects& r);

inline bool EmptyRect(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
inline RECT IntersectRects(const RECT& a, const RECT& b) {
  RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top, a.right < b.right ? a.right : b.right,
         a.bottom < b.bottom ? a.bottom : b.bottom};
  if (EmptyRect(r)) r = RECT{0, 0, 0, 0};
  return r;
}

}  // namespace kx2::gdi

// Stroking and filling in device units, shared by the shape calls and paths.
#pragma once

#include <vector>

#include "Dc.h"

namespace kx2::gdi {

struct DPoint {
  double x, y;
};

// Strokes connected segments with the selected pen. A pen 1 pixel wide draws GDI's
// pixels (the last point of an open line left out); wider pens are stroked by Cairo.
void StrokePoints(Dc& dc, const std::vector<POINT>& points, bool closed);
// Strokes any path (device units, as Cairo path data) with the selected pen.
void StrokeCairoPath(Dc& dc, const std::vector<PathPoint>& path);
void FillCairoPath(Dc& dc, const std::vector<PathPoint>& path, const Paint& paint);
// Adds the path to `cr`.
void EmitPath(cairo_t* cr, const std::vector<PathPoint>& path, double offset);
RECT PathBounds(const std::vector<PathPoint>& path, int grow);

}  // namespace kx2::gdi

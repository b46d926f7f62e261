// Paths: shapes and text recorded between BeginPath and EndPath (device units), then
// stroked, filled, flattened or turned into a region.
#include <cairo.h>

#include <cmath>

#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>

#include "Shapes.h"

namespace kx2::gdi {
namespace {

template <class R, class F>
R WithDc(HDC h, R failure, F&& f) {
  return kx2::Guard(failure, [&]() -> R {
    auto dc = LookupDc(h);
    if (!dc) return BadHandle(failure);
    return f(*dc);
  });
}

// A finished path is needed by every call that uses one (ERROR_CAN_NOT_COMPLETE on
// Windows; this platform has no such code, the parameter error stands for it).
bool HasClosedPath(const Dc& dc) {
  if (dc.pathOpen || !dc.pathDone) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

void Discard(Dc& dc) {
  dc.path.clear();
  dc.pathDone = false;
}

// The path with every curve replaced by lines.
std::vector<PathPoint> Flattened(const std::vector<PathPoint>& path) {
  std::vector<PathPoint> out;
  if (path.empty()) return out;
  cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(scratch);
  cairo_set_tolerance(cr, 0.25);
  EmitPath(cr, path, 0);
  cairo_path_t* flat = cairo_copy_path_flat(cr);
  for (int i = 0; i < flat->num_data; i += flat->data[i].header.length) {
    const cairo_path_data_t* d = &flat->data[i];
    switch (d->header.type) {
      case CAIRO_PATH_MOVE_TO:
        out.push_back(PathPoint{d[1].point.x, d[1].point.y, PathPoint::kMove});
        break;
      case CAIRO_PATH_LINE_TO:
        out.push_back(PathPoint{d[1].point.x, d[1].point.y, PathPoint::kLine});
        break;
      case CAIRO_PATH_CLOSE_PATH:
        out.push_back(PathPoint{0, 0, PathPoint::kClose});
        break;
      default:
        break;
    }
  }
  cairo_path_destroy(flat);
  cairo_destroy(cr);
  cairo_surface_destroy(scratch);
  return out;
}

// The pixels inside the path under the DC's fill mode.
Rects PathRegion(const Dc& dc) {
  const std::vector<PathPoint> flat = Flattened(dc.path);
  std::vector<POINT> points;
  std::vector<int> counts;
  for (const PathPoint& p : flat) {
    if (p.kind == PathPoint::kMove) counts.push_back(0);
    if (p.kind == PathPoint::kClose || counts.empty()) continue;
    points.push_back(POINT{static_cast<LONG>(std::lround(p.x)), static_cast<LONG>(std::lround(p.y))});
    ++counts.back();
  }
  std::erase(counts, 0);
  if (points.empty()) return {};
  return PolygonRegion(points.data(), counts.data(), static_cast<int>(counts.size()), dc.state.polyFillMode);
}

}  // namespace
}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT BOOL BeginPath(HDC hdc) {
  return WithDc(hdc, FALSE, [](Dc& dc) -> BOOL {
    dc.path.clear();
    dc.pathOpen = true;
    dc.pathDone = false;
    return TRUE;
  });
}

KX2_EXPORT BOOL EndPath(HDC hdc) {
  return WithDc(hdc, FALSE, [](Dc& dc) -> BOOL {
    if (!dc.pathOpen) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    dc.pathOpen = false;
    dc.pathDone = true;
    return TRUE;
  });
}

KX2_EXPORT BOOL AbortPath(HDC hdc) {
  return WithDc(hdc, FALSE, [](Dc& dc) -> BOOL {
    dc.pathOpen = false;
    Discard(dc);
    return TRUE;
  });
}

KX2_EXPORT BOOL CloseFigure(HDC hdc) {
  return WithDc(hdc, FALSE, [](Dc& dc) -> BOOL {
    if (!dc.pathOpen) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (!dc.path.empty() && dc.path.back().kind != PathPoint::kClose)
      dc.path.push_back(PathPoint{0, 0, PathPoint::kClose});
    return TRUE;
  });
}

KX2_EXPORT BOOL StrokePath(HDC hdc) {
  return WithDc(hdc, FALSE, [](Dc& dc) -> BOOL {
    if (!HasClosedPath(dc)) return FALSE;
    Dc::DrawScope scope(dc);
    StrokeCairoPath(dc, dc.path);
    Discard(dc);
    return TRUE;
  });
}

KX2_EXPORT BOOL FillPath(HDC hdc) {
  return WithDc(hdc, FALSE, [](Dc& dc) -> BOOL {
    if (!HasClosedPath(dc)) return FALSE;
    Dc::DrawScope scope(dc);
    FillCairoPath(dc, dc.path, dc.BrushPaint(dc.state.brush.get()));
    Discard(dc);
    return TRUE;
  });
}

KX2_EXPORT BOOL StrokeAndFillPath(HDC hdc) {
  return WithDc(hdc, FALSE, [](Dc& dc) -> BOOL {
    if (!HasClosedPath(dc)) return FALSE;
    Dc::DrawScope scope(dc);
    FillCairoPath(dc, dc.path, dc.BrushPaint(dc.state.brush.get()));
    StrokeCairoPath(dc, dc.path);
    Discard(dc);
    return TRUE;
  });
}

KX2_EXPORT BOOL FlattenPath(HDC hdc) {
  return WithDc(hdc, FALSE, [](Dc& dc) -> BOOL {
    if (!HasClosedPath(dc)) return FALSE;
    dc.path = Flattened(dc.path);
    return TRUE;
  });
}

KX2_EXPORT BOOL SelectClipPath(HDC hdc, int mode) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    if (mode < RGN_AND || mode > RGN_COPY) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (!HasClosedPath(dc)) return FALSE;
    const Rects region = PathRegion(dc);
    if (mode == RGN_COPY) {
      dc.state.clip = region;
    } else {
      const Rects current = dc.state.clip ? *dc.state.clip : RectRegion(dc.Bounds());
      dc.state.clip = CombineRegions(current, region, mode);
    }
    Discard(dc);
    return TRUE;
  });
}

KX2_EXPORT HRGN PathToRegion(HDC hdc) {
  return WithDc(hdc, HRGN{}, [](Dc& dc) -> HRGN {
    if (!HasClosedPath(dc)) return nullptr;
    auto region = std::make_shared<Region>();
    region->rects = PathRegion(dc);
    Discard(dc);
    return InsertObject(region);
  });
}

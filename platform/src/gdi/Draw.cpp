// Pens, brushes and the shape calls.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>
#include <win/user_system.h>

#include "Shapes.h"
#include "SystemObjects.h"

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

std::vector<int> DashesOf(const Pen& pen) {
  switch (pen.Kind()) {
    case PS_DASH:
      return {18, 6};
    case PS_DOT:
      return {3, 3};
    case PS_DASHDOT:
      return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
      return {9, 3, 3, 3, 3, 3};
    case PS_ALTERNATE:
      return {1, 1};
    case PS_USERSTYLE: {
      std::vector<int> d;
      for (DWORD v : pen.dashes) d.push_back(static_cast<int>(std::min<DWORD>(v ? v : 1, 1000)));
      return d;
    }
    default:
      return {};
  }
}

int PenDeviceWidth(const Dc& dc) {
  const Pen& pen = *dc.state.pen;
  return std::max(1, dc.WidthToDevice(pen.width));
}

}  // namespace

void EmitPath(cairo_t* cr, const std::vector<PathPoint>& path, double offset) {
  for (size_t i = 0; i < path.size(); ++i) {
    const PathPoint& p = path[i];
    switch (p.kind) {
      case PathPoint::kMove:
        cairo_move_to(cr, p.x + offset, p.y + offset);
        break;
      case PathPoint::kLine:
        cairo_line_to(cr, p.x + offset, p.y + offset);
        break;
      case PathPoint::kCurve:
        if (i + 2 < path.size()) {
          cairo_curve_to(cr, p.x + offset, p.y + offset, path[i + 1].x + offset, path[i + 1].y + offset,
                         path[i + 2].x + offset, path[i + 2].y + offset);
          i += 2;
        }
        break;
      case PathPoint::kClose:
        cairo_close_path(cr);
        break;
    }
  }
}

RECT PathBounds(const std::vector<PathPoint>& path, int grow) {
  double l = 1e9, t = 1e9, r = -1e9, b = -1e9;
  for (const PathPoint& p : path) {
    if (p.kind == PathPoint::kClose) continue;
    l = std::min(l, p.x), t = std::min(t, p.y), r = std::max(r, p.x), b = std::max(b, p.y);
  }
  if (l > r) return RECT{0, 0, 0, 0};
  auto clamp = [](double v) { return static_cast<LONG>(std::max(-1e8, std::min(1e8, v))); };
  return RECT{clamp(std::floor(l)) - grow, clamp(std::floor(t)) - grow, clamp(std::ceil(r)) + grow + 1,
              clamp(std::ceil(b)) + grow + 1};
}

void StrokeCairoPath(Dc& dc, const std::vector<PathPoint>& path) {
  const Paint paint = dc.PenPaint();
  if (paint.kind == Paint::kNone || path.empty()) return;
  const Pen& pen = *dc.state.pen;
  const int width = PenDeviceWidth(dc);
  const RECT bounds = PathBounds(path, width + 2);
  dc.PaintShape(bounds, paint, false, [&](cairo_t* cr) {
    EmitPath(cr, path, 0.5);
    cairo_set_line_width(cr, width);
    const UINT cap = pen.style & PS_ENDCAP_MASK, join = pen.style & PS_JOIN_MASK;
    cairo_set_line_cap(cr, cap == PS_ENDCAP_FLAT     ? CAIRO_LINE_CAP_BUTT
                           : cap == PS_ENDCAP_SQUARE ? CAIRO_LINE_CAP_SQUARE
                                                     : CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, join == PS_JOIN_MITER   ? CAIRO_LINE_JOIN_MITER
                            : join == PS_JOIN_BEVEL ? CAIRO_LINE_JOIN_BEVEL
                                                    : CAIRO_LINE_JOIN_ROUND);
    const std::vector<int> dashes = width <= 1 ? DashesOf(pen) : std::vector<int>{};
    if (!dashes.empty()) {
      std::vector<double> d(dashes.begin(), dashes.end());
      cairo_set_dash(cr, d.data(), static_cast<int>(d.size()), 0);
    }
    cairo_stroke(cr);
  });
}

void FillCairoPath(Dc& dc, const std::vector<PathPoint>& path, const Paint& paint) {
  if (paint.kind == Paint::kNone || path.empty()) return;
  dc.PaintShape(PathBounds(path, 1), paint, false, [&](cairo_t* cr) {
    EmitPath(cr, path, 0);
    cairo_set_fill_rule(cr, dc.state.polyFillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    cairo_fill(cr);
  });
}

void StrokePoints(Dc& dc, const std::vector<POINT>& points, bool closed) {
  const Paint paint = dc.PenPaint();
  if (paint.kind == Paint::kNone || points.size() < 2) return;
  const int width = PenDeviceWidth(dc);
  if (width > 1) {
    std::vector<PathPoint> path;
    for (size_t i = 0; i < points.size(); ++i)
      path.push_back(PathPoint{double(points[i].x), double(points[i].y), i ? PathPoint::kLine : PathPoint::kMove});
    if (closed) path.push_back(PathPoint{0, 0, PathPoint::kClose});
    StrokeCairoPath(dc, path);
    return;
  }
  // One pixel wide: Bresenham's pixels, each segment without its end point, dashes
  // counted in pixels along the whole line.
  const std::vector<int> dashes = DashesOf(*dc.state.pen);
  size_t dashIndex = 0;
  int dashLeft = dashes.empty() ? 0 : dashes[0];
  std::vector<POINT> pixels;
  const size_t segments = closed ? points.size() : points.size() - 1;
  for (size_t i = 0; i < segments; ++i) {
    const POINT a = points[i], b = points[(i + 1) % points.size()];
    long long x = a.x, y = a.y;
    const long long dx = std::llabs(static_cast<long long>(b.x) - a.x), sx = a.x < b.x ? 1 : -1;
    const long long dy = -std::llabs(static_cast<long long>(b.y) - a.y), sy = a.y < b.y ? 1 : -1;
    if (dx - dy > 200000) continue;  // lines far longer than any surface are not walked
    long long err = dx + dy;
    while (x != b.x || y != b.y) {
      const bool on = dashes.empty() || (dashIndex % 2) == 0;
      if (on) pixels.push_back(POINT{static_cast<LONG>(x), static_cast<LONG>(y)});
      if (!dashes.empty() && --dashLeft <= 0) {
        dashIndex = (dashIndex + 1) % dashes.size();
        dashLeft = dashes[dashIndex];
      }
      const long long e2 = 2 * err;
      if (e2 >= dy) err += dy, x += sx;
      if (e2 <= dx) err += dx, y += sy;
    }
  }
  if (pixels.empty()) return;
  RECT bounds{pixels[0].x, pixels[0].y, pixels[0].x + 1, pixels[0].y + 1};
  for (const POINT& p : pixels) {
    bounds.left = std::min(bounds.left, p.x), bounds.top = std::min(bounds.top, p.y);
    bounds.right = std::max(bounds.right, p.x + 1), bounds.bottom = std::max(bounds.bottom, p.y + 1);
  }
  dc.PaintShape(bounds, paint, false, [&](cairo_t* cr) {
    for (const POINT& p : pixels) cairo_rectangle(cr, p.x, p.y, 1, 1);
    cairo_fill(cr);
  });
}

}  // namespace kx2::gdi

using namespace kx2::gdi;

// ---- Pens and brushes ----------------------------------------------------------------------

KX2_EXPORT HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
  return kx2::Guard(HPEN{}, [&]() -> HPEN {
    if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto pen = std::make_shared<Pen>();
    pen->style = static_cast<UINT>(iStyle);
    pen->width = cWidth < 0 ? 0 : cWidth;
    // Styled lines are one pixel wide; a wider styled pen draws solid.
    if (pen->width > 1 && iStyle >= PS_DASH && iStyle <= PS_DASHDOTDOT) pen->style = PS_SOLID;
    pen->color = color & 0xFFFFFF;
    return InsertObject(pen);
  });
}

KX2_EXPORT HPEN CreatePenIndirect(const LOGPEN* p) {
  if (!p) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreatePen(static_cast<int>(p->lopnStyle), p->lopnWidth.x, p->lopnColor);
}

KX2_EXPORT HPEN ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle,
                             const DWORD* pstyle) {
  return kx2::Guard(HPEN{}, [&]() -> HPEN {
    if (!plbrush || cWidth > 0x7FFFFFFF || cStyle > 16 || (cStyle && !pstyle) ||
        ((iPenStyle & PS_STYLE_MASK) == PS_USERSTYLE && cStyle == 0)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto pen = std::make_shared<Pen>();
    pen->style = iPenStyle;
    pen->width = static_cast<int>(cWidth);
    pen->color = plbrush->lbStyle == BS_NULL ? 0 : plbrush->lbColor & 0xFFFFFF;
    if (plbrush->lbStyle == BS_NULL) pen->style = (pen->style & ~PS_STYLE_MASK) | PS_NULL;
    pen->extended = true;
    pen->dashes.assign(pstyle, pstyle + cStyle);
    return InsertObject(pen);
  });
}

KX2_EXPORT HBRUSH CreateSolidBrush(COLORREF color) {
  return kx2::Guard(HBRUSH{}, [&]() -> HBRUSH {
    auto b = std::make_shared<Brush>();
    b->color = color & 0xFFFFFF;
    return InsertObject(b);
  });
}

namespace kx2::gdi {

HBRUSH CreateSystemBrush(COLORREF colour) {
  auto b = std::make_shared<Brush>();
  b->color = colour & 0xFFFFFF;
  b->stock = true;
  return InsertObject(b);
}

}  // namespace kx2::gdi

KX2_EXPORT HBRUSH CreateHatchBrush(int iHatch, COLORREF color) {
  return kx2::Guard(HBRUSH{}, [&]() -> HBRUSH {
    if (iHatch < HS_HORIZONTAL || iHatch > HS_DIAGCROSS) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto b = std::make_shared<Brush>();
    b->style = BS_HATCHED;
    b->hatch = iHatch;
    b->color = color & 0xFFFFFF;
    return InsertObject(b);
  });
}

KX2_EXPORT HBRUSH CreatePatternBrush(HBITMAP hbm) {
  return kx2::Guard(HBRUSH{}, [&]() -> HBRUSH {
    auto bitmap = LookupAs<Bitmap>(hbm);
    if (!bitmap) return BadHandle(HBRUSH{});
    bitmap->ImportDib();
    auto b = std::make_shared<Brush>();
    b->style = BS_PATTERN;
    b->patternWidth = bitmap->width;
    b->patternHeight = bitmap->height;
    b->patternMono = bitmap->bitsPixel == 1;
    b->pattern.resize(static_cast<size_t>(bitmap->width) * bitmap->height);
    for (int y = 0; y < bitmap->height; ++y)
      std::memcpy(b->pattern.data() + static_cast<size_t>(y) * bitmap->width, bitmap->Row(y),
                  static_cast<size_t>(bitmap->width) * 4);
    b->hatch = 0;
    return InsertObject(b);
  });
}

KX2_EXPORT HBRUSH CreateDIBPatternBrushPt(const void* packed, UINT iUsage) {
  return kx2::Guard(HBRUSH{}, [&]() -> HBRUSH {
    DibFormat f;
    const auto* info = static_cast<const BITMAPINFO*>(packed);
    if (!ReadDibFormat(info, iUsage, &f)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto b = std::make_shared<Brush>();
    b->style = BS_DIBPATTERNPT;
    b->patternWidth = f.width;
    b->patternHeight = f.height;
    b->pattern.resize(static_cast<size_t>(f.width) * f.height);
    const auto* bits = static_cast<const uint8_t*>(packed) + f.headerSize;
    for (int y = 0; y < f.height; ++y) {
      const int stored = f.topDown ? y : f.height - 1 - y;
      DibRowToPixels(f, bits + f.stride * stored, b->pattern.data() + static_cast<size_t>(y) * f.width, f.width);
    }
    return InsertObject(b);
  });
}

KX2_EXPORT HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  switch (lb->lbStyle) {
    case BS_SOLID:
      return CreateSolidBrush(lb->lbColor);
    case BS_HATCHED:
      return CreateHatchBrush(static_cast<int>(lb->lbHatch), lb->lbColor);
    case BS_NULL:
      return GetStockObject(NULL_BRUSH);
    case BS_PATTERN:
      return CreatePatternBrush(reinterpret_cast<HBITMAP>(lb->lbHatch));
    case BS_DIBPATTERNPT:
      return CreateDIBPatternBrushPt(reinterpret_cast<const void*>(lb->lbHatch), DIB_RGB_COLORS);
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

// ---- Shapes ---------------------------------------------------------------------------------

namespace {

// A logical rectangle in device units, ordered.
RECT DeviceRect(const Dc& dc, int left, int top, int right, int bottom) {
  const POINT a = dc.ToDevice(left, top), b = dc.ToDevice(right, bottom);
  return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// FillRect and FrameRect also take a system colour index + 1 in place of a brush.
std::shared_ptr<Brush> BrushOrSystemColour(HBRUSH hbr) {
  const auto value = reinterpret_cast<uintptr_t>(hbr);
  if (value >= 1 && value <= 31) {
    auto b = std::make_shared<Brush>();
    b->color = GetSysColor(static_cast<int>(value - 1)) & 0xFFFFFF;
    return b;
  }
  return LookupAs<Brush>(hbr);
}

void FillDeviceRect(Dc& dc, const RECT& r, const Paint& paint) {
  if (EmptyRect(r)) return;
  if (dc.Target()) return dc.PaintRect(r, paint);
  dc.PaintShape(r, paint, false, [&](cairo_t* cr) {
    cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_fill(cr);
  });
}

void AddFigure(Dc& dc, const std::vector<DPoint>& points, bool closed) {
  for (size_t i = 0; i < points.size(); ++i)
    dc.path.push_back(PathPoint{points[i].x, points[i].y, i ? PathPoint::kLine : PathPoint::kMove});
  if (closed) dc.path.push_back(PathPoint{0, 0, PathPoint::kClose});
}

std::vector<DPoint> ToDevicePoints(const Dc& dc, const POINT* pts, size_t n) {
  std::vector<DPoint> out(n);
  for (size_t i = 0; i < n; ++i) {
    double x = pts[i].x, y = pts[i].y;
    dc.ToDeviceF(x, y);
    out[i] = DPoint{x, y};
  }
  return out;
}

std::vector<POINT> Rounded(const std::vector<DPoint>& pts) {
  std::vector<POINT> out(pts.size());
  for (size_t i = 0; i < pts.size(); ++i)
    out[i] = POINT{static_cast<LONG>(std::lround(pts[i].x)), static_cast<LONG>(std::lround(pts[i].y))};
  return out;
}

// Ellipse outline (inscribed in r) as a path, for filling and wide pens.
std::vector<PathPoint> EllipsePath(double l, double t, double r, double b) {
  std::vector<PathPoint> path;
  const double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
  const double k = 0.5522847498;
  path.push_back({cx + rx, cy, PathPoint::kMove});
  const double q[4][6] = {{cx + rx, cy + ry * k, cx + rx * k, cy + ry, cx, cy + ry},
                          {cx - rx * k, cy + ry, cx - rx, cy + ry * k, cx - rx, cy},
                          {cx - rx, cy - ry * k, cx - rx * k, cy - ry, cx, cy - ry},
                          {cx + rx * k, cy - ry, cx + rx, cy - ry * k, cx + rx, cy}};
  for (auto& c : q) {
    path.push_back({c[0], c[1], PathPoint::kCurve});
    path.push_back({c[2], c[3], PathPoint::kCurve});
    path.push_back({c[4], c[5], PathPoint::kCurve});
  }
  path.push_back({0, 0, PathPoint::kClose});
  return path;
}

std::vector<PathPoint> RoundRectPath(double l, double t, double r, double b, double ew, double eh) {
  ew = std::min(ew, r - l), eh = std::min(eh, b - t);
  const double rx = ew / 2, ry = eh / 2, k = 0.5522847498;
  std::vector<PathPoint> p;
  p.push_back({l + rx, t, PathPoint::kMove});
  p.push_back({r - rx, t, PathPoint::kLine});
  p.push_back({r - rx + rx * k, t, PathPoint::kCurve});
  p.push_back({r, t + ry - ry * k, PathPoint::kCurve});
  p.push_back({r, t + ry, PathPoint::kCurve});
  p.push_back({r, b - ry, PathPoint::kLine});
  p.push_back({r, b - ry + ry * k, PathPoint::kCurve});
  p.push_back({r - rx + rx * k, b, PathPoint::kCurve});
  p.push_back({r - rx, b, PathPoint::kCurve});
  p.push_back({l + rx, b, PathPoint::kLine});
  p.push_back({l + rx - rx * k, b, PathPoint::kCurve});
  p.push_back({l, b - ry + ry * k, PathPoint::kCurve});
  p.push_back({l, b - ry, PathPoint::kCurve});
  p.push_back({l, t + ry, PathPoint::kLine});
  p.push_back({l, t + ry - ry * k, PathPoint::kCurve});
  p.push_back({l + rx - rx * k, t, PathPoint::kCurve});
  p.push_back({l + rx, t, PathPoint::kCurve});
  p.push_back({0, 0, PathPoint::kClose});
  return p;
}

// Fills and outlines a closed shape given as a path over the box (device units): the fill
// covers the box less one pixel right and bottom, the pen runs inside that box.
BOOL DrawClosedShape(Dc& dc, RECT box,
                     const std::function<std::vector<PathPoint>(double, double, double, double)>& make) {
  if (dc.pathOpen) {
    auto p = make(box.left, box.top, box.right, box.bottom);
    dc.path.insert(dc.path.end(), p.begin(), p.end());
    return TRUE;
  }
  Dc::DrawScope scope(dc);
  const Paint pen = dc.PenPaint();
  const int width = pen.kind == Paint::kNone ? 0 : PenDeviceWidth(dc);
  if (dc.state.pen->Kind() == PS_INSIDEFRAME && width > 1) {
    // The whole pen stays inside the box.
    const int inset = width / 2;
    box.left += inset, box.top += inset, box.right -= inset, box.bottom -= inset;
  }
  FillCairoPath(dc, make(box.left, box.top, box.right - 1, box.bottom - 1), dc.BrushPaint(dc.state.brush.get()));
  if (pen.kind != Paint::kNone) StrokeCairoPath(dc, make(box.left, box.top, box.right - 1, box.bottom - 1));
  return TRUE;
}

}  // namespace

KX2_EXPORT int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  return WithDc(hDC, 0, [&](Dc& dc) -> int {
    if (!lprc) return 0;
    auto brush = BrushOrSystemColour(hbr);
    if (!brush) return BadHandle(0);
    Dc::DrawScope scope(dc);
    const int rop = dc.state.rop2;
    dc.state.rop2 = R2_COPYPEN;
    FillDeviceRect(dc, DeviceRect(dc, lprc->left, lprc->top, lprc->right, lprc->bottom), dc.BrushPaint(brush.get()));
    dc.state.rop2 = rop;
    return 1;
  });
}

KX2_EXPORT int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  return WithDc(hDC, 0, [&](Dc& dc) -> int {
    if (!lprc) return 0;
    auto brush = BrushOrSystemColour(hbr);
    if (!brush) return BadHandle(0);
    const RECT r = DeviceRect(dc, lprc->left, lprc->top, lprc->right, lprc->bottom);
    if (EmptyRect(r)) return 1;
    Dc::DrawScope scope(dc);
    const Paint paint = dc.BrushPaint(brush.get());
    const int rop = dc.state.rop2;
    dc.state.rop2 = R2_COPYPEN;
    FillDeviceRect(dc, RECT{r.left, r.top, r.right, r.top + 1}, paint);
    FillDeviceRect(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, paint);
    FillDeviceRect(dc, RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, paint);
    FillDeviceRect(dc, RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1}, paint);
    dc.state.rop2 = rop;
    return 1;
  });
}

KX2_EXPORT BOOL InvertRect(HDC hDC, const RECT* lprc) {
  return WithDc(hDC, FALSE, [&](Dc& dc) -> BOOL {
    if (!lprc) return FALSE;
    Dc::DrawScope scope(dc);
    Paint p;
    p.kind = Paint::kSolid;
    const int rop = dc.state.rop2;
    dc.state.rop2 = R2_NOT;
    FillDeviceRect(dc, DeviceRect(dc, lprc->left, lprc->top, lprc->right, lprc->bottom), p);
    dc.state.rop2 = rop;
    return TRUE;
  });
}

KX2_EXPORT BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    const RECT box = DeviceRect(dc, left, top, right, bottom);
    return DrawClosedShape(dc, box, [](double l, double t, double r, double b) {
      return std::vector<PathPoint>{{l, t, PathPoint::kMove},
                                    {r, t, PathPoint::kLine},
                                    {r, b, PathPoint::kLine},
                                    {l, b, PathPoint::kLine},
                                    {0, 0, PathPoint::kClose}};
    });
  });
}

KX2_EXPORT BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    return DrawClosedShape(dc, DeviceRect(dc, left, top, right, bottom), EllipsePath);
  });
}

KX2_EXPORT BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    const double ew = std::fabs(width * dc.ScaleX()), eh = std::fabs(height * dc.ScaleY());
    return DrawClosedShape(dc, DeviceRect(dc, left, top, right, bottom),
                           [&](double l, double t, double r, double b) { return RoundRectPath(l, t, r, b, ew, eh); });
  });
}

KX2_EXPORT BOOL PolyPolygon(HDC hdc, const POINT* apt, const INT* asz, int csz) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    if (!apt || !asz || csz <= 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::vector<PathPoint> path;
    std::vector<std::vector<POINT>> outlines;
    const POINT* p = apt;
    for (int k = 0; k < csz; ++k) {
      if (asz[k] < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      const auto device = ToDevicePoints(dc, p, static_cast<size_t>(asz[k]));
      for (size_t i = 0; i < device.size(); ++i)
        path.push_back(PathPoint{device[i].x, device[i].y, i ? PathPoint::kLine : PathPoint::kMove});
      path.push_back(PathPoint{0, 0, PathPoint::kClose});
      outlines.push_back(Rounded(device));
      p += asz[k];
    }
    if (dc.pathOpen) {
      dc.path.insert(dc.path.end(), path.begin(), path.end());
      return TRUE;
    }
    Dc::DrawScope scope(dc);
    FillCairoPath(dc, path, dc.BrushPaint(dc.state.brush.get()));
    for (auto& o : outlines) StrokePoints(dc, o, true);
    return TRUE;
  });
}

KX2_EXPORT BOOL Polygon(HDC hdc, const POINT* apt, int cpt) {
  const INT count = cpt;
  return PolyPolygon(hdc, apt, &count, 1);
}

KX2_EXPORT BOOL Polyline(HDC hdc, const POINT* apt, int cpt) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    if (!apt || cpt < 2) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    const auto device = ToDevicePoints(dc, apt, static_cast<size_t>(cpt));
    if (dc.pathOpen) {
      AddFigure(dc, device, false);
      return TRUE;
    }
    Dc::DrawScope scope(dc);
    StrokePoints(dc, Rounded(device), false);
    return TRUE;
  });
}

KX2_EXPORT BOOL PolyBezier(HDC hdc, const POINT* apt, DWORD cpt) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    if (!apt || cpt < 4 || (cpt - 1) % 3 != 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    const auto device = ToDevicePoints(dc, apt, cpt);
    std::vector<PathPoint> path{{device[0].x, device[0].y, PathPoint::kMove}};
    for (size_t i = 1; i < device.size(); ++i) path.push_back({device[i].x, device[i].y, PathPoint::kCurve});
    if (dc.pathOpen) {
      dc.path.insert(dc.path.end(), path.begin(), path.end());
      return TRUE;
    }
    Dc::DrawScope scope(dc);
    StrokeCairoPath(dc, path);
    return TRUE;
  });
}

KX2_EXPORT BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    if (lppt) *lppt = dc.state.position;
    dc.state.position = POINT{x, y};
    if (dc.pathOpen) {
      double dx = x, dy = y;
      dc.ToDeviceF(dx, dy);
      dc.path.push_back(PathPoint{dx, dy, PathPoint::kMove});
    }
    return TRUE;
  });
}

KX2_EXPORT BOOL LineTo(HDC hdc, int x, int y) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    const POINT from = dc.state.position;
    dc.state.position = POINT{x, y};
    const POINT pts[2] = {from, POINT{x, y}};
    const auto device = ToDevicePoints(dc, pts, 2);
    if (dc.pathOpen) {
      if (dc.path.empty() || dc.path.back().kind == PathPoint::kClose)
        dc.path.push_back(PathPoint{device[0].x, device[0].y, PathPoint::kMove});
      dc.path.push_back(PathPoint{device[1].x, device[1].y, PathPoint::kLine});
      return TRUE;
    }
    Dc::DrawScope scope(dc);
    StrokePoints(dc, Rounded(device), false);
    return TRUE;
  });
}

KX2_EXPORT BOOL GetCurrentPositionEx(HDC hdc, LPPOINT lppt) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    if (!lppt) return FALSE;
    *lppt = dc.state.position;
    return TRUE;
  });
}

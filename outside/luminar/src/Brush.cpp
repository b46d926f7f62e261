// Brushes as Cairo patterns: solid, hatch tiles, linear gradients at an angle, path
// gradients as mesh fans from the centre, and image textures with their wraps.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

#include <kx2/ErrorBoundary.h>

#include "Hatch.h"
#include "Object.h"

using namespace luminar;

namespace {

void AddStop(cairo_pattern_t* p, double offset, DWORD argb) {
  cairo_pattern_add_color_stop_rgba(p, offset, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                                    (argb & 0xFF) / 255.0, (argb >> 24) / 255.0);
}

void SetMeshCorner(cairo_pattern_t* p, unsigned corner, DWORD argb) {
  cairo_mesh_pattern_set_corner_color_rgba(p, corner, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                                           (argb & 0xFF) / 255.0, (argb >> 24) / 255.0);
}

NativePointF Toward(NativePointF from, NativePointF to, double t) {
  return {float(from.x + (to.x - from.x) * t), float(from.y + (to.y - from.y) * t)};
}

PatternPtr MeshPattern(const Brush& b) {
  PatternPtr p(cairo_pattern_create_mesh());
  for (const auto& poly : b.boundary) {
    const size_t n = poly.size();
    for (size_t i = 0; i < n; ++i) {
      const NativePointF a = poly[i], c = poly[(i + 1) % n];
      // Rings between neighbouring blend positions: 0 on the boundary, 1 at the centre.
      for (size_t s = 0; s + 1 < b.positions.size(); ++s) {
        const double t0 = b.positions[s], t1 = b.positions[s + 1];
        const NativePointF o0 = Toward(a, b.center, t0), o1 = Toward(c, b.center, t0);
        const NativePointF i1 = Toward(c, b.center, t1), i0 = Toward(a, b.center, t1);
        cairo_mesh_pattern_begin_patch(p.get());
        cairo_mesh_pattern_move_to(p.get(), o0.x, o0.y);
        cairo_mesh_pattern_line_to(p.get(), o1.x, o1.y);
        cairo_mesh_pattern_line_to(p.get(), i1.x, i1.y);
        cairo_mesh_pattern_line_to(p.get(), i0.x, i0.y);
        SetMeshCorner(p.get(), 0, b.colors[s]);
        SetMeshCorner(p.get(), 1, b.colors[s]);
        SetMeshCorner(p.get(), 2, b.colors[s + 1]);
        SetMeshCorner(p.get(), 3, b.colors[s + 1]);
        cairo_mesh_pattern_end_patch(p.get());
      }
    }
  }
  return p;
}

// Gradient geometry beyond a million pixels is refused: Cairo rasterises mesh patches by
// recursive subdivision, whose depth grows with their size.
bool InRange(float v) { return Finite(v) && std::fabs(v) <= 1e6f; }

bool ValidBlend(const DWORD* colors, const float* positions, LONG count) {
  if (!colors || !positions || count < 2) return false;
  for (LONG i = 0; i < count; ++i)
    if (!Finite(positions[i])) return false;
  return true;
}

void StoreBlend(Brush* b, const DWORD* colors, const float* positions, LONG count) {
  std::vector<size_t> order(static_cast<size_t>(count));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t l, size_t r) { return positions[l] < positions[r]; });
  b->colors.clear(), b->positions.clear();
  for (size_t i : order) {
    b->colors.push_back(colors[i]);
    b->positions.push_back(std::clamp(positions[i], 0.f, 1.f));
  }
}

Brush* Filled(NativeBrush h, BrushKind kind) {
  Brush* b = As<Brush>(h, kLuminarBrush);
  return b && b->type == kind ? b : nullptr;
}

void ResetBrush(Brush* b, BrushKind kind) {
  b->type = kind;
  b->boundary.clear(), b->colors.clear(), b->positions.clear();
  b->tile.reset();
  b->wrap = 0;
  cairo_matrix_init_identity(&b->transform);
}

LONG Transform(NativeBrush h, BrushKind kind, int op, float a, float c) {
  Brush* b = Filled(h, kind);
  if (!b || !Finite(a) || !Finite(c)) return kNativeBadArgument;
  cairo_matrix_t m = b->transform;
  if (op == 0) cairo_matrix_translate(&m, a, c);
  if (op == 1) cairo_matrix_scale(&m, a, c);
  if (op == 2) cairo_matrix_rotate(&m, a * M_PI / 180);
  // The brush keeps a transform that stays invertible and within the coordinate range
  // (see InRange); anything else is refused and the old transform kept.
  cairo_matrix_t inverse = m;
  if (cairo_matrix_invert(&inverse) != CAIRO_STATUS_SUCCESS) return kNativeBadArgument;
  for (double v : {m.xx, m.yx, m.xy, m.yy, inverse.xx, inverse.yx, inverse.xy, inverse.yy})
    if (!std::isfinite(v) || std::fabs(v) > 1e4) return kNativeBadArgument;
  if (!InRange(float(m.x0)) || !InRange(float(m.y0))) return kNativeBadArgument;
  b->transform = m;
  return kNativeOk;
}

void SetBoundary(Brush* b, std::vector<std::vector<NativePointF>> polys) {
  b->boundary = std::move(polys);
  double sx = 0, sy = 0;
  size_t n = 0;
  for (const auto& poly : b->boundary)
    for (const NativePointF& p : poly) sx += p.x, sy += p.y, ++n;
  b->center = n ? NativePointF{float(sx / n), float(sy / n)} : NativePointF{0, 0};
  b->colors = {0xFF000000, 0xFFFFFFFF};  // black boundary, white centre until a blend is set
  b->positions = {0, 1};
}

}  // namespace

namespace luminar {

PatternPtr Brush::MakePattern() const {
  PatternPtr p;
  switch (type) {
    case BrushKind::kNone:
      return nullptr;
    case BrushKind::kSolid:
      return PatternPtr(SolidPattern(color));
    case BrushKind::kHatch:
    case BrushKind::kTexture:
      p.reset(cairo_pattern_create_for_surface(tile.get()));
      if (type == BrushKind::kHatch) {
        cairo_pattern_set_filter(p.get(), CAIRO_FILTER_NEAREST);
        cairo_pattern_set_extend(p.get(), CAIRO_EXTEND_REPEAT);
      } else {
        cairo_pattern_set_extend(p.get(), wrap == 4 ? CAIRO_EXTEND_NONE : CAIRO_EXTEND_REPEAT);
      }
      break;
    case BrushKind::kLinear:
      p.reset(cairo_pattern_create_linear(x0, y0, x1, y1));
      for (size_t i = 0; i < colors.size(); ++i) AddStop(p.get(), positions[i], colors[i]);
      cairo_pattern_set_extend(p.get(), CAIRO_EXTEND_PAD);
      break;
    case BrushKind::kPath:
      p = MeshPattern(*this);
      break;
  }
  cairo_matrix_t inverse = transform;
  if (cairo_matrix_invert(&inverse) == CAIRO_STATUS_SUCCESS) cairo_pattern_set_matrix(p.get(), &inverse);
  return p;
}

}  // namespace luminar

LUMINAR_API BOOL NativeCreateSolidColorBrush(NativeBrush brush, DWORD argb) {
  Brush* b = As<Brush>(brush, kLuminarBrush);
  if (!b) return FALSE;
  ResetBrush(b, BrushKind::kSolid);
  b->color = argb;
  return TRUE;
}

LUMINAR_API BOOL NativeCreateHatchBrush(NativeBrush brush, LONG style, DWORD fore, DWORD back) {
  return kx2::Guard(FALSE, [&] {
    Brush* b = As<Brush>(brush, kLuminarBrush);
    if (!b) return false;
    SurfacePtr tile = NewImageSurface(8, 8);
    if (!tile) return false;
    uint8_t* data = cairo_image_surface_get_data(tile.get());
    const int stride = cairo_image_surface_get_stride(tile.get());
    auto premultiplied = [](DWORD argb) {
      const uint32_t a = argb >> 24;
      auto ch = [&](int shift) { return (((argb >> shift) & 0xFF) * a + 127) / 255; };
      return (a << 24) | (ch(16) << 16) | (ch(8) << 8) | ch(0);
    };
    for (int y = 0; y < 8; ++y) {
      const uint8_t row = luminar::HatchRow(style, y);
      uint32_t* out = reinterpret_cast<uint32_t*>(data + y * stride);
      for (int x = 0; x < 8; ++x) out[x] = premultiplied((row & (0x80 >> x)) ? fore : back);
    }
    cairo_surface_mark_dirty(tile.get());
    ResetBrush(b, BrushKind::kHatch);
    b->tile = std::move(tile);
    return true;
  });
}

LUMINAR_API BOOL NativeCreateLinearGradientBrushWithAngle(NativeBrush brush, const NativeRectF* rect, DWORD argb1,
                                                          DWORD argb2, float degrees, LONG scalable) {
  return kx2::Guard(FALSE, [&] {
    Brush* b = As<Brush>(brush, kLuminarBrush);
    if (!b || !rect || !Finite(rect->x) || !Finite(rect->y) || !Finite(rect->width) || !Finite(rect->height) ||
        !Finite(degrees))
      return false;
    // The gradient runs along the angle; its ends are the rectangle's corners that project
    // furthest back and forward on that direction, so the whole rectangle spans 0..1.
    const double a = degrees * M_PI / 180, dx = std::cos(a), dy = std::sin(a);
    double lo = INFINITY, hi = -INFINITY;
    for (int c = 0; c < 4; ++c) {
      const double x = rect->x + (c & 1 ? rect->width : 0), y = rect->y + (c & 2 ? rect->height : 0);
      const double t = x * dx + y * dy;
      lo = std::min(lo, t), hi = std::max(hi, t);
    }
    if (hi - lo < 1e-6) hi = lo + 1e-6;
    ResetBrush(b, BrushKind::kLinear);
    b->x0 = dx * lo, b->y0 = dy * lo, b->x1 = dx * hi, b->y1 = dy * hi;
    b->colors = {argb1, argb2};
    b->positions = {0, 1};
    return true;
  });
}

LUMINAR_API BOOL NativeCreatePathGradientBrush(NativeBrush brush, const NativePointF* points, LONG count) {
  return kx2::Guard(FALSE, [&] {
    Brush* b = As<Brush>(brush, kLuminarBrush);
    if (!b || !points || count < 2) return false;
    for (LONG i = 0; i < count; ++i)
      if (!InRange(points[i].x) || !InRange(points[i].y)) return false;
    ResetBrush(b, BrushKind::kPath);
    SetBoundary(b, {std::vector<NativePointF>(points, points + count)});
    return true;
  });
}

LUMINAR_API BOOL NativeCreatePathGradientBrushFromPath(NativeBrush brush, NativePath path) {
  return kx2::Guard(FALSE, [&] {
    Brush* b = As<Brush>(brush, kLuminarBrush);
    Path* p = As<Path>(path, kLuminarPath);
    if (!b || !p || !p->filled) return false;
    auto polys = p->data.Flatten();
    if (polys.empty()) return false;
    for (const auto& poly : polys)
      for (const NativePointF& pt : poly)
        if (!InRange(pt.x) || !InRange(pt.y)) return false;
    ResetBrush(b, BrushKind::kPath);
    SetBoundary(b, std::move(polys));
    return true;
  });
}

LUMINAR_API BOOL NativeCreateTextureBrush(NativeBrush brush, NativeImage image, LONG wrap) {
  return kx2::Guard(FALSE, [&] {
    Brush* b = As<Brush>(brush, kLuminarBrush);
    Image* img = As<Image>(image, kLuminarImage);
    if (!b || !img || !img->type) return false;
    const int w = img->width, h = img->height;
    if (w <= 0 || h <= 0) return false;
    if (wrap < 0 || wrap > 4) wrap = 0;
    // Flipped wraps tile a picture of the image beside its mirror images.
    const int tw = (wrap == 1 || wrap == 3) ? 2 * w : w, th = (wrap == 2 || wrap == 3) ? 2 * h : h;
    SurfacePtr tile = NewImageSurface(tw, th);
    if (!tile) return false;
    ContextPtr cr(cairo_create(tile.get()));
    for (int fy = 0; fy < th / h; ++fy)
      for (int fx = 0; fx < tw / w; ++fx) {
        cairo_save(cr.get());
        cairo_translate(cr.get(), fx ? 2.0 * w : 0, fy ? 2.0 * h : 0);
        cairo_scale(cr.get(), fx ? -1 : 1, fy ? -1 : 1);
        cairo_set_source_surface(cr.get(), img->surface.get(), 0, 0);
        cairo_rectangle(cr.get(), 0, 0, w, h);
        cairo_fill(cr.get());
        cairo_restore(cr.get());
      }
    cr.reset();
    ResetBrush(b, BrushKind::kTexture);
    b->tile = std::move(tile);
    b->wrap = wrap;
    return true;
  });
}

LUMINAR_API LONG NativeLineBrushSetPresetBlend(NativeBrush brush, const DWORD* colors, const float* positions,
                                               LONG count) {
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&]() -> LONG {
    Brush* b = Filled(brush, BrushKind::kLinear);
    if (!b || !ValidBlend(colors, positions, count)) return kNativeBadArgument;
    StoreBlend(b, colors, positions, count);
    return kNativeOk;
  });
}

LUMINAR_API LONG NativePathBrushSetPresetBlend(NativeBrush brush, const DWORD* colors, const float* positions,
                                               LONG count) {
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&]() -> LONG {
    Brush* b = Filled(brush, BrushKind::kPath);
    if (!b || !ValidBlend(colors, positions, count)) return kNativeBadArgument;
    StoreBlend(b, colors, positions, count);
    return kNativeOk;
  });
}

LUMINAR_API LONG NativePathBrushSetCenterPoint(NativeBrush brush, const NativePointF* point) {
  Brush* b = Filled(brush, BrushKind::kPath);
  if (!b || !point || !InRange(point->x) || !InRange(point->y)) return kNativeBadArgument;
  b->center = *point;
  return kNativeOk;
}

LUMINAR_API LONG NativeLineBrushTranslate(NativeBrush h, float dx, float dy) {
  return Transform(h, BrushKind::kLinear, 0, dx, dy);
}
LUMINAR_API LONG NativeLineBrushScale(NativeBrush h, float sx, float sy) {
  return Transform(h, BrushKind::kLinear, 1, sx, sy);
}
LUMINAR_API LONG NativeLineBrushRotate(NativeBrush h, float degrees) {
  return Transform(h, BrushKind::kLinear, 2, degrees, 0);
}
LUMINAR_API LONG NativePathBrushTranslate(NativeBrush h, float dx, float dy) {
  return Transform(h, BrushKind::kPath, 0, dx, dy);
}
LUMINAR_API LONG NativePathBrushScale(NativeBrush h, float sx, float sy) {
  return Transform(h, BrushKind::kPath, 1, sx, sy);
}
LUMINAR_API LONG NativePathBrushRotate(NativeBrush h, float degrees) {
  return Transform(h, BrushKind::kPath, 2, degrees, 0);
}
LUMINAR_API LONG NativeTextureBrushTranslate(NativeBrush h, float dx, float dy) {
  return Transform(h, BrushKind::kTexture, 0, dx, dy);
}
LUMINAR_API LONG NativeTextureBrushScale(NativeBrush h, float sx, float sy) {
  return Transform(h, BrushKind::kTexture, 1, sx, sy);
}
LUMINAR_API LONG NativeTextureBrushRotate(NativeBrush h, float degrees) {
  return Transform(h, BrushKind::kTexture, 2, degrees, 0);
}

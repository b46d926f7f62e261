// Painting a shape's coverage: Cairo draws the shape into an 8-bit coverage mask, our own
// code applies the pen or brush colour under the clip and the ROP2 mode, writing 0 into
// the fourth byte as GDI does. A DC over a surface that is not an image is drawn by Cairo.
#include <cairo.h>

#include "Dc.h"

namespace kx2::gdi {
namespace {

uint32_t Rop2(int code, uint32_t p, uint32_t d) {
  const unsigned table = static_cast<unsigned>(code - 1) & 0xF;
  uint32_t r = 0;
  for (unsigned i = 0; i < 4; ++i)
    if (table >> i & 1) r |= ((i & 2) ? p : ~p) & ((i & 1) ? d : ~d);
  return r & 0xFFFFFF;
}

inline uint32_t Blend(uint32_t s, uint32_t d, unsigned m) {
  const unsigned n = 255 - m;
  const uint32_t r = ((((s >> 16) & 0xFF) * m + ((d >> 16) & 0xFF) * n + 127) / 255) << 16;
  const uint32_t g = ((((s >> 8) & 0xFF) * m + ((d >> 8) & 0xFF) * n + 127) / 255) << 8;
  const uint32_t b = (((s & 0xFF) * m + (d & 0xFF) * n + 127) / 255);
  return r | g | b;
}

constexpr uint32_t kTransparent = 0x80000000u;

bool HatchBit(int hatch, int x, int y) {
  x &= 7, y &= 7;
  switch (hatch) {
    case HS_HORIZONTAL:
      return y == 7;
    case HS_VERTICAL:
      return x == 7;
    case HS_FDIAGONAL:
      return x == y;
    case HS_BDIAGONAL:
      return x + y == 7;
    case HS_CROSS:
      return x == 7 || y == 7;
    case HS_DIAGCROSS:
      return x == y || x + y == 7;
    default:
      return false;
  }
}

void SetSourceColour(cairo_t* cr, uint32_t pixel) {
  cairo_set_source_rgb(cr, ((pixel >> 16) & 0xFF) / 255.0, ((pixel >> 8) & 0xFF) / 255.0, (pixel & 0xFF) / 255.0);
}

}  // namespace

uint32_t Dc::PatternPixel(const Brush& brush, int x, int y) const {
  switch (brush.style) {
    case BS_HATCHED:
      if (HatchBit(brush.hatch, x - state.brushOrg.x, y - state.brushOrg.y)) return PixelOf(brush.color);
      return state.bkMode == OPAQUE ? PixelOf(state.bkColor) : kTransparent;
    case BS_PATTERN:
    case BS_DIBPATTERN:
    case BS_DIBPATTERNPT: {
      if (brush.pattern.empty()) return PixelOf(brush.color);
      int px = (x - state.brushOrg.x) % brush.patternWidth, py = (y - state.brushOrg.y) % brush.patternHeight;
      if (px < 0) px += brush.patternWidth;
      if (py < 0) py += brush.patternHeight;
      const uint32_t p = brush.pattern[static_cast<size_t>(py) * brush.patternWidth + px];
      // A 1-bit pattern takes the DC's text (0) and background (1) colours.
      if (brush.patternMono) return PixelOf((p & 0xFFFFFF) ? state.bkColor : state.textColor);
      return p & 0xFFFFFF;
    }
    default:
      return PixelOf(brush.color);
  }
}

Paint Dc::BrushPaint(const Brush* brush) const {
  Paint p;
  if (!brush || brush->style == BS_NULL) return p;
  if (brush->handle == GetStockObject(DC_BRUSH)) {
    p.kind = Paint::kSolid;
    p.pixel = PixelOf(state.dcBrushColor);
    return p;
  }
  if (brush->style == BS_SOLID) {
    p.kind = Paint::kSolid;
    p.pixel = PixelOf(brush->color);
  } else {
    p.kind = Paint::kBrush;
    p.brush = brush;
  }
  return p;
}

Paint Dc::PenPaint() const {
  Paint p;
  const Pen* pen = state.pen.get();
  if (!pen || pen->Kind() == PS_NULL) return p;
  p.kind = Paint::kSolid;
  p.pixel = PixelOf(pen->handle == GetStockObject(DC_PEN) ? state.dcPenColor : pen->color);
  return p;
}

void Dc::PaintShape(RECT bounds, const Paint& paint, bool antialias, const std::function<void(cairo_t*)>& emit) {
  if (paint.kind == Paint::kNone) return;
  Bitmap* target = Target();
  if (!target) {
    if (!outside) return;
    // An outside surface that is not an image: Cairo draws directly.
    cairo_t* cr = cairo_create(outside);
    if (state.clip) {
      for (const RECT& r : *state.clip) cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
      cairo_clip(cr);
    }
    SetSourceColour(cr, paint.kind == Paint::kSolid ? paint.pixel : PixelOf(paint.brush->color));
    cairo_set_antialias(cr, antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    emit(cr);
    cairo_destroy(cr);
    return;
  }
  const RECT box = IntersectRects(bounds, ClipBox());
  if (EmptyRect(box)) return;
  const int w = box.right - box.left, h = box.bottom - box.top;
  const int maskStride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, w);
  thread_local std::vector<uint8_t> mask;
  mask.assign(static_cast<size_t>(maskStride) * static_cast<size_t>(h), 0);
  cairo_surface_t* surface = cairo_image_surface_create_for_data(mask.data(), CAIRO_FORMAT_A8, w, h, maskStride);
  cairo_t* cr = cairo_create(surface);
  cairo_translate(cr, -box.left, -box.top);
  cairo_set_source_rgba(cr, 0, 0, 0, 1);
  cairo_set_antialias(cr, antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
  emit(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_surface_destroy(surface);

  const bool mono = Mono();
  const int rop2 = state.rop2;
  const Rects clip = state.clip ? CombineRegions(*state.clip, RectRegion(box), RGN_AND) : RectRegion(box);
  for (const RECT& r : clip) {
    for (int y = r.top; y < r.bottom; ++y) {
      const uint8_t* m = mask.data() + static_cast<size_t>(y - box.top) * maskStride - box.left;
      uint32_t* row = target->Row(y);
      for (int x = r.left; x < r.right; ++x) {
        unsigned coverage = m[x];
        if (!coverage) continue;
        uint32_t s = paint.kind == Paint::kSolid ? paint.pixel : PatternPixel(*paint.brush, x, y);
        if (s & kTransparent) continue;
        if (mono) {
          s = MonoOf(s);
          if (coverage < 128) continue;
          coverage = 255;
        }
        const uint32_t d = row[x] & 0xFFFFFF;
        if (rop2 == R2_COPYPEN)
          row[x] = coverage == 255 ? s : Blend(s, d, coverage);
        else if (coverage >= 128)
          row[x] = Rop2(rop2, s, d);
      }
    }
  }
}

}  // namespace kx2::gdi

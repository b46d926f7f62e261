// Painting a shape's coverage: Cairo draws the shape into an 8-bit coverage mask, our own
// code applies the pen or brush colour under the clip and the ROP2 mode, writing 0 into
// the fourth byte as GDI does. A DC over a surface that is not an image is drawn by Cairo.
#include <cairo.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstring>

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

// s over d with coverage m (0..255), red and blue in one word, green in another.
inline uint32_t Blend(uint32_t s, uint32_t d, unsigned m) {
  const unsigned n = 255 - m;
  uint32_t rb = (s & 0xFF00FF) * m + (d & 0xFF00FF) * n;
  uint32_t g = ((s >> 8) & 0xFF) * m + ((d >> 8) & 0xFF) * n;
  rb = ((rb + 0x800080 + ((rb >> 8) & 0xFF00FF)) >> 8) & 0xFF00FF;
  g = ((g + 0x80 + ((g + 0x80) >> 8)) >> 8) & 0xFF;
  return rb | g << 8;
}

#if defined(__SSE2__)
// Blends `s` over row[x..end) four pixels at a time, as Blend does one; returns where the
// four-pixel steps stopped.
int BlendFour(uint32_t* row, const uint8_t* m, int x, int end, uint32_t s) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i solid = _mm_set1_epi32(static_cast<int>(s));
  const __m128i s16 = _mm_unpacklo_epi8(solid, zero);
  const __m128i full = _mm_set1_epi16(255), half = _mm_set1_epi16(128);
  const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
  for (; x + 4 <= end; x += 4) {
    uint32_t c4;
    std::memcpy(&c4, m + x, 4);
    if (!c4) continue;
    auto* p = reinterpret_cast<__m128i*>(row + x);
    if (c4 == 0xFFFFFFFFu) {
      _mm_storeu_si128(p, solid);
      continue;
    }
    const __m128i d = _mm_loadu_si128(p);
    __m128i cv = _mm_cvtsi32_si128(static_cast<int>(c4));
    cv = _mm_unpacklo_epi8(cv, cv);
    cv = _mm_unpacklo_epi16(cv, cv);
    const __m128i mlo = _mm_unpacklo_epi8(cv, zero), mhi = _mm_unpackhi_epi8(cv, zero);
    const __m128i dlo = _mm_unpacklo_epi8(d, zero), dhi = _mm_unpackhi_epi8(d, zero);
    __m128i lo = _mm_add_epi16(_mm_mullo_epi16(s16, mlo), _mm_mullo_epi16(dlo, _mm_sub_epi16(full, mlo)));
    __m128i hi = _mm_add_epi16(_mm_mullo_epi16(s16, mhi), _mm_mullo_epi16(dhi, _mm_sub_epi16(full, mhi)));
    lo = _mm_add_epi16(lo, half);
    hi = _mm_add_epi16(hi, half);
    lo = _mm_srli_epi16(_mm_add_epi16(lo, _mm_srli_epi16(lo, 8)), 8);
    hi = _mm_srli_epi16(_mm_add_epi16(hi, _mm_srli_epi16(hi, 8)), 8);
    _mm_storeu_si128(p, _mm_and_si128(_mm_packus_epi16(lo, hi), colour));
  }
  return x;
}
#endif

// `count` pixels set to `pixel`, sixteen bytes a store where the processor allows.
void FillRow(uint32_t* row, int count, uint32_t pixel) {
  int x = 0;
#if defined(__SSE2__)
  const __m128i four = _mm_set1_epi32(static_cast<int>(pixel));
  for (; x + 8 <= count; x += 8) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), four);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x + 4), four);
  }
#endif
  for (; x < count; ++x) row[x] = pixel;
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
    if (const std::optional<Rects> clip = Clip()) {
      for (const RECT& r : *clip) cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
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

  const Rects clip = CombineRegions(ClipRects(), RectRegion(box), RGN_AND);
  PaintCoverage(mask.data(), maskStride, box, paint, clip);
}

void Dc::PaintCoverage(const uint8_t* coverage, ptrdiff_t pitch, const RECT& area, const Paint& paint,
                       const Rects& clip) {
  Bitmap* target = Target();
  if (!target || paint.kind == Paint::kNone) return;
  const bool mono = Mono();
  const int rop2 = state.rop2;
  if (paint.kind == Paint::kSolid && !mono && rop2 == R2_COPYPEN) {
    // The common case (text and shapes in one colour) in a loop of its own.
    const uint32_t s = paint.pixel & 0xFFFFFF;
    for (const RECT& c : clip) {
      const RECT r = IntersectRects(c, area);
      for (int y = r.top; y < r.bottom; ++y) {
        const uint8_t* m = coverage + static_cast<ptrdiff_t>(y - area.top) * pitch - area.left;
        uint32_t* row = target->Row(y);
        int x = r.left;
#if defined(__SSE2__)
        x = BlendFour(row, m, x, r.right, s);
#endif
        for (; x < r.right; ++x) {
          const unsigned cover = m[x];
          if (cover == 255)
            row[x] = s;
          else if (cover)
            row[x] = Blend(s, row[x], cover);
        }
      }
    }
    return;
  }
  for (const RECT& c : clip) {
    const RECT r = IntersectRects(c, area);
    for (int y = r.top; y < r.bottom; ++y) {
      const uint8_t* m = coverage + static_cast<ptrdiff_t>(y - area.top) * pitch - area.left;
      uint32_t* row = target->Row(y);
      for (int x = r.left; x < r.right; ++x) {
        unsigned cover = m[x];
        if (!cover) continue;
        uint32_t s = paint.kind == Paint::kSolid ? paint.pixel : PatternPixel(*paint.brush, x, y);
        if (s & kTransparent) continue;
        if (mono) {
          s = MonoOf(s);
          if (cover < 128) continue;
          cover = 255;
        }
        const uint32_t d = row[x] & 0xFFFFFF;
        if (rop2 == R2_COPYPEN)
          row[x] = cover == 255 ? s : Blend(s, d, cover);
        else if (cover >= 128)
          row[x] = Rop2(rop2, s, d);
      }
    }
  }
}

void Dc::PaintRect(const RECT& rect, const Paint& paint) {
  Bitmap* target = Target();
  if (!target || paint.kind == Paint::kNone) return;
  // Every pixel of the rectangle is fully covered: no mask is needed, only the clip.
  const std::optional<Rects> clip = Clip();
  const Rects parts = clip ? CombineRegions(*clip, RectRegion(IntersectRects(rect, Bounds())), RGN_AND)
                           : RectRegion(IntersectRects(rect, Bounds()));
  const bool mono = Mono();
  const int rop2 = state.rop2;
  const bool plain = paint.kind == Paint::kSolid && !mono && rop2 == R2_COPYPEN;
  for (const RECT& r : parts) {
    if (EmptyRect(r)) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      uint32_t* row = target->Row(y);
      if (plain) {
        FillRow(row + r.left, r.right - r.left, paint.pixel & 0xFFFFFF);
        continue;
      }
      for (int x = r.left; x < r.right; ++x) {
        uint32_t s = paint.kind == Paint::kSolid ? paint.pixel : PatternPixel(*paint.brush, x, y);
        if (s & kTransparent) continue;
        if (mono) s = MonoOf(s);
        row[x] = rop2 == R2_COPYPEN ? s : Rop2(rop2, s, row[x] & 0xFFFFFF);
      }
    }
  }
}

}  // namespace kx2::gdi

// Blits: our own raster code over 32-bit pixels.
#include <cairo.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>

#include "Blit.h"

namespace kx2::gdi {
namespace {

// For each destination column (or row), the range of source columns it takes
// [first, last], or first = -1 when it falls outside the source.
struct Span {
  int first, last;
};

std::vector<Span> MapAxis(int dstLength, int srcStart, int srcLength, bool flip, int srcLimit, bool combine) {
  std::vector<Span> map(static_cast<size_t>(dstLength));
  for (int i = 0; i < dstLength; ++i) {
    const int j = flip ? dstLength - 1 - i : i;
    int first, last;
    if (combine && srcLength > dstLength) {
      first = static_cast<int>(int64_t(j) * srcLength / dstLength);
      last = static_cast<int>((int64_t(j + 1) * srcLength + dstLength - 1) / dstLength) - 1;
      if (last < first) last = first;
    } else {
      first = last = static_cast<int>((int64_t(2 * j + 1) * srcLength) / (int64_t(2) * dstLength));
    }
    first += srcStart, last += srcStart;
    if (first < 0) first = 0;
    if (last >= srcLimit) last = srcLimit - 1;
    if (first > last || first >= srcLimit || last < 0) first = last = -1;
    map[static_cast<size_t>(i)] = Span{first, last};
  }
  return map;
}

// Copies a row of pixels. Rows of two surfaces are copied 16 bytes at a time: glibc's
// string-instruction copy is several times slower on rows whose addresses alias.
// Large copies (`stream`) write around the cache: the destination is not read first, and
// a picture larger than the cache would only evict what is worth keeping.
void CopyPixels(uint32_t* d, const uint32_t* s, size_t n, bool stream) {
#if defined(__SSE2__)
  const auto* sb = reinterpret_cast<const char*>(s);
  auto* db = reinterpret_cast<char*>(d);
  if (db + n * 4 <= sb || sb + n * 4 <= db) {
    size_t i = 0;
    // Aligned stores, as the destination row allows.
    for (; i < n && (reinterpret_cast<uintptr_t>(d + i) & 15); ++i) d[i] = s[i];
    for (; i + 16 <= n; i += 16) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 4));
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 8));
      const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 12));
      if (stream) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + i), a);
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + i + 4), b);
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + i + 8), c);
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + i + 12), e);
      } else {
        _mm_store_si128(reinterpret_cast<__m128i*>(d + i), a);
        _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 4), b);
        _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 8), c);
        _mm_store_si128(reinterpret_cast<__m128i*>(d + i + 12), e);
      }
    }
    for (; i < n; ++i) d[i] = s[i];
    return;
  }
#endif
  (void)stream;
  std::memmove(d, s, n * 4);
}

uint32_t Average(const BlitSource& s, Span xs, Span ys) {
  uint64_t r = 0, g = 0, b = 0, a = 0, n = 0;
  for (int y = ys.first; y <= ys.last; ++y)
    for (int x = xs.first; x <= xs.last; ++x) {
      const uint32_t p = s.base[y * s.stride + x];
      a += p >> 24, r += (p >> 16) & 0xFF, g += (p >> 8) & 0xFF, b += p & 0xFF, ++n;
    }
  return uint32_t((a + n / 2) / n) << 24 | uint32_t((r + n / 2) / n) << 16 | uint32_t((g + n / 2) / n) << 8 |
         uint32_t((b + n / 2) / n);
}

}  // namespace

BlitSource SourceOf(Dc& dc) {
  BlitSource s;
  Bitmap* b = dc.Target();
  if (!b) return s;
  b->ImportDib();
  s.base = b->pixels;
  s.stride = b->stride;
  s.width = b->width;
  s.height = b->height;
  s.mono = b->bitsPixel == 1;
  s.bkColor = dc.state.bkColor;
  return s;
}

bool Blit(Dc& dst, int dx, int dy, int dw, int dh, const BlitSource* src, int sx, int sy, int sw, int sh,
          unsigned foreground, unsigned background, const Bitmap* mask, int mx, int my) {
  const bool usesSource = RopUsesSource(foreground) || (mask && RopUsesSource(background));
  const bool usesPattern = RopUsesPattern(foreground) || (mask && RopUsesPattern(background));
  if (usesSource && (!src || !src->base)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  bool flipX = false, flipY = false;
  // A negative extent runs back from its origin pixel, which it includes.
  if (dw < 0) dx += dw + 1, dw = -dw, flipX = !flipX;
  if (dh < 0) dy += dh + 1, dh = -dh, flipY = !flipY;
  if (usesSource) {
    if (sw < 0) sx += sw + 1, sw = -sw, flipX = !flipX;
    if (sh < 0) sy += sh + 1, sh = -sh, flipY = !flipY;
    if (sw == 0 || sh == 0) return true;
  }
  if (dw == 0 || dh == 0) return true;
  Bitmap* target = dst.Target();
  if (!target) {
    if (!dst.outside || !usesSource) return true;
    // A surface Cairo alone can draw on: the source is painted, scaled, whatever the code.
    cairo_surface_t* image = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(src->base)), CAIRO_FORMAT_RGB24, src->width, src->height,
        static_cast<int>(src->stride * 4));
    cairo_t* cr = cairo_create(dst.outside);
    if (const std::optional<Rects> dstClip = dst.Clip()) {
      for (const RECT& r : *dstClip) cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
      cairo_clip(cr);
    }
    cairo_rectangle(cr, dx, dy, dw, dh);
    cairo_clip(cr);
    cairo_translate(cr, dx + (flipX ? dw : 0), dy + (flipY ? dh : 0));
    cairo_scale(cr, (flipX ? -1.0 : 1.0) * dw / sw, (flipY ? -1.0 : 1.0) * dh / sh);
    cairo_set_source_surface(cr, image, -sx, -sy);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(image);
    return true;
  }

  const RECT area = IntersectRects(RECT{dx, dy, dx + dw, dy + dh}, dst.ClipBox());
  if (EmptyRect(area)) return true;
  const Rects clip = CombineRegions(dst.ClipRects(), RectRegion(area), RGN_AND);
  const bool dstMono = target->bitsPixel == 1;
  const Paint pattern = dst.BrushPaint(dst.state.brush.get());
  const uint32_t dstText = PixelOf(dst.state.textColor), dstBk = PixelOf(dst.state.bkColor);

  // Source pixels as the destination sees them.
  auto convert = [&](uint32_t s) -> uint32_t {
    if (src->mono && !dstMono) return (s & 0xFFFFFF) ? dstBk : dstText;
    if (!src->mono && dstMono) return (s & 0xFFFFFF) == PixelOf(src->bkColor) ? 0xFFFFFFu : 0u;
    return s;
  };
  auto patternAt = [&](int x, int y) -> uint32_t {
    uint32_t p = 0;
    if (pattern.kind == Paint::kSolid)
      p = pattern.pixel;
    else if (pattern.kind == Paint::kBrush) {
      p = dst.PatternPixel(*pattern.brush, x, y);
      if (p & 0x80000000u) p = dstBk;
    }
    return dstMono ? MonoOf(p) : p & 0xFFFFFF;
  };

  const bool plain = usesSource && sw == dw && sh == dh && !flipX && !flipY;
  // The quick copy: same size, SRCCOPY, same kind of surface.
  if (plain && !mask && foreground == 0xCC && src->mono == dstMono) {
    const bool stream = int64_t(area.right - area.left) * (area.bottom - area.top) * 4 >= (int64_t(4) << 20);
    for (const RECT& r : clip) {
      for (int y = r.top; y < r.bottom; ++y) {
        const int syy = sy + (y - dy);
        if (syy < 0 || syy >= src->height) continue;
        int x0 = r.left, x1 = r.right;
        const int off = sx - dx;
        if (x0 + off < 0) x0 = -off;
        if (x1 + off > src->width) x1 = src->width - off;
        if (x1 <= x0) continue;
        CopyPixels(target->Row(y) + x0, src->base + syy * src->stride + x0 + off, size_t(x1 - x0), stream);
      }
    }
#if defined(__SSE2__)
    if (stream) _mm_sfence();
#endif
    return true;
  }

  const int mode = dst.state.stretchMode;
  const bool combine = usesSource && mode != COLORONCOLOR;
  std::vector<Span> xmap, ymap;
  if (usesSource) {
    xmap = MapAxis(dw, sx, sw, flipX, src->width, combine);
    ymap = MapAxis(dh, sy, sh, flipY, src->height, combine);
  }
  // The quick stretch: SRCCOPY between colour surfaces where every destination pixel takes
  // exactly one source pixel (COLORONCOLOR, or any mode when enlarging). Skins stretch
  // their edges and centres this way on every paint.
  if (usesSource && !mask && foreground == 0xCC && !src->mono && !dstMono && (!combine || (sw <= dw && sh <= dh))) {
    for (const RECT& r : clip) {
      for (int y = r.top; y < r.bottom; ++y) {
        const Span ys = ymap[static_cast<size_t>(y - dy)];
        if (ys.first < 0) continue;
        const uint32_t* from = src->base + ys.first * src->stride;
        uint32_t* row = target->Row(y);
        for (int x = r.left; x < r.right; ++x) {
          const int xs = xmap[static_cast<size_t>(x - dx)].first;
          if (xs >= 0) row[x] = from[xs];
        }
      }
    }
    return true;
  }
  auto sample = [&](int x, int y) -> uint32_t {
    const Span xs = xmap[static_cast<size_t>(x - dx)], ys = ymap[static_cast<size_t>(y - dy)];
    if (xs.first == xs.last && ys.first == ys.last) return convert(src->base[ys.first * src->stride + xs.first]);
    if (mode == HALFTONE) return convert(Average(*src, xs, ys));
    // Shrinking keeps black (AND) or white (OR) pixels of the rows and columns it drops.
    uint32_t acc = mode == WHITEONBLACK ? 0u : 0xFFFFFFFFu;
    for (int yy = ys.first; yy <= ys.last; ++yy)
      for (int xx = xs.first; xx <= xs.last; ++xx) {
        const uint32_t p = convert(src->base[yy * src->stride + xx]);
        acc = mode == WHITEONBLACK ? (acc | p) : (acc & p);
      }
    return acc;
  };

  for (const RECT& r : clip) {
    for (int y = r.top; y < r.bottom; ++y) {
      if (usesSource && ymap[static_cast<size_t>(y - dy)].first < 0) continue;
      uint32_t* row = target->Row(y);
      for (int x = r.left; x < r.right; ++x) {
        uint32_t s = 0;
        if (usesSource) {
          if (xmap[static_cast<size_t>(x - dx)].first < 0) continue;
          s = sample(x, y);
        }
        unsigned code = foreground;
        if (mask) {
          const int mxx = mx + (x - dx), myy = my + (y - dy);
          const bool on =
              mxx >= 0 && myy >= 0 && mxx < mask->width && myy < mask->height && (mask->Row(myy)[mxx] & 0xFFFFFF) != 0;
          code = on ? foreground : background;
        }
        const uint32_t p = usesPattern ? patternAt(x, y) : 0;
        uint32_t out;
        if (code == 0xCC)
          out = s;
        else {
          out = Rop3(code, p, s, row[x]);
          // The fourth byte comes from the source or is cleared, as GDI drawing clears it.
          if (!RopUsesSource(code)) out &= 0xFFFFFF;
        }
        row[x] = dstMono ? (out & 0xFFFFFF ? MonoOf(out) : 0u) : out;
      }
    }
  }
  return true;
}

namespace {

std::mutex& JournalLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}
std::string& JournalText() {
  static std::string* text = new std::string;
  return *text;
}
std::atomic<bool> g_journal{false};

}  // namespace

bool JournalOn() { return g_journal.load(std::memory_order_relaxed); }

void JournalAdd(const std::string& line) {
  std::lock_guard<std::mutex> guard(JournalLock());
  JournalText() += line;
  JournalText() += '\n';
}

}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT void Kx2GdiJournalEnable(BOOL on) { g_journal.store(on != FALSE); }
KX2_EXPORT void Kx2GdiJournalClear() {
  std::lock_guard<std::mutex> guard(JournalLock());
  JournalText().clear();
}
KX2_EXPORT size_t Kx2GdiJournalRead(char* buffer, size_t size) {
  std::lock_guard<std::mutex> guard(JournalLock());
  const std::string& text = JournalText();
  if (buffer && size) {
    const size_t n = std::min(size - 1, text.size());
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
  }
  return text.size() + 1;
}

namespace {

void JournalBlit(const char* name, int x, int y, int w, int h, int sx, int sy, int sw, int sh, DWORD rop) {
  if (!JournalOn()) return;
  char line[160];
  std::snprintf(line, sizeof line, "%s %d,%d %dx%d from %d,%d %dx%d rop %08" PRIX32, name, x, y, w, h, sx, sy, sw, sh,
                rop);
  JournalAdd(line);
}

// Logical rectangle (x, y, w, h) in device units.
void ToDeviceRect(const Dc& dc, int& x, int& y, int& w, int& h) {
  const POINT a = dc.ToDevice(x, y), b = dc.ToDevice(x + w, y + h);
  x = a.x, y = a.y, w = b.x - a.x, h = b.y - a.y;
}

// A mirrored DC turns a blit's image round with its coordinates; this turns it back, over
// the same device pixels, where the image must keep its orientation.
void KeepOrientation(const Dc& dc, int& x, int& w) {
  if (!dc.Mirrored()) return;
  x += w;
  w = -w;
}

bool KeepsOrientation(const Dc& dc, bool noMirror) {
  return dc.Mirrored() && (noMirror || (dc.layout & LAYOUT_BITMAPORIENTATIONPRESERVED));
}

BOOL StretchBltImpl(const char* name, HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                    int ySrc, int wSrc, int hSrc, DWORD rop, HBITMAP mask, int xMask, int yMask,
                    bool noMirror = false) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto dst = LookupDc(hdcDest);
    if (!dst) return BadHandle(FALSE);
    const unsigned fore = (rop >> 16) & 0xFF, back = (rop >> 24) & 0xFF;
    std::shared_ptr<Dc> src;
    if (RopUsesSource(fore) || (mask && RopUsesSource(back))) {
      src = LookupDc(hdcSrc);
      if (!src) return BadHandle(FALSE);
    }
    std::shared_ptr<Bitmap> maskBitmap;
    if (mask) {
      maskBitmap = LookupAs<Bitmap>(mask);
      if (!maskBitmap) return BadHandle(FALSE);
      if (maskBitmap->bitsPixel != 1 && !maskBitmap->IsDibSection()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      maskBitmap->ImportDib();
    }
    JournalBlit(name, xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc, rop);
    ToDeviceRect(*dst, xDest, yDest, wDest, hDest);
    if (KeepsOrientation(*dst, noMirror))
      KeepOrientation(*dst, xDest, wDest);
    else if (dst->Mirrored())
      xDest -= 1;  // a reversed extent starts at its origin pixel, left of the origin edge
    BlitSource source;
    if (src) {
      ToDeviceRect(*src, xSrc, ySrc, wSrc, hSrc);
      source = SourceOf(*src);
    }
    Dc::DrawScope scope(*dst);
    return Blit(*dst, xDest, yDest, wDest, hDest, src ? &source : nullptr, xSrc, ySrc, wSrc, hSrc, fore,
                mask ? back : fore, maskBitmap.get(), xMask, yMask)
               ? TRUE
               : FALSE;
  });
}

}  // namespace

KX2_EXPORT BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  return StretchBltImpl("BitBlt", hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop & ~NOMIRRORBITMAP, nullptr, 0, 0,
                        (rop & NOMIRRORBITMAP) != 0);
}

KX2_EXPORT BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                           int wSrc, int hSrc, DWORD rop) {
  return StretchBltImpl("StretchBlt", hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc,
                        rop & ~NOMIRRORBITMAP, nullptr, 0, 0, (rop & NOMIRRORBITMAP) != 0);
}

KX2_EXPORT BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  if (RopUsesSource((rop >> 16) & 0xFF)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return StretchBltImpl("PatBlt", hdc, x, y, w, h, nullptr, 0, 0, w, h, rop, nullptr, 0, 0);
}

KX2_EXPORT BOOL MaskBlt(HDC hdcDest, int xDest, int yDest, int width, int height, HDC hdcSrc, int xSrc, int ySrc,
                        HBITMAP hbmMask, int xMask, int yMask, DWORD rop) {
  if (!hbmMask) rop = (rop & 0x00FFFFFF);
  return StretchBltImpl("MaskBlt", hdcDest, xDest, yDest, width, height, hdcSrc, xSrc, ySrc, width, height, rop,
                        hbmMask, xMask, yMask);
}

KX2_EXPORT BOOL AlphaBlend(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                           int wSrc, int hSrc, BLENDFUNCTION ftn) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto dst = LookupDc(hdcDest);
    auto src = LookupDc(hdcSrc);
    if (!dst || !src) return BadHandle(FALSE);
    if (wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0 || ftn.BlendOp != AC_SRC_OVER) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    JournalBlit("AlphaBlend", xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc, ftn.SourceConstantAlpha);
    ToDeviceRect(*dst, xDest, yDest, wDest, hDest);
    ToDeviceRect(*src, xSrc, ySrc, wSrc, hSrc);
    // These blits never mirror: a mirrored DC keeps the image's orientation.
    KeepOrientation(*dst, xDest, wDest);
    KeepOrientation(*src, xSrc, wSrc);
    const BlitSource s = SourceOf(*src);
    Bitmap* target = dst->Target();
    if (!s.base || !target || wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0) return TRUE;
    if (xSrc < 0 || ySrc < 0 || xSrc + wSrc > s.width || ySrc + hSrc > s.height) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    Dc::DrawScope scope(*dst);
    const unsigned sca = ftn.SourceConstantAlpha;
    const bool perPixel = (ftn.AlphaFormat & AC_SRC_ALPHA) != 0;
    const RECT area = IntersectRects(RECT{xDest, yDest, xDest + wDest, yDest + hDest}, dst->ClipBox());
    const Rects clip = CombineRegions(dst->ClipRects(), RectRegion(area), RGN_AND);
    for (const RECT& r : clip)
      for (int y = r.top; y < r.bottom; ++y) {
        const int syy = ySrc + static_cast<int>(int64_t(2 * (y - yDest) + 1) * hSrc / (2 * int64_t(hDest)));
        uint32_t* row = target->Row(y);
        for (int x = r.left; x < r.right; ++x) {
          const int sxx = xSrc + static_cast<int>(int64_t(2 * (x - xDest) + 1) * wSrc / (2 * int64_t(wDest)));
          const uint32_t sp = s.base[syy * s.stride + sxx], dp = row[x];
          uint32_t out = 0;
          // Premultiplied source: each channel scaled by the constant alpha, the
          // destination by what the source's alpha leaves.
          const unsigned sa = perPixel ? ((sp >> 24) * sca + 127) / 255 : sca;
          for (int shift = 0; shift < 32; shift += 8) {
            const unsigned sc = (sp >> shift) & 0xFF, dc = (dp >> shift) & 0xFF;
            unsigned v;
            if (perPixel)
              v = (sc * sca + 127) / 255 + (dc * (255 - sa) + 127) / 255;
            else
              v = (sc * sca + dc * (255 - sca) + 127) / 255;
            out |= (v > 255 ? 255u : v) << shift;
          }
          row[x] = out;
        }
      }
    return TRUE;
  });
}

KX2_EXPORT BOOL TransparentBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                               int wSrc, int hSrc, UINT crTransparent) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto dst = LookupDc(hdcDest);
    auto src = LookupDc(hdcSrc);
    if (!dst || !src) return BadHandle(FALSE);
    if (wDest <= 0 || hDest <= 0 || wSrc <= 0 || hSrc <= 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    JournalBlit("TransparentBlt", xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc, crTransparent);
    ToDeviceRect(*dst, xDest, yDest, wDest, hDest);
    ToDeviceRect(*src, xSrc, ySrc, wSrc, hSrc);
    // These blits never mirror: a mirrored DC keeps the image's orientation.
    KeepOrientation(*dst, xDest, wDest);
    KeepOrientation(*src, xSrc, wSrc);
    const BlitSource s = SourceOf(*src);
    Bitmap* target = dst->Target();
    if (!s.base || !target) return TRUE;
    Dc::DrawScope scope(*dst);
    const uint32_t key = PixelOf(crTransparent);
    const RECT area = IntersectRects(RECT{xDest, yDest, xDest + wDest, yDest + hDest}, dst->ClipBox());
    const Rects clip = CombineRegions(dst->ClipRects(), RectRegion(area), RGN_AND);
    const uint32_t text = PixelOf(dst->state.textColor), bk = PixelOf(dst->state.bkColor);
    for (const RECT& r : clip)
      for (int y = r.top; y < r.bottom; ++y) {
        const int syy = ySrc + static_cast<int>(int64_t(2 * (y - yDest) + 1) * hSrc / (2 * int64_t(hDest)));
        if (syy < 0 || syy >= s.height) continue;
        uint32_t* row = target->Row(y);
        for (int x = r.left; x < r.right; ++x) {
          const int sxx = xSrc + static_cast<int>(int64_t(2 * (x - xDest) + 1) * wSrc / (2 * int64_t(wDest)));
          if (sxx < 0 || sxx >= s.width) continue;
          uint32_t p = s.base[syy * s.stride + sxx];
          if ((p & 0xFFFFFF) == key) continue;
          if (s.mono) p = (p & 0xFFFFFF) ? bk : text;
          row[x] = target->bitsPixel == 1 ? MonoOf(p) : p;
        }
      }
    return TRUE;
  });
}

namespace {

// A DIB's rows [first, first + count) in scan order as a top-down source image.
struct DibImage {
  std::vector<uint32_t> pixels;
  BlitSource source;
};

bool ReadDibImage(const BITMAPINFO* info, UINT usage, const void* bits, UINT firstScan, UINT scans, DibImage* out,
                  DibFormat* format) {
  if (!bits || !ReadDibFormat(info, usage, format)) return false;
  const DibFormat& f = *format;
  out->pixels.assign(static_cast<size_t>(f.width) * static_cast<size_t>(f.height), 0);
  const auto* data = static_cast<const uint8_t*>(bits);
  for (UINT i = 0; i < scans; ++i) {
    const UINT scan = firstScan + i;
    if (scan >= static_cast<UINT>(f.height)) break;
    const int y = f.topDown ? static_cast<int>(scan) : f.height - 1 - static_cast<int>(scan);
    DibRowToPixels(f, data + f.stride * i, out->pixels.data() + static_cast<size_t>(y) * f.width, f.width);
  }
  out->source.base = out->pixels.data();
  out->source.stride = f.width;
  out->source.width = f.width;
  out->source.height = f.height;
  return true;
}

}  // namespace

KX2_EXPORT int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                             int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage,
                             DWORD rop) {
  return kx2::Guard(0, [&]() -> int {
    auto dst = LookupDc(hdc);
    if (!dst) return BadHandle(0);
    DibImage image;
    DibFormat f;
    const unsigned code = (rop >> 16) & 0xFF;
    if (RopUsesSource(code) && !ReadDibImage(lpbmi, iUsage, lpBits, 0, 32767, &image, &f)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    JournalBlit("StretchDIBits", xDest, yDest, DestWidth, DestHeight, xSrc, ySrc, SrcWidth, SrcHeight, rop);
    // The source rectangle's y counts from the bottom of a bottom-up DIB.
    if (RopUsesSource(code) && !f.topDown) ySrc = f.height - ySrc - SrcHeight;
    ToDeviceRect(*dst, xDest, yDest, DestWidth, DestHeight);
    Dc::DrawScope scope(*dst);
    Blit(*dst, xDest, yDest, DestWidth, DestHeight, &image.source, xSrc, ySrc, SrcWidth, SrcHeight, code, code, nullptr,
         0, 0);
    return RopUsesSource(code) ? f.height : 1;
  });
}

KX2_EXPORT int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT StartScan,
                                 UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi, UINT ColorUse) {
  return kx2::Guard(0, [&]() -> int {
    auto dst = LookupDc(hdc);
    if (!dst) return BadHandle(0);
    DibImage image;
    DibFormat f;
    if (w > 32767 || h > 32767 || StartScan > 32767 || cLines > 32767 ||
        !ReadDibImage(lpbmi, ColorUse, lpvBits, StartScan, cLines, &image, &f)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    JournalBlit("SetDIBitsToDevice", xDest, yDest, static_cast<int>(w), static_cast<int>(h), xSrc, ySrc,
                static_cast<int>(w), static_cast<int>(h), SRCCOPY);
    int sy = f.topDown ? ySrc : f.height - ySrc - static_cast<int>(h);
    // Only the scans given are drawn.
    const int bandTop = f.topDown ? static_cast<int>(StartScan)
                                  : f.height - static_cast<int>(std::min<UINT>(StartScan + cLines, f.height));
    const int bandBottom =
        bandTop + static_cast<int>(std::min<UINT>(cLines, f.height - std::min<UINT>(StartScan, f.height)));
    int top = std::max(sy, bandTop), bottom = std::min(sy + static_cast<int>(h), bandBottom);
    if (bottom <= top) return 0;
    const POINT d = dst->ToDevice(xDest, yDest);
    Dc::DrawScope scope(*dst);
    Blit(*dst, d.x, d.y + (top - sy), static_cast<int>(w), bottom - top, &image.source, xSrc, top, static_cast<int>(w),
         bottom - top, 0xCC, 0xCC, nullptr, 0, 0);
    return static_cast<int>(std::min<UINT>(cLines, f.height - std::min<UINT>(StartScan, f.height)));
  });
}

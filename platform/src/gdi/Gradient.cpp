// GradientFill: rectangles shaded across or down, and Gouraud-shaded triangles, written
// pixel by pixel under the DC's clip.
#include <algorithm>
#include <cmath>

#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>

#include "Blit.h"
#include "Dc.h"

namespace kx2::gdi {
namespace {

struct Colour {
  double r, g, b, a;  // 0..255
};

Colour ColourOf(const TRIVERTEX& v) { return Colour{v.Red / 256.0, v.Green / 256.0, v.Blue / 256.0, v.Alpha / 256.0}; }

Colour Mix(const Colour& p, const Colour& q, double t) {
  return Colour{p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t, p.a + (q.a - p.a) * t};
}

uint32_t PixelFrom(const Colour& c, bool mono) {
  auto byte = [](double v) { return static_cast<uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
  const uint32_t rgb = (byte(c.r) << 16) | (byte(c.g) << 8) | byte(c.b);
  return mono ? MonoOf(rgb) : rgb | (byte(c.a) << 24);
}

struct DevicePoint {
  double x, y;
};

DevicePoint Map(const Dc& dc, const TRIVERTEX& v) {
  double x = v.x, y = v.y;
  dc.ToDeviceF(x, y);
  return DevicePoint{x, y};
}

// Calls `shade(x, y)` for every pixel of `area` inside the clip; `shade` gives the pixel.
template <class F>
void Fill(Dc& dc, RECT area, F&& shade) {
  Bitmap* target = dc.Target();
  const Rects clip = CombineRegions(dc.ClipRects(), RectRegion(area), RGN_AND);
  for (const RECT& r : clip)
    for (int y = r.top; y < r.bottom; ++y) {
      uint32_t* row = target->Row(y);
      for (int x = r.left; x < r.right; ++x) {
        uint32_t pixel;
        if (shade(x, y, &pixel)) row[x] = pixel;
      }
    }
}

void FillRectangle(Dc& dc, const TRIVERTEX& a, const TRIVERTEX& b, bool vertical) {
  const DevicePoint p = Map(dc, a), q = Map(dc, b);
  const RECT area{
      static_cast<LONG>(std::lround(std::min(p.x, q.x))), static_cast<LONG>(std::lround(std::min(p.y, q.y))),
      static_cast<LONG>(std::lround(std::max(p.x, q.x))), static_cast<LONG>(std::lround(std::max(p.y, q.y)))};
  if (EmptyRect(area)) return;
  // The first vertex's colour is at its own edge, whichever way the mapping turned it.
  const Colour from = ColourOf(a), to = ColourOf(b);
  const double start = vertical ? p.y : p.x, span = vertical ? q.y - p.y : q.x - p.x;
  const bool mono = dc.Mono();
  Fill(dc, area, [&](int x, int y, uint32_t* out) {
    const double at = (vertical ? y : x) + 0.5;
    const double t = span == 0 ? 0 : std::clamp((at - start) / span, 0.0, 1.0);
    *out = PixelFrom(Mix(from, to, t), mono);
    return true;
  });
}

void FillTriangle(Dc& dc, const TRIVERTEX& a, const TRIVERTEX& b, const TRIVERTEX& c) {
  const DevicePoint p[3] = {Map(dc, a), Map(dc, b), Map(dc, c)};
  const Colour colours[3] = {ColourOf(a), ColourOf(b), ColourOf(c)};
  const double area2 = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
  if (area2 == 0) return;
  const RECT box{static_cast<LONG>(std::floor(std::min({p[0].x, p[1].x, p[2].x}))),
                 static_cast<LONG>(std::floor(std::min({p[0].y, p[1].y, p[2].y}))),
                 static_cast<LONG>(std::ceil(std::max({p[0].x, p[1].x, p[2].x}))),
                 static_cast<LONG>(std::ceil(std::max({p[0].y, p[1].y, p[2].y})))};
  const bool mono = dc.Mono();
  Fill(dc, box, [&](int x, int y, uint32_t* out) {
    const double cx = x + 0.5, cy = y + 0.5;
    // Barycentric weights of the pixel's centre.
    const double w0 = ((p[1].x - cx) * (p[2].y - cy) - (p[2].x - cx) * (p[1].y - cy)) / area2;
    const double w1 = ((p[2].x - cx) * (p[0].y - cy) - (p[0].x - cx) * (p[2].y - cy)) / area2;
    const double w2 = 1 - w0 - w1;
    constexpr double kEdge = -1e-9;
    if (w0 < kEdge || w1 < kEdge || w2 < kEdge) return false;
    const Colour mixed{w0 * colours[0].r + w1 * colours[1].r + w2 * colours[2].r,
                       w0 * colours[0].g + w1 * colours[1].g + w2 * colours[2].g,
                       w0 * colours[0].b + w1 * colours[1].b + w2 * colours[2].b,
                       w0 * colours[0].a + w1 * colours[1].a + w2 * colours[2].a};
    *out = PixelFrom(mixed, mono);
    return true;
  });
}

}  // namespace
}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT BOOL GradientFill(HDC hdc, PTRIVERTEX pVertex, ULONG nVertex, PVOID pMesh, ULONG nMesh, ULONG ulMode) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(FALSE);
    if (!pVertex || !pMesh || !nVertex || ulMode > GRADIENT_FILL_TRIANGLE) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    // Every index is checked before anything is drawn: a bad mesh draws nothing.
    const ULONG perMesh = ulMode == GRADIENT_FILL_TRIANGLE ? 3 : 2;
    const auto* indices = static_cast<const ULONG*>(pMesh);
    for (ULONG i = 0; i < nMesh * perMesh; ++i)
      if (indices[i] >= nVertex) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
    if (JournalOn()) JournalAdd("GradientFill " + std::to_string(nMesh) + " mode " + std::to_string(ulMode));
    if (!dc->Target()) return TRUE;
    Dc::DrawScope scope(*dc);
    for (ULONG m = 0; m < nMesh; ++m) {
      const ULONG* at = indices + m * perMesh;
      if (ulMode == GRADIENT_FILL_TRIANGLE)
        FillTriangle(*dc, pVertex[at[0]], pVertex[at[1]], pVertex[at[2]]);
      else
        FillRectangle(*dc, pVertex[at[0]], pVertex[at[1]], ulMode == GRADIENT_FILL_RECT_V);
    }
    return TRUE;
  });
}

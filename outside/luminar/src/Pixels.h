// Conversions between straight-alpha bytes and Cairo's premultiplied pixels, and the
// bitmap helpers the image calls share.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Object.h"

namespace luminar {

inline uint32_t Premultiply(uint32_t b, uint32_t g, uint32_t r, uint32_t a) {
  if (a == 255) return 0xFF000000u | (r << 16) | (g << 8) | b;
  auto m = [a](uint32_t c) { return (c * a + 127) / 255; };
  return (a << 24) | (m(r) << 16) | (m(g) << 8) | m(b);
}

// Writes blue, green, red, alpha (straight) of one premultiplied pixel.
inline void Unpremultiply(uint32_t p, uint8_t* out) {
  const uint32_t a = p >> 24;
  uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  if (a && a < 255) {
    r = std::min(255u, (r * 255 + a / 2) / a);
    g = std::min(255u, (g * 255 + a / 2) / a);
    b = std::min(255u, (b * 255 + a / 2) / a);
  }
  out[0] = uint8_t(b), out[1] = uint8_t(g), out[2] = uint8_t(r), out[3] = uint8_t(a);
}

bool SetBitmap(Image* img, SurfacePtr surface, bool hasAlpha, float dpiX, float dpiY);
SurfacePtr SurfaceFromStraight(const uint8_t* pixels, int width, int height, ptrdiff_t stride, bool alpha);
std::vector<uint8_t> StraightPixels(cairo_surface_t* s);
SurfacePtr RasterOf(const Image& img);
// An icon's pixels with their alpha; null when the platform cannot tell them.
SurfacePtr IconSurface(HICON icon);

}  // namespace luminar

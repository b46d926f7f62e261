// Blur and recolouring of bitmaps.
//
// Recolouring works on straight colours, then applies the record's brightness b and
// contrast c (both -1..1) and alpha A, in that order. With Y = 0.299 R + 0.587 G + 0.114 B:
//   None        the colour unchanged
//   Grayscale   R = G = B = Y
//   Sepia       R = .393R + .769G + .189B, G = .349R + .686G + .168B, B = .272R + .534G + .131B
//   Washout     each channel 70% of the way to white: v = 0.3 v + 178.5
//   BlackWhite  R = G = B = 255 when Y >= 128, else 0
//   Colorify    each channel of the record's colour times Y / 255, alpha times its alpha / 255
// then v = (v - 127.5) (1 + c) + 127.5 + 255 b, clamped to 0..255; alpha = alpha A / 255.
#include <algorithm>
#include <cmath>

#include <kx2/ErrorBoundary.h>

#include "Blur.h"
#include "Object.h"
#include "Pixels.h"

using namespace luminar;

namespace {

enum class Recolor { kNone, kGrayscale, kSepia, kWashout, kBlackWhite, kColorify };

double Clamp(double v) { return std::clamp(v, 0.0, 255.0); }

BOOL RecolorImage(NativeImage image, const NativeRecolorRecord* record, Recolor mode) {
  return kx2::Guard(FALSE, [&] {
    Image* img = As<Image>(image, kLuminarImage);
    if (!img || img->type != 1 || !record) return false;
    const double b = std::isfinite(record->brightness) ? std::clamp(double(record->brightness), -1.0, 1.0) : 0.0;
    const double c = std::isfinite(record->contrast) ? std::clamp(double(record->contrast), -1.0, 1.0) : 0.0;
    const double alpha = record->alpha / 255.0;
    const DWORD colour = record->color;
    cairo_surface_t* s = img->surface.get();
    cairo_surface_flush(s);
    uint8_t* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < img->height; ++y) {
      uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(stride) * size_t(y));
      for (int x = 0; x < img->width; ++x) {
        uint8_t px[4];
        Unpremultiply(row[x], px);
        double B = px[0], G = px[1], R = px[2], A = px[3];
        const double Y = 0.299 * R + 0.587 * G + 0.114 * B;
        switch (mode) {
          case Recolor::kNone:
            break;
          case Recolor::kGrayscale:
            R = G = B = Y;
            break;
          case Recolor::kSepia: {
            const double r = .393 * R + .769 * G + .189 * B, g = .349 * R + .686 * G + .168 * B,
                         bl = .272 * R + .534 * G + .131 * B;
            R = Clamp(r), G = Clamp(g), B = Clamp(bl);
            break;
          }
          case Recolor::kWashout:
            R = 0.3 * R + 178.5, G = 0.3 * G + 178.5, B = 0.3 * B + 178.5;
            break;
          case Recolor::kBlackWhite:
            R = G = B = Y >= 128 ? 255 : 0;
            break;
          case Recolor::kColorify:
            R = ((colour >> 16) & 0xFF) * Y / 255, G = ((colour >> 8) & 0xFF) * Y / 255, B = (colour & 0xFF) * Y / 255;
            A = A * (colour >> 24) / 255;
            break;
        }
        auto adjust = [&](double v) { return uint32_t(std::lround(Clamp((v - 127.5) * (1 + c) + 127.5 + 255 * b))); };
        row[x] = Premultiply(adjust(B), adjust(G), adjust(R), uint32_t(std::lround(Clamp(A * alpha))));
      }
    }
    cairo_surface_mark_dirty(s);
    return true;
  });
}

}  // namespace

LUMINAR_API BOOL NativeImageEffectGaussianBlur(NativeImage source, NativeImage target, float radius, LONG width,
                                               LONG height) {
  return kx2::Guard(FALSE, [&] {
    Image* src = As<Image>(source, kLuminarImage);
    Image* dst = As<Image>(target, kLuminarImage);
    if (!src || !dst || src->type != 1 || dst->type != 1 || !Finite(radius) || radius <= 0 || radius > 1000)
      return false;
    if (width <= 0 || height <= 0 || width > src->width || height > src->height || width > dst->width ||
        height > dst->height || src == dst)
      return false;
    cairo_surface_flush(src->surface.get());
    cairo_surface_flush(dst->surface.get());
    luminar::GaussianBlur(cairo_image_surface_get_data(src->surface.get()),
                          cairo_image_surface_get_stride(src->surface.get()),
                          cairo_image_surface_get_data(dst->surface.get()),
                          cairo_image_surface_get_stride(dst->surface.get()), width, height, radius);
    cairo_surface_mark_dirty(dst->surface.get());
    return true;
  });
}

LUMINAR_API BOOL NativeImageRecolorNone(NativeImage i, const NativeRecolorRecord* r) {
  return RecolorImage(i, r, Recolor::kNone);
}
LUMINAR_API BOOL NativeImageRecolorGrayscale(NativeImage i, const NativeRecolorRecord* r) {
  return RecolorImage(i, r, Recolor::kGrayscale);
}
LUMINAR_API BOOL NativeImageRecolorSepia(NativeImage i, const NativeRecolorRecord* r) {
  return RecolorImage(i, r, Recolor::kSepia);
}
LUMINAR_API BOOL NativeImageRecolorWashout(NativeImage i, const NativeRecolorRecord* r) {
  return RecolorImage(i, r, Recolor::kWashout);
}
LUMINAR_API BOOL NativeImageRecolorBlackWhite(NativeImage i, const NativeRecolorRecord* r) {
  return RecolorImage(i, r, Recolor::kBlackWhite);
}
LUMINAR_API BOOL NativeImageRecolorColorify(NativeImage i, const NativeRecolorRecord* r) {
  return RecolorImage(i, r, Recolor::kColorify);
}

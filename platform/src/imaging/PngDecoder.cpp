// PNG through libpng's simplified reader; the resolution from the pHYs chunk.
#include <png.h>

#include <cstring>

#include "Codec.h"

namespace kx2::imaging {
namespace {

uint32_t Be32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// pHYs in pixels per metre, unit 1; anything else leaves 96.
void ReadResolution(const uint8_t* data, size_t size, Picture* out) {
  size_t at = 8;
  while (at + 12 <= size) {
    const uint32_t length = Be32(data + at);
    if (length > size - at - 12) return;
    const uint8_t* type = data + at + 4;
    if (!memcmp(type, "IDAT", 4)) return;
    if (!memcmp(type, "pHYs", 4) && length == 9) {
      const uint8_t* body = data + at + 8;
      const uint32_t x = Be32(body), y = Be32(body + 4);
      if (body[8] == 1 && x && y) {
        out->dpiX = float(x * 0.0254);
        out->dpiY = float(y * 0.0254);
      }
      return;
    }
    at += 12 + length;
  }
}

}  // namespace

bool DecodePng(const uint8_t* data, size_t size, Picture* out) {
  png_image image;
  memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return false;
  if (!out->Allocate(image.width, image.height)) {
    png_image_free(&image);
    return false;
  }
  out->hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = PNG_FORMAT_BGRA;
  if (!png_image_finish_read(&image, nullptr, out->pixels.data(), 0, nullptr) || PNG_IMAGE_FAILED(image)) {
    png_image_free(&image);
    return false;
  }
  ReadResolution(data, size, out);
  return true;
}

}  // namespace kx2::imaging

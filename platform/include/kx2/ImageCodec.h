// The platform's image codecs. Every PNG the port writes goes through Kx2WritePng: it
// writes a temporary file beside the target and renames it into place, so a reader never
// sees half a picture.
#pragma once

#include <cstddef>
#include <cstdint>

#include "win/types.h"

// The size rule of every decoder and encoder: at most 32,767 pixels a side.
#define KX2_IMAGE_MAX_SIDE 32767

// Writes width x height 32-bit pixels (bytes blue, green, red, fourth; rows `stride` bytes
// apart, top row first) as PNG. withAlpha: the fourth byte is straight alpha and is
// written; otherwise the picture is opaque. Returns FALSE with the last error set.
KX2_EXPORT BOOL Kx2WritePng(LPCWSTR path, const uint8_t* pixels, int width, int height, ptrdiff_t stride,
                            BOOL withAlpha);

// Pixels per metre for a resolution in dots per inch, as the signed 32-bit resolution
// fields of bitmap headers hold them. A resolution read from another file may be any
// float: one past the field's range gives its largest value, a negative one or NaN 0.
inline uint32_t Kx2PelsPerMeter(float dpi) {
  const float perMeter = dpi / 0.0254f + 0.5f;
  if (!(perMeter >= 0)) return 0;
  return perMeter < 2147483647.0f ? static_cast<uint32_t>(perMeter) : 0x7FFFFFFFu;
}

// File formats the codec area reads and writes.
#define KX2_IMAGE_UNKNOWN 0
#define KX2_IMAGE_PNG 1
#define KX2_IMAGE_JPEG 2
#define KX2_IMAGE_GIF 3
#define KX2_IMAGE_TIFF 4
#define KX2_IMAGE_BMP 5

// A decoded picture: width x height pixels of 4 bytes (blue, green, red, straight alpha),
// rows width * 4 bytes apart, top row first; the resolution the file states (96 when it
// states none). Released with Kx2FreeDecodedImage.
struct KX2_API Kx2DecodedImage {
  uint8_t* pixels;
  int width;
  int height;
  float dpiX;
  float dpiY;
  int format;
  BOOL hasAlpha;
};

// The format the bytes begin with, from their signature.
KX2_EXPORT int Kx2SniffImage(const uint8_t* data, size_t size);
// The size a header declares, without decoding; FALSE for an unknown or damaged header.
KX2_EXPORT BOOL Kx2ProbeImageSize(const uint8_t* data, size_t size, int* width, int* height);
// Decodes a whole picture (GIF: its first frame; TIFF: its first page). A truncated or
// damaged file fails; nothing half-decoded is ever returned. Sides above
// KX2_IMAGE_MAX_SIDE are refused.
KX2_EXPORT BOOL Kx2DecodeImage(const uint8_t* data, size_t size, Kx2DecodedImage* out);
KX2_EXPORT BOOL Kx2DecodeImageFile(LPCWSTR path, Kx2DecodedImage* out);
KX2_EXPORT void Kx2FreeDecodedImage(Kx2DecodedImage* image);
// Encodes pixels laid out as above (alpha straight when withAlpha, else ignored) into a
// file of the format, through a temporary file renamed into place. quality: JPEG 1-100
// (0 means 90).
KX2_EXPORT BOOL Kx2EncodeImageFile(LPCWSTR path, int format, const uint8_t* pixels, int width, int height,
                                   ptrdiff_t stride, BOOL withAlpha, float dpiX, float dpiY, int quality);

// An icon's or cursor's picture with its transparency (a 32-bit icon's own alpha, else its
// AND mask); released with Kx2FreeDecodedImage. FALSE for a handle that is not an icon.
KX2_EXPORT BOOL Kx2DecodeIcon(HICON icon, Kx2DecodedImage* out);

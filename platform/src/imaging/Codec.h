// The codec area's inner interface: one decoder and encoder per format over memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <kx2/ImageCodec.h>

namespace kx2::imaging {

// Decoded pixels: blue, green, red, straight alpha; rows width * 4 apart.
struct Picture {
  std::vector<uint8_t> pixels;
  int width = 0;
  int height = 0;
  float dpiX = 96;
  float dpiY = 96;
  bool hasAlpha = false;
  // Sizes checked against the size rule and for overflow, then the pixels allocated.
  bool Allocate(long long w, long long h);
  uint8_t* Row(int y) { return pixels.data() + size_t(y) * size_t(width) * 4; }
};

struct PixelsView {
  const uint8_t* pixels;
  int width;
  int height;
  ptrdiff_t stride;
  bool withAlpha;
  float dpiX;
  float dpiY;
  int quality;
  const uint8_t* Row(int y) const { return pixels + stride * y; }
};

bool SideAllowed(long long side);

bool DecodePng(const uint8_t* data, size_t size, Picture* out);
// One icon image as stored (a DIB whose height counts the AND mask too): its colours with
// the transparency of its alpha or its mask.
bool DecodeDibIcon(const std::vector<uint8_t>& bytes, Picture* out);
// An icon file (.ico): its largest image, PNG or DIB.
bool DecodeIcoFile(const uint8_t* data, size_t size, Picture* out);
bool DecodeJpeg(const uint8_t* data, size_t size, Picture* out);
bool DecodeGif(const uint8_t* data, size_t size, Picture* out);
bool DecodeTiff(const uint8_t* data, size_t size, Picture* out);
bool DecodeBmp(const uint8_t* data, size_t size, Picture* out);

bool EncodeJpeg(const PixelsView& in, std::vector<uint8_t>* out);
bool EncodeGif(const PixelsView& in, std::vector<uint8_t>* out);
bool EncodeTiff(const PixelsView& in, std::vector<uint8_t>* out);
bool EncodeBmp(const PixelsView& in, std::vector<uint8_t>* out);

}  // namespace kx2::imaging

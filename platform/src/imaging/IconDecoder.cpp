// An icon's pixels for the outside libraries: a PNG icon through the PNG decoder, a DIB
// icon's colour rows with the transparency of its alpha or its AND mask.
#include <cstdlib>
#include <cstring>
#include <vector>

#include <kx2/ErrorBoundary.h>
#include <kx2/ImageCodec.h>
#include <kx2/KernelObject.h>

#include "../gdi/GdiObjects.h"
#include "Codec.h"

namespace kx2::imaging {

bool DecodeDibIcon(const std::vector<uint8_t>& bytes, Picture* out) {
  BITMAPINFOHEADER header;
  if (!gdi::ParseDib(bytes.data(), bytes.size(), true, &header)) return false;
  // The header counts the colour rows and the mask rows together.
  std::vector<uint8_t> info(bytes);
  BITMAPINFOHEADER* h = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  const LONG total = h->biHeight < 0 ? -h->biHeight : h->biHeight;
  const LONG rows = total / 2;
  h->biHeight = h->biHeight < 0 ? -rows : rows;
  gdi::DibFormat format;
  if (!gdi::ReadDibFormat(reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &format)) return false;
  if (!out->Allocate(format.width, format.height)) return false;
  const size_t maskStride = ((size_t(format.width) + 31) / 32) * 4;
  const size_t colourBytes = format.stride * size_t(format.height);
  if (format.headerSize > bytes.size() || bytes.size() - format.headerSize < colourBytes) return false;
  const uint8_t* colour = bytes.data() + format.headerSize;
  const bool hasMask = bytes.size() - format.headerSize - colourBytes >= maskStride * size_t(format.height);
  const uint8_t* mask = colour + colourBytes;
  bool anyAlpha = false;
  if (format.bitCount == 32)
    for (size_t i = 3; i < colourBytes; i += 4) anyAlpha |= colour[i] != 0;
  std::vector<uint32_t> row(size_t(format.width));
  for (int y = 0; y < format.height; ++y) {
    const int stored = format.topDown ? y : format.height - 1 - y;
    const uint8_t* src = colour + size_t(stored) * format.stride;
    gdi::DibRowToPixels(format, src, row.data(), format.width);
    uint8_t* dst = out->Row(y);
    for (int x = 0; x < format.width; ++x) {
      const uint32_t v = row[size_t(x)];
      uint8_t a = 255;
      if (anyAlpha)
        a = src[x * 4 + 3];
      else if (hasMask && (mask[size_t(stored) * maskStride + size_t(x) / 8] & (0x80 >> (x % 8))))
        a = 0;
      dst[x * 4] = uint8_t(v), dst[x * 4 + 1] = uint8_t(v >> 8), dst[x * 4 + 2] = uint8_t(v >> 16);
      dst[x * 4 + 3] = a;
    }
  }
  out->hasAlpha = true;
  return true;
}

}  // namespace kx2::imaging

KX2_EXPORT BOOL Kx2DecodeIcon(HICON icon, Kx2DecodedImage* out) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!out) return FALSE;
    memset(out, 0, sizeof *out);
    auto image = kx2::LookupHandleAs<kx2::gdi::IconImage>(icon);
    if (!image) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (Kx2SniffImage(image->image.data(), image->image.size()) == KX2_IMAGE_PNG)
      return Kx2DecodeImage(image->image.data(), image->image.size(), out);
    kx2::imaging::Picture picture;
    if (!kx2::imaging::DecodeDibIcon(image->image, &picture)) {
      SetLastError(ERROR_INVALID_DATA);
      return FALSE;
    }
    uint8_t* pixels = static_cast<uint8_t*>(malloc(picture.pixels.size()));
    if (!pixels) throw std::bad_alloc();
    memcpy(pixels, picture.pixels.data(), picture.pixels.size());
    *out = Kx2DecodedImage{pixels, picture.width, picture.height, 96, 96, KX2_IMAGE_BMP, TRUE};
    return TRUE;
  });
}

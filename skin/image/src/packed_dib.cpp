#include "packed_dib.h"

#include <cstring>

#include <kx2/ImageCodec.h>

namespace ornatex {
namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

constexpr uint32_t kBitFields = 3;

}  // namespace

bool ParsePackedDib(const uint8_t* data, size_t size, PackedDib* out) {
  if (!data || size < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER& h = out->header;
  h.biSize = Le32(data);
  h.biWidth = static_cast<LONG>(Le32(data + 4));
  h.biHeight = static_cast<LONG>(Le32(data + 8));
  h.biPlanes = Le16(data + 12);
  h.biBitCount = Le16(data + 14);
  h.biCompression = Le32(data + 16);
  h.biSizeImage = Le32(data + 20);
  h.biXPelsPerMeter = static_cast<LONG>(Le32(data + 24));
  h.biYPelsPerMeter = static_cast<LONG>(Le32(data + 28));
  h.biClrUsed = Le32(data + 32);
  h.biClrImportant = Le32(data + 36);
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size) return false;
  const int64_t width = h.biWidth;
  const int64_t height = h.biHeight < 0 ? -int64_t{h.biHeight} : int64_t{h.biHeight};
  if (width <= 0 || height == 0 || width > KX2_IMAGE_MAX_SIDE || height > KX2_IMAGE_MAX_SIDE) return false;
  const int bits = h.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (h.biCompression != BI_RGB && !(h.biCompression == kBitFields && (bits == 16 || bits == 32))) return false;
  // Colour masks follow a 40-byte header; a larger header holds them itself, right after
  // its first 40 bytes. GDI reads them after the 40-byte header either way.
  const bool bitFields = h.biCompression == kBitFields;
  if (bitFields && h.biSize > sizeof(BITMAPINFOHEADER) && h.biSize < sizeof(BITMAPINFOHEADER) + 12) return false;
  const uint64_t masks = bitFields && h.biSize == sizeof(BITMAPINFOHEADER) ? 12 : 0;
  uint64_t colors = h.biClrUsed;
  if (bits <= 8) {
    if (colors == 0) colors = uint64_t{1} << bits;
    if (colors > (uint64_t{1} << bits)) return false;
  }
  const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
  const uint64_t pixelBytes = stride * static_cast<uint64_t>(height);
  const uint64_t pixelsAt = h.biSize + masks + colors * 4;
  if (pixelsAt > size || pixelBytes > size - pixelsAt) return false;
  // GDI reads a 40-byte header followed by the masks and the table.
  out->info.assign(sizeof(BITMAPINFOHEADER) + (bitFields ? 12 : 0) + (bits <= 8 ? colors * 4 : 0), 0);
  BITMAPINFOHEADER plain = h;
  plain.biSize = sizeof(BITMAPINFOHEADER);
  plain.biClrUsed = bits <= 8 ? static_cast<DWORD>(colors) : 0;
  std::memcpy(out->info.data(), &plain, sizeof plain);
  if (bitFields) std::memcpy(out->info.data() + sizeof plain, data + (masks ? h.biSize : sizeof(BITMAPINFOHEADER)), 12);
  if (bits <= 8) std::memcpy(out->info.data() + sizeof plain, data + h.biSize, colors * 4);
  out->pixels = data + pixelsAt;
  out->pixelBytes = pixelBytes;
  out->stride = stride;
  return true;
}

HBITMAP BitmapFromPackedDib(const PackedDib& dib) {
  const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.info.data());
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = nullptr;
  if (dib.header.biBitCount >= 24) {
    void* bits = nullptr;
    bitmap = CreateDIBSection(screen, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) std::memcpy(bits, dib.pixels, dib.pixelBytes);
  } else {
    bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, dib.pixels, info, DIB_RGB_COLORS);
  }
  ReleaseDC(nullptr, screen);
  return bitmap;
}

}  // namespace ornatex

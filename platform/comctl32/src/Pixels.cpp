// Bitmaps read as plain pixels and DIB sections made from them, for the image lists.
#include <memory>

#include "ImageList.h"

namespace comctl {

namespace {

struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};

}  // namespace

Pixels ReadBitmap(HBITMAP bitmap, int* bitsPerPixel) {
  Pixels out;
  BITMAP bm{};
  if (!bitmap || GetObjectW(bitmap, sizeof(bm), &bm) != sizeof(bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return out;
  if (bitsPerPixel) *bitsPerPixel = bm.bmBitsPixel;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = bm.bmWidth;
  info.bmiHeader.biHeight = -bm.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
  std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter> dc(CreateCompatibleDC(nullptr));
  if (!dc) return out;
  if (GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(), &info, DIB_RGB_COLORS) <= 0)
    return out;
  out.width = bm.bmWidth;
  out.height = bm.bmHeight;
  out.argb = std::move(pixels);
  return out;
}

HBITMAP MakeDibSection(int width, int height, int bitsPerPixel, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace comctl

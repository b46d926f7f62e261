// 32-bit DIB work: sections, premultiplied alpha, copies, mirroring, icon sizes.
#include <algorithm>
#include <cstring>
#include <vector>

#include <win/user_draw.h>

#include "ornatex/image/bitmap_routines.h"

namespace {

// A 32-bit bitmap's pixels, bottom row first (the layout of Create32BitDIB); false for
// any other depth.
bool Read32(HBITMAP bitmap, int* width, int* height, std::vector<uint32_t>* pixels) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm) || bm.bmBitsPixel != 32 || bm.bmWidth <= 0 || bm.bmHeight <= 0)
    return false;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = bm.bmWidth;
  bmi.bmiHeader.biHeight = bm.bmHeight;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  pixels->assign(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight), 0);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels->data(), &bmi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  *width = bm.bmWidth;
  *height = bm.bmHeight;
  return rows == bm.bmHeight;
}

HBITMAP Section(int width, int height, const std::vector<uint32_t>& pixels) {
  void* bits = nullptr;
  HBITMAP copy = Create32BitDIB(nullptr, width, height, &bits);
  if (copy && bits) std::memcpy(bits, pixels.data(), pixels.size() * 4);
  return copy;
}

}  // namespace

HBITMAP Create32BitDIB(HDC dc, int width, int height, void** bits) {
  if (bits) *bits = nullptr;
  if (width <= 0 || height <= 0) return nullptr;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* local = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &local, nullptr, 0);
  if (bits) *bits = local;
  return bitmap;
}

HBITMAP PremultiplyAlpha(HBITMAP bitmap, int* answer) {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  if (!Read32(bitmap, &width, &height, &pixels)) return nullptr;
  const std::vector<uint32_t> original = answer ? pixels : std::vector<uint32_t>();
  const bool anyAlphaCounts = answer && *answer == -1;
  bool sawTransparent = false, usesAlpha = false;
  for (uint32_t& p : pixels) {
    const uint32_t a = p >> 24;
    if (answer) {
      if (a == 0)
        sawTransparent = true;
      else if (a < 255 || sawTransparent || anyAlphaCounts)
        usesAlpha = true;
    }
    const uint32_t b = (p & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255, r = ((p >> 16) & 0xFF) * a / 255;
    p = (a << 24) | (r << 16) | (g << 8) | b;
  }
  if (answer) {
    *answer = usesAlpha ? 1 : 0;
    if (!usesAlpha) return Section(width, height, original);
  }
  return Section(width, height, pixels);
}

HBITMAP CopyDIB(HBITMAP bitmap) {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  return Read32(bitmap, &width, &height, &pixels) ? Section(width, height, pixels) : nullptr;
}

HBITMAP MirrorDIB(HBITMAP bitmap) {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  if (!Read32(bitmap, &width, &height, &pixels)) return nullptr;
  for (int y = 0; y < height; ++y) {
    uint32_t* row = pixels.data() + static_cast<size_t>(y) * width;
    std::reverse(row, row + width);
  }
  return Section(width, height, pixels);
}

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return SIZE{32, 32};
  BITMAP mask{};
  SIZE size{32, 32};
  if (info.hbmMask && GetObjectW(info.hbmMask, sizeof mask, &mask)) {
    size.cx = mask.bmWidth;
    size.cy = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
  }
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return size;
}

// Shared by the common-control tests: a 32-bit memory canvas to paint into and probe.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "win/commctrl.h"
#include "win/userres.h"
#include "win/errors.h"

namespace comctltest {

class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
    RECT all{0, 0, width, height};
    HBRUSH b = CreateSolidBrush(fill);
    FillRect(dc_, &all, b);
    DeleteObject(b);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC Dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  uint32_t* Bits() const { return static_cast<uint32_t*>(bits_); }
  int Width() const { return width_; }

 private:
  int width_;
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

// A 32-bit DIB section of the given pixels (0xAARRGGBB, straight alpha), top-down.
inline HBITMAP PixelBitmap(int width, int height, uint32_t (*pixel)(int x, int y)) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* p = static_cast<uint32_t*>(bits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p[y * width + x] = pixel(x, y);
  return b;
}

inline bool Near(COLORREF a, COLORREF b, int tolerance = 3) {
  auto d = [](int x, int y) { return x > y ? x - y : y - x; };
  return d(GetRValue(a), GetRValue(b)) <= tolerance && d(GetGValue(a), GetGValue(b)) <= tolerance &&
         d(GetBValue(a), GetBValue(b)) <= tolerance;
}

}  // namespace comctltest

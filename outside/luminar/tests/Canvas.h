// A white DIB section selected into a memory DC with a Luminar render over it, so tests
// can draw and then read pixels.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "luminar/Luminar.h"
#include "luminar/LuminarTesting.h"

struct Canvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  uint32_t* bits = nullptr;
  int width, height;
  NativeRender render = nullptr;

  Canvas(int w, int h, bool smooth = false) : width(w), height(h) {
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    for (int i = 0; i < w * h; ++i) bits[i] = 0xFFFFFF;
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    render = GetNativeRender();
    EXPECT_TRUE(NativeCreateRenderDC(render, dc));
    if (smooth) NativeRenderSetSmoothingMode(render, 1);
  }
  ~Canvas() {
    ReleaseNativeRender(render);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  // 0xRRGGBB of a pixel.
  uint32_t At(int x, int y) const {
    GdiFlush();
    return bits[y * width + x] & 0xFFFFFF;
  }
  bool Inked(int x, int y) const { return At(x, y) != 0xFFFFFF; }
};

inline int Channel(uint32_t rgb, int shift) { return int((rgb >> shift) & 0xFF); }

// Within `tolerance` per channel.
inline ::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance) {
  for (int s : {0, 8, 16})
    if (std::abs(Channel(actual, s) - Channel(expected, s)) > tolerance) {
      char text[64];
      snprintf(text, sizeof text, "0x%06X is not near 0x%06X", unsigned(actual), unsigned(expected));
      return ::testing::AssertionFailure() << text;
    }
  return ::testing::AssertionSuccess();
}

// RAII holders for the handles a test makes.
struct PenHolder {
  NativePen h = GetNativePen();
  ~PenHolder() { ReleaseNativePen(h); }
};
struct BrushHolder {
  NativeBrush h = GetNativeBrush();
  ~BrushHolder() { ReleaseNativeBrush(h); }
};
struct ImageHolder {
  NativeImage h = GetNativeImage();
  ~ImageHolder() { ReleaseNativeImage(h); }
};
struct PathHolder {
  NativePath h = GetNativePath();
  ~PathHolder() { ReleaseNativePath(h); }
};
struct RegionHolder {
  NativeRegion h = GetNativeRegion();
  ~RegionHolder() { ReleaseNativeRegion(h); }
};

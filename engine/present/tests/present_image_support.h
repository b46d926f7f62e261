// Small images for the rendering tests: PNG files drawn with Cairo in a temporary folder,
// their Windows paths, pixels read back, and a check that Luminar's handles are back to
// their starting counts.
#pragma once

#include <gtest/gtest.h>

#include <cairo.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <kx2test/TempFiles.h>
#include <luminar/LuminarTesting.h>

namespace present_test {

// A temporary folder named present-...
struct TempFolder : kx2test::TempFolder {
  TempFolder() : kx2test::TempFolder("present") {}
};

using kx2test::WinPath;

// A colour per rectangle, on a transparent image of the size.
struct Patch {
  double x, y, w, h;
  uint32_t argb;
};

inline void WritePng(const std::string& path, int width, int height, const std::vector<Patch>& patches) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(s);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  for (const Patch& p : patches) {
    cairo_set_source_rgba(cr, ((p.argb >> 16) & 0xFF) / 255.0, ((p.argb >> 8) & 0xFF) / 255.0, (p.argb & 0xFF) / 255.0,
                          (p.argb >> 24) / 255.0);
    cairo_rectangle(cr, p.x, p.y, p.w, p.h);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  ASSERT_EQ(cairo_surface_write_to_png(s, path.c_str()), CAIRO_STATUS_SUCCESS);
  cairo_surface_destroy(s);
}

// A PNG read back: size and un-premultiplied ARGB pixels.
struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> argb;
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
  uint32_t Rgb(int x, int y) const { return At(x, y) & 0xFFFFFF; }
};

inline Pixels ReadPng(const std::string& path) {
  Pixels out;
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    out.width = cairo_image_surface_get_width(s);
    out.height = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const uint8_t* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < out.height; ++y)
      for (int x = 0; x < out.width; ++x) {
        uint32_t p = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
        const uint32_t a = p >> 24;
        if (a != 0 && a != 255) {
          auto un = [&](int shift) { return ((((p >> shift) & 0xFF) * 255 + a / 2) / a) << shift; };
          p = a << 24 | un(16) | un(8) | un(0);
        }
        out.argb.push_back(p);
      }
  }
  cairo_surface_destroy(s);
  return out;
}

inline ::testing::AssertionResult NearRgb(uint32_t actual, uint32_t expected, int tolerance = 8) {
  for (int shift : {0, 8, 16}) {
    const int a = static_cast<int>((actual >> shift) & 0xFF), e = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - e) > tolerance) {
      char text[64];
      snprintf(text, sizeof text, "0x%06X is not near 0x%06X", unsigned(actual & 0xFFFFFF),
               unsigned(expected & 0xFFFFFF));
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

// A fixture whose tests end with as many Luminar handles of each kind as they began with.
class LuminarCounted : public ::testing::Test {
 protected:
  void SetUp() override {
    for (LONG kind = 0; kind < 6; ++kind) start_[kind] = LuminarLiveHandles(kind);
  }
  void TearDown() override {
    for (LONG kind = 0; kind < 6; ++kind) EXPECT_EQ(LuminarLiveHandles(kind), start_[kind]) << "handle kind " << kind;
  }

 private:
  LONG start_[6] = {};
};

}  // namespace present_test

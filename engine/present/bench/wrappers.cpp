// The resize wrapper (stretch mode) turning a 1600 x 1200 PNG file into a 320 x 240 PNG
// file, beside the same done with plain Cairo: load the PNG, paint it scaled onto a new
// surface, write the PNG.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "plastrum/present/painting/ImageFiles.h"

namespace {

struct Files {
  std::filesystem::path folder;
  std::string source, ours, cairo;
  std::u16string sourceWin, oursWin;

  Files() {
    std::string pattern = (std::filesystem::temp_directory_path() / "bench-wrappers-XXXXXX").string();
    folder = mkdtemp(pattern.data());
    source = (folder / "photo.png").string();
    ours = (folder / "ours.png").string();
    cairo = (folder / "cairo.png").string();
    sourceWin = Win(source);
    oursWin = Win(ours);
    // A photograph-like picture: smooth colour ramps with rings, so that PNG compresses it
    // as it would a real image, not as flat colour.
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1600, 1200);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < 1200; ++y)
      for (int x = 0; x < 1600; ++x) {
        const double r = std::hypot(x - 800.0, y - 600.0);
        auto* p = reinterpret_cast<uint32_t*>(data + y * stride + x * 4);
        *p = uint32_t(x * 255 / 1600) << 16 | uint32_t(y * 255 / 1200) << 8 | uint32_t(127 + 127 * std::sin(r / 23.0));
      }
    cairo_surface_mark_dirty(s);
    cairo_surface_write_to_png(s, source.c_str());
    cairo_surface_destroy(s);
  }
  ~Files() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  static std::u16string Win(const std::string& posix) {
    std::u16string out = u"Z:";
    for (char c : posix) out += c == '/' ? u'\\' : char16_t(static_cast<unsigned char>(c));
    return out;
  }
};

Files& Shared() {
  static Files files;
  return files;
}

void BM_ResizeWrapper(benchmark::State& state) {
  Files& f = Shared();
  for (auto _ : state) {
    const bool ok = Present::Rendering::ResizeImageFile(f.sourceWin.c_str(), f.oursWin.c_str(),
                                                        Present::Rendering::kFormatPng, 320, 240, 0);
    if (!ok) state.SkipWithError("resize failed");
  }
}
BENCHMARK(BM_ResizeWrapper)->Unit(benchmark::kMillisecond);

void BM_PlainCairo(benchmark::State& state) {
  Files& f = Shared();
  for (auto _ : state) {
    cairo_surface_t* in = cairo_image_surface_create_from_png(f.source.c_str());
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 320, 240);
    cairo_t* cr = cairo_create(out);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_scale(cr, 320.0 / 1600, 240.0 / 1200);
    cairo_set_source_surface(cr, in, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    if (cairo_surface_write_to_png(out, f.cairo.c_str()) != CAIRO_STATUS_SUCCESS) state.SkipWithError("write failed");
    cairo_surface_destroy(out);
    cairo_surface_destroy(in);
  }
}
BENCHMARK(BM_PlainCairo)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// A 64 x 64 skin image with 8-pixel margins drawn nine-grid into 800 x 600 by DrawImage,
// against the same nine pieces scaled with Cairo (nearest-pixel filter, as COLORONCOLOR).
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include <win/gdi.h>

#include "ornatex/schema/skin_image.h"

namespace {

constexpr int kSide = 64, kMargin = 8, kWidth = 800, kHeight = 600;

std::vector<uint32_t> Pixels() {
  std::vector<uint32_t> px(size_t{kSide} * kSide);
  std::mt19937 random(4);
  for (uint32_t& p : px) p = random() & 0x00FFFFFF;
  return px;
}

void BM_DrawImageNineGrid(benchmark::State& state) {
  const auto px = Pixels();
  CKtkSkinImage image;
  BITMAPINFO bmi{};
  bmi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), kSide, -kSide, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  image.m_hBitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::memcpy(bits, px.data(), px.size() * 4);
  image.m_width = image.m_height = kSide;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, kWidth, kHeight);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, target);
  const KTK_MARGINS margins{kMargin, kMargin, kMargin, kMargin};
  for (auto _ : state)
    image.DrawImage(dc, RECT{0, 0, kWidth, kHeight}, RECT{0, 0, kSide, kSide}, margins, 0xFFFFFFFFu, 0, FALSE);
  GdiFlush();
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
}
BENCHMARK(BM_DrawImageNineGrid)->Unit(benchmark::kMillisecond);

void BM_CairoNineGrid(benchmark::State& state) {
  auto px = Pixels();
  cairo_surface_t* source = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(px.data()),
                                                                CAIRO_FORMAT_RGB24, kSide, kSide, kSide * 4);
  cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  const int sx[4] = {0, kMargin, kSide - kMargin, kSide}, dx[4] = {0, kMargin, kWidth - kMargin, kWidth};
  const int sy[4] = {0, kMargin, kSide - kMargin, kSide}, dy[4] = {0, kMargin, kHeight - kMargin, kHeight};
  for (auto _ : state) {
    cairo_t* cr = cairo_create(target);
    for (int j = 0; j < 3; ++j) {
      for (int i = 0; i < 3; ++i) {
        cairo_save(cr);
        cairo_rectangle(cr, dx[i], dy[j], dx[i + 1] - dx[i], dy[j + 1] - dy[j]);
        cairo_clip(cr);
        cairo_translate(cr, dx[i], dy[j]);
        cairo_scale(cr, double(dx[i + 1] - dx[i]) / (sx[i + 1] - sx[i]),
                    double(dy[j + 1] - dy[j]) / (sy[j + 1] - sy[j]));
        cairo_set_source_surface(cr, source, -sx[i], -sy[j]);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_restore(cr);
      }
    }
    cairo_destroy(cr);
    cairo_surface_flush(target);
  }
  cairo_surface_destroy(target);
  cairo_surface_destroy(source);
}
BENCHMARK(BM_CairoNineGrid)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

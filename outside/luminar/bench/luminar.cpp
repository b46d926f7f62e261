// Luminar against its peers in one run: our blur against pixman's separable Gaussian
// convolution, and our dashed stroke against Cairo's own dash and stroke.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pixman.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "luminar/Luminar.h"

namespace {

constexpr int kSide = 1024;
constexpr float kRadius = 8;

std::vector<uint32_t> Picture() {
  std::vector<uint32_t> px(size_t(kSide) * kSide);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) px[size_t(y) * kSide + size_t(x)] = 0xFF000000u | uint32_t(x * 37 ^ y * 91);
  return px;
}

void LuminarBlur(benchmark::State& state) {
  std::vector<uint32_t> px = Picture();
  NativeImage source = GetNativeImage(), target = GetNativeImage();
  NativeBitmapCreateFromScan0(source, kSide, kSide, kSide * 4, 0, px.data());
  NativeBitmapCreateFromScan0(target, kSide, kSide, 0, 1, nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(NativeImageEffectGaussianBlur(source, target, kRadius, kSide, kSide));
  ReleaseNativeImage(source);
  ReleaseNativeImage(target);
}
BENCHMARK(LuminarBlur)->Unit(benchmark::kMillisecond);

void PixmanBlur(benchmark::State& state) {
  std::vector<uint32_t> px = Picture(), out(px.size());
  const double scale = kRadius / 2 * M_SQRT2;
  int n = 0;
  pixman_fixed_t* params = pixman_filter_create_separable_convolution(
      &n, pixman_double_to_fixed(scale), pixman_double_to_fixed(scale), PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_IMPULSE,
      PIXMAN_KERNEL_GAUSSIAN, PIXMAN_KERNEL_GAUSSIAN, 0, 0);
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, px.data(), kSide * 4);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, out.data(), kSide * 4);
  pixman_image_set_filter(src, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, n);
  for (auto _ : state) pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kSide, kSide);
  free(params);
  pixman_image_unref(src);
  pixman_image_unref(dst);
}
BENCHMARK(PixmanBlur)->Unit(benchmark::kMillisecond);

std::vector<NativePointF> Polyline() {
  std::vector<NativePointF> pts(10000);
  for (size_t i = 0; i < pts.size(); ++i)
    pts[i] = {float(20 + (i * 7) % 980), float(20 + 490 + 480 * std::sin(double(i) * 0.37))};
  return pts;
}

void LuminarDashedStroke(benchmark::State& state) {
  const std::vector<NativePointF> pts = Polyline();
  NativeImage canvas = GetNativeImage();
  NativeBitmapCreateFromScan0(canvas, kSide, kSide, 0, 1, nullptr);
  NativeRender render = GetNativeRender();
  NativeCreateRenderImage(render, canvas);
  NativeRenderSetSmoothingMode(render, 1);
  NativePen pen = GetNativePen();
  NativeCreatePenWithColor(pen, 0xFF000000, 3);
  NativePenSetDashType(pen, 3);
  for (auto _ : state) benchmark::DoNotOptimize(NativeRenderDrawLines(render, pen, pts.data(), LONG(pts.size())));
  ReleaseNativePen(pen);
  ReleaseNativeRender(render);
  ReleaseNativeImage(canvas);
}
BENCHMARK(LuminarDashedStroke)->Unit(benchmark::kMillisecond);

void CairoDashedStroke(benchmark::State& state) {
  const std::vector<NativePointF> pts = Polyline();
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSide, kSide);
  cairo_t* cr = cairo_create(s);
  const double dashes[2] = {12, 9};  // the same Dash pattern: 4 and 3 widths of 3
  for (auto _ : state) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_width(cr, 3);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_dash(cr, dashes, 2, 0);
    cairo_move_to(cr, pts[0].x, pts[0].y);
    for (size_t i = 1; i < pts.size(); ++i) cairo_line_to(cr, pts[i].x, pts[i].y);
    cairo_stroke(cr);
    cairo_surface_flush(s);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}
BENCHMARK(CairoDashedStroke)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

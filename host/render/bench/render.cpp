// vantorel render's engine road on a generated 1,000-topic map (depth 4, text lengths
// varied): the layout once, then the map handed to the engine and painted (engine, canvas,
// objects and sketches, context on a DIB section, PaintView, frees), and PaintView alone,
// beside the same scene
// (rounded boxes, curves, colours, glyph runs) drawn with plain Cairo calls.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <chrono>
#include <cmath>
#include <string>

#include <kx2/Utf.h>
#include <vantorel/render_scene.h>

namespace {

using namespace vantorel::cli;

MapScene MakeScene() {
  MapScene scene;
  static const char* kWords[] = {
      "plan", "budget review", "call the suppliers about the delivery", "x", "a rather longer topic text to measure",
      "notes"};
  auto add = [&](int parent, int level, int n) {
    MapTopic t;
    const std::string text = std::string(kWords[n % 6]) + " " + std::to_string(n);
    t.text = kx2::Utf8ToUtf16(text);
    t.path = text;
    t.level = level;
    t.parent = parent;
    t.size = level == 0 ? 1400 : level == 1 ? 1100 : 1000;
    t.bold = level == 0;
    t.fillColor = level == 0 ? 0xFFFFFFCCu : 0xFFFFFFFFu;
    scene.topics.push_back(t);
    const int index = int(scene.topics.size()) - 1;
    if (parent >= 0) scene.topics[size_t(parent)].children.push_back(index);
    return index;
  };
  int n = 0;
  const int root = add(-1, 0, n++);
  for (int a = 0; a < 10; ++a) {
    const int ia = add(root, 1, n++);
    for (int b = 0; b < 10; ++b) {
      const int ib = add(ia, 2, n++);
      for (int c = 0; c < 9; ++c) add(ib, 3, n++);
    }
  }
  return scene;
}

const MapScene& LaidOutScene() {
  static const MapScene scene = [] {
    MapScene s = MakeScene();
    const auto start = std::chrono::steady_clock::now();
    MeasureAndLayOut(&s);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("layout of %zu topics: %.2f ms (measuring included)\n", s.topics.size(), ms);
    return s;
  }();
  return scene;
}

constexpr int kDpi = 24;  // keeps the 1,000-topic picture within a few thousand pixels

void BM_EngineRoad(benchmark::State& state) {
  const MapScene& scene = LaidOutScene();
  PaintRequest request;
  request.dpi = kDpi;
  Painted painted;
  for (auto _ : state) {
    std::string error;
    if (PaintScene(scene, request, &painted, &error) != 0) state.SkipWithError(error.c_str());
  }
  state.counters["pixels"] = double(painted.width) * painted.height;
}

void BM_PlainCairo(benchmark::State& state) {
  const MapScene& scene = LaidOutScene();
  const double s = kDpi / 7200.0;
  const double x0 = scene.bounds.x, y0 = scene.bounds.y;
  const int w = int(std::ceil(scene.bounds.width * s)) + 2 * kMarginPixels;
  const int h = int(std::ceil(scene.bounds.height * s)) + 2 * kMarginPixels;
  auto X = [&](double v) { return (v - x0) * s + kMarginPixels; };
  auto Y = [&](double v) { return (v - y0) * s + kMarginPixels; };
  std::vector<std::string> texts;
  for (const MapTopic& t : scene.topics) texts.push_back(kx2::Utf16ToUtf8(t.text));
  auto rgb = [](cairo_t* cr, uint32_t argb) {
    cairo_set_source_rgb(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0);
  };
  for (auto _ : state) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_line_width(cr, 2 * s * 75);
    for (size_t i = 1; i < scene.topics.size(); ++i) {
      const MapTopic& t = scene.topics[i];
      if (!t.visible) continue;
      const MapBox& p = scene.topics[size_t(t.parent)].box;
      const double ax = X(t.side > 0 ? p.Right() : p.x), ay = Y(p.MidY());
      const double dx = X(t.side > 0 ? t.box.x : t.box.Right()), dy = Y(t.box.MidY());
      cairo_move_to(cr, ax, ay);
      cairo_curve_to(cr, (ax + dx) / 2, ay, (ax + dx) / 2, dy, dx, dy);
      rgb(cr, t.branchColor);
      cairo_stroke(cr);
    }
    for (size_t i = 0; i < scene.topics.size(); ++i) {
      const MapTopic& t = scene.topics[i];
      if (!t.visible) continue;
      const double bx = X(t.box.x), by = Y(t.box.y), bw = t.box.width * s, bh = t.box.height * s;
      const double r = std::min({5.0 * kDpi / 72, bw / 2, bh / 2});
      cairo_new_sub_path(cr);
      cairo_arc(cr, bx + bw - r, by + r, r, -M_PI / 2, 0);
      cairo_arc(cr, bx + bw - r, by + bh - r, r, 0, M_PI / 2);
      cairo_arc(cr, bx + r, by + bh - r, r, M_PI / 2, M_PI);
      cairo_arc(cr, bx + r, by + r, r, M_PI, 3 * M_PI / 2);
      cairo_close_path(cr);
      rgb(cr, t.fillColor);
      cairo_fill_preserve(cr);
      rgb(cr, t.lineColor);
      cairo_stroke(cr);
      cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                             t.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
      cairo_set_font_size(cr, t.size / 100.0 * kDpi / 72.0);
      rgb(cr, t.textColor);
      cairo_move_to(cr, X(t.box.x + t.textX), Y(t.box.y + t.textY + t.textHeight * 0.8));
      cairo_show_text(cr, texts[i].c_str());
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    cairo_surface_destroy(surface);
  }
}

// PaintView alone, timed inside the road.
void BM_PaintView(benchmark::State& state) {
  const MapScene& scene = LaidOutScene();
  PaintRequest request;
  request.dpi = kDpi;
  Painted painted;
  for (auto _ : state) {
    std::string error;
    if (PaintScene(scene, request, &painted, &error) != 0) state.SkipWithError(error.c_str());
    state.SetIterationTime(painted.paintSeconds);
  }
}

BENCHMARK(BM_EngineRoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintView)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCairo)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Pick hit tests at 10,000 points on a canvas of 1,000 topics (kinds 402-411 on a grid,
// the standard style: 2 pt line, solid fill), beside the same outlines tested with Cairo:
// from the last outline back, a box test grown by the same tolerance, then cairo_in_stroke
// at twice the tolerance and cairo_in_fill, stopping at the first hit.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <memory>
#include <random>
#include <vector>

#include "plastrum/format/PresentEngine.h"
#include "plastrum/present/canvas/PresentCanvas.h"
#include "plastrum/present/drawing/HitTest.h"
#include "plastrum/present/drawing/Outline.h"
#include "plastrum/present/shell/module_lifecycle.h"
#include "plastrum/present/shell/present_exports.h"

using namespace Present::Drawing;

namespace {

constexpr int kTopics = 1000, kPoints = 10000, kColumns = 40;
constexpr float kCell = 1371600.0f;  // 1.5 inch a cell, the topic 1 x 0.5 inch inside it

struct World {
  IPresentEngine* engine = nullptr;
  PresentCanvas* canvas = nullptr;
  std::vector<PointF> points;
  // The peer: each outline as a Cairo path in pixels with its grown box.
  cairo_surface_t* surface = nullptr;
  std::vector<cairo_t*> contexts;
  std::vector<RectF> boxes;
  std::vector<float> tolerances;

  World() {
    if (!Present::IsModuleStarted()) Present::StartModule();
    engine = CreatePresentEngine();
    canvas = static_cast<PresentCanvas*>(engine->GetDesigner()->NewCanvas());
    surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    for (int i = 0; i < kTopics; ++i) {
      PresentGeometryInfo g{7200, 3600, 0, 0, nullptr, 0};
      PresentObjectInfo info{nullptr, 402 + i % 10, 1, 0, &g, 0, 0};
      canvas->SyncObject(&info);
      const float x = (i % kColumns) * kCell, y = (i / kColumns) * kCell;
      Sketch sketch;
      sketch.node = info.node;
      sketch.x = x;
      sketch.y = y;
      canvas->Drawing()->MergeSketch(sketch);

      const float tolerance = info.node->HitTolerance(1.0f);
      FlatOutline flat(info.node->geometry->segments);
      cairo_t* cr = cairo_create(surface);
      for (int32_t k = 0; k < flat.Count(); ++k) {
        const double px = (flat.Points()[k].x + x) / 9525.0, py = (flat.Points()[k].y + y) / 9525.0;
        k == 0 ? cairo_move_to(cr, px, py) : cairo_line_to(cr, px, py);
      }
      cairo_set_line_width(cr, 2 * tolerance / 9525.0);
      contexts.push_back(cr);
      RectF box = info.node->geometry->segments.Box();
      boxes.push_back(
          RectF{box.x + x - tolerance, box.y + y - tolerance, box.width + 2 * tolerance, box.height + 2 * tolerance});
      tolerances.push_back(tolerance);
    }
    std::mt19937 random(7);
    std::uniform_real_distribution<float> px(0, kColumns * kCell), py(0, (kTopics / kColumns) * kCell);
    for (int i = 0; i < kPoints; ++i) points.push_back(PointF{px(random), py(random)});
  }
};

World& Shared() {
  static World* world = new World();
  return *world;
}

void BM_CanvasPick(benchmark::State& state) {
  World& w = Shared();
  Canvas& canvas = *w.canvas->Drawing();
  int64_t hits = 0;
  for (auto _ : state) {
    for (const PointF& p : w.points) {
      const Diagram* hit = Pick(canvas, p, 0, 0, 1.0f, [](const PickResult* r) { return r != nullptr; });
      hits += hit != nullptr;
    }
  }
  state.counters["hits"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CanvasPick)->Unit(benchmark::kMillisecond);

void BM_CairoInFillAndStroke(benchmark::State& state) {
  World& w = Shared();
  int64_t hits = 0;
  for (auto _ : state) {
    for (const PointF& p : w.points) {
      for (int i = kTopics - 1; i >= 0; --i) {
        const RectF& b = w.boxes[static_cast<size_t>(i)];
        if (p.x < b.x || p.y < b.y || p.x > b.x + b.width || p.y > b.y + b.height) continue;
        cairo_t* cr = w.contexts[static_cast<size_t>(i)];
        const double x = p.x / 9525.0, y = p.y / 9525.0;
        if (cairo_in_stroke(cr, x, y) || cairo_in_fill(cr, x, y)) {
          ++hits;
          break;
        }
      }
    }
  }
  state.counters["hits"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CairoInFillAndStroke)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

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
#include "topic_grid_support.h"

using namespace Present::Drawing;

namespace {

using namespace present_bench;

constexpr int kPoints = 10000;

struct World {
  IPresentEngine* engine = nullptr;
  PresentCanvas* canvas = nullptr;
  std::vector<PointF> points;
  CairoPeer peer;

  World() {
    if (!Present::IsModuleStarted()) Present::StartModule();
    engine = CreatePresentEngine();
    canvas = static_cast<PresentCanvas*>(engine->GetDesigner()->NewCanvas());
    FillGrid(*canvas, peer);
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
      hits += w.peer.Hits(p, p.x / 9525.0, p.y / 9525.0);
    }
  }
  state.counters["hits"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CairoInFillAndStroke)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

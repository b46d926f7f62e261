// 10,000 pointer moves routed through the gesture router to the general handler (a focus
// hit test each) over a canvas of 1,000 topics (kinds 402-411 on a grid, the standard
// style), beside the same hits answered by Cairo over the same outlines: from the last
// outline back, a box test grown by the tolerance, then cairo_in_stroke at twice the
// tolerance and cairo_in_fill, stopping at the first hit.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <random>
#include <vector>

#include <vantorel/present_host.h>

#include "plastrum/format/PresentEngine.h"
#include "plastrum/present/canvas/PresentCanvas.h"
#include "plastrum/present/designer/Designer.h"
#include "plastrum/present/drawing/Outline.h"
#include "plastrum/present/gesture/PresentGesture.h"
#include "plastrum/present/shell/module_lifecycle.h"
#include "plastrum/present/shell/present_exports.h"
#include "topic_grid_support.h"

using namespace Present::Drawing;

namespace {

using namespace present_bench;

constexpr int kMoves = 10000;

class Owner final : public IPresentCanvasOwner {
 public:
  BOOL GetBinaryDataFile(LONG, VtlPathBuffer*) override { return FALSE; }
  BOOL DrawText(const void*, LONG, LONG, POINT) override { return FALSE; }
};

struct World {
  IPresentEngine* engine = nullptr;
  PresentCanvas* canvas = nullptr;
  PresentGesture* gesture = nullptr;
  IPresentMotion* motion = nullptr;
  Owner owner;
  std::vector<POINT> pixels;
  CairoPeer peer;

  World() {
    if (!Present::IsModuleStarted()) Present::StartModule();
    engine = CreatePresentEngine();
    auto* designer = static_cast<Presentation*>(engine->GetDesigner());
    canvas = static_cast<PresentCanvas*>(designer->NewCanvas());
    canvas->SetOwner(&owner);
    gesture = static_cast<PresentGesture*>(designer->GetGesture());
    motion = gesture->NewMotion(1);
    motion->SetOwner(reinterpret_cast<LONG_PTR>(&owner));
    gesture->SetMotion(motion, 1);
    FillGrid(*canvas, peer);
    // Client pixels at 96 DPI and zoom 1 (9525 EMU a pixel), inside the signed 16-bit range.
    std::mt19937 random(7);
    std::uniform_int_distribution<LONG> px(0, static_cast<LONG>(kColumns * kCell / 9525) - 1),
        py(0, static_cast<LONG>((kTopics / kColumns) * kCell / 9525) - 1);
    for (int i = 0; i < kMoves; ++i) pixels.push_back(POINT{px(random), py(random)});
  }
};

World& Shared() {
  static World* world = new World();
  return *world;
}

void BM_GestureMoves(benchmark::State& state) {
  World& w = Shared();
  int64_t hits = 0;
  for (auto _ : state) {
    for (const POINT& p : w.pixels) {
      const LPARAM param =
          static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(p.y)) << 16) | static_cast<uint16_t>(p.x));
      w.gesture->RouteMouse(w.canvas, 512, 0, param);
      hits += w.motion->GetTarget() != nullptr;
    }
  }
  state.counters["hits"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GestureMoves)->Unit(benchmark::kMillisecond);

void BM_CairoInFillAndStroke(benchmark::State& state) {
  World& w = Shared();
  int64_t hits = 0;
  for (auto _ : state) {
    for (const POINT& pixel : w.pixels) {
      const PointF p{static_cast<float>(pixel.x) * 9525.0f, static_cast<float>(pixel.y) * 9525.0f};
      hits += w.peer.Hits(p, pixel.x, pixel.y);
    }
  }
  state.counters["hits"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CairoInFillAndStroke)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

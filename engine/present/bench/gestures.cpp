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

using namespace Present::Drawing;

namespace {

constexpr int kTopics = 1000, kMoves = 10000, kColumns = 40;
constexpr float kCell = 1371600.0f;  // 1.5 inch a cell, the topic 1 x 0.5 inch inside it

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
  cairo_surface_t* surface = nullptr;
  std::vector<cairo_t*> contexts;
  std::vector<RectF> boxes;

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
    surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
    for (int i = 0; i < kTopics; ++i) {
      PresentGeometryInfo g{7200, 3600, 0, 0, nullptr, 0};
      PresentObjectInfo info{nullptr, 402 + i % 10, 1, 0, &g, 0, 0};
      canvas->SyncObject(&info);
      const float x = static_cast<float>(i % kColumns) * kCell, y = static_cast<float>(i / kColumns) * kCell;
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
    }
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
      for (int i = kTopics - 1; i >= 0; --i) {
        const RectF& b = w.boxes[static_cast<size_t>(i)];
        if (p.x < b.x || p.y < b.y || p.x > b.x + b.width || p.y > b.y + b.height) continue;
        cairo_t* cr = w.contexts[static_cast<size_t>(i)];
        if (cairo_in_stroke(cr, pixel.x, pixel.y) || cairo_in_fill(cr, pixel.x, pixel.y)) {
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

// PaintView of 1,000 figures of kinds 402-411 (solid fill, 2 pt line) on a 2000 x 2000
// target, beside the same outlines filled and stroked with plain Cairo calls.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <vector>

#include <kx2/GdiCairo.h>

#include "plastrum/format/PresentEngine.h"
#include "plastrum/format/PresentFill.h"
#include "plastrum/format/PresentLine.h"
#include "plastrum/format/PresentShape.h"
#include "plastrum/present/canvas/PresentCanvas.h"
#include "plastrum/present/drawing/Outline.h"
#include "plastrum/present/shell/module_lifecycle.h"
#include "plastrum/present/shell/present_context.h"
#include "plastrum/present/shell/present_exports.h"

using namespace Present::Drawing;

namespace {

constexpr int kFigures = 1000, kColumns = 40, kSide = 2000;

uint32_t SolidStyle() {
  CPresentFill lineFill;
  CPresentFill::SetDefault(lineFill, 1);
  lineFill.v.solidColor = PresentColorRef(0xFF203040u, 0);
  const int32_t lineFillId = PresentFillTable().Intern(lineFill);
  CPresentLine line = CPresentLine::StandardEntry();
  CPresentLine::SetFill(line, static_cast<uint32_t>(lineFillId));
  line.v.width = 200;
  const int32_t lineId = PresentLineTable().Intern(line);
  CPresentFill fill;
  CPresentFill::SetDefault(fill, 1);
  fill.v.solidColor = PresentColorRef(0xFFE08040u, 0);
  const int32_t fillId = PresentFillTable().Intern(fill);
  CPresentShape shape;
  shape.SetDefault(1);
  PresentLineTable().Assign(shape.v.lineID, static_cast<uint32_t>(lineId));
  PresentFillTable().Assign(shape.v.fillID, static_cast<uint32_t>(fillId));
  return static_cast<uint32_t>(PresentShapeTable().Intern(shape));
}

struct World {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSide, kSide);
  HDC dc = Kx2GdiCreateDcForSurface(surface);
  PresentCanvas* canvas = nullptr;
  // The peer's outlines in pixels.
  std::vector<std::vector<PointF>> outlines;

  World() {
    if (!Present::IsModuleStarted()) Present::StartModule();
    IPresentEngine* engine = CreatePresentEngine();
    Presentation* designer = static_cast<Presentation*>(engine->GetDesigner());
    canvas = static_cast<PresentCanvas*>(designer->NewCanvas());
    IPresentContext* context = designer->NewContext();
    context->SetDevice(dc);
    canvas->AttachContext(context);
    const LONG style = static_cast<LONG>(SolidStyle());
    for (int i = 0; i < kFigures; ++i) {
      PresentGeometryInfo g{2700, 1350, 0, 0, nullptr, 0};  // 36 x 18 px
      PresentObjectInfo info{nullptr, 402 + i % 10, style, 0, &g, 0, 0};
      canvas->SyncObject(&info);
      PresentSketchInfo sketch{};
      sketch.node = info.node;
      sketch.x = (i % kColumns) * 3600;  // 48 px apart
      sketch.y = (i / kColumns) * 5400;  // 72 px apart
      sketch.geometry = &g;
      canvas->SetSketch(&sketch);
      FlatOutline flat(info.node->geometry->segments);
      std::vector<PointF> points;
      for (int32_t k = 0; k < flat.Count(); ++k)
        points.push_back(PointF{(flat.Points()[k].x + sketch.x * 127.0f) / 9525.0f,
                                (flat.Points()[k].y + sketch.y * 127.0f) / 9525.0f});
      outlines.push_back(points);
    }
  }
};

World& Shared() {
  static World* world = new World();
  return *world;
}

void BM_PaintView(benchmark::State& state) {
  World& w = Shared();
  for (auto _ : state) {
    PaintContext context = w.canvas->Drawing()->MakePaintContext();
    context.originX = context.originY = 0;
    w.canvas->Drawing()->PaintAll(context);
  }
}
BENCHMARK(BM_PaintView)->Unit(benchmark::kMillisecond);

void BM_PlainCairo(benchmark::State& state) {
  World& w = Shared();
  for (auto _ : state) {
    cairo_t* cr = cairo_create(w.surface);
    cairo_set_line_width(cr, 200 / 7200.0 * 96);
    for (const auto& outline : w.outlines) {
      for (size_t k = 0; k < outline.size(); ++k)
        k == 0 ? cairo_move_to(cr, outline[k].x, outline[k].y) : cairo_line_to(cr, outline[k].x, outline[k].y);
      cairo_close_path(cr);
      cairo_set_source_rgb(cr, 0xE0 / 255.0, 0x80 / 255.0, 0x40 / 255.0);
      cairo_fill_preserve(cr);
      cairo_set_source_rgb(cr, 0x20 / 255.0, 0x30 / 255.0, 0x40 / 255.0);
      cairo_stroke(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(w.surface);
  }
}
BENCHMARK(BM_PlainCairo)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

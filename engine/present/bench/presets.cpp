// Building and flattening the outline of every preset kind for 1,000 frames, beside the
// same outlines built as Cairo paths and flattened with cairo_copy_path_flat. Cairo's
// tolerance is chosen so that it yields about as many points as ours.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "plastrum/present/drawing/Presets.h"

using namespace Present::Drawing;
using Present::Geometry::PointF;

namespace {

constexpr int kFrames = 1000;
constexpr uint32_t kKinds[] = {100, 101, 102, 103, 104, 105, 106, 107, 200, 201, 202, 203, 300, 301, 302, 303, 304,
                               305, 306, 307, 308, 400, 401, 402, 403, 404, 405, 406, 407, 408, 409, 410, 411};

struct Job {
  ShapeFrame frame;
  uint32_t kind;
};

std::vector<Job> MakeJobs() {
  std::mt19937 random(33);
  std::uniform_real_distribution<float> size(200000, 2000000), offset(-1500000, 1500000);
  std::vector<Job> jobs;
  for (int i = 0; i < kFrames; ++i) {
    const float w = size(random), h = size(random);
    for (uint32_t kind : kKinds) {
      Job job;
      job.kind = kind;
      job.frame.width = w;
      job.frame.height = h;
      std::vector<PointF> points;
      if (kind >= 300 && kind <= 304) {
        points = {{0, 0}, {w, 0}, {w, h}, {0, h}, {0, 0}};
      } else if (kind >= 408) {
        points = {{w / 2 + offset(random), h / 2 + offset(random)}};
      } else {
        points = {{w, 0}, {2 * w / 3, h / 2}, {w / 3, h / 2}, {0, h}};
      }
      job.frame.SetPoints(points.data(), int32_t(points.size()));
      jobs.push_back(std::move(job));
    }
  }
  return jobs;
}

const std::vector<Job>& Jobs() {
  static const std::vector<Job> jobs = MakeJobs();
  return jobs;
}

// The built geometries, for the peer to draw the same outlines.
const std::vector<std::unique_ptr<Geometry>>& Built() {
  static const std::vector<std::unique_ptr<Geometry>> built = [] {
    std::vector<std::unique_ptr<Geometry>> out;
    for (const Job& job : Jobs()) out.emplace_back(BuildGeometry(job.frame, job.kind));
    return out;
  }();
  return built;
}

void AddCairoPath(cairo_t* cr, const Segments& segments) {
  cairo_new_path(cr);
  PointF current;
  for (const Segment& s : segments.Items()) {
    switch (s.type) {
      case kMoveTo:
        cairo_move_to(cr, s.end.x, s.end.y);
        break;
      case kLineTo:
        cairo_line_to(cr, s.end.x, s.end.y);
        break;
      case kArcTo: {
        // The ellipse with conjugate radii towards the current point and the end point.
        cairo_matrix_t m;
        cairo_matrix_init(&m, current.x - s.second.x, current.y - s.second.y, s.end.x - s.second.x,
                          s.end.y - s.second.y, s.second.x, s.second.y);
        cairo_save(cr);
        cairo_transform(cr, &m);
        cairo_arc(cr, 0, 0, 1, 0, s.third.y * M_PI / 180);
        cairo_restore(cr);
        break;
      }
      case kQuadTo: {
        const double c1x = current.x + 2.0 / 3 * (s.second.x - current.x);
        const double c1y = current.y + 2.0 / 3 * (s.second.y - current.y);
        const double c2x = s.end.x + 2.0 / 3 * (s.second.x - s.end.x);
        const double c2y = s.end.y + 2.0 / 3 * (s.second.y - s.end.y);
        cairo_curve_to(cr, c1x, c1y, c2x, c2y, s.end.x, s.end.y);
        break;
      }
      case kCubicTo:
        cairo_curve_to(cr, s.second.x, s.second.y, s.third.x, s.third.y, s.end.x, s.end.y);
        break;
      default:
        break;
    }
    current = s.end;
  }
}

struct CairoContext {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_t* cr = cairo_create(surface);
  CairoContext() {
    // Model units are EMU; Cairo's device space is pixels at 96 DPI.
    cairo_scale(cr, 1.0 / 9525, 1.0 / 9525);
  }
  ~CairoContext() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
};

int64_t CairoPoints(cairo_t* cr) {
  int64_t points = 0;
  for (const auto& g : Built()) {
    AddCairoPath(cr, g->segments);
    cairo_path_t* path = cairo_copy_path_flat(cr);
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) points += path->data[i].header.length - 1;
    cairo_path_destroy(path);
  }
  return points;
}

int64_t OurPoints() {
  int64_t points = 0;
  for (const auto& g : Built()) points += g->segments.FlattenedCount();
  return points;
}

// The tolerance at which Cairo flattens the whole set into about as many points as ours.
double MatchedTolerance() {
  static const double tolerance = [] {
    CairoContext c;
    const int64_t wanted = OurPoints();
    double lo = 1e-3, hi = 100;
    for (int i = 0; i < 30; ++i) {
      const double mid = std::sqrt(lo * hi);
      cairo_set_tolerance(c.cr, mid);
      (CairoPoints(c.cr) > wanted ? lo : hi) = mid;
    }
    return std::sqrt(lo * hi);
  }();
  return tolerance;
}

void BM_Presets_BuildAndFlatten(benchmark::State& state) {
  std::vector<PointF> out;
  int64_t points = 0;
  for (auto _ : state) {
    points = 0;
    for (const Job& job : Jobs()) {
      std::unique_ptr<Geometry> g(BuildGeometry(job.frame, job.kind));
      out.resize(size_t(g->segments.FlattenedCount()));
      points += g->segments.Flatten(out.data());
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.counters["points"] = double(points);
  state.counters["outlines"] = double(Jobs().size());
}
BENCHMARK(BM_Presets_BuildAndFlatten)->Unit(benchmark::kMillisecond);

void BM_Presets_CairoPathFlat(benchmark::State& state) {
  CairoContext c;
  cairo_set_tolerance(c.cr, MatchedTolerance());
  int64_t points = 0;
  for (auto _ : state) points = CairoPoints(c.cr);
  state.counters["points"] = double(points);
  state.counters["outlines"] = double(Built().size());
  state.counters["tolerance"] = MatchedTolerance();
}
BENCHMARK(BM_Presets_CairoPathFlat)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

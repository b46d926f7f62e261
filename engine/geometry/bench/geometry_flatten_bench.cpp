// Flattening arcs and cubic Bezier curves: ours beside Cairo's cairo_copy_path_flat on
// the same curves, with Cairo's tolerance chosen so it yields about as many points.
#include "plastrum/geometry/CurveFlattening.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <vector>

using namespace Present::Geometry;

namespace {

constexpr double kRadius = 200;
constexpr int kBezierPoints = 64;

struct CairoContext {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_t* cr = cairo_create(surface);
  ~CairoContext() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
};

int CairoPointCount(cairo_path_t* path) {
  int points = 0;
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) points += path->data[i].header.length - 1;
  return points;
}

void AddCircle(cairo_t* cr) {
  cairo_new_path(cr);
  cairo_arc(cr, 300, 300, kRadius, 0, 2 * M_PI);
}

void AddBezier(cairo_t* cr) {
  cairo_new_path(cr);
  cairo_move_to(cr, 0, 0);
  cairo_curve_to(cr, 100, 400, 300, -200, 400, 200);
}

// Finds the tolerance at which Cairo's flattening gives about `wanted` points.
double MatchTolerance(void (*add)(cairo_t*), int wanted) {
  CairoContext c;
  double lo = 1e-4, hi = 100;
  for (int i = 0; i < 60; ++i) {
    const double mid = std::sqrt(lo * hi);
    cairo_set_tolerance(c.cr, mid);
    add(c.cr);
    cairo_path_t* path = cairo_copy_path_flat(c.cr);
    const int got = CairoPointCount(path);
    cairo_path_destroy(path);
    (got > wanted ? lo : hi) = mid;
  }
  return hi;
}

void BM_Ours_FullCircle(benchmark::State& state) {
  std::vector<PointF> out(120);
  for (auto _ : state) {
    const int n = FlattenArc({300, 300}, out.data(), {300, 500}, {500, 300}, 0, 360);
    benchmark::DoNotOptimize(out.data());
    state.counters["points"] = n;
  }
}

void BM_Cairo_FullCircle(benchmark::State& state) {
  CairoContext c;
  cairo_set_tolerance(c.cr, MatchTolerance(AddCircle, 120));
  for (auto _ : state) {
    AddCircle(c.cr);
    cairo_path_t* path = cairo_copy_path_flat(c.cr);
    state.counters["points"] = CairoPointCount(path);
    cairo_path_destroy(path);
  }
}

void BM_Ours_CubicBezier(benchmark::State& state) {
  std::vector<PointF> out(kBezierPoints);
  for (auto _ : state) {
    FlattenCubicBezier(kBezierPoints, {0, 0}, {100, 400}, {300, -200}, {400, 200}, out.data());
    benchmark::DoNotOptimize(out.data());
    state.counters["points"] = kBezierPoints;
  }
}

void BM_Cairo_CubicBezier(benchmark::State& state) {
  CairoContext c;
  cairo_set_tolerance(c.cr, MatchTolerance(AddBezier, kBezierPoints));
  for (auto _ : state) {
    AddBezier(c.cr);
    cairo_path_t* path = cairo_copy_path_flat(c.cr);
    state.counters["points"] = CairoPointCount(path);
    cairo_path_destroy(path);
  }
}

}  // namespace

BENCHMARK(BM_Ours_FullCircle);
BENCHMARK(BM_Cairo_FullCircle);
BENCHMARK(BM_Ours_CubicBezier);
BENCHMARK(BM_Cairo_CubicBezier);
BENCHMARK_MAIN();

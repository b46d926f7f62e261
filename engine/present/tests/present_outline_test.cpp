#include <cairo.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "plastrum/present/drawing/Outline.h"
#include "present_test_support.h"

using namespace present_test;
using Present::Drawing::DistanceToSegment;
using Present::Drawing::FlatOutline;
using Present::Drawing::HitPolyline;
using Present::Drawing::OutlineContains;
using Present::Drawing::PolygonContains;
using Present::Drawing::Segments;
using Present::Drawing::StrokeHit;

namespace {

struct Cairo {
  Cairo() : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1)), cr(cairo_create(surface)) {}
  ~Cairo() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
  void Polygon(const std::vector<PointF>& points, bool close) {
    cairo_new_path(cr);
    cairo_move_to(cr, points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i) cairo_line_to(cr, points[i].x, points[i].y);
    if (close) cairo_close_path(cr);
  }
  cairo_surface_t* surface;
  cairo_t* cr;
};

float DistanceToOutline(const std::vector<PointF>& flat, PointF p) {
  float best = INFINITY;
  for (size_t i = 0; i + 1 < flat.size(); ++i) best = std::min(best, DistanceToSegment(p, flat[i], flat[i + 1]));
  return best;
}

}  // namespace

TEST(PresentOutline, DistanceAndFirstEdgeHit) {
  const PointF line[] = {{0, 0}, {100, 0}, {100, 100}};
  EXPECT_FLOAT_EQ(DistanceToSegment({50, 10}, line[0], line[1]), 10);
  EXPECT_FLOAT_EQ(DistanceToSegment({-30, 40}, line[0], line[1]), 50);  // clamped to the start
  EXPECT_FLOAT_EQ(DistanceToSegment({7, 7}, {3, 4}, {3, 4}), std::hypot(4.0f, 3.0f));
  EXPECT_EQ(HitPolyline(line, 3, {100, 2}, 3), 0);  // the first edge within the tolerance
  EXPECT_EQ(HitPolyline(line, 3, {103, 50}, 3), 1);
  EXPECT_EQ(HitPolyline(line, 3, {104, 50}, 3), -1);
  EXPECT_EQ(HitPolyline(line, 1, {0, 0}, 3), -1);
}

TEST(PresentOutline, OnlyClosedOutlinesContain) {
  Segments open;
  open.MoveTo({0, 0});
  open.LineTo({100, 0});
  open.LineTo({100, 100});
  open.LineTo({0, 100});
  EXPECT_FALSE(OutlineContains(open, {50, 50}));
  open.LineTo({0, 0});
  EXPECT_TRUE(OutlineContains(open, {50, 50}));
  EXPECT_FALSE(OutlineContains(open, {150, 50}));
  EXPECT_TRUE(StrokeHit(open, {101, 50}, 2));
  EXPECT_FALSE(StrokeHit(open, {50, 50}, 2));
  EXPECT_FALSE(OutlineContains(Segments(), {0, 0}));
}

// Outlines beyond the stack share one reused heap buffer and measure the same.
TEST(PresentOutline, LargeOutlinesUseTheHeapBuffer) {
  Segments big;
  const int n = 10000;
  big.MoveTo({1000, 0});
  for (int i = 1; i <= n; ++i) {
    const float a = 2 * float(M_PI) * float(i) / n;
    big.LineTo({1000 * std::cos(a), 1000 * std::sin(a)});
  }
  big.LineTo({1000, 0});
  ASSERT_GT(big.FlattenedCount(), FlatOutline::kInlinePoints);
  EXPECT_TRUE(OutlineContains(big, {0, 0}));
  EXPECT_FALSE(OutlineContains(big, {1001, 0}));
  EXPECT_TRUE(StrokeHit(big, {0, 1001}, 2));
  const FlatOutline first(big);
  EXPECT_EQ(first.Count(), big.FlattenedCount());
}

// The even-odd inside test and the stroke distance agree with Cairo's on the flattened
// outlines of the topic shapes, at random points (except within 1 EMU of an edge, where
// floats and Cairo's fixed point may differ).
TEST(PresentOutline, AgreesWithCairo) {
  Cairo c;
  cairo_set_fill_rule(c.cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_set_line_cap(c.cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_line_join(c.cr, CAIRO_LINE_JOIN_ROUND);
  std::mt19937 random(20261210);
  std::uniform_real_distribution<float> x(-200000, 1200000), y(-200000, 1200000);
  const float tolerance = 28575;  // 3 px
  cairo_set_line_width(c.cr, 2 * tolerance);
  int inside = 0, stroked = 0;
  for (uint32_t kind = 402; kind <= 411; ++kind) {
    SCOPED_TRACE(kind);
    const auto g = Build(Frame(1000000, 600000, {{700000, 1000000}}), kind);
    const auto flat = Flat(*g);
    ASSERT_TRUE(g->segments.IsClosed());
    for (int i = 0; i < 1500; ++i) {
      const PointF p{x(random), y(random)};
      const float d = DistanceToOutline(flat, p);
      if (d < 1) continue;
      c.Polygon(flat, true);
      const bool cairoInside = cairo_in_fill(c.cr, p.x, p.y);
      EXPECT_EQ(OutlineContains(g->segments, p), cairoInside) << p.x << "," << p.y;
      inside += cairoInside;
      if (std::fabs(d - tolerance) < 1) continue;
      c.Polygon(flat, false);
      const bool cairoStroke = cairo_in_stroke(c.cr, p.x, p.y);
      EXPECT_EQ(StrokeHit(g->segments, p, tolerance), cairoStroke) << p.x << "," << p.y;
      stroked += cairoStroke;
    }
  }
  // The sample reaches both sides of both tests.
  EXPECT_GT(inside, 1000);
  EXPECT_GT(stroked, 100);
}

// A sheet of every preset for a person to look at.
TEST(PresentOutline, SheetOfEveryPreset) {
  const char* dir = std::getenv("KX2_TEST_OUTPUT");
  if (dir == nullptr) GTEST_SKIP() << "KX2_TEST_OUTPUT is not set";
  const int cell = 160, columns = 8;
  const uint32_t kinds[] = {100, 101, 102, 103, 104, 105, 106, 107, 200, 201, 202, 203, 300, 301, 302, 303,
                            304, 305, 306, 307, 308, 400, 402, 403, 404, 405, 406, 407, 408, 409, 410, 411};
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, cell * columns, cell * 4);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  int index = 0;
  for (uint32_t kind : kinds) {
    ShapeFrame f;
    if (kind < 300) {
      f = Frame({{900000, 100000}, {600000, 500000}, {300000, 500000}, {0, 800000}});
    } else if (kind <= 304) {
      f = Frame({{100000, 100000}, {900000, 100000}, {900000, 700000}, {100000, 700000}, {100000, 100000}});
    } else if (kind < 400) {
      f = Frame({{400000, 100000}, {100000, 100000}, {100000, 800000}, {400000, 800000}});
    } else {
      f = Frame(900000, 500000, {{700000, 900000}});
    }
    const auto g = Build(f, kind);
    const auto flat = Flat(*g);
    cairo_save(cr);
    cairo_translate(cr, (index % columns) * cell + 10, (index / columns) * cell + 10);
    cairo_scale(cr, 140.0 / 1000000, 140.0 / 1000000);
    cairo_move_to(cr, flat[0].x, flat[0].y);
    for (const PointF& p : flat) cairo_line_to(cr, p.x, p.y);
    cairo_restore(cr);
    if (g->segments.IsClosed()) {
      cairo_set_source_rgb(cr, 0.8, 0.9, 1);
      cairo_fill_preserve(cr);
    }
    cairo_set_source_rgb(cr, 0, 0, 0.5);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    ++index;
  }
  const std::string path = std::string(dir) + "/present_presets.png";
  EXPECT_EQ(cairo_surface_write_to_png(surface, path.c_str()), CAIRO_STATUS_SUCCESS);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
}

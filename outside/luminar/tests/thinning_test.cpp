// Polygons and polylines painted onto pixels are thinned to what the pixels can show: the
// picture must stay the one every vertex would give.
#include <cairo.h>

#include <cmath>
#include <vector>

#include "Canvas.h"

namespace {

struct Figure {
  const char* name;
  std::vector<NativePointF> points;
};

// A circle flattened as the engine flattens arcs: 3-degree steps.
std::vector<NativePointF> Circle(float cx, float cy, float r) {
  std::vector<NativePointF> out;
  for (int degrees = 0; degrees < 360; degrees += 3)
    out.push_back({cx + r * float(std::cos(degrees * M_PI / 180)), cy + r * float(std::sin(degrees * M_PI / 180))});
  return out;
}

std::vector<Figure> Figures() {
  std::vector<Figure> figures{{"circle", Circle(40, 40, 30)}, {"small circle", Circle(40, 40, 3)}};
  // Teeth one pixel high every 4 pixels: each is far above the tolerance and must stay.
  Figure teeth{"teeth", {}};
  for (int i = 0; i <= 16; ++i) teeth.points.push_back({8.0f + 4 * i, i % 2 ? 39.0f : 40.0f});
  figures.push_back(teeth);
  // A run of nearly collinear vertices with one spike; a line that turns back on itself.
  Figure spike{"spike", {}};
  for (int i = 0; i <= 60; ++i) spike.points.push_back({10.0f + i, i == 30 ? 12.0f : 40.0f + 0.02f * (i % 3)});
  figures.push_back(spike);
  figures.push_back({"back and forth", {{10, 40}, {40, 40}, {60, 40}, {30, 40.05f}, {20, 40}, {20, 70}}});
  return figures;
}

// The same figure through plain Cairo with every vertex.
std::vector<uint32_t> Reference(const Figure& f, bool fill, bool closed) {
  std::vector<uint32_t> pixels(80 * 80, 0xFFFFFF);
  cairo_surface_t* s = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                           CAIRO_FORMAT_RGB24, 80, 80, 80 * 4);
  cairo_t* cr = cairo_create(s);
  for (size_t i = 0; i < f.points.size(); ++i) (i ? cairo_line_to : cairo_move_to)(cr, f.points[i].x, f.points[i].y);
  if (closed) cairo_close_path(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  if (fill) {
    cairo_fill(cr);
  } else {
    cairo_set_line_width(cr, 1);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return pixels;
}

}  // namespace

TEST(LuminarThinning, OutlinesAndFillsLookAsWithEveryVertex) {
  for (const Figure& f : Figures()) {
    for (int call = 0; call < 3; ++call) {  // DrawLines, DrawPolygon, FillPolygon
      Canvas canvas(80, 80, /*smooth=*/true);
      PenHolder pen;
      BrushHolder brush;
      ASSERT_TRUE(NativeCreatePenWithColor(pen.h, 0xFF000000, 1));
      ASSERT_TRUE(NativeCreateSolidColorBrush(brush.h, 0xFF000000));
      const LONG n = LONG(f.points.size());
      const LONG status = call == 0   ? NativeRenderDrawLines(canvas.render, pen.h, f.points.data(), n)
                          : call == 1 ? NativeRenderDrawPolygon(canvas.render, pen.h, f.points.data(), n)
                                      : NativeRenderFillPolygon(canvas.render, brush.h, f.points.data(), n, 1);
      ASSERT_EQ(status, kNativeOk);
      const std::vector<uint32_t> expected = Reference(f, call == 2, call != 0);
      int worst = 0;
      for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 80; ++x) {
          const uint32_t a = canvas.At(x, y), e = expected[size_t(y * 80 + x)] & 0xFFFFFF;
          const int d = std::abs(Channel(a, 8) - Channel(e, 8));
          worst = std::max(worst, d);
        }
      // A tenth of a pixel moves an edge pixel's coverage by about a tenth, on both edges of
      // a one-pixel line; a vertex dropped wrongly leaves a pixel off by most of its range.
      EXPECT_LE(worst, 48) << f.name << " call " << call;
    }
  }
  // The spike's tip is drawn.
  Canvas canvas(80, 80, true);
  PenHolder pen;
  ASSERT_TRUE(NativeCreatePenWithColor(pen.h, 0xFF000000, 1));
  const std::vector<Figure> figures = Figures();
  ASSERT_EQ(NativeRenderDrawLines(canvas.render, pen.h, figures[3].points.data(), LONG(figures[3].points.size())),
            kNativeOk);
  EXPECT_TRUE(canvas.Inked(40, 13));
}

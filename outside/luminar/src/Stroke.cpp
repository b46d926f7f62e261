#include "Stroke.h"

#include <cmath>

namespace luminar {
namespace {

// Dash patterns in multiples of the line width, by dash value 1-8 (0 is solid).
const std::vector<double> kDashes[9] = {
    {},                  // Solid
    {0.001, 2},          // RoundDot: dots made by round caps, a width apart
    {1, 1},              // SquareDot
    {4, 3},              // Dash
    {4, 3, 1, 3},        // DashDot
    {4, 3, 1, 3, 1, 3},  // DashDotDot
    {8, 3},              // LongDash
    {8, 3, 1, 3},        // LongDashDot
    {8, 3, 1, 3, 1, 3},  // LongDashDotDot
};

// Draws the arrowhead whose tip is `tip`, pointing along unit (dx, dy); the source and
// line width are set. Returns how far the line must stop short of the tip.
double DrawHead(cairo_t* cr, const Arrow& a, double penWidth, double tx, double ty, double dx, double dy) {
  static const double kFactor[3] = {2, 3, 5};
  const double basis = a.width > 0 ? a.width : (penWidth > 0 ? penWidth : 1);
  const int size = a.size >= 0 && a.size <= 8 ? a.size : 0;
  const double w = std::max(3.0, basis * kFactor[size / 3]), l = std::max(3.0, basis * kFactor[size % 3]);
  const double nx = -dy, ny = dx;
  auto at = [&](double along, double across, double* x, double* y) {
    *x = tx - dx * along + nx * across;
    *y = ty - dy * along + ny * across;
  };
  double x, y;
  cairo_new_path(cr);
  switch (a.type) {
    case 1:  // Arrow: a filled triangle
      cairo_move_to(cr, tx, ty);
      at(l, w / 2, &x, &y), cairo_line_to(cr, x, y);
      at(l, -w / 2, &x, &y), cairo_line_to(cr, x, y);
      cairo_close_path(cr);
      cairo_fill(cr);
      return l / 2;
    case 2: {  // Open: two strokes meeting just behind the tip, so the round join ends at it
      const double back = penWidth / 2;
      at(back + l, w / 2, &x, &y), cairo_move_to(cr, x, y);
      at(back, 0, &x, &y), cairo_line_to(cr, x, y);
      at(back + l, -w / 2, &x, &y), cairo_line_to(cr, x, y);
      cairo_save(cr);
      cairo_set_dash(cr, nullptr, 0, 0);
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
      cairo_stroke(cr);
      cairo_restore(cr);
      return back + penWidth / 2;
    }
    case 3:  // Stealth: a triangle with a notch in its base
      cairo_move_to(cr, tx, ty);
      at(l, w / 2, &x, &y), cairo_line_to(cr, x, y);
      at(l * 0.6, 0, &x, &y), cairo_line_to(cr, x, y);
      at(l, -w / 2, &x, &y), cairo_line_to(cr, x, y);
      cairo_close_path(cr);
      cairo_fill(cr);
      return l * 0.4;
    case 4:  // Diamond, its front corner at the tip
      cairo_move_to(cr, tx, ty);
      at(l / 2, w / 2, &x, &y), cairo_line_to(cr, x, y);
      at(l, 0, &x, &y), cairo_line_to(cr, x, y);
      at(l / 2, -w / 2, &x, &y), cairo_line_to(cr, x, y);
      cairo_close_path(cr);
      cairo_fill(cr);
      return l / 2;
    case 5: {  // Oval, its front at the tip
      at(l / 2, 0, &x, &y);
      cairo_save(cr);
      cairo_translate(cr, x, y);
      cairo_rotate(cr, std::atan2(dy, dx));
      cairo_scale(cr, l / 2, w / 2);
      cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
      cairo_restore(cr);
      cairo_fill(cr);
      return l / 2;
    }
    default:
      return 0;
  }
}

// Unit direction arriving at points[end] from the nearest distinct point before it.
bool Direction(const std::vector<NativePointF>& pts, bool atEnd, double* dx, double* dy) {
  const int n = int(pts.size());
  const NativePointF tip = atEnd ? pts[n - 1] : pts[0];
  for (int k = 1; k < n; ++k) {
    const NativePointF p = atEnd ? pts[n - 1 - k] : pts[k];
    const double ex = tip.x - p.x, ey = tip.y - p.y, len = std::hypot(ex, ey);
    if (len > 1e-6) {
      *dx = ex / len, *dy = ey / len;
      return true;
    }
  }
  return false;
}

// Pulls the figure's end back by `distance` along its last segment (never past its start).
void Shorten(std::vector<NativePointF>& pts, bool atEnd, double distance) {
  if (distance <= 0 || pts.size() < 2) return;
  NativePointF& tip = atEnd ? pts.back() : pts.front();
  const NativePointF& prev = atEnd ? pts[pts.size() - 2] : pts[1];
  const double ex = tip.x - prev.x, ey = tip.y - prev.y, len = std::hypot(ex, ey);
  if (len < 1e-6) return;
  const double t = std::min(distance, len) / len;
  tip.x = float(tip.x - ex * t);
  tip.y = float(tip.y - ey * t);
}

// An upper bound of the figure's length in device pixels: its control polygon.
double DeviceLength(cairo_t* cr, const PathData& path) {
  double total = 0, lastX = 0, lastY = 0, startX = 0, startY = 0;
  auto to = [&](double x, double y) {
    cairo_user_to_device(cr, &x, &y);
    total += std::hypot(x - lastX, y - lastY);
    lastX = x, lastY = y;
  };
  for (const PathData::Op& op : path.ops) {
    switch (op.type) {
      case PathData::Op::kMove:
        lastX = op.pts[0], lastY = op.pts[1];
        cairo_user_to_device(cr, &lastX, &lastY);
        startX = lastX, startY = lastY;
        break;
      case PathData::Op::kLine:
        to(op.pts[0], op.pts[1]);
        break;
      case PathData::Op::kCurve:
        to(op.pts[0], op.pts[1]), to(op.pts[2], op.pts[3]), to(op.pts[4], op.pts[5]);
        break;
      case PathData::Op::kClose:
        total += std::hypot(startX - lastX, startY - lastY);
        lastX = startX, lastY = startY;
        break;
    }
  }
  return total;
}

// Beyond this many dashes a figure draws solid: Cairo lays dashes out one by one, and a
// figure that long (far beyond any screen) would hold the drawing thread for minutes.
constexpr double kMostDashes = 2e6;

}  // namespace

std::vector<std::pair<double, double>> CompoundBands(LONG compound) {
  switch (compound) {
    case 1:
      return {{0, 1.0 / 3}, {2.0 / 3, 1}};  // Double
    case 2:
      return {{0, 0.6}, {0.8, 1}};  // ThickThin
    case 3:
      return {{0, 0.2}, {0.4, 1}};  // ThinThick
    case 4:
      return {{0, 0.2}, {0.4, 0.6}, {0.8, 1}};  // Triple
    default:
      return {{0, 1}};
  }
}

std::vector<NativePointF> OffsetPolyline(const std::vector<NativePointF>& pts, bool closed, double d) {
  const size_t n = pts.size();
  std::vector<NativePointF> out(pts);
  if (n < 2) return out;
  auto normal = [&](size_t i, double* nx, double* ny) {  // of segment i -> i+1
    const NativePointF a = pts[i], b = pts[(i + 1) % n];
    const double ex = b.x - a.x, ey = b.y - a.y, len = std::hypot(ex, ey);
    if (len < 1e-9) return false;
    *nx = -ey / len, *ny = ex / len;
    return true;
  };
  for (size_t i = 0; i < n; ++i) {
    double n1x = 0, n1y = 0, n2x = 0, n2y = 0;
    const bool hasIn = (i > 0 || closed) && normal((i + n - 1) % n, &n1x, &n1y);
    const bool hasOut = (i + 1 < n || closed) && normal(i, &n2x, &n2y);
    double ox, oy;
    if (hasIn && hasOut) {
      const double sx = n1x + n2x, sy = n1y + n2y, dot = 1 + n1x * n2x + n1y * n2y;
      const double k = dot > 0.125 ? 1 / dot : 8;  // miter capped at 4x the offset
      ox = sx * k, oy = sy * k;
    } else if (hasIn) {
      ox = n1x, oy = n1y;
    } else if (hasOut) {
      ox = n2x, oy = n2y;
    } else {
      continue;
    }
    out[i].x = float(pts[i].x + ox * d);
    out[i].y = float(pts[i].y + oy * d);
  }
  return out;
}

void StrokePath(Render& render, const Pen& pen, const PathData& path, const std::vector<NativePointF>* arrows) {
  cairo_t* cr = render.cr.get();
  PatternPtr source;
  if (pen.brush) source = static_cast<const Brush*>(pen.brush)->MakePattern();
  if (!source) source.reset(SolidPattern(pen.color));
  cairo_set_source(cr, source.get());

  double width = pen.width;
  if (width <= 0) {  // a hairline: one device pixel whatever the transform
    double ux = 1, uy = 0;
    cairo_device_to_user_distance(cr, &ux, &uy);
    width = std::hypot(ux, uy);
  }
  static const cairo_line_cap_t kCaps[3] = {CAIRO_LINE_CAP_BUTT, CAIRO_LINE_CAP_ROUND, CAIRO_LINE_CAP_SQUARE};
  static const cairo_line_join_t kJoins[3] = {CAIRO_LINE_JOIN_ROUND, CAIRO_LINE_JOIN_BEVEL, CAIRO_LINE_JOIN_MITER};
  LONG dash = pen.dash >= 0 && pen.dash <= 8 ? pen.dash : 0;
  cairo_line_cap_t cap = kCaps[pen.cap >= 0 && pen.cap <= 2 ? pen.cap : 0];
  cairo_set_line_join(cr, kJoins[pen.join >= 0 && pen.join <= 2 ? pen.join : 0]);
  cairo_set_line_width(cr, width);

  // Arrowheads first, on the whole figure; the line is then shortened into them.
  std::vector<NativePointF> shortened;
  const bool withArrows = arrows && arrows->size() >= 2 &&
                          ((pen.begin.type >= 1 && pen.begin.type <= 5) || (pen.end.type >= 1 && pen.end.type <= 5));
  if (withArrows) {
    shortened = *arrows;
    double dx, dy;
    if (pen.begin.type >= 1 && pen.begin.type <= 5 && Direction(*arrows, false, &dx, &dy))
      Shorten(shortened, false, DrawHead(cr, pen.begin, width, (*arrows)[0].x, (*arrows)[0].y, dx, dy));
    if (pen.end.type >= 1 && pen.end.type <= 5 && Direction(*arrows, true, &dx, &dy))
      Shorten(shortened, true, DrawHead(cr, pen.end, width, arrows->back().x, arrows->back().y, dx, dy));
    cairo_set_source(cr, source.get());
  }

  if (dash) {
    double period = 0;
    for (double v : kDashes[dash]) period += v * width;
    double px = period, py = 0;
    cairo_user_to_device_distance(cr, &px, &py);
    if (DeviceLength(cr, path) / std::max(std::hypot(px, py), 1e-9) > kMostDashes) dash = 0;
  }
  if (dash) {
    std::vector<double> pattern;
    for (double v : kDashes[dash]) pattern.push_back(v * width);
    cairo_set_dash(cr, pattern.data(), int(pattern.size()), 0);
    cap = dash == 1 ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT;
  }
  cairo_set_line_cap(cr, cap);

  const LONG compound = pen.compound >= 0 && pen.compound <= 4 ? pen.compound : 0;
  if (compound == 0) {
    cairo_new_path(cr);
    if (withArrows) {
      PathData line;
      line.AddPolygon(shortened.data(), LONG(shortened.size()), false);
      line.Apply(cr);
    } else {
      path.Apply(cr);
    }
    cairo_stroke(cr);
    return;
  }
  // Each band is stroked on its own offset of the flattened figures.
  std::vector<std::vector<NativePointF>> figures;
  std::vector<bool> closed;
  if (withArrows) {
    figures.push_back(shortened);
    closed.push_back(false);
  } else {
    figures = path.Flatten();
    bool anyClose = false;
    for (const auto& op : path.ops) anyClose |= op.type == PathData::Op::kClose;
    closed.assign(figures.size(), anyClose);
  }
  for (const auto& band : CompoundBands(compound)) {
    const double offset = width * ((band.first + band.second) / 2 - 0.5);
    cairo_set_line_width(cr, width * (band.second - band.first));
    cairo_new_path(cr);
    for (size_t f = 0; f < figures.size(); ++f) {
      std::vector<NativePointF> pts = OffsetPolyline(figures[f], closed[f], offset);
      if (closed[f] && pts.size() > 2 && pts.front().x == pts.back().x && pts.front().y == pts.back().y) pts.pop_back();
      PathData band;
      band.AddPolygon(pts.data(), LONG(pts.size()), closed[f]);
      band.Apply(cr);
    }
    cairo_stroke(cr);
  }
}

}  // namespace luminar

// The engine flattens arcs at fixed 3-degree steps whatever the zoom, so a rounded box
// seen small carries a hundred vertices within a few pixels, and Cairo's stroker and
// rasteriser pay for every one of them: most of a map's painting time went there. Thinning
// to a tenth of a device pixel, well under what antialiasing shows, cut it by a third.
#include "PixelPolyline.h"

#include <cmath>
#include <cstring>

namespace luminar {

namespace {

constexpr double kPixelTolerance = 0.1;

double Cross(double x1, double y1, double x2, double y2) { return x1 * y2 - y1 * x2; }

// Sleeve fitting, constant work per vertex: seen from the last kept vertex (the anchor),
// each skipped vertex allows the directions whose line passes within the tolerance of it,
// a wedge. A new vertex extends the run while it lies inside the intersection of the wedges
// and no nearer than the farthest skipped one; then every skipped vertex lies within the
// tolerance of the drawn segment itself, not only of its line.
class Sleeve {
 public:
  void Restart(double x, double y) {
    ax_ = x, ay_ = y;
    constrained_ = crossed_ = false;
    farthest2_ = 0;
  }
  bool Admits(double x, double y) const {
    const double vx = x - ax_, vy = y - ay_;
    if (vx * vx + vy * vy < farthest2_) return false;
    if (!constrained_) return true;
    if (crossed_) return false;
    return Cross(lowX_, lowY_, vx, vy) >= 0 && Cross(vx, vy, highX_, highY_) >= 0;
  }
  // Narrows the wedge to the directions passing within the tolerance of (x, y).
  void Take(double x, double y) {
    const double vx = x - ax_, vy = y - ay_, d2 = vx * vx + vy * vy;
    if (d2 > farthest2_) farthest2_ = d2;
    const double t2 = kPixelTolerance * kPixelTolerance;
    if (d2 <= t2) return;  // next to the anchor: every direction passes near enough
    const double inverse = 1 / std::sqrt(d2), sinA = kPixelTolerance * inverse, s2 = sinA * sinA;
    // cos = sqrt(1 - sin^2) by its series cut after three terms: the cut value is a little
    // larger, so the wedge comes out a little narrower, never wider. Within twice the
    // tolerance of the anchor the series is too far off and the root is taken.
    const double cosA = s2 < 0.25 ? 1 - s2 / 2 - s2 * s2 / 8 - s2 * s2 * s2 / 16 : std::sqrt(1 - s2);
    const double ux = vx * inverse, uy = vy * inverse;
    const double lx = ux * cosA + uy * sinA, ly = uy * cosA - ux * sinA;  // turned back by the angle
    const double hx = ux * cosA - uy * sinA, hy = uy * cosA + ux * sinA;  // turned on by it
    if (!constrained_) {
      lowX_ = lx, lowY_ = ly, highX_ = hx, highY_ = hy;
      constrained_ = true;
      return;
    }
    if (Cross(lowX_, lowY_, lx, ly) > 0) lowX_ = lx, lowY_ = ly;
    if (Cross(hx, hy, highX_, highY_) > 0) highX_ = hx, highY_ = hy;
    // Bounds that crossed leave no direction; the two half-plane tests alone would then
    // admit a sliver pointing backwards.
    if (Cross(lowX_, lowY_, highX_, highY_) < 0) crossed_ = true;
  }

 private:
  double ax_ = 0, ay_ = 0;
  bool constrained_ = false, crossed_ = false;
  double lowX_ = 0, lowY_ = 0, highX_ = 0, highY_ = 0;
  double farthest2_ = 0;
};

}  // namespace

std::vector<NativePointF> PixelPolyline(const NativePointF* points, LONG count, const cairo_matrix_t& m) {
  std::vector<NativePointF> kept;
  if (points == nullptr || count <= 0) return kept;
  auto device = [&](LONG i, double* x, double* y) {
    *x = m.xx * points[i].x + m.xy * points[i].y + m.x0;
    *y = m.yx * points[i].x + m.yy * points[i].y + m.y0;
  };
  kept.push_back(points[0]);
  Sleeve sleeve;
  double x, y;
  device(0, &x, &y);
  sleeve.Restart(x, y);
  LONG pending = -1;  // the last vertex taken into the sleeve, not yet kept
  for (LONG i = 1; i < count; ++i) {
    device(i, &x, &y);
    if (pending >= 0 && !sleeve.Admits(x, y)) {
      kept.push_back(points[pending]);
      double px, py;
      device(pending, &px, &py);
      sleeve.Restart(px, py);
    }
    sleeve.Take(x, y);
    pending = i;
  }
  if (pending >= 0) kept.push_back(points[pending]);
  return kept;
}

const std::vector<NativePointF>& PixelPolylineOnce(const NativePointF* points, LONG count,
                                                   const cairo_matrix_t& toDevice) {
  struct Last {
    std::vector<NativePointF> given;
    cairo_matrix_t toDevice{};
    std::vector<NativePointF> kept;
  };
  thread_local Last last;
  const size_t n = points && count > 0 ? size_t(count) : 0;
  const bool same = n == last.given.size() && std::memcmp(&toDevice, &last.toDevice, sizeof toDevice) == 0 &&
                    (n == 0 || std::memcmp(points, last.given.data(), n * sizeof *points) == 0);
  if (!same) {
    last.given.assign(points, points + n);
    last.toDevice = toDevice;
    last.kept = PixelPolyline(points, count, toDevice);
  }
  return last.kept;
}

}  // namespace luminar

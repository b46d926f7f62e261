#include "plastrum/geometry/CurveFlattening.h"

#include <new>
#include <vector>

namespace Present::Geometry {

bool BezierSplineControlPoints(const PointF* k, int count, PointF* first, PointF* second) {
  if (k == nullptr || first == nullptr || second == nullptr || count < 2) return false;
  const int n = count - 1;
  if (n == 1) {
    // One segment has no neighbours to smooth against: the straight Bezier.
    first[0] = PointF{(2 * k[0].x + k[1].x) / 3, (2 * k[0].y + k[1].y) / 3};
    second[0] = PointF{(k[0].x + 2 * k[1].x) / 3, (k[0].y + 2 * k[1].y) / 3};
    return true;
  }
  std::vector<PointF> rhs;
  try {
    rhs.resize(n);
  } catch (const std::bad_alloc&) {
    return false;
  }
  rhs[0] = PointF{k[0].x + 2 * k[1].x, k[0].y + 2 * k[1].y};
  for (int i = 1; i < n - 1; ++i) rhs[i] = PointF{4 * k[i].x + 2 * k[i + 1].x, 4 * k[i].y + 2 * k[i + 1].y};
  rhs[n - 1] = PointF{(8 * k[n - 1].x + k[n].x) / 2, (8 * k[n - 1].y + k[n].y) / 2};

  // Tridiagonal solve; the sweep factors live in `second` until it is filled.
  float b = 2;
  first[0] = PointF{rhs[0].x / b, rhs[0].y / b};
  for (int i = 1; i < n; ++i) {
    const float t = 1 / b;
    second[i].x = t;
    b = (i < n - 1 ? 4.0f : 3.5f) - t;
    first[i] = PointF{(rhs[i].x - first[i - 1].x) / b, (rhs[i].y - first[i - 1].y) / b};
  }
  for (int i = 1; i < n; ++i) {
    const float t = second[n - i].x;
    first[n - 1 - i].x -= t * first[n - i].x;
    first[n - 1 - i].y -= t * first[n - i].y;
  }
  for (int i = 0; i < n - 1; ++i) second[i] = PointF{2 * k[i + 1].x - first[i + 1].x, 2 * k[i + 1].y - first[i + 1].y};
  second[n - 1] = PointF{(k[n].x + first[n - 1].x) / 2, (k[n].y + first[n - 1].y) / 2};
  return true;
}

}  // namespace Present::Geometry

#include "plastrum/geometry/CurveFlattening.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace Present::Geometry {

int FlattenArc(const PointF& centre, PointF* out, const PointF& p2, const PointF& p1, int16_t start, int16_t sweep) {
  if (out == nullptr) return 0;
  // A negative sweep runs the other way round; any length is written straight to the
  // caller's list, whose room is |sweep| / 3 points.
  const int count = std::abs(static_cast<int>(sweep)) / 3;
  const int stepDegrees = sweep < 0 ? -3 : 3;
  // Copies, since `out` may overlap the caller's axis points.
  const PointF c = centre, a = p1, b = p2;
  for (int i = 0; i < count; ++i) {
    const int angle = (static_cast<int>(start) + i * stepDegrees) % 360;
    const auto folded = static_cast<int16_t>(angle);
    const float cs = CosDegrees(folded);
    const float sn = SinDegrees(folded);
    out[i] = PointF{c.x + cs * (a.x - c.x) + sn * (b.x - c.x), c.y + cs * (a.y - c.y) + sn * (b.y - c.y)};
  }
  return count;
}

namespace {

// The parameters are advanced by repeated f32 addition, as documents were drawn.
template <typename Eval>
void FlattenAt(int count, PointF start, PointF* out, Eval eval) {
  if (out == nullptr || count <= 0) return;
  if (count == 1) {
    out[0] = start;
    return;
  }
  std::vector<PointF> work(static_cast<size_t>(count));
  const float s = 1.0f / static_cast<float>(count - 1);
  float t = 0;
  for (int i = 0; i < count; ++i, t += s) work[i] = eval(t);
  std::copy(work.begin(), work.end(), out);
}

}  // namespace

void FlattenCubicBezier(int count, PointF start, PointF c1, PointF c2, PointF end, PointF* out) {
  const PointF c{3 * (c1.x - start.x), 3 * (c1.y - start.y)};
  const PointF b{3 * (c2.x - c1.x) - c.x, 3 * (c2.y - c1.y) - c.y};
  const PointF a{end.x - start.x - c.x - b.x, end.y - start.y - c.y - b.y};
  FlattenAt(count, start, out, [&](float t) {
    return PointF{((a.x * t + b.x) * t + c.x) * t + start.x, ((a.y * t + b.y) * t + c.y) * t + start.y};
  });
}

void FlattenQuadraticBezier(int count, PointF start, PointF control, PointF end, PointF* out) {
  const PointF b{2 * (control.x - start.x), 2 * (control.y - start.y)};
  const PointF a{end.x - start.x - b.x, end.y - start.y - b.y};
  FlattenAt(count, start, out, [&](float t) {
    return PointF{(a.x * t + b.x) * t + start.x, (a.y * t + b.y) * t + start.y};
  });
}

bool RectCornerOutline(const RectF& r, PointF* out, float ratio) {
  if (out == nullptr || !(ratio >= 0 && ratio <= 0.5f)) return false;
  PointF q[4] = {{r.x, r.y}, {r.x + r.width, r.y}, {r.x + r.width, r.y + r.height}, {r.x, r.y + r.height}};
  auto length = [](const PointF& from, const PointF& to) { return std::hypot(to.x - from.x, to.y - from.y); };
  if (!(length(q[0], q[3]) >= length(q[0], q[1]))) {
    // Taken from Q3 round, so that u always runs along the shorter side.
    const PointF rotated[4] = {q[3], q[0], q[1], q[2]};
    std::copy(rotated, rotated + 4, q);
  }
  const float shortSide = length(q[0], q[1]);
  const float longSide = length(q[0], q[3]);
  const PointF u{ratio * (q[1].x - q[0].x), ratio * (q[1].y - q[0].y)};
  const float scale = longSide == 0 ? 0 : shortSide * ratio / longSide;
  const PointF v{scale * (q[2].x - q[1].x), scale * (q[2].y - q[1].y)};
  out[0] = PointF{q[0].x + u.x, q[0].y + u.y};
  out[1] = PointF{q[1].x - u.x, q[1].y - u.y};
  out[2] = PointF{q[1].x + v.x, q[1].y + v.y};
  out[3] = PointF{q[2].x - v.x, q[2].y - v.y};
  out[4] = PointF{q[2].x - u.x, q[2].y - u.y};
  out[5] = PointF{q[3].x + u.x, q[3].y + u.y};
  out[6] = PointF{q[3].x - v.x, q[3].y - v.y};
  out[7] = PointF{q[0].x + v.x, q[0].y + v.y};
  return true;
}

}  // namespace Present::Geometry

// Drives every public geometry routine with arbitrary numbers (NaN, infinities and huge
// values included): the routines may give empty or odd points but must never crash,
// read or write out of bounds, or hang.
#include "plastrum/geometry/CurveFlattening.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace Present::Geometry;

namespace {

struct Input {
  const uint8_t* data;
  size_t size;
  template <typename T>
  T take() {
    T v{};
    const size_t n = size < sizeof(T) ? size : sizeof(T);
    std::memcpy(&v, data, n);
    data += n;
    size -= n;
    return v;
  }
  PointF point() { return PointF{take<float>(), take<float>()}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  const int n = in.take<uint8_t>() % 40;
  std::vector<PointF> pts(n);
  for (auto& p : pts) p = in.point();

  const float a = in.take<float>(), b = in.take<float>(), c = in.take<float>();
  const int16_t start = in.take<int16_t>(), sweep = in.take<int16_t>();

  SinDegrees(start);
  CosDegrees(sweep);
  PointF p = in.point();
  RotatePoint(in.point(), p, a);
  EllipsePointAtAngle(in.point(), in.point(), in.point(), b, p);
  RectF r{a, b, c, in.take<float>()};
  RectF r2 = r;
  IntersectRect(r2, RectF{c, a, b, c});
  UnionRect(r2, r);
  InflateRect(r2, a, b);
  PointInRect(p, r);
  PointAlongSegment(a, b, in.point(), in.point(), p);
  float x, y;
  SegmentsIntersect(a, b, c, a, b, c, a, b, x, y);

  std::vector<PointF> out(n + 2);
  OffsetPolyline(pts.data(), n, a, start & 1, out.data());
  if (n >= 2) {
    std::vector<PointF> first(n), second(n);
    BezierSplineControlPoints(pts.data(), n, first.data(), second.data());
  }
  int count = 0;
  FreePointList(ZigzagPolyline(pts.data(), n, b, a, sweep & 1, count));
  FreePointList(ZigzagAroundMidline(pts.data(), n, c, a, count));

  std::vector<PointF> arc(32768 / 3 + 1);
  FlattenArc(in.point(), arc.data(), in.point(), in.point(), start, sweep);
  const int bezierCount = in.take<uint8_t>();
  std::vector<PointF> curve(bezierCount + 1);
  FlattenCubicBezier(bezierCount, in.point(), in.point(), in.point(), in.point(), curve.data());
  FlattenQuadraticBezier(bezierCount, in.point(), in.point(), in.point(), curve.data());
  PointF outline[8];
  RectCornerOutline(r, outline, c);

  std::vector<float> positions(n + 2);
  std::vector<uint32_t> colours(n + 2);
  for (int i = 0; i < n; ++i) {
    positions[i] = pts[i].x;
    colours[i] = static_cast<uint32_t>(i);
  }
  std::vector<float> positionsOut(n + 2);
  std::vector<uint32_t> coloursOut(n + 2);
  NormalizeGradientStops(positions.data(), colours.data(), n, positionsOut.data(), coloursOut.data());
  ReverseGradientStops(positions.data(), colours.data(), positionsOut.data(), coloursOut.data(), n);
  return 0;
}

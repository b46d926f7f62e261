#include "weighted_rgb.h"

#include <algorithm>
#include <cmath>

#include <win/gdi.h>

namespace ornatex::weighted {
namespace {

constexpr float kBox[3] = {195.0f, 390.0f, 65.0f};

struct Point {
  float v[3];
};

Point From(COLORREF c) {
  return Point{{GetRValue(c) * kBox[0] / 255.0f, GetGValue(c) * kBox[1] / 255.0f, GetBValue(c) * kBox[2] / 255.0f}};
}

COLORREF To(Point p) {
  int channel[3];
  for (int i = 0; i < 3; ++i) {
    float v = std::isfinite(p.v[i]) ? std::clamp(p.v[i], 0.0f, kBox[i]) : 0.0f;
    channel[i] = std::clamp(static_cast<int>(v * 255.0f / kBox[i] + 0.5f), 0, 255);
  }
  return RGB(channel[0], channel[1], channel[2]);
}

float Dot(const Point& a, const Point& b) { return a.v[0] * b.v[0] + a.v[1] * b.v[1] + a.v[2] * b.v[2]; }

float Distance2(const Point& a, const Point& b) {
  float s = 0;
  for (int i = 0; i < 3; ++i) s += (a.v[i] - b.v[i]) * (a.v[i] - b.v[i]);
  return s;
}

float Norm(const Point& p) { return std::sqrt(Dot(p, p)); }

Point Mirror(const Point& p) { return Point{{kBox[0] - p.v[0], kBox[1] - p.v[1], kBox[2] - p.v[2]}}; }

}  // namespace

float Threshold(COLORREF base, int distance) {
  const float level = static_cast<float>(std::min(static_cast<int>(Norm(From(base))), 220));
  return (2.0f - level / 220.0f) * static_cast<float>(distance);
}

bool FartherThan(COLORREF a, COLORREF b, int distance) {
  const float t = Threshold(a, distance);
  return Distance2(From(a), From(b)) > t * t;
}

COLORREF PullCloser(COLORREF a, COLORREF b, int distance) {
  const Point pa = From(a), pb = From(b);
  const float f = std::sqrt(Distance2(pa, pb));
  if (!(f > 0.0f)) return b;
  const float h = Threshold(a, distance);
  const float k = (f - h) / f;
  Point out;
  for (int i = 0; i < 3; ++i) out.v[i] = pb.v[i] + k * (pa.v[i] - pb.v[i]);
  return To(out);
}

COLORREF PushAway(COLORREF a, COLORREF b, int distance) {
  const float d = Threshold(a, distance);
  Point pa = From(a), pb = From(b);
  const float na = Norm(pa), nb = Norm(pb);
  const bool fromBlack = (na < nb && 442.0f - d < na) || (na >= nb && d < na);
  if (!fromBlack) {
    pa = Mirror(pa);
    pb = Mirror(pb);
  }
  const float u = std::max(Norm(pb), 0.001f);
  const float ab = Dot(pa, pb);
  const float p = ab / u;
  Point foot;  // the foot of a' on the ray through b'
  for (int i = 0; i < 3; ++i) foot.v[i] = pb.v[i] * ab / (u * u);
  // Push away only runs when b lies within d of a, so the ray meets the sphere around a'
  // of radius d; only rounding can make the value under the root negative, and then the
  // ray only touches the sphere.
  const float under = d * d - Distance2(foot, pa);
  const float t = p - std::sqrt(under > 0.0f ? under : 0.0f);
  Point out;
  for (int i = 0; i < 3; ++i) out.v[i] = pb.v[i] / u * t;
  if (!fromBlack) out = Mirror(out);
  return To(out);
}

}  // namespace ornatex::weighted

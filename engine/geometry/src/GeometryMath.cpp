#include "plastrum/geometry/GeometryMath.h"

#include <algorithm>
#include <cmath>

namespace Present::Geometry {

float FoldDegreesOnce(float degrees) {
  if (degrees < 0) return degrees + 360.0f;
  if (degrees > 360) return degrees - 360.0f;
  return degrees;
}

void RotatePoint(const PointF& centre, PointF& point, float degrees) {
  if (degrees == 0) return;
  const float r = FoldDegreesOnce(degrees) * kRadiansPerDegree;
  const float s = SinRadians(r);
  const float c = CosRadians(r);
  const float dx = point.x - centre.x;
  const float dy = point.y - centre.y;
  point.x = c * dx - s * dy + centre.x;
  point.y = c * dy + s * dx + centre.y;
}

void EllipsePointAtAngle(const PointF& centre, const PointF& p1, const PointF& p2, float degrees, PointF& out) {
  const float r = FoldDegreesOnce(degrees) * kRadiansPerDegree;
  const float c = CosRadians(r);
  const float s = SinRadians(r);
  out.x = centre.x + c * (p1.x - centre.x) + s * (p2.x - centre.x);
  out.y = centre.y + c * (p1.y - centre.y) + s * (p2.y - centre.y);
}

bool PointInRect(const PointF& p, const RectF& r) {
  return r.x <= p.x && p.x < r.x + r.width && r.y <= p.y && p.y < r.y + r.height;
}

namespace {

bool StoreIfNotEmpty(RectF& rect, float left, float top, float right, float bottom) {
  // Written as negated comparisons so that NaN edges count as empty too.
  if (!(right - left >= kRectEpsilon) || !(bottom - top > kRectEpsilon)) return false;
  rect = RectF{left, top, right - left, bottom - top};
  return true;
}

}  // namespace

bool IntersectRect(RectF& rect, const RectF& other) {
  return StoreIfNotEmpty(rect, std::max(rect.x, other.x), std::max(rect.y, other.y),
                         std::min(rect.x + rect.width, other.x + other.width),
                         std::min(rect.y + rect.height, other.y + other.height));
}

bool UnionRect(RectF& rect, const RectF& other) {
  return StoreIfNotEmpty(rect, std::min(rect.x, other.x), std::min(rect.y, other.y),
                         std::max(rect.x + rect.width, other.x + other.width),
                         std::max(rect.y + rect.height, other.y + other.height));
}

void InflateRect(RectF& rect, float dx, float dy) {
  rect.x -= dx;
  rect.y -= dy;
  rect.width += 2 * dx;
  rect.height += 2 * dy;
}

void LerpPoint(PointF& out, const PointF& a, const PointF& b, float t) {
  // The two-term form is exact at both ends, which a + t(b - a) is not at t = 1.
  out.x = a.x * (1.0f - t) + b.x * t;
  out.y = a.y * (1.0f - t) + b.y * t;
}

void PointAlongSegment(float d, float limit, const PointF& a, const PointF& b, PointF& out) {
  const float length = std::hypot(a.x - b.x, a.y - b.y);
  if (d == 0 || length == 0) {
    out = b;
    return;
  }
  const float t = std::min(d / length, limit);
  LerpPoint(out, b, a, t);
}

bool SideOfLine(const PointF& p0, const PointF& p1, const PointF& p2) {
  const float cross = (p1.x - p0.x) * (p2.y - p0.y) - (p1.y - p0.y) * (p2.x - p0.x);
  if (cross > 0) return true;
  if (cross < 0) return false;
  return p1.x != p0.x && p1.x > p0.x;
}

bool SegmentsIntersect(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, float& outX,
                       float& outY) {
  if (std::max(x1, x2) < std::min(x3, x4) || std::max(x3, x4) < std::min(x1, x2)) return false;
  if (std::max(y1, y2) < std::min(y3, y4) || std::max(y3, y4) < std::min(y1, y2)) return false;

  const double ax = double(x1) - x2, ay = double(y1) - y2;
  const double bx = double(x3) - x4, by = double(y3) - y4;
  const double cx = double(x2) - x3, cy = double(y2) - y3;
  const double f = ay * bx - by * ax;
  const double d = cx * by - cy * bx;
  const double e = cy * ax - ay * cx;
  if (f > 0) {
    if (!(d >= 0 && d <= f && e >= 0 && e <= f)) return false;
  } else {
    if (!(d <= 0 && d >= f && e <= 0 && e >= f)) return false;
  }
  constexpr double kTolerance = 1e-10;
  if (std::fabs(f) > kTolerance) {
    outX = static_cast<float>(x2 + (d / f) * ax);
    outY = static_cast<float>(y2 + (d / f) * ay);
  } else if (std::fabs(e) <= kTolerance) {
    outX = x3;
    outY = y3;
  } else {
    outX = x4;
    outY = y4;
  }
  return true;
}

bool LineIntersection(const PointF& a1, const PointF& a2, const PointF& b1, const PointF& b2, PointF& out) {
  const double dax = double(a2.x) - a1.x, day = double(a2.y) - a1.y;
  const double dbx = double(b2.x) - b1.x, dby = double(b2.y) - b1.y;
  const double det = dax * dby - day * dbx;
  if (det == 0) {
    out = a2;
    return false;
  }
  const double t = ((double(b1.x) - a1.x) * dby - (double(b1.y) - a1.y) * dbx) / det;
  out.x = static_cast<float>(a1.x + t * dax);
  out.y = static_cast<float>(a1.y + t * day);
  return true;
}

void OffsetSegment(const PointF& a, const PointF& b, float distance, bool side, PointF& movedB, PointF& movedA) {
  const float dx = b.x - a.x;
  const float dy = b.y - a.y;
  const float d = side ? distance : -distance;
  float nx, ny;
  if (dx == 0) {
    // Vertical or zero length: N = (-D.y, 0) / |D.y| without the division.
    nx = dy > 0 ? -1.0f : 1.0f;
    ny = 0;
  } else if (dy == 0) {
    nx = 0;
    ny = dx > 0 ? 1.0f : -1.0f;
  } else {
    const float length = std::hypot(dx, dy);
    nx = -dy / length;
    ny = dx / length;
  }
  movedB = PointF{b.x + d * nx, b.y + d * ny};
  movedA = PointF{a.x + d * nx, a.y + d * ny};
}

namespace {

float Distance(const PointF& a, const PointF& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The offset point at corner `at`: the incoming offset line (through `prevOut`,
// parallel to at - prev) met with the corner's bisector.
PointF OffsetCorner(const PointF& prev, const PointF& at, const PointF& next, const PointF& prevOut) {
  const float incoming = Distance(at, prev);
  const PointF along{prevOut.x + (at.x - prev.x), prevOut.y + (at.y - prev.y)};
  if (incoming == 0) return prevOut;  // a repeated point keeps the previous offset
  const float ratio = Distance(next, at) / incoming;
  const PointF bisector{next.x + ratio * (prev.x - at.x), next.y + ratio * (prev.y - at.y)};
  PointF out;
  LineIntersection(prevOut, along, at, bisector, out);
  return out;
}

}  // namespace

int OffsetPolyline(const PointF* p, int n, float distance, int side, PointF* out) {
  if (n < 3 || p == nullptr || out == nullptr) return 0;
  const bool turn = SideOfLine(p[0], p[1], p[2]);
  const bool flag = turn != (side != 0);
  PointF movedFirst, movedSecond;
  OffsetSegment(p[1], p[0], distance, flag, movedFirst, movedSecond);
  out[0] = movedFirst;
  for (int i = 1; i < n - 1; ++i) out[i] = OffsetCorner(p[i - 1], p[i], p[i + 1], out[i - 1]);
  if (p[n - 1] == p[0]) {
    const PointF closing = OffsetCorner(p[n - 2], p[n - 1], p[1], out[n - 2]);
    out[0] = closing;
    out[n - 1] = closing;
  } else {
    PointF movedPrev, movedLast;
    OffsetSegment(p[n - 1], p[n - 2], distance, flag, movedPrev, movedLast);
    out[n - 1] = movedLast;
  }
  return 1;
}

int NormalizeGradientStops(const float* positions, const uint32_t* colours, int count, float* positionsOut,
                           uint32_t* coloursOut) {
  if (count <= 0) return count;
  const bool addFirst = positions[0] != 0.0f;
  const bool addLast = positions[count - 1] != 1.0f;
  if (!addFirst && !addLast) return count;
  int k = 0;
  if (addFirst) {
    positionsOut[k] = 0.0f;
    coloursOut[k++] = colours[0];
  }
  for (int i = 0; i < count; ++i, ++k) {
    positionsOut[k] = positions[i];
    coloursOut[k] = colours[i];
  }
  if (addLast) {
    positionsOut[k] = 1.0f;
    coloursOut[k++] = colours[count - 1];
  }
  return k;
}

void ReverseGradientStops(const float* positions, const uint32_t* colours, float* positionsOut, uint32_t* coloursOut,
                          int count) {
  // Reading both ends before writing lets the output be the input itself.
  for (int lo = 0, hi = count - 1; lo <= hi; ++lo, --hi) {
    const float pLo = positions[lo], pHi = positions[hi];
    const uint32_t cLo = colours[lo], cHi = colours[hi];
    positionsOut[lo] = 1.0f - pHi;
    coloursOut[lo] = cHi;
    positionsOut[hi] = 1.0f - pLo;
    coloursOut[hi] = cLo;
  }
}

}  // namespace Present::Geometry

#include "plastrum/geometry/CurveFlattening.h"

#include <cmath>
#include <new>
#include <vector>

namespace Present::Geometry {
namespace {

using Line = std::vector<PointF>;

// The polyline offset by `distance` to side 1; a single segment, which has no turn to
// judge a side by, moves to its positive side.
bool OffsetLine(const PointF* p, int n, float distance, Line& out) {
  out.resize(n);
  if (n == 2) {
    OffsetSegment(p[0], p[1], distance, true, out[1], out[0]);
    return true;
  }
  return OffsetPolyline(p, n, distance, 1, out.data()) == 1;
}

bool AllFinite(const PointF* p, int n) {
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y)) return false;
  return true;
}

// Steps per segment: the length over the step, at least 2 and always even, so that
// every segment starts on the base line. Empty when the total would exceed the cap.
std::vector<int> SegmentSteps(const PointF* p, int n, float step) {
  std::vector<int> steps;
  long long total = 1;
  for (int i = 0; i + 1 < n; ++i) {
    const double q = std::hypot(double(p[i + 1].x) - p[i].x, double(p[i + 1].y) - p[i].y) / step;
    if (!(q < kMaxZigzagPoints)) return {};
    int s = static_cast<int>(q);
    if (s == 0) s = 2;
    if (s % 2 != 0) ++s;
    total += s;
    if (total > kMaxZigzagPoints) return {};
    steps.push_back(s);
  }
  return steps;
}

PointF Along(const Line& line, int segment, float t) {
  PointF out;
  LerpPoint(out, line[segment], line[segment + 1], t);
  return out;
}

// Walks the segments: starts and even positions on `base`, odd positions on
// `odd[0]`, `odd[1]`, `odd[0]`, ... in turn (a single odd line when both are equal).
PointF* Weave(const Line& base, const Line& oddA, const Line& oddB, const std::vector<int>& steps, int& outCount) {
  int total = 1;
  for (int s : steps) total += s;
  PointF* out = new (std::nothrow) PointF[total];
  if (out == nullptr) return nullptr;
  int k = 0;
  int oddIndex = 0;
  for (size_t seg = 0; seg < steps.size(); ++seg) {
    const int s = steps[seg];
    out[k++] = base[seg];
    for (int m = 1; m < s; ++m) {
      const float t = static_cast<float>(m) / static_cast<float>(s);
      if (m % 2 == 0) {
        out[k++] = Along(base, int(seg), t);
      } else {
        out[k++] = Along(oddIndex++ % 2 == 0 ? oddA : oddB, int(seg), t);
      }
    }
  }
  out[k++] = base.back();
  outCount = k;
  return out;
}

bool ValidInput(const PointF* p, int n, float step) {
  return p != nullptr && n >= 2 && std::isfinite(step) && step > 0 && AllFinite(p, n);
}

}  // namespace

PointF* ZigzagPolyline(const PointF* p, int n, float step, float amplitude, bool startOnOffset, int& outCount) {
  outCount = 0;
  if (!ValidInput(p, n, step) || !std::isfinite(amplitude)) return nullptr;
  try {
    const Line given(p, p + n);
    Line offset;
    if (!OffsetLine(p, n, amplitude, offset)) return nullptr;
    const std::vector<int> steps = SegmentSteps(p, n, step);
    if (steps.empty()) return nullptr;
    const Line& base = startOnOffset ? offset : given;
    const Line& other = startOnOffset ? given : offset;
    return Weave(base, other, other, steps, outCount);
  } catch (const std::bad_alloc&) {
    outCount = 0;
    return nullptr;
  }
}

PointF* ZigzagAroundMidline(const PointF* p, int n, float step, float width, int& outCount) {
  outCount = 0;
  if (!ValidInput(p, n, step) || !std::isfinite(width)) return nullptr;
  try {
    const Line given(p, p + n);
    Line middle, far;
    if (!OffsetLine(p, n, width / 2, middle) || !OffsetLine(p, n, width, far)) return nullptr;
    const std::vector<int> steps = SegmentSteps(p, n, step);
    if (steps.empty()) return nullptr;
    return Weave(middle, given, far, steps, outCount);
  } catch (const std::bad_alloc&) {
    outCount = 0;
    return nullptr;
  }
}

void FreePointList(PointF* points) { delete[] points; }

}  // namespace Present::Geometry

// Banded region arithmetic: a sweep over the union of both regions' band edges.
#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>

#include "RegionOps.h"

namespace kx2::gdi {
namespace {

using Spans = std::vector<std::pair<int, int>>;

// The spans of the band of `r` that covers row y (rects sorted by top, bands disjoint).
void SpansAt(const Rects& r, size_t& cursor, int y0, Spans& out) {
  out.clear();
  while (cursor < r.size() && r[cursor].bottom <= y0) ++cursor;
  for (size_t i = cursor; i < r.size() && r[i].top <= y0; ++i)
    if (r[i].bottom > y0) out.emplace_back(r[i].left, r[i].right);
}

void Combine1D(const Spans& a, const Spans& b, int mode, Spans& out) {
  out.clear();
  // Walk the sorted edges of both span lists and keep the parts where the mode holds.
  // Each list's edges are already in order (spans sorted and apart): merge them.
  thread_local std::vector<int> ea, eb, edges;
  ea.clear(), eb.clear(), edges.clear();
  for (auto& s : a) ea.push_back(s.first), ea.push_back(s.second);
  for (auto& s : b) eb.push_back(s.first), eb.push_back(s.second);
  std::merge(ea.begin(), ea.end(), eb.begin(), eb.end(), std::back_inserter(edges));
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  size_t ia = 0, ib = 0;
  for (size_t i = 0; i + 1 < edges.size(); ++i) {
    const int x0 = edges[i], x1 = edges[i + 1];
    while (ia < a.size() && a[ia].second <= x0) ++ia;
    while (ib < b.size() && b[ib].second <= x0) ++ib;
    const bool inA = ia < a.size() && a[ia].first <= x0;
    const bool inB = ib < b.size() && b[ib].first <= x0;
    bool keep = false;
    switch (mode) {
      case 1:  // RGN_AND
        keep = inA && inB;
        break;
      case 2:  // RGN_OR
        keep = inA || inB;
        break;
      case 3:  // RGN_XOR
        keep = inA != inB;
        break;
      case 4:  // RGN_DIFF
        keep = inA && !inB;
        break;
      default:
        keep = inA;
    }
    if (!keep) continue;
    if (!out.empty() && out.back().second == x0)
      out.back().second = x1;
    else
      out.emplace_back(x0, x1);
  }
}

// Appends a band, merging it into the previous band when that one ends where this starts
// with the same spans.
void AppendBand(Rects& out, size_t& lastBandStart, int top, int bottom, const Spans& spans) {
  if (spans.empty()) return;
  if (lastBandStart < out.size() && out[lastBandStart].bottom == top && out.size() - lastBandStart == spans.size()) {
    bool same = true;
    for (size_t i = 0; i < spans.size() && same; ++i)
      same = out[lastBandStart + i].left == spans[i].first && out[lastBandStart + i].right == spans[i].second;
    if (same) {
      for (size_t i = lastBandStart; i < out.size(); ++i) out[i].bottom = bottom;
      return;
    }
  }
  lastBandStart = out.size();
  for (auto& s : spans) out.push_back(RECT{s.first, top, s.second, bottom});
}

}  // namespace

Rects RectRegion(const RECT& r) {
  RECT n{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right), std::max(r.top, r.bottom)};
  if (EmptyRect(n)) return {};
  return {n};
}

Rects CombineRegions(const Rects& a, const Rects& b, int mode) {
  std::vector<int> ys;
  ys.reserve((a.size() + b.size()) * 2);
  for (auto& r : a) ys.push_back(r.top), ys.push_back(r.bottom);
  for (auto& r : b) ys.push_back(r.top), ys.push_back(r.bottom);
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  Rects out;
  size_t lastBand = SIZE_MAX, ca = 0, cb = 0;
  Spans sa, sb, so;
  for (size_t i = 0; i + 1 < ys.size(); ++i) {
    SpansAt(a, ca, ys[i], sa);
    SpansAt(b, cb, ys[i], sb);
    Combine1D(sa, sb, mode, so);
    AppendBand(out, lastBand, ys[i], ys[i + 1], so);
  }
  return out;
}

Rects RegionFromRows(int top, const std::vector<Spans>& rows) {
  Rects out;
  size_t lastBand = SIZE_MAX;
  Spans merged;
  for (size_t i = 0; i < rows.size(); ++i) {
    Spans spans = rows[i];
    std::sort(spans.begin(), spans.end());
    merged.clear();
    for (auto& s : spans) {
      if (s.second <= s.first) continue;
      if (!merged.empty() && s.first <= merged.back().second)
        merged.back().second = std::max(merged.back().second, s.second);
      else
        merged.push_back(s);
    }
    AppendBand(out, lastBand, top + static_cast<int>(i), top + static_cast<int>(i) + 1, merged);
  }
  return out;
}

Rects PolygonRegion(const POINT* points, const int* counts, int polygons, int fillMode) {
  struct Edge {
    double x0, y0, x1, y1;
    int dir;
  };
  std::vector<Edge> edges;
  long long minY = LLONG_MAX, maxY = LLONG_MIN;
  const POINT* p = points;
  for (int k = 0; k < polygons; ++k) {
    const int n = counts[k];
    for (int i = 0; i < n; ++i) {
      const POINT& a = p[i];
      const POINT& b = p[(i + 1) % n];
      minY = std::min<long long>(minY, a.y), maxY = std::max<long long>(maxY, a.y);
      if (a.y == b.y) continue;
      if (a.y < b.y)
        edges.push_back({double(a.x), double(a.y), double(b.x), double(b.y), 1});
      else
        edges.push_back({double(b.x), double(b.y), double(a.x), double(a.y), -1});
    }
    p += n;
  }
  if (edges.empty() || maxY <= minY || maxY - minY > 65536) return {};
  std::vector<Spans> rows(static_cast<size_t>(maxY - minY));
  std::vector<std::pair<double, int>> xs;
  for (long long y = minY; y < maxY; ++y) {
    const double cy = static_cast<double>(y) + 0.5;
    xs.clear();
    for (auto& e : edges)
      if (cy >= e.y0 && cy < e.y1) xs.emplace_back(e.x0 + (cy - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.dir);
    std::sort(xs.begin(), xs.end());
    int winding = 0;
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      winding += fillMode == 2 ? xs[i].second : 1;
      const bool inside = fillMode == 2 ? winding != 0 : (winding & 1) != 0;
      if (!inside) continue;
      // Pixels whose centres lie in [x_i, x_{i+1}).
      const int left = static_cast<int>(std::ceil(xs[i].first - 0.5));
      const int right = static_cast<int>(std::ceil(xs[i + 1].first - 0.5));
      if (right > left) rows[static_cast<size_t>(y - minY)].emplace_back(left, right);
    }
  }
  return RegionFromRows(static_cast<int>(minY), rows);
}

Rects RoundRectRegion(int left, int top, int right, int bottom, int width, int height) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (right - left <= 0 || bottom - top <= 0 || bottom - top > 65536) return {};
  const double rx = std::min(std::abs(width), right - left) / 2.0;
  const double ry = std::min(std::abs(height), bottom - top) / 2.0;
  std::vector<Spans> rows(static_cast<size_t>(bottom - top));
  for (int y = top; y < bottom; ++y) {
    const double cy = y + 0.5;
    double inset = 0;
    if (ry > 0 && rx > 0) {
      double dy = 0;
      if (cy < top + ry)
        dy = top + ry - cy;
      else if (cy > bottom - ry)
        dy = cy - (bottom - ry);
      if (dy > 0) {
        const double t = 1.0 - (dy * dy) / (ry * ry);
        inset = t <= 0 ? rx : rx - rx * std::sqrt(t);
      }
    }
    const int l = static_cast<int>(std::ceil(left + inset - 0.5));
    const int r = static_cast<int>(std::ceil(right - inset - 0.5));
    if (r > l) rows[static_cast<size_t>(y - top)].emplace_back(l, r);
  }
  return RegionFromRows(top, rows);
}

Rects EllipseRegion(int left, int top, int right, int bottom) {
  return RoundRectRegion(left, top, right, bottom, std::abs(right - left), std::abs(bottom - top));
}

void OffsetRegion(Rects& r, int dx, int dy) {
  for (auto& rect : r) rect.left += dx, rect.right += dx, rect.top += dy, rect.bottom += dy;
}

RECT RegionBox(const Rects& r) {
  if (r.empty()) return RECT{0, 0, 0, 0};
  RECT box = r.front();
  for (auto& rect : r) {
    box.left = std::min(box.left, rect.left);
    box.right = std::max(box.right, rect.right);
    box.bottom = std::max(box.bottom, rect.bottom);
  }
  return box;
}

bool RegionContains(const Rects& r, int x, int y) {
  for (auto& rect : r) {
    if (rect.top > y) break;
    if (y < rect.bottom && x >= rect.left && x < rect.right) return true;
  }
  return false;
}

bool RegionTouches(const Rects& r, const RECT& rect) {
  for (auto& x : r)
    if (!EmptyRect(IntersectRects(x, rect))) return true;
  return false;
}

int RegionKind(const Rects& r) { return r.empty() ? 1 : r.size() == 1 ? 2 : 3; }

}  // namespace kx2::gdi

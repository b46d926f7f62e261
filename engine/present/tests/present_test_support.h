// Small helpers for the presentation tests: frames from literals, geometries owned by a
// unique_ptr, outlines flattened into vectors.
#pragma once

#include <initializer_list>
#include <ostream>
#include <memory>
#include <vector>

#include "plastrum/present/drawing/Presets.h"

namespace Present::Geometry {
inline void PrintTo(const PointF& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
}  // namespace Present::Geometry

namespace present_test {

using Present::Drawing::Geometry;
using Present::Drawing::ShapeFrame;
using Present::Geometry::PointF;

inline ShapeFrame Frame(float w, float h, std::initializer_list<PointF> points = {}) {
  ShapeFrame f;
  f.width = w;
  f.height = h;
  std::vector<PointF> copy(points);
  f.SetPoints(copy.data(), static_cast<int32_t>(copy.size()));
  return f;
}

inline ShapeFrame Frame(std::initializer_list<PointF> points) { return Frame(0, 0, points); }

inline std::unique_ptr<Geometry> Build(const ShapeFrame& f, uint32_t kind) {
  return std::unique_ptr<Geometry>(Present::Drawing::BuildGeometry(f, kind));
}

inline std::vector<PointF> Flat(const Geometry& g) {
  std::vector<PointF> out(static_cast<size_t>(g.segments.FlattenedCount()));
  out.resize(static_cast<size_t>(g.segments.Flatten(out.data())));
  return out;
}

// The end points of the segments in order.
inline std::vector<PointF> Ends(const Geometry& g) {
  std::vector<PointF> out;
  for (const auto& s : g.segments.Items()) out.push_back(s.end);
  return out;
}

inline std::vector<int> Types(const Geometry& g) {
  std::vector<int> out;
  for (const auto& s : g.segments.Items()) out.push_back(s.type);
  return out;
}

}  // namespace present_test

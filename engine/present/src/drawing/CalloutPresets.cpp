// Callouts with a pointer to the first adjust point (kinds 408..410) and the speech
// bubble with its fixed tail (411).
#include <algorithm>
#include <cmath>

#include "PresetBuilders.h"
#include "plastrum/present/drawing/Presets.h"

namespace Present::Drawing::Presets {

namespace {

enum class Edge { Top, Right, Bottom, Left };

// Where the pointer leaves the box: the edge, whether it is on the edge's first half
// (left on top and bottom, upper on the sides) and the edge's length.
struct Pointer {
  Edge edge = Edge::Top;
  bool firstHalf = true;
  PointF tip;
  PointF border;
  float edgeLength = 0;
  // The base width: at most 0.22 of the edge, and never wider than the tip is far.
  float BaseWidth() const { return std::min(0.22f * edgeLength, std::hypot(border.x - tip.x, border.y - tip.y)); }
};

// False when the tip is inside the box (no edge crossed) or the crossing lies on none of
// the edges within 1 EMU; the callout is then drawn without its pointer.
bool FindPointer(float w, float h, const PointF& tip, Pointer& out) {
  const PointF c{w / 2, h / 2};
  const PointF corners[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
  PointF e;
  bool crossed = false;
  for (int i = 0; i < 4 && !crossed; ++i) {
    const PointF& a = corners[i];
    const PointF& b = corners[(i + 1) % 4];
    crossed = ::Present::Geometry::SegmentsIntersect(c.x, c.y, tip.x, tip.y, a.x, a.y, b.x, b.y, e.x, e.y);
  }
  if (!crossed) return false;
  if (std::fabs(e.y - h) < 1) {
    out.edge = Edge::Bottom;
  } else if (std::fabs(e.y) < 1) {
    out.edge = Edge::Top;
  } else if (std::fabs(e.x) < 1) {
    out.edge = Edge::Left;
  } else if (std::fabs(e.x - w) < 1) {
    out.edge = Edge::Right;
  } else {
    return false;
  }
  const bool horizontal = out.edge == Edge::Top || out.edge == Edge::Bottom;
  out.firstHalf = horizontal ? e.x <= w / 2 : e.y <= h / 2;
  out.edgeLength = horizontal ? w : h;
  out.tip = tip;
  out.border = e;
  return true;
}

bool PointerOn(const Pointer* p, Edge edge, bool firstHalf) {
  return p != nullptr && p->edge == edge && p->firstHalf == firstHalf;
}

void Lines(Geometry& g, std::initializer_list<PointF> points) {
  for (const PointF& p : points) g.segments.LineTo(p);
}

}  // namespace

void BuildRectangleCallout(Geometry& g, const ShapeFrame& f) {
  const float w = f.width, h = f.height;
  AddRectangleSites(g, w, h);
  Pointer found;
  const Pointer* p = FindPointer(w, h, f.points[0], found) ? &found : nullptr;
  const PointF t = found.tip;
  const float q = found.BaseWidth();
  const float d = 0.18f * found.edgeLength;

  g.segments.MoveTo({0, 0});
  if (PointerOn(p, Edge::Top, true)) Lines(g, {{d, 0}, t, {d + q, 0}});
  if (PointerOn(p, Edge::Top, false)) Lines(g, {{w - d - q, 0}, t, {w - d, 0}});
  g.segments.LineTo({w, 0});
  if (PointerOn(p, Edge::Right, true)) Lines(g, {{w, d}, t, {w, d + q}});
  if (PointerOn(p, Edge::Right, false)) Lines(g, {{w, h - d - q}, t, {w, h - d}});
  g.segments.LineTo({w, h});
  if (PointerOn(p, Edge::Bottom, false)) Lines(g, {{w - d, h}, t, {w - d - q, h}});
  if (PointerOn(p, Edge::Bottom, true)) Lines(g, {{d + q, h}, t, {d, h}});
  g.segments.LineTo({0, h});
  if (PointerOn(p, Edge::Left, false)) Lines(g, {{0, h - d}, t, {0, h - d - q}});
  if (PointerOn(p, Edge::Left, true)) Lines(g, {{0, d + q}, t, {0, d}});
  g.segments.LineTo({0, 0});
}

void BuildRoundedCallout(Geometry& g, const ShapeFrame& f) {
  const float w = f.width, h = f.height;
  const float r = RoundedCornerRadius(w, h);
  AddMidpointSites(g, w, h);
  Pointer found;
  const Pointer* p = FindPointer(w, h, f.points[0], found) ? &found : nullptr;
  const PointF t = found.tip;
  const float q = found.BaseWidth();
  auto& s = g.segments;

  // Each edge: the pointer of the first corner's half right after the corner, that of
  // the second corner's half just before it, or a straight line to the next corner.
  s.MoveTo({r, 0});
  if (PointerOn(p, Edge::Top, true)) Lines(g, {t, {r + q, 0}});
  if (PointerOn(p, Edge::Top, false)) {
    Lines(g, {{w - r - q, 0}, t, {w - r, 0}});
  } else {
    s.LineTo({w - r, 0});
  }
  s.ArcTo({w, r}, {w - r, r});
  if (PointerOn(p, Edge::Right, true)) Lines(g, {t, {w, r + q}});
  if (PointerOn(p, Edge::Right, false)) {
    Lines(g, {{w, h - r - q}, t, {w, h - r}});
  } else {
    s.LineTo({w, h - r});
  }
  s.ArcTo({w - r, h}, {w - r, h - r});
  if (PointerOn(p, Edge::Bottom, false)) Lines(g, {t, {w - r - q, h}});
  if (PointerOn(p, Edge::Bottom, true)) {
    Lines(g, {{r + q, h}, t, {r, h}});
  } else {
    s.LineTo({r, h});
  }
  s.ArcTo({0, h - r}, {r, h - r});
  if (PointerOn(p, Edge::Left, false)) Lines(g, {t, {0, h - r - q}});
  if (PointerOn(p, Edge::Left, true)) {
    Lines(g, {{0, r + q}, t, {0, r}});
  } else {
    s.LineTo({0, r});
  }
  s.ArcTo({r, 0}, {r, r});
}

namespace {

enum AxisEnd { kTop, kRight, kBottom, kLeft };

bool OnEdge(AxisEnd end, Edge edge) {
  return (end == kTop && edge == Edge::Top) || (end == kRight && edge == Edge::Right) ||
         (end == kBottom && edge == Edge::Bottom) || (end == kLeft && edge == Edge::Left);
}

// The control point of a quadratic leaving or reaching an axis end along the ellipse's
// tangent there.
PointF TangentControl(AxisEnd end, const PointF& endPoint, const PointF& base) {
  return end == kTop || end == kBottom ? PointF{base.x, endPoint.y} : PointF{endPoint.x, base.y};
}

}  // namespace

void BuildEllipseCallout(Geometry& g, const ShapeFrame& f) {
  const float w = f.width, h = f.height;
  const PointF o{w / 2, h / 2};
  const PointF ends[4] = {{w / 2, 0}, {w, h / 2}, {w / 2, h}, {0, h / 2}};
  AddMidpointSites(g, w, h);

  Pointer found;
  const bool hasPointer = FindPointer(w, h, f.points[0], found);
  // The quarter the pointer replaces (from axis end `from` clockwise to the next) and the
  // end the outline starts at, so that the replaced quarter comes third or fourth.
  AxisEnd start = kTop;
  int replaced = -1;
  if (hasPointer) {
    struct Choice {
      AxisEnd start;
      AxisEnd from;
    };
    Choice c{};
    switch (found.edge) {
      case Edge::Bottom:
        c = found.firstHalf ? Choice{kTop, kBottom} : Choice{kTop, kRight};
        break;
      case Edge::Top:
        c = found.firstHalf ? Choice{kRight, kLeft} : Choice{kRight, kTop};
        break;
      case Edge::Left:
        c = found.firstHalf ? Choice{kTop, kLeft} : Choice{kTop, kBottom};
        break;
      case Edge::Right:
        c = found.firstHalf ? Choice{kBottom, kTop} : Choice{kBottom, kRight};
        break;
    }
    start = c.start;
    replaced = c.from;
  }

  g.segments.MoveTo(ends[start]);
  for (int i = 0; i < 4; ++i) {
    const auto u = static_cast<AxisEnd>((start + i) % 4);
    const auto v = static_cast<AxisEnd>((u + 1) % 4);
    if (u != replaced) {
      g.segments.ArcTo(ends[v], o);
      continue;
    }
    // Base points 18 and 36 degrees from the end on the pointer's edge.
    const bool nearU = OnEdge(u, found.edge);
    PointF base1, base2;
    ::Present::Geometry::EllipsePointAtAngle(o, ends[u], ends[v], nearU ? 18.0f : 54.0f, base1);
    ::Present::Geometry::EllipsePointAtAngle(o, ends[u], ends[v], nearU ? 36.0f : 72.0f, base2);
    g.segments.QuadTo(TangentControl(u, ends[u], base1), base1, kCurvePoints);
    g.segments.LineTo(found.tip);
    g.segments.LineTo(base2);
    g.segments.QuadTo(TangentControl(v, ends[v], base2), ends[v], kCurvePoints);
  }
}

void BuildBubble(Geometry& g, const ShapeFrame& f) {
  const float w = f.width, h = f.height;
  const float r = std::min(0.2f * w, 0.2f * h);
  AddRectangleSites(g, w, h);
  // The tail follows the height; in a frame too narrow for it, its x positions shrink so
  // that it stays on the straight part of the bottom edge.
  float tailRight = 0.8f * h;
  float tailLeft = 0.4f * h;
  if (tailRight > w - r && tailRight > 0) {
    const float held = std::max(0.0f, w - r);
    tailLeft *= held / tailRight;
    tailRight = held;
  }
  auto& s = g.segments;
  s.MoveTo({r, 0});
  s.LineTo({w - r, 0});
  s.ArcTo({w, r}, {w - r, r});
  s.LineTo({w, h - r});
  s.ArcTo({w - r, h}, {w - r, h - r});
  Lines(g, {{tailRight, h}, {tailRight, 1.4f * h}, {tailLeft, h}, {r, h}});
  s.ArcTo({0, h - r}, {r, h - r});
  s.LineTo({0, r});
  s.ArcTo({r, 0}, {r, r});
}

}  // namespace Present::Drawing::Presets

#include <plastrum/present/drawing/HitTest.h>

#include <cmath>

#include <plastrum/present/drawing/Outline.h>

namespace Present::Drawing {
namespace {

float Distance(const PointF& a, const PointF& b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool InsideGrown(const RectF& box, const PointF& p, float grow) {
  return p.x >= box.x - grow && p.x <= box.x + box.width + grow && p.y >= box.y - grow &&
         p.y <= box.y + box.height + grow;
}

bool Overlap(const RectF& a, const RectF& b) {
  return a.x <= b.x + b.width && b.x <= a.x + a.width && a.y <= b.y + b.height && b.y <= a.y + a.height;
}

int32_t NearestHandle(const Geometry& g, const PointF& p, float reach) {
  for (size_t i = 0; i < g.handles.items.size(); ++i)
    if (Distance(g.handles.items[i]->point, p) < reach) return static_cast<int32_t>(i);
  return -1;
}

// Whether a point may hit the node at all: its box grown by the largest reach of any code
// (13 px / zoom and half the line width as bound), its rotation knob, text handle and adjust
// handles. Reads no style, so that a pick passes over far nodes cheaply.
bool WithinReach(const Diagram& node, const PointF& p, float zoom) {
  const Geometry& g = *node.geometry;
  const float z = zoom == 0.0f ? 1.0f : zoom;
  const float grow = 13 * kEmuPerPixel / z + node.boundLineWidth / 2;
  const bool topic = FamilyOf(node.category) == 1;
  if (InsideGrown(topic ? g.guideline.bounds.Box() : g.segments.Box(), p, grow)) return true;
  if (topic && g.guideline.rotationKnob != 0 &&
      InsideGrown(RectF{g.guideline.rotationKnobPoint.x, g.guideline.rotationKnobPoint.y, 0, 0}, p, grow))
    return true;
  if (topic && g.textMode != 0 && InsideGrown(RectF{g.textValues[2], g.textValues[3], 0, 0}, p, kTextHandleReach))
    return true;
  for (const auto& h : g.handles.items)
    if (InsideGrown(RectF{h->point.x, h->point.y, 0, 0}, p, grow)) return true;
  return false;
}

}  // namespace

int32_t HitNode(const Diagram& node, PointF p, uint8_t state, float zoom, int32_t* index) {
  if (index) *index = -1;
  if (!node.Alive() || node.geometry->segments.Empty()) return kPickNone;
  const Geometry& g = *node.geometry;
  const float z = zoom == 0.0f ? 1.0f : zoom;  // a zoom of 0 counts as 1
  const float reach = 7 * kEmuPerPixel / z;
  const float tolerance = node.HitTolerance(z);
  const bool stateful = (state & 0x0F) != 0;
  auto found = [&](int32_t code, int32_t i) {
    if (index) *index = i;
    return code;
  };

  if (FamilyOf(node.category) != 1) {
    if (!InsideGrown(g.segments.Box(), p, tolerance)) return kPickNone;
    if (stateful && (state & 0x02)) {
      const int32_t h = NearestHandle(g, p, reach);
      if (h >= 0) return found(kPickAdjust, h);
    }
    return StrokeHit(g.segments, p, tolerance) ? kPickStroke : kPickNone;
  }

  if (g.textMode != 0 && Distance(PointF{g.textValues[2], g.textValues[3]}, p) < kTextHandleReach)
    return kPickTextHandle;
  if (g.guideline.rotationKnob != 0) {
    const float half = 13 * kEmuPerPixel / z;
    const PointF& k = g.guideline.rotationKnobPoint;
    if (std::fabs(p.x - k.x) <= half && std::fabs(p.y - k.y) <= half) return kPickRotation;
  }
  if (!InsideGrown(g.guideline.bounds.Box(), p, tolerance)) return kPickNone;
  if (stateful) {
    if (state & 0x02) {
      const int32_t h = NearestHandle(g, p, reach);
      if (h >= 0) return found(kPickAdjust, h);
    }
    for (int i = 0; i < Guideline::kKnobCount; ++i)
      if (g.guideline.knobs[i] != 0 && Distance(g.guideline.points[i], p) < reach) return found(kPickKnob, i);
    if (state & 0x01) {
      for (size_t i = 0; i < g.sites.items.size(); ++i)
        if (Distance(g.sites.items[i].point, p) < reach) return found(kPickSite, static_cast<int32_t>(i));
    }
    if (HitPolyline(g.guideline.points, 4, p, 3 * kEmuPerPixel / z) >= 0) return kPickFrameLine;
  }
  if (StrokeHit(g.segments, p, tolerance)) return kPickStroke;
  if (OutlineContains(g.segments, p)) return kPickInside;
  return kPickNone;
}

Diagram* Pick(Canvas& canvas, PointF point, int family, uint8_t mask, float zoom,
              const std::function<bool(const PickResult*)>& collector) {
  static constexpr int kOrder[4] = {3, 1, 4, 2};
  const float margin = 13 * kEmuPerPixel / (zoom == 0.0f ? 1.0f : zoom);
  canvas.sketches.RefreshReaches();
  Diagram* accepted = nullptr;
  for (int f : kOrder) {
    if (family != 0 && f != family) continue;
    const auto& list = canvas.sketches.lists[static_cast<size_t>(f - 1)];
    for (auto it = list.rbegin(); it != list.rend() && !accepted; ++it) {
      const Sketch& sketch = *it;
      Diagram* node = sketch.node;
      if ((sketch.flags & mask) != mask) continue;
      const PointF local{point.x - sketch.x, point.y - sketch.y};
      // Far sketches are passed over without reading their nodes.
      if (!InsideGrown(sketch.reach, local, margin)) continue;
      if (!node || node->deleted || !node->geometry || node->geometry->segments.Empty()) continue;
      if (!WithinReach(*node, local, zoom) || !node->Paintable()) continue;
      PickResult result;
      result.node = node;
      result.sketch = &sketch;
      result.code = HitNode(*node, local, sketch.flags, zoom, &result.index);
      if (result.code == kPickNone) continue;
      if (collector(&result)) accepted = node;
    }
    if (accepted) break;
  }
  collector(nullptr);
  return accepted;
}

int32_t BoxHit(const Diagram& node, float x, float y, const RectF& rect) {
  if (!node.Alive() || node.geometry->segments.Empty()) return kPickNone;
  const RectF local{rect.x - x, rect.y - y, rect.width, rect.height};
  for (const Segment& s : node.geometry->segments.Items())
    if (s.end.x >= local.x && s.end.x <= local.x + local.width && s.end.y >= local.y &&
        s.end.y <= local.y + local.height)
      return kPickInside;
  return Overlap(node.geometry->segments.Box(), local) ? kPickBox : kPickNone;
}

}  // namespace Present::Drawing

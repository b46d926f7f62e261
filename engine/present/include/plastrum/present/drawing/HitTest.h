// Hit testing a canvas: which node a point picks, and how.
//
// Pick codes of a topic, tried in this order: 8 the text handle, 9 the rotation knob, 0
// outside the frame box grown by the tolerance, 5 an adjust handle, 3 a resize knob, 4 a
// connection site, 2 the frame line, 7 the stroke, 6 inside, 0 nothing (5, 3, 4 and 2 only
// with a state bit of 0x0f). Other families: 0 outside the geometry box grown by the
// tolerance, 5 an adjust handle, 7 the stroke, 0. Box selection: 6 a segment point inside
// the rectangle, 1 only the boxes overlap, 0.
#pragma once

#include <cstdint>
#include <functional>

#include <plastrum/present/drawing/Canvas.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

enum PickCode : int32_t {
  kPickNone = 0,
  kPickBox = 1,
  kPickFrameLine = 2,
  kPickKnob = 3,
  kPickSite = 4,
  kPickAdjust = 5,
  kPickInside = 6,
  kPickStroke = 7,
  kPickTextHandle = 8,
  kPickRotation = 9,
};

// The text handle's reach: 7 px at zoom 1, not scaled by the zoom.
inline constexpr float kTextHandleReach = 66675.0f;

struct PLASTRUM_API PickResult {
  Diagram* node = nullptr;
  int32_t code = kPickNone;
  // The handle, knob or site index for codes 5, 3 and 4 (else -1).
  int32_t index = -1;
  const Sketch* sketch = nullptr;
};

// The pick code of a point relative to the node's position, for a state and zoom (0 counts
// as 1); the index of the handle, knob or site it names.
PLASTRUM_API int32_t HitNode(const Diagram& node, PointF local, uint8_t state, float zoom, int32_t* index);

// Searches the sketches (without a family: relations, topics, boundaries, branches; with
// one: that family only), each list from its last sketch, for live nodes whose flags hold
// every bit of the mask. Each hit goes to the collector until it accepts one; it is then
// called once more with null. Returns the accepted hit's node, or null.
PLASTRUM_API Diagram* Pick(Canvas& canvas, PointF point, int family, uint8_t mask, float zoom,
                           const std::function<bool(const PickResult*)>& collector);

// The box-selection code of a node at a sketch position against a rectangle.
PLASTRUM_API int32_t BoxHit(const Diagram& node, float x, float y, const RectF& rect);

}  // namespace Present::Drawing

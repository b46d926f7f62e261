#include "plastrum/present/drawing/Presets.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "PresetBuilders.h"

namespace Present::Drawing {

namespace {

using namespace Presets;

enum class Family { None, Branch, Relation, Boundary, Topic };

struct PresetEntry {
  Builder build;
  int32_t pointsRead;
};

constexpr PresetEntry kBranches[] = {{BuildStraightBranch, 4}, {BuildQuadraticBranch, 4},    {BuildCubicBranch, 4},
                                     {BuildPolylineBranch, 4}, {BuildRoundedElbowBranch, 4}, {BuildBevelElbowBranch, 4},
                                     {BuildElbowBranch, 4},    {BuildTaperedBranch, 4}};
constexpr PresetEntry kRelations[] = {
    {BuildCurvedRelation, 4}, {BuildStraightRelation, 4}, {BuildPolylineRelation, 4}, {BuildSplineRelation, 4}};
// Boundaries read at least two points, the curve-fitted ones three (their offset lines
// need a turn), brackets and braces four.
constexpr PresetEntry kBoundaries[] = {{BuildPolygonBoundary, 2}, {BuildZigzagBoundary, 3},  {BuildScallopBoundary, 3},
                                       {BuildWaveBoundary, 3},    {BuildRoundedBoundary, 2}, {BuildSquareBracket, 4},
                                       {BuildAngularBrace, 4},    {BuildCurlyBrace, 4},      {BuildArcBracket, 4}};
constexpr PresetEntry kTopics[] = {{BuildRectangle, 0},        {BuildRectangle, 0},      {BuildRectangle, 0},
                                   {BuildRoundedRectangle, 0}, {BuildOctagon, 0},        {BuildHexagon, 0},
                                   {BuildDiamond, 0},          {BuildEllipse, 0},        {BuildRectangleCallout, 1},
                                   {BuildRoundedCallout, 1},   {BuildEllipseCallout, 1}, {BuildBubble, 0}};

template <size_t N>
const PresetEntry* Lookup(const PresetEntry (&table)[N], uint32_t kind, uint32_t first) {
  return kind >= first && kind - first < N ? &table[kind - first] : nullptr;
}

const PresetEntry* Find(uint32_t kind, Family& family) {
  const PresetEntry* e = nullptr;
  if ((e = Lookup(kBranches, kind, 100)) != nullptr) {
    family = Family::Branch;
  } else if ((e = Lookup(kRelations, kind, 200)) != nullptr) {
    family = Family::Relation;
  } else if ((e = Lookup(kBoundaries, kind, 300)) != nullptr) {
    family = Family::Boundary;
  } else if ((e = Lookup(kTopics, kind, 400)) != nullptr) {
    family = Family::Topic;
  } else {
    family = Family::None;
  }
  return e;
}

bool FrameIsFinite(const ShapeFrame& f) {
  if (!std::isfinite(f.width) || !std::isfinite(f.height) || !std::isfinite(f.angle)) return false;
  const int32_t n = f.PointCount();
  for (int32_t i = 0; i < n; ++i)
    if (!std::isfinite(f.points[i].x) || !std::isfinite(f.points[i].y)) return false;
  return true;
}

// Sketchery's knob bitmaps for the resize knobs and the rotation knob of topic shapes.
constexpr uint8_t kResizeKnobBitmap = 3;
constexpr uint8_t kRotationKnobBitmap = 12;

}  // namespace

bool IsPresetKind(uint32_t kind) {
  Family family;
  return Find(kind, family) != nullptr;
}

int32_t PointsRead(uint32_t kind) {
  Family family;
  const PresetEntry* e = Find(kind, family);
  return e != nullptr ? e->pointsRead : 0;
}

float RoundedCornerRadius(float width, float height) {
  return std::max(0.0f, std::min({63500.0f, width / 2, height / 2}));
}

Geometry* BuildGeometry(const ShapeFrame& frame, uint32_t kind) {
  Family family;
  const PresetEntry* entry = Find(kind, family);
  if (entry == nullptr) return nullptr;
  std::unique_ptr<Geometry> g(new (std::nothrow) Geometry);
  if (!g) return nullptr;
  try {
    // Too few points or a non-finite value: a geometry without segments, never painted
    // or hit, rather than a read past the points or an outline of NaNs.
    if (FrameIsFinite(frame) && frame.PointCount() >= entry->pointsRead) entry->build(*g, frame);
  } catch (const std::bad_alloc&) {
    g->segments.Clear();
  }
  if (family == Family::Topic) {
    g->guideline.FitBox(0, 0, frame.width, frame.height);
    g->guideline.EnableKnobs(kResizeKnobBitmap, kRotationKnobBitmap);
    g->sanctuary.SetRect(TextRect(kind, frame));
  } else {
    const Bounds& b = g->segments.GetBounds();
    if (b.IsSet()) g->guideline.FitBox(b.minX, b.minY, b.maxX, b.maxY);
    g->sanctuary.SetRect(g->segments.Box());
  }
  return g.release();
}

RectF TextRect(uint32_t kind, const ShapeFrame& frame) {
  const float w = frame.width, h = frame.height;
  switch (kind) {
    case 404:
    case 409:
    case 411: {
      const float i = std::min(0.2f * w, 0.2f * h);
      return {i, 0, w - 2 * i, h};
    }
    case 405:
      return {0.2f * w, 0, 0.6f * w, h};
    case 406: {
      // The point at fraction f from the left vertex towards the top one.
      const float f = h < w ? 0.4f : 0.6f;
      PointF p;
      ::Present::Geometry::LerpPoint(p, PointF{0, h / 2}, PointF{w / 2, 0}, f);
      return {p.x, p.y, w - 2 * p.x, h - 2 * p.y};
    }
    case 407:
    case 410: {
      const int16_t a = w > h ? 30 : 60;
      const float x = (1 - ::Present::Geometry::CosDegrees(a)) * w / 2;
      const float y = (1 - ::Present::Geometry::SinDegrees(a)) * h / 2;
      return {x, y, w - 2 * x, h - 2 * y};
    }
    default:
      return {0, 0, w, h};
  }
}

}  // namespace Present::Drawing

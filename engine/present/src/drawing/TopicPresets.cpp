// Topic shapes in the box (0, 0)-(width, height): rectangle, rounded rectangle, octagon,
// hexagon, diamond and ellipse (kinds 400..407).
#include <algorithm>

#include "PresetBuilders.h"
#include "plastrum/present/drawing/Presets.h"

namespace Present::Drawing::Presets {

void AddRectangleSites(Geometry& g, float w, float h) {
  for (const PointF& p : {PointF{0, 0}, PointF{w / 2, 0}, PointF{w, 0}, PointF{w, h / 2}, PointF{w, h},
                          PointF{w / 2, h}, PointF{0, h}, PointF{0, h / 2}})
    g.sites.Add(p);
}

void AddMidpointSites(Geometry& g, float w, float h) {
  for (const PointF& p : {PointF{w / 2, 0}, PointF{w, h / 2}, PointF{w / 2, h}, PointF{0, h / 2}}) g.sites.Add(p);
}

void BuildRectangle(Geometry& g, const ShapeFrame& f) {
  const float w = f.width, h = f.height;
  g.segments.MoveTo({0, 0});
  for (const PointF& p : {PointF{w, 0}, PointF{w, h}, PointF{0, h}, PointF{0, 0}}) g.segments.LineTo(p);
  AddRectangleSites(g, w, h);
}

void BuildRoundedRectangle(Geometry& g, const ShapeFrame& f) {
  const float w = f.width, h = f.height;
  const float r = RoundedCornerRadius(w, h);
  g.segments.MoveTo({r, 0});
  g.segments.LineTo({w - r, 0});
  g.segments.ArcTo({w, r}, {w - r, r});
  g.segments.LineTo({w, h - r});
  g.segments.ArcTo({w - r, h}, {w - r, h - r});
  g.segments.LineTo({r, h});
  g.segments.ArcTo({0, h - r}, {r, h - r});
  g.segments.LineTo({0, r});
  g.segments.ArcTo({r, 0}, {r, r});
  AddMidpointSites(g, w, h);
}

void BuildOctagon(Geometry& g, const ShapeFrame& f) {
  const float w = f.width, h = f.height;
  const float c = std::min(0.2f * w, 0.2f * h);
  g.segments.MoveTo({c, 0});
  for (const PointF& p : {PointF{w - c, 0}, PointF{w, c}, PointF{w, h - c}, PointF{w - c, h}, PointF{c, h},
                          PointF{0, h - c}, PointF{0, c}, PointF{c, 0}})
    g.segments.LineTo(p);
}

void BuildHexagon(Geometry& g, const ShapeFrame& f) {
  const float w = f.width, h = f.height;
  const PointF corners[] = {{0.2f * w, 0}, {0.8f * w, 0}, {w, h / 2}, {0.8f * w, h}, {0.2f * w, h}, {0, h / 2}};
  g.segments.MoveTo(corners[0]);
  for (int i = 1; i < 6; ++i) g.segments.LineTo(corners[i]);
  g.segments.LineTo(corners[0]);
  // Vertices and the middles of the top and bottom edges, clockwise from the top-left.
  for (const PointF& p :
       {corners[0], PointF{w / 2, 0}, corners[1], corners[2], corners[3], PointF{w / 2, h}, corners[4], corners[5]})
    g.sites.Add(p);
}

void BuildDiamond(Geometry& g, const ShapeFrame& f) {
  const float w = f.width, h = f.height;
  g.segments.MoveTo({w / 2, 0});
  for (const PointF& p : {PointF{w, h / 2}, PointF{w / 2, h}, PointF{0, h / 2}, PointF{w / 2, 0}}) g.segments.LineTo(p);
  AddMidpointSites(g, w, h);
}

void BuildEllipse(Geometry& g, const ShapeFrame& f) {
  const float w = f.width, h = f.height;
  const PointF centre{w / 2, h / 2};
  g.segments.MoveTo({w / 2, 0});
  for (const PointF& p : {PointF{w, h / 2}, PointF{w / 2, h}, PointF{0, h / 2}, PointF{w / 2, 0}})
    g.segments.ArcTo(p, centre);
  AddMidpointSites(g, w, h);
}

}  // namespace Present::Drawing::Presets

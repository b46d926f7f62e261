// The transformer operations of the geometry's parts other than the segments.
#include "plastrum/present/drawing/AdjustHandles.h"
#include "plastrum/present/drawing/ConnectSites.h"
#include "plastrum/present/drawing/Geometry.h"
#include "plastrum/present/drawing/Guideline.h"
#include "plastrum/present/drawing/Sanctuary.h"

#include <new>

namespace Present::Drawing {

using ::Present::Geometry::RotatePoint;

// Guideline ---------------------------------------------------------------------------

void Guideline::FitBox(float x0, float y0, float x1, float y1) {
  const float mx = x0 + (x1 - x0) / 2;
  const float my = y0 + (y1 - y0) / 2;
  points[kTopLeft] = {x0, y0};
  points[kTopRight] = {x1, y0};
  points[kBottomRight] = {x1, y1};
  points[kBottomLeft] = {x0, y1};
  points[kTopMiddle] = {mx, y0};
  points[kLeftMiddle] = {x0, my};
  points[kRightMiddle] = {x1, my};
  points[kBottomMiddle] = {mx, y1};
  rotationKnobPoint = {mx, y0 - kRotationKnobDistance};
  angle = 0;
  bounds.Reset();
  bounds.Include({x0, y0});
  bounds.Include({x1, y1});
}

void Guideline::EnableKnobs(uint8_t resizeKnob, uint8_t rotation) {
  for (uint8_t& k : knobs) k = resizeKnob;
  rotationKnob = rotation;
}

void Guideline::RecomputeBounds() {
  bounds.Reset();
  for (const PointF& p : points) bounds.Include(p);
}

void Guideline::Translate(float dx, float dy) {
  for (PointF& p : points) TranslatePoint(p, dx, dy);
  TranslatePoint(rotationKnobPoint, dx, dy);
  RecomputeBounds();
}

void Guideline::Scale(float sx, float sy) {
  for (PointF& p : points) ScalePoint(p, sx, sy);
  ScalePoint(rotationKnobPoint, sx, sy);
  RecomputeBounds();
}

void Guideline::Rotate(float degrees, const PointF& centre) {
  for (PointF& p : points) RotatePoint(centre, p, degrees);
  RotatePoint(centre, rotationKnobPoint, degrees);
  angle += degrees;
  RecomputeBounds();
}

// Connection sites ----------------------------------------------------------------------

void ConnectSites::Translate(float dx, float dy) {
  for (ConnectSite& s : items) TranslatePoint(s.point, dx, dy);
}

void ConnectSites::Scale(float sx, float sy) {
  for (ConnectSite& s : items) ScalePoint(s.point, sx, sy);
}

void ConnectSites::Rotate(float degrees, const PointF& centre) {
  for (ConnectSite& s : items) RotatePoint(centre, s.point, degrees);
}

// Adjust handles ------------------------------------------------------------------------

void AdjustHandle::Translate(float dx, float dy) { TranslatePoint(point, dx, dy); }
void AdjustHandle::Scale(float sx, float sy) { ScalePoint(point, sx, sy); }
void AdjustHandle::Rotate(float degrees, const PointF& centre) { RotatePoint(centre, point, degrees); }

void AdjustHandles::Translate(float dx, float dy) {
  for (auto& h : items) h->Translate(dx, dy);
}

void AdjustHandles::Scale(float sx, float sy) {
  for (auto& h : items) h->Scale(sx, sy);
}

void AdjustHandles::Rotate(float degrees, const PointF& centre) {
  for (auto& h : items) h->Rotate(degrees, centre);
}

AdjustHandle* AddAdjustHandle(uint8_t selector, PointF point, uint8_t knob, AdjustHandles& handles, uint8_t type) {
  std::unique_ptr<AdjustHandle> handle;
  if (selector != 0) {
    handle.reset(new (std::nothrow) PolarAdjust);
  } else {
    handle.reset(new (std::nothrow) AngularAdjust);
  }
  if (!handle) return nullptr;
  handle->type = type;
  handle->knob = knob;
  handle->point = point;
  try {
    handles.items.push_back(std::move(handle));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  return handles.items.back().get();
}

AdjustHandle* AddAdjustHandleWithAnchor(uint8_t selector, PointF point, uint8_t knob, AdjustHandles& handles,
                                        uint8_t type, PointF anchor, uint8_t lever) {
  AdjustHandle* handle = AddAdjustHandle(selector, point, knob, handles, type);
  if (handle != nullptr) {
    handle->anchor = anchor;
    handle->lever = lever;
  }
  return handle;
}

// Sanctuary -----------------------------------------------------------------------------

void Sanctuary::SetRect(const RectF& r) {
  points[0] = {r.x, r.y};
  points[1] = {r.x + r.width, r.y};
  points[2] = {r.x + r.width, r.y + r.height};
  points[3] = {r.x, r.y + r.height};
  RecomputeBounds();
}

void Sanctuary::RecomputeBounds() {
  bounds.Reset();
  for (const PointF& p : points) bounds.Include(p);
}

void Sanctuary::Translate(float dx, float dy) {
  for (PointF& p : points) TranslatePoint(p, dx, dy);
  RecomputeBounds();
}

void Sanctuary::Scale(float sx, float sy) {
  for (PointF& p : points) ScalePoint(p, sx, sy);
  RecomputeBounds();
}

void Sanctuary::Rotate(float degrees, const PointF& centre) {
  for (PointF& p : points) RotatePoint(centre, p, degrees);
  if (angle_ != nullptr) *angle_ += degrees;
  RecomputeBounds();
}

// Geometry ------------------------------------------------------------------------------

void Geometry::Translate(float dx, float dy) {
  if (mode != kKeepHandles) {
    handles.Translate(dx, dy);
    sites.Translate(dx, dy);
  }
  segments.Translate(dx, dy);
  guideline.Translate(dx, dy);
}

void Geometry::Scale(float sx, float sy) {
  if (mode != kKeepHandles) {
    handles.Scale(sx, sy);
    sites.Scale(sx, sy);
  }
  segments.Scale(sx, sy);
  guideline.Scale(sx, sy);
}

void Geometry::Rotate(float degrees, const PointF& centre) {
  if (mode != kKeepHandles) {
    handles.Rotate(degrees, centre);
    sites.Rotate(degrees, centre);
  }
  segments.Rotate(degrees, centre);
  guideline.Rotate(degrees, centre);
}

}  // namespace Present::Drawing

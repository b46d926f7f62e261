// The geometry of one drawing node: outline segments, frame guideline, connection
// sites, adjust handles, text frame and protected rectangle, built from the node's shape
// kind and frame by BuildGeometry (Presets.h) and moved as one.
#pragma once

#include <cstdint>

#include <plastrum/present/drawing/AdjustHandles.h>
#include <plastrum/present/drawing/ConnectSites.h>
#include <plastrum/present/drawing/Guideline.h>
#include <plastrum/present/drawing/Sanctuary.h>
#include <plastrum/present/drawing/Segments.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

class PLASTRUM_API Geometry final : public Transformer {
 public:
  // In this mode translate, scale and rotate leave the handles and sites in place.
  static constexpr int32_t kKeepHandles = 1;

  Geometry() : sanctuary(&guideline.angle) {}
  // The sanctuary shares the guideline's angle, so a geometry never moves or copies.
  Geometry(const Geometry&) = delete;
  Geometry& operator=(const Geometry&) = delete;

  // Handles and sites (unless the mode keeps them), segments, guideline; the sanctuary
  // is moved on its own.
  void Translate(float dx, float dy) override;
  void Scale(float sx, float sy) override;
  void Rotate(float degrees, const PointF& centre) override;

  int32_t mode = 0;
  AdjustHandles handles;
  ConnectSites sites;
  Segments segments;
  Guideline guideline;
  // Kept at 2 for the readers of the stored layout; nothing here reads them.
  uint8_t reserveByte = 2;
  int32_t reserveValue = 2;
  uint8_t textMode = 0;  // 0 none, 1 or 2
  // Text frame values in EMU; the last two are the text handle point.
  float textValues[4] = {};
  Sanctuary sanctuary;
  // A value the host stores in a topic's geometry and reads back.
  int32_t hostValue = 0;
};

}  // namespace Present::Drawing

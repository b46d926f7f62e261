// The points where connectors attach to a shape.
#pragma once

#include <vector>

#include <plastrum/present/drawing/Transformer.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

struct PLASTRUM_API ConnectSite {
  PointF point;
};

class PLASTRUM_API ConnectSites final : public Transformer {
 public:
  void Translate(float dx, float dy) override;
  void Scale(float sx, float sy) override;
  void Rotate(float degrees, const PointF& centre) override;

  void Add(PointF p) { items.push_back(ConnectSite{p}); }

  std::vector<ConnectSite> items;
};

}  // namespace Present::Drawing

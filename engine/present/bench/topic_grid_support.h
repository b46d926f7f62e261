// The hit-test benches' world: 1,000 topics (kinds 402-411, the standard style) on a grid
// of a canvas, and beside it the Cairo peer that answers the same hits over the same
// outlines: each outline as a Cairo path in pixels with its box grown by the tolerance.
#pragma once

#include <cairo.h>

#include <vector>

#include "plastrum/present/canvas/PresentCanvas.h"
#include "plastrum/present/drawing/Outline.h"

namespace present_bench {

using Present::Drawing::PointF;
using Present::Drawing::RectF;

constexpr int kTopics = 1000, kColumns = 40;
constexpr float kCell = 1371600.0f;  // 1.5 inch a cell, the topic 1 x 0.5 inch inside it

class CairoPeer {
 public:
  CairoPeer() : surface_(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1)) {}

  // The outline of a topic placed at (x, y) EMU, stroked as wide as its hit tolerance.
  void Add(const Present::Drawing::Diagram& node, float x, float y) {
    const float tolerance = node.HitTolerance(1.0f);
    Present::Drawing::FlatOutline flat(node.geometry->segments);
    cairo_t* cr = cairo_create(surface_);
    for (int32_t k = 0; k < flat.Count(); ++k) {
      const double px = (flat.Points()[k].x + x) / 9525.0, py = (flat.Points()[k].y + y) / 9525.0;
      k == 0 ? cairo_move_to(cr, px, py) : cairo_line_to(cr, px, py);
    }
    cairo_set_line_width(cr, 2 * tolerance / 9525.0);
    contexts_.push_back(cr);
    RectF box = node.geometry->segments.Box();
    boxes_.push_back(
        RectF{box.x + x - tolerance, box.y + y - tolerance, box.width + 2 * tolerance, box.height + 2 * tolerance});
  }

  // From the last outline back: the grown box holds the point p (EMU), then the path's
  // stroke or fill holds it at (x, y) pixels.
  bool Hits(PointF p, double x, double y) const {
    const RectF* boxes = boxes_.data();
    cairo_t* const* contexts = contexts_.data();
    for (int i = static_cast<int>(boxes_.size()) - 1; i >= 0; --i) {
      const RectF& b = boxes[i];
      if (p.x < b.x || p.y < b.y || p.x > b.x + b.width || p.y > b.y + b.height) continue;
      if (cairo_in_stroke(contexts[i], x, y) || cairo_in_fill(contexts[i], x, y)) return true;
    }
    return false;
  }

 private:
  cairo_surface_t* surface_;
  std::vector<cairo_t*> contexts_;
  std::vector<RectF> boxes_;
};

// Syncs the grid's topics onto the canvas, each added to the peer at the same place.
inline void FillGrid(PresentCanvas& canvas, CairoPeer& peer) {
  for (int i = 0; i < kTopics; ++i) {
    PresentGeometryInfo g{7200, 3600, 0, 0, nullptr, 0};
    PresentObjectInfo info{nullptr, 402 + i % 10, 1, 0, &g, 0, 0};
    canvas.SyncObject(&info);
    const float x = static_cast<float>(i % kColumns) * kCell, y = static_cast<float>(i / kColumns) * kCell;
    Present::Drawing::Sketch sketch;
    sketch.node = info.node;
    sketch.x = x;
    sketch.y = y;
    canvas.Drawing()->MergeSketch(sketch);
    peer.Add(*info.node, x, y);
  }
}

}  // namespace present_bench

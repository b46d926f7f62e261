// The canvas slots on nodes: sync, remove, state bits, sketches, etudes, the geometry
// value and the outline crossing.
#include <plastrum/present/canvas/PresentCanvas.h>

#include <cmath>
#include <new>
#include <vector>

#include <plastrum/format/ColorModel.h>
#include <plastrum/present/drawing/Outline.h>
#include <plastrum/present/drawing/Presets.h>
#include <plastrum/present/gesture/Handler.h>
#include <plastrum/present/shell/units.h>

using namespace Present::Drawing;
using Present::EmuToHost;
using Present::HostToEmu;

namespace {

PointF Emu(LONG x, LONG y) { return PointF{HostToEmu(x), HostToEmu(y)}; }

}  // namespace

PresentCanvas::PresentCanvas(Presentation* designer, StyleCache* cache, DrawingModel* shared)
    : designer_(designer), cache_(cache), canvas_(new (std::nothrow) Canvas(shared)) {}

PresentCanvas::~PresentCanvas() {
  // The gesture handlers outlive canvases: a drag or a last hit on this one ends with it.
  if (canvas_) Present::Gesture::ForgetCanvas(canvas_.get());
}

bool PresentCanvas::ApplyGeometry(Diagram& node, const PresentGeometryInfo& info) {
  if (info.count < 0 || (info.count > 0 && !info.points)) return false;
  ShapeFrame frame;
  if (FamilyOf(node.category) == 1) {
    frame.width = HostToEmu(info.width);
    frame.height = HostToEmu(info.height);
    frame.angle = static_cast<float>(info.angleTenths) / 10.0f;
  }
  if (info.count > 0) {
    std::vector<PointF> points;
    try {
      points.resize(static_cast<size_t>(info.count));
    } catch (const std::bad_alloc&) {
      return false;
    }
    for (LONG i = 0; i < info.count; ++i) points[static_cast<size_t>(i)] = Emu(info.points[i].x, info.points[i].y);
    if (!frame.SetPoints(points.data(), info.count)) return false;
  }
  if (!node.deleted && node.geometry && FrameEqual(node.frame, frame)) return true;
  node.frame = std::move(frame);
  return RebuildGeometry(node);
}

BOOL PresentCanvas::SyncObject(PresentObjectInfo* info) {
  if (!info || !Valid()) return FALSE;
  const uint32_t kind = static_cast<uint32_t>(info->kind);
  Diagram* node = info->node;
  if (node) {
    // Only nodes of this canvas's model are read: anything else (a removed node included)
    // is refused.
    if (!canvas_->model->Holds(node) || node->deleted) return FALSE;
    bool refused = false;
    Diagram* result = RekindNode(kind, node, &refused);
    if (refused || !result) return FALSE;
    if (result != node) {
      canvas_->ReplaceNode(node, result);
      node = result;
    }
  } else {
    node = MakeNode(kind);
    if (!node) return FALSE;
    if (!canvas_->model->Add(node)) {
      delete node;
      return FALSE;
    }
  }
  info->node = node;
  if (info->geometry && !ApplyGeometry(*node, *info->geometry)) return FALSE;
  node->hostA = info->hostA;
  node->hostB = info->hostB;
  node->flags = info->flags;
  node->BindStyle(cache_, static_cast<uint32_t>(info->shapeId));
  return TRUE;
}

BOOL PresentCanvas::RemoveObject(PresentNode node) {
  if (!node || !Valid() || !canvas_->model->Holds(node)) return FALSE;
  return canvas_->model->Remove(node) ? TRUE : FALSE;
}

BOOL PresentCanvas::IsObjectSelected(PresentNode node) {
  const SelectionEntry* entry = Valid() ? canvas_->FindEntry(node) : nullptr;
  return entry && (entry->state & 0x02) ? TRUE : FALSE;
}

BOOL PresentCanvas::IsObjectFocused(PresentNode node) {
  const SelectionEntry* entry = Valid() ? canvas_->FindEntry(node) : nullptr;
  return entry && (entry->state & 0x22) == 0x22 ? TRUE : FALSE;
}

BOOL PresentCanvas::IsObjectHighlighted(PresentNode node) {
  const SelectionEntry* entry = Valid() ? canvas_->FindEntry(node) : nullptr;
  return entry && (entry->state & 0x01) ? TRUE : FALSE;
}

BOOL PresentCanvas::SetObjectSelected(PresentNode node, BYTE flag) { return SetStateBit(node, flag, 0x02); }
BOOL PresentCanvas::SetObjectFocused(PresentNode node, BYTE flag) { return SetStateBit(node, flag, 0x20); }
BOOL PresentCanvas::SetObjectHighlighted(PresentNode node, BYTE flag) { return SetStateBit(node, flag, 0x01); }

BOOL PresentCanvas::SetStateBit(PresentNode node, BYTE flag, uint8_t mask) {
  if (!node || !Valid()) return FALSE;
  Sketch* sketch = canvas_->sketches.Find(node);
  if (flag) {
    if (!sketch) return FALSE;
    sketch->flags |= mask;
    SelectionEntry entry;
    entry.node = node;
    entry.x = sketch->x;
    entry.y = sketch->y;
    entry.state = sketch->flags;
    entry.placed = 1;
    return canvas_->SetEntry(entry) ? TRUE : FALSE;
  }
  if (sketch) {
    const uint8_t others = sketch->flags & 0x0F & static_cast<uint8_t>(~mask);
    sketch->flags &= static_cast<uint8_t>(~mask);
    if (others == 0) sketch->flags = 0;
  }
  canvas_->ClearEntryBits(node, mask);
  return TRUE;
}

void PresentCanvas::SetModeBit0(BYTE flag) {
  if (!Valid()) return;
  canvas_->modeFlags = flag ? canvas_->modeFlags | 1u : canvas_->modeFlags & ~1u;
}

void PresentCanvas::SetModeBit1(BYTE flag) {
  if (!Valid()) return;
  canvas_->modeFlags = flag ? canvas_->modeFlags | 2u : canvas_->modeFlags & ~2u;
}

bool PresentCanvas::ApplyAnchors(Diagram& node, const PresentFirstAnchor* first, const PresentSecondAnchor* second) {
  if (first) {
    node.first.id = first->value;
    node.first.x = HostToEmu(first->x);
    node.first.y = HostToEmu(first->y);
  } else {
    node.first.id = 0;
  }
  if (second) {
    node.second.id = second->value;
    node.second.x = HostToEmu(second->x);
    node.second.y = HostToEmu(second->y);
    for (int i = 0; i < 3; ++i) node.second.lengths[i] = HostToEmu(second->lengths[i]);
    node.second.color.reset(Present::CreateColorFromStored(second->color, second->colorKind));
  } else {
    node.second.id = 0;
  }
  return true;
}

BOOL PresentCanvas::SetSketch(PresentSketchInfo* info) {
  if (!info || !info->node || !info->geometry || !Valid()) return FALSE;
  Diagram* node = info->node;
  if (!canvas_->model->Holds(node) || node->deleted) return FALSE;
  if (!ApplyGeometry(*node, *info->geometry)) return FALSE;
  if (FamilyOf(node->category) == 1) {
    node->marginsFlag = info->marginsFlag;
    if (info->marginsFlag)
      for (int i = 0; i < 4; ++i) node->margins[i] = HostToEmu(info->margins[i]);
  }
  ApplyAnchors(*node, info->first, info->second);
  if (node->geometry) {
    Geometry& g = *node->geometry;
    g.textMode = info->geometryFlag;
    g.textValues[0] = HostToEmu(info->lengths[0]);
    g.textValues[1] = HostToEmu(info->lengths[1]);
    // The text frame lies at the kind's text rectangle; its handle is the bottom-right.
    const RectF text = FamilyOf(node->category) == 1 ? TextRect(node->Kind(), node->frame) : RectF{};
    g.textValues[2] = text.x + g.textValues[0];
    g.textValues[3] = text.y + g.textValues[1];
    GeometryChanged();
  }
  Sketch sketch;
  sketch.node = node;
  sketch.x = HostToEmu(info->x);
  sketch.y = HostToEmu(info->y);
  return canvas_->MergeSketch(sketch) ? TRUE : FALSE;
}

BOOL PresentCanvas::HasSketches() { return Valid() && !canvas_->sketches.Empty() ? TRUE : FALSE; }

BOOL PresentCanvas::AddEtude(PresentEtudeInfo* info) {
  if (!info || !info->node || !Valid()) return FALSE;
  Diagram* node = info->node;
  if (!canvas_->model->Holds(node) || !node->Alive()) return FALSE;
  ApplyAnchors(*node, info->first, info->second);
  PaintPosition position;
  position.x = HostToEmu(info->x);
  position.y = HostToEmu(info->y);
  return canvas_->NewEtude(node, position, info->value) ? TRUE : FALSE;
}

BOOL PresentCanvas::SetGeometryValue(PresentNode node, LONG value) {
  if (!node || !Valid() || !canvas_->model->Holds(node)) return FALSE;
  if (!node->Alive() || FamilyOf(node->category) != 1 || !node->Style() || node->geometry->sites.items.empty())
    return FALSE;
  node->geometry->hostValue = value;
  return TRUE;
}

BOOL PresentCanvas::IntersectObjectOutline(PresentOutlineHit* hit) {
  if (!hit || !hit->second || !hit->node || !Valid() || !canvas_->model->Holds(hit->node)) return FALSE;
  const Diagram& node = *hit->node;
  if (!node.Alive()) return FALSE;
  const PointF a = Emu(hit->x0, hit->y0), b = Emu(hit->second->x, hit->second->y);
  FlatOutline flat(node.geometry->segments);
  const int32_t n = flat.Count();
  const PointF* pts = flat.Points();
  if (n < 2 || !pts) return FALSE;  // no outline: nothing to cross, never point 0 of none
  auto side = [&](const PointF& p) { return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x); };
  auto cross = [&](const PointF& p, const PointF& q, PointF* out) {
    const float d = (b.x - a.x) * (q.y - p.y) - (b.y - a.y) * (q.x - p.x);
    if (d == 0) return false;
    const float t = ((p.x - a.x) * (q.y - p.y) - (p.y - a.y) * (q.x - p.x)) / d;
    const float u = ((p.x - a.x) * (b.y - a.y) - (p.y - a.y) * (b.x - a.x)) / d;
    if (!(t >= 0 && t <= 1 && u >= 0 && u <= 1)) return false;
    *out = PointF{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
    return true;
  };
  PointF at;
  bool found = false;
  if (side(pts[0]) <= 0) {
    for (int32_t i = 0; i + 1 < n && !found; ++i) found = cross(pts[i], pts[i + 1], &at);
  } else {
    for (int32_t i = n - 1; i > 0 && !found; --i) found = cross(pts[i], pts[i - 1], &at);
  }
  if (!found) return FALSE;
  hit->outX = EmuToHost(at.x);
  hit->outY = EmuToHost(at.y);
  return TRUE;
}

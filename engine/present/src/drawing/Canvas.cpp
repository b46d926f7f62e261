// A canvas's state: sketches, selection, etudes, previews, palette and the selecting box.
#include <plastrum/present/drawing/Canvas.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include <plastrum/present/drawing/HitTest.h>

namespace Present::Drawing {

int32_t Sketch::Liveness() const {
  if (!node || !node->Alive()) return kNothing;
  return node->Liveness();
}

int32_t Sketch::Paint(PaintContext& context) const {
  if (!node || !node->Paintable()) return kNothing;
  return node->PaintFirst(context, PaintPosition{x, y, flags});
}

void Sketch::DeriveReach() {
  Bounds b;
  if (node && node->geometry) {
    const Geometry& g = *node->geometry;
    const bool topic = FamilyOf(node->category) == 1;
    const RectF box = topic ? g.guideline.bounds.Box() : g.segments.Box();
    b.Include(PointF{box.x, box.y});
    b.Include(PointF{box.x + box.width, box.y + box.height});
    if (topic) b.Include(g.guideline.rotationKnobPoint);
    if (topic && g.textMode != 0) {
      b.Include(PointF{g.textValues[2] - kTextHandleReach, g.textValues[3] - kTextHandleReach});
      b.Include(PointF{g.textValues[2] + kTextHandleReach, g.textValues[3] + kTextHandleReach});
    }
    for (const auto& h : g.handles.items) b.Include(h->point);
  }
  const RectF box = b.Box();
  const float half = node ? node->boundLineWidth / 2 : 0;
  reach = RectF{box.x - half, box.y - half, box.width + 2 * half, box.height + 2 * half};
}

void SketchMap::RefreshReaches() {
  if (reachEpoch == GeometryEpoch()) return;
  for (auto& list : lists)
    for (Sketch& sketch : list) sketch.DeriveReach();
  reachEpoch = GeometryEpoch();
}

bool SketchMap::Empty() const {
  for (const auto& list : lists)
    if (!list.empty()) return false;
  return true;
}

Sketch* SketchMap::Find(const Diagram* node) {
  // Compared by address only: the host may hand in a node that is no longer this canvas's.
  if (!node) return nullptr;
  for (auto& list : lists)
    for (auto it = list.rbegin(); it != list.rend(); ++it)
      if (it->node == node) return &*it;
  return nullptr;
}

void Etude::Scale(float sx, float sy, float ax, float ay) {
  constexpr float kLeast = 76200.0f;  // 8 px
  scaledWidth = std::max(width * sx, kLeast);
  scaledHeight = std::max(height * sy, kLeast);
  if (ax != 0) position.x = x + ax * (width - scaledWidth);
  if (ay != 0) position.y = y + ay * (height - scaledHeight);
}

int32_t Etude::Paint(PaintContext& context) {
  if (!node || !node->Paintable()) return kNothing;
  const int32_t savedFlags = context.paintFlags;
  context.paintFlags = paintFlags;
  const bool topic = FamilyOf(node->category) == 1;
  const float savedWidth = node->frame.width, savedHeight = node->frame.height;
  if (topic && (scaledWidth != savedWidth || scaledHeight != savedHeight)) {
    node->frame.width = scaledWidth;
    node->frame.height = scaledHeight;
    RebuildGeometry(*node);
  }
  int32_t code = node->Paintable() ? node->PaintFirst(context, position) : kNothing;
  if (code == 0 && !(paintFlags & 2)) code = node->PaintSecond(context, position);
  if (topic && (node->frame.width != savedWidth || node->frame.height != savedHeight)) {
    node->frame.width = savedWidth;
    node->frame.height = savedHeight;
    RebuildGeometry(*node);
  }
  context.paintFlags = savedFlags;
  return code;
}

RectF SelectingBox::Rect() const {
  return RectF{std::min(startX, currentX), std::min(startY, currentY), std::fabs(currentX - startX),
               std::fabs(currentY - startY)};
}

void Preview::Clear() {
  etudes.clear();
  blind.position.state = 0;
  floating.active = 0;
  moving.active = 0;
  outline.active = 0;
  callout.active = 0;
  dropping.active = 0;
  relating.active = 0;
  selecting.active = 0;
  selecting.hits.clear();
}

const Style::ShapeRecord* ViewRecord::PageStyle() const {
  return pageCache && pageStyleId ? pageCache->BuildShape(pageStyleId) : nullptr;
}

Canvas::Canvas(DrawingModel* shared) {
  if (shared) {
    shared->AddRef();
    model = shared;
  } else {
    model = new (std::nothrow) DrawingModel();
  }
  for (size_t i = 0; i < palette.size(); ++i) palettePointers_[i] = &palette[i];
}

Canvas::~Canvas() {
  if (model) model->Release();
}

bool Canvas::MergeSketch(const Sketch& sketch) {
  if (!sketch.node) return false;
  const int family = FamilyOf(sketch.node->category);
  if (family < 1 || family > DrawingModel::kFamilies) return false;
  Sketch merged = sketch;
  if (sketches.reachEpoch == GeometryEpoch()) merged.DeriveReach();  // else the next refresh derives it
  if (SelectionEntry* entry = FindEntry(sketch.node)) {
    entry->x = sketch.x;
    entry->y = sketch.y;
    entry->placed = 1;
    merged.flags = entry->state;
  }
  try {
    sketches.lists[static_cast<size_t>(family - 1)].push_back(merged);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const RectF bounds = NodePaintBounds(*sketch.node);
  if (bounds.width > 0 || bounds.height > 0) {
    sketches.extents.Include(PointF{bounds.x + sketch.x, bounds.y + sketch.y});
    sketches.extents.Include(PointF{bounds.x + bounds.width + sketch.x, bounds.y + bounds.height + sketch.y});
  }
  return true;
}

bool Canvas::NewEtude(Diagram* node, const PaintPosition& position, int32_t paintFlags) {
  if (!node) return false;
  Etude etude;
  etude.x = position.x;
  etude.y = position.y;
  etude.width = node->frame.width;
  etude.height = node->frame.height;
  etude.scaledWidth = etude.width;
  etude.scaledHeight = etude.height;
  etude.node = node;
  etude.paintFlags = paintFlags;
  etude.position = position;
  for (auto it = preview.etudes.rbegin(); it != preview.etudes.rend(); ++it)
    if (it->node == node) {
      *it = etude;
      return true;
    }
  try {
    preview.etudes.push_back(etude);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

SelectionEntry* Canvas::FindEntry(const Diagram* node) {
  if (!node) return nullptr;
  for (int32_t i = selectionCount - 1; i >= 0; --i)
    if (selection[static_cast<size_t>(i)].node == node) return &selection[static_cast<size_t>(i)];
  return nullptr;
}

bool Canvas::SetEntry(const SelectionEntry& entry) {
  if (SelectionEntry* found = FindEntry(entry.node)) {
    *found = entry;
    return true;
  }
  try {
    if (static_cast<size_t>(selectionCount) < selection.size())
      selection[static_cast<size_t>(selectionCount)] = entry;
    else
      selection.push_back(entry);
  } catch (const std::bad_alloc&) {
    return false;
  }
  ++selectionCount;
  return true;
}

void Canvas::ClearEntryBits(const Diagram* node, uint8_t mask) {
  SelectionEntry* entry = FindEntry(node);
  if (!entry) return;
  entry->state &= static_cast<uint8_t>(~mask);
  if ((entry->state & 0x0F) != 0) return;
  const bool last = entry == &selection[static_cast<size_t>(selectionCount - 1)];
  *entry = SelectionEntry{};
  if (last) --selectionCount;
}

void Canvas::ClearSelection() {
  selection.clear();
  selectionCount = 0;
}

void Canvas::ReplaceNode(Diagram* old, Diagram* fresh) {
  if (!old || !fresh || old == fresh) return;
  for (int32_t i = 0; i < selectionCount; ++i)
    if (selection[static_cast<size_t>(i)].node == old) selection[static_cast<size_t>(i)].node = fresh;
  for (Etude& etude : preview.etudes)
    if (etude.node == old) {
      etude.node = fresh;
      etude.width = fresh->frame.width;
      etude.height = fresh->frame.height;
    }
  for (auto& list : sketches.lists)
    for (Sketch& sketch : list)
      if (sketch.node == old) sketch.node = fresh;
  if (model) {
    model->Remove(old);
    model->Add(fresh);
  }
}

bool Canvas::ResetState(uint8_t kind) {
  switch (kind) {
    case 0:
      for (auto& list : sketches.lists) list.clear();
      sketches.extents.Reset();
      cachedImage.reset();
      for (int32_t i = 0; i < selectionCount; ++i) selection[static_cast<size_t>(i)].placed = 0;
      preview.Clear();
      return true;
    case 2:
      cachedImage.reset();
      return true;
    case 3:
      preview.Clear();
      return true;
    case 4:
      ClearSelection();
      return true;
    default:
      return false;
  }
}

void Canvas::BeginSelectingBox(void* owner_, const PointF* point) {
  SelectingBox& box = preview.selecting;
  box.hits.clear();
  if (!point) {
    box.active = 0;
    return;
  }
  box.owner = owner_;
  box.startX = box.currentX = point->x;
  box.startY = box.currentY = point->y;
  box.active = 1;
}

void Canvas::UpdateSelectingBox(const PointF* point) {
  SelectingBox& box = preview.selecting;
  box.hits.clear();
  if (!point) {
    box.active = 0;
    return;
  }
  box.currentX = point->x;
  box.currentY = point->y;
  box.active = 1;
  const RectF rect = box.Rect();
  for (const Sketch& sketch : sketches.lists[0]) {  // topics only
    if (!sketch.node || !sketch.node->Paintable()) continue;
    const int32_t code = BoxHit(*sketch.node, sketch.x, sketch.y, rect);
    if (code == kPickNone) continue;
    try {
      box.hits.push_back(SelectingHit{sketch.node, static_cast<uint8_t>(code), sketch.flags});
    } catch (const std::bad_alloc&) {
      return;
    }
  }
}

const uint8_t* Canvas::PaletteRecord() {
  for (size_t i = 0; i < palette.size(); ++i) {
    uint8_t* e = &paletteRecord_[i * 12];
    std::memset(e, 0, 12);
    const Type::Color& c = palette[i];
    e[4] = c.type;
    e[5] = c.dirty;
    e[6] = c.A;
    e[7] = c.R;
    e[8] = c.G;
    e[9] = c.B;
  }
  return paletteRecord_.data();
}

}  // namespace Present::Drawing

#include <plastrum/present/gesture/Tracer.h>

#include <algorithm>
#include <new>

namespace Present::Gesture {
namespace {

// Plain pointers, so that no static destructor runs before the module's stop frees them.
ResizeTracer* g_resize = nullptr;
PositionAdjustTracer* g_adjust = nullptr;

}  // namespace

void Tracer::Bind(Drawing::Canvas* canvas_, Drawing::Diagram* node_, int32_t index_, Drawing::PointF start) {
  canvas = canvas_;
  node = node_;
  index = index_;
  startX = currentX = start.x;
  startY = currentY = start.y;
  ctrl = CtrlDown() ? 1 : 0;
  shift = ShiftDown() ? 1 : 0;
}

void Tracer::Update(Drawing::PointF current) {
  currentX = current.x;
  currentY = current.y;
  ctrl = CtrlDown() ? 1 : 0;
  shift = ShiftDown() ? 1 : 0;
}

ResizeTracer* ResizeTracer::Instance() {
  if (!g_resize) g_resize = new (std::nothrow) ResizeTracer();
  return g_resize;
}

int32_t ResizeTracer::Begin() {
  scaleX = scaleY = 1.0f;
  anchorX = anchorY = 0;
  result = ResultRecord{};
  startWidth = node ? node->frame.width : 0;
  startHeight = node ? node->frame.height : 0;
  movesLeft = index == 0 || index == 3 || index == 5;
  movesTop = index == 0 || index == 1 || index == 4;
  vertical = index == 4 || index == 7 || (index >= 0 && index <= 3);
  horizontal = index == 5 || index == 6 || (index >= 0 && index <= 3);
  return 0;
}

void ResizeTracer::ComputeScales() {
  scaleX = scaleY = 1.0f;
  if (!node || Drawing::FamilyOf(node->category) != 1 || (currentX == startX && currentY == startY)) return;
  // A side of zero cannot be scaled from: that axis keeps its size.
  if (horizontal && startWidth != 0) {
    const float dx = (currentX - startX) * (movesLeft ? -1.0f : 1.0f) * (ctrl ? 2.0f : 1.0f);
    scaleX = (startWidth + dx) / startWidth;
    anchorX = ctrl ? 0.5f : movesLeft ? 1.0f : 0.0f;
  }
  if (vertical && startHeight != 0) {
    const float dy = (currentY - startY) * (movesTop ? -1.0f : 1.0f) * (ctrl ? 2.0f : 1.0f);
    scaleY = (startHeight + dy) / startHeight;
    anchorY = ctrl ? 0.5f : movesTop ? 1.0f : 0.0f;
  }
  if (horizontal && vertical && (shift || node->category == Drawing::kCategoryPicFrame))
    scaleX = scaleY = std::max(scaleX, scaleY);
}

int32_t ResizeTracer::Apply() {
  if (!canvas || !node) return 1;
  ComputeScales();
  if (scaleX == 1.0f && scaleY == 1.0f) return 0;
  for (Drawing::Etude& etude : canvas->preview.etudes) etude.Scale(scaleX, scaleY, anchorX, anchorY);
  return 0;
}

int32_t ResizeTracer::End() {
  ComputeScales();
  result = ResultRecord{};
  result.kind = scaleX != 1.0f || scaleY != 1.0f ? 1 : 0;
  result.scaleX = scaleX;
  result.scaleY = scaleY;
  return 0;
}

PositionAdjustTracer* PositionAdjustTracer::Instance() {
  if (!g_adjust) g_adjust = new (std::nothrow) PositionAdjustTracer();
  return g_adjust;
}

Drawing::PointF PositionAdjustTracer::SketchOffset() const {
  // Handles are kept relative to the node's sketch; the drag runs in model points.
  if (canvas && node)
    if (const Drawing::Sketch* sketch = canvas->sketches.Find(node)) return Drawing::PointF{sketch->x, sketch->y};
  return Drawing::PointF{0, 0};
}

int32_t PositionAdjustTracer::Begin() {
  handle = nullptr;
  result = ResultRecord{};
  if (!canvas || !node || !node->geometry) return 1;
  const auto& items = node->geometry->handles.items;
  if (index < 0 || static_cast<size_t>(index) >= items.size()) return 1;
  handle = items[static_cast<size_t>(index)].get();
  const Drawing::PointF offset = SketchOffset();
  handleStart = Drawing::PointF{handle->point.x + offset.x, handle->point.y + offset.y};
  startX = currentX = handleStart.x;
  startY = currentY = handleStart.y;
  return 0;
}

int32_t PositionAdjustTracer::Apply() {
  if (!canvas || !node || !handle || node->deleted) return 1;
  if (currentX == startX && currentY == startY) return 0;
  if (index < 0 || index >= node->frame.PointCount()) return 1;
  const Drawing::PointF offset = SketchOffset();
  node->frame.points[index] = ::Present::Geometry::PointF{currentX - offset.x, currentY - offset.y};
  // The rebuild replaces the handles: the one held goes with the old geometry.
  const bool rebuilt = Drawing::RebuildGeometry(*node);
  handle = rebuilt && static_cast<size_t>(index) < node->geometry->handles.items.size()
               ? node->geometry->handles.items[static_cast<size_t>(index)].get()
               : nullptr;
  return rebuilt ? 0 : 1;
}

int32_t PositionAdjustTracer::End() {
  result = ResultRecord{};
  if (currentX == startX && currentY == startY) return 0;
  result.kind = 2;
  result.value = index;
  result.lengths[0] = currentX - startX;
  result.lengths[1] = currentY - startY;
  return 0;
}

void ForgetTracerCanvas(const Drawing::Canvas* gone) {
  for (Tracer* tracer : {static_cast<Tracer*>(g_resize), static_cast<Tracer*>(g_adjust)})
    if (tracer && tracer->canvas == gone) {
      tracer->canvas = nullptr;
      tracer->node = nullptr;
    }
  if (g_adjust && !g_adjust->canvas) g_adjust->handle = nullptr;
}

void DestroyTracers() {
  delete g_resize;
  g_resize = nullptr;
  delete g_adjust;
  g_adjust = nullptr;
}

}  // namespace Present::Gesture

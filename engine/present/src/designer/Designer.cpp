// The designer's canvases, contexts and node slots.
#include <plastrum/present/designer/Designer.h>

#include <algorithm>
#include <new>

#include <plastrum/format/PresentEngine.h>
#include <plastrum/present/canvas/PresentCanvas.h>
#include <plastrum/present/drawing/Presets.h>
#include <plastrum/present/gesture/PresentGesture.h>
#include <plastrum/present/shell/present_context.h>
#include <plastrum/present/shell/units.h>
#include <plastrum/present/text/Typography.h>

using namespace Present::Drawing;

IPresentCanvas* Presentation::AddCanvas(void* sharedModel) {
  auto* canvas = new (std::nothrow) PresentCanvas(this, styleCache_, static_cast<DrawingModel*>(sharedModel));
  if (!canvas) return nullptr;
  if (!canvas->Valid()) {
    delete canvas;
    return nullptr;
  }
  try {
    canvases_.push_back(canvas);
  } catch (const std::bad_alloc&) {
    delete canvas;
    return nullptr;
  }
  return canvas;
}

IPresentCanvas* Presentation::NewCanvas() { return AddCanvas(nullptr); }

PresentCanvas* Presentation::FindCanvas(IPresentCanvas* canvas) const {
  if (!canvas) return nullptr;
  for (PresentCanvas* c : canvases_)
    if (static_cast<IPresentCanvas*>(c) == canvas) return c;
  return nullptr;
}

PresentContext* Presentation::FindContext(IPresentContext* context) const {
  if (!context) return nullptr;
  for (PresentContext* c : contexts_)
    if (static_cast<IPresentContext*>(c) == context) return c;
  return nullptr;
}

BOOL Presentation::FreeCanvas(IPresentCanvas* canvas) {
  PresentCanvas* known = FindCanvas(canvas);
  if (!known) return FALSE;
  canvases_.remove(known);
  delete known;
  return TRUE;
}

IPresentCanvas* Presentation::CloneCanvas(IPresentCanvas* canvas) {
  PresentCanvas* known = FindCanvas(canvas);
  if (!known || !known->Drawing()) return nullptr;
  return AddCanvas(known->Drawing()->model);
}

bool Presentation::KnowsNode(PresentNode node) const {
  if (!node) return false;
  for (PresentCanvas* c : canvases_)
    if (c->Drawing() && c->Drawing()->model->Owns(node)) return true;
  return false;
}

BOOL Presentation::DeleteDiagram(PresentNode node) {
  if (!node || canvases_.empty() || !KnowsNode(node)) return FALSE;
  node->deleted = 1;
  for (PresentCanvas* c : canvases_) {
    // The model still lists the node although it is marked: take it out as RemoveObject does.
    if (c->Drawing()->model->Remove(node)) return TRUE;
  }
  return FALSE;
}

BOOL Presentation::IsDiagramAlive(PresentNode node) { return KnowsNode(node) && node->Alive() ? TRUE : FALSE; }

BOOL Presentation::GetTextRect(const PresentTextRectRequest* request, LONG* out) {
  if (!request || !out || (!request->text && !request->shape)) return FALSE;
  if (request->kind < 400 || request->kind > 411) return FALSE;
  const PresentTextSize* size = request->shape ? request->shape : request->text;
  ShapeFrame frame;
  frame.width = Present::HostToEmu(size->width);
  frame.height = Present::HostToEmu(size->height);
  frame.angle = static_cast<float>(size->tenths) / 10.0f;
  const uint32_t kind = static_cast<uint32_t>(request->kind);
  const RectF text = TextRect(kind, frame);
  std::unique_ptr<Geometry> geometry(BuildGeometry(frame, kind));
  const RectF shape = geometry ? geometry->guideline.bounds.Box() : RectF{0, 0, frame.width, frame.height};
  float sx = 1, sy = 1;
  if (request->text && request->shape) {
    // Scale so that the text rectangle takes the given text size; a text rectangle with a
    // side of 0 cannot be scaled.
    if (text.width == 0 || text.height == 0) return FALSE;
    sx = Present::HostToEmu(request->text->width) / text.width;
    sy = Present::HostToEmu(request->text->height) / text.height;
  }
  const float values[6] = {shape.width * sx, shape.height * sy, text.x * sx,
                           text.y * sy,      text.width * sx,   text.height * sy};
  for (int i = 0; i < 6; ++i) out[i] = Present::EmuToHost(values[i]);
  return TRUE;
}

BOOL Presentation::SetPicFrameKind(PresentNode node, LONG kind) {
  if (!KnowsNode(node) || node->category != kCategoryPicFrame || !node->Alive()) return FALSE;
  if (kind < 400 || kind > 411) return FALSE;
  auto* frame = static_cast<PicFrame*>(node);
  if (frame->picFrameKind == static_cast<uint32_t>(kind)) return TRUE;
  frame->picFrameKind = static_cast<uint32_t>(kind);
  RebuildGeometry(*frame);
  return TRUE;
}

namespace {

bool LiveTopic(const Diagram* node) { return node->Alive() && FamilyOf(node->category) == 1; }

}  // namespace

BOOL Presentation::HasDiagramPoints(PresentNode node) {
  return KnowsNode(node) && LiveTopic(node) && !node->geometry->sites.items.empty() ? TRUE : FALSE;
}

LONG Presentation::GetDiagramPointCount(PresentNode node) {
  if (!KnowsNode(node) || !LiveTopic(node)) return 0;
  return static_cast<LONG>(node->geometry->sites.items.size());
}

void Presentation::NextDiagramPoint(POINT* out, PresentNode node, LONG* cursor) {
  if (out) *out = POINT{0, 0};
  if (!node || !cursor) return;
  const LONG n = KnowsNode(node) && LiveTopic(node) ? static_cast<LONG>(node->geometry->sites.items.size()) : 0;
  const LONG c = *cursor;
  if (c - 1 < 0 || c - 1 >= n) {
    *cursor = 0;
    return;
  }
  const PointF& p = node->geometry->sites.items[static_cast<size_t>(c - 1)].point;
  if (out) *out = POINT{Present::EmuToHost(p.x), Present::EmuToHost(p.y)};
  *cursor = c < n ? c + 1 : 0;
}

// The typography service is the text side's one stateless object.
IUnknown* Presentation::GetGesture() {
  if (!gesture_) gesture_ = new (std::nothrow) PresentGesture(this);
  return gesture_;
}

IPresentTypography* Presentation::GetTypography() { return Present::GetPresentTypography(); }

IPresentContext* Presentation::NewContext() {
  auto* context = new (std::nothrow) PresentContext();
  if (!context) return nullptr;
  try {
    contexts_.insert(context);
  } catch (const std::bad_alloc&) {
    delete context;
    return nullptr;
  }
  return context;
}

void Presentation::FreeContext(IPresentContext* context) {
  PresentContext* known = FindContext(context);
  if (!known) return;
  contexts_.erase(known);
  delete known;
}

void Presentation::DestroyParts() {
  // The router first: its motions point at handlers that are pointed at these canvases.
  delete gesture_;
  gesture_ = nullptr;
  // Nodes are only marked while the canvases go: previews and clones may still name them.
  SetKeepNodes(true);
  for (PresentCanvas* canvas : canvases_) delete canvas;
  canvases_.clear();
  SetKeepNodes(false);
  for (PresentContext* context : contexts_) delete context;
  contexts_.clear();
}

// The canvas slots on previews, the selecting box, the view, the palette and painting.
#include <plastrum/present/canvas/PresentCanvas.h>

#include <cstring>
#include <new>

#include <plastrum/format/PresentEngine.h>
#include <plastrum/present/drawing/Presets.h>
#include <plastrum/present/painting/ObjectBitmaps.h>
#include <plastrum/present/shell/present_context.h>
#include <plastrum/present/shell/units.h>

using namespace Present::Drawing;
using Present::HostToEmu;

namespace {

PointF Emu(LONG x, LONG y) { return PointF{HostToEmu(x), HostToEmu(y)}; }

bool TopicShapeKind(LONG kind) { return kind >= 400 && kind <= 411; }

}  // namespace

PresentContext* PresentCanvas::KnownContext(IPresentContext* context) const {
  return designer_ ? designer_->FindContext(context) : nullptr;
}

Diagram* PresentCanvas::PreviewNode(std::unique_ptr<Diagram>& owned, uint32_t kind, uint32_t shapeId) {
  Diagram* node = owned.get();
  if (node) {
    bool refused = false;
    Diagram* result = RekindNode(kind, node, &refused);
    if (refused || !result) {
      result = MakeNode(kind);
      if (!result) return nullptr;
    }
    if (result != node) owned.reset(result);  // the previous preview node goes with it
  } else {
    owned.reset(MakeNode(kind));
  }
  if (owned) owned->BindStyle(cache_, shapeId);
  return owned.get();
}

void PresentCanvas::SetMovingBox(const PresentMovingBoxInfo* info) {
  if (!Valid()) return;
  MovingBox& box = canvas_->preview.moving;
  if (!info) {
    box.active = 0;
    return;
  }
  box.node = info->node && canvas_->model->Holds(info->node) ? info->node : nullptr;
  box.dx = HostToEmu(info->x);
  box.dy = HostToEmu(info->y);
  box.width = HostToEmu(info->width);
  box.height = HostToEmu(info->height);
  box.mode = info->mode;
  box.branchKind = static_cast<uint32_t>(info->mode) & 0xFFFF;
  box.anchor = static_cast<uint8_t>(static_cast<uint32_t>(info->mode) >> 16);
  box.flag = info->flag != 0;
  box.active = 1;
}

BOOL PresentCanvas::SetFloatingShape(const PresentFloatingShapeInfo* info) {
  if (!info || !Valid() || !TopicShapeKind(info->kind)) return FALSE;
  FloatingBox& box = canvas_->preview.floating;
  Diagram* node = PreviewNode(box.node, static_cast<uint32_t>(info->kind), static_cast<uint32_t>(info->shapeId));
  if (!node) return FALSE;
  try {
    box.iconPath = info->iconPath ? info->iconPath : u"";
  } catch (const std::bad_alloc&) {
    return FALSE;
  }
  box.image.reset();
  const float w = HostToEmu(info->width), h = HostToEmu(info->height);
  if (!node->geometry || node->frame.width != w || node->frame.height != h) {
    node->frame.width = w;
    node->frame.height = h;
    RebuildGeometry(*node);
  }
  box.rect.width = w;
  box.rect.height = h;
  return TRUE;
}

BOOL PresentCanvas::SetBlindShape(const PresentBlindShapeInfo* info) {
  if (!info || !Valid() || !TopicShapeKind(info->kind)) return FALSE;
  Diagram* node =
      PreviewNode(canvas_->preview.blind.node, static_cast<uint32_t>(info->kind), static_cast<uint32_t>(info->shapeId));
  if (!node) return FALSE;
  if (info->geometry && !ApplyGeometry(*node, *info->geometry)) return FALSE;
  return TRUE;
}

void PresentCanvas::SetBlindPosition(const POINT* point) {
  if (!Valid()) return;
  PaintPosition& position = canvas_->preview.blind.position;
  if (!point) {
    position.state = 0;
    return;
  }
  const PointF p = Emu(point->x, point->y);
  position = PaintPosition{p.x, p.y, 1};
}

void PresentCanvas::SetFloatingPosition(const POINT* point) {
  if (!Valid()) return;
  FloatingBox& box = canvas_->preview.floating;
  if (!point) {
    box.active = 0;
    return;
  }
  const PointF p = Emu(point->x, point->y);
  box.rect.x = p.x;
  box.rect.y = p.y;
  box.active = 1;
}

void PresentCanvas::SetMovingOutline(const POINT* points, LONG count, LONG value) {
  if (!Valid()) return;
  MovingOutline& outline = canvas_->preview.outline;
  if (!points || count <= 0) {
    outline.active = 0;
    return;
  }
  try {
    if (outline.points.size() != static_cast<size_t>(count))
      outline.points.assign(static_cast<size_t>(count), PointF{});
  } catch (const std::bad_alloc&) {
    outline.points.clear();
    outline.active = 0;
    return;
  }
  outline.bounds.Reset();
  for (LONG i = 0; i < count; ++i) {
    outline.points[static_cast<size_t>(i)] = Emu(points[i].x, points[i].y);
    outline.bounds.Include(outline.points[static_cast<size_t>(i)]);
  }
  outline.value = value;
  outline.active = 1;
}

void PresentCanvas::SetMovingCalloutBox(const PresentCalloutBoxInfo* info) {
  if (!Valid()) return;
  MovingCalloutBox& box = canvas_->preview.callout;
  if (!info) {
    box.active = 0;
    return;
  }
  box.node = info->node && canvas_->model->Holds(info->node) ? info->node : nullptr;
  const PointF p = Emu(info->x, info->y);
  box.rect = RectF{p.x, p.y, HostToEmu(info->width), HostToEmu(info->height)};
  box.active = 1;
}

void PresentCanvas::SetDroppingBox(const PresentDroppingBoxInfo* info) {
  if (!Valid()) return;
  DroppingBox& box = canvas_->preview.dropping;
  if (!info) {
    box.active = 0;
    return;
  }
  box.node = info->node && canvas_->model->Holds(info->node) ? info->node : nullptr;
  box.x = HostToEmu(info->x);
  box.y = HostToEmu(info->y);
  for (int i = 0; i < 4; ++i) box.lengths[i] = HostToEmu(info->lengths[i]);
  box.mode = info->mode;
  box.active = 1;
}

void PresentCanvas::SetRelatingBox(const PresentRelatingBoxInfo* info) {
  if (!Valid()) return;
  RelatingBox& box = canvas_->preview.relating;
  if (!info) {
    box.active = 0;
    return;
  }
  box.from = info->from && canvas_->model->Holds(info->from) ? info->from : nullptr;
  box.to = info->to && canvas_->model->Holds(info->to) ? info->to : nullptr;
  box.fromPoint = Emu(info->fromPoint.x, info->fromPoint.y);
  box.toPoint = Emu(info->toPoint.x, info->toPoint.y);
  PointF points[4];
  for (int i = 0; i < 4; ++i) points[i] = Emu(info->points[i].x, info->points[i].y);
  if (info->to && info->mode == 4) {
    if (info->relationKind < 200 || info->relationKind > 203) {
      box.active = 0;
      return;
    }
    Diagram* connector =
        PreviewNode(box.connector, static_cast<uint32_t>(info->relationKind), static_cast<uint32_t>(info->shapeId));
    if (!connector) {
      box.active = 0;
      return;
    }
    ShapeFrame frame;
    if (frame.SetPoints(points, 4) && !FrameEqual(frame, connector->frame)) {
      connector->frame = std::move(frame);
      RebuildGeometry(*connector);
    }
    box.mode = 2;
    box.ends[0] = points[0];
    box.ends[1] = points[3];
  } else {
    box.mode = info->mode;
    box.ends[0] = points[0];
    box.ends[1] = points[1];
  }
  box.active = 1;
}

void PresentCanvas::BeginSelectingBox(const POINT* point) {
  if (!Valid()) return;
  if (!point) return canvas_->BeginSelectingBox(this, nullptr);
  const PointF p = Emu(point->x, point->y);
  canvas_->BeginSelectingBox(this, &p);
}

void PresentCanvas::UpdateSelectingBox(const POINT* point) {
  if (!Valid()) return;
  if (!point) return canvas_->UpdateSelectingBox(nullptr);
  const PointF p = Emu(point->x, point->y);
  canvas_->UpdateSelectingBox(&p);
}

BOOL PresentCanvas::HasSelectingResults() { return Valid() && !canvas_->preview.selecting.hits.empty() ? TRUE : FALSE; }

PresentNode PresentCanvas::NextSelectingResult(LONG* cursor) {
  if (!cursor) return nullptr;
  const LONG n = Valid() ? static_cast<LONG>(canvas_->preview.selecting.hits.size()) : 0;
  const LONG c = *cursor;
  if (c < 1 || c > n) {
    *cursor = 0;
    return nullptr;
  }
  PresentNode node = canvas_->preview.selecting.hits[static_cast<size_t>(c - 1)].node;
  *cursor = c < n ? c + 1 : 0;
  return node;
}

LONG PresentCanvas::NextSelectingResultValue(LONG* cursor) {
  PresentNode node = NextSelectingResult(cursor);
  return node ? node->hostB : 0;
}

LONG PresentCanvas::GetSelectingResultCount() {
  return Valid() ? static_cast<LONG>(canvas_->preview.selecting.hits.size()) : 0;
}

BOOL PresentCanvas::ResetState(BYTE mode) { return Valid() && canvas_->ResetState(mode) ? TRUE : FALSE; }

BOOL PresentCanvas::GetImageSize(LONG* width, LONG* height) {
  if (!Valid() || !canvas_->cachedImage) return FALSE;
  if (width) *width = canvas_->cachedImage->Width();
  if (height) *height = canvas_->cachedImage->Height();
  return TRUE;
}

BOOL PresentCanvas::HasImage() { return Valid() && canvas_->cachedImage ? TRUE : FALSE; }

BOOL PresentCanvas::BlitImage(IPresentContext* context, LONG x, LONG y) {
  PresentContext* known = KnownContext(context);
  if (!Valid() || !known || !known->Record()) return FALSE;
  return canvas_->BlitImage(*known->Record(), x, y) ? TRUE : FALSE;
}

BOOL PresentCanvas::AttachContext(IPresentContext* context) {
  PresentContext* known = KnownContext(context);
  if (!Valid() || !known || !known->HasDevice()) return FALSE;
  return canvas_->AttachContext(*known->Record()) == 0 ? TRUE : FALSE;
}

void PresentCanvas::SetView(const PresentViewInfo* info) {
  if (!info || !Valid()) return;
  ViewRecord& view = canvas_->view;
  view.pageCache = cache_;
  view.pageStyleId = info->pageShapeId ? static_cast<uint32_t>(*info->pageShapeId) : 0;
  view.originX = HostToEmu(info->originX);
  view.originY = HostToEmu(info->originY);
  for (int i = 0; i < 4; ++i) view.pageValues[i] = static_cast<int32_t>(HostToEmu(info->page[i]));
  const float ex = HostToEmu(info->extentX), ey = HostToEmu(info->extentY);
  view.rect = RectF{-(ex / 2) - HostToEmu(info->offsetX), -(ey / 2) - HostToEmu(info->offsetY), ex, ey};
}

BOOL PresentCanvas::PaintView(PresentViewInfo* info) {
  if (!Valid()) return FALSE;
  SetView(info);
  const Bounds& extents = canvas_->sketches.extents;
  if (extents.IsSet())
    canvas_->view.rect = RectF{extents.minX, extents.minY, extents.maxX - extents.minX, extents.maxY - extents.minY};
  PaintContext context = canvas_->MakePaintContext();
  return canvas_->PaintAll(context) == 0 ? TRUE : FALSE;
}

BOOL PresentCanvas::PaintOverlay(LONG value) {
  if (!Valid()) return FALSE;
  PaintContext context = canvas_->MakePaintContext();
  context.paintFlags = value;
  return canvas_->PaintOverlay(context) == 0 ? TRUE : FALSE;
}

BOOL PresentCanvas::DetachRender() {
  if (!Valid() || !canvas_->render.device.Valid()) return FALSE;
  canvas_->render.device.Detach();
  return TRUE;
}

Present::Type::Color* PresentCanvas::SetPaletteColor(BYTE index, DWORD argb) {
  if (!Valid() || index > 11) return nullptr;
  Present::Type::Color& c = canvas_->palette[index];
  c = Present::Type::Color();
  c.A = static_cast<uint8_t>(argb >> 24);
  c.R = static_cast<uint8_t>(argb >> 16);
  c.G = static_cast<uint8_t>(argb >> 8);
  c.B = static_cast<uint8_t>(argb);
  return &c;
}

const BYTE* PresentCanvas::GetPalette() { return Valid() ? canvas_->PaletteRecord() : nullptr; }

void PresentCanvas::SetPalette(const BYTE* entries) {
  if (!entries || !Valid()) return;
  // Only the colour bytes of each entry: the rest is the host's copy of our own layout.
  for (size_t i = 0; i < 12; ++i) {
    const BYTE* e = entries + i * 12;
    SetPaletteColor(static_cast<BYTE>(i), uint32_t{e[6]} << 24 | uint32_t{e[7]} << 16 | uint32_t{e[8]} << 8 | e[9]);
  }
}

IPresentCanvasOwner* PresentCanvas::GetOwner() { return Valid() ? canvas_->owner : nullptr; }

void PresentCanvas::SetOwner(IPresentCanvasOwner* owner) {
  if (Valid()) canvas_->owner = owner;
}

BOOL PresentCanvas::RenderObjectBitmap(PresentObjectBitmapInfo* record) {
  if (!Valid()) return FALSE;
  return Present::Painting::RenderObjectBitmap(record, cache_, canvas_->owner, canvas_->PalettePointers()) ? TRUE
                                                                                                           : FALSE;
}

BOOL PresentCanvas::RenderImageBitmap(PresentImageBitmapInfo* record) {
  if (!Valid()) return FALSE;
  return Present::Painting::RenderImageBitmap(record, cache_, canvas_->owner, canvas_->PalettePointers()) ? TRUE
                                                                                                          : FALSE;
}

#include <plastrum/present/gesture/Handler.h>

#include <new>

#include <win/user_input.h>

#include <vantorel/present_host.h>

#include <plastrum/present/drawing/HitTest.h>
#include <plastrum/present/gesture/Tracer.h>

namespace Present::Gesture {
namespace {

bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// Plain pointers, so that no static destructor runs before the module's stop frees them.
Handler* g_general = nullptr;
Handler* g_editor = nullptr;

}  // namespace

Drawing::PointF PixelToModel(const Drawing::Canvas& canvas, POINT pixels) {
  const Drawing::ViewRecord& v = canvas.view;
  // A resolution or zoom of 0 would divide by zero: read as 96 DPI and as 1.
  const float dpiX = v.resolutionX == 0 ? 96.0f : v.resolutionX;
  const float dpiY = v.resolutionY == 0 ? 96.0f : v.resolutionY;
  const float zoomX = v.zoomX == 0 ? 1.0f : v.zoomX;
  const float zoomY = v.zoomY == 0 ? 1.0f : v.zoomY;
  const float x = static_cast<float>(static_cast<float>(static_cast<float>(pixels.x) / dpiX) * 914400.0f);
  const float y = static_cast<float>(static_cast<float>(static_cast<float>(pixels.y) / dpiY) * 914400.0f);
  return Drawing::PointF{x / zoomX - v.originX, y / zoomY - v.originY};
}

bool CtrlDown() { return KeyDown(VK_LCONTROL) || KeyDown(VK_RCONTROL); }
bool ShiftDown() { return KeyDown(VK_LSHIFT) || KeyDown(VK_RSHIFT); }

Handler::~Handler() = default;
bool Handler::OnMove(POINT) { return false; }
bool Handler::OnLeftRepeated(POINT) { return false; }
bool Handler::OnLeftDown(POINT) { return false; }
bool Handler::OnLeftUp(POINT) { return false; }
bool Handler::Slot5(POINT) { return false; }
bool Handler::OnMiddleDown(POINT) { return false; }
bool Handler::OnMiddleUp(POINT) { return false; }
bool Handler::OnRightRepeated(POINT) { return false; }
bool Handler::OnRightDown(POINT) { return false; }
bool Handler::OnRightUp(POINT) { return false; }
bool Handler::OnSetCursor(POINT) { return false; }
bool Handler::HostHitTest(POINT) { return false; }
bool Handler::Slot13(POINT) { return false; }
bool Handler::SetCanvasHint(Drawing::Canvas*) { return false; }
bool Handler::HostPress(POINT) { return false; }
bool Handler::HostTrack(POINT) { return false; }
bool Handler::HostRelease(POINT) { return false; }
bool Handler::Slot18(POINT) { return false; }
bool Handler::Slot19(POINT) { return false; }
bool Handler::Slot20(POINT) { return false; }
bool Handler::Slot21(POINT) { return false; }
bool Handler::HostPressDrag(POINT) { return false; }
bool Handler::HostTrackDrag(POINT) { return false; }
bool Handler::HostReleaseDrag(POINT) { return false; }

void Handler::ClearHit() {
  hitNode = nullptr;
  hitCanvas = nullptr;
  hitKind = 0;
  hitFlags = 0;
  hitIndex = -1;
  if (collect) {
    hitTable.fill(HitEntry{});
    hitCount = 0;
  }
}

void Handler::SetCollect(bool on) {
  collect = on ? 1 : 0;
  hitTable.fill(HitEntry{});
  hitCount = 0;
}

bool Handler::FocusHitTest(POINT point) { return HitTest(Judge::kFocus, point); }
bool Handler::PickHitTest(POINT point) { return HitTest(Judge::kPick, point); }
bool Handler::KnobHitTest(POINT point) { return HitTest(Judge::kKnob, point); }

bool Handler::HitTest(Judge judge, POINT point) {
  if (judge != Judge::kKnob) ClearHit();
  if (!canvas) return false;
  const Drawing::PointF p = PixelToModel(*canvas, point);
  Drawing::PickResult hit;
  // The knob judge looks only at selected nodes and only at what a drag can start from.
  const uint8_t mask = judge == Judge::kKnob ? 0x02 : 0;
  Drawing::Pick(*canvas, p, 0, mask, canvas->view.zoomX, [&](const Drawing::PickResult* r) {
    if (!r) return false;
    if (judge == Judge::kKnob && r->code != Drawing::kPickKnob && r->code != Drawing::kPickAdjust &&
        r->code != Drawing::kPickRotation)
      return false;
    hit = *r;
    return true;
  });
  if (!hit.node) {
    hitNode = nullptr;
    hitCanvas = nullptr;
    hitKind = 0;
    hitFlags = 0;
    hitIndex = -1;
    return false;
  }
  if (collect && hitCanvas != canvas) {
    hitTable.fill(HitEntry{});
    hitCount = 0;
  }
  hitNode = hit.node;
  hitCanvas = canvas;
  hitKind = static_cast<uint8_t>(hit.code);
  hitIndex = hit.index;
  if (judge == Judge::kFocus)
    hitFlags = static_cast<uint8_t>(hitFlags | 0x01);
  else if (judge == Judge::kPick)
    hitFlags = 0x02;
  if (collect && hitCount < kHitTableSize)
    hitTable[static_cast<size_t>(hitCount++)] =
        HitEntry{hitNode, static_cast<uint32_t>(hitKind | (hitFlags << 8)), hitIndex};
  return true;
}

uint8_t EditorHandler::KnobCursor(int32_t knob) {
  static constexpr uint8_t kCursors[8] = {5, 3, 5, 3, 2, 4, 4, 2};
  return knob >= 0 && knob < 8 ? kCursors[knob] : 0;
}

bool EditorHandler::Press(POINT point) {
  state = 0;
  tracer = nullptr;
  if (!canvas) {
    state = 1;
    return false;
  }
  const Drawing::PointF p = PixelToModel(*canvas, point);
  if (!KnobHitTest(point)) {
    state = 1;
    return false;
  }
  if (hitKind == Drawing::kPickKnob || hitKind == 10) {
    ResizeTracer* resize = ResizeTracer::Instance();
    if (!resize) return false;
    resize->Bind(canvas, hitNode, hitIndex, p);
    resize->Begin();
    tracer = resize;
    state = 2;
    cursor = 1;
  } else if (hitKind == Drawing::kPickAdjust) {
    cursor = 7;
    const auto& handles = hitNode->geometry->handles.items;
    if (hitIndex < 0 || static_cast<size_t>(hitIndex) >= handles.size()) return true;
    const uint8_t handleType = handles[static_cast<size_t>(hitIndex)]->type;
    if (handleType == Drawing::kEndHandle) {
      state = 6;
    } else if (handleType == Drawing::kControlHandle) {
      PositionAdjustTracer* adjust = PositionAdjustTracer::Instance();
      if (!adjust) return false;
      adjust->Bind(canvas, hitNode, hitIndex, p);
      if (adjust->Begin() != 0) return true;
      tracer = adjust;
      state = 2;
    }
  } else if (hitKind == Drawing::kPickRotation) {
    state = 7;
  }
  return true;
}

Tracer* EditorHandler::ActiveTracer() {
  if (tracer && tracer->canvas != canvas) tracer = nullptr;
  return tracer;
}

bool EditorHandler::Track(POINT point) {
  if (!canvas) return false;
  if (ActiveTracer()) {
    // The owner may snap the dragged point before it is converted.
    if (canvas->owner) canvas->owner->AdjustDragPoint(&point);
    tracer->Update(PixelToModel(*canvas, point));
    tracer->Apply();
    state = 3;
    return true;
  }
  if (!KnobHitTest(point)) {
    state = 1;
    return false;
  }
  state = 5;
  if (hitKind == Drawing::kPickKnob || hitKind == 10)
    cursor = KnobCursor(hitIndex);
  else if (hitKind == Drawing::kPickRotation)
    cursor = 8;
  else if (hitKind == Drawing::kPickAdjust)
    cursor = 7;
  else
    cursor = 0;
  return true;
}

bool EditorHandler::Release(POINT point) {
  state = 0;
  if (!ActiveTracer()) return false;
  if (canvas) {
    // The release point is snapped as every tracked point was, so that the move reported
    // is the move the geometry shows.
    if (canvas->owner) canvas->owner->AdjustDragPoint(&point);
    tracer->Update(PixelToModel(*canvas, point));
  }
  tracer->End();
  result = tracer->result;
  tracer = nullptr;
  state = 4;
  return true;
}

bool EditorHandler::Drop() {
  tracer = nullptr;
  state = 4;
  return true;
}

Handler* HandlerOfType(uint8_t type) {
  if (type == Handler::kGeneral) {
    if (!g_general) g_general = new (std::nothrow) GeneralHandler();
    return g_general;
  }
  if (type == Handler::kEditor) {
    if (!g_editor) g_editor = new (std::nothrow) EditorHandler();
    return g_editor;
  }
  return nullptr;
}

void ForgetCanvas(const Drawing::Canvas* gone) {
  for (Handler* handler : {g_general, g_editor}) {
    if (!handler) continue;
    if (handler->canvas == gone) handler->canvas = nullptr;
    if (handler->hitCanvas == gone) {
      handler->hitNode = nullptr;
      handler->hitCanvas = nullptr;
      handler->hitKind = handler->hitFlags = 0;
      handler->hitIndex = -1;
      handler->hitTable.fill(HitEntry{});
      handler->hitCount = 0;
    }
    if (handler->tracer && handler->tracer->canvas == gone) handler->tracer = nullptr;
  }
  ForgetTracerCanvas(gone);
}

void DestroyHandlers() {
  delete g_general;
  g_general = nullptr;
  delete g_editor;
  g_editor = nullptr;
  DestroyTracers();
}

}  // namespace Present::Gesture

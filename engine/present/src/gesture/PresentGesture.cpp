#include <plastrum/present/gesture/PresentGesture.h>

#include <cstdlib>
#include <new>

#include <win/user_input.h>
#include <win/user_message.h>
#include <vantorel/present_host.h>

#include <plastrum/present/canvas/PresentCanvas.h>
#include <plastrum/present/designer/Designer.h>
#include <plastrum/present/gesture/Handler.h>

namespace {

constexpr UINT kCancelMode = 31;
constexpr UINT kSetCursor = 32;
constexpr UINT kMove = 512;
constexpr UINT kLeftDown = 513;
constexpr UINT kLeftUp = 514;
constexpr UINT kRightDown = 516;
constexpr UINT kRightUp = 517;
constexpr UINT kMiddleDown = 519;
constexpr UINT kMiddleUp = 520;

bool ButtonHeld(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// The sink's before- and after-calls and the handler's slot of one pointer event.
struct Route {
  BOOL (IPresentGestureSink::*before)(const POINT*);
  bool (Present::Gesture::Handler::*handler)(POINT);
  BOOL (IPresentGestureSink::*after)(const POINT*);
};

using Sink = IPresentGestureSink;
using H = Present::Gesture::Handler;
constexpr Route kMoveRoute{&Sink::Move, &H::OnMove, &Sink::AfterMove};
constexpr Route kLeftRepeatedRoute{&Sink::LeftRepeated, &H::OnLeftRepeated, &Sink::AfterLeftRepeated};
constexpr Route kLeftDownRoute{&Sink::LeftDown, &H::OnLeftDown, &Sink::AfterLeftDown};
constexpr Route kLeftUpRoute{&Sink::LeftUp, &H::OnLeftUp, &Sink::AfterLeftUp};
constexpr Route kRightRepeatedRoute{&Sink::RightRepeated, &H::OnRightRepeated, &Sink::AfterRightRepeated};
constexpr Route kRightDownRoute{&Sink::RightDown, &H::OnRightDown, &Sink::AfterRightDown};
constexpr Route kRightUpRoute{&Sink::RightUp, &H::OnRightUp, &Sink::AfterRightUp};
constexpr Route kMiddleDownRoute{&Sink::MiddleDown, &H::OnMiddleDown, &Sink::AfterMiddleDown};
constexpr Route kMiddleUpRoute{&Sink::MiddleUp, &H::OnMiddleUp, &Sink::AfterMiddleUp};

// Sink and handler are read once: the host may free the motion from inside its sink.
void Run(PresentMotion& motion, const Route& route, const POINT& point) {
  IPresentGestureSink* sink = motion.GetSink();
  H* handler = motion.Handler();
  if (sink) (sink->*route.before)(&point);
  if (handler) (handler->*route.handler)(point);
  if (sink) (sink->*route.after)(&point);
}

}  // namespace

PresentGesture::~PresentGesture() {
  for (PresentMotion* motion : motions_) delete motion;
}

PresentMotion* PresentGesture::Known(IPresentMotion* motion) const {
  // Compared as interface pointers: a pointer the router did not make, or one already
  // freed, is never cast or read.
  if (!motion) return nullptr;
  for (PresentMotion* known : motions_)
    if (static_cast<IPresentMotion*>(known) == motion) return known;
  return nullptr;
}

bool PresentGesture::Holds(const PresentMotion* motion) const {
  return motions_.count(const_cast<PresentMotion*>(motion)) != 0;
}

IPresentMotion* PresentGesture::GetMotion() { return current_ ? current_ : default_; }

void PresentGesture::SetMotion(IPresentMotion* motion, BYTE makeDefault) {
  current_ = Known(motion);
  if (makeDefault) default_ = current_;
}

IPresentMotion* PresentGesture::NewMotion(BYTE type) {
  auto* motion = new (std::nothrow) PresentMotion(Present::Gesture::HandlerOfType(type));
  if (!motion) return nullptr;
  try {
    motions_.insert(motion);
  } catch (const std::bad_alloc&) {
    delete motion;
    return nullptr;
  }
  return motion;
}

BOOL PresentGesture::FreeMotion(IPresentMotion* motion) {
  PresentMotion* known = Known(motion);
  if (!known) return FALSE;
  // The router must never route to a freed motion, whatever the host forgot to reset.
  if (current_ == known) current_ = nullptr;
  if (default_ == known) default_ = nullptr;
  motions_.erase(known);
  delete known;
  return TRUE;
}

PresentMotion* PresentGesture::Match(IPresentCanvas* canvas, PresentCanvas** matched) {
  PresentCanvas* known = designer_ ? designer_->FindCanvas(canvas) : nullptr;
  if (!known || !known->Drawing()) return nullptr;
  IPresentCanvasOwner* owner = known->GetOwner();
  if (!owner) return nullptr;
  if (!current_) current_ = default_;
  if (!current_) return nullptr;
  // The owner key is the canvas owner's address, kept whole on this build.
  if (current_->GetOwner() != reinterpret_cast<LONG_PTR>(owner)) return nullptr;
  if (Present::Gesture::Handler* handler = current_->Handler()) handler->canvas = known->Drawing();
  if (matched) *matched = known;
  return current_;
}

BOOL PresentGesture::RelayToSink0(IPresentCanvas* canvas, LONG_PTR a, LONG_PTR b, LONG_PTR c) {
  PresentMotion* motion = Match(canvas);
  if (!motion || !motion->GetSink()) return FALSE;
  return motion->GetSink()->Relay0(a, b, c);
}

BOOL PresentGesture::RelayToSink2(IPresentCanvas* canvas, LONG_PTR value) {
  PresentMotion* motion = Match(canvas);
  if (!motion || !motion->GetSink()) return FALSE;
  return motion->GetSink()->Relay2(value);
}

BOOL PresentGesture::RelayToSink5(IPresentCanvas* canvas, LONG_PTR a, LONG_PTR b) {
  PresentMotion* motion = Match(canvas);
  if (!motion || !motion->GetSink()) return FALSE;
  return motion->GetSink()->Relay5(a, b);
}

BOOL PresentGesture::RelayRefresh(IPresentCanvas* canvas, BYTE flag) {
  PresentCanvas* known = nullptr;
  PresentMotion* motion = Match(canvas, &known);
  if (!motion) return FALSE;
  IPresentCanvasOwner* owner = known->GetOwner();
  if (flag && owner->IsPointerInClient(1)) {
    POINT point{0, 0};
    owner->GetPointerPosition(&point);
    Run(*motion, kMoveRoute, point);
    if (!Holds(motion)) return FALSE;
  }
  return motion->GetSink() ? motion->GetSink()->Refresh() : FALSE;
}

bool PresentGesture::IsDoubleClick(LONG x, LONG y) {
  const LONG t = GetMessageTime();
  if (doubleClickTime_ == 0) doubleClickTime_ = GetDoubleClickTime();
  bool repeated = false;
  const int64_t dx = static_cast<int64_t>(x) - lastX_, dy = static_cast<int64_t>(y) - lastY_;
  const uint32_t elapsed = static_cast<uint32_t>(t) - static_cast<uint32_t>(lastTime_);
  if (std::llabs(dx) < 4 && std::llabs(dy) < 4 && elapsed < doubleClickTime_) {
    clicks_ = static_cast<uint8_t>((clicks_ + 1) % 4);
    repeated = clicks_ != 0;
  } else {
    clicks_ = 0;
  }
  lastX_ = x;
  lastY_ = y;
  lastTime_ = t;
  return repeated;
}

BOOL PresentGesture::RouteMouse(IPresentCanvas* canvas, UINT message, WPARAM, LPARAM param) {
  PresentCanvas* known = nullptr;
  PresentMotion* motion = Match(canvas, &known);
  if (!motion) return FALSE;
  if (message == kCancelMode) {
    if (motion->GetSink()) motion->GetSink()->CancelMode();
    return FALSE;
  }
  POINT point{0, 0};
  if (message == kSetCursor) {
    if ((param & 0xFFFF) != 1) return FALSE;
    known->GetOwner()->GetPointerPosition(&point);
  } else if (message == kMove || message == kLeftDown || message == kLeftUp || message == kRightDown ||
             message == kRightUp || message == kMiddleDown || message == kMiddleUp) {
    point.x = static_cast<int16_t>(static_cast<uint16_t>(param & 0xFFFF));
    point.y = static_cast<int16_t>(static_cast<uint16_t>((param >> 16) & 0xFFFF));
  } else {
    return FALSE;
  }
  motion->SetFlag(0);
  return Dispatch(*motion, message, point);
}

BOOL PresentGesture::Dispatch(PresentMotion& motion, UINT message, POINT point) {
  switch (message) {
    case kMove:
      Run(motion, kMoveRoute, point);
      break;
    case kLeftDown:
      if (ButtonHeld(VK_RBUTTON) || ButtonHeld(VK_MBUTTON)) return TRUE;
      Run(motion, IsDoubleClick(point.x, point.y) ? kLeftRepeatedRoute : kLeftDownRoute, point);
      break;
    case kLeftUp:
      Run(motion, kLeftUpRoute, point);
      break;
    case kRightDown:
      if (ButtonHeld(VK_LBUTTON) || ButtonHeld(VK_MBUTTON)) return TRUE;
      Run(motion, IsDoubleClick(point.x, point.y) ? kRightRepeatedRoute : kRightDownRoute, point);
      break;
    case kRightUp:
      Run(motion, kRightUpRoute, point);
      break;
    case kMiddleDown:
      if (ButtonHeld(VK_LBUTTON) || ButtonHeld(VK_RBUTTON)) return TRUE;
      Run(motion, kMiddleDownRoute, point);
      break;
    case kMiddleUp:
      Run(motion, kMiddleUpRoute, point);
      break;
    case kSetCursor: {
      IPresentGestureSink* sink = motion.GetSink();
      if (!sink || !sink->SetCursor(&point)) {
        Present::Gesture::Handler* handler = motion.Handler();
        return handler && handler->OnSetCursor(point) ? TRUE : FALSE;
      }
      break;
    }
    default:
      return FALSE;
  }
  // A motion the sink freed meanwhile has no flag to give.
  return Holds(&motion) ? motion.GetFlag() : FALSE;
}

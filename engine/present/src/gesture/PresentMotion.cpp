#include <plastrum/present/gesture/PresentGesture.h>

#include <cmath>

#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/present/gesture/Handler.h>

namespace {

// EMU to hundredths of a point (12700 EMU a point), truncated.
LONG EmuToHundredths(float emu) {
  const double v = std::trunc(static_cast<double>(emu) / 127.0);
  if (!(v == v)) return 0;
  return static_cast<LONG>(std::fmax(-2147483648.0, std::fmin(2147483647.0, v)));
}

// A scale x 1000, truncated, kept as the signed 16-bit value the host reads.
LONG ScaleToThousandths(float scale) {
  double v = std::trunc(static_cast<double>(scale) * 1000.0);
  if (!(v == v)) v = 0;
  v = std::fmax(-2147483648.0, std::fmin(2147483647.0, v));
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<int64_t>(v) & 0xFFFF));
}

}  // namespace

BYTE PresentMotion::GetHandlerFlag16() { return handler_ ? handler_->state : 0; }
BYTE PresentMotion::GetHandlerFlag17() { return handler_ ? handler_->cursor : 0; }

void PresentMotion::SetHandlerValue(LONG value) {
  if (handler_) handler_->hostValue = value;
}

PresentNode PresentMotion::GetTarget() { return handler_ ? handler_->hitNode : nullptr; }
LONG PresentMotion::GetTargetKind() {
  return handler_ && handler_->hitNode ? static_cast<LONG>(handler_->hitNode->category) : 0;
}
LONG PresentMotion::GetTargetValue88() { return handler_ && handler_->hitNode ? handler_->hitNode->hostA : 0; }
LONG PresentMotion::GetTargetValue92() { return handler_ && handler_->hitNode ? handler_->hitNode->hostB : 0; }
BYTE PresentMotion::GetHitKind() { return handler_ ? handler_->hitKind : 0; }
BYTE PresentMotion::GetHitFlags() { return handler_ ? handler_->hitFlags : 0; }
LONG PresentMotion::GetHitIndex() { return handler_ ? handler_->hitIndex : -1; }
BOOL PresentMotion::HasHitFlags() { return (GetHitFlags() & 0x0F) != 0; }
BOOL PresentMotion::HasHitFlag1() { return (GetHitFlags() & 0x01) != 0; }
BOOL PresentMotion::HasHitFlag2() { return (GetHitFlags() & 0x02) != 0; }
BOOL PresentMotion::IsHitKind8() { return GetHitKind() == 8; }
BYTE PresentMotion::GetHandlerState() { return handler_ ? handler_->state : 0; }

BOOL PresentMotion::GetHandlerRecord(PresentMotionInfo* info) {
  if (!handler_ || !info) return FALSE;
  const Present::Gesture::ResultRecord& r = handler_->result;
  info->state = r.kind;
  info->scaleX = ScaleToThousandths(r.scaleX);
  info->scaleY = ScaleToThousandths(r.scaleY);
  info->value = r.value;
  info->lengthX = EmuToHundredths(r.lengths[0]);
  info->lengthY = EmuToHundredths(r.lengths[1]);
  return TRUE;
}

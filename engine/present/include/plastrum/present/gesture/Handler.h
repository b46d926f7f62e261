// Gesture handlers: what the pointer events a motion routes do on a drawing canvas. The
// general handler only hit-tests (focus and pick); the editor handler also resizes a node
// with its knobs and drags the adjust handles of its geometry through the tracers.
//
// Both handlers and both tracers are process-wide, made on first use and destroyed when the
// module stops; every motion of a type shares its handler. Points are client pixels.
//
// Hit kinds are the canvas's pick codes (3 resize knob, 5 adjust handle, 9 rotation knob
// ...); hit flags: bit 0 focus hit, bit 1 pick hit.
//
// Editor states: 0 working, 1 nothing hit, 2 drag started, 3 dragging, 4 drag finished,
// 5 hovering over a knob or handle (with its cursor code), 6 pressed on an end handle,
// 7 pressed on the rotation knob.
#pragma once

#include <array>
#include <cstdint>

#include <win/types.h>

#include <plastrum/present/drawing/Canvas.h>
#include <plastrum/Export.h>

namespace Present::Gesture {

// What a finished drag gives the host: kind 1 a resize (the scales), 2 a handle moved (the
// value is its index, the lengths the move in EMU); 0 nothing.
struct PLASTRUM_API ResultRecord {
  uint8_t kind = 0;
  float scaleX = 1.0f, scaleY = 1.0f;
  int32_t value = 0;
  float lengths[2] = {};
};

struct PLASTRUM_API HitEntry {
  Drawing::Diagram* node = nullptr;
  uint32_t flags = 0;  // hit kind in the low byte, hit flags in the next
  int32_t index = -1;
};

// Model point (EMU) of client pixels on a canvas: pixels / resolution x 914400 / zoom -
// origin; a resolution of 0 reads as 96 and a zoom of 0 as 1.
PLASTRUM_API Drawing::PointF PixelToModel(const Drawing::Canvas& canvas, POINT pixels);
// Whether either Control key, or either Shift key, is down (GetKeyState).
PLASTRUM_API bool CtrlDown();
PLASTRUM_API bool ShiftDown();

class Tracer;

class PLASTRUM_API Handler {
 public:
  static constexpr int kHitTableSize = 11;
  enum Type : int32_t { kGeneral = 1, kEditor = 2 };

  virtual ~Handler();                                   // 0
  virtual bool OnMove(POINT point);                     // 1
  virtual bool OnLeftRepeated(POINT point);             // 2
  virtual bool OnLeftDown(POINT point);                 // 3
  virtual bool OnLeftUp(POINT point);                   // 4
  virtual bool Slot5(POINT point);                      // 5
  virtual bool OnMiddleDown(POINT point);               // 6
  virtual bool OnMiddleUp(POINT point);                 // 7
  virtual bool OnRightRepeated(POINT point);            // 8
  virtual bool OnRightDown(POINT point);                // 9
  virtual bool OnRightUp(POINT point);                  // 10
  virtual bool OnSetCursor(POINT point);                // 11
  virtual bool HostHitTest(POINT point);                // 12
  virtual bool Slot13(POINT point);                     // 13
  virtual bool SetCanvasHint(Drawing::Canvas* canvas);  // 14
  virtual bool HostPress(POINT point);                  // 15
  virtual bool HostTrack(POINT point);                  // 16
  virtual bool HostRelease(POINT point);                // 17
  virtual bool Slot18(POINT point);                     // 18
  virtual bool Slot19(POINT point);                     // 19
  virtual bool Slot20(POINT point);                     // 20
  virtual bool Slot21(POINT point);                     // 21
  virtual bool HostPressDrag(POINT point);              // 22
  virtual bool HostTrackDrag(POINT point);              // 23
  virtual bool HostReleaseDrag(POINT point);            // 24

  // The hit tests at client pixels; true on a hit (stored as the last hit).
  bool FocusHitTest(POINT point);
  bool PickHitTest(POINT point);
  bool KnobHitTest(POINT point);
  // Forgets the last hit (and the hit table while collecting).
  void ClearHit();
  void SetCollect(bool collect);

  Handler(const Handler&) = delete;
  Handler& operator=(const Handler&) = delete;

  int32_t type;
  Tracer* tracer = nullptr;
  Drawing::Canvas* canvas = nullptr;
  uint8_t state = 0;
  uint8_t cursor = 0;
  ResultRecord result;
  int32_t hostValue = 0;
  std::array<HitEntry, kHitTableSize> hitTable{};
  Drawing::Diagram* hitNode = nullptr;
  // The canvas the last hit and the hit table come from.
  Drawing::Canvas* hitCanvas = nullptr;
  uint8_t hitKind = 0;
  uint8_t hitFlags = 0;
  int32_t hitIndex = -1;
  int32_t hitCount = 0;
  uint8_t collect = 0;

 protected:
  explicit Handler(int32_t type_) : type(type_) {}

 private:
  enum class Judge { kFocus, kPick, kKnob };
  bool HitTest(Judge judge, POINT point);
};

class PLASTRUM_API GeneralHandler final : public Handler {
 public:
  GeneralHandler() : Handler(kGeneral) {}
  bool OnMove(POINT p) override { return FocusHitTest(p); }
  bool OnLeftDown(POINT p) override { return PickHitTest(p); }
  bool OnLeftUp(POINT p) override { return PickHitTest(p); }
  bool OnRightDown(POINT p) override { return PickHitTest(p); }
  bool OnRightUp(POINT p) override { return PickHitTest(p); }
  bool HostHitTest(POINT p) override { return PickHitTest(p); }
  bool HostPress(POINT p) override { return PickHitTest(p); }
  bool HostTrack(POINT p) override { return FocusHitTest(p); }
  bool HostRelease(POINT p) override { return PickHitTest(p); }
};

class PLASTRUM_API EditorHandler final : public Handler {
 public:
  // The cursor code of each resize knob (0 top-left .. 7 bottom); knobs outside 0-7: 0.
  static uint8_t KnobCursor(int32_t knob);

  EditorHandler() : Handler(kEditor) {}
  bool OnMove(POINT p) override { return Track(p); }
  bool OnLeftDown(POINT p) override { return Press(p); }
  bool OnLeftUp(POINT p) override { return Release(p); }
  bool OnMiddleUp(POINT) override { return Drop(); }
  bool OnRightUp(POINT) override { return Drop(); }
  bool HostHitTest(POINT p) override { return KnobHitTest(p); }
  bool HostPress(POINT p) override { return Press(p); }
  bool HostTrack(POINT p) override { return Track(p); }
  bool HostRelease(POINT p) override { return Release(p); }
  bool HostPressDrag(POINT p) override { return Press(p); }
  bool HostTrackDrag(POINT p) override { return Track(p); }
  bool HostReleaseDrag(POINT p) override { return Release(p); }

  bool Press(POINT point);
  bool Track(POINT point);
  bool Release(POINT point);
  // Drops the tracer: state 4.
  bool Drop();

 private:
  // The active tracer when it drags on the handler's canvas; any other is dropped.
  Tracer* ActiveTracer();
};

// The process-wide handler of a motion type (1 general, 2 editor), made on first use; null
// for other types or when memory runs out.
PLASTRUM_API Handler* HandlerOfType(uint8_t type);
// Forgets a canvas that goes away: a handler pointed at it, a last hit on it and a drag on it
// are dropped.
PLASTRUM_API void ForgetCanvas(const Drawing::Canvas* canvas);
// Destroys both handlers and both tracers (module stop).
PLASTRUM_API void DestroyHandlers();

}  // namespace Present::Gesture

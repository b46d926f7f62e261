// The designer's pointer-input router (IPresentGesture) and its motions (IPresentMotion).
//
// A motion joins a host sink (vantorel/present_host.h) to a gesture handler. The host
// picks the current and the default motion and feeds the router a canvas's window
// messages; the router checks that the canvas belongs to the motion, tells double clicks
// apart itself, and calls sink, handler and sink again in a fixed order.
//
// The router lists the motions it made: only those are freed, and freeing the current or
// the default motion clears it, so that a later message never reaches a freed motion.
#pragma once

#include <cstdint>
#include <unordered_set>

#include <win/types.h>

#include <plastrum/format/PresentUnknown.h>
#include <plastrum/present/canvas/CanvasRecords.h>
#include <plastrum/Export.h>

class IPresentCanvas;
class IPresentGestureSink;
class PresentCanvas;
class Presentation;

namespace Present::Gesture {
class Handler;
}

// What a finished drag gives the host, in host units.
struct PresentMotionInfo {
  LONG state;
  LONG scaleX;  // x 1000, as a signed 16-bit value
  LONG scaleY;
  LONG value;
  LONG lengthX;  // hundredths of a point
  LONG lengthY;
};

class IPresentMotion : public IUnknown {
 public:
  virtual LONG_PTR GetOwner() = 0;                             // 3
  virtual void SetOwner(LONG_PTR owner) = 0;                   // 4
  virtual BYTE GetHandlerFlag16() = 0;                         // 5
  virtual BYTE GetHandlerFlag17() = 0;                         // 6
  virtual void SetHandlerValue(LONG value) = 0;                // 7
  virtual PresentNode GetTarget() = 0;                         // 8
  virtual LONG GetTargetKind() = 0;                            // 9
  virtual LONG GetTargetValue88() = 0;                         // 10
  virtual LONG GetTargetValue92() = 0;                         // 11
  virtual BYTE GetHitKind() = 0;                               // 12
  virtual BYTE GetHitFlags() = 0;                              // 13
  virtual LONG GetHitIndex() = 0;                              // 14
  virtual BOOL HasHitFlags() = 0;                              // 15
  virtual BOOL HasHitFlag1() = 0;                              // 16
  virtual BOOL HasHitFlag2() = 0;                              // 17
  virtual BOOL IsHitKind8() = 0;                               // 18
  virtual BYTE GetHandlerState() = 0;                          // 19
  virtual BOOL GetHandlerRecord(PresentMotionInfo* info) = 0;  // 20
  virtual BYTE GetFlag() = 0;                                  // 21
  virtual void SetFlag(BYTE flag) = 0;                         // 22
  virtual IPresentGestureSink* GetSink() = 0;                  // 23
  virtual void SetSink(IPresentGestureSink* sink) = 0;         // 24

 protected:
  ~IPresentMotion() = default;
};

class IPresentGesture : public IUnknown {
 public:
  virtual IPresentMotion* GetMotion() = 0;                                                          // 3
  virtual void SetMotion(IPresentMotion* motion, BYTE makeDefault) = 0;                             // 4
  virtual void RestoreDefaultMotion() = 0;                                                          // 5
  virtual IPresentMotion* NewMotion(BYTE type) = 0;                                                 // 6
  virtual BOOL FreeMotion(IPresentMotion* motion) = 0;                                              // 7
  virtual BOOL RelayToSink0(IPresentCanvas* canvas, LONG_PTR a, LONG_PTR b, LONG_PTR c) = 0;        // 8
  virtual BOOL RouteMouse(IPresentCanvas* canvas, UINT message, WPARAM ignored, LPARAM param) = 0;  // 9
  virtual BOOL RelayToSink2(IPresentCanvas* canvas, LONG_PTR value) = 0;                            // 10
  virtual BOOL RelayRefresh(IPresentCanvas* canvas, BYTE flag) = 0;                                 // 11
  virtual BOOL RelayToSink5(IPresentCanvas* canvas, LONG_PTR a, LONG_PTR b) = 0;                    // 12

 protected:
  ~IPresentGesture() = default;
};

class PLASTRUM_API PresentMotion final : public CPresentUnknown<IPresentMotion> {
 public:
  explicit PresentMotion(Present::Gesture::Handler* handler) : handler_(handler) {}

  LONG_PTR GetOwner() override { return owner_; }
  void SetOwner(LONG_PTR owner) override { owner_ = owner; }
  BYTE GetHandlerFlag16() override;
  BYTE GetHandlerFlag17() override;
  void SetHandlerValue(LONG value) override;
  PresentNode GetTarget() override;
  LONG GetTargetKind() override;
  LONG GetTargetValue88() override;
  LONG GetTargetValue92() override;
  BYTE GetHitKind() override;
  BYTE GetHitFlags() override;
  LONG GetHitIndex() override;
  BOOL HasHitFlags() override;
  BOOL HasHitFlag1() override;
  BOOL HasHitFlag2() override;
  BOOL IsHitKind8() override;
  BYTE GetHandlerState() override;
  BOOL GetHandlerRecord(PresentMotionInfo* info) override;
  BYTE GetFlag() override { return flag_; }
  void SetFlag(BYTE flag) override { flag_ = flag; }
  IPresentGestureSink* GetSink() override { return sink_; }
  void SetSink(IPresentGestureSink* sink) override { sink_ = sink; }

  Present::Gesture::Handler* Handler() const { return handler_; }
  // Gives the motion another handler (null: none); the motion never owns it.
  void UseHandler(Present::Gesture::Handler* handler) { handler_ = handler; }

 private:
  // The canvas owner's address, pointer-sized on this build.
  LONG_PTR owner_ = 0;
  BYTE flag_ = 0;
  IPresentGestureSink* sink_ = nullptr;
  Present::Gesture::Handler* handler_;
};

class PLASTRUM_API PresentGesture final : public CPresentUnknown<IPresentGesture> {
 public:
  // Canvases match only when the designer made them and still lists them.
  explicit PresentGesture(Presentation* designer) : designer_(designer) {}
  ~PresentGesture();
  PresentGesture(const PresentGesture&) = delete;
  PresentGesture& operator=(const PresentGesture&) = delete;

  IPresentMotion* GetMotion() override;
  void SetMotion(IPresentMotion* motion, BYTE makeDefault) override;
  void RestoreDefaultMotion() override { current_ = default_; }
  IPresentMotion* NewMotion(BYTE type) override;
  BOOL FreeMotion(IPresentMotion* motion) override;
  BOOL RelayToSink0(IPresentCanvas* canvas, LONG_PTR a, LONG_PTR b, LONG_PTR c) override;
  BOOL RouteMouse(IPresentCanvas* canvas, UINT message, WPARAM ignored, LPARAM param) override;
  BOOL RelayToSink2(IPresentCanvas* canvas, LONG_PTR value) override;
  BOOL RelayRefresh(IPresentCanvas* canvas, BYTE flag) override;
  BOOL RelayToSink5(IPresentCanvas* canvas, LONG_PTR a, LONG_PTR b) override;

  // Whether a button-down at a client point is a repeated click of a quick series (the
  // second to fourth); every down updates the double-click state.
  bool IsDoubleClick(LONG x, LONG y);

 private:
  // The motion of a message for a canvas, or null (see the header comment).
  PresentMotion* Match(IPresentCanvas* canvas, PresentCanvas** matched = nullptr);
  PresentMotion* Known(IPresentMotion* motion) const;
  // Whether the motion is still one of the router's (compared by address, never read).
  bool Holds(const PresentMotion* motion) const;
  // Routes a pointer event to sink, handler and sink; returns the motion flag.
  BOOL Dispatch(PresentMotion& motion, UINT message, POINT point);

  Presentation* designer_;
  PresentMotion* current_ = nullptr;
  PresentMotion* default_ = nullptr;
  LONG lastTime_ = 0;
  UINT doubleClickTime_ = 0;
  LONG lastX_ = 0, lastY_ = 0;
  uint8_t clicks_ = 0;
  std::unordered_set<PresentMotion*> motions_;
};

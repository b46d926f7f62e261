// A canvas with an owner, the designer's router and a motion whose sink records every call,
// for the gesture tests.
#pragma once

#include <string>
#include <vector>

#include <kx2/Clock.h>
#include <kx2/InputState.h>
#include <vantorel/present_host.h>
#include <win/user_input.h>

#include <plastrum/present/gesture/Handler.h>
#include <plastrum/present/gesture/PresentGesture.h>

#include "present_canvas_support.h"

namespace present_test {

using Journal = std::vector<std::string>;

class GestureOwner final : public IPresentCanvasOwner {
 public:
  BOOL inClient = TRUE;
  POINT pointer{0, 0};
  LONG snapX = 0;  // added to a dragged point's x
  BOOL GetBinaryDataFile(LONG, VtlPathBuffer*) override { return FALSE; }
  BOOL DrawText(const void*, LONG, LONG, POINT) override { return FALSE; }
  BOOL IsPointerInClient(LONG) override { return inClient; }
  BOOL GetPointerPosition(POINT* p) override {
    *p = pointer;
    return TRUE;
  }
  BOOL AdjustDragPoint(POINT* p) override {
    p->x += snapX;
    return TRUE;
  }
};

class RecordingSink : public IPresentGestureSink {
 public:
  explicit RecordingSink(Journal& journal) : journal_(journal) {}
  BOOL cursorAnswer = FALSE;
  BOOL Relay0(LONG_PTR, LONG_PTR, LONG_PTR) override { return Note(0); }
  BOOL SetCursor(const POINT*) override {
    Note(1);
    return cursorAnswer;
  }
  BOOL Relay2(LONG_PTR) override { return Note(2); }
  BOOL Refresh() override { return Note(3); }
  BOOL CancelMode() override { return Note(4); }
  BOOL Relay5(LONG_PTR, LONG_PTR) override { return Note(5); }
  BOOL Move(const POINT*) override { return Note(6); }
  BOOL LeftRepeated(const POINT*) override { return Note(7); }
  BOOL LeftDown(const POINT*) override { return Note(8); }
  BOOL LeftUp(const POINT*) override { return Note(9); }
  BOOL MiddleDown(const POINT*) override { return Note(11); }
  BOOL MiddleUp(const POINT*) override { return Note(12); }
  BOOL RightRepeated(const POINT*) override { return Note(13); }
  BOOL RightDown(const POINT*) override { return Note(14); }
  BOOL RightUp(const POINT*) override { return Note(15); }
  BOOL AfterMove(const POINT*) override { return Note(29); }
  BOOL AfterLeftRepeated(const POINT*) override { return Note(30); }
  BOOL AfterLeftDown(const POINT*) override { return Note(31); }
  BOOL AfterLeftUp(const POINT*) override { return Note(32); }
  BOOL AfterMiddleDown(const POINT*) override { return Note(34); }
  BOOL AfterMiddleUp(const POINT*) override { return Note(35); }
  BOOL AfterRightRepeated(const POINT*) override { return Note(36); }
  BOOL AfterRightDown(const POINT*) override { return Note(37); }
  BOOL AfterRightUp(const POINT*) override { return Note(38); }

 private:
  BOOL Note(int slot) {
    journal_.push_back("s" + std::to_string(slot));
    return TRUE;
  }
  Journal& journal_;
};

inline LPARAM PointParam(int x, int y) {
  return static_cast<LPARAM>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) | static_cast<uint16_t>(x));
}

class GestureFixture : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    Kx2ResetInput();
    Kx2SetMessageTime(100000);
    canvas_ = NewCanvas();
    ASSERT_NE(canvas_, nullptr);
    canvas_->SetOwner(&owner_);
    gesture_ = static_cast<PresentGesture*>(designer_->GetGesture());
    ASSERT_NE(gesture_, nullptr);
  }
  void TearDown() override {
    Kx2ResetInput();
    EngineFixture::TearDown();
  }

  // A motion of the type joined to the recording sink and owned by the canvas's owner.
  IPresentMotion* Motion(BYTE type) {
    IPresentMotion* motion = gesture_->NewMotion(type);
    motion->SetOwner(reinterpret_cast<LONG_PTR>(&owner_));
    motion->SetSink(&sink_);
    return motion;
  }

  BOOL Route(UINT message, int x, int y) { return gesture_->RouteMouse(canvas_, message, 0, PointParam(x, y)); }

  Journal journal_;
  RecordingSink sink_{journal_};
  GestureOwner owner_;
  PresentCanvas* canvas_ = nullptr;
  PresentGesture* gesture_ = nullptr;
};

}  // namespace present_test

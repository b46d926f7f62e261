// The router: which sink and handler slots each window message reaches, in which order,
// the button guards, the double-click test on the message clock, and canvas matching.
#include <gtest/gtest.h>

#include <sstream>

#include "present_gesture_support.h"

namespace {

using present_test::Journal;

class RecordingHandler final : public Present::Gesture::Handler {
 public:
  explicit RecordingHandler(Journal& journal) : Handler(0), journal_(journal) {}
  bool OnMove(POINT) override { return Note(1); }
  bool OnLeftRepeated(POINT) override { return Note(2); }
  bool OnLeftDown(POINT) override { return Note(3); }
  bool OnLeftUp(POINT) override { return Note(4); }
  bool OnMiddleDown(POINT) override { return Note(6); }
  bool OnMiddleUp(POINT) override { return Note(7); }
  bool OnRightRepeated(POINT) override { return Note(8); }
  bool OnRightDown(POINT) override { return Note(9); }
  bool OnRightUp(POINT) override { return Note(10); }
  bool OnSetCursor(POINT) override {
    Note(11);
    return true;
  }

 private:
  bool Note(int slot) {
    journal_.push_back("h" + std::to_string(slot));
    return true;
  }
  Journal& journal_;
};

std::string Joined(const Journal& journal) {
  std::ostringstream out;
  for (size_t i = 0; i < journal.size(); ++i) out << (i ? " " : "") << journal[i];
  return out.str();
}

struct Step {
  UINT message;
  int x, y;
  LONG dt;    // message time advance before the step
  UINT held;  // a button held during the step (0 none)
  BOOL result;
  const char* calls;
};

struct RouteCase {
  const char* name;
  std::vector<Step> steps;
};

constexpr UINT kMove = 512, kLDown = 513, kLUp = 514, kLDbl = 515, kRDown = 516, kRUp = 517, kMDown = 519, kMUp = 520;

class GestureRouter : public present_test::GestureFixture {
 protected:
  void SetUp() override {
    GestureFixture::SetUp();
    motion_ = Motion(0);
    static_cast<PresentMotion*>(motion_)->UseHandler(&handler_);
    gesture_->SetMotion(motion_, 0);
  }
  RecordingHandler handler_{journal_};
  IPresentMotion* motion_ = nullptr;
};

TEST_F(GestureRouter, MessagesReachSinkAndHandlerInOrder) {
  const std::vector<RouteCase> cases = {
      {"move, up and down of each button",
       {{kMove, 5, -7, 0, 0, FALSE, "s6 h1 s29"},
        {kLUp, 1, 1, 0, 0, FALSE, "s9 h4 s32"},
        {kRUp, 1, 1, 0, 0, FALSE, "s15 h10 s38"},
        {kMDown, 1, 1, 0, 0, FALSE, "s11 h6 s34"},
        {kMDown, 1, 1, 10, 0, FALSE, "s11 h6 s34"},
        {kMUp, 1, 1, 0, 0, FALSE, "s12 h7 s35"}}},
      {"two downs 3 px apart are a double click, 4 px apart are not",
       {{kLDown, 10, 10, 0, 0, FALSE, "s8 h3 s31"},
        {kLUp, 10, 10, 50, 0, FALSE, "s9 h4 s32"},
        {kLDown, 13, 7, 50, 0, FALSE, "s7 h2 s30"},
        {kLDown, 200, 200, 1000, 0, FALSE, "s8 h3 s31"},
        {kLDown, 204, 200, 10, 0, FALSE, "s8 h3 s31"},
        {kLDown, 204, 196, 10, 0, FALSE, "s8 h3 s31"}}},
      {"five quick clicks: first, repeated three times, first",
       {{kLDown, 50, 50, 0, 0, FALSE, "s8 h3 s31"},
        {kLDown, 50, 50, 10, 0, FALSE, "s7 h2 s30"},
        {kLDown, 50, 50, 10, 0, FALSE, "s7 h2 s30"},
        {kLDown, 50, 50, 10, 0, FALSE, "s7 h2 s30"},
        {kLDown, 50, 50, 10, 0, FALSE, "s8 h3 s31"}}},
      {"a down at the double-click time is a first click",
       {{kLDown, 50, 50, 0, 0, FALSE, "s8 h3 s31"},
        {kLDown, 50, 50, 500, 0, FALSE, "s8 h3 s31"},
        {kLDown, 50, 50, 499, 0, FALSE, "s7 h2 s30"}}},
      {"right double click", {{kRDown, 9, 9, 0, 0, FALSE, "s14 h9 s37"}, {kRDown, 9, 9, 100, 0, FALSE, "s13 h8 s36"}}},
      {"a button down while another is held returns true and calls nothing",
       {{kLDown, 1, 1, 0, VK_RBUTTON, TRUE, ""},
        {kLDown, 1, 1, 0, VK_MBUTTON, TRUE, ""},
        {kRDown, 1, 1, 0, VK_LBUTTON, TRUE, ""},
        {kMDown, 1, 1, 0, VK_RBUTTON, TRUE, ""},
        {kLUp, 1, 1, 0, VK_RBUTTON, FALSE, "s9 h4 s32"}}},
      {"system double clicks, wheel and keys are not routed and keep the double-click state",
       {{kLDown, 30, 30, 0, 0, FALSE, "s8 h3 s31"},
        {kLDbl, 30, 30, 10, 0, FALSE, ""},
        {518, 30, 30, 0, 0, FALSE, ""},
        {521, 30, 30, 0, 0, FALSE, ""},
        {522, 30, 30, 0, 0, FALSE, ""},
        {256, 30, 30, 0, 0, FALSE, ""},
        {kLDown, 30, 30, 10, 0, FALSE, "s7 h2 s30"}}},
      {"cancel mode", {{31, 0, 0, 0, 0, FALSE, "s4"}}},
  };
  LONG t = 200000;
  for (const RouteCase& c : cases) {
    SCOPED_TRACE(c.name);
    t += 100000;  // each case starts a new series
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Step& s = c.steps[i];
      SCOPED_TRACE("step " + std::to_string(i));
      t += s.dt;
      Kx2SetMessageTime(t);
      if (s.held) Kx2SetThreadKeyState(s.held, 0x80);
      journal_.clear();
      EXPECT_EQ(Route(s.message, s.x, s.y), s.result);
      EXPECT_EQ(Joined(journal_), s.calls);
      if (s.held) Kx2SetThreadKeyState(s.held, 0);
    }
  }
}

TEST_F(GestureRouter, SetCursorAsksTheOwnerForThePointAndFallsToTheHandler) {
  owner_.pointer = POINT{40, 41};
  EXPECT_TRUE(gesture_->RouteMouse(canvas_, 32, 0, 1));
  EXPECT_EQ(Joined(journal_), "s1 h11");
  journal_.clear();
  sink_.cursorAnswer = TRUE;
  EXPECT_FALSE(gesture_->RouteMouse(canvas_, 32, 0, 1));
  EXPECT_EQ(Joined(journal_), "s1");
  journal_.clear();
  EXPECT_FALSE(gesture_->RouteMouse(canvas_, 32, 0, 2));  // not the client area
  EXPECT_EQ(Joined(journal_), "");
}

TEST_F(GestureRouter, TheMotionFlagASinkSetsIsTheResult) {
  class FlaggingSink final : public IPresentGestureSink {
   public:
    IPresentMotion* motion = nullptr;
    BOOL Relay0(LONG_PTR a, LONG_PTR b, LONG_PTR c) override { return a + b + c == 6; }
    BOOL SetCursor(const POINT*) override { return TRUE; }
    BOOL Relay2(LONG_PTR v) override { return v == 7; }
    BOOL Refresh() override { return TRUE; }
    BOOL CancelMode() override { return TRUE; }
    BOOL Relay5(LONG_PTR a, LONG_PTR b) override { return a == 1 && b == 2; }
    BOOL Move(const POINT*) override { return TRUE; }
    BOOL LeftRepeated(const POINT*) override { return TRUE; }
    BOOL LeftDown(const POINT*) override {
      motion->SetFlag(1);
      return TRUE;
    }
    BOOL LeftUp(const POINT*) override { return TRUE; }
    BOOL MiddleDown(const POINT*) override { return TRUE; }
    BOOL MiddleUp(const POINT*) override { return TRUE; }
    BOOL RightRepeated(const POINT*) override { return TRUE; }
    BOOL RightDown(const POINT*) override { return TRUE; }
    BOOL RightUp(const POINT*) override { return TRUE; }
    BOOL AfterMove(const POINT*) override { return TRUE; }
    BOOL AfterLeftRepeated(const POINT*) override { return TRUE; }
    BOOL AfterLeftDown(const POINT*) override { return TRUE; }
    BOOL AfterLeftUp(const POINT*) override { return TRUE; }
    BOOL AfterMiddleDown(const POINT*) override { return TRUE; }
    BOOL AfterMiddleUp(const POINT*) override { return TRUE; }
    BOOL AfterRightRepeated(const POINT*) override { return TRUE; }
    BOOL AfterRightDown(const POINT*) override { return TRUE; }
    BOOL AfterRightUp(const POINT*) override { return TRUE; }
  } sink;
  sink.motion = motion_;
  motion_->SetSink(&sink);
  EXPECT_TRUE(Route(kLDown, 1, 1));
  EXPECT_EQ(motion_->GetFlag(), 1);
  EXPECT_FALSE(Route(kLUp, 1, 1));  // cleared before each dispatch
  EXPECT_TRUE(gesture_->RelayToSink0(canvas_, 1, 2, 3));
  EXPECT_FALSE(gesture_->RelayToSink0(canvas_, 1, 2, 4));
  EXPECT_TRUE(gesture_->RelayToSink2(canvas_, 7));
  EXPECT_TRUE(gesture_->RelayToSink5(canvas_, 1, 2));
}

TEST_F(GestureRouter, RefreshReplaysThePointerAsAMove) {
  owner_.pointer = POINT{3, 4};
  EXPECT_TRUE(gesture_->RelayRefresh(canvas_, 1));
  EXPECT_EQ(Joined(journal_), "s6 h1 s29 s3");
  journal_.clear();
  owner_.inClient = FALSE;
  EXPECT_TRUE(gesture_->RelayRefresh(canvas_, 1));
  EXPECT_EQ(Joined(journal_), "s3");
  journal_.clear();
  EXPECT_TRUE(gesture_->RelayRefresh(canvas_, 0));
  EXPECT_EQ(Joined(journal_), "s3");
}

TEST_F(GestureRouter, TheDefaultMotionBecomesCurrent) {
  gesture_->SetMotion(motion_, 1);
  gesture_->SetMotion(nullptr, 0);
  EXPECT_EQ(gesture_->GetMotion(), motion_);
  EXPECT_FALSE(Route(kMove, 1, 1));
  EXPECT_EQ(Joined(journal_), "s6 h1 s29");
  // A motion the router did not make is no motion.
  IPresentMotion* other = gesture_->NewMotion(1);
  gesture_->SetMotion(other, 0);
  gesture_->RestoreDefaultMotion();
  EXPECT_EQ(gesture_->GetMotion(), motion_);
  EXPECT_TRUE(gesture_->FreeMotion(other));
}

TEST_F(GestureRouter, CanvasesThatDoNotMatchGetNoCalls) {
  // An owner key of another owner.
  motion_->SetOwner(reinterpret_cast<LONG_PTR>(&owner_) + 8);
  EXPECT_FALSE(Route(kLDown, 1, 1));
  EXPECT_FALSE(gesture_->RelayToSink2(canvas_, 7));
  EXPECT_FALSE(gesture_->RelayRefresh(canvas_, 1));
  motion_->SetOwner(reinterpret_cast<LONG_PTR>(&owner_));
  // A canvas without an owner, another designer's canvas, a freed canvas, no canvas.
  PresentCanvas* ownerless = NewCanvas();
  EXPECT_FALSE(gesture_->RouteMouse(ownerless, kMove, 0, 0));
  IPresentEngine* engine = CreatePresentEngine();
  ASSERT_NE(engine, nullptr);
  auto* foreign = static_cast<PresentCanvas*>(static_cast<Presentation*>(engine->GetDesigner())->NewCanvas());
  foreign->SetOwner(&owner_);
  EXPECT_FALSE(gesture_->RouteMouse(foreign, kMove, 0, 0));
  PresentCanvas* freed = NewCanvas();
  freed->SetOwner(&owner_);
  EXPECT_TRUE(designer_->FreeCanvas(freed));
  EXPECT_FALSE(gesture_->RouteMouse(freed, kMove, 0, 0));
  EXPECT_FALSE(gesture_->RouteMouse(nullptr, kMove, 0, 0));
  EXPECT_EQ(Joined(journal_), "");
  // Without any motion, nothing matches either.
  gesture_->SetMotion(nullptr, 1);
  EXPECT_EQ(gesture_->GetMotion(), nullptr);
  EXPECT_FALSE(Route(kMove, 1, 1));
  EXPECT_EQ(Joined(journal_), "");
}

TEST_F(GestureRouter, FreeingTheCurrentMotionLeavesNothingToRouteTo) {
  gesture_->SetMotion(motion_, 1);
  EXPECT_TRUE(gesture_->FreeMotion(motion_));
  EXPECT_EQ(gesture_->GetMotion(), nullptr);
  EXPECT_FALSE(gesture_->FreeMotion(motion_));  // already freed
  for (UINT message : {kMove, kLDown, kLUp, kRDown, kRUp, kMDown, kMUp, 31u, 32u}) {
    EXPECT_FALSE(gesture_->RouteMouse(canvas_, message, 0, 1)) << message;
  }
  EXPECT_FALSE(gesture_->RelayToSink0(canvas_, 1, 2, 3));
  EXPECT_FALSE(gesture_->RelayToSink2(canvas_, 1));
  EXPECT_FALSE(gesture_->RelayRefresh(canvas_, 1));
  EXPECT_FALSE(gesture_->RelayToSink5(canvas_, 1, 2));
  EXPECT_EQ(Joined(journal_), "");
}

TEST_F(GestureRouter, ASinkMayFreeItsMotionWhileBeingCalled) {
  struct FreeingSink final : present_test::RecordingSink {
    using RecordingSink::RecordingSink;
    PresentGesture* gesture = nullptr;
    IPresentMotion* motion = nullptr;
    BOOL LeftDown(const POINT* p) override {
      RecordingSink::LeftDown(p);
      gesture->FreeMotion(motion);
      return TRUE;
    }
  } freeing{journal_};
  freeing.gesture = gesture_;
  freeing.motion = motion_;
  motion_->SetSink(&freeing);
  EXPECT_FALSE(Route(kLDown, 1, 1));
  EXPECT_EQ(Joined(journal_), "s8 h3 s31");
  EXPECT_EQ(gesture_->GetMotion(), nullptr);
  EXPECT_FALSE(Route(kLUp, 1, 1));
}

TEST_F(GestureRouter, MotionsWithoutAHandlerAnswerDefaults) {
  IPresentMotion* bare = gesture_->NewMotion(7);
  ASSERT_NE(bare, nullptr);
  PresentMotionInfo info{};
  EXPECT_EQ(bare->GetHitIndex(), -1);
  EXPECT_EQ(bare->GetTarget(), nullptr);
  EXPECT_FALSE(bare->GetHandlerRecord(&info));
  EXPECT_FALSE(bare->HasHitFlags());
  EXPECT_EQ(bare->GetHandlerState(), 0);
  bare->SetOwner(reinterpret_cast<LONG_PTR>(&owner_));
  bare->SetSink(&sink_);
  gesture_->SetMotion(bare, 0);
  EXPECT_FALSE(Route(kLDown, 1, 1));
  EXPECT_EQ(Joined(journal_), "s8 s31");
  // Both handler types are shared by their motions.
  IPresentMotion* a = gesture_->NewMotion(2);
  IPresentMotion* b = gesture_->NewMotion(2);
  EXPECT_EQ(static_cast<PresentMotion*>(a)->Handler(), static_cast<PresentMotion*>(b)->Handler());
  EXPECT_NE(static_cast<PresentMotion*>(a)->Handler(), nullptr);
}

}  // namespace

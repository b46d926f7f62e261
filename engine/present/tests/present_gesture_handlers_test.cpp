// The handlers and tracers on a real canvas: knob drags resize the etudes about the right
// anchor, handle drags reshape a relation, hovering names the knob's cursor, and the hit
// tests report what the host reads through the motion.
#include <gtest/gtest.h>

#include <cmath>

#include <plastrum/present/drawing/Presets.h>
#include <plastrum/present/gesture/Tracer.h>

#include "present_gesture_support.h"

namespace {

using Present::Drawing::Diagram;
using Present::Gesture::EditorHandler;
using Present::Gesture::ResizeTracer;

// At this zoom one client pixel is 10 EMU and the knobs reach 70 EMU, so the knobs of a
// 1000-EMU topic lie apart.
constexpr float kZoom = 952.5f;

class GestureHandlers : public present_test::GestureFixture {
 protected:
  void SetUp() override {
    GestureFixture::SetUp();
    canvas_->Drawing()->view.zoomX = canvas_->Drawing()->view.zoomY = kZoom;
    motion_ = Motion(2);
    gesture_->SetMotion(motion_, 0);
  }

  // A selected node of the kind with a frame of w x h EMU at the canvas origin, with an
  // etude so that resizes show.
  Diagram* Topic(LONG kind, float w, float h) {
    PresentNode node = Sync(canvas_, kind, 100, 100);
    EXPECT_NE(node, nullptr);
    EXPECT_TRUE(Place(canvas_, node, 0, 0, 100, 100));
    node->frame.width = w;
    node->frame.height = h;
    EXPECT_TRUE(Present::Drawing::RebuildGeometry(*node));
    EXPECT_TRUE(canvas_->SetObjectSelected(node, 1));
    Present::Drawing::PaintPosition position{};
    EXPECT_TRUE(canvas_->Drawing()->NewEtude(node, position, 0));
    return node;
  }

  // Client pixels of a model point (EMU).
  static POINT Pixels(float x, float y) {
    return POINT{static_cast<LONG>(std::lround(x / 10)), static_cast<LONG>(std::lround(y / 10))};
  }
  static POINT KnobPixels(const Diagram* node, int knob) {
    const auto& p = node->geometry->guideline.points[knob];
    return Pixels(p.x, p.y);
  }

  void Drag(POINT from, LONG dx, LONG dy) {
    Kx2SetMessageTime(GetTime());
    Route(513, from.x, from.y);
    Route(512, from.x + dx, from.y + dy);
    Route(514, from.x + dx, from.y + dy);
  }
  LONG GetTime() { return time_ += 1000; }  // never a double click

  EditorHandler* Editor() { return static_cast<EditorHandler*>(static_cast<PresentMotion*>(motion_)->Handler()); }

  IPresentMotion* motion_ = nullptr;
  LONG time_ = 500000;
};

TEST_F(GestureHandlers, KnobDragsScaleAboutTheAnchor) {
  struct Case {
    const char* name;
    LONG kind;
    int knob;
    LONG dxPixels, dyPixels;
    UINT key;
    float scaleX, scaleY, anchorX, anchorY;
  };
  const Case cases[] = {
      {"knob 6 by +100", 402, 6, 10, 0, 0, 1.1f, 1.0f, 0.0f, 0.0f},
      {"knob 6 by +100 with Ctrl", 402, 6, 10, 0, VK_LCONTROL, 1.2f, 1.0f, 0.5f, 0.0f},
      {"knob 6 by +100 with right Ctrl", 402, 6, 10, 0, VK_RCONTROL, 1.2f, 1.0f, 0.5f, 0.0f},
      {"knob 0 by (-100, -50)", 402, 0, -10, -5, 0, 1.1f, 1.05f, 1.0f, 1.0f},
      {"knob 0 by (-100, -50) with Shift", 402, 0, -10, -5, VK_RSHIFT, 1.1f, 1.1f, 1.0f, 1.0f},
      {"knob 7 moves the bottom only", 402, 7, 30, 20, 0, 1.0f, 1.2f, 0.0f, 0.0f},
      {"a picture frame keeps its aspect", 401, 2, 10, 5, 0, 1.1f, 1.1f, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Diagram* node = Topic(c.kind, 1000, 1000);
    ASSERT_NE(node, nullptr);
    if (c.key) Kx2SetThreadKeyState(c.key, 0x80);
    const POINT knob = KnobPixels(node, c.knob);
    Kx2SetMessageTime(GetTime());
    Route(513, knob.x, knob.y);
    EXPECT_EQ(motion_->GetHandlerState(), 2);
    EXPECT_EQ(motion_->GetHandlerFlag17(), 1);
    Route(512, knob.x + c.dxPixels, knob.y + c.dyPixels);
    EXPECT_EQ(motion_->GetHandlerState(), 3);
    Route(514, knob.x + c.dxPixels, knob.y + c.dyPixels);
    if (c.key) Kx2SetThreadKeyState(c.key, 0);
    EXPECT_EQ(motion_->GetHandlerState(), 4);
    const ResizeTracer* tracer = ResizeTracer::Instance();
    EXPECT_FLOAT_EQ(tracer->anchorX, c.anchorX);
    EXPECT_FLOAT_EQ(tracer->anchorY, c.anchorY);
    EXPECT_EQ(Editor()->result.kind, 1);
    EXPECT_FLOAT_EQ(Editor()->result.scaleX, c.scaleX);
    EXPECT_FLOAT_EQ(Editor()->result.scaleY, c.scaleY);
    PresentMotionInfo info{};
    ASSERT_TRUE(motion_->GetHandlerRecord(&info));
    EXPECT_EQ(info.state, 1);
    EXPECT_EQ(info.scaleX, static_cast<LONG>(std::trunc(c.scaleX * 1000)));
    EXPECT_TRUE(canvas_->RemoveObject(node));
    canvas_->Drawing()->preview.Clear();
  }
}

TEST_F(GestureHandlers, TheEtudesShowTheNewSizeWhileDragging) {
  Diagram* node = Topic(402, 100000, 100000);
  const POINT knob = KnobPixels(node, 5);  // the left side
  Kx2SetMessageTime(GetTime());
  Route(513, knob.x, knob.y);
  Route(512, knob.x - 1000, knob.y + 7);
  const auto& etude = canvas_->Drawing()->preview.etudes.back();
  EXPECT_FLOAT_EQ(etude.scaledWidth, 110000);
  EXPECT_FLOAT_EQ(etude.scaledHeight, 100000);
  EXPECT_FLOAT_EQ(etude.position.x, etude.x - 10000);  // the right side stays
  Route(512, knob.x - 500, knob.y);
  EXPECT_FLOAT_EQ(etude.scaledWidth, 105000);  // from the start, not compounded
  // A right button-up drops the drag: the release reports nothing.
  Route(517, knob.x - 500, knob.y);
  EXPECT_EQ(motion_->GetHandlerState(), 4);
  Route(514, knob.x - 500, knob.y);
  EXPECT_EQ(motion_->GetHandlerState(), 0);
}

TEST_F(GestureHandlers, AReleaseWithoutMovementGivesNothing) {
  Diagram* node = Topic(402, 1000, 1000);
  const POINT knob = KnobPixels(node, 2);
  Drag(knob, 0, 0);
  EXPECT_EQ(motion_->GetHandlerState(), 4);
  PresentMotionInfo info{};
  ASSERT_TRUE(motion_->GetHandlerRecord(&info));
  EXPECT_EQ(info.state, 0);
  EXPECT_EQ(info.scaleX, 1000);
  EXPECT_EQ(info.scaleY, 1000);
  EXPECT_FLOAT_EQ(canvas_->Drawing()->preview.etudes.back().scaledWidth, 1000);
}

TEST_F(GestureHandlers, HoveringNamesTheKnobsCursor) {
  Diagram* node = Topic(402, 1000, 1000);
  for (int knob = 0; knob < 8; ++knob) {
    const POINT p = KnobPixels(node, knob);
    Route(512, p.x, p.y);
    EXPECT_EQ(motion_->GetHandlerState(), 5) << knob;
    EXPECT_EQ(motion_->GetHandlerFlag17(), EditorHandler::KnobCursor(knob)) << knob;
    EXPECT_EQ(motion_->GetHitIndex(), knob);
    EXPECT_EQ(motion_->GetHitKind(), 3);
  }
  EXPECT_EQ(EditorHandler::KnobCursor(4), 2);
  EXPECT_EQ(EditorHandler::KnobCursor(5), 4);
  EXPECT_EQ(EditorHandler::KnobCursor(8), 0);  // no such knob
  EXPECT_EQ(EditorHandler::KnobCursor(-1), 0);
  Route(512, 3000, 3000);  // far from everything
  EXPECT_EQ(motion_->GetHandlerState(), 1);
  EXPECT_EQ(motion_->GetTarget(), nullptr);
  // A node that is not selected offers no knobs.
  EXPECT_TRUE(canvas_->SetObjectSelected(node, 0));
  const POINT p = KnobPixels(node, 4);
  Route(512, p.x, p.y);
  EXPECT_EQ(motion_->GetHandlerState(), 1);
}

TEST_F(GestureHandlers, DraggingARelationsControlHandleMovesItsAdjustPoint) {
  // Hundredths of a point: 127 EMU each; handles 0 and 3 are ends, 1 and 2 controls.
  PresentNode relation = Sync(canvas_, 200, 0, 0, {{0, 0}, {100, 100}, {200, 100}, {300, 0}});
  ASSERT_NE(relation, nullptr);
  ASSERT_TRUE(Place(canvas_, relation, 0, 0, 0, 0, {{0, 0}, {100, 100}, {200, 100}, {300, 0}}));
  ASSERT_TRUE(canvas_->SetObjectSelected(relation, 1));
  ASSERT_EQ(relation->geometry->handles.items.size(), 4u);
  const auto handle = relation->geometry->handles.items[1]->point;
  const POINT from = Pixels(handle.x, handle.y);
  // The owner snaps the dragged point 5 px further right.
  owner_.snapX = 5;
  Kx2SetMessageTime(GetTime());
  Route(513, from.x, from.y);
  EXPECT_EQ(motion_->GetHandlerState(), 2);
  EXPECT_EQ(motion_->GetHandlerFlag17(), 7);
  EXPECT_EQ(motion_->GetHitKind(), 5);
  Route(512, from.x + 122, from.y + 254);
  EXPECT_EQ(motion_->GetHandlerState(), 3);
  const float movedX = static_cast<float>(from.x + 127) * 10, movedY = static_cast<float>(from.y + 254) * 10;
  EXPECT_FLOAT_EQ(relation->frame.points[1].x, movedX);
  EXPECT_FLOAT_EQ(relation->frame.points[1].y, movedY);
  EXPECT_FLOAT_EQ(relation->geometry->handles.items[1]->point.x, movedX);  // rebuilt
  Route(514, from.x + 122, from.y + 254);                                  // snapped like the moves
  EXPECT_EQ(motion_->GetHandlerState(), 4);
  PresentMotionInfo info{};
  ASSERT_TRUE(motion_->GetHandlerRecord(&info));
  EXPECT_EQ(info.state, 2);
  EXPECT_EQ(info.value, 1);
  EXPECT_EQ(info.lengthX, 10);
  EXPECT_EQ(info.lengthY, static_cast<LONG>(std::trunc((movedY - handle.y) / 127)));
  EXPECT_EQ(info.lengthY, 20);
  // An end handle starts no drag.
  owner_.snapX = 0;
  const auto end = relation->geometry->handles.items[0]->point;
  const POINT endPixels = Pixels(end.x, end.y);
  Kx2SetMessageTime(GetTime());
  Route(513, endPixels.x, endPixels.y);
  EXPECT_EQ(motion_->GetHandlerState(), 6);
  Route(514, endPixels.x, endPixels.y);
  EXPECT_EQ(motion_->GetHandlerState(), 0);
}

TEST_F(GestureHandlers, TracersRefuseWhatTheyCannotWorkOn) {
  Diagram* node = Topic(402, 0, 1000);
  // A zero side keeps its scale.
  ResizeTracer* resize = ResizeTracer::Instance();
  resize->Bind(canvas_->Drawing(), node, 2, {0, 1000});
  resize->Begin();
  resize->Update({500, 1100});
  EXPECT_EQ(resize->Apply(), 0);
  EXPECT_EQ(resize->End(), 0);
  EXPECT_FLOAT_EQ(resize->result.scaleX, 1.0f);
  EXPECT_FLOAT_EQ(resize->result.scaleY, 1.1f);
  resize->Bind(nullptr, node, 2, {0, 0});
  EXPECT_EQ(resize->Apply(), 1);
  // A handle index beyond the geometry's list changes nothing.
  Present::Gesture::PositionAdjustTracer* adjust = Present::Gesture::PositionAdjustTracer::Instance();
  PresentNode relation = Sync(canvas_, 200, 0, 0, {{0, 0}, {100, 100}, {200, 100}, {300, 0}});
  adjust->Bind(canvas_->Drawing(), relation, 9, {0, 0});
  EXPECT_EQ(adjust->Begin(), 1);
  adjust->Update({5000, 5000});
  EXPECT_EQ(adjust->Apply(), 1);
  EXPECT_FLOAT_EQ(relation->frame.points[3].x, 300 * 127.0f);
  adjust->Bind(canvas_->Drawing(), nullptr, 1, {0, 0});
  EXPECT_EQ(adjust->Begin(), 1);
}

TEST_F(GestureHandlers, PixelsBecomeModelPointsEvenWithoutResolutionOrZoom) {
  Present::Drawing::Canvas& c = *canvas_->Drawing();
  struct Case {
    float dpi, zoom, origin;
    LONG px;
    float x;
  } cases[] = {{96, 1, 0, 10, 95250}, {0, 0, 0, 10, 95250}, {192, 2, 1000, 10, 22812.5f}, {96, 952.5f, 0, -3, -30}};
  for (const Case& k : cases) {
    c.view.resolutionX = c.view.resolutionY = k.dpi;
    c.view.zoomX = c.view.zoomY = k.zoom;
    c.view.originX = c.view.originY = k.origin;
    const auto p = Present::Gesture::PixelToModel(c, POINT{k.px, k.px});
    EXPECT_FLOAT_EQ(p.x, k.x);
    EXPECT_FLOAT_EQ(p.y, k.x);
  }
}

TEST_F(GestureHandlers, TheGeneralHandlerReportsFocusAndPickHits) {
  IPresentMotion* general = Motion(1);
  gesture_->SetMotion(general, 0);
  Diagram* node = Topic(402, 100000, 100000);
  canvas_->SetObjectSelected(node, 0);
  node->hostA = 41;
  node->hostB = 42;
  const POINT inside = Pixels(node->geometry->segments.Box().x + 50000, node->geometry->segments.Box().y + 50000);
  Route(512, inside.x, inside.y);
  EXPECT_EQ(general->GetTarget(), node);
  EXPECT_EQ(general->GetHitFlags(), 1);
  EXPECT_TRUE(general->HasHitFlag1());
  EXPECT_EQ(general->GetTargetKind(), 0x100);
  EXPECT_EQ(general->GetTargetValue88(), 41);
  EXPECT_EQ(general->GetTargetValue92(), 42);
  Kx2SetMessageTime(GetTime());
  Route(516, inside.x, inside.y);
  EXPECT_EQ(general->GetHitFlags(), 2);
  EXPECT_TRUE(general->HasHitFlag2());
  EXPECT_EQ(general->GetHitKind(), 6);
  // Collecting keeps every hit in the table.
  Present::Gesture::Handler* handler = static_cast<PresentMotion*>(general)->Handler();
  handler->SetCollect(true);
  Route(514, inside.x, inside.y);
  Route(512, inside.x, inside.y);
  EXPECT_EQ(handler->hitCount, 1);  // the focus test starts the table again
  EXPECT_EQ(handler->hitTable[0].node, node);
  handler->SetCollect(false);
  Route(512, 20000, 20000);
  EXPECT_EQ(general->GetTarget(), nullptr);
  EXPECT_FALSE(general->HasHitFlags());
}

}  // namespace

namespace {

TEST(GestureHandlerLifetime, TheModuleStopDestroysTheHandlers) {
  if (!Present::IsModuleStarted()) {
    ASSERT_EQ(Present::StartModule(), 0);
  }
  Present::Gesture::Handler* editor = Present::Gesture::HandlerOfType(2);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(Present::Gesture::HandlerOfType(2), editor);  // shared
  EXPECT_EQ(Present::Gesture::HandlerOfType(0), nullptr);
  EXPECT_EQ(Present::Gesture::HandlerOfType(3), nullptr);
  editor->state = 5;
  editor->result.scaleX = 2;
  Present::StopModule();
  ASSERT_EQ(Present::StartModule(), 0);
  // Made again on first use, all at rest.
  Present::Gesture::Handler* fresh = Present::Gesture::HandlerOfType(2);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->state, 0);
  EXPECT_FLOAT_EQ(fresh->result.scaleX, 1.0f);
  EXPECT_EQ(fresh->tracer, nullptr);
  EXPECT_EQ(fresh->hitNode, nullptr);
}

}  // namespace

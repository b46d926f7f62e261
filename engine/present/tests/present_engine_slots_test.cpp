// The engine's slots and its shape handler, over the module's tables.
#include <gtest/gtest.h>

#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentLine.h>
#include <plastrum/format/PresentShape.h>
#include <plastrum/format/ShapeHandler.h>
#include <plastrum/present/shell/module_lifecycle.h>
#include <plastrum/present/shell/present_exports.h>

namespace {

class PresentEngineSlots : public ::testing::Test {
 protected:
  void SetUp() override {
    Present::DestroyAllPresentEngineObjects();
    if (!Present::IsModuleStarted()) {
      Present::StopModule();
      ASSERT_EQ(Present::StartModule(), 0);
    }
    engine_ = CreatePresentEngine();
    ASSERT_NE(engine_, nullptr);
    handler_ = engine_->GetShapeHandler();
    ASSERT_NE(handler_, nullptr);
  }
  void TearDown() override {
    Present::DestroyAllPresentEngineObjects();
    Present::FreeHandedOutShapeObjects();
  }

  // A line of its own in the line table (one reference, the caller's).
  static uint16_t OwnLine(float width) {
    CPresentLine line = CPresentLine::StandardEntry();
    line.v.width = width;
    const int32_t id = PresentLineTable().Intern(line);
    EXPECT_GE(id, 2);
    return static_cast<uint16_t>(id);
  }
  static int32_t LineRefs(uint16_t id) { return PresentLineTable().GetEntry(id)->refCount; }
  static int32_t ShapeRefs(int32_t id) { return PresentShapeTable().GetEntry(static_cast<uint32_t>(id))->refCount; }

  IPresentEngine* engine_ = nullptr;
  IPresentShapeHandler* handler_ = nullptr;
};

TEST_F(PresentEngineSlots, PartsAreTheEnginesOwn) {
  EXPECT_NE(engine_->GetDesigner(), nullptr);
  EXPECT_NE(engine_->GetColorCtx(), nullptr);
  EXPECT_EQ(engine_->GetShapeHandler(), handler_);
  IPresentEngine* second = CreatePresentEngine();
  EXPECT_NE(second->GetDesigner(), engine_->GetDesigner());
  EXPECT_EQ(handler_->Reserved3(), 0);
  EXPECT_FALSE(handler_->Reserved4(42));
  engine_->SetOption(0x1234);
  EXPECT_EQ(static_cast<CPresentEngine*>(engine_)->GetOption(), 0x1234);
  engine_->SetOption(0);
}

TEST_F(PresentEngineSlots, NewShapeCopiesWithReferencesAndFreeShapeGivesThemBack) {
  const uint16_t line = OwnLine(7001);
  CPresentShape source;
  PresentLineTable().Assign(source.v.lineID, line);
  EXPECT_EQ(LineRefs(line), 2);

  CPresentShape* copy = engine_->NewShape(&source);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->v.lineID, line);
  EXPECT_EQ(LineRefs(line), 3);

  CPresentShape* fresh = engine_->NewShape(nullptr);
  ASSERT_NE(fresh, nullptr);
  const ShapeIds none{};
  EXPECT_EQ(0, memcmp(&fresh->v, &none, sizeof none));

  engine_->FreeShape(copy);
  EXPECT_EQ(LineRefs(line), 2);
  engine_->FreeShape(copy);     // already given back: ignored
  engine_->FreeShape(&source);  // never handed out: ignored, not deleted
  engine_->FreeShape(nullptr);
  EXPECT_EQ(LineRefs(line), 2);
  engine_->FreeShape(fresh);
  EXPECT_EQ(Present::HandedOutShapeObjects(), 0);
  PresentLineTable().Release(line);
}

TEST_F(PresentEngineSlots, ShapeContextsCloneAndFreeOnlyWhatTheEngineMade) {
  EXPECT_EQ(engine_->CloneShapeCtx(nullptr), nullptr);
  IPresentShapeCtx* context = engine_->NewShapeCtx(nullptr);
  ASSERT_NE(context, nullptr);
  const uint16_t line = OwnLine(7002);
  CPresentShape shape;
  PresentLineTable().Assign(shape.v.lineID, line);
  IPresentShapeCtx* fromShape = engine_->NewShapeCtx(&shape);
  ASSERT_NE(fromShape, nullptr);
  EXPECT_EQ(static_cast<CPresentShape*>(fromShape->GetShape())->v.lineID, line);

  IPresentShapeCtx* clone = engine_->CloneShapeCtx(fromShape);
  ASSERT_NE(clone, nullptr);
  EXPECT_NE(clone, fromShape);
  EXPECT_EQ(static_cast<CPresentShape*>(clone->GetShape())->v.lineID, line);

  CPresentShapeCtx foreign;
  EXPECT_EQ(engine_->CloneShapeCtx(&foreign), nullptr);  // not made here: never read through
  engine_->FreeShapeCtx(&foreign);                       // ignored

  EXPECT_EQ(Present::HandedOutShapeObjects(), 3);
  // Contexts belong to their holder, not to the engine: they outlive it.
  DestroyPresentEngine();
  EXPECT_EQ(Present::HandedOutShapeObjects(), 3);
  IPresentEngine* next = CreatePresentEngine();
  next->FreeShapeCtx(context);
  next->FreeShapeCtx(fromShape);
  next->FreeShapeCtx(clone);
  next->FreeShapeCtx(clone);
  EXPECT_EQ(Present::HandedOutShapeObjects(), 0);
  PresentLineTable().Release(line);
}

TEST_F(PresentEngineSlots, HandlerCountsEntriesButNeverTheFixedOnes) {
  for (int32_t id : {0, 1, -1}) {
    SCOPED_TRACE(id);
    const int32_t before = id == 1 ? ShapeRefs(1) : 0;
    handler_->AddRefShape(id);
    handler_->ReleaseShape(id);
    handler_->ReleaseShape(id);
    if (id == 1) {
      EXPECT_EQ(ShapeRefs(1), before);
    }
  }
  EXPECT_EQ(handler_->GetShape(0x7FFFFFFF), handler_->GetShape(0));  // beyond the table: entry 0
  EXPECT_EQ(handler_->InternShape(nullptr), -1);

  const uint16_t line = OwnLine(7003);
  CPresentShape value;
  PresentLineTable().Assign(value.v.lineID, line);
  const int32_t id = handler_->InternShape(&value);
  ASSERT_GE(id, 2);
  EXPECT_EQ(handler_->InternShape(&value), id);  // the equal entry, one more reference
  EXPECT_EQ(ShapeRefs(id), 2);
  EXPECT_EQ(LineRefs(line), 3);  // ours, the value's, the entry's
  handler_->AddRefShape(id);
  EXPECT_EQ(ShapeRefs(id), 3);
  for (int i = 0; i < 3; ++i) handler_->ReleaseShape(id);
  EXPECT_EQ(ShapeRefs(id), 0);
  EXPECT_EQ(LineRefs(line), 2);  // the cleared entry gave its line back
  handler_->ReleaseShape(id);    // never below zero
  EXPECT_EQ(ShapeRefs(id), 0);
  value.Clear();
  PresentLineTable().Release(line);
}

TEST_F(PresentEngineSlots, TentativeSlotsAreFilledByReplace) {
  const int32_t slot = handler_->NewShapeSlot();
  ASSERT_GE(slot, 2);
  EXPECT_TRUE(handler_->GetShape(slot)->IsTentative());
  CPresentShape value;
  value.SetDefault(1);
  EXPECT_EQ(handler_->ReplaceShape(slot, &value), slot);
  EXPECT_FALSE(handler_->GetShape(slot)->IsTentative());
  EXPECT_EQ(handler_->ReplaceShape(slot, &value), -1);  // no longer tentative
  EXPECT_EQ(handler_->ReplaceShape(slot, nullptr), -1);
  handler_->ReleaseShape(slot);
}

}  // namespace

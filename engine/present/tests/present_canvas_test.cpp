// The canvas interface over the drawing canvas: syncing nodes, state bits, sketches,
// previews, the view and palette, the paint order seen by the painters, hit testing, and a
// whole round of use under the sanitizers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <plastrum/present/drawing/HitTest.h>
#include <plastrum/present/drawing/NodePainter.h>
#include <plastrum/present/shell/present_context.h>
#include <plastrum/present/shell/units.h>

#include "present_canvas_support.h"

using namespace Present::Drawing;

namespace {

class PresentCanvasSlots : public present_test::EngineFixture {};

// 1 inch by half an inch.
constexpr LONG kW = 7200, kH = 3600;
const std::vector<POINT> kLinePoints = {{7200, 0}, {4800, 1800}, {2400, 1800}, {0, 3600}};

TEST_F(PresentCanvasSlots, SyncMakesUpdatesAndSwapsNodes) {
  PresentCanvas* canvas = NewCanvas();
  ASSERT_NE(canvas, nullptr);
  DrawingModel* model = canvas->Drawing()->model;

  PresentNode topic = Sync(canvas, 402, kW, kH);
  ASSERT_NE(topic, nullptr);
  EXPECT_EQ(topic->category, kCategoryFigure);
  EXPECT_EQ(topic->frame.width, 914400.0f);
  EXPECT_EQ(topic->hostA, 11);
  EXPECT_EQ(topic->hostB, 22);
  ASSERT_NE(topic->geometry, nullptr);
  const Geometry* built = topic->geometry.get();

  // The same geometry again: no rebuild.
  EXPECT_EQ(Sync(canvas, 402, kW, kH, {}, topic), topic);
  EXPECT_EQ(topic->geometry.get(), built);

  // Another category of the family: a new node in its place.
  PresentNode underline = Sync(canvas, 400, kW, kH, {}, topic);
  ASSERT_NE(underline, nullptr);
  EXPECT_NE(underline, topic);
  EXPECT_EQ(underline->category, kCategoryUnderline);
  EXPECT_TRUE(model->Holds(underline));
  EXPECT_FALSE(model->Holds(topic));
  EXPECT_EQ(topic->deleted, 1);
  EXPECT_EQ(Sync(canvas, 402, kW, kH, {}, topic), nullptr);  // the old node is refused now

  // Another family: refused, the node unchanged.
  EXPECT_EQ(Sync(canvas, 100, kW, kH, kLinePoints, underline), nullptr);
  EXPECT_EQ(underline->kind, 400u);

  // A branch keeps no size, only its points.
  PresentNode branch = Sync(canvas, 100, kW, kH, kLinePoints);
  ASSERT_NE(branch, nullptr);
  EXPECT_EQ(branch->frame.width, 0.0f);
  EXPECT_EQ(branch->frame.height, 0.0f);
  EXPECT_EQ(branch->frame.count, 4);
  EXPECT_EQ(branch->frame.points[0].x, 914400.0f);

  // Bad point records and unknown kinds are refused.
  PresentGeometryInfo bad{kW, kH, 0, 0, nullptr, 3};
  PresentObjectInfo info{nullptr, 402, 1, 0, &bad, 0, 0};
  EXPECT_FALSE(canvas->SyncObject(&info));
  bad.count = -1;
  info.node = nullptr;
  EXPECT_FALSE(canvas->SyncObject(&info));
  EXPECT_EQ(Sync(canvas, 399, kW, kH), nullptr);
  EXPECT_FALSE(canvas->SyncObject(nullptr));
}

TEST_F(PresentCanvasSlots, StateBitsFollowTheSketch) {
  PresentCanvas* canvas = NewCanvas();
  PresentNode node = Sync(canvas, 402, kW, kH);
  EXPECT_FALSE(canvas->SetObjectSelected(node, 1));  // no sketch: nothing changes
  EXPECT_FALSE(canvas->IsObjectSelected(node));
  ASSERT_TRUE(Place(canvas, node, 100, 200, kW, kH));
  EXPECT_TRUE(canvas->HasSketches());

  EXPECT_TRUE(canvas->SetObjectSelected(node, 1));
  EXPECT_TRUE(canvas->IsObjectSelected(node));
  EXPECT_FALSE(canvas->IsObjectFocused(node));
  EXPECT_TRUE(canvas->SetObjectFocused(node, 1));
  EXPECT_TRUE(canvas->IsObjectFocused(node));
  EXPECT_FALSE(canvas->IsObjectHighlighted(node));
  const SelectionEntry* entry = canvas->Drawing()->FindEntry(node);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->x, Present::HostToEmu(100));
  EXPECT_EQ(entry->state, 0x22);

  // Clearing the selected bit with only 0x20 left zeroes the state: focus goes with it.
  canvas->SetObjectSelected(node, 0);
  EXPECT_EQ(canvas->Drawing()->sketches.Find(node)->flags, 0);
  EXPECT_FALSE(canvas->IsObjectFocused(node));
  EXPECT_FALSE(canvas->IsObjectSelected(node));

  // A focus bit without the selected bit is no focus.
  canvas->Drawing()->sketches.Find(node)->flags = 0x20;
  canvas->SetObjectHighlighted(node, 1);
  EXPECT_TRUE(canvas->IsObjectHighlighted(node));
  EXPECT_FALSE(canvas->IsObjectFocused(node));
}

TEST_F(PresentCanvasSlots, ClearingAMiddleEntryKeepsTheCount) {
  Canvas& c = *NewCanvas()->Drawing();
  Figure a, b, d;
  c.SetEntry({&a, 0, 0, 2, 1});
  c.SetEntry({&b, 0, 0, 2, 1});
  c.SetEntry({&d, 0, 0, 2, 1});
  c.ClearEntryBits(&b, 0x02);
  EXPECT_EQ(c.SelectionCount(), 3);
  EXPECT_EQ(c.selection[1].node, nullptr);
  c.ClearEntryBits(&d, 0x02);
  EXPECT_EQ(c.SelectionCount(), 2);
}

TEST_F(PresentCanvasSlots, SketchesCarryAnchorsTextFramesAndMargins) {
  PresentCanvas* canvas = NewCanvas();
  PresentNode node = Sync(canvas, 402, kW, kH);
  PresentGeometryInfo geometry{kW, kH, 0, 0, nullptr, 0};
  PresentFirstAnchor first{1, 100, 200};
  PresentSecondAnchor second{2, 300, 400, {10, 20, 30}, 0x00FF8000, 0};
  PresentSketchInfo sketch{};
  sketch.node = node;
  sketch.geometry = &geometry;
  sketch.first = &first;
  sketch.second = &second;
  sketch.marginsFlag = 1;
  sketch.margins[2] = 72;
  sketch.geometryFlag = 1;
  sketch.lengths[0] = 3600;
  sketch.lengths[1] = 1800;
  ASSERT_TRUE(canvas->SetSketch(&sketch));
  EXPECT_EQ(node->first.id, 1);
  EXPECT_EQ(node->first.x, 12700.0f);
  EXPECT_EQ(node->second.id, 2);
  EXPECT_EQ(node->second.lengths[2], Present::HostToEmu(30));
  ASSERT_NE(node->second.color, nullptr);
  EXPECT_EQ(node->second.color->R, 0xFF);
  EXPECT_EQ(node->margins[2], 9144.0f);
  EXPECT_EQ(node->geometry->textMode, 1);
  EXPECT_EQ(node->geometry->textValues[2], 457200.0f);  // the frame's bottom-right corner
  EXPECT_EQ(node->geometry->textValues[3], 228600.0f);
  // Without anchor records the decorations are cleared.
  sketch.first = nullptr;
  sketch.second = nullptr;
  ASSERT_TRUE(canvas->SetSketch(&sketch));
  EXPECT_EQ(node->first.id, 0);
  EXPECT_EQ(node->second.id, 0);
  sketch.geometry = nullptr;
  EXPECT_FALSE(canvas->SetSketch(&sketch));
}

TEST_F(PresentCanvasSlots, ViewPaletteCursorsAndOutlines) {
  PresentCanvas* canvas = NewCanvas();
  PresentViewInfo view{};
  view.extentX = 7200;
  view.extentY = 3600;
  canvas->SetView(&view);
  EXPECT_EQ(canvas->Drawing()->view.rect.x, -457200.0f);
  EXPECT_EQ(canvas->Drawing()->view.rect.y, -228600.0f);
  EXPECT_EQ(canvas->Drawing()->view.rect.width, 914400.0f);

  EXPECT_EQ(canvas->SetPaletteColor(12, 0xFF112233), nullptr);
  Present::Type::Color* entry = canvas->SetPaletteColor(3, 0x80112233);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->A, 0x80);
  const BYTE* record = canvas->GetPalette();
  EXPECT_EQ(record[3 * 12 + 6], 0x80);
  EXPECT_EQ(record[3 * 12 + 9], 0x33);
  std::vector<BYTE> host(record, record + 144);
  host[5 * 12 + 0] = 0xEE;  // reserved bytes are never read as anything
  host[5 * 12 + 7] = 0x44;
  canvas->SetPalette(host.data());
  EXPECT_EQ(canvas->Drawing()->palette[5].R, 0x44);
  EXPECT_EQ(canvas->Drawing()->palette[3].B, 0x33);

  LONG cursor = 0;
  EXPECT_EQ(canvas->NextSelectingResult(&cursor), nullptr);
  EXPECT_EQ(cursor, 0);
  cursor = 5;
  EXPECT_EQ(canvas->NextSelectingResult(&cursor), nullptr);
  EXPECT_EQ(cursor, 0);

  const POINT points[3] = {{0, 0}, {7200, 0}, {7200, 7200}};
  canvas->SetMovingOutline(points, 3, 9);
  const PointF* buffer = canvas->Drawing()->preview.outline.points.data();
  canvas->SetMovingOutline(points, 3, 9);
  EXPECT_EQ(canvas->Drawing()->preview.outline.points.data(), buffer);  // reused
  EXPECT_TRUE(canvas->Drawing()->preview.outline.active);
  canvas->SetMovingOutline(points, -2, 9);
  EXPECT_FALSE(canvas->Drawing()->preview.outline.active);
  canvas->SetMovingOutline(points, 3, 9);
  canvas->SetMovingOutline(nullptr, 3, 9);
  EXPECT_FALSE(canvas->Drawing()->preview.outline.active);
}

TEST_F(PresentCanvasSlots, OutlineCrossingsAndGeometryValues) {
  PresentCanvas* canvas = NewCanvas();
  PresentNode node = Sync(canvas, 402, kW, kH);
  const POINT outside{14400, 1800};
  PresentOutlineHit hit{3600, 1800, &outside, node, 0, 0};
  ASSERT_TRUE(canvas->IntersectObjectOutline(&hit));
  EXPECT_EQ(hit.outX, 7200);
  EXPECT_EQ(hit.outY, 1800);
  hit.second = nullptr;
  EXPECT_FALSE(canvas->IntersectObjectOutline(&hit));
  // No outline points: no crossing, nothing read.
  PresentNode empty = Sync(canvas, 402, 0, 0);
  node->geometry->segments.Clear();
  hit = PresentOutlineHit{3600, 1800, &outside, node, 0, 0};
  EXPECT_FALSE(canvas->IntersectObjectOutline(&hit));
  (void)empty;

  PresentNode topic = Sync(canvas, 402, kW, kH);
  EXPECT_TRUE(canvas->SetGeometryValue(topic, 42));
  EXPECT_EQ(topic->geometry->hostValue, 42);
  PresentNode branch = Sync(canvas, 100, kW, kH, kLinePoints);
  EXPECT_FALSE(canvas->SetGeometryValue(branch, 42));
}

// Painters that log what the canvas asks of them.
class LoggingPainters final : public NodePainter {
 public:
  std::vector<std::string> calls;
  void Log(const PaintContext& c, const char* what, const Diagram* node) {
    calls.push_back(std::to_string(c.pass) + " " + what + (node ? " " + std::to_string(node->Kind()) : ""));
  }
  int32_t PaintBody(PaintContext& c, const Diagram& n, const PaintPosition&, FigurePaint&) override {
    Log(c, "body", &n);
    return 0;
  }
  int32_t PaintSelectionFrame(PaintContext& c, const Diagram& n, const PaintPosition&, bool focused) override {
    Log(c, focused ? "focus" : "selection", &n);
    return 0;
  }
  int32_t PaintHighlight(PaintContext& c, const Diagram& n, const PaintPosition&) override {
    Log(c, "highlight", &n);
    return 0;
  }
  int32_t PaintPageBackground(PaintContext& c, const Present::Style::ShapeRecord&, const RectF&) override {
    Log(c, "page", nullptr);
    return 0;
  }
  int32_t PaintBlindFeedback(PaintContext& c, const Diagram& n, const PaintPosition&) override {
    Log(c, "blind", &n);
    return 0;
  }
  int32_t PaintDroppingBox(PaintContext& c, const Diagram*, const PointF&, const RectF&, int32_t) override {
    Log(c, "dropping", nullptr);
    return 0;
  }
  int32_t PaintSelectingBox(PaintContext& c, const RectF&) override {
    Log(c, "selecting", nullptr);
    return 0;
  }
};

class PresentCanvasPaint : public present_test::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    previous_ = SetPainters(&log_);
  }
  void TearDown() override {
    SetPainters(previous_);
    EngineFixture::TearDown();
  }
  LoggingPainters log_;
  NodePainter* previous_ = nullptr;
};

TEST_F(PresentCanvasPaint, PassesRunInTheirOrder) {
  PresentCanvas* canvas = NewCanvas();
  const std::vector<POINT> boundary = {{0, 0}, {7200, 0}, {7200, 3600}, {0, 3600}, {0, 0}};
  PresentNode topic = Sync(canvas, 403, kW, kH);
  PresentNode branch = Sync(canvas, 100, 0, 0, kLinePoints);
  PresentNode relation = Sync(canvas, 201, 0, 0, kLinePoints);
  PresentNode outline = Sync(canvas, 300, 0, 0, boundary);
  ASSERT_TRUE(topic && branch && relation && outline);
  // Topics first in the host's order; the canvas still paints boundaries first.
  ASSERT_TRUE(Place(canvas, topic, 0, 0, kW, kH));
  ASSERT_TRUE(Place(canvas, branch, 0, 0, 0, 0, kLinePoints));
  ASSERT_TRUE(Place(canvas, relation, 0, 0, 0, 0, kLinePoints));
  ASSERT_TRUE(Place(canvas, outline, 0, 0, 0, 0, boundary));
  canvas->SetObjectSelected(topic, 1);
  canvas->SetObjectFocused(topic, 1);
  PresentBlindShapeInfo blind{405, 1, nullptr};
  PresentGeometryInfo blindGeometry{kW, kH, 0, 0, nullptr, 0};
  blind.geometry = &blindGeometry;
  ASSERT_TRUE(canvas->SetBlindShape(&blind));
  const POINT at{100, 100};
  canvas->SetBlindPosition(&at);
  PresentDroppingBoxInfo dropping{topic, 0, 0, {10, 10, 10, 10}, 5};
  canvas->SetDroppingBox(&dropping);
  canvas->BeginSelectingBox(&at);
  LONG pageShape = 1;
  PresentViewInfo view{};
  view.extentX = kW;
  view.extentY = kH;
  view.pageShapeId = &pageShape;

  ASSERT_TRUE(canvas->PaintView(&view));
  const std::vector<std::string> expected = {"0 page",      "1 body 300",  "1 body 201", "1 body 100", "2 body 403",
                                             "4 focus 403", "5 blind 405", "5 body 405", "5 dropping", "5 selecting"};
  EXPECT_EQ(log_.calls, expected);

  // With an etude the selection is not painted; the etude paints in pass 5.
  PresentEtudeInfo etude{topic, 0, 0, 2, nullptr, nullptr};
  ASSERT_TRUE(canvas->AddEtude(&etude));
  log_.calls.clear();
  ASSERT_TRUE(canvas->PaintOverlay(0));
  const std::vector<std::string> overlay = {"5 blind 405", "5 body 405", "5 dropping", "5 body 403", "5 selecting"};
  EXPECT_EQ(log_.calls, overlay);

  // A selection entry whose node was deleted is cleared in pass 4.
  canvas->ResetState(3);
  canvas->RemoveObject(topic);
  log_.calls.clear();
  ASSERT_TRUE(canvas->PaintOverlay(0));
  EXPECT_TRUE(log_.calls.empty());
  EXPECT_EQ(canvas->Drawing()->SelectionCount(), 0);
}

TEST_F(PresentCanvasSlots, HitCodesOfATopicInTheirOrder) {
  PresentCanvas* canvas = NewCanvas();
  PresentNode node = Sync(canvas, 402, kW, kH);  // 914400 x 457200 EMU
  Geometry& g = *node->geometry;
  g.textMode = 1;
  g.textValues[2] = 457200;
  g.textValues[3] = 228600;
  AddAdjustHandle(0, PointF{200000, 100000}, 3, g.handles, 0);
  g.sites.Add(PointF{700000, 300000});
  const struct {
    PointF p;
    uint8_t state;
    int32_t code;
  } cases[] = {
      {{457200, 228600}, 0, kPickTextHandle},
      {{457200, -238125}, 0, kPickRotation},
      {{5e6f, 5e6f}, 3, kPickNone},
      {{200000, 100000}, 3, kPickAdjust},
      {{0, 0}, 3, kPickKnob},
      {{700000, 300000}, 3, kPickSite},
      {{228600, 0}, 3, kPickFrameLine},
      {{228600, 0}, 0, kPickStroke},
      {{300000, 300000}, 0, kPickInside},
      {{700000, 300000}, 2, kPickInside},  // sites only when highlighted
      {{200000, 100000}, 1, kPickInside},  // handles only when selected
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y << " state " << int(c.state));
    EXPECT_EQ(HitNode(*node, c.p, c.state, 1.0f, nullptr), c.code);
    EXPECT_EQ(HitNode(*node, c.p, c.state, 0.0f, nullptr), c.code);  // zoom 0 counts as 1
  }
}

TEST_F(PresentCanvasSlots, OtherFamiliesHitTheirHandlesAndStrokes) {
  PresentCanvas* canvas = NewCanvas();
  PresentNode relation = Sync(canvas, 201, 0, 0, kLinePoints);
  ASSERT_NE(relation, nullptr);
  ASSERT_FALSE(relation->geometry->handles.items.empty());
  const PointF handle = relation->geometry->handles.items[0]->point;
  const PointF end = relation->frame.points[3];
  EXPECT_EQ(HitNode(*relation, PointF{5e6f, 5e6f}, 3, 1, nullptr), kPickNone);
  EXPECT_EQ(HitNode(*relation, handle, 2, 1, nullptr), kPickAdjust);
  EXPECT_EQ(HitNode(*relation, end, 0, 1, nullptr), kPickStroke);
}

TEST_F(PresentCanvasSlots, BoxSelectionCollectsTopicsOnly) {
  PresentCanvas* canvas = NewCanvas();
  PresentNode topic = Sync(canvas, 402, kW, kH);
  PresentNode branch = Sync(canvas, 100, 0, 0, kLinePoints);
  PresentNode relation = Sync(canvas, 201, 0, 0, kLinePoints);
  ASSERT_TRUE(Place(canvas, topic, 0, 0, kW, kH));
  ASSERT_TRUE(Place(canvas, branch, 0, 0, 0, 0, kLinePoints));
  ASSERT_TRUE(Place(canvas, relation, 0, 0, 0, 0, kLinePoints));
  const POINT from{-100, -100}, to{8000, 4000};
  canvas->BeginSelectingBox(&from);
  canvas->UpdateSelectingBox(&to);
  ASSERT_TRUE(canvas->HasSelectingResults());
  EXPECT_EQ(canvas->GetSelectingResultCount(), 1);
  LONG cursor = 1;
  EXPECT_EQ(canvas->NextSelectingResult(&cursor), topic);
  EXPECT_EQ(cursor, 0);
  cursor = 1;
  EXPECT_EQ(canvas->NextSelectingResultValue(&cursor), 22);
  EXPECT_EQ(canvas->Drawing()->preview.selecting.hits[0].code, kPickInside);
  // Only overlapping boxes: code 1.
  const POINT a{3000, 1000}, b{4000, 2000};
  canvas->BeginSelectingBox(&a);
  canvas->UpdateSelectingBox(&b);
  ASSERT_EQ(canvas->GetSelectingResultCount(), 1);
  EXPECT_EQ(canvas->Drawing()->preview.selecting.hits[0].code, kPickBox);
  canvas->UpdateSelectingBox(nullptr);
  EXPECT_FALSE(canvas->HasSelectingResults());
}

// The whole round a host makes, with removals and deletions in the middle: the sanitizer
// build checks that nothing is read after its end or leaked.
TEST_F(PresentCanvasSlots, ARoundOfUseWithRemovalsAndDeletions) {
  PresentCanvas* canvas = NewCanvas();
  PresentNode a = Sync(canvas, 402, kW, kH);
  PresentNode b = Sync(canvas, 404, kW, kH);
  ASSERT_TRUE(Place(canvas, a, 0, 0, kW, kH));
  ASSERT_TRUE(Place(canvas, b, 9000, 0, kW, kH));
  canvas->SetObjectSelected(a, 1);
  canvas->SetObjectSelected(b, 1);
  PresentEtudeInfo etude{a, 100, 100, 0, nullptr, nullptr};
  ASSERT_TRUE(canvas->AddEtude(&etude));
  PresentCanvas* clone = static_cast<PresentCanvas*>(designer_->CloneCanvas(canvas));
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(clone->Drawing()->model, canvas->Drawing()->model);
  ASSERT_TRUE(Place(clone, b, 0, 0, kW, kH));

  EXPECT_TRUE(canvas->RemoveObject(a));
  EXPECT_FALSE(canvas->RemoveObject(a));
  EXPECT_TRUE(designer_->DeleteDiagram(b));
  PresentViewInfo view{};
  view.extentX = kW;
  view.extentY = kH;
  EXPECT_TRUE(canvas->PaintView(&view));
  EXPECT_TRUE(clone->PaintView(&view));
  EXPECT_TRUE(canvas->ResetState(0));
  EXPECT_TRUE(canvas->ResetState(4));
  EXPECT_FALSE(canvas->ResetState(9));
  EXPECT_FALSE(designer_->IsDiagramAlive(a));
  EXPECT_FALSE(designer_->IsDiagramAlive(b));
  EXPECT_TRUE(designer_->FreeCanvas(canvas));
  EXPECT_FALSE(designer_->IsDiagramAlive(a));  // the clone keeps the model
  EXPECT_TRUE(designer_->FreeCanvas(clone));
  EXPECT_FALSE(designer_->IsDiagramAlive(a));  // the model is gone: never read
}

}  // namespace

// The drawing model: node categories, re-kinding, removal, bounds and tolerance.
#include <gtest/gtest.h>

#include <memory>

#include <plastrum/present/drawing/Diagram.h>
#include <plastrum/present/drawing/DrawingModel.h>

#include "present_canvas_support.h"

using namespace Present::Drawing;

namespace {

TEST(PresentModel, KindsGiveTheirCategoryAndClass) {
  const struct {
    uint32_t kind;
    uint16_t category;
  } cases[] = {{100, 0x200}, {107, 0x200}, {108, 0},     {199, 0},     {200, 0x300}, {203, 0x300},
               {204, 0},     {299, 0},     {300, 0x400}, {308, 0x400}, {309, 0},     {399, 0},
               {400, 0x103}, {401, 0x102}, {402, 0x100}, {411, 0x100}, {412, 0},     {0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    EXPECT_EQ(CategoryOfKind(c.kind), c.category);
    std::unique_ptr<Diagram> node(MakeNode(c.kind));
    if (c.category == 0) {
      EXPECT_EQ(node, nullptr);
      continue;
    }
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->category, c.category);
    EXPECT_EQ(node->kind, c.kind);
  }
  std::unique_ptr<Diagram> frame(NewNode(kCategoryPicFrame));
  EXPECT_EQ(frame->kind, 402u);
  EXPECT_EQ(frame->Kind(), 402u);
  EXPECT_EQ(NewNode(0x101), nullptr);
}

TEST(PresentModel, RekindingKeepsSwapsOrRefuses) {
  std::unique_ptr<Diagram> figure(MakeNode(402));
  figure->hostA = 7;
  figure->frame.width = 100;
  bool refused = true;
  // Same category: the kind changes, the geometry goes.
  figure->geometry = std::make_unique<Geometry>();
  EXPECT_EQ(RekindNode(403, figure.get(), &refused), figure.get());
  EXPECT_FALSE(refused);
  EXPECT_EQ(figure->kind, 403u);
  EXPECT_EQ(figure->geometry, nullptr);
  // Same family, other category: a new node carrying the values.
  std::unique_ptr<Diagram> underline(RekindNode(400, figure.get(), &refused));
  ASSERT_NE(underline.get(), figure.get());
  EXPECT_EQ(underline->category, kCategoryUnderline);
  EXPECT_EQ(underline->hostA, 7);
  EXPECT_EQ(underline->frame.width, 100.0f);
  EXPECT_EQ(figure->kind, 403u);  // the old node as it was
  // Another family: refused, unchanged.
  std::unique_ptr<Diagram> twig(MakeNode(100));
  EXPECT_EQ(RekindNode(205, twig.get(), &refused), twig.get());
  EXPECT_TRUE(refused);
  EXPECT_EQ(RekindNode(200, twig.get(), &refused), twig.get());
  EXPECT_TRUE(refused);
  EXPECT_EQ(twig->kind, 100u);
}

TEST(PresentModel, RemovedNodesStayAllocatedUntilTheModelGoes) {
  auto* model = new DrawingModel();
  Diagram* a = MakeNode(402);
  Diagram* b = MakeNode(100);
  ASSERT_TRUE(model->Add(a));
  ASSERT_TRUE(model->Add(b));
  EXPECT_EQ(model->Count(1), 1);
  EXPECT_EQ(model->Count(2), 1);

  SetKeepNodes(true);
  EXPECT_TRUE(model->Remove(a));  // only marked
  SetKeepNodes(false);
  EXPECT_EQ(a->deleted, 1);
  EXPECT_EQ(model->Count(1), 1);

  EXPECT_TRUE(model->Remove(b));
  EXPECT_EQ(b->deleted, 1);
  EXPECT_EQ(model->Count(2), 0);
  EXPECT_TRUE(model->Owns(b));  // still the model's: readers may test it
  EXPECT_FALSE(model->Holds(b));
  EXPECT_FALSE(model->Remove(b));
  Figure stranger;
  EXPECT_FALSE(model->Remove(&stranger));
  EXPECT_EQ(stranger.deleted, 0);  // a node of no model is never touched
  model->Release();                // frees listed and removed nodes (checked by the sanitizer build)
}

class PresentModelStyles : public present_test::EngineFixture {};

TEST_F(PresentModelStyles, BoundsGrowByTheVisibleLineOnly) {
  StyleCache* cache = designer_->GetStyleCache();
  ASSERT_NE(cache, nullptr);
  const uint32_t hidden = ShapeWithLineFill(5);
  const struct {
    uint32_t shapeId;
    float half;
  } cases[] = {{1, 12700.0f}, {hidden, 0.0f}};  // the standard line is 2 pt
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shapeId);
    std::unique_ptr<Diagram> node(MakeNode(402));
    node->frame.width = 914400;
    node->frame.height = 457200;
    ASSERT_TRUE(RebuildGeometry(*node));
    node->BindStyle(cache, c.shapeId);
    const RectF b = NodeBounds(*node);
    EXPECT_FLOAT_EQ(b.x, -c.half);
    EXPECT_FLOAT_EQ(b.width, 914400 + 2 * c.half);
    const RectF p = NodePaintBounds(*node);
    EXPECT_FLOAT_EQ(p.x, -2 * c.half);
    EXPECT_FLOAT_EQ(node->HitTolerance(1.0f), 3 * 9525 + c.half);
    EXPECT_FLOAT_EQ(node->HitTolerance(0.0f), 3 * 9525 + c.half);  // zoom 0 counts as 1
  }
  std::unique_ptr<Diagram> empty(MakeNode(402));
  const RectF none = NodeBounds(*empty);
  EXPECT_EQ(none.width, 0.0f);
  EXPECT_EQ(none.x, 0.0f);
  std::unique_ptr<Diagram> boundary(MakeNode(300));
  EXPECT_FLOAT_EQ(boundary->HitTolerance(2.0f), 3 * 9525);
}

}  // namespace

// A started module with one engine, its designer and styles interned for the tests: the
// standard shape (solid line of 2 pt, solid fill) and shapes whose line or fill is hidden.
#pragma once

#include <gtest/gtest.h>

#include <plastrum/format/PresentEngine.h>
#include <plastrum/format/PresentFill.h>
#include <plastrum/format/PresentLine.h>
#include <plastrum/format/PresentShape.h>
#include <plastrum/present/canvas/PresentCanvas.h>
#include <plastrum/present/drawing/Canvas.h>
#include <plastrum/present/shell/module_lifecycle.h>
#include <plastrum/present/shell/present_exports.h>

namespace present_test {

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Present::DestroyAllPresentEngineObjects();
    if (!Present::IsModuleStarted()) {
      Present::StopModule();
      ASSERT_EQ(Present::StartModule(), 0);
    }
    engine_ = CreatePresentEngine();
    ASSERT_NE(engine_, nullptr);
    designer_ = static_cast<Presentation*>(engine_->GetDesigner());
  }
  void TearDown() override { Present::DestroyAllPresentEngineObjects(); }

  // A shape whose line's fill has the type (5 Auto hides it), or whose fill has it.
  static uint32_t ShapeWithLineFill(uint8_t type) {
    CPresentFill fill;
    CPresentFill::SetDefault(fill, 1);
    fill.v.type = type;
    const int32_t fillId = PresentFillTable().Intern(fill);
    CPresentLine line = CPresentLine::StandardEntry();
    CPresentLine::SetFill(line, static_cast<uint32_t>(fillId));
    const int32_t lineId = PresentLineTable().Intern(line);
    CPresentShape shape;
    shape.SetDefault(1);
    PresentLineTable().Assign(shape.v.lineID, static_cast<uint32_t>(lineId));
    return static_cast<uint32_t>(PresentShapeTable().Intern(shape));
  }

  PresentCanvas* NewCanvas() { return static_cast<PresentCanvas*>(designer_->NewCanvas()); }

  // Syncs a node of the kind with a frame of w x h hundredths of a point and points.
  static PresentNode Sync(PresentCanvas* canvas, LONG kind, LONG w, LONG h, std::vector<POINT> points = {},
                          PresentNode node = nullptr, LONG shapeId = 1) {
    PresentGeometryInfo geometry{w, h, 0, 0, points.empty() ? nullptr : points.data(), LONG(points.size())};
    PresentObjectInfo info{node, kind, shapeId, 0, &geometry, 11, 22};
    if (!canvas->SyncObject(&info)) return nullptr;
    return info.node;
  }

  // Places a node at (x, y) hundredths of a point with its own frame.
  static bool Place(PresentCanvas* canvas, PresentNode node, LONG x, LONG y, LONG w, LONG h,
                    std::vector<POINT> points = {}) {
    PresentGeometryInfo geometry{w, h, 0, 0, points.empty() ? nullptr : points.data(), LONG(points.size())};
    PresentSketchInfo sketch{};
    sketch.node = node;
    sketch.x = x;
    sketch.y = y;
    sketch.geometry = &geometry;
    return canvas->SetSketch(&sketch) != FALSE;
  }

  IPresentEngine* engine_ = nullptr;
  Presentation* designer_ = nullptr;
};

}  // namespace present_test

namespace present_test {

// A shape of a solid fill and a solid line of the width (hundredths of a point), both
// opaque RGB; the fill type 0 hides the fill.
inline uint32_t SolidShape(uint32_t fillArgb, uint32_t lineArgb, int32_t lineWidth, uint8_t fillType = 1) {
  CPresentFill lineFill;
  CPresentFill::SetDefault(lineFill, 1);
  lineFill.v.solidColor = PresentColorRef(lineArgb, 0);
  const int32_t lineFillId = PresentFillTable().Intern(lineFill);
  CPresentLine line = CPresentLine::StandardEntry();
  CPresentLine::SetFill(line, static_cast<uint32_t>(lineFillId));
  line.v.width = lineWidth;
  const int32_t lineId = PresentLineTable().Intern(line);
  CPresentFill fill;
  CPresentFill::SetDefault(fill, 1);
  fill.v.type = fillType;
  fill.v.solidColor = PresentColorRef(fillArgb, 0);
  const int32_t fillId = PresentFillTable().Intern(fill);
  CPresentShape shape;
  shape.SetDefault(1);
  PresentLineTable().Assign(shape.v.lineID, static_cast<uint32_t>(lineId));
  PresentFillTable().Assign(shape.v.fillID, static_cast<uint32_t>(fillId));
  return static_cast<uint32_t>(PresentShapeTable().Intern(shape));
}

}  // namespace present_test

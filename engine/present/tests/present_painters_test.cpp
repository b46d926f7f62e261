// The painters drawing real pixels through Luminar: probes on 200 x 200 renders at 96 DPI,
// the journal of drawing calls, the text anchor through the canvas owner.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <vantorel/present_host.h>

#include <luminar/LuminarTesting.h>
#include <plastrum/present/painting/Painters.h>
#include <plastrum/present/shell/present_context.h>

#include "present_canvas_support.h"
#include "present_image_support.h"

using namespace Present::Drawing;

namespace {

// A 200 x 200 white DIB section in a memory DC.
class Target {
 public:
  Target() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 200;
    info.bmiHeader.biHeight = -200;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    bits_ = static_cast<uint32_t*>(p);
    for (int i = 0; i < 200 * 200; ++i) bits_[i] = 0xFFFFFF;
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Target() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  HDC dc() const { return dc_; }
  uint32_t At(int x, int y) const {
    GdiFlush();
    return bits_[y * 200 + x] & 0xFFFFFF;
  }

 private:
  HBITMAP bitmap_;
  HGDIOBJ old_;
  HDC dc_;
  uint32_t* bits_;
};

// The canvas owner's text callback, recording what it was given.
class TextOwner final : public IPresentCanvasOwner {
 public:
  BOOL answer = TRUE;
  std::vector<POINT> anchors;
  std::vector<LONG> values;
  BOOL GetBinaryDataFile(LONG, VtlPathBuffer*) override { return FALSE; }
  BOOL DrawText(const void* record, LONG a, LONG b, POINT anchor) override {
    if (!record) return FALSE;
    anchors.push_back(anchor);
    values.push_back(a);
    values.push_back(b);
    return answer;
  }
};

class PresentPainters : public present_test::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    for (LONG kind = 0; kind < 6; ++kind) live_[kind] = LuminarLiveHandles(kind);
    canvas_ = NewCanvas();
    context_ = designer_->NewContext();
    context_->SetDevice(target_.dc());
    ASSERT_TRUE(canvas_->AttachContext(context_));
  }
  void TearDown() override {
    LuminarJournalEnable(FALSE);
    designer_->FreeCanvas(canvas_);
    designer_->FreeContext(context_);
    for (LONG kind = 0; kind < 6; ++kind) EXPECT_EQ(LuminarLiveHandles(kind), live_[kind]) << "handle kind " << kind;
    EngineFixture::TearDown();
  }
  // Paints with the view fixed so that model (0, 0) is pixel (0, 0).
  bool Paint() {
    PaintContext context = canvas_->Drawing()->MakePaintContext();
    context.originX = 0;
    context.originY = 0;
    return canvas_->Drawing()->PaintAll(context) == 0;
  }
  std::string Journal() {
    std::string text(LuminarJournalRead(nullptr, 0), '\0');
    LuminarJournalRead(text.data(), text.size());
    return text;
  }

  Target target_;
  PresentCanvas* canvas_ = nullptr;
  IPresentContext* context_ = nullptr;
  LONG live_[6] = {};
};

TEST_F(PresentPainters, FillInsideAndLineOnTheEdge) {
  const uint32_t style = present_test::SolidShape(0xFFFF0000u, 0xFF0000FFu, 300);  // 3 pt = 4 px
  PresentNode node = Sync(canvas_, 402, 7200, 7200, {}, nullptr, LONG(style));     // 96 x 96 px
  ASSERT_TRUE(Place(canvas_, node, 1500, 1500, 7200, 7200));                       // at (20, 20) px
  ASSERT_TRUE(Paint());
  EXPECT_EQ(target_.At(68, 68), 0xFF0000u);   // the fill at the centre
  EXPECT_EQ(target_.At(20, 68), 0x0000FFu);   // the line on the left edge
  EXPECT_EQ(target_.At(116, 68), 0x0000FFu);  // and on the right
  EXPECT_EQ(target_.At(10, 10), 0xFFFFFFu);   // nothing outside
  EXPECT_EQ(target_.At(150, 150), 0xFFFFFFu);
}

TEST_F(PresentPainters, ClosedOutlinesAreStrokedAsPolygonsOpenOnesAsPolylines) {
  const uint32_t style = present_test::SolidShape(0xFFFF0000u, 0xFF0000FFu, 150);
  PresentNode topic = Sync(canvas_, 402, 3600, 3600, {}, nullptr, LONG(style));
  PresentNode relation =
      Sync(canvas_, 202, 0, 0, {{0, 9000}, {3000, 9000}, {6000, 12000}, {9000, 12000}}, nullptr, LONG(style));
  ASSERT_TRUE(topic && relation);
  ASSERT_TRUE(Place(canvas_, topic, 0, 0, 3600, 3600));
  ASSERT_TRUE(Place(canvas_, relation, 0, 0, 0, 0, {{0, 9000}, {3000, 9000}, {6000, 12000}, {9000, 12000}}));
  LuminarJournalClear();
  LuminarJournalEnable(TRUE);
  ASSERT_TRUE(Paint());
  LuminarJournalEnable(FALSE);
  const std::string journal = Journal();
  EXPECT_NE(journal.find("DrawPolygon"), std::string::npos) << journal;
  EXPECT_NE(journal.find("DrawLines"), std::string::npos) << journal;
  // The closing edge of the topic is inked: its left edge at x = 0..1.
  EXPECT_EQ(target_.At(0, 24), 0x0000FFu);
}

TEST_F(PresentPainters, BareModeDrawsOnlyFillAndStroke) {
  const uint32_t style = present_test::SolidShape(0xFF00FF00u, 0xFF0000FFu, 150);
  PresentNode node = Sync(canvas_, 402, 3600, 3600, {}, nullptr, LONG(style));
  FigurePaint record;
  FillFigurePaint(record, *node, canvas_->Drawing()->PalettePointers(), nullptr);
  record.flags |= FigurePaint::kBare | FigurePaint::kShadow | FigurePaint::kPicture;
  PaintContext context = canvas_->Drawing()->MakePaintContext();
  context.originX = context.originY = 0;
  LuminarJournalClear();
  LuminarJournalEnable(TRUE);
  EXPECT_EQ(Present::Painting::PaintShape(context, *node, PaintPosition{}, record), 0);
  LuminarJournalEnable(FALSE);
  const std::string journal = Journal();
  EXPECT_NE(journal.find("FillPolygon"), std::string::npos);
  EXPECT_NE(journal.find("DrawPolygon"), std::string::npos);
  EXPECT_EQ(journal.find("DrawImage"), std::string::npos) << journal;  // no shadow bitmap, no picture
}

TEST_F(PresentPainters, WithoutATargetThePaintersAnswer21) {
  canvas_->DetachRender();
  const uint32_t style = present_test::SolidShape(0xFF00FF00u, 0xFF0000FFu, 150);
  PresentNode node = Sync(canvas_, 402, 3600, 3600, {}, nullptr, LONG(style));
  FigurePaint record;
  FillFigurePaint(record, *node, nullptr, nullptr);
  PaintContext context = canvas_->Drawing()->MakePaintContext();
  EXPECT_EQ(Present::Painting::PaintShape(context, *node, PaintPosition{}, record), 21);
}

TEST_F(PresentPainters, TheTextAnchorGoesToTheOwnerInHundredthsOfAPoint) {
  TextOwner owner;
  canvas_->SetOwner(&owner);
  const uint32_t style = present_test::SolidShape(0xFF00FF00u, 0xFF0000FFu, 150);
  PresentNode node = Sync(canvas_, 402, 3600, 3600, {}, nullptr, LONG(style));
  PresentGeometryInfo geometry{3600, 3600, 0, 0, nullptr, 0};
  PresentSecondAnchor text{1, 720, 360, {0, 0, 0}, 0, 0};
  PresentSketchInfo sketch{};
  sketch.node = node;
  sketch.x = 7200;
  sketch.y = 100;
  sketch.geometry = &geometry;
  sketch.second = &text;
  ASSERT_TRUE(canvas_->SetSketch(&sketch));
  ASSERT_TRUE(Paint());
  ASSERT_EQ(owner.anchors.size(), 1u);
  EXPECT_EQ(owner.anchors[0].x, 7920);
  EXPECT_EQ(owner.anchors[0].y, 460);
  EXPECT_EQ(owner.values, (std::vector<LONG>{11, 22}));
  // A refusal is the text painter's code 24; the canvas paint still succeeds.
  owner.answer = FALSE;
  PresentViewInfo view{};
  EXPECT_TRUE(canvas_->PaintView(&view));
  EXPECT_EQ(owner.anchors.size(), 2u);
  canvas_->SetOwner(nullptr);
}

TEST_F(PresentPainters, FoldMarksDrawWhereTheirDecorationSays) {
  const uint32_t style = present_test::SolidShape(0xFFFFFFFFu, 0xFF000000u, 0, 0);
  PresentNode node = Sync(canvas_, 402, 3600, 3600, {}, nullptr, LONG(style));
  PresentGeometryInfo geometry{3600, 3600, 0, 0, nullptr, 0};
  PresentFirstAnchor fold{2, 9000, 9000};  // a plus at (120, 120) px
  PresentSketchInfo sketch{};
  sketch.node = node;
  sketch.geometry = &geometry;
  sketch.first = &fold;
  ASSERT_TRUE(canvas_->SetSketch(&sketch));
  ASSERT_TRUE(Paint());
  EXPECT_NE(target_.At(120 - 6, 120), 0xFFFFFFu);  // the blue rim
  EXPECT_EQ(target_.At(150, 150), 0xFFFFFFu);
}

}  // namespace

// The painters drawing real pixels through Luminar: probes on 200 x 200 renders at 96 DPI,
// the journal of drawing calls, the text anchor through the canvas owner.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <vantorel/present_host.h>

#include <kx2/GdiCairo.h>
#include <luminar/LuminarTesting.h>
#include <plastrum/present/painting/Feedback.h>
#include <plastrum/present/painting/ImageEffects.h>
#include <plastrum/present/painting/ObjectBitmaps.h>
#include <plastrum/present/painting/PaintColors.h>
#include <plastrum/present/painting/Painters.h>
#include <plastrum/present/shell/present_context.h>
#include <plastrum/present/text/Calligraphy.h>

#include "present_dib_support.h"
#include "present_canvas_support.h"
#include "present_image_support.h"

using namespace Present::Drawing;

namespace {

// A 200 x 200 white DIB section in a memory DC.
using Target = present_test::WhiteDib<200>;

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
    text.resize(std::strlen(text.c_str()));  // the length asked for holds the ending zero
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

// An owner drawing with a calligraphy the designer makes from the record it is handed.
class CalligraphyOwner final : public IPresentCanvasOwner {
 public:
  explicit CalligraphyOwner(IPresentDesigner* designer) : designer_(designer) {}
  IPresentCalligraphy* kept = nullptr;
  bool strangerRefused = false;
  BOOL GetBinaryDataFile(LONG, VtlPathBuffer*) override { return FALSE; }
  BOOL DrawText(const void* record, LONG, LONG, POINT) override {
    FigurePaint stranger;
    strangerRefused = designer_->NewCalligraphy(&stranger) == nullptr;
    kept = static_cast<IPresentCalligraphy*>(designer_->NewCalligraphy(const_cast<void*>(record)));
    const RECT box{0, 0, 1500, 1500};  // hundredths of a point: 20 pixels at 96 DPI
    return kept && kept->DrawRectangle(&box);
  }

 private:
  IPresentDesigner* designer_;
};

TEST_F(PresentPainters, OwnersDrawOnThePaintsRenderThroughACalligraphyOfTheirRecord) {
  CalligraphyOwner owner(designer_);
  canvas_->SetOwner(&owner);
  PresentNode node =
      Sync(canvas_, 402, 3600, 3600, {}, nullptr, LONG(present_test::SolidShape(0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0)));
  PresentGeometryInfo geometry{3600, 3600, 0, 0, nullptr, 0};
  PresentSecondAnchor text{1, 720, 360, {0, 0, 0}, 0, 0};
  PresentSketchInfo sketch{};
  sketch.node = node;
  sketch.x = 9000;  // the figure itself lies away from the rectangle
  sketch.geometry = &geometry;
  sketch.second = &text;
  ASSERT_TRUE(canvas_->SetSketch(&sketch));
  ASSERT_TRUE(Paint());
  EXPECT_TRUE(owner.strangerRefused) << "only records the canvas hands out make calligraphies";
  ASSERT_NE(owner.kept, nullptr);
  EXPECT_NE(target_.At(10, 10), 0xFFFFFFu) << "the rectangle's fill";
  EXPECT_EQ(target_.At(30, 30), 0xFFFFFFu);
  // Outside the owner's call the record is gone, and a calligraphy kept past the paint's
  // render draws nowhere instead of into a freed render.
  EXPECT_EQ(designer_->NewCalligraphy(&owner), nullptr);
  canvas_->DetachRender();
  const RECT later{3000, 3000, 4500, 4500};  // 40 to 60 pixels
  owner.kept->DrawRectangle(&later);
  EXPECT_EQ(target_.At(50, 50), 0xFFFFFFu);
  designer_->FreeCalligraphy(owner.kept);
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

namespace {

using Present::Painting::PaintShape;

// A style built by hand: a fill, a line and a shadow the test sets.
struct HandStyle {
  Present::Style::FillRecord fill, lineFill;
  Present::Style::GradientRecord gradient;
  Present::Style::LineRecord line;
  Present::Style::ShadowRecord shadow;
  Present::Style::PictureRecord picture;
  Present::Style::ShapeRecord shape;
  HandStyle() {
    line.fill = &lineFill;
    shape.line = &line;
    shape.fill = &fill;
    shape.shadow = &shadow;
    shape.picture = &picture;
    fill.gradient = &gradient;
  }
  static Present::Style::ColorPtr Rgb(uint32_t argb) {
    auto c = std::make_unique<Present::Type::Color>();
    c->A = uint8_t(argb >> 24), c->R = uint8_t(argb >> 16), c->G = uint8_t(argb >> 8), c->B = uint8_t(argb);
    return c;
  }
};

class PresentShapePainter : public PresentPainters {
 protected:
  // A topic of the kind, w x h pixels, painted at (x, y) pixels with the style and flags.
  int32_t PaintFigure(HandStyle& style, uint32_t kind, float x, float y, float w, float h, uint8_t flags,
                      float zoom = 1.0f) {
    node_.reset(MakeNode(kind));
    node_->frame.width = w * 9525;
    node_->frame.height = h * 9525;
    RebuildGeometry(*node_);
    FigurePaint record;
    record.category = node_->category;
    record.style = &style.shape;
    Present::Painting::ResolvePaintColors(record.colors, &style.shape, node_->category, kind, nullptr);
    record.flags = flags;
    record.innerShadow = style.shadow.type >= 10 && style.shadow.type <= 18;
    record.box = node_->geometry->segments.Box();
    PaintContext context = canvas_->Drawing()->MakePaintContext();
    context.canvas = canvas_->Drawing();
    context.originX = context.originY = 0;
    context.scaleX = context.scaleY = 96 * zoom;
    context.zoom = zoom;
    return PaintShape(context, *node_, PaintPosition{x * 9525 / zoom, y * 9525 / zoom, 0}, record);
  }
  std::unique_ptr<Diagram> node_;
};

TEST_F(PresentShapePainter, ARadialGradientShowsItsFirstStopAtTheCentre) {
  HandStyle style;
  style.fill.type = 2;
  style.gradient.type = 1;
  style.gradient.direction = 2;
  style.gradient.stopCount = 2;
  style.gradient.position[0] = 0;
  style.gradient.color[0] = HandStyle::Rgb(0xFFFF0000);
  style.gradient.position[1] = 1;
  style.gradient.color[1] = HandStyle::Rgb(0xFF0000FF);
  ASSERT_EQ(PaintFigure(style, 402, 20, 20, 100, 100, FigurePaint::kFill), 0);
  EXPECT_TRUE(present_test::NearRgb(target_.At(70, 70), 0xFF0000, 40));
  const uint32_t corner = target_.At(22, 22);
  EXPECT_GT(corner & 0xFF, (corner >> 16) & 0xFF);  // towards the last stop at the rim
  // A linear gradient keeps its stops as stored: the first at the start (angle 0: the left).
  style.gradient.type = 0;
  ASSERT_EQ(PaintFigure(style, 402, 20, 130, 100, 50, FigurePaint::kFill), 0);
  EXPECT_TRUE(present_test::NearRgb(target_.At(22, 155), 0xFF0000, 40));
  EXPECT_TRUE(present_test::NearRgb(target_.At(118, 155), 0x0000FF, 40));
  // Types outside the list paint nothing and answer 2.
  style.gradient.type = 7;
  EXPECT_EQ(PaintFigure(style, 402, 150, 150, 20, 20, FigurePaint::kFill), 2);
  EXPECT_EQ(target_.At(160, 160), 0xFFFFFFu);
  // For a person: the two gradients.
  if (const char* out = std::getenv("KX2_TEST_OUTPUT"))
    Kx2GdiWriteDcPng(target_.dc(), present_test::WinPath(std::string(out) + "/present_gradients.png").c_str());
}

TEST_F(PresentShapePainter, TheStrokeLiesOutsideAPicture) {
  present_test::TempFolder folder;
  const std::string file = folder.File("green.png");
  present_test::WritePng(file, 10, 10, {{0, 0, 10, 10, 0xFF00FF00}});
  class Owner final : public IPresentCanvasOwner {
   public:
    std::u16string path;
    BOOL GetBinaryDataFile(LONG, VtlPathBuffer* out) override {
      std::copy(path.begin(), path.end(), out->text);
      out->text[path.size()] = 0;
      return TRUE;
    }
    BOOL DrawText(const void*, LONG, LONG, POINT) override { return TRUE; }
  } owner;
  owner.path = present_test::WinPath(file);
  canvas_->SetOwner(&owner);
  HandStyle style;
  style.fill.type = 1;
  style.fill.solidColor = HandStyle::Rgb(0xFFFF0000);
  style.lineFill.type = 1;
  style.lineFill.solidColor = HandStyle::Rgb(0xFF0000FF);
  style.line.width = 6 * 9525;  // 6 px
  style.picture.binDataId = 3;
  ASSERT_EQ(
      PaintFigure(style, 402, 40, 40, 100, 100, FigurePaint::kFill | FigurePaint::kPicture | FigurePaint::kStroke), 0);
  EXPECT_EQ(target_.At(90, 90), 0x00FF00u);  // the picture inside
  EXPECT_EQ(target_.At(41, 90), 0x00FF00u);  // up to the figure's edge
  EXPECT_EQ(target_.At(38, 90), 0x0000FFu);  // the line just outside it
  EXPECT_EQ(target_.At(32, 90), 0xFFFFFFu);
  canvas_->SetOwner(nullptr);
  // No image: the picture step answers 25, the stroke still runs.
  style.picture.binDataId = 4;
  EXPECT_EQ(PaintFigure(style, 402, 150, 150, 30, 30, FigurePaint::kPicture), 25);
}

TEST_F(PresentShapePainter, ThePlaceholderKeepsItsSizeInADashedFrame) {
  present_test::TempFolder folder;
  const std::string file = folder.File("stand-in.png");
  present_test::WritePng(file, 10, 10, {{0, 0, 10, 10, 0xFF00FF00}});
  // The picture's own file is refused: the placeholder (-1) stands in.
  class Owner final : public IPresentCanvasOwner {
   public:
    std::u16string path;
    BOOL GetBinaryDataFile(LONG id, VtlPathBuffer* out) override {
      if (id != -1) return FALSE;
      std::copy(path.begin(), path.end(), out->text);
      out->text[path.size()] = 0;
      return TRUE;
    }
    BOOL DrawText(const void*, LONG, LONG, POINT) override { return TRUE; }
  } owner;
  owner.path = present_test::WinPath(file);
  canvas_->SetOwner(&owner);
  HandStyle style;
  style.picture.binDataId = 3;
  LuminarJournalClear();
  LuminarJournalEnable(TRUE);
  ASSERT_EQ(PaintFigure(style, 402, 40, 40, 100, 100, FigurePaint::kPicture), 0);
  LuminarJournalEnable(FALSE);
  const std::string journal = Journal();
  EXPECT_NE(journal.find("DrawRectangle"), std::string::npos) << journal;
  EXPECT_NE(journal.find("DrawImageRect 10x10"), std::string::npos) << journal;
  EXPECT_EQ(target_.At(90, 90), 0x00FF00u);  // the stand-in at its own size, centred
  EXPECT_NE(target_.At(84, 90), 0x00FF00u);
  // The frame's edges and diagonals are inked somewhere along their length.
  auto inked = [&](auto point) {
    for (int i = 10; i < 90; ++i)
      if (target_.At(point(i).x, point(i).y) != 0xFFFFFFu) return true;
    return false;
  };
  EXPECT_TRUE(inked([](int i) { return POINT{40, 40 + i}; }));       // the left edge
  EXPECT_TRUE(inked([](int i) { return POINT{40 + i, 40 + i}; }));   // a diagonal
  EXPECT_TRUE(inked([](int i) { return POINT{140 - i, 40 + i}; }));  // the other
  EXPECT_EQ(target_.At(60, 50), 0xFFFFFFu);                          // nothing between
  canvas_->SetOwner(nullptr);
}

TEST_F(PresentShapePainter, ShadowsAreSharpUpToTwoPixelsOfBlur) {
  HandStyle style;
  style.fill.type = 1;
  style.fill.solidColor = HandStyle::Rgb(0xFFFFFFFF);
  style.shadow.type = 1;
  style.shadow.color = HandStyle::Rgb(0xFF000000);
  style.shadow.distance = 10 * 9525;  // 10 px to the right
  const struct {
    float blur;
    bool soft;
  } cases[] = {{19050, false}, {28575 * 2, true}};
  float y = 10;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.blur);
    style.shadow.blur = c.blur;
    ASSERT_EQ(PaintFigure(style, 402, 20, y, 60, 60, FigurePaint::kFill | FigurePaint::kShadow), 0);
    const uint32_t inside = target_.At(85, int(y) + 30);  // shadow beyond the figure's right edge
    const uint32_t edge = target_.At(90, int(y) + 30);    // the shadow's own right edge
    EXPECT_EQ(inside, 0x000000u);
    if (c.soft)
      EXPECT_NE(edge & 0xFF, 0u);  // softened
    else
      EXPECT_EQ(target_.At(91, int(y) + 30), 0xFFFFFFu);
    y += 90;
  }
}

TEST_F(PresentShapePainter, AnInnerShadowStaysInsideTheFigure) {
  HandStyle style;
  style.fill.type = 1;
  style.fill.solidColor = HandStyle::Rgb(0xFFFFFFFF);
  style.shadow.type = 10;  // inside
  style.shadow.color = HandStyle::Rgb(0xFF000000);
  style.shadow.distance = 8 * 9525;
  ASSERT_EQ(PaintFigure(style, 402, 50, 50, 80, 80, FigurePaint::kFill | FigurePaint::kShadow), 0);
  EXPECT_EQ(target_.At(45, 90), 0xFFFFFFu);  // nothing outside
  EXPECT_EQ(target_.At(135, 90), 0xFFFFFFu);
  EXPECT_EQ(target_.At(90, 90), 0xFFFFFFu);  // the middle stays lit
  // The figure's hole lies the distance away against the angle (0: to the left), so the shadow
  // shows along the inner right edge.
  EXPECT_EQ(target_.At(126, 90), 0x000000u);
  EXPECT_EQ(target_.At(53, 90), 0xFFFFFFu);
  // Nothing without distance and with a blur of 2 px or less.
  style.shadow.distance = 0;
  style.shadow.blur = 19050 / 2;
  LuminarJournalClear();
  LuminarJournalEnable(TRUE);
  ASSERT_EQ(PaintFigure(style, 402, 50, 150, 20, 20, FigurePaint::kFill | FigurePaint::kShadow), 0);
  LuminarJournalEnable(FALSE);
  EXPECT_EQ(Journal().find("DrawImageRect"), std::string::npos);
}

TEST_F(PresentShapePainter, AtZoomNearOneTheShadowBitmapKeepsItsSize) {
  HandStyle style;
  style.fill.type = 1;
  style.fill.solidColor = HandStyle::Rgb(0xFFFFFFFF);
  style.shadow.type = 1;
  style.shadow.color = HandStyle::Rgb(0xFF000000);
  LuminarJournalClear();
  LuminarJournalEnable(TRUE);
  ASSERT_EQ(PaintFigure(style, 402, 20, 20, 40, 30, FigurePaint::kFill | FigurePaint::kShadow, 0.995f), 0);
  LuminarJournalEnable(FALSE);
  const std::string journal = Journal();
  // The figure is 39.8 x 29.85 px at this zoom; its bitmap 40 x 30 is drawn as it is.
  EXPECT_NE(journal.find("DrawImageRect 40x30 status 0"), std::string::npos) << journal;
}

}  // namespace

namespace {

using namespace Present::Painting;

int Count(const std::string& journal, const std::string& call) {
  int n = 0;
  for (size_t at = journal.find(call + " "); at != std::string::npos; at = journal.find(call + " ", at + 1)) ++n;
  return n;
}

class PresentFeedback : public PresentPainters {
 protected:
  std::string Run(const std::function<void(PaintContext&)>& paint) {
    PaintContext context = canvas_->Drawing()->MakePaintContext();
    context.originX = context.originY = 0;
    LuminarJournalClear();
    LuminarJournalEnable(TRUE);
    paint(context);
    LuminarJournalEnable(FALSE);
    return Journal();
  }
};

TEST_F(PresentFeedback, FocusOutlinesAreAtLeastFourWide) {
  DeviceMap map;
  EXPECT_EQ(FocusOutlineWidth(0, map), 4.0f);         // no line
  EXPECT_EQ(FocusOutlineWidth(9525, map), 4.0f);      // a hairline
  EXPECT_EQ(FocusOutlineWidth(3 * 9525, map), 5.0f);  // 3 wide
  const uint32_t style = present_test::SolidShape(0xFFFFFFFFu, 0xFF000000u, 150);
  PresentNode node = Sync(canvas_, 402, 3600, 3600, {}, nullptr, LONG(style));
  // Without 0x100 or 0x200, or without 0x02, nothing is drawn.
  for (DWORD flags : {0x02u, 0x300u}) {
    node->flags = flags;
    const std::string journal = Run([&](PaintContext& c) { EXPECT_EQ(PaintOutlineHighlight(c, *node, {}), 0); });
    EXPECT_TRUE(journal.empty()) << journal;
  }
  node->flags = 0x302;
  const std::string both = Run([&](PaintContext& c) { EXPECT_EQ(PaintOutlineHighlight(c, *node, {}), 0); });
  EXPECT_EQ(Count(both, "FillPolygon"), 1);
  EXPECT_EQ(Count(both, "DrawPolygon"), 2);  // the pick hairline, then the focus outline
}

TEST_F(PresentFeedback, FocusAndPickFollowTheNodesFlags) {
  // A white figure on white: only the highlight shows.
  const uint32_t style = present_test::SolidShape(0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0);
  PresentNode node = Sync(canvas_, 402, 7200, 7200, {}, nullptr, LONG(style));  // 96 x 96 px
  ASSERT_TRUE(Place(canvas_, node, 1500, 1500, 7200, 7200));                    // at (20, 20) px
  const struct {
    DWORD flags;
    uint8_t state;      // the selection entry's: 0x22 is the focused selection
    uint32_t edge;      // on the left edge of the bounds
    bool centreTinted;  // the pick fill
  } cases[] = {
      {0x101, 0x22, 0x2486F6u, false}, {0x101, 0x02, 0x91C2FAu, false}, {0x201, 0x22, 0, true},
      {0x301, 0x02, 0x91C2FAu, true},  {0x300, 0x22, 0xFFFFFFu, false},  // no paint bit: nothing
      {0x001, 0x22, 0xFFFFFFu, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.flags << " state " << int(c.state));
    node->flags = c.flags;
    canvas_->Drawing()->ClearSelection();
    ASSERT_TRUE(canvas_->Drawing()->SetEntry(SelectionEntry{node, 190500, 190500, c.state, 1}));
    target_.Clear();
    ASSERT_TRUE(Paint());
    if (c.edge) {
      EXPECT_EQ(target_.At(20, 68), c.edge);
    }
    const uint32_t centre = target_.At(68, 68);
    if (c.centreTinted) {
      EXPECT_NE(centre, 0xFFFFFFu);
      EXPECT_GT(centre & 0xFF, (centre >> 16) & 0xFF);  // bluish
    } else {
      EXPECT_EQ(centre, 0xFFFFFFu);
    }
  }
  canvas_->Drawing()->ClearSelection();
  // The canvas's flag 0x02 keeps it quiet.
  node->flags = 0x301;
  canvas_->Drawing()->modeFlags |= 0x02;
  const std::string quiet = Run([&](PaintContext& ctx) {
    EXPECT_EQ(Present::Painting::PaintFocusAndPick(ctx, *node, RectF{20, 20, 96, 96}, true), 0);
  });
  EXPECT_TRUE(quiet.empty()) << quiet;
}

TEST_F(PresentFeedback, DroppingModesDrawTheirZones) {
  const uint32_t style = present_test::SolidShape(0xFFFFFFFFu, 0xFF000000u, 150);
  PresentNode node = Sync(canvas_, 402, 3600, 3600, {}, nullptr, LONG(style));
  const struct {
    int32_t mode;
    int fills, frames, lines;
  } cases[] = {{5, 0, 1, 0}, {0, 1, 2, 3}, {6, 1, 2, 3}, {1, 2, 2, 3}, {4, 2, 2, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    const std::string journal = Run([&](PaintContext& ctx) {
      PaintDroppingFeedback(ctx, node, PointF{95250, 95250}, RectF{0, 0, 952500, 476250}, c.mode);
    });
    EXPECT_EQ(Count(journal, "FillRectangle"), c.fills);
    EXPECT_EQ(Count(journal, "DrawRectangle"), c.frames);
    EXPECT_EQ(Count(journal, "DrawLine"), c.lines);
  }
}

TEST_F(PresentFeedback, TheFreeLineOnlyForTwoControlPoints) {
  const PointF controls[3] = {{95250, 95250}, {952500, 95250}, {952500, 952500}};
  const RectF source{0, 0, 95250, 95250};
  for (int32_t count : {0, 1, 2, 3}) {
    SCOPED_TRACE(count);
    const std::string journal =
        Run([&](PaintContext& c) { PaintRelatingFeedback(c, &source, nullptr, controls, count); });
    EXPECT_EQ(Count(journal, "DrawLine"), count == 2 ? 1 : 0);
    EXPECT_EQ(Count(journal, "DrawImageRect"), count);  // a marker on every point
  }
}

TEST_F(PresentFeedback, JoiningTwoTopicsShowsTheirConnectionSites) {
  const uint32_t style = present_test::SolidShape(0xFFFFFFFFu, 0xFF000000u, 150);
  PresentNode from = Sync(canvas_, 402, 3600, 3600, {}, nullptr, LONG(style));  // 48 x 48 px, 8 sites
  PresentNode to = Sync(canvas_, 406, 3600, 3600, {}, nullptr, LONG(style));    // a diamond, 4 sites
  ASSERT_EQ(from->geometry->sites.items.size(), 8u);
  ASSERT_EQ(to->geometry->sites.items.size(), 4u);
  RelatingBox& box = canvas_->Drawing()->preview.relating;
  box.fromPoint = PointF{190500, 190500};  // (20, 20) px
  box.toPoint = PointF{1047750, 1047750};  // (110, 110) px
  const PointF ends[2] = {{400000, 400000}, {1000000, 1000000}};
  const std::string joined = Run([&](PaintContext& c) {
    EXPECT_EQ(Present::Painting::EnginePainters().PaintRelatingBox(c, from, to, ends, 2, 0), 0);
  });
  EXPECT_EQ(Count(joined, "DrawRectangle"), 2);          // the two frames
  EXPECT_EQ(Count(joined, "DrawImageRect"), 8 + 4 + 2);  // sites of both, then the markers
  EXPECT_EQ(Count(joined, "DrawLine"), 0);               // no free line with a target
  // The diamond's top vertex at (134, 110) px carries a site marker.
  bool inked = false;
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) inked |= target_.At(134 + dx, 110 + dy) != 0xFFFFFFu;
  EXPECT_TRUE(inked);
  // Without a target: no sites.
  const std::string free = Run([&](PaintContext& c) {
    EXPECT_EQ(Present::Painting::EnginePainters().PaintRelatingBox(c, from, nullptr, ends, 2, 0), 0);
  });
  EXPECT_EQ(Count(free, "DrawImageRect"), 2);
  box = RelatingBox{};
}

TEST_F(PresentFeedback, TheMovingBoxDrawsItsBranchFromTheAnchor) {
  const uint32_t style = present_test::SolidShape(0xFFFFFFFFu, 0xFF000000u, 0, 0);
  PresentNode node = Sync(canvas_, 402, 3600, 3600, {}, nullptr, LONG(style));  // 48 x 48 px
  MovingBox& box = canvas_->Drawing()->preview.moving;
  const PointF at{190500, 190500};                       // moved to (20, 20) px
  const RectF target{1428750, 1428750, 285750, 285750};  // (150, 150) px, 30 x 30
  const struct {
    uint32_t kind;
    uint8_t anchor;
    int lines, fills;  // the branch stroked, or filled (with the target's fill)
  } cases[] = {{100, 5, 1, 1}, {106, 5, 1, 1}, {107, 5, 0, 2}, {0, 5, 0, 1}, {300, 5, 0, 1}, {100, 200, 1, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind << " anchor " << int(c.anchor));
    box.branchKind = c.kind;
    box.anchor = c.anchor;
    target_.Clear();
    const std::string journal = Run([&](PaintContext& ctx) {
      EXPECT_EQ(Present::Painting::EnginePainters().PaintMovingBranch(ctx, *node, at, target, false), 0);
    });
    EXPECT_EQ(Count(journal, "DrawLines"), c.lines);
    EXPECT_EQ(Count(journal, "FillPolygon") + Count(journal, "FillRectangle"), c.fills);
  }
  // Anchor 5 starts the branch at the right middle (68, 44) px; a straight one runs from there.
  box.branchKind = 100;
  box.anchor = 5;
  target_.Clear();
  Run([&](PaintContext& ctx) { Present::Painting::EnginePainters().PaintMovingBranch(ctx, *node, at, target, false); });
  const uint32_t leg = target_.At(90, 71);  // the straight branch towards the target centre (165, 165)
  EXPECT_NE(leg, 0xFFFFFFu);
  EXPECT_GT((leg >> 8) & 0xFF, (leg >> 16) & 0xFF);  // the plain colour is green
  EXPECT_EQ(target_.At(90, 30), 0xFFFFFFu);
  box = MovingBox{};
}

TEST_F(PresentFeedback, TheRubberBandIsFilledAndOutlined) {
  const std::string journal = Run([&](PaintContext& c) {
    EXPECT_EQ(PaintSelectingBand(c, RectF{95250, 95250, 952500, 476250}), 0);
  });
  EXPECT_EQ(Count(journal, "FillRectangle"), 1);
  EXPECT_EQ(Count(journal, "DrawRectangle"), 1);
  EXPECT_NE(target_.At(50, 30), 0xFFFFFFu);
}

}  // namespace

namespace {

class PresentBitmaps : public PresentFeedback {
 protected:
  present_test::Pixels Read(HBITMAP bitmap) {
    const std::string path = folder_.File("row.png");
    EXPECT_TRUE(Kx2GdiWriteBitmapPng(bitmap, present_test::WinPath(path).c_str()));
    return present_test::ReadPng(path);
  }
  present_test::TempFolder folder_;
};

TEST_F(PresentBitmaps, ObjectRowsPaintOneKindInEveryStyle) {
  const LONG styles[3] = {LONG(present_test::SolidShape(0xFFFF0000u, 0xFF000000u, 100)),
                          LONG(present_test::SolidShape(0xFF00FF00u, 0xFF000000u, 100)),
                          LONG(present_test::SolidShape(0xFF0000FFu, 0xFF000000u, 100))};
  PresentObjectBitmapInfo info{402, 3, styles, nullptr, 40, 30, 5, 5, 0xFFFFFFFFu, nullptr};
  ASSERT_TRUE(canvas_->RenderObjectBitmap(&info));
  ASSERT_NE(info.bitmap, nullptr);
  const present_test::Pixels row = Read(info.bitmap);
  DeleteObject(info.bitmap);
  ASSERT_EQ(row.width, 120);
  ASSERT_EQ(row.height, 30);
  EXPECT_TRUE(present_test::NearRgb(row.Rgb(20, 15), 0xFF0000));
  EXPECT_TRUE(present_test::NearRgb(row.Rgb(60, 15), 0x00FF00));
  EXPECT_TRUE(present_test::NearRgb(row.Rgb(100, 15), 0x0000FF));
  EXPECT_TRUE(present_test::NearRgb(row.Rgb(1, 1), 0xFFFFFF));

  // Three branch cells: six end circles.
  const std::string journal = Run([&](PaintContext&) {
    PresentObjectBitmapInfo branches{100, 3, styles, nullptr, 40, 30, 5, 5, 0xFFFFFFFFu, nullptr};
    ASSERT_TRUE(canvas_->RenderObjectBitmap(&branches));
    DeleteObject(branches.bitmap);
  });
  EXPECT_EQ(Count(journal, "FillEllipse"), 6);

  PresentObjectBitmapInfo boundary{305, 3, styles, nullptr, 40, 30, 5, 5, 0xFFFFFFFFu, nullptr};
  EXPECT_FALSE(canvas_->RenderObjectBitmap(&boundary));
  EXPECT_EQ(boundary.bitmap, nullptr);
  // A row past the largest bitmap side is refused.
  PresentObjectBitmapInfo wide{402, 3, styles, nullptr, 20000, 30, 5, 5, 0xFFFFFFFFu, nullptr};
  EXPECT_FALSE(canvas_->RenderObjectBitmap(&wide));
  EXPECT_EQ(wide.bitmap, nullptr);
  EXPECT_FALSE(canvas_->RenderObjectBitmap(nullptr));
}

TEST_F(PresentBitmaps, StripsHaveTheirTypesCells) {
  PresentStripInfo strip{};
  strip.solidColor = 0xFF336699u;
  strip.stopCount = 2;
  strip.stopColors[0][0] = 0xFFFF0000u;
  strip.stopColors[0][1] = 0xFF0000FFu;
  strip.stopPositions[0][1] = 1;
  strip.stopColors[1][0] = 0xFF00FF00u;
  strip.stopColors[1][1] = 0xFF000000u;
  strip.stopPositions[1][1] = 1;
  strip.background = 0xFFFFFFFFu;
  const struct {
    uint8_t type;
    int32_t cells;
  } cases[] = {{0, 8}, {1, 5}, {2, 5}, {3, 14}, {4, 27}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.type));
    strip.type = c.type;
    strip.cellSize = 16;
    ASSERT_TRUE(designer_->RenderStripImage(&strip));
    EXPECT_EQ(strip.drawn, c.cells);
    const present_test::Pixels row = Read(strip.bitmap);
    DeleteObject(strip.bitmap);
    EXPECT_EQ(row.width, 16 * c.cells);
    EXPECT_EQ(row.height, 16);
    EXPECT_TRUE(present_test::NearRgb(row.Rgb(0, 0), 0xFFFFFF));  // the tenth around each cell
  }
  strip.type = 3;
  ASSERT_TRUE(designer_->RenderStripImage(&strip));
  const present_test::Pixels typed = Read(strip.bitmap);
  DeleteObject(strip.bitmap);
  EXPECT_TRUE(present_test::NearRgb(typed.Rgb(8, 8), 0x336699));  // cell 0: the solid colour
  strip.cellSize = 2;
  EXPECT_FALSE(designer_->RenderStripImage(&strip));
  EXPECT_EQ(strip.bitmap, nullptr);
  EXPECT_EQ(strip.drawn, 0);
  strip.cellSize = 16;
  strip.stopCount = 0;
  EXPECT_FALSE(designer_->RenderStripImage(&strip));
  strip.stopCount = 2;
  strip.type = 5;
  EXPECT_FALSE(designer_->RenderStripImage(&strip));
}

TEST_F(PresentBitmaps, HalfTransparentPicturesRecolourWithAlpha127) {
  Present::Style::PictureRecord picture;
  picture.transparency = 0.5f;
  const NativeRecolorRecord record = Present::Rendering::RecolorRecordOf(picture, 16, 16, nullptr);
  EXPECT_EQ(record.alpha, 127);
  EXPECT_EQ(record.color, 0xFF808080u);  // no recolour colour: the engine's default
  PresentImageBitmapInfo none{1, nullptr, 16, 16, nullptr};
  EXPECT_FALSE(canvas_->RenderImageBitmap(&none));  // no owner
}

}  // namespace

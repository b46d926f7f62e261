// The calligraphy on a native render over a DC: lines in host units (width, double strokes),
// rectangles between their corners, and text in host units, black on white without palette.
#include <gtest/gtest.h>

#include <luminar/Luminar.h>
#include <luminar/LuminarTesting.h>

#include <plastrum/present/designer/Designer.h>
#include <plastrum/present/shell/present_context.h>
#include <plastrum/present/text/Calligraphy.h>
#include <plastrum/present/text/Typography.h>

#include "text_layout_support.h"

using namespace Present::Text;
using texttest::Canvas;
using texttest::MakeFormat;

namespace {

class CalligraphyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(InitFontConfiguration(), 0);
    render_ = GetNativeRender();
    ASSERT_TRUE(NativeCreateRenderDC(render_, canvas.dc()));
    calligraphy_ = Present::NewCalligraphy(ContextCalligraphySettings(render_, 96, 96, 0, 0));
    ASSERT_NE(calligraphy_, nullptr);
    renders_ = LuminarLiveHandles(kLuminarRender);
  }
  void TearDown() override {
    Present::FreeCalligraphy(calligraphy_);
    EXPECT_EQ(LuminarLiveHandles(kLuminarRender), renders_ - 1);  // the owned render went with it
    EXPECT_EQ(LuminarLiveHandles(kLuminarPen), 0);
    EXPECT_EQ(LuminarLiveHandles(kLuminarBrush), 0);
  }
  // Rows of column x with ink.
  std::pair<int, int> InkRows(int x) {
    int top = -1, bottom = -1;
    for (int y = 0; y < 128; ++y)
      if (canvas.Pixel(x, y) != 0xFFFFFF) {
        if (top < 0) top = y;
        bottom = y;
      }
    return {top, bottom};
  }

  Canvas canvas{256, 128};
  NativeRender render_ = nullptr;
  IPresentCalligraphy* calligraphy_ = nullptr;
  LONG renders_ = 0;
};

}  // namespace

TEST_F(CalligraphyTest, LinesInHostUnits) {
  const POINT a{720, 3600}, b{14400, 3600};
  ASSERT_TRUE(calligraphy_->DrawLine(&a, &b, 0xFF0000FF, 0, 0, 0, 600));
  auto [top, bottom] = InkRows(100);
  EXPECT_NEAR(bottom - top + 1, 8, 1);  // 600 host units at 96 dpi
  EXPECT_NEAR((top + bottom + 1) / 2.0, 48, 1);
  EXPECT_EQ(canvas.Pixel(100, 48), 0xFF0000u);  // blue, as a GDI colour
  RECT all{0, 0, 256, 128};
  FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ASSERT_TRUE(calligraphy_->DrawLine(&a, &b, 0xFF0000FF, 0, 0, 1, 600));
  std::tie(top, bottom) = InkRows(100);
  // Two strokes of 8 pixels, 2.664 above and below the middle line: 41.3 .. 54.7.
  EXPECT_NEAR(top, 41, 1);
  EXPECT_NEAR(bottom, 54, 1);
}

TEST_F(CalligraphyTest, RectanglesRunBetweenTheirCornersWhicheverComesFirst) {
  const RECT backwards{14400, 7200, 7200, 3600};  // x1 < x0 and y1 < y0
  ASSERT_TRUE(calligraphy_->FillRectangle(&backwards, 0xFF00FF00, 0));
  EXPECT_EQ(canvas.Pixel(100, 60), 0x00FF00u);
  EXPECT_EQ(canvas.Pixel(90, 60), 0xFFFFFFu);
  EXPECT_EQ(canvas.Pixel(196, 60), 0xFFFFFFu);
  EXPECT_EQ(canvas.Pixel(100, 44), 0xFFFFFFu);
  const RECT marked{720, 720, 3600, 3600};
  ASSERT_TRUE(calligraphy_->DrawRectangle(&marked));
  const COLORREF inside = canvas.Pixel(30, 30);
  EXPECT_NE(inside, 0xFFFFFFu);  // a quarter of 0x2486F6 over white
  EXPECT_GT(inside & 0xFF, 0xC0u);
  EXPECT_EQ(calligraphy_->FillRectangle(nullptr, 0, 0), TRUE);
}

TEST_F(CalligraphyTest, TextWithoutPaletteIsBlackOnWhite) {
  TextObject* font = Present::GetPresentTypography()->NewTextObject(
      std::make_unique<TextFormat>(MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", -1500)).get());
  ASSERT_NE(font, nullptr);
  CalligraphyText record{font, 720, 720, 0, 0x000000FF, 0, 0, 0x10000000};  // blue text asked for
  const std::u16string text = u"Hello";
  ASSERT_TRUE(calligraphy_->DrawText(&record, text.c_str(), 5, nullptr, nullptr));
  EXPECT_GT(canvas.CountColour(0x000000), 10);
  EXPECT_EQ(canvas.CountColour(0xFF0000, 60), 0);
  EXPECT_GT(canvas.Ink(10, 5, 100, 40), 50);  // at 720 host units: 9.6 pixels in
  EXPECT_EQ(canvas.Ink(0, 0, 9, 128), 0);

  SIZE extent{};
  std::vector<int32_t> cumulative(5);
  ASSERT_TRUE(calligraphy_->MeasureText(&record, text.c_str(), 5, cumulative.data(), &extent, 0));
  EXPECT_EQ(extent.cx, cumulative[4]);
  EXPECT_GT(extent.cx, 40 * 75);  // host units: more than 40 pixels
  EXPECT_LT(extent.cx, 120 * 75);
  TextOutlineMetrics m{};
  m.size = sizeof m;
  EXPECT_TRUE(calligraphy_->GetOutlineMetrics(&record, 0, &m));
  EXPECT_GT(m.ascent, 900);  // host units
  CalligraphyText none = record;
  none.font = nullptr;
  EXPECT_FALSE(calligraphy_->DrawText(&none, text.c_str(), 5, nullptr, nullptr));
  EXPECT_TRUE(Present::GetPresentTypography()->FreeTextObject(font));
  canvas.Save("text_calligraphy.png");
}

TEST_F(CalligraphyTest, PaletteColoursTextAndTheBackgroundFillsTheRectangle) {
  BYTE palette[144] = {};
  palette[12 * 3 + 6] = 0xFF;  // entry 3: opaque red
  palette[12 * 3 + 7] = 0xFF;
  calligraphy_->SetPalette(palette);
  TextObject* font = Present::GetPresentTypography()->NewTextObject(
      std::make_unique<TextFormat>(MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", -1500, 700)).get());
  CalligraphyText record{font, 720, 720, 0, 3, 0x05000000, 0x00FFFF00, 0};  // scheme 3; yellow background
  const RECT box{360, 360, 9000, 3600};
  ASSERT_TRUE(calligraphy_->DrawText(&record, u"Mm", 2, nullptr, &box));
  EXPECT_GT(canvas.CountColour(0x0000FF), 20);  // red text
  EXPECT_EQ(canvas.Pixel(110, 40), 0x00FFFFu);  // yellow background inside the box
  Present::GetPresentTypography()->FreeTextObject(font);
}

TEST(DesignerCalligraphy, MadeForTheDesignersContextsAndFreedOnlyByIt) {
  ASSERT_EQ(InitFontConfiguration(), 0);
  Canvas canvas(128, 64);
  Presentation designer;
  IPresentContext* context = designer.NewContext();
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(designer.NewContextCalligraphy(context), nullptr);  // no device yet
  context->SetDevice(canvas.dc());
  const LONG renders = LuminarLiveHandles(kLuminarRender);
  IUnknown* made = designer.NewContextCalligraphy(context);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(LuminarLiveHandles(kLuminarRender), renders + 1);
  auto* calligraphy = static_cast<IPresentCalligraphy*>(made);
  const RECT box{720, 720, 2160, 2160};
  calligraphy->FillRectangle(&box, 0xFF00FF00, 0);
  EXPECT_EQ(canvas.Pixel(15, 15), 0x00FF00u);
  designer.FreeCalligraphy(nullptr);
  designer.FreeCalligraphy(reinterpret_cast<IUnknown*>(&canvas));  // not one of its own: ignored
  designer.FreeCalligraphy(made);
  EXPECT_EQ(LuminarLiveHandles(kLuminarRender), renders);
  EXPECT_EQ(designer.NewContextCalligraphy(nullptr), nullptr);
  designer.FreeContext(context);
}

TEST(CalligraphySettings, ResolutionsOfAPaintRecordAndOfAContext) {
  const CalligraphySettings plain = PaintCalligraphySettings(nullptr, 96.4f, 120.0f, true, 2.0f, 3.0f, 10.9f, -3.7f);
  EXPECT_EQ(plain.textResolutionX, 96);
  EXPECT_FLOAT_EQ(plain.textScaleY, 120.0f);
  EXPECT_EQ(plain.originX, 10);
  EXPECT_EQ(plain.originY, -3);
  EXPECT_FALSE(plain.ownsRender);
  const CalligraphySettings zoomed = PaintCalligraphySettings(nullptr, 96.0f, 96.0f, false, 1.5f, 2.5f, 0, 0);
  EXPECT_EQ(zoomed.textResolutionX, 144);
  EXPECT_EQ(zoomed.textResolutionY, 240);
  EXPECT_EQ(zoomed.drawingResolutionX, 96);  // drawing stays at the record's resolution
  const CalligraphySettings context = ContextCalligraphySettings(nullptr, 192.6f, 96.0f, 1.0f, 2.0f);
  EXPECT_TRUE(context.ownsRender);
  EXPECT_EQ(context.textResolutionX, 193);
  EXPECT_EQ(context.drawingResolutionX, 193);
  EXPECT_FLOAT_EQ(context.drawingScaleX, 192.6f);
}

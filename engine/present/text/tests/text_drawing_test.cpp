// Text drawing through the GDI journal and ink probes: the passes of each effect, the
// extrusion steps and their bound, the outline pens, spaces, vertical columns and the two
// colour operations.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "text_layout_support.h"

using namespace Present::Text;
using texttest::Bound;
using texttest::Canvas;
using texttest::MakeFormat;

namespace {

class TextDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(InitFontConfiguration(), 0);
    Kx2GdiJournalClear();
  }
  void TearDown() override { Kx2GdiJournalEnable(FALSE); }

  std::vector<std::string> Draw(Bound& b, const std::u16string& text, int x, int y) {
    Kx2GdiJournalClear();
    Kx2GdiJournalEnable(TRUE);
    EXPECT_TRUE(DrawTextRuns(text.c_str(), b.context, x, y, 0, nullptr, static_cast<int>(text.size()), nullptr));
    Kx2GdiJournalEnable(FALSE);
    return texttest::Journal();
  }

  static std::pair<int, int> At(const std::string& line) {
    int x = 0, y = 0;
    std::sscanf(line.c_str(), "ExtTextOutW %d,%d", &x, &y);
    return {x, y};
  }

  Canvas canvas{256, 64};
};

// The line height of the format's slot 0 font as the layout measures it.
int LineHeightOf(HDC dc, const TextFormat& f) {
  Bound b(dc, f);
  SelectSlotFont(-1, 0, b.context, 0);
  return GetLineHeight(b.context);
}

}  // namespace

TEST_F(TextDrawingTest, ExtrudedShadowIsDrawnAtEachThirdOfItsVector) {
  TextFormat f = MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 20, 400, kFormatShadow);
  const int h = LineHeightOf(canvas.dc(), f);
  ASSERT_GT(h, 0);
  int16_t percent = 1;
  while (h * percent / 100 < 2) ++percent;
  ASSERT_EQ(h * percent / 100, 2);
  f.shadowKind = 2;
  f.shadowOffsetX = f.shadowOffsetY = percent;
  Bound b(canvas.dc(), f);
  const auto lines = Draw(b, u"Ab", 10, 10);
  ASSERT_EQ(lines.size(), 4u);
  const std::pair<int, int> want[] = {{10, 10}, {11, 11}, {12, 12}, {10, 10}};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(At(lines[static_cast<size_t>(i)]), want[i]) << lines[static_cast<size_t>(i)];

  // Offsets of hundreds of line heights: the copies stay bounded, spread over the vector.
  f.shadowOffsetX = 32767;
  f.shadowOffsetY = -32768;
  Bound far(canvas.dc(), f);
  const auto many = Draw(far, u"Ab", 10, 10);
  EXPECT_EQ(many.size(), static_cast<size_t>(kMaxExtrusionCopies) + 1);
  EXPECT_EQ(At(many[kMaxExtrusionCopies - 1]).first, 10 + h * 32767 / 100);
}

TEST_F(TextDrawingTest, OutlineWithShadowDrawsTheShadowAndOneFilledPath) {
  TextFormat f = MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 48, 700, kFormatShadow | kFormatOutline);
  f.shadowOffsetX = f.shadowOffsetY = 8;
  f.shadowColor = 0x00FF0000;  // stored RGB: red
  f.outlinePen = 16;
  Bound b(canvas.dc(), f);
  b.context->textColor = 0xFF0000;  // blue
  b.context->backColor = 0x00FF00;  // green
  const auto lines = Draw(b, u"HI", 10, 4);
  ASSERT_EQ(lines.size(), 2u);  // the shadow and the path; no plain copy
  EXPECT_NE(At(lines[0]), At(lines[1]));
  EXPECT_GT(canvas.CountColour(0x0000FF), 20);      // the shadow shows beside the letters
  EXPECT_GT(canvas.CountColour(0x00FF00), 20);      // the path is filled with the background
  EXPECT_GT(canvas.CountColour(0xFF0000, 40), 20);  // and stroked in the text colour
  canvas.Save("text_outline_shadow.png");
}

TEST_F(TextDrawingTest, OutlinePensThatNameNoStyleDrawSolid) {
  for (uint8_t pen : {uint8_t{0}, uint8_t{2}, uint8_t{7}, uint8_t{9}, uint8_t{15}, uint8_t{16}, uint8_t{200}}) {
    Canvas c(128, 64);
    TextFormat f = MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 40, 700, kFormatOutline);
    f.outlinePen = pen;
    Bound b(c.dc(), f);
    ASSERT_TRUE(DrawTextRuns(u"H", b.context, 10, 10, 0, nullptr, 1, nullptr));
    EXPECT_GT(c.Ink(0, 0, 128, 64), 30) << int(pen);
    EXPECT_EQ(c.Pixel(20, 30), 0xFFFFFFu) << "an outline is hollow";
  }
}

TEST_F(TextDrawingTest, EmbossKeepsTheDarkerCopyVisibleAndCoversTheLighterOne) {
  TextFormat f = MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 48, 700, kFormatEmboss);
  Bound b(canvas.dc(), f);
  b.context->textColor = 0x808080;
  const auto lines = Draw(b, u"HE", 20, 4);
  ASSERT_EQ(lines.size(), 3u);
  const int e = EffectOffset(b.context);
  EXPECT_GE(e, 1);
  EXPECT_EQ(At(lines[1]).first, At(lines[0]).first - e);
  EXPECT_EQ(At(lines[2]), At(lines[1]));
  const COLORREF darker = DarkerTextColor(0x808080), lighter = LighterTextColor(0x808080);
  EXPECT_GT(canvas.CountColour(0x808080), 50);
  EXPECT_GT(canvas.CountColour(darker), 5);
  EXPECT_EQ(canvas.CountColour(lighter), 0);
  canvas.Save("text_emboss.png");
}

TEST_F(TextDrawingTest, ColourOperations) {
  EXPECT_EQ(LighterTextColor(0xFFFFFF), 0xFFFFFFu);
  const COLORREF d = DarkerTextColor(0xFFFFFF);
  EXPECT_EQ(d & 0xFF, (d >> 8) & 0xFF);
  EXPECT_NEAR(static_cast<int>(d & 0xFF), 153, 1);
  EXPECT_EQ(DarkerTextColor(0), 0u);
  const COLORREF blueish = LighterTextColor(0x800000);  // dark blue gets lighter, stays blue
  EXPECT_GT((blueish >> 16) & 0xFF, 0x80u);
  EXPECT_EQ(StoredColorToTextColor(0x00FF8000, 0, nullptr), 0x000080FFu);
  EXPECT_EQ(StoredColorToTextColor(0x00FF8000, 1, nullptr), 0u);  // low 16 bits of the kind
  EXPECT_EQ(StoredColorToTextColor(3, 0x05000000, nullptr), 0u);  // scheme without a palette
}

TEST_F(TextDrawingTest, SpacesOnlyMoveWhatFollows) {
  Bound b(canvas.dc(), MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 16));
  auto lines = Draw(b, u"ab   ", 5, 5);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("\"ab\""), std::string::npos);
  lines = Draw(b, u"   ab", 5, 5);  // leading spaces only move the text
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("\"ab\""), std::string::npos);
  EXPECT_GT(At(lines[0]).first, 5 + 6);
  lines = Draw(b, u"ab  cd \u6F22", 5, 5);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("\"abcd\""), std::string::npos);  // one call, the gap in the advances
  EXPECT_GT(At(lines[1]).first, 5 + 30);                    // the Han run after every Latin advance
}

TEST_F(TextDrawingTest, VerticalColumns) {
  Canvas tall(64, 256);
  Bound b(tall.dc(), MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 24, 400, kFormatVertical));
  Kx2GdiJournalEnable(TRUE);
  Kx2GdiJournalClear();
  ASSERT_TRUE(DrawTextRuns(u"\u6F22\u5B57\u3002((", b.context, 40, 4, 0, nullptr, 5, nullptr));
  Kx2GdiJournalEnable(FALSE);
  const auto lines = texttest::Journal();
  ASSERT_EQ(lines.size(), 4u);  // three upright characters one by one, then the rotated run
  EXPECT_EQ(At(lines[0]).first, 40);
  EXPECT_EQ(At(lines[1]).first, 40);
  EXPECT_GT(At(lines[1]).second, At(lines[0]).second);
  EXPECT_EQ(At(lines[2]).first, 40);                         // U+3002 keeps the column
  EXPECT_LT(At(lines[2]).second, At(lines[1]).second + 24);  // and is raised
  EXPECT_GT(tall.Ink(0, 0, 64, 256), 100);
  tall.Save("text_vertical.png");
}

TEST_F(TextDrawingTest, OpaqueRectangleAndNothingToDraw) {
  Bound b(canvas.dc(), MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 16));
  b.context->backColor = 0x0000FF;
  RECT r{100, 10, 200, 40};
  ASSERT_TRUE(DrawTextRuns(u"x", b.context, 110, 12, ETO_OPAQUE | ETO_CLIPPED, &r, 1, nullptr));
  EXPECT_EQ(canvas.Pixel(190, 35), 0x0000FFu);
  EXPECT_EQ(canvas.Pixel(90, 35), 0xFFFFFFu);
  EXPECT_FALSE(DrawTextRuns(u"x", b.context, 0, 0, 0, nullptr, 0, nullptr));
  EXPECT_FALSE(DrawTextRuns(nullptr, b.context, 0, 0, 0, nullptr, 1, nullptr));
  b.context->object = nullptr;
  EXPECT_FALSE(DrawTextRuns(u"x", b.context, 0, 0, 0, nullptr, 1, nullptr));
}

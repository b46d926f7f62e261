// Text layout: runs by slot, direction and rotation, fallback runs for missing glyphs,
// measuring (fixed pitch, regular-weight advances, supplementary advances), the context pool
// and the coordinate conversions.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

#include <plastrum/present/text/CharClass.h>
#include <plastrum/present/text/TextCaches.h>

#include "text_layout_support.h"

using namespace Present::Text;
using texttest::Bound;
using texttest::Canvas;
using texttest::MakeFormat;

namespace {

struct RunShape {
  uint32_t start, length, trailing;
  int slot, direction, rotated;
  bool override;
  bool operator==(const RunShape&) const = default;
};

std::ostream& operator<<(std::ostream& os, const RunShape& r) {
  return os << "{" << r.start << "," << r.length << "," << r.trailing << " slot " << r.slot << " dir " << r.direction
            << " rot " << r.rotated << (r.override ? " fallback" : "") << "}";
}

std::vector<RunShape> Runs(HDC dc, const std::u16string& text, uint16_t formatFlags = 0, uint32_t textFlags = 0,
                           const char16_t* face0 = u"DejaVu Sans") {
  Bound b(dc, MakeFormat(face0, u"WenQuanYi Micro Hei", 16, 400, formatFlags), textFlags);
  auto layout = std::make_unique<TextLayout>();
  layout->Prepare(text.c_str(), static_cast<uint32_t>(text.size()), (formatFlags & kFormatVertical) != 0, true);
  EXPECT_TRUE(BuildTextRuns(layout.get(), b.context));
  std::vector<RunShape> out;
  for (uint32_t i = 0; i < layout->RunCount(); ++i) {
    const TextRun& r = layout->Runs()[i];
    out.push_back({r.start, r.length, r.trailing, r.slot, r.direction, r.rotated, r.fontOverride >= 0});
  }
  return out;
}

// A character of slot 0 that DejaVu Sans lacks and WenQuanYi Micro Hei has.
char16_t MissingFromDejaVu() {
  const int sans = FindFace(u"DejaVu Sans"), wqy = FindFace(u"WenQuanYi Micro Hei");
  for (uint32_t c = 0x2000; c < 0x3000; ++c)
    if (SlotOfClass(GetTextCharClass(static_cast<char16_t>(c))) == 0 && !HasGlyph(0, sans, c) && HasGlyph(0, wqy, c))
      return static_cast<char16_t>(c);
  return 0;
}

class TextLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(InitFontConfiguration(), 0); }
  Canvas canvas{256, 64};
};

}  // namespace

TEST_F(TextLayoutTest, RunsByTextAndFlags) {
  const char16_t missing = MissingFromDejaVu();
  ASSERT_NE(missing, 0);
  struct Row {
    const char* name;
    std::u16string text;
    uint16_t formatFlags;
    uint32_t textFlags;
    std::vector<RunShape> runs;
  };
  const std::vector<Row> rows = {
      {"two runs", u"ab  cd", 0, 0, {{0, 4, 2, 0, 0, 0, false}, {4, 2, 0, 0, 0, 0, false}}},
      {"leading spaces", u"  ab", 0, 0, {{0, 2, 2, 0, 0, 0, false}, {2, 2, 0, 0, 0, 0, false}}},
      {"Hebrew then Latin",
       u"\u05E9\u05DC\u05D5\u05DDab",
       0,
       0,
       {{0, 4, 0, 0, 2, 0, false}, {4, 2, 0, 0, 0, 0, false}}},
      {"Latin then Han", u"ab\u6F22\u5B57", 0, 0, {{0, 2, 0, 0, 0, 0, false}, {2, 2, 0, 1, 0, 0, false}}},
      {"vertical: ( against Han",
       u"(\u6F22",
       kFormatVertical,
       0,
       {{0, 1, 0, 0, 0, 1, false}, {1, 1, 0, 1, 0, 0, false}}},
      {"vertical: Latin upright",
       u"ab\u6F22",
       kFormatVertical,
       0,
       {{0, 2, 0, 0, 0, 0, false}, {2, 1, 0, 1, 0, 0, false}}},
      {"vertical: Latin rotates with the flag",
       u"ab\u6F22",
       kFormatVertical,
       kTextLatinRotates,
       {{0, 2, 0, 0, 0, 1, false}, {2, 1, 0, 1, 0, 0, false}}},
      // A character beyond U+FFFF takes the class of its low 16 bits: U+1D538 goes with
      // Hangul (slot 1), whose face lacks it, so each pair gets a fallback run.
      {"a pair run",
       u"a\U0001D538\U0001D539 b",
       0,
       0,
       {{0, 1, 0, 0, 0, 0, false}, {1, 2, 0, 1, 1, 0, true}, {3, 3, 1, 1, 1, 0, true}, {6, 1, 0, 0, 0, 0, false}}},
      {"a missing glyph cuts its run; the last piece keeps the trailing spaces",
       std::u16string(u"ab") + missing + u"cd  x",
       0,
       0,
       {{0, 2, 0, 0, 0, 0, false},
        {2, 1, 0, 0, 0, 0, true},
        {3, 1, 0, 0, 0, 0, false},
        {4, 3, 2, 0, 0, 0, false},
        {7, 1, 0, 0, 0, 0, false}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Runs(canvas.dc(), r.text, r.formatFlags, r.textFlags), r.runs);
  }
}

TEST_F(TextLayoutTest, HanInALatinFaceFallsBackToTheSubFace) {
  // Slot 1's face is DejaVu Sans (it has the ANSI set, so it is kept): Han characters it lacks
  // each get a run drawn with WenQuanYi Micro Hei.
  Bound b(canvas.dc(), MakeFormat(u"DejaVu Sans", u"DejaVu Sans", 24));
  ASSERT_EQ(b.object.fontIndex[1], FindFace(u"DejaVu Sans"));
  const std::u16string text = u"\u6F22\u5B57";
  auto layout = std::make_unique<TextLayout>();
  layout->Prepare(text.c_str(), 2, false, true);
  BuildTextRuns(layout.get(), b.context);
  ASSERT_EQ(layout->RunCount(), 2u);
  for (uint32_t i = 0; i < 2; ++i) EXPECT_EQ(layout->Runs()[i].fontOverride, FindFace(u"WenQuanYi Micro Hei"));
  Kx2GdiJournalClear();
  Kx2GdiJournalEnable(TRUE);
  ASSERT_TRUE(DrawTextRuns(text.c_str(), b.context, 10, 10, 0, nullptr, 2, nullptr));
  Kx2GdiJournalEnable(FALSE);
  const auto lines = texttest::Journal();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("\xE6\xBC\xA2"), std::string::npos);  // 漢
  EXPECT_GT(canvas.Ink(10, 0, 40, 64), 20);
  EXPECT_GT(canvas.Ink(34, 0, 70, 64), 20);
  canvas.Save("text_fallback_han.png");
}

TEST_F(TextLayoutTest, MeasuringRules) {
  struct Case {
    const char* name;
    const char16_t* face;
    int weight;
    std::u16string text;
  };
  auto measure = [&](const char16_t* face, int weight, const std::u16string& text, std::vector<int32_t>* each) {
    Bound b(canvas.dc(), MakeFormat(face, u"WenQuanYi Micro Hei", 20, weight));
    std::vector<int32_t> cumulative(text.size());
    SIZE extent{};
    EXPECT_TRUE(MeasureTextRuns(cumulative.data(), text.c_str(), b.context, static_cast<int>(text.size()), &extent, 0));
    each->clear();
    for (size_t i = 0; i < text.size(); ++i) each->push_back(cumulative[i] - (i ? cumulative[i - 1] : 0));
    return extent;
  };
  std::vector<int32_t> regular, bold, mono;
  const SIZE r = measure(u"DejaVu Sans", 400, u"Wide words", &regular);
  const SIZE bd = measure(u"DejaVu Sans", 700, u"Wide words", &bold);
  EXPECT_EQ(regular, bold);  // bold runs measure with regular advances
  EXPECT_EQ(r.cx, bd.cx);
  EXPECT_GT(r.cy, 20);
  measure(u"DejaVu Sans Mono", 400, u"iW.m", &mono);
  for (int32_t a : mono) EXPECT_EQ(a, mono[0]);
  // Empty texts and no object measure nothing.
  Bound b(canvas.dc(), MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 20));
  SIZE e{};
  EXPECT_FALSE(MeasureTextRuns(nullptr, u"", b.context, 0, &e, 0));
  b.context->object = nullptr;
  EXPECT_FALSE(MeasureTextRuns(nullptr, u"a", b.context, 1, &e, 0));
  b.context->object = &b.object;
}

TEST_F(TextLayoutTest, KerningHoldsAtEveryZoomInLogicalUnits) {
  // Host units (7200 an inch) at 96 and at 192 dpi: the kerning of "AV" is converted like the
  // advances, so the pair's width in host units stays about the same.
  auto widthOfAV = [&](int dpi, bool kerning) {
    Bound b(canvas.dc(), MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 3000),
            kerning ? uint32_t{kTextKerning} : 0u);
    b.context->mappingCode = 8;
    b.context->logicalExtent = SIZE{7200, 7200};
    SetTextScale(b.context, dpi, dpi, 0, 0);
    SIZE e{};
    EXPECT_TRUE(MeasureTextRuns(nullptr, u"AV", b.context, 2, &e, 0));
    return e.cx;
  };
  widthOfAV(96, true);  // the first selection probes the face for its kerning pairs
  const int plain96 = widthOfAV(96, false), kerned96 = widthOfAV(96, true);
  const int plain192 = widthOfAV(192, false), kerned192 = widthOfAV(192, true);
  EXPECT_LT(kerned96, plain96);
  EXPECT_LT(kerned192, plain192);
  EXPECT_NEAR(plain96 - kerned96, plain192 - kerned192, 75);  // within a pixel at 96 dpi
  EXPECT_GT(plain96 - kerned96, 75);
}

TEST_F(TextLayoutTest, SupplementaryAdvanceAgreesWithFreeType) {
  const int size = 40;
  Bound b(canvas.dc(), MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", size));
  const std::u16string text = u"\U0001D538";
  std::vector<int32_t> cumulative(2);
  SIZE extent{};
  ASSERT_TRUE(MeasureTextRuns(cumulative.data(), text.c_str(), b.context, 2, &extent, 0));
  FT_Library library;
  ASSERT_EQ(FT_Init_FreeType(&library), 0);
  FT_Face face;
  ASSERT_EQ(FT_New_Face(library, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, &face), 0);
  FT_Set_Pixel_Sizes(face, 0, size);
  ASSERT_EQ(FT_Load_Char(face, 0x1D538, FT_LOAD_NO_HINTING), 0);
  const double expected = face->glyph->linearHoriAdvance / 65536.0;
  EXPECT_NEAR(extent.cx, expected, 1.0);
  EXPECT_EQ(cumulative[0], cumulative[1]);  // the low surrogate adds nothing
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}

TEST_F(TextLayoutTest, OutlineMetricsAndRanges) {
  Bound b(canvas.dc(), MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 30));
  TextOutlineMetrics m{};
  m.size = 67;
  EXPECT_FALSE(GetTextOutlineMetrics(0, b.context, &m));
  m.size = 68;
  ASSERT_TRUE(GetTextOutlineMetrics(0, b.context, &m));
  EXPECT_EQ(m.emSquare, 2048u);
  EXPECT_GT(m.ascent, m.descent);
  EXPECT_EQ(m.filled, 1);
  uint32_t words[2] = {};
  EXPECT_TRUE(GetTextFontRanges(1, b.context, words));
}

TEST_F(TextLayoutTest, ContextPoolAndConversions) {
  ReleaseTextContextPool();
  std::vector<TextContext*> taken;
  for (int i = 0; i < 6; ++i) taken.push_back(AcquireTextContext());
  EXPECT_EQ(PooledTextContextCount(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(taken[i]->poolFlags & 3u, 3u);
  EXPECT_EQ(taken[5]->poolFlags, 0u);  // outside the pool: freed when given back (ASan sees it)
  for (auto* c : taken) GiveBackTextContext(c);
  EXPECT_EQ(AcquireTextContext(), taken[0]);
  GiveBackTextContext(taken[0]);

  TextContext c;
  c.mappingCode = 8;
  c.logicalExtent = SIZE{7200, 7200};
  c.deviceExtent = SIZE{96, 96};
  c.scaleX = c.scaleY = 96;
  c.logicalOrigin = POINT{720, 0};
  POINT p{7200 + 720, 3600};
  LogicalToDevice(&c, &p, 1);
  EXPECT_EQ(p.x, 96);
  EXPECT_EQ(p.y, 48);
  DeviceToLogical(&c, &p, 1);
  EXPECT_EQ(p.x, 7920);
  EXPECT_EQ(p.y, 3600);
  c.scaleX = 0;  // a zero scale leaves the point as it is
  p = POINT{5, 6};
  DeviceToLogical(&c, &p, 1);
  EXPECT_EQ(p.x, 5);
  EXPECT_EQ(LengthToDeviceX(&c, 600), 8);
}

TEST_F(TextLayoutTest, WidthPercentOfAFaceWithoutMetricsKeepsTheNaturalWidth) {
  Bound b(canvas.dc(), MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 20));
  b.object.format.slots[0].widthPercent = 50;
  FontEntry* e = FontAt(b.object.fontIndex[0]);
  ASSERT_NE(e, nullptr);
  int h = 0, w = 0;
  GetSlotFontSize(b.context, 0, b.object.fontIndex[0], &h, &w);
  EXPECT_EQ(h, -20);
  EXPECT_GT(w, 0);
  const FontEntry saved = *e;
  e->cellHeight = 0;
  e->emSize = 0;
  GetSlotFontSize(b.context, 0, b.object.fontIndex[0], &h, &w);
  EXPECT_EQ(w, 0);
  *e = saved;
}

TEST_F(TextLayoutTest, LongTextsLayOutWhole) {
  // 100,000 units: run starts and lengths past 65,535, advances on the heap.
  std::u16string text;
  for (int i = 0; i < 20000; ++i) text += i % 3 ? u"abcd " : u"\u6F22\u5B57xy ";
  text.resize(100000, u'z');
  Bound b(canvas.dc(), MakeFormat(u"DejaVu Sans", u"WenQuanYi Micro Hei", 8));
  std::vector<int32_t> cumulative(text.size());
  SIZE extent{};
  ASSERT_TRUE(MeasureTextRuns(cumulative.data(), text.c_str(), b.context, static_cast<int>(text.size()), &extent, 0));
  EXPECT_EQ(extent.cx, cumulative.back());
  EXPECT_GT(extent.cx, 100000);
  auto layout = std::make_unique<TextLayout>();
  layout->Prepare(text.c_str(), static_cast<uint32_t>(text.size()), false, true);
  BuildTextRuns(layout.get(), b.context);
  const TextRun& last = layout->Runs()[layout->RunCount() - 1];
  EXPECT_EQ(last.start + last.length, 100000u);
  ASSERT_TRUE(DrawTextRuns(text.c_str(), b.context, 0, 10, 0, nullptr, static_cast<int>(text.size()), nullptr));
  EXPECT_GT(canvas.Ink(0, 0, 256, 64), 50);
}

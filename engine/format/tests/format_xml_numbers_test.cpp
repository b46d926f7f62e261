// Number, length and flag texts of the shape-format XML, both ways.
#include <plastrum/format/XmlConventions.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using namespace Present::ShapeXml;

std::u16string Scaled(int64_t tenths, const char16_t* unit = u"%") {
  char16_t text[32];
  FormatScaled(text, tenths, unit);
  return text;
}

std::u16string Length(int64_t v) {
  char16_t text[ShapeXmlArchive::kNumberUnits];
  FormatLength(text, v);
  return text;
}

TEST(FormatXmlNumbers, TenthsWriteAndReadBack) {
  struct Case {
    int64_t tenths;
    const char16_t* unit;
    const char16_t* text;
  } cases[] = {
      {450, u"%", u"45%"},
      {455, u"%", u"45.500%"},
      {1000, u"%", u"100%"},
      {255, u"%", u"25.500%"},
      {-125, u"%", u"-12.500%"},
      {-5, u"%", u"-0.500%"},
      {0, u"%", u"0%"},
      {451, u"%", u"45.100%"},
      {450, u"\u00B0", u"45\u00B0"},
      {3599, u"\u00B0", u"359.900\u00B0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Scaled(c.tenths, c.unit), c.text) << c.tenths;
    EXPECT_EQ(ParseScaled(c.text), c.tenths) << c.tenths;
  }
  // Every value of a 16-bit field comes back as written.
  for (int v = -32768; v <= 32767; v += 7) ASSERT_EQ(ParseScaled(Scaled(v).c_str()), v);

  struct Read {
    const char16_t* text;
    int64_t tenths;
  } reads[] = {{u"45.5%", 455},   {u"45.3%", 453}, {u"45.36%", 453},
               {u"-12.5%", -125}, {u" 7", 70},     {u"abc", 0},
               {u"", 0},          {nullptr, 0},    {u"4924924242%", 49249242420}};
  for (const Read& r : reads) EXPECT_EQ(ParseScaled(r.text), r.tenths) << (r.text ? "text" : "null");
  EXPECT_EQ(Saturate<int16_t>(ParseScaled(u"99999%")), 32767);
  EXPECT_EQ(Saturate<int16_t>(ParseScaled(u"-1e300%")), -32768);
}

TEST(FormatXmlNumbers, LengthsInMillimetresAndOtherUnits) {
  EXPECT_EQ(Length(1000), u"3.528mm");
  EXPECT_EQ(Length(283465), u"1000mm");
  EXPECT_EQ(Length(200), u"0.706mm");
  EXPECT_EQ(Length(0), u"0mm");
  EXPECT_EQ(Length(-1000), u"-3.528mm");
  EXPECT_EQ(Length(28347), u"100.002mm");
  // 0.190mm would read by the older rule as 53: the neighbouring micrometre names 54.
  EXPECT_EQ(Length(54), u"0.191mm");

  struct Read {
    const char16_t* text;
    int32_t hundredths;
  } reads[] = {
      {u"10mm", 2834},
      {u"12pt", 1200},
      {u"1", 0},
      {u"2ch", 1000},
      {u"1cm", 2834},
      {u"1\"", 7200},
      {u"96px", 7200},
      {u"1pi", 1200},
      {u"34geup", 2400},
      {u"5xx", 0},
      {u"3.53mm", 1000},
      {u"0.07pt", 7},
      {u"100mm", 28346},
      {u"-10mm", -2834},
      {u"mm", 0},
      // Texts of older files, whose third decimal was always 0, read as they always have.
      {u"3.530mm", 1000},
      {u"0.710mm", 201},
      {u"-3.530mm", -1000},
      // The ceiling of the unit's hundredths: 0.001 pt is one hundredth, not none.
      {u"1e-3pt", 1},
      {u"1e-3mm", 2},
      // A third significant decimal reads to the nearest hundredth of a point.
      {u"3.528mm", 1000},
      {u"0.706mm", 200},
      {u"0.071pt", 7},
      {u"0.075pt", 8},
      {u"-0.706mm", -200},
      {u"1.001cm", 2837},
      {u"0.0014\"", 10},
  };
  for (const Read& r : reads) EXPECT_EQ(ParseLength(r.text), r.hundredths) << std::string(r.text, r.text + 4).c_str();

  // Every width a line may have (0 to 200 pt) reads back as written, and so do lengths far
  // beyond it, of either sign.
  for (int64_t v = 0; v <= 20000; ++v) ASSERT_EQ(ParseLength(Length(v).c_str()), v) << v;
  for (int64_t v :
       std::initializer_list<int64_t>{-1, -200, -20001, 28346, 500000, 21474836, INT32_MAX, INT32_MIN, INT32_MIN + 1})
    EXPECT_EQ(ParseLength(Length(v).c_str()), v) << v;
  // Nothing is wider than 32 bits: a wider value is written as the nearest that reads back.
  EXPECT_EQ(ParseLength(Length(INT64_MAX).c_str()), INT32_MAX);
  EXPECT_EQ(ParseLength(Length(-(int64_t(1) << 40)).c_str()), INT32_MIN);
  // Nothing overflows: huge texts saturate, a long unit counts as points.
  EXPECT_EQ(ParseLength(u"1e30mm"), INT32_MAX);
  EXPECT_EQ(ParseLength(u"-1e30cm"), INT32_MIN);
  EXPECT_EQ(ParseLength(u"99999999999pt"), INT32_MAX);
  EXPECT_EQ(ParseLength(u"1e300ch"), INT32_MAX);
  std::u16string longUnit = u"5" + std::u16string(300, u'q');
  EXPECT_EQ(ParseLength(longUnit.c_str()), 500);
}

TEST(FormatXmlNumbers, IntegersSaturateAndFlagsAcceptTheirWrittenForm) {
  EXPECT_EQ(ParseInteger(u"99999999999999999999"), INT64_MAX);
  EXPECT_EQ(ParseInteger(u"-99999999999999999999"), INT64_MIN);
  EXPECT_EQ(ParseInteger(u"\t-42x"), -42);
  EXPECT_EQ(Saturate<int16_t>(ParseInteger(u"40000")), 32767);

  struct Flag {
    const char16_t* text;
    bool taken;
    uint8_t value;
  } words[] = {{u"true", true, 1}, {u"TRUE", true, 1},  {u"1", true, 1},    {u"false", true, 0}, {u"FALSE", true, 0},
               {u"0", true, 0},    {u"True", false, 9}, {u"yes", false, 9}, {u"", false, 9},     {nullptr, false, 9}};
  for (const Flag& f : words) {
    uint8_t field = 9;
    EXPECT_EQ(ParseWordFlag(f.text, &field), f.taken);
    EXPECT_EQ(field, f.value);
  }
  uint8_t b = 9;
  EXPECT_FALSE(ParseByte(u"", &b));
  EXPECT_EQ(b, 9);
  EXPECT_TRUE(ParseByte(u"1", &b));
  EXPECT_EQ(b, 1);
  EXPECT_TRUE(ParseByte(u"300", &b));
  EXPECT_EQ(b, 255);
  char16_t text[4];
  FormatFlag(text, true);
  EXPECT_EQ(std::u16string(text), u"1");
}

}  // namespace

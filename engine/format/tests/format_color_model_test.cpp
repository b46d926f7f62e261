// The colour model: HSL and CMYK conversions, scheme colours with factors, system colours
// from the fixed table, and colours made from stored words.
#include <plastrum/format/ColorModel.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace Present::Type;

struct Rgb {
  int r, g, b;
};

Rgb FromHsl(int hue, float s, float l) {
  HslColor c;
  c.hue = static_cast<int16_t>(hue), c.saturation = s, c.luminance = l, c.dirty = 1;
  c.UpdateRgb();
  EXPECT_EQ(c.dirty, 0);
  return {c.R, c.G, c.B};
}

TEST(FormatColorModel, HslToRgbAndBack) {
  struct Case {
    int hue;
    float s, l;
    Rgb rgb;
  } cases[] = {
      {0, 1, 0.5f, {255, 0, 0}},     {120, 1, 0.5f, {0, 255, 0}}, {240, 1, 0.5f, {0, 0, 255}},
      {60, 1, 0.5f, {255, 255, 0}},  {0, 0, 1, {255, 255, 255}},  {0, 0, 0, {0, 0, 0}},
      {0, 0, 0.5f, {128, 128, 128}}, {360, 1, 0.5f, {255, 0, 0}},
  };
  for (const Case& c : cases) {
    const Rgb rgb = FromHsl(c.hue, c.s, c.l);
    EXPECT_EQ(rgb.r, c.rgb.r) << c.hue;
    EXPECT_EQ(rgb.g, c.rgb.g) << c.hue;
    EXPECT_EQ(rgb.b, c.rgb.b) << c.hue;
  }
  // Hues fold into 0..359 whatever their size, so no channel leaves 0..255.
  HslColor folded;
  for (auto [in, out] : {std::pair{370, 10}, {-30, 330}, {800, 80}, {-800, 280}}) {
    folded.hue = static_cast<int16_t>(in);
    folded.Normalise();
    EXPECT_EQ(folded.hue, out) << in;
  }
  const Rgb at800 = FromHsl(800, 1, 0.5f), at80 = FromHsl(80, 1, 0.5f);
  EXPECT_EQ(at800.r, at80.r);
  EXPECT_EQ(at800.g, at80.g);
  EXPECT_EQ(at800.b, at80.b);
  const Rgb clamped = FromHsl(0, 7.0f, -3.0f);
  EXPECT_EQ(clamped.r, 0);

  HslColor red;
  red.R = 255;
  red.UpdateModel();
  EXPECT_EQ(red.hue, 0);
  EXPECT_FLOAT_EQ(red.saturation, 1.0f);
  EXPECT_FLOAT_EQ(red.luminance, 0.5f);
  HslColor blue;
  blue.B = 255;
  blue.UpdateModel();
  EXPECT_EQ(blue.hue, 240);
  HslColor black;
  black.saturation = 0.25f;
  black.UpdateModel();
  EXPECT_FLOAT_EQ(black.saturation, 0.25f);  // kept: black has no saturation of its own
  EXPECT_FLOAT_EQ(black.luminance, 0.0f);
}

TEST(FormatColorModel, CmykToRgbAndBack) {
  struct Case {
    int c, m, y, k;
    Rgb rgb;
  } cases[] = {{0, 0, 0, 0, {255, 255, 255}},
               {0, 0, 0, 100, {0, 0, 0}},
               {100, 0, 0, 0, {0, 255, 255}},
               {0, 50, 0, 0, {255, 128, 255}},
               {150, -5, 0, 0, {0, 255, 255}}};
  for (const Case& c : cases) {
    CmykColor color;
    color.C = static_cast<int16_t>(c.c), color.M = static_cast<int16_t>(c.m), color.Y = static_cast<int16_t>(c.y),
    color.K = static_cast<int16_t>(c.k), color.dirty = 1;
    color.UpdateRgb();
    EXPECT_EQ(color.R, c.rgb.r) << c.c << " " << c.m;
    EXPECT_EQ(color.G, c.rgb.g) << c.c << " " << c.m;
    EXPECT_EQ(color.B, c.rgb.b) << c.c << " " << c.m;
  }
  CmykColor black;
  black.UpdateModel();
  EXPECT_EQ(black.C, 0);
  EXPECT_EQ(black.K, 100);
  CmykColor cyan;
  cyan.G = 255, cyan.B = 255;
  cyan.UpdateModel();
  EXPECT_EQ(cyan.C, 100);
  EXPECT_EQ(cyan.M, 0);
  EXPECT_EQ(cyan.K, 0);
}

TEST(FormatColorModel, SchemeColoursResolveFromThePalette) {
  std::unique_ptr<Color> entries[SchemeColor::kPaletteSize];
  Color* palette[SchemeColor::kPaletteSize];
  for (int i = 0; i < SchemeColor::kPaletteSize; ++i) {
    entries[i] = std::make_unique<Color>();
    entries[i]->R = entries[i]->G = entries[i]->B = 128;
    palette[i] = entries[i].get();
  }
  auto hsl = std::make_unique<HslColor>();  // a palette entry of its own model is brought up to date
  hsl->hue = 240, hsl->saturation = 1, hsl->luminance = 0.5f, hsl->dirty = 1;
  palette[4] = hsl.get();

  struct Case {
    uint8_t index;
    float factor;
    int grey;  // R = G = B expected
  } cases[] = {{0, 0.0f, 128}, {1, 0.5f, 192}, {2, -0.5f, 64}, {3, 1.0f, 255}, {5, -1.0f, 0}};
  for (const Case& c : cases) {
    SchemeColor s;
    s.index = c.index, s.factor = c.factor;
    ASSERT_TRUE(s.ResolveFromPalette(palette));
    // Luminance becomes t + (1 - t) L, or (1 + t) L for a negative t; single-precision
    // rounding may move the channel by one.
    EXPECT_NEAR(s.R, c.grey, 1) << c.factor;
    EXPECT_EQ(s.G, s.R);
    EXPECT_EQ(s.B, s.R);
    EXPECT_EQ(s.A, 255);
  }
  SchemeColor accent1;
  accent1.index = 4;
  ASSERT_TRUE(accent1.ResolveFromPalette(palette));
  EXPECT_EQ(accent1.Argb(), 0xFF0000FFu);

  SchemeColor outside;
  outside.index = 12;
  outside.R = 7;
  EXPECT_FALSE(outside.ResolveFromPalette(palette));
  EXPECT_FALSE(accent1.ResolveFromPalette(nullptr));
  EXPECT_EQ(outside.R, 7);
}

TEST(FormatColorModel, SystemColoursComeFromTheFixedTable) {
  SystemColor window(5);
  window.UpdateRgb();
  EXPECT_EQ(window.Argb(), 0xFFFFFFFFu);
  EXPECT_EQ(window.dirty, 0);
  SystemColor highlight(13);
  highlight.UpdateRgb();
  EXPECT_EQ(highlight.R, 0x33);
  EXPECT_EQ(highlight.B, 0xFF);
  uint32_t bgr;
  EXPECT_FALSE(SystemColorValue(kSystemColorCount, &bgr));
  EXPECT_FALSE(SystemColorValue(-1, &bgr));
}

TEST(FormatColorModel, ColoursMadeFromStoredWords) {
  std::unique_ptr<Color> rgb(Present::CreateColorFromStored(0x80102030, 0x00FF0000));
  ASSERT_NE(rgb, nullptr);
  EXPECT_EQ(rgb->type, 0);
  EXPECT_EQ(rgb->Argb(), 0x80102030u);

  std::unique_ptr<Color> cmyk(Present::CreateColorFromStored(0x64000000, 0x01000000));
  ASSERT_NE(cmyk, nullptr);
  EXPECT_EQ(cmyk->type, 1);
  EXPECT_EQ(cmyk->dirty, 1);
  EXPECT_EQ(cmyk->A, 255);
  cmyk->UpdateRgb();
  EXPECT_EQ(cmyk->Argb(), 0xFF00FFFFu);

  std::unique_ptr<Color> hsl(Present::CreateColorFromStored(0xFFE26432, 0x02000000));  // -30 degrees, 100 %, 50 %
  ASSERT_NE(hsl, nullptr);
  auto* h = static_cast<HslColor*>(hsl.get());
  EXPECT_EQ(h->hue, -30);
  EXPECT_FLOAT_EQ(h->saturation, 1.0f);
  EXPECT_FLOAT_EQ(h->luminance, 0.5f);
  hsl->UpdateRgb();
  EXPECT_EQ(h->hue, 330);
  EXPECT_EQ(hsl->R, 255);
  EXPECT_EQ(hsl->G, 0);

  std::unique_ptr<Color> system(Present::CreateColorFromStored(5, 0x04000000));
  ASSERT_NE(system, nullptr);
  system->UpdateRgb();
  EXPECT_EQ(system->Argb(), 0xFFFFFFFFu);

  // The scheme index is bits 0-7, the factor bits 8-23 in hundredths.
  std::unique_ptr<Color> scheme(Present::CreateColorFromStored(0x00FFE703, 0x05000000));
  ASSERT_NE(scheme, nullptr);
  auto* s = static_cast<SchemeColor*>(scheme.get());
  EXPECT_EQ(s->index, 3);
  EXPECT_FLOAT_EQ(s->factor, -0.25f);
  std::unique_ptr<Color> tinted(Present::CreateColorFromStored(0x00000205, 0x05000000));
  ASSERT_NE(tinted, nullptr);
  EXPECT_EQ(static_cast<SchemeColor*>(tinted.get())->index, 5);
  EXPECT_FLOAT_EQ(static_cast<SchemeColor*>(tinted.get())->factor, 0.02f);

  const struct {
    uint32_t value, second;
  } refused[] = {{12, 0x05000000},         {0x0000FF, 0x05000000}, {kSystemColorCount, 0x04000000},
                 {0xFFFFFFFF, 0x04000000}, {1, 0x03000000},        {1, 0x06000000}};
  for (const auto& r : refused) EXPECT_EQ(Present::CreateColorFromStored(r.value, r.second), nullptr) << r.value;
}

}  // namespace

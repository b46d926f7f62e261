#include "plastrum/present/painting/PaintColors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace Present::Painting;
namespace Style = Present::Style;
namespace Type = Present::Type;

namespace {

Style::ColorPtr Rgb(uint8_t r, uint8_t g, uint8_t b) {
  auto c = std::make_unique<Type::Color>();
  c->R = r;
  c->G = g;
  c->B = b;
  return c;
}

Style::ColorPtr Scheme(uint8_t index, float factor = 0) {
  auto c = std::make_unique<Type::SchemeColor>();
  c->index = index;
  c->factor = factor;
  return c;
}

// A palette whose entry i is (i, 2i, 3i).
struct Palette12 {
  Palette12() {
    for (int i = 0; i < 12; ++i) {
      colors[i] = Rgb(uint8_t(i), uint8_t(2 * i), uint8_t(3 * i));
      pointers[i] = colors[i].get();
    }
  }
  Style::ColorPtr colors[12];
  Type::Color* pointers[12];
};

struct Formats {
  Style::FillRecord lineFill, fill;
  Style::GradientRecord gradient;
  Style::HatchRecord hatch;
  Style::TextureRecord texture;
  Style::LineRecord line;
  Style::ShadowRecord shadow;
  Style::PictureRecord picture;
  Style::ShapeRecord shape;
  Formats() {
    line.fill = &lineFill;
    shape.line = &line;
    shape.fill = &fill;
    shape.shadow = &shadow;
    shape.picture = &picture;
  }
};

}  // namespace

TEST(PresentPaintColors, AlphaFromTransparency) {
  const struct {
    float transparency;
    uint8_t alpha;
  } cases[] = {{0, 255},
               {0.25f, 191},
               {0.5f, 127},
               {1, 0},
               // Outside 0..1 (stored documents can hold anything) the value is held first.
               {-0.5f, 255},
               {1.5f, 0},
               {-1000, 255},
               {NAN, 255},
               {INFINITY, 0}};
  for (const auto& c : cases) EXPECT_EQ(AlphaOf(c.transparency), c.alpha) << c.transparency;
  EXPECT_EQ(PackArgb(0x12, 0x34, 0x56, 0x78), 0x12345678u);
}

TEST(PresentPaintColors, SolidLineAndSchemeColours) {
  Palette12 palette;
  Formats f;
  f.lineFill.type = 1;
  f.lineFill.solidColor = Rgb(10, 20, 30);
  f.lineFill.transparency = 0.25f;
  PaintRecord r;
  ResolveLineColors(r, &f.line, palette.pointers);
  EXPECT_TRUE(r.flags & PaintRecord::kHasLine);
  ASSERT_EQ(r.lineColorCount, 1);
  EXPECT_EQ(r.lineColors[0], 0xBF0A141Eu);
  // A scheme colour takes its palette entry.
  f.lineFill.solidColor = Scheme(7);
  f.lineFill.transparency = 0;
  ResolveLineColors(r, &f.line, palette.pointers);
  EXPECT_EQ(r.lineColors[0], PackArgb(255, 7, 14, 21));
  EXPECT_EQ(ResolveColor(nullptr, 0.5f, palette.pointers), 0x7F000000u);
}

TEST(PresentPaintColors, HiddenLinesAndFillsGiveNoColours) {
  Palette12 palette;
  for (uint8_t type : {0, 5}) {
    Formats f;
    f.lineFill.type = type;
    f.fill.type = type;
    f.fill.solidColor = Rgb(1, 2, 3);
    PaintRecord r;
    ResolvePaintColors(r, &f.shape, 0x100, 402, palette.pointers);
    EXPECT_EQ(r.flags & PaintRecord::kHasLine, 0u);
    EXPECT_EQ(r.lineColorCount, 0);
    EXPECT_EQ(r.fillColorCount, 0);
    EXPECT_EQ(r.fillAlpha, 255);
  }
  Style::LineRecord noFill;
  PaintRecord r;
  ResolveLineColors(r, &noFill, palette.pointers);
  ResolveLineColors(r, nullptr, palette.pointers);
  EXPECT_EQ(r.flags, 0u);
}

TEST(PresentPaintColors, GradientStopsAreCompleted) {
  Palette12 palette;
  const struct {
    std::vector<float> stops;
    std::vector<float> expected;
  } cases[] = {
      {{0.2f, 0.8f}, {0, 0.2f, 0.8f, 1}},
      {{0, 1}, {0, 1}},
      {{0, 0.5f}, {0, 0.5f, 1}},
      {{0.3f, 0.4f, 0.5f, 0.6f, 0.65f, 0.7f, 0.75f, 0.8f, 0.85f, 0.9f},
       {0, 0.3f, 0.4f, 0.5f, 0.6f, 0.65f, 0.7f, 0.75f, 0.8f, 0.85f, 0.9f, 1}},
  };
  for (const auto& c : cases) {
    Formats f;
    f.fill.type = 2;
    f.fill.gradient = &f.gradient;
    f.gradient.stopCount = int32_t(c.stops.size());
    for (size_t i = 0; i < c.stops.size(); ++i) {
      f.gradient.position[i] = c.stops[i];
      f.gradient.color[i] = Rgb(uint8_t(10 + i), 0, 0);
      f.gradient.transparency[i] = i == 0 ? 0.5f : 0;
    }
    PaintRecord r;
    ResolveFillColors(r, &f.fill, palette.pointers);
    ASSERT_EQ(r.fillColorCount, int32_t(c.expected.size()));
    for (size_t i = 0; i < c.expected.size(); ++i) EXPECT_FLOAT_EQ(r.fillPositions[i], c.expected[i]) << i;
    // Added end stops repeat the first and last colours, each stop keeps its alpha.
    EXPECT_EQ(r.fillColors[0], PackArgb(127, 10, 0, 0));
    EXPECT_EQ(r.fillColors[r.fillColorCount - 1], PackArgb(255, uint8_t(10 + c.stops.size() - 1), 0, 0));
    EXPECT_EQ(r.fillAlpha, 127);
  }
}

TEST(PresentPaintColors, StoredStopCountsOutsideTheArrayAreHeld) {
  Palette12 palette;
  Formats f;
  f.lineFill.type = 2;
  f.lineFill.gradient = &f.gradient;
  for (int i = 0; i < Style::GradientRecord::kMaxStops; ++i) f.gradient.position[i] = 0.1f * float(i);
  for (int32_t count : {-3, 0, 11, 1000000}) {
    f.gradient.stopCount = count;
    PaintRecord r;
    ResolveLineColors(r, &f.line, palette.pointers);
    EXPECT_TRUE(r.flags & PaintRecord::kHasLine);
    EXPECT_EQ(r.lineColorCount, count <= 0 ? 0 : 11) << count;  // ten stops plus the end at 1
  }
  f.lineFill.gradient = nullptr;
  PaintRecord r;
  ResolveLineColors(r, &f.line, palette.pointers);
  EXPECT_EQ(r.lineColorCount, 0);
}

TEST(PresentPaintColors, HatchAndTextureFills) {
  Palette12 palette;
  Formats f;
  f.fill.type = 4;
  f.fill.hatch = &f.hatch;
  f.hatch.foreColor = Rgb(1, 1, 1);
  f.hatch.backColor = Scheme(2);
  for (float t : {0.0f, 1.0f}) {
    f.fill.transparency = t;
    PaintRecord r;
    ResolveFillColors(r, &f.fill, palette.pointers);
    ASSERT_EQ(r.fillColorCount, 2);
    EXPECT_EQ(r.fillColors[0] & 0xFFFFFF, 0x010101u);
    EXPECT_EQ(r.fillColors[1] & 0xFFFFFF, 0x020406u);
  }
  f.fill.type = 3;
  f.fill.texture = &f.texture;
  f.texture.transparency = 0.5f;
  PaintRecord r;
  ResolveFillColors(r, &f.fill, palette.pointers);
  EXPECT_EQ(r.fillColorCount, 0);
  EXPECT_EQ(r.fillAlpha, 127);
  EXPECT_EQ(r.pictureAlpha, 127);
}

TEST(PresentPaintColors, ShadowTakesTheLineAndFillAlpha) {
  Palette12 palette;
  Formats f;
  f.lineFill.type = 1;
  f.lineFill.solidColor = Rgb(0, 0, 0);
  f.lineFill.transparency = 0.5f;  // line alpha 127
  f.fill.type = 0;                 // hidden fill: its shadow alpha starts from 255
  f.shadow.type = 3;
  f.shadow.color = Rgb(0x40, 0x50, 0x60);
  f.shadow.transparency = 0.5f;
  PaintRecord r;
  ResolvePaintColors(r, &f.shape, 0x100, 403, palette.pointers);
  EXPECT_EQ(r.lineShadowColor, 0x3F405060u);
  EXPECT_EQ(r.fillShadowColor, 0x7F405060u);
  // Not for branches, and not when the shadow is off or nothing is visible.
  PaintRecord branch;
  ResolvePaintColors(branch, &f.shape, 0x200, 100, palette.pointers);
  EXPECT_EQ(branch.lineShadowColor, 0u);
  f.shadow.type = 0;
  PaintRecord off;
  ResolvePaintColors(off, &f.shape, 0x100, 403, palette.pointers);
  EXPECT_EQ(off.lineShadowColor, 0u);
}

TEST(PresentPaintColors, PictureAndTaperedBranch) {
  Palette12 palette;
  Formats f;
  f.lineFill.type = 1;
  f.lineFill.solidColor = Rgb(9, 9, 9);
  f.picture.binDataId = 4;
  f.picture.recolorColor = Scheme(3);
  f.picture.transparency = 0.25f;
  PaintRecord r;
  ResolvePaintColors(r, &f.shape, 0x102, 401, palette.pointers);
  EXPECT_EQ(r.pictureRecolor, PackArgb(255, 3, 6, 9));
  EXPECT_EQ(r.pictureAlpha, 191);
  EXPECT_TRUE(PictureAdjusted(f.picture));
  Style::PictureRecord plain;
  EXPECT_FALSE(PictureAdjusted(plain));
  plain.contrast = 0.1f;
  EXPECT_TRUE(PictureAdjusted(plain));
  // Only picture frames resolve the picture; only kind 107 is the tapered branch.
  PaintRecord topic;
  ResolvePaintColors(topic, &f.shape, 0x100, 402, palette.pointers);
  EXPECT_EQ(topic.pictureAlpha, 255);
  EXPECT_EQ(topic.flags, uint32_t{PaintRecord::kHasLine});
  PaintRecord tapered;
  ResolvePaintColors(tapered, &f.shape, 0x200, 107, palette.pointers);
  EXPECT_EQ(tapered.flags, uint32_t{PaintRecord::kHasLine | PaintRecord::kTaperedBranch});
  PaintRecord none;
  ResolvePaintColors(none, nullptr, 0x100, 402, palette.pointers);
  EXPECT_EQ(none.flags, 0u);
}

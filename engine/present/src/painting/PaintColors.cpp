#include "plastrum/present/painting/PaintColors.h"

#include <algorithm>
#include <cmath>

#include "plastrum/geometry/GeometryMath.h"

namespace Present::Painting {

// Stored documents can hold any transparency; outside 0..1 the product would wrap the
// byte.
uint8_t AlphaOf(float transparency) { return ScaledAlpha(transparency, 255); }

uint8_t ScaledAlpha(float transparency, uint8_t sourceAlpha) {
  float t = transparency;
  if (!(t >= 0)) t = 0;
  if (t > 1) t = 1;
  return static_cast<uint8_t>(static_cast<int>((1 - t) * sourceAlpha));
}

uint32_t ResolveColor(Type::Color* color, float transparency, Palette palette) {
  const uint8_t a = AlphaOf(transparency);
  if (color == nullptr) return PackArgb(a, 0, 0, 0);
  if (color->type == 5) static_cast<Type::SchemeColor*>(color)->ResolveFromPalette(palette);
  color->UpdateRgb();
  return PackArgb(a, color->R, color->G, color->B);
}

bool FillVisible(const Style::FillRecord* fill) { return fill != nullptr && fill->type != 0 && fill->type != 5; }

bool LineVisible(const Style::LineRecord* line) { return line != nullptr && FillVisible(line->fill); }

namespace {

constexpr uint8_t kSolid = 1, kGradient = 2, kTexture = 3, kHatch = 4;

// The stops of a gradient, completed to run from 0 to 1. A stored count outside
// 0..10 is held to it.
int32_t GradientColors(const Style::GradientRecord* gradient, Palette palette, uint32_t* colors, float* positions) {
  if (gradient == nullptr) return 0;
  const int32_t n = std::clamp<int32_t>(gradient->stopCount, 0, Style::GradientRecord::kMaxStops);
  if (n == 0) return 0;
  uint32_t stopColors[Style::GradientRecord::kMaxStops];
  float stopPositions[Style::GradientRecord::kMaxStops];
  for (int32_t i = 0; i < n; ++i) {
    stopColors[i] = ResolveColor(gradient->color[i].get(), gradient->transparency[i], palette);
    stopPositions[i] = gradient->position[i];
  }
  const int32_t count = Geometry::NormalizeGradientStops(stopPositions, stopColors, n, positions, colors);
  if (count == n) {
    // Already complete: the stops stand as they are.
    std::copy(stopColors, stopColors + n, colors);
    std::copy(stopPositions, stopPositions + n, positions);
  }
  return count;
}

int32_t SolidOrGradient(const Style::FillRecord& fill, Palette palette, uint32_t* colors, float* positions) {
  if (fill.type == kSolid) {
    colors[0] = ResolveColor(fill.solidColor.get(), fill.transparency, palette);
    positions[0] = 0;
    return 1;
  }
  if (fill.type == kGradient) return GradientColors(fill.gradient, palette, colors, positions);
  return 0;
}

uint8_t AlphaOfArgb(uint32_t argb) { return static_cast<uint8_t>(argb >> 24); }

}  // namespace

void ResolveLineColors(PaintRecord& record, const Style::LineRecord* line, Palette palette) {
  record.lineColorCount = 0;
  if (!LineVisible(line)) return;
  record.flags |= PaintRecord::kHasLine;
  record.lineColorCount = SolidOrGradient(*line->fill, palette, record.lineColors, record.linePositions);
}

void ResolveFillColors(PaintRecord& record, const Style::FillRecord* fill, Palette palette) {
  record.fillColorCount = 0;
  if (!FillVisible(fill)) return;
  if (fill->type == kHatch) {
    const Style::HatchRecord* hatch = fill->hatch;
    record.fillColors[0] =
        ResolveColor(hatch != nullptr ? hatch->foreColor.get() : nullptr, fill->transparency, palette);
    record.fillColors[1] =
        ResolveColor(hatch != nullptr ? hatch->backColor.get() : nullptr, fill->transparency, palette);
    record.fillPositions[0] = 0;
    record.fillPositions[1] = 1;
    record.fillColorCount = 2;
  } else if (fill->type == kTexture) {
    // A texture has no colours: its own transparency sets both the fill's alpha and the
    // alpha its picture is drawn with.
    const float t = fill->texture != nullptr ? fill->texture->transparency : fill->transparency;
    record.fillAlpha = AlphaOf(t);
    record.pictureAlpha = record.fillAlpha;
    return;
  } else {
    record.fillColorCount = SolidOrGradient(*fill, palette, record.fillColors, record.fillPositions);
  }
  if (record.fillColorCount > 0) record.fillAlpha = AlphaOfArgb(record.fillColors[0]);
}

void ResolveShadowColors(PaintRecord& record, const Style::ShapeRecord& shape, Palette palette) {
  const Style::ShadowRecord* shadow = shape.shadow;
  if (shadow == nullptr || shadow->type == 0) return;
  if (!LineVisible(shape.line) && !FillVisible(shape.fill)) return;
  const uint32_t rgb = ResolveColor(shadow->color.get(), 0, palette) & 0x00FFFFFFu;
  // The shadow's own opacity times that of the first line or fill colour.
  const uint8_t lineAlpha = record.lineColorCount > 0 ? AlphaOfArgb(record.lineColors[0]) : 255;
  const uint8_t fillAlpha = record.fillColorCount > 0 ? AlphaOfArgb(record.fillColors[0]) : 255;
  record.lineShadowColor = uint32_t{ScaledAlpha(shadow->transparency, lineAlpha)} << 24 | rgb;
  record.fillShadowColor = uint32_t{ScaledAlpha(shadow->transparency, fillAlpha)} << 24 | rgb;
}

void ResolvePictureColors(PaintRecord& record, const Style::PictureRecord* picture, Palette palette) {
  if (picture == nullptr || picture->binDataId == 0) return;
  record.pictureRecolor = ResolveColor(picture->recolorColor.get(), 0, palette);
  record.pictureAlpha = AlphaOf(picture->transparency);
}

bool PictureAdjusted(const Style::PictureRecord& picture) {
  return picture.recolor != 0 || picture.brightness != 0 || picture.contrast != 0 || picture.transparency != 0;
}

void ResolvePaintColors(PaintRecord& record, const Style::ShapeRecord* shape, uint16_t category, uint32_t kind,
                        Palette palette) {
  if (shape == nullptr) return;
  if (kind == 107) record.flags |= PaintRecord::kTaperedBranch;
  ResolveLineColors(record, shape->line, palette);
  ResolveFillColors(record, shape->fill, palette);
  if ((category >> 8) == 1) ResolveShadowColors(record, *shape, palette);
  if (category == 0x102) ResolvePictureColors(record, shape->picture, palette);
}

}  // namespace Present::Painting

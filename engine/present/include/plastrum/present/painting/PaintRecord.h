// The paint record the painters consume for one node: here its colour side, the line,
// fill, shadow and picture colours resolved to packed ARGB with alpha. The painters add
// the rest of the record.
#pragma once

#include <cstdint>
#include <plastrum/Export.h>

namespace Present::Painting {

// A gradient holds at most ten stops; completing it adds up to two end stops.
inline constexpr int32_t kMaxPaintColors = 12;

struct PLASTRUM_API PaintRecord {
  enum Flags : uint32_t {
    kHasLine = 0x1,
    // The tapered branch, whose outline is filled with the line's colours.
    kTaperedBranch = 0x2,
  };

  uint32_t flags = 0;
  int32_t lineColorCount = 0;
  uint32_t lineColors[kMaxPaintColors] = {};
  float linePositions[kMaxPaintColors] = {};
  int32_t fillColorCount = 0;
  uint32_t fillColors[kMaxPaintColors] = {};
  float fillPositions[kMaxPaintColors] = {};
  uint8_t fillAlpha = 255;
  uint32_t lineShadowColor = 0;
  uint32_t fillShadowColor = 0;
  uint32_t pictureRecolor = 0;
  uint8_t pictureAlpha = 255;
};

}  // namespace Present::Painting

// Turning a node's resolved style into the paint record's colours: scheme colours
// against the canvas palette, transparencies into alpha, gradients into complete stop
// lists from 0 to 1.
#pragma once

#include <cstdint>

#include <plastrum/format/ColorModel.h>
#include <plastrum/format/StyleCache.h>
#include <plastrum/present/painting/PaintRecord.h>
#include <plastrum/Export.h>

namespace Present::Painting {

// The twelve colours of a canvas palette, any of which may be missing (null).
using Palette = Type::Color* const*;

// ((1 - transparency) x 255) truncated, the transparency first held to 0..1 (a value
// that is not a number counts as opaque).
PLASTRUM_API uint8_t AlphaOf(float transparency);
// (1 - transparency) x sourceAlpha truncated, the transparency held as above.
PLASTRUM_API uint8_t ScaledAlpha(float transparency, uint8_t sourceAlpha);
// Packs ((A x 256 + R) x 256 + G) x 256 + B.
inline uint32_t PackArgb(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
  return ((uint32_t{a} * 256 + r) * 256 + g) * 256 + b;
}
// One colour: a scheme colour takes its palette entry first, the colour's own model
// brings its RGB up to date, and the alpha comes from the transparency. A missing colour
// is black.
PLASTRUM_API uint32_t ResolveColor(Type::Color* color, float transparency, Palette palette);

// A line or fill is visible unless its fill type is None (0) or Auto (5).
PLASTRUM_API bool FillVisible(const Style::FillRecord* fill);
PLASTRUM_API bool LineVisible(const Style::LineRecord* line);

// The line's colours (only for a visible line, which also sets kHasLine).
PLASTRUM_API void ResolveLineColors(PaintRecord& record, const Style::LineRecord* line, Palette palette);
// The fill's colours and alpha (only for a visible fill).
PLASTRUM_API void ResolveFillColors(PaintRecord& record, const Style::FillRecord* fill, Palette palette);
// The shadow colours of a topic: one shadow colour at the line's and the fill's alpha
// times its own opacity, when the shadow is on and the line or the fill is visible.
PLASTRUM_API void ResolveShadowColors(PaintRecord& record, const Style::ShapeRecord& shape, Palette palette);
// The recolour colour and picture alpha, for a picture that names its image.
PLASTRUM_API void ResolvePictureColors(PaintRecord& record, const Style::PictureRecord* picture, Palette palette);
// Whether the image builders must apply the picture's adjustments.
PLASTRUM_API bool PictureAdjusted(const Style::PictureRecord& picture);

// Everything above for one node: its category (0x100 topic ... 0x102 picture frame,
// 0x200 branch) and shape kind choose which parts apply. A null style leaves the
// record's colours empty.
PLASTRUM_API void ResolvePaintColors(PaintRecord& record, const Style::ShapeRecord* shape, uint16_t category,
                                     uint32_t kind, Palette palette);

}  // namespace Present::Painting

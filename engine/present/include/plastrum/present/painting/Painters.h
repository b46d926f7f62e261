// The painters: a figure's resolved formats and flattened outline turned into shadows,
// fills, pictures and strokes on the canvas's current render target, and the state
// overlays of the second pass.
//
// Device mapping: a model point (x, y) at figure position (px, py) becomes
// ((x + px + originX) / 914400 x scaleX, (y + py + originY) / 914400 x scaleY), in 32-bit
// floats; a recording takes the origin as 0. A length L becomes L / 914400 x scaleX.
//
// Codes: 0 painted, 1 outline buffer missing (shadow), 2 a fill, line-fill or gradient
// type outside the lists, 3 out of memory for a brush or buffer, 21 no render target,
// 24 the host's text callback refused, 25 an image missing. Each step releases what it took.
#pragma once

#include <cstdint>
#include <vector>

#include <luminar/Luminar.h>
#include <plastrum/present/drawing/NodePainter.h>
#include <plastrum/Export.h>

namespace Present::Painting {

using Drawing::FigurePaint;
using Drawing::PaintContext;
using Drawing::PaintPosition;
using Drawing::PointF;
using Drawing::RectF;

struct PLASTRUM_API DeviceMap {
  float scaleX = 96, scaleY = 96, originX = 0, originY = 0;

  PointF ToDevice(const PointF& p, const PaintPosition& at) const {
    return PointF{(p.x + at.x + originX) / 914400.0f * scaleX, (p.y + at.y + originY) / 914400.0f * scaleY};
  }
  float Length(float emu) const { return emu / 914400.0f * scaleX; }
  RectF ToDevice(const RectF& r, const PaintPosition& at) const {
    const PointF a = ToDevice(PointF{r.x, r.y}, at);
    return RectF{a.x, a.y, Length(r.width), r.height / 914400.0f * scaleY};
  }
};

PLASTRUM_API DeviceMap MapOf(const PaintContext& context);
// The render the paint draws on now, or null.
PLASTRUM_API NativeRender CurrentRender(const PaintContext& context);

// A node's flattened outline in device units.
PLASTRUM_API std::vector<PointF> DeviceOutline(const Drawing::Diagram& node, const DeviceMap& map,
                                               const PaintPosition& at);

// The shape painter: bare mode (fill and stroke only), or outer shadow, fill, picture,
// inner shadow and stroke, the stroke moved outward by half its width when it meets a
// picture. The code of the last step that ran.
PLASTRUM_API int32_t PaintShape(PaintContext& context, const Drawing::Diagram& node, const PaintPosition& at,
                                FigurePaint& record);

// The steps, on device points and the figure's device rectangle.
PLASTRUM_API int32_t StrokeOutline(NativeRender render, const DeviceMap& map, const std::vector<PointF>& points,
                                   const RectF& rect, const FigurePaint& record);
PLASTRUM_API int32_t FillOutline(PaintContext& context, NativeRender render, const std::vector<PointF>& points,
                                 const RectF& rect, const FigurePaint& record);
PLASTRUM_API int32_t PaintOuterShadow(NativeRender render, const DeviceMap& map, const Drawing::Diagram& node,
                                      const std::vector<PointF>& points, const RectF& rect, const FigurePaint& record);
// The inner shadow: the figure's surroundings in the shadow colour, displaced against the
// angle and clipped to the figure, so that only the shadow falling inside it shows.
PLASTRUM_API int32_t PaintInnerShadow(NativeRender render, const DeviceMap& map, const std::vector<PointF>& points,
                                      const RectF& rect, const FigurePaint& record);
PLASTRUM_API int32_t PaintPicture(PaintContext& context, NativeRender render, const std::vector<PointF>& points,
                                  const RectF& rect, const FigurePaint& record);

// A gradient brush over device bounds (and, for "Path", the outline), its stops set; the
// path kinds take the stops reversed (a path gradient runs from its boundary inward). Null
// for a gradient type outside 0-3 (*code 2) or when it cannot be made (*code 3).
PLASTRUM_API NativeBrush MakeGradientBrush(const Style::GradientRecord& gradient, const RectF& bounds,
                                           const std::vector<PointF>& points, const uint32_t* colors,
                                           const float* positions, int32_t count, int32_t* code);

// The focus and pick highlight over a selected figure's device rectangle. Only when the
// node's flags word has its paint bit 0x01 and the canvas's flag 0x02 is clear: pick (0x200)
// fills the rectangle and outlines it with a hairline, focus (0x100) outlines it 2 / zoom
// wide with round joins; `emphasis` (the focused selection) takes the stronger colours.
inline constexpr uint32_t kPickFill = 0x2791C2FAu;
inline constexpr uint32_t kPickFillEmphasis = 0x272486F6u;
inline constexpr uint32_t kPickLine = 0x8CFFFFFFu;
inline constexpr uint32_t kFocusLine = 0xFF91C2FAu;
inline constexpr uint32_t kFocusLineEmphasis = 0xFF2486F6u;
PLASTRUM_API int32_t PaintFocusAndPick(PaintContext& context, const Drawing::Diagram& node, const RectF& deviceRect,
                                       bool emphasis);

// The connection sites of a node at a position: marker bitmap 5 centred on each, its size
// divided by the zoom.
PLASTRUM_API int32_t PaintConnectionSites(PaintContext& context, const Drawing::Diagram& node, const PaintPosition& at);

// The painters the canvas draws through.
PLASTRUM_API Drawing::NodePainter& EnginePainters();

}  // namespace Present::Painting

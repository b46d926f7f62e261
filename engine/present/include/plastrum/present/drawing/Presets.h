// The shape presets: one builder per shape kind that fills a fresh geometry from a frame.
//   100..107  branch lines from the adjust points P3 (start) to P0 (end)
//   200..203  relations through the four adjust points
//   300..308  boundaries around the adjust points, brackets and braces
//   400..411  topic shapes in the box (0, 0)-(width, height)
#pragma once

#include <cstdint>

#include <plastrum/present/drawing/Geometry.h>
#include <plastrum/present/drawing/ShapeFrame.h>
#include <plastrum/Export.h>

namespace Present::Drawing {

// A new geometry for the kind (the caller deletes it), its guideline fitted to the box
// (topic shapes) or to the segment bounds; null for an unknown kind or when memory runs
// out. A frame with a non-finite value, or fewer adjust points than the kind reads,
// gives a geometry without segments, which is never painted or hit.
PLASTRUM_API Geometry* BuildGeometry(const ShapeFrame& frame, uint32_t kind);
PLASTRUM_API bool IsPresetKind(uint32_t kind);
// How many adjust points the kind's builder reads (0 for kinds that read none).
PLASTRUM_API int32_t PointsRead(uint32_t kind);

// The text rectangle {x, y, width, height} of a topic shape of the frame's size.
PLASTRUM_API RectF TextRect(uint32_t kind, const ShapeFrame& frame);

// The fixed corner radius of rounded rectangles and callouts, capped at half the
// frame's width and height so that narrow frames keep straight edges of length >= 0.
PLASTRUM_API float RoundedCornerRadius(float width, float height);

}  // namespace Present::Drawing

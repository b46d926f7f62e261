// Stroking with a Luminar pen: dashes, caps, joins, compound bands and arrowheads.
#pragma once

#include "Object.h"

namespace luminar {

// Strokes `path` on the render (already begun). `arrows` applies the pen's arrowheads to
// an open single figure given as `points`.
void StrokePath(Render& render, const Pen& pen, const PathData& path, const std::vector<NativePointF>* arrows);

// The compound bands as (start, end) fractions of the width, across the line.
std::vector<std::pair<double, double>> CompoundBands(LONG compound);

// Each point moved by `distance` along the figure's left normal (miters capped at 4x).
std::vector<NativePointF> OffsetPolyline(const std::vector<NativePointF>& points, bool closed, double distance);

}  // namespace luminar

// Where a radial or rectangular gradient lies for a figure's bounds.
//
// Direction 2 ("Center") puts the gradient's path on the bounds; the corner directions 0
// ("BottomRight"), 1 ("BottomLeft"), 3 ("TopRight") and 4 ("TopLeft") on a rectangle twice
// the bounds whose centre is that corner, so the gradient spreads from it over the figure.
// An ellipse is widened by the bounds' diagonal so that it still reaches the far corners.
// Any other direction lies as 0 does.
#pragma once

#include <cstdint>

#include <luminar/Luminar.h>
#include <plastrum/Export.h>

namespace Present::Rendering {

PLASTRUM_API NativeRectF RadialLayoutRect(const NativeRectF& bounds, uint8_t direction, bool ellipse);

// Fills a brush handle with a path gradient over an ellipse or rectangle on the rectangle,
// centred on its centre; false on failure.
PLASTRUM_API bool MakeRadialPathBrush(NativeBrush brush, const NativeRectF& rect, bool ellipse);

}  // namespace Present::Rendering

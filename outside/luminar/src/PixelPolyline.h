// Polylines thinned for painting onto pixels.
#pragma once

#include <cairo.h>

#include <vector>

#include "luminar/Luminar.h"

namespace luminar {

// The vertices of a polyline worth drawing at the given user-to-device mapping: a vertex
// goes when leaving it out moves the line by less than a tenth of a device pixel. The
// first and the last vertex always stay, so a closed figure closes where it did.
std::vector<NativePointF> PixelPolyline(const NativePointF* points, LONG count, const cairo_matrix_t& toDevice);

// PixelPolyline remembering its last answer on this thread: a shape is filled, then
// outlined, with the same vertices.
const std::vector<NativePointF>& PixelPolylineOnce(const NativePointF* points, LONG count,
                                                   const cairo_matrix_t& toDevice);

}  // namespace luminar

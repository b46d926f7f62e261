// Our own vector glyphs for the "Marlett" symbol face.
#pragma once

typedef struct _cairo cairo_t;

namespace kx2::gdi {

// Draws the glyph of `c` in the em box whose left edge is x and top is `top` (device
// units) with the current source; false for a character Marlett leaves blank.
bool EmitMarlettGlyph(cairo_t* cr, char32_t c, double x, double top, double em);

}  // namespace kx2::gdi

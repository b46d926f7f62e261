// The hatch styles as 8x8 tiles of fore (1) and back (0) pixels.
#pragma once

#include <cstdint>

namespace luminar {

// Row y of style's tile, bit 7 the leftmost pixel. Styles 0-52 (Horizontal, Vertical,
// ForwardDiagonal, BackwardDiagonal, Cross, DiagonalCross, the percentages 05-90, the light,
// dark, wide, narrow and dashed lines, confetti, zigzag, wave, bricks, weave, plaid, divot,
// dotted grid and diamond, shingle, trellis, sphere, small grid, checkerboards, diamonds);
// any other style draws as Horizontal.
uint8_t HatchRow(int style, int y);

}  // namespace luminar

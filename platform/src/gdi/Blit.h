// The blit engine shared by BitBlt, StretchBlt, MaskBlt, the DIB blits and the pattern
// blits: any of the 256 ternary raster operations, with stretching and GDI's rules for
// 1-bit and colour surfaces.
#pragma once

#include <string>

#include "Dc.h"

namespace kx2::gdi {

struct BlitSource {
  const uint32_t* base = nullptr;  // row 0
  ptrdiff_t stride = 0;            // in pixels
  int width = 0;
  int height = 0;
  bool mono = false;
  COLORREF bkColor = 0xFFFFFF;  // the source DC's background (colour to 1-bit)
};

BlitSource SourceOf(Dc& dc);

// The result of a ternary raster operation: `code` is the truth table (rop bits 16..23)
// indexed by pattern * 4 + source * 2 + destination.
inline uint32_t Rop3(unsigned code, uint32_t p, uint32_t s, uint32_t d) {
  uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i)
    if (code >> i & 1) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  return r;
}
inline bool RopUsesSource(unsigned code) { return ((code >> 2) & 0x33) != (code & 0x33); }
inline bool RopUsesPattern(unsigned code) { return ((code >> 4) & 0x0F) != (code & 0x0F); }

// Device rectangles; negative widths or heights mirror. `mask` (1-bit, may be null) picks
// per pixel between the foreground code (mask 1) and the background code (mask 0).
bool Blit(Dc& dst, int dx, int dy, int dw, int dh, const BlitSource* src, int sx, int sy, int sw, int sh,
          unsigned foreground, unsigned background, const Bitmap* mask, int mx, int my);

// Appends a line to the call journal when it is on.
bool JournalOn();
void JournalAdd(const std::string& line);

}  // namespace kx2::gdi

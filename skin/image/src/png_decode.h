// The libpng side of the PNG loader, kept in C terms: libpng reports errors by jumping
// back to where decoding started, so no C++ object may live between that point and the
// library's frames, and nothing may be thrown through them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ornatex::png {

// Reads up to count bytes into buffer and returns how many came; never throws.
typedef size_t (*ReadFn)(void* context, uint8_t* buffer, size_t count);

// Rows of 3 (red, green, blue) or 4 (and alpha) bytes per pixel, 8 bits each, top row
// first, rowBytes apart; pixels from malloc, freed with std::free.
struct Decoded {
  uint8_t* pixels;
  uint32_t width;
  uint32_t height;
  int channels;
  size_t rowBytes;
};

// Checks the signature (the first 8 bytes), then decodes with the loader's
// transformations: 16 bits stripped to 8, palettes, low depths and tRNS expanded, grey
// made RGB, the file's gamma corrected for a 2.2 screen. A bKGD chunk is ignored: an
// image keeps its transparency. Sides above 32,767 pixels and buffers whose size would
// overflow are refused before anything is allocated.
bool Decode(ReadFn read, void* context, Decoded* out);

}  // namespace ornatex::png

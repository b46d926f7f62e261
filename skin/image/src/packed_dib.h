// A packed DIB (a BITMAPINFOHEADER, its colour masks and colour table, then the pixels:
// an RT_BITMAP resource or a .bmp file after its 14-byte file header), checked against the
// size of the bytes that hold it before anything is read or allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <win/gdi.h>

namespace ornatex {

struct PackedDib {
  BITMAPINFOHEADER header;    // as read (little-endian, field by field)
  std::vector<uint8_t> info;  // header, masks and colour table: a BITMAPINFO for GDI
  const uint8_t* pixels;      // inside the given bytes
  size_t pixelBytes;          // stride x |height|
  size_t stride;
};

// FALSE for anything outside the bytes: a width of 0 or less, a height of 0, a side above
// 32,767, a depth other than 1, 4, 8, 16, 24 or 32, compression other than BI_RGB (or
// BI_BITFIELDS at 16 and 32), a colour count above 2^bits, or pixels past the end.
bool ParsePackedDib(const uint8_t* data, size_t size, PackedDib* out);

// The DIB as a bitmap: at 24 and 32 bits a DIB section of its own depth with the pixels
// copied; below, through its colour table. Null when GDI refuses.
HBITMAP BitmapFromPackedDib(const PackedDib& dib);

}  // namespace ornatex

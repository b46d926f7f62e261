// Objects behind bitmap, icon and cursor handles (in the kernel handle table).
#pragma once

#include <cstdint>
#include <vector>

#include <kx2/KernelObject.h>
#include <win/gdi.h>

namespace kx2::gdi {

class Bitmap final : public KernelObject {
 public:
  BITMAPINFOHEADER header{};
  std::vector<uint8_t> dib;  // the header, colour table and bits as loaded
};

class IconImage final : public KernelObject {
 public:
  bool isIcon = true;
  int width = 0;
  int height = 0;
  POINT hotSpot{0, 0};
  std::vector<uint8_t> image;  // DIB with its mask, or PNG
};

// Checks a DIB (header, colour table, bits) and reads its header; maskRows: the height
// counts an AND mask too (icons and cursors).
bool ParseDib(const uint8_t* data, size_t size, bool maskRows, BITMAPINFOHEADER* header);

}  // namespace kx2::gdi

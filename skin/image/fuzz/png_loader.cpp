// Bytes through the PNG loader's stream load: any input ends with a bitmap or with none,
// never with a fault, a leak or a throw.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <win/afx.h>

#include "ornatex/image/png_bitmap.h"

namespace {

// Pictures whose header declares more than this many pixels are not decoded here: the
// loader's own limit (32,767 a side) allows gigabytes, which no fuzzing run can hold.
constexpr uint64_t kMaxPixels = 4096u * 4096u;

uint32_t Be32(const uint8_t* p) { return (uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size >= 24 && std::memcmp(data + 12, "IHDR", 4) == 0 && uint64_t{Be32(data + 16)} * Be32(data + 20) > kMaxPixels)
    return 0;
  CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
  CKtkGraphicBitmapPng png;
  if (png.LoadFromStream(file)) {
    BITMAP bm{};
    if (!GetObjectW(png.GetSafeHandle(), sizeof bm, &bm) || bm.bmBitsPixel != 32) __builtin_trap();
  }
  return 0;
}

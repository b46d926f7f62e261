// Icon files: a directory of images, each a PNG or a DIB with its AND mask. The largest
// image (then the deepest) is the picture.
#include <cstring>
#include <vector>

#include "Codec.h"

namespace kx2::imaging {
namespace {

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

constexpr size_t kDirectoryHeader = 6;
constexpr size_t kDirectoryEntry = 16;

}  // namespace

bool DecodeIcoFile(const uint8_t* data, size_t size, Picture* out) {
  if (!data || size < kDirectoryHeader || Le16(data) != 0 || Le16(data + 2) != 1) return false;
  const size_t count = Le16(data + 4);
  if (count == 0 || kDirectoryHeader + count * kDirectoryEntry > size) return false;
  size_t best = count;
  uint64_t bestScore = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = data + kDirectoryHeader + i * kDirectoryEntry;
    const uint32_t bytes = Le32(e + 8), offset = Le32(e + 12);
    if (bytes == 0 || offset > size || bytes > size - offset) continue;
    const uint64_t w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
    const uint64_t score = (w * h << 8) | Le16(e + 6);
    if (best == count || score > bestScore) best = i, bestScore = score;
  }
  if (best == count) return false;
  const uint8_t* e = data + kDirectoryHeader + best * kDirectoryEntry;
  const uint8_t* image = data + Le32(e + 12);
  const size_t bytes = Le32(e + 8);
  static const uint8_t kPng[4] = {0x89, 'P', 'N', 'G'};
  if (bytes >= 4 && std::memcmp(image, kPng, 4) == 0) return DecodePng(image, bytes, out);
  return DecodeDibIcon(std::vector<uint8_t>(image, image + bytes), out);
}

}  // namespace kx2::imaging

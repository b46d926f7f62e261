// Run-length encoded BMP bits (BI_RLE8 and BI_RLE4) expanded into plain rows of the same
// depth. Rows run from the bottom up; a count byte repeats the next byte's index (RLE4:
// its two nibbles in turn), and a zero count starts an escape: 0 ends the row, 1 ends the
// image, 2 moves right and up by the next two bytes, 3 and more take that many indices as
// they stand (padded to a 16-bit boundary). Pixels the runs skip keep index 0; runs past
// the right edge or the top are cut off there.
#include "BmpRle.h"

namespace kx2::gdi {
namespace {

// At most this many pixels however little data describes them, unless the data is large
// enough to stand for them: a few bytes must not make a picture of a gigabyte.
constexpr uint64_t kPixelsWithoutData = uint64_t{1} << 24;
constexpr uint64_t kPixelsPerByte = 128;

}  // namespace

bool ExpandRle(const uint8_t* data, size_t size, int width, int height, bool fourBit, std::vector<uint8_t>* rows) {
  if (width <= 0 || height <= 0) return false;
  const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  if (pixels > kPixelsWithoutData && pixels > static_cast<uint64_t>(size) * kPixelsPerByte) return false;
  std::vector<uint8_t> index(static_cast<size_t>(pixels), 0);
  int64_t x = 0, y = 0;
  auto put = [&](uint8_t value) {
    if (x < width && y < height)
      index[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] = value;
    ++x;
  };
  auto nibble = [](uint8_t byte, int i) { return static_cast<uint8_t>(i % 2 == 0 ? byte >> 4 : byte & 0x0F); };
  size_t at = 0;
  while (at + 1 < size && y < height) {
    const uint8_t count = data[at], value = data[at + 1];
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(fourBit ? nibble(value, i) : value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (at + 1 >= size) return false;
      x += data[at];
      y += data[at + 1];
      at += 2;
    } else {
      const size_t bytes = fourBit ? (value + 1u) / 2u : value;
      if (at + bytes > size) return false;
      for (int i = 0; i < value; ++i) put(fourBit ? nibble(data[at + static_cast<size_t>(i / 2)], i) : data[at + i]);
      at += bytes + (bytes & 1);
    }
  }
  // Packed into rows of the same depth, each a multiple of four bytes.
  const size_t stride = ((static_cast<size_t>(width) * (fourBit ? 4 : 8) + 31) / 32) * 4;
  rows->assign(stride * static_cast<size_t>(height), 0);
  for (size_t row = 0; row < static_cast<size_t>(height); ++row) {
    const uint8_t* from = index.data() + row * static_cast<size_t>(width);
    uint8_t* to = rows->data() + row * stride;
    for (size_t col = 0; col < static_cast<size_t>(width); ++col) {
      if (fourBit)
        to[col / 2] |= static_cast<uint8_t>(col % 2 == 0 ? from[col] << 4 : from[col]);
      else
        to[col] = from[col];
    }
  }
  return true;
}

}  // namespace kx2::gdi

// DIB layouts: checking a BITMAPINFO and converting rows between a DIB's stored format and
// the 32-bit pixels every bitmap keeps.
#include <cstring>

#include "GdiObjects.h"

namespace kx2::gdi {
namespace {

int Shift(uint32_t mask) {
  int s = 0;
  if (!mask) return 0;
  while (!(mask & 1)) mask >>= 1, ++s;
  return s;
}

int Bits(uint32_t mask) {
  int n = 0;
  for (; mask; mask &= mask - 1) ++n;
  return n;
}

// A field of `mask` widened (or narrowed) to 8 bits.
uint32_t Channel(uint32_t value, uint32_t mask) {
  if (!mask) return 0;
  const int shift = Shift(mask), bits = Bits(mask);
  uint32_t v = (value & mask) >> shift;
  if (bits >= 8) return v >> (bits - 8);
  // Replicate the high bits so that the full field gives 255.
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << bits) | v;
    filled += bits;
  }
  return out >> (filled - 8);
}

uint32_t Pack(uint32_t pixel, const uint32_t* masks) {
  uint32_t out = 0;
  const uint32_t channel[3] = {(pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF};
  for (int i = 0; i < 3; ++i) {
    if (!masks[i]) continue;
    const int shift = Shift(masks[i]), bits = Bits(masks[i]);
    const uint32_t v = bits >= 8 ? channel[i] << (bits - 8) : channel[i] >> (8 - bits);
    out |= (v << shift) & masks[i];
  }
  return out;
}

int Nearest(const std::vector<uint32_t>& table, uint32_t pixel) {
  int best = 0;
  long bestDistance = -1;
  for (size_t i = 0; i < table.size(); ++i) {
    const uint32_t c = table[i];
    if ((c & 0xFFFFFF) == (pixel & 0xFFFFFF)) return static_cast<int>(i);
    const long dr = long((c >> 16) & 0xFF) - long((pixel >> 16) & 0xFF);
    const long dg = long((c >> 8) & 0xFF) - long((pixel >> 8) & 0xFF);
    const long db = long(c & 0xFF) - long(pixel & 0xFF);
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = static_cast<int>(i);
  }
  return best;
}

}  // namespace

bool ReadDibFormat(const BITMAPINFO* info, UINT usage, DibFormat* out) {
  if (!info) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 1024 || h.biWidth <= 0 || h.biWidth > 32767 ||
      h.biHeight == 0 || h.biHeight > 32767 || h.biHeight < -32767 || h.biPlanes != 1)
    return false;
  DibFormat f;
  f.width = h.biWidth;
  f.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  f.topDown = h.biHeight < 0;
  f.bitCount = h.biBitCount;
  f.compression = h.biCompression;
  switch (f.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      if (f.compression != BI_RGB) return false;
      break;
    case 16:
    case 32:
      if (f.compression != BI_RGB && f.compression != BI_BITFIELDS) return false;
      break;
    default:
      return false;
  }
  const uint8_t* after = reinterpret_cast<const uint8_t*>(info) + h.biSize;
  if (f.compression == BI_BITFIELDS) {
    // The masks follow a 40-byte header; larger headers carry them inside.
    const uint8_t* m = h.biSize == sizeof(BITMAPINFOHEADER) ? after : reinterpret_cast<const uint8_t*>(info) + 40;
    std::memcpy(f.masks, m, sizeof f.masks);
    if (h.biSize == sizeof(BITMAPINFOHEADER)) after += 12;
    for (uint32_t mask : f.masks) {
      // A mask is one run of bits.
      if (mask && ((mask >> Shift(mask)) & ((mask >> Shift(mask)) + 1))) return false;
    }
  } else if (f.bitCount == 16) {
    f.masks[0] = 0x7C00, f.masks[1] = 0x03E0, f.masks[2] = 0x001F;
  }
  if (f.bitCount <= 8) {
    const uint32_t max = 1u << f.bitCount;
    uint32_t used = h.biClrUsed ? h.biClrUsed : max;
    if (used > max) return false;
    f.colours.resize(max, 0);
    for (uint32_t i = 0; i < used; ++i) {
      if (usage == DIB_PAL_COLORS) {
        // Indices into a palette we do not keep: read as the default palette's greys.
        const uint16_t index = static_cast<uint16_t>(after[i * 2] | after[i * 2 + 1] << 8);
        const uint32_t g = index & 0xFF;
        f.colours[i] = g << 16 | g << 8 | g;
      } else {
        const uint8_t* q = after + i * 4;
        f.colours[i] = uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
      }
    }
    after += usage == DIB_PAL_COLORS ? used * 2 : used * 4;
  }
  f.stride = ((static_cast<size_t>(f.width) * f.bitCount + 31) / 32) * 4;
  if (f.stride * static_cast<size_t>(f.height) > 0x7FFFFFFF) return false;
  f.headerSize = static_cast<size_t>(after - reinterpret_cast<const uint8_t*>(info));
  *out = std::move(f);
  return true;
}

void DibRowToPixels(const DibFormat& f, const uint8_t* row, uint32_t* out, int count) {
  switch (f.bitCount) {
    case 1:
      for (int x = 0; x < count; ++x) out[x] = f.colours[(row[x >> 3] >> (7 - (x & 7))) & 1];
      break;
    case 4:
      for (int x = 0; x < count; ++x) out[x] = f.colours[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
      break;
    case 8:
      for (int x = 0; x < count; ++x) out[x] = f.colours[row[x]];
      break;
    case 16:
      for (int x = 0; x < count; ++x) {
        const uint32_t v = row[x * 2] | row[x * 2 + 1] << 8;
        out[x] = Channel(v, f.masks[0]) << 16 | Channel(v, f.masks[1]) << 8 | Channel(v, f.masks[2]);
      }
      break;
    case 24: {
      // Four pixels from three little-endian words: a third of the loads of byte by byte,
      // for the large 24-bit images (banners, photographs) loaded whole.
      int x = 0;
      for (; x + 4 <= count; x += 4, row += 12) {
        uint32_t w0, w1, w2;
        std::memcpy(&w0, row, 4);
        std::memcpy(&w1, row + 4, 4);
        std::memcpy(&w2, row + 8, 4);
        out[x] = w0 & 0xFFFFFF;
        out[x + 1] = w0 >> 24 | (w1 & 0xFFFF) << 8;
        out[x + 2] = w1 >> 16 | (w2 & 0xFF) << 16;
        out[x + 3] = w2 >> 8;
      }
      for (; x < count; ++x, row += 3) out[x] = uint32_t(row[2]) << 16 | row[1] << 8 | row[0];
      break;
    }
    case 32:
      if (f.compression == BI_RGB) {
        std::memcpy(out, row, static_cast<size_t>(count) * 4);
      } else {
        for (int x = 0; x < count; ++x) {
          uint32_t v;
          std::memcpy(&v, row + x * 4, 4);
          out[x] = Channel(v, f.masks[0]) << 16 | Channel(v, f.masks[1]) << 8 | Channel(v, f.masks[2]);
        }
      }
      break;
  }
}

void PixelsToDibRow(const DibFormat& f, const uint32_t* in, uint8_t* row, int count) {
  switch (f.bitCount) {
    case 1:
    case 4:
    case 8: {
      const int per = 8 / f.bitCount;
      std::memset(row, 0, (static_cast<size_t>(count) + per - 1) / per);
      uint32_t lastPixel = 0xFFFFFFFF;
      int lastIndex = 0;
      for (int x = 0; x < count; ++x) {
        if ((in[x] & 0xFFFFFF) != lastPixel) lastPixel = in[x] & 0xFFFFFF, lastIndex = Nearest(f.colours, in[x]);
        const int shift = 8 - f.bitCount * (x % per + 1);
        row[x / per] |= static_cast<uint8_t>(lastIndex << shift);
      }
      break;
    }
    case 16:
      for (int x = 0; x < count; ++x) {
        const uint32_t v = Pack(in[x], f.masks);
        row[x * 2] = static_cast<uint8_t>(v), row[x * 2 + 1] = static_cast<uint8_t>(v >> 8);
      }
      break;
    case 24:
      for (int x = 0; x < count; ++x) {
        row[x * 3] = static_cast<uint8_t>(in[x]);
        row[x * 3 + 1] = static_cast<uint8_t>(in[x] >> 8);
        row[x * 3 + 2] = static_cast<uint8_t>(in[x] >> 16);
      }
      break;
    case 32:
      if (f.compression == BI_RGB) {
        std::memcpy(row, in, static_cast<size_t>(count) * 4);
      } else {
        for (int x = 0; x < count; ++x) {
          const uint32_t v = Pack(in[x], f.masks);
          std::memcpy(row + x * 4, &v, 4);
        }
      }
      break;
  }
}

bool ParseDib(const uint8_t* data, size_t size, bool maskRows, BITMAPINFOHEADER* header) {
  if (!data || size < sizeof(BITMAPINFOHEADER)) return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, data, sizeof h);  // little-endian fields, as this build
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size || h.biWidth <= 0 || h.biHeight == 0 ||
      h.biWidth > 0x8000 || h.biHeight > 0x10000 || h.biHeight < -0x8000 || h.biPlanes != 1)
    return false;
  switch (h.biBitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return false;
  }
  if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) return false;
  uint64_t colours = h.biClrUsed;
  if (colours == 0 && h.biBitCount <= 8) colours = 1u << h.biBitCount;
  if (colours > 256 && h.biBitCount <= 8) return false;
  uint64_t table = colours * 4;
  if (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) table += 12;
  uint64_t rows = h.biHeight < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(h.biHeight)) : h.biHeight;
  const uint64_t stride = ((static_cast<uint64_t>(h.biWidth) * h.biBitCount + 31) / 32) * 4;
  uint64_t bits = stride * rows;
  if (maskRows) {
    // The height counts the colour image and the 1-bit mask below it.
    rows /= 2;
    const uint64_t maskStride = ((static_cast<uint64_t>(h.biWidth) + 31) / 32) * 4;
    bits = stride * rows + maskStride * rows;
  }
  if (h.biSize + table + bits > size) return false;
  *header = h;
  return true;
}

}  // namespace kx2::gdi

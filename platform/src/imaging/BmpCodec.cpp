// BMP: the file header over the platform's one DIB parser (the checks LoadImageW and the
// DIB calls make). Written as 24-bit rows, or 32-bit with an alpha mask (a V4 header)
// when the picture carries alpha.
#include <cstring>

#include "../gdi/GdiObjects.h"
#include "Codec.h"

namespace kx2::imaging {
namespace {

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void Put16(std::vector<uint8_t>& o, uint32_t v) { o.push_back(uint8_t(v)), o.push_back(uint8_t(v >> 8)); }
void Put32(std::vector<uint8_t>& o, uint32_t v) { Put16(o, v & 0xFFFF), Put16(o, v >> 16); }

constexpr size_t kFileHeader = 14;

}  // namespace

bool DecodeBmp(const uint8_t* data, size_t size, Picture* out) {
  if (size < kFileHeader + 40 || data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t offBits = Le32(data + 10);
  const uint8_t* dib = data + kFileHeader;
  const size_t dibSize = size - kFileHeader;
  // The header and colour table, copied so that the structures are read aligned.
  std::vector<uint8_t> aligned(dib, dib + dibSize);
  BITMAPINFOHEADER header;
  if (!gdi::ParseDib(aligned.data(), aligned.size(), false, &header)) return false;
  gdi::DibFormat format;
  if (!gdi::ReadDibFormat(reinterpret_cast<const BITMAPINFO*>(aligned.data()), DIB_RGB_COLORS, &format)) return false;
  if (format.compression != BI_RGB && format.compression != BI_BITFIELDS) return false;
  if (!out->Allocate(format.width, format.height)) return false;
  // The bits start where the file header says, when that leaves room for every row;
  // otherwise right after the colour table.
  size_t bits = format.headerSize;
  const size_t need = format.stride * size_t(format.height);
  if (offBits >= kFileHeader + format.headerSize && offBits - kFileHeader <= dibSize &&
      dibSize - (offBits - kFileHeader) >= need)
    bits = offBits - kFileHeader;
  if (bits > dibSize || dibSize - bits < need) return false;
  const uint32_t headerBytes = Le32(dib);
  const bool alphaMask = format.bitCount == 32 && headerBytes >= 56 && Le32(dib + 52) == 0xFF000000u;
  out->hasAlpha = alphaMask;
  std::vector<uint32_t> row(size_t(format.width));
  for (int y = 0; y < format.height; ++y) {
    const int stored = format.topDown ? y : format.height - 1 - y;
    const uint8_t* src = aligned.data() + bits + size_t(stored) * format.stride;
    gdi::DibRowToPixels(format, src, row.data(), format.width);
    uint8_t* dst = out->Row(y);
    for (int x = 0; x < format.width; ++x) {
      const uint32_t v = row[size_t(x)];
      dst[x * 4] = uint8_t(v), dst[x * 4 + 1] = uint8_t(v >> 8), dst[x * 4 + 2] = uint8_t(v >> 16);
      dst[x * 4 + 3] = alphaMask ? src[x * 4 + 3] : 255;
    }
  }
  const int32_t ppmX = int32_t(Le32(dib + 24)), ppmY = int32_t(Le32(dib + 28));
  if (ppmX > 0 && ppmY > 0) out->dpiX = float(ppmX * 0.0254), out->dpiY = float(ppmY * 0.0254);
  (void)Le16;
  return true;
}

bool EncodeBmp(const PixelsView& in, std::vector<uint8_t>* out) {
  const uint32_t infoSize = in.withAlpha ? 108 : 40;
  const uint32_t bpp = in.withAlpha ? 32 : 24;
  const uint64_t stride = ((uint64_t(in.width) * bpp + 31) / 32) * 4;
  const uint64_t imageSize = stride * uint64_t(in.height);
  if (imageSize + kFileHeader + infoSize > 0xFFFFFFFFull) return false;
  std::vector<uint8_t>& o = *out;
  o.clear();
  o.reserve(size_t(kFileHeader + infoSize + imageSize));
  o.push_back('B'), o.push_back('M');
  Put32(o, uint32_t(kFileHeader + infoSize + imageSize));
  Put32(o, 0);
  Put32(o, uint32_t(kFileHeader + infoSize));
  Put32(o, infoSize);
  Put32(o, uint32_t(in.width));
  Put32(o, uint32_t(in.height));  // bottom-up
  Put16(o, 1);
  Put16(o, bpp);
  Put32(o, in.withAlpha ? BI_BITFIELDS : BI_RGB);
  Put32(o, uint32_t(imageSize));
  Put32(o, Kx2PelsPerMeter(in.dpiX > 0 ? in.dpiX : 96));
  Put32(o, Kx2PelsPerMeter(in.dpiY > 0 ? in.dpiY : 96));
  Put32(o, 0);
  Put32(o, 0);
  if (in.withAlpha) {
    Put32(o, 0x00FF0000), Put32(o, 0x0000FF00), Put32(o, 0x000000FF), Put32(o, 0xFF000000);
    Put32(o, 0x73524742);                      // 'sRGB'
    for (int i = 0; i < 12; ++i) Put32(o, 0);  // endpoints and gamma
  }
  for (int y = in.height - 1; y >= 0; --y) {
    const uint8_t* p = in.Row(y);
    const size_t start = o.size();
    for (int x = 0; x < in.width; ++x, p += 4) {
      o.push_back(p[0]), o.push_back(p[1]), o.push_back(p[2]);
      if (in.withAlpha) o.push_back(p[3]);
    }
    o.resize(start + size_t(stride), 0);
  }
  return true;
}

}  // namespace kx2::imaging

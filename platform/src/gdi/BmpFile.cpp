// BMP files: the 14-byte file header, an info header (or the old 12-byte core header),
// colours, and the bits where the file header points (plain, masked or run-length encoded). Everything is read field by
// field and checked against the file's length before a pixel is allocated.
#include <cstring>
#include <vector>

#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>

#include "BmpRle.h"
#include "Dc.h"

namespace kx2::gdi {
namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

constexpr size_t kFileHeader = 14;
constexpr size_t kCoreHeader = 12;
constexpr size_t kInfoHeader = 40;

HBITMAP Refuse() {
  SetLastError(ERROR_INVALID_DATA);
  return nullptr;
}

// The packed DIB of the file: a BITMAPINFOHEADER form of its header, its colour table as
// RGBQUADs and the bits. False when the headers do not fit the file.
bool PackedDib(const uint8_t* data, size_t size, std::vector<uint8_t>* packed, size_t* bitsStart) {
  if (size < kFileHeader + kCoreHeader || data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t bitsAt = U32(data + 10);
  const uint8_t* info = data + kFileHeader;
  const size_t infoRoom = size - kFileHeader;
  const uint32_t headerSize = U32(info);
  std::vector<uint8_t> header;
  size_t tableAt = 0, tableEntries = 0, entrySize = 4;
  if (headerSize == kCoreHeader) {
    // The old core header: 16-bit sizes and three-byte colours.
    const uint16_t bitCount = U16(info + 10);
    header.assign(kInfoHeader, 0);
    Put32(header.data(), kInfoHeader);
    Put32(header.data() + 4, U16(info + 4));
    Put32(header.data() + 8, U16(info + 6));
    Put16(header.data() + 12, U16(info + 8));
    Put16(header.data() + 14, bitCount);
    tableAt = kCoreHeader;
    tableEntries = bitCount <= 8 ? size_t{1} << bitCount : 0;
    entrySize = 3;
  } else {
    if (headerSize < kInfoHeader || headerSize > infoRoom) return false;
    header.assign(info, info + headerSize);
    const uint16_t bitCount = U16(info + 14);
    const uint32_t compression = U32(info + 16);
    const uint32_t used = U32(info + 32);
    if (bitCount <= 8 && used > (1u << bitCount)) return false;
    tableAt = headerSize;
    tableEntries = used ? used : (bitCount <= 8 ? size_t{1} << bitCount : 0);
    // Three masks follow a 40-byte header with BI_BITFIELDS; larger headers hold them.
    if (compression == BI_BITFIELDS && headerSize == kInfoHeader) {
      if (tableAt + 12 > infoRoom) return false;
      header.insert(header.end(), info + tableAt, info + tableAt + 12);
      tableAt += 12;
    }
  }
  if (tableEntries > 256 || tableAt + tableEntries * entrySize > infoRoom) return false;
  for (size_t i = 0; i < tableEntries; ++i) {
    const uint8_t* c = info + tableAt + i * entrySize;
    header.insert(header.end(), {c[0], c[1], c[2], 0});
  }
  // The bits start where the file header says; an offset of 0 (or inside the headers,
  // which some writers leave) means right after the colours.
  size_t bits = kFileHeader + tableAt + tableEntries * entrySize;
  if (bitsAt >= bits) bits = bitsAt;
  if (bits > size) return false;
  packed->assign(header.begin(), header.end());
  *bitsStart = packed->size();
  packed->insert(packed->end(), data + bits, data + size);
  return true;
}

// Run-length encoded bits become plain rows of their depth; the header then says BI_RGB.
// RLE8 goes only with 8 bits a pixel, RLE4 with 4, and both only bottom-up.
bool ExpandCompressed(std::vector<uint8_t>* packed, size_t bitsAt) {
  uint8_t* header = packed->data();
  const uint32_t compression = U32(header + 16);
  if (compression != BI_RLE8 && compression != BI_RLE4) return true;
  const uint16_t bitCount = U16(header + 14);
  if (bitCount != (compression == BI_RLE8 ? 8 : 4)) return false;
  const auto width = static_cast<int32_t>(U32(header + 4)), height = static_cast<int32_t>(U32(header + 8));
  if (width <= 0 || width > 32767 || height <= 0 || height > 32767) return false;
  std::vector<uint8_t> rows;
  if (!ExpandRle(packed->data() + bitsAt, packed->size() - bitsAt, width, height, compression == BI_RLE4, &rows))
    return false;
  packed->resize(bitsAt);
  packed->insert(packed->end(), rows.begin(), rows.end());
  Put32(packed->data() + 16, BI_RGB);
  Put32(packed->data() + 20, 0);
  return true;
}

}  // namespace

HBITMAP BitmapFromBmpFile(const uint8_t* data, size_t size, int cx, int cy, bool dibSection) {
  std::vector<uint8_t> packed;
  size_t bitsAt = 0;
  if (!data || !PackedDib(data, size, &packed, &bitsAt) || !ExpandCompressed(&packed, bitsAt)) return Refuse();
  BITMAPINFOHEADER header;
  if (!ParseDib(packed.data(), packed.size(), false, &header)) return Refuse();
  const int width = header.biWidth;
  const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  if (width > 32767 || height > 32767) return Refuse();
  HBITMAP image = nullptr;
  if (dibSection) {
    // The section keeps the file's own format; its bits are copied in as stored.
    DibFormat format;
    std::vector<uint8_t> info(packed.begin(),
                              packed.begin() + std::min<size_t>(packed.size(), header.biSize + 12 + 1024));
    if (!ReadDibFormat(reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &format)) return Refuse();
    size_t offset = format.headerSize;
    if (format.bitCount > 8) offset += static_cast<size_t>(header.biClrUsed) * 4;
    const size_t bytes = format.stride * static_cast<size_t>(format.height);
    if (offset + bytes > packed.size()) return Refuse();
    void* bits = nullptr;
    image =
        CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!image || !bits) return Refuse();
    std::memcpy(bits, packed.data() + offset, bytes);
  } else {
    image = BitmapFromPackedDib(packed.data(), packed.size());
    if (!image) return Refuse();
  }
  if ((cx <= 0 || cx == width) && (cy <= 0 || cy == height)) return image;
  // Another size asked for: a 32-bit copy stretched to it.
  if (cx <= 0) cx = width;
  if (cy <= 0) cy = height;
  HBITMAP sized = CreateBitmap(cx, cy, 1, 32, nullptr);
  if (!sized) {
    DeleteObject(image);
    return Refuse();
  }
  HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
  HGDIOBJ oldFrom = SelectObject(from, image), oldTo = SelectObject(to, sized);
  SetStretchBltMode(to, COLORONCOLOR);
  StretchBlt(to, 0, 0, cx, cy, from, 0, 0, width, height, SRCCOPY);
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  DeleteObject(image);
  return sized;
}

}  // namespace kx2::gdi

// The binary layout of one icon in an MFC archive: its height, the schema, then images 0,
// 6 and 3 (4 from schema 8, 5 from schema 17), each a colour and a mask DIB record.
#include <algorithm>
#include <cstring>
#include <vector>

#include <kx2/ImageCodec.h>
#include <win/userres.h>

#include "ornatex/image/bitmap_routines.h"
#include "ornatex/image/image_manager.h"

namespace {

constexpr int kWrittenSchema = 38;
constexpr uint32_t kHeaderBytes = 40;
// A record's header holds the 40-byte header and at most 256 colours.
constexpr uint32_t kMaxInfoBytes = kHeaderBytes + 256 * 4;

void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// The colour entries a record's header has room for.
uint32_t TableEntries(int bits) { return bits == 4 ? 16 : bits == 8 ? 256 : 3; }

// One DIB record: the header bytes (40-byte header and its table room), then the pixels.
void WriteDib(CArchive& ar, HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
    ar.WriteCount(0);
    return;
  }
  const int bits = bm.bmBitsPixel == 1 ? 1 : 32;
  const uint32_t stride = ((static_cast<uint32_t>(bm.bmWidth) * bits + 31) / 32) * 4;
  const uint32_t imageBytes = stride * static_cast<uint32_t>(bm.bmHeight);
  // GDI fills a 40-byte header and the table.
  std::vector<uint8_t> info(kHeaderBytes + TableEntries(bits) * 4, 0);
  auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
  bmi->bmiHeader.biSize = kHeaderBytes;
  bmi->bmiHeader.biWidth = bm.bmWidth;
  bmi->bmiHeader.biHeight = bm.bmHeight;
  bmi->bmiHeader.biPlanes = 1;
  bmi->bmiHeader.biBitCount = static_cast<WORD>(bits);
  bmi->bmiHeader.biCompression = BI_RGB;
  std::vector<uint8_t> pixels(imageBytes);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(), bmi, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  // Written field by field, little-endian.
  std::vector<uint8_t> header;
  Put32(header, kHeaderBytes);
  Put32(header, static_cast<uint32_t>(bm.bmWidth));
  Put32(header, static_cast<uint32_t>(bm.bmHeight));
  Put16(header, 1);
  Put16(header, static_cast<uint16_t>(bits));
  Put32(header, BI_RGB);
  Put32(header, imageBytes);
  for (int i = 0; i < 4; ++i) Put32(header, 0);
  for (uint32_t i = 0; i < TableEntries(bits); ++i) {
    const RGBQUAD& q = bmi->bmiColors[i];
    header.push_back(q.rgbBlue);
    header.push_back(q.rgbGreen);
    header.push_back(q.rgbRed);
    header.push_back(0);
  }
  if (bits != 1)  // the table room of a colour bitmap stays empty
    std::fill(header.begin() + kHeaderBytes, header.end(), uint8_t{0});
  ar.WriteCount(header.size());
  ar.Write(header.data(), static_cast<UINT>(header.size()));
  ar.WriteCount(pixels.size());
  ar.Write(pixels.data(), static_cast<UINT>(pixels.size()));
}

// Reads `count` bytes, keeping at most `keep` of them in `out`; false when the archive ends
// first.
bool ReadBytes(CArchive& ar, DWORD_PTR count, uint8_t* out, size_t keep) {
  uint8_t scratch[4096];
  while (count > 0) {
    const UINT chunk = static_cast<UINT>(std::min<DWORD_PTR>(count, sizeof scratch));
    uint8_t* to = keep >= chunk ? out : scratch;
    if (ar.Read(to, chunk) != chunk) return false;
    if (keep >= chunk) {
      out += chunk;
      keep -= chunk;
    } else if (keep > 0) {
      std::memcpy(out, scratch, keep);
      out += keep;
      keep = 0;
    }
    count -= chunk;
  }
  return true;
}

[[noreturn]] void Refuse() { AfxThrowArchiveException(CArchiveException::badSchema); }

// One DIB record as a section; null for an empty record. A header count larger than a
// header with its colour table, or a header that is not a plain DIB, is refused; pixels
// are copied no further than both the record and the section hold.
HBITMAP ReadDib(CArchive& ar, void** sectionBits) {
  *sectionBits = nullptr;
  const DWORD_PTR infoBytes = ar.ReadCount();
  if (infoBytes == 0) return nullptr;
  if (infoBytes < kHeaderBytes || infoBytes > kMaxInfoBytes) Refuse();
  std::vector<uint8_t> info(kMaxInfoBytes, 0);
  if (ar.Read(info.data(), static_cast<UINT>(infoBytes)) != infoBytes) Refuse();
  const int32_t width = static_cast<int32_t>(Le32(info.data() + 4));
  const int32_t height = static_cast<int32_t>(Le32(info.data() + 8));
  const uint16_t bits = Le16(info.data() + 14);
  const uint32_t compression = Le32(info.data() + 16);
  uint32_t sizeImage = Le32(info.data() + 20);
  const int64_t rows = height < 0 ? -int64_t{height} : height;
  if (Le32(info.data()) != kHeaderBytes || width <= 0 || rows == 0 || width > KX2_IMAGE_MAX_SIDE ||
      rows > KX2_IMAGE_MAX_SIDE || (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) ||
      compression != BI_RGB)
    Refuse();
  const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
  const uint64_t sectionBytes = stride * static_cast<uint64_t>(rows);
  if (sizeImage == 0) sizeImage = static_cast<uint32_t>(std::min<uint64_t>(sectionBytes, UINT32_MAX));
  // A table shorter than the depth implies reads as black: the buffer holds room for 256.
  auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
  bmi->bmiHeader.biSizeImage = 0;
  if (bits <= 8 && bmi->bmiHeader.biClrUsed > (uint32_t{1} << bits)) Refuse();
  void* sectionPixels = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, bmi, DIB_RGB_COLORS, &sectionPixels, nullptr, 0);
  if (!section || !sectionPixels) {
    if (section) DeleteObject(section);
    Refuse();
  }
  const DWORD_PTR pixelBytes = ar.ReadCount();
  const size_t keep = static_cast<size_t>(std::min({uint64_t{pixelBytes}, uint64_t{sizeImage}, sectionBytes}));
  if (!ReadBytes(ar, pixelBytes, static_cast<uint8_t*>(sectionPixels), keep)) {
    DeleteObject(section);
    AfxThrowArchiveException(CArchiveException::endOfFile);
  }
  *sectionBits = sectionPixels;
  return section;
}

void WriteImage(CArchive& ar, const CKtkImageManagerImageRef& image) {
  CKtkImageManagerImageRef copy;  // no manager: its own handles
  copy.Copy(image);
  if (copy.bitmap) {
    copy.GetPremultipliedBits();
    WriteDib(ar, copy.bitmap);
    WriteDib(ar, nullptr);
    return;
  }
  ICONINFO info{};
  if (copy.icon && GetIconInfo(copy.icon, &info)) {
    WriteDib(ar, info.hbmColor);
    WriteDib(ar, info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return;
  }
  WriteDib(ar, nullptr);
  WriteDib(ar, nullptr);
}

void ReadImage(CArchive& ar, int schema, CKtkImageManagerImageRef& image) {
  void* colorBits = nullptr;
  void* maskBits = nullptr;
  HBITMAP color = ReadDib(ar, &colorBits);
  HBITMAP mask = nullptr;
  try {
    mask = ReadDib(ar, &maskBits);
  } catch (...) {
    if (color) DeleteObject(color);
    throw;
  }
  CKtkImageManagerImageRef loaded;
  if (color && mask) {
    // An image list of one image would hand back this pair as its first icon.
    ICONINFO info{TRUE, 0, 0, mask, color};
    loaded.SetIcon(CreateIconIndirect(&info));
    DeleteObject(color);
    DeleteObject(mask);
  } else if (color) {
    loaded.SetBitmap(color, schema > 24 ? colorBits : nullptr);
  } else if (mask) {
    DeleteObject(mask);
  }
  image.Copy(loaded);
}

}  // namespace

void CKtkImageManagerIcon::Serialize(CArchive& ar) {
  static const int kOrder[] = {0, 6, 3, 4, 5};
  if (ar.IsStoring()) {
    ar << m_height << kWrittenSchema;
    for (int index : kOrder) WriteImage(ar, m_images[index]);
    return;
  }
  int height = 0, schema = 0;
  ar >> height >> schema;
  m_height = height;
  for (int index : kOrder) {
    if ((index == 4 && schema <= 7) || (index == 5 && schema <= 16)) break;
    ReadImage(ar, schema, m_images[index]);
  }
}

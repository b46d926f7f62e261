// Bitmap objects: checking DIBs, DeleteObject and GetObjectW.
#include <cstring>
#include <memory>

#include <win/kernel.h>

#include "GdiObjects.h"

namespace kx2::gdi {

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

BOOL DeleteObject(HGDIOBJ ho) {
  if (!kx2::LookupHandleAs<kx2::gdi::Bitmap>(ho)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  kx2::RemoveHandle(ho);
  return TRUE;
}

int GetObjectW(HANDLE h, int c, LPVOID pv) {
  std::shared_ptr<kx2::gdi::Bitmap> bitmap = kx2::LookupHandleAs<kx2::gdi::Bitmap>(h);
  if (!bitmap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!pv) return sizeof(BITMAP);
  if (c < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP out{};
  out.bmWidth = bitmap->header.biWidth;
  out.bmHeight = bitmap->header.biHeight < 0 ? -bitmap->header.biHeight : bitmap->header.biHeight;
  out.bmWidthBytes = ((bitmap->header.biWidth * bitmap->header.biBitCount + 15) / 16) * 2;
  out.bmPlanes = 1;
  out.bmBitsPixel = bitmap->header.biBitCount;
  std::memcpy(pv, &out, sizeof out);
  return sizeof(BITMAP);
}

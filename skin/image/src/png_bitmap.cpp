#include "ornatex/image/png_bitmap.h"

#include <cstdlib>

#include "png_decode.h"
#include "read_only_file.h"

namespace {

// The decoded rows as a 32-bit top-down DIB section: blue, green, red, alpha (0 without
// an alpha channel).
HBITMAP MakeSection(const ornatex::png::Decoded& image) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = static_cast<LONG>(image.width);
  bmi.bmiHeader.biHeight = -static_cast<LONG>(image.height);
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  auto* out = static_cast<uint8_t*>(bits);
  for (uint32_t y = 0; y < image.height; ++y) {
    const uint8_t* in = image.pixels + image.rowBytes * y;
    for (uint32_t x = 0; x < image.width; ++x, in += image.channels, out += 4) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
      out[3] = image.channels == 4 ? in[3] : 0;
    }
  }
  return bitmap;
}

}  // namespace

BOOL CKtkGraphicBitmapPng::LoadFromFile(LPCWSTR path) {
  DeleteObject();
  m_bAlpha = FALSE;
  ornatex::ReadOnlyFile file;
  if (!file.Open(path)) return FALSE;
  return LoadFromStream(file);
}

BOOL CKtkGraphicBitmapPng::LoadFromResource(HINSTANCE instance, HRSRC resource) {
  DeleteObject();
  m_bAlpha = FALSE;
  if (!resource) return FALSE;
  HGLOBAL loaded = LoadResource(instance, resource);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(instance, resource);
  if (!bytes || size <= 9) return FALSE;
  CMemFile file(static_cast<BYTE*>(const_cast<void*>(bytes)), size);
  return LoadFromStream(file);
}

BOOL CKtkGraphicBitmapPng::LoadFromStream(CFile& stream) {
  DeleteObject();
  m_bAlpha = FALSE;
  ornatex::png::Decoded image{};
  if (!ornatex::png::Decode(ornatex::ReadStream, &stream, &image)) return FALSE;
  HBITMAP bitmap = MakeSection(image);
  std::free(image.pixels);
  if (!bitmap) return FALSE;
  Attach(bitmap);
  m_bAlpha = image.channels == 4;
  return TRUE;
}

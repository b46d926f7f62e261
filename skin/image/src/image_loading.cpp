// Loading bitmaps from files and resources.
#include <cstring>
#include <vector>

#include <win/module.h>
#include <win/ole.h>
#include <win/olectl.h>
#include <win/resource.h>
#include <win/user_system.h>
#include <win/userres.h>

#include "ornatex/image/bitmap_routines.h"
#include "ornatex/image/png_bitmap.h"
#include "packed_dib.h"
#include "read_only_file.h"

namespace {

constexpr uint8_t kPngSignature[4] = {0x89, 'P', 'N', 'G'};
constexpr size_t kBmpFileHeader = 14;
// Pictures are read whole; nothing a skin holds comes near this.
constexpr ULONGLONG kMaxPictureFile = 256u << 20;

bool StartsWithPng(const void* bytes, size_t size) {
  return bytes && size >= 4 && std::memcmp(bytes, kPngSignature, 4) == 0;
}

struct ResourceBytes {
  HRSRC resource = nullptr;
  const uint8_t* data = nullptr;
  size_t size = 0;
};

ResourceBytes FindBytes(HINSTANCE instance, LPCWSTR name, LPCWSTR type) {
  ResourceBytes r;
  r.resource = FindResourceW(instance, name, type);
  if (!r.resource) return r;
  HGLOBAL loaded = LoadResource(instance, r.resource);
  r.data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  r.size = r.data ? SizeofResource(instance, r.resource) : 0;
  return r;
}

// A "PNG" resource that holds PNG data, as a bitmap.
HBITMAP PngResource(HINSTANCE instance, LPCWSTR name, BOOL* alpha, bool* wasPng) {
  ResourceBytes png = FindBytes(instance, name, u"PNG");
  *wasPng = StartsWithPng(png.data, png.size);
  if (!*wasPng) return nullptr;
  CKtkGraphicBitmapPng loader;
  if (!loader.LoadFromResource(instance, png.resource)) return nullptr;
  if (alpha) *alpha = loader.m_bAlpha;
  return static_cast<HBITMAP>(loader.Detach());
}

// The picture the platform reads, rendered at its size over the button face.
HBITMAP RenderedPicture(LPCWSTR path) {
  IPicture* picture = nullptr;
  if (FAILED(OleLoadPicturePath(const_cast<LPOLESTR>(path), nullptr, 0, 0, IID_IPicture,
                                reinterpret_cast<void**>(&picture))) ||
      !picture)
    return nullptr;
  OLE_XSIZE_HIMETRIC hmWidth = 0;
  OLE_YSIZE_HIMETRIC hmHeight = 0;
  picture->get_Width(&hmWidth);
  picture->get_Height(&hmHeight);
  HDC screen = GetDC(nullptr);
  const int ppiX = GetDeviceCaps(screen, LOGPIXELSX), ppiY = GetDeviceCaps(screen, LOGPIXELSY);
  // Rounded: a size in hundredths of a millimetre seldom comes back to whole pixels.
  const int width = static_cast<int>((int64_t{hmWidth} * ppiX + 1270) / 2540);
  const int height = static_cast<int>((int64_t{hmHeight} * ppiY + 1270) / 2540);
  HBITMAP bitmap = nullptr;
  if (width > 0 && height > 0) {
    void* bits = nullptr;
    bitmap = Create32BitDIB(screen, width, height, &bits);
    HDC dc = bitmap ? CreateCompatibleDC(screen) : nullptr;
    if (dc) {
      HGDIOBJ old = SelectObject(dc, bitmap);
      RECT all{0, 0, width, height};
      FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
      picture->Render(dc, 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr);
      SelectObject(dc, old);
      DeleteDC(dc);
    }
  }
  ReleaseDC(nullptr, screen);
  picture->Release();
  return bitmap;
}

}  // namespace

HBITMAP LoadBitmapFromFile(LPCWSTR path, BOOL* alpha) {
  if (alpha) *alpha = FALSE;
  ornatex::ReadOnlyFile file;
  if (!file.Open(path)) return nullptr;
  uint8_t head[4] = {};
  if (ornatex::ReadStream(&file, head, sizeof head) != sizeof head) return nullptr;
  if (StartsWithPng(head, sizeof head)) {
    file.Seek(0, CFile::begin);
    CKtkGraphicBitmapPng loader;
    if (!loader.LoadFromStream(file)) return nullptr;
    if (alpha) *alpha = loader.m_bAlpha;
    return static_cast<HBITMAP>(loader.Detach());
  }
  if (head[0] == 'B' && head[1] == 'M') {
    const ULONGLONG length = file.GetLength();
    if (length <= kBmpFileHeader || length > kMaxPictureFile) return nullptr;
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    file.Seek(0, CFile::begin);
    ornatex::PackedDib dib;
    if (ornatex::ReadStream(&file, bytes.data(), bytes.size()) != bytes.size() ||
        !ornatex::ParsePackedDib(bytes.data() + kBmpFileHeader, bytes.size() - kBmpFileHeader, &dib))
      return nullptr;
    HBITMAP bitmap = ornatex::BitmapFromPackedDib(dib);
    if (bitmap && alpha) *alpha = dib.header.biBitCount == 32;
    return bitmap;
  }
  file.Close();
  return RenderedPicture(path);
}

HBITMAP LoadBitmapFromResource(HINSTANCE instance, LPCWSTR name, BOOL* alpha) {
  if (alpha) *alpha = FALSE;
  bool wasPng = false;
  if (HBITMAP png = PngResource(instance, name, alpha, &wasPng); wasPng) return png;
  ResourceBytes resource = FindBytes(instance, name, RT_BITMAP);
  ornatex::PackedDib dib;
  if (!ornatex::ParsePackedDib(resource.data, resource.size, &dib)) return nullptr;
  if (dib.header.biBitCount == 32) {
    HBITMAP bitmap = ornatex::BitmapFromPackedDib(dib);
    if (bitmap && alpha) *alpha = TRUE;
    return bitmap;
  }
  return static_cast<HBITMAP>(LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, LR_DEFAULTSIZE));
}

HBITMAP LoadBitmapResourceRaw(HINSTANCE instance, LPCWSTR name, BOOL* alpha) {
  if (alpha) *alpha = FALSE;
  bool wasPng = false;
  if (HBITMAP png = PngResource(instance, name, alpha, &wasPng); wasPng) return png;
  ResourceBytes resource = FindBytes(instance, name, RT_BITMAP);
  ornatex::PackedDib dib;
  if (!ornatex::ParsePackedDib(resource.data, resource.size, &dib)) return nullptr;
  HBITMAP bitmap = ornatex::BitmapFromPackedDib(dib);
  if (bitmap && alpha) *alpha = dib.header.biBitCount == 32;
  return bitmap;
}

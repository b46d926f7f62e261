// Images: loading through the platform's codecs (EMF and WMF through our metafile
// reader), saving by format name, bitmaps from pixels, GDI bitmaps and icons, and the
// GDI bitmap of an image composited over a background.
#include <cstring>
#include <string>

#include <kx2/ErrorBoundary.h>
#include <kx2/GdiCairo.h>
#include <kx2/ImageCodec.h>
#include <win/fileapi.h>

#include "Metafile.h"
#include "Object.h"
#include "Pixels.h"

using namespace luminar;

namespace luminar {

bool SetBitmap(Image* img, SurfacePtr surface, bool hasAlpha, float dpiX, float dpiY) {
  img->Reset();
  img->width = cairo_image_surface_get_width(surface.get());
  img->height = cairo_image_surface_get_height(surface.get());
  img->surface = std::move(surface);
  img->type = 1;
  img->hasAlpha = hasAlpha;
  img->dpiX = dpiX > 0 ? dpiX : 96;
  img->dpiY = dpiY > 0 ? dpiY : 96;
  return true;
}

SurfacePtr SurfaceFromStraight(const uint8_t* pixels, int width, int height, ptrdiff_t stride, bool alpha) {
  SurfacePtr s = NewImageSurface(width, height);
  if (!s) return nullptr;
  uint8_t* data = cairo_image_surface_get_data(s.get());
  const int out = cairo_image_surface_get_stride(s.get());
  for (int y = 0; y < height; ++y) {
    const uint8_t* p = pixels + stride * y;
    uint32_t* o = reinterpret_cast<uint32_t*>(data + size_t(out) * size_t(y));
    for (int x = 0; x < width; ++x, p += 4) o[x] = Premultiply(p[0], p[1], p[2], alpha ? p[3] : 255);
  }
  cairo_surface_mark_dirty(s.get());
  return s;
}

std::vector<uint8_t> StraightPixels(cairo_surface_t* s) {
  cairo_surface_flush(s);
  const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  const int stride = cairo_image_surface_get_stride(s);
  const uint8_t* data = cairo_image_surface_get_data(s);
  std::vector<uint8_t> out(size_t(w) * size_t(h) * 4);
  for (int y = 0; y < h; ++y) {
    const uint32_t* p = reinterpret_cast<const uint32_t*>(data + size_t(stride) * size_t(y));
    for (int x = 0; x < w; ++x) Unpremultiply(p[x], &out[(size_t(y) * size_t(w) + size_t(x)) * 4]);
  }
  return out;
}

// A bitmap picture of any image: a bitmap's own surface, a metafile played at its size.
SurfacePtr RasterOf(const Image& img) {
  if (img.type == 1) return SurfacePtr(cairo_surface_reference(img.surface.get()));
  SurfacePtr s = NewImageSurface(img.width, img.height);
  if (!s) return nullptr;
  ContextPtr cr(cairo_create(s.get()));
  double x, y, w, h;
  RecordingBounds(img, &x, &y, &w, &h);
  cairo_scale(cr.get(), img.width / w, img.height / h);
  cairo_set_source_surface(cr.get(), img.surface.get(), -x, -y);
  cairo_paint(cr.get());
  return s;
}

}  // namespace luminar

namespace {

bool ReadWhole(LPCWSTR path, std::vector<uint8_t>* bytes) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  uint8_t buffer[65536];
  DWORD n = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &n, nullptr) != FALSE) && n > 0)
    bytes->insert(bytes->end(), buffer, buffer + n);
  CloseHandle(file);
  return ok;
}

}  // namespace

LUMINAR_API BOOL NativeImageLoadFromFile(NativeImage image, LPCWSTR path, LONG) {
  return kx2::Guard(FALSE, [&] {
    Image* img = As<Image>(image, kLuminarImage);
    if (!img || !path) return false;
    std::vector<uint8_t> bytes;
    if (!ReadWhole(path, &bytes)) return false;
    if (LoadMetafile(img, bytes.data(), bytes.size())) return true;
    Kx2DecodedImage decoded;
    if (!Kx2DecodeImage(bytes.data(), bytes.size(), &decoded)) return false;
    SurfacePtr s = SurfaceFromStraight(decoded.pixels, decoded.width, decoded.height, ptrdiff_t(decoded.width) * 4,
                                       decoded.hasAlpha != FALSE);
    const bool alpha = decoded.hasAlpha != FALSE;
    const float dx = decoded.dpiX, dy = decoded.dpiY;
    Kx2FreeDecodedImage(&decoded);
    return s && SetBitmap(img, std::move(s), alpha, dx, dy);
  });
}

LUMINAR_API LONG NativeImageGetType(NativeImage image) {
  Image* img = As<Image>(image, kLuminarImage);
  return img ? img->type : 0;
}

LUMINAR_API UINT NativeImageGetWidth(NativeImage image) {
  Image* img = As<Image>(image, kLuminarImage);
  return img ? UINT(img->width) : 0;
}

LUMINAR_API UINT NativeImageGetHeight(NativeImage image) {
  Image* img = As<Image>(image, kLuminarImage);
  return img ? UINT(img->height) : 0;
}

LUMINAR_API float NativeImageGetHorizontalResolution(NativeImage image) {
  Image* img = As<Image>(image, kLuminarImage);
  return img && img->type ? img->dpiX : 0.f;
}

LUMINAR_API float NativeImageGetVerticalResolution(NativeImage image) {
  Image* img = As<Image>(image, kLuminarImage);
  return img && img->type ? img->dpiY : 0.f;
}

LUMINAR_API BOOL NativeImageSaveToFile(NativeImage image, LPCWSTR path, const char* format) {
  return kx2::Guard(FALSE, [&] {
    Image* img = As<Image>(image, kLuminarImage);
    if (!img || !img->type || !path || !format || img->recording) return false;
    if (!strcmp(format, "emf") || !strcmp(format, "wmf")) return SaveMetafile(*img, path, format[0] == 'e');
    int codec = KX2_IMAGE_UNKNOWN;
    if (!strcmp(format, "image/png")) codec = KX2_IMAGE_PNG;
    if (!strcmp(format, "image/jpeg")) codec = KX2_IMAGE_JPEG;
    if (!strcmp(format, "image/bmp")) codec = KX2_IMAGE_BMP;
    if (!strcmp(format, "image/gif")) codec = KX2_IMAGE_GIF;
    if (!strcmp(format, "image/tiff")) codec = KX2_IMAGE_TIFF;
    if (codec == KX2_IMAGE_UNKNOWN) return false;
    SurfacePtr raster = RasterOf(*img);
    if (!raster) return false;
    const std::vector<uint8_t> pixels = StraightPixels(raster.get());
    const bool alpha = img->type == 2 || img->hasAlpha;
    return Kx2EncodeImageFile(path, codec, pixels.data(), img->width, img->height, ptrdiff_t(img->width) * 4,
                              alpha ? TRUE : FALSE, img->dpiX, img->dpiY, 90) != FALSE;
  });
}

LUMINAR_API BOOL NativeBitmapCreateFromScan0(NativeImage image, LONG width, LONG height, LONG stride, LONG withAlpha,
                                             void* scan0) {
  return kx2::Guard(FALSE, [&] {
    Image* img = As<Image>(image, kLuminarImage);
    if (!img) return false;
    SurfacePtr s;
    if (scan0) {
      if (stride < width * 4LL) return false;
      s = SurfaceFromStraight(static_cast<const uint8_t*>(scan0), width, height, stride, withAlpha != 0);
    } else {
      s = NewImageSurface(width, height);  // cleared: transparent black
    }
    return s && SetBitmap(img, std::move(s), withAlpha != 0, 96, 96);
  });
}

LUMINAR_API BOOL NativeBitmapCreateFromHBITMAP(NativeImage image, HBITMAP bitmap, HPALETTE) {
  return kx2::Guard(FALSE, [&] {
    Image* img = As<Image>(image, kLuminarImage);
    cairo_surface_t* src = bitmap ? Kx2GdiGetBitmapSurface(bitmap) : nullptr;
    if (!img || !src) return false;
    cairo_surface_flush(src);
    const int w = cairo_image_surface_get_width(src), h = cairo_image_surface_get_height(src);
    SurfacePtr s = NewImageSurface(w, h);
    if (!s) return false;
    // GDI pixels are opaque colours whatever their fourth byte.
    ContextPtr cr(cairo_create(s.get()));
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
    cairo_paint(cr.get());
    cairo_set_source_surface(cr.get(), src, 0, 0);
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr.get());
    cr.reset();
    uint8_t* data = cairo_image_surface_get_data(s.get());
    const int stride = cairo_image_surface_get_stride(s.get());
    for (int y = 0; y < h; ++y) {
      uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(stride) * size_t(y));
      for (int x = 0; x < w; ++x) row[x] |= 0xFF000000u;
    }
    cairo_surface_mark_dirty(s.get());
    return SetBitmap(img, std::move(s), false, 96, 96);
  });
}

LUMINAR_API BOOL NativeBitmapCreateFromHICON(NativeImage image, HICON icon) {
  return kx2::Guard(FALSE, [&] {
    Image* img = As<Image>(image, kLuminarImage);
    if (!img || !icon) return false;
    SurfacePtr s = IconSurface(icon);
    return s && SetBitmap(img, std::move(s), true, 96, 96);
  });
}

LUMINAR_API HBITMAP NativeBitmapGetHPBITMAP(NativeImage image, DWORD background) {
  return kx2::Guard(static_cast<HBITMAP>(nullptr), [&]() -> HBITMAP {
    Image* img = As<Image>(image, kLuminarImage);
    if (!img || !img->type || img->width <= 0 || img->height <= 0) return nullptr;
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = img->width;
    info.bmiHeader.biHeight = -img->height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return nullptr;
    cairo_surface_t* target = Kx2GdiGetBitmapSurface(bitmap);
    SurfacePtr raster = RasterOf(*img);
    if (!target || !raster) {
      DeleteObject(bitmap);
      return nullptr;
    }
    ContextPtr cr(cairo_create(target));
    SetSourceArgb(cr.get(), background | 0xFF000000u);
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr.get());
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_OVER);
    cairo_set_source_surface(cr.get(), raster.get(), 0, 0);
    cairo_paint(cr.get());
    cr.reset();
    cairo_surface_flush(target);
    return bitmap;
  });
}

// Device calls: DPI of a device, the caret point tests read back, and DDBs saved as BMP.
#include <map>
#include <mutex>

#include <kx2/ErrorBoundary.h>
#include <kx2/GdiCairo.h>
#include <kx2/ImageCodec.h>

#include "Object.h"
#include "Pixels.h"

namespace {

std::mutex g_caretLock;
std::map<HANDLE, std::pair<LONG, LONG>> g_carets;

}  // namespace

namespace luminar {
SurfacePtr IconSurface(HICON icon) {
  Kx2DecodedImage decoded;
  if (!Kx2DecodeIcon(icon, &decoded)) return nullptr;
  SurfacePtr s = SurfaceFromStraight(decoded.pixels, decoded.width, decoded.height, ptrdiff_t(decoded.width) * 4,
                                     decoded.hasAlpha != FALSE);
  Kx2FreeDecodedImage(&decoded);
  return s;
}
}  // namespace luminar

// A device is the DC of a printer or screen.
LUMINAR_API LONG GetDeviceDpiX(HANDLE device) { return device ? GetDeviceCaps(HDC(device), LOGPIXELSX) : 0; }
LUMINAR_API LONG GetDeviceDpiY(HANDLE device) { return device ? GetDeviceCaps(HDC(device), LOGPIXELSY) : 0; }

LUMINAR_API void DisplayCaret(HANDLE device, LONG x, LONG y) {
  kx2::Guard([&] {
    std::lock_guard<std::mutex> lock(g_caretLock);
    g_carets[device] = {x, y};
  });
}

LUMINAR_API BOOL LuminarCaretOf(HANDLE device, LONG* x, LONG* y) {
  std::lock_guard<std::mutex> lock(g_caretLock);
  auto it = g_carets.find(device);
  if (it == g_carets.end()) return FALSE;
  if (x) *x = it->second.first;
  if (y) *y = it->second.second;
  return TRUE;
}

// The bitmap as a 32-bit BMP file; the palette plays no part for our 32-bit bitmaps.
LUMINAR_API BOOL SaveDDBtoDIB(HBITMAP bitmap, HPALETTE, LPCWSTR path) {
  return kx2::Guard(FALSE, [&] {
    cairo_surface_t* s = bitmap && path ? Kx2GdiGetBitmapSurface(bitmap) : nullptr;
    if (!s) return false;
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    // Written with an alpha mask of 255 everywhere: GDI pixels are opaque.
    std::vector<uint8_t> pixels(size_t(w) * size_t(h) * 4);
    const uint8_t* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* p = data + ptrdiff_t(y) * stride + x * 4;
        uint8_t* o = &pixels[(size_t(y) * size_t(w) + size_t(x)) * 4];
        o[0] = p[0], o[1] = p[1], o[2] = p[2], o[3] = 255;
      }
    return Kx2EncodeImageFile(path, KX2_IMAGE_BMP, pixels.data(), w, h, ptrdiff_t(w) * 4, TRUE, 96, 96, 0) != FALSE;
  });
}

// Captures of windows and of the screen, composed from the top-level windows' pixels.
#include "kx2/Compositor.h"

#include <cairo.h>

#include <vector>

#include "kx2/ErrorBoundary.h"
#include "kx2/ImageCodec.h"
#include "kx2/Screen.h"
#include "user/Core.h"

namespace kx2::user {
bool WindowPixels(HWND hwnd, std::shared_ptr<cairo_surface_t>* pixels, HRGN* shape, RECT* screen);
}

namespace {

using kx2::user::WindowPixels;

// Opaque pixels inside the region, transparent outside.
cairo_surface_t* CaptureTop(HWND top, RECT* screen) {
  if (GetWindowThreadProcessId(top, nullptr) == GetCurrentThreadId())
    RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  std::shared_ptr<cairo_surface_t> pixels;
  HRGN shape = nullptr;
  if (!WindowPixels(top, &pixels, &shape, screen)) return nullptr;
  const int width = cairo_image_surface_get_width(pixels.get()), height = cairo_image_surface_get_height(pixels.get());
  cairo_surface_t* capture = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(capture);
  if (shape) {
    DWORD size = GetRegionData(shape, 0, nullptr);
    std::vector<BYTE> bytes(size);
    auto* data = reinterpret_cast<RGNDATA*>(bytes.data());
    if (size && GetRegionData(shape, size, data)) {
      const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
      for (DWORD i = 0; i < data->rdh.nCount; ++i)
        cairo_rectangle(cr, rects[i].left, rects[i].top, rects[i].right - rects[i].left,
                        rects[i].bottom - rects[i].top);
    }
    cairo_clip(cr);
    DeleteObject(shape);
  }
  cairo_surface_flush(pixels.get());
  cairo_set_source_surface(cr, pixels.get(), 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(capture);
  return capture;
}

}  // namespace

KX2_EXPORT cairo_surface_t* Kx2CaptureWindow(HWND hWnd) {
  return kx2::Guard(static_cast<cairo_surface_t*>(nullptr), [&]() -> cairo_surface_t* {
    HWND top = GetAncestor(hWnd, GA_ROOT);
    if (!top) return nullptr;
    RECT screen;
    return CaptureTop(top, &screen);
  });
}

KX2_EXPORT cairo_surface_t* Kx2CaptureScreen(const RECT* rect) {
  return kx2::Guard(static_cast<cairo_surface_t*>(nullptr), [&]() -> cairo_surface_t* {
    const RECT area = rect ? *rect : Kx2ScreenVirtualRect();
    const int width = std::max(1, int(area.right - area.left)), height = std::max(1, int(area.bottom - area.top));
    cairo_surface_t* capture = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(capture);
    const COLORREF desktop = GetSysColor(COLOR_DESKTOP);
    cairo_set_source_rgb(cr, GetRValue(desktop) / 255.0, GetGValue(desktop) / 255.0, GetBValue(desktop) / 255.0);
    cairo_paint(cr);
    // Bottom first, so that windows higher in the z-order (a popup over its owner) cover.
    std::vector<HWND> order;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
      if (IsWindowVisible(w)) order.push_back(w);
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
      RECT screen;
      cairo_surface_t* top = CaptureTop(*it, &screen);
      if (!top) continue;
      cairo_set_source_surface(cr, top, screen.left - area.left, screen.top - area.top);
      cairo_paint(cr);
      cairo_surface_destroy(top);
    }
    cairo_destroy(cr);
    cairo_surface_flush(capture);
    return capture;
  });
}

KX2_EXPORT BOOL Kx2WriteCapturePng(cairo_surface_t* capture, LPCWSTR path) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!capture || cairo_image_surface_get_format(capture) != CAIRO_FORMAT_ARGB32) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    cairo_surface_flush(capture);
    // Alpha is 0 or 255 here, so premultiplied pixels are already straight.
    return Kx2WritePng(path, cairo_image_surface_get_data(capture), cairo_image_surface_get_width(capture),
                       cairo_image_surface_get_height(capture), cairo_image_surface_get_stride(capture), TRUE);
  });
}

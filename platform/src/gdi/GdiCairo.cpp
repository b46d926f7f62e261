// The outside libraries' door (kx2/GdiCairo.h): surfaces, transforms, DCs over outside
// surfaces, resolutions and PNG pictures.
#include <cairo.h>

#include <kx2/ErrorBoundary.h>
#include <kx2/GdiCairo.h>
#include <kx2/ImageCodec.h>
#include <win/kernel.h>

#include "Dc.h"

using namespace kx2::gdi;

KX2_EXPORT cairo_surface_t* Kx2GdiGetSurface(HDC hdc) {
  auto dc = LookupDc(hdc);
  if (!dc) return BadHandle<cairo_surface_t*>(nullptr);
  if (dc->outside) {
    cairo_surface_flush(dc->outside);
    return dc->outside;
  }
  if (!dc->state.bitmap) return nullptr;
  // The caller's latest bits of a DIB section are what Cairo will draw over.
  dc->state.bitmap->ImportDib();
  cairo_surface_t* surface = dc->state.bitmap->Surface();
  cairo_surface_flush(surface);
  return surface;
}

KX2_EXPORT BOOL Kx2GdiSurfaceDone(HDC hdc) {
  auto dc = LookupDc(hdc);
  if (!dc) return BadHandle(FALSE);
  if (dc->outside) {
    cairo_surface_flush(dc->outside);
    cairo_surface_mark_dirty(dc->outside);
  } else if (dc->state.bitmap) {
    cairo_surface_flush(dc->state.bitmap->Surface());
    dc->state.bitmap->ExportDib();
  }
  return TRUE;
}

KX2_EXPORT BOOL Kx2GdiGetTransform(HDC hdc, cairo_matrix_t* matrix) {
  auto dc = LookupDc(hdc);
  if (!dc || !matrix) return BadHandle(FALSE);
  const DcState& s = dc->state;
  cairo_matrix_init_translate(matrix, s.viewportOrg.x, s.viewportOrg.y);
  cairo_matrix_scale(matrix, dc->ScaleX(), dc->ScaleY());
  cairo_matrix_translate(matrix, -s.windowOrg.x, -s.windowOrg.y);
  return TRUE;
}

KX2_EXPORT cairo_surface_t* Kx2GdiGetBitmapSurface(HBITMAP bitmap) {
  auto b = LookupAs<Bitmap>(bitmap);
  if (!b) return BadHandle<cairo_surface_t*>(nullptr);
  b->ImportDib();
  return b->Surface();
}

KX2_EXPORT HDC Kx2GdiCreateDcForSurface(cairo_surface_t* surface) {
  return kx2::Guard(HDC{}, [&]() -> HDC {
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    return InsertObject(MakeDcForOutside(surface));
  });
}

KX2_EXPORT BOOL Kx2GdiSetResolution(HDC hdc, int dpiX, int dpiY) {
  auto dc = LookupDc(hdc);
  if (!dc) return BadHandle(FALSE);
  if (dpiX <= 0 || dpiY <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  dc->dpiX = dpiX, dc->dpiY = dpiY;
  return TRUE;
}

namespace {

BOOL WriteBitmap(Bitmap& b, LPCWSTR path) {
  b.ImportDib();
  return Kx2WritePng(path, reinterpret_cast<const uint8_t*>(b.pixels), b.width, b.height, b.stride * 4, FALSE);
}

}  // namespace

KX2_EXPORT BOOL Kx2GdiWriteDcPng(HDC hdc, LPCWSTR path) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(FALSE);
    if (dc->state.bitmap) return WriteBitmap(*dc->state.bitmap, path);
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  });
}

KX2_EXPORT BOOL Kx2GdiWriteBitmapPng(HBITMAP bitmap, LPCWSTR path) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto b = LookupAs<Bitmap>(bitmap);
    if (!b) return BadHandle(FALSE);
    return WriteBitmap(*b, path);
  });
}

// Render targets: a DC (its surface, clip and mapping), a DC with a device, or an image.
#include <cmath>
#include <vector>

#include <kx2/ErrorBoundary.h>
#include <kx2/GdiCairo.h>

#include "Object.h"

namespace luminar {

Render::~Render() { Detach(); }

void Render::Detach() {
  if (lent && lent != hdc) DeleteDC(lent);
  lent = nullptr;
  cr.reset();
  if (image) {
    image->recording = false;
    Release(image, kLuminarImage);
  }
  image = nullptr;
  hdc = nullptr;
  device = nullptr;
  target = 0;
  dcClip.clear();
  hasRegion = false;
  region.ops.clear();
  zoomX = zoomY = 1;
  dpiX = dpiY = 96;
}

void Render::Begin() {
  cairo_t* c = cr.get();
  cairo_save(c);
  cairo_identity_matrix(c);
  cairo_new_path(c);
  if (!dcClip.empty()) {
    for (const cairo_rectangle_t& r : dcClip) cairo_rectangle(c, r.x, r.y, r.width, r.height);
    cairo_clip(c);
  }
  cairo_transform(c, &base);
  cairo_scale(c, zoomX, zoomY);
  if (hasRegion) {
    cairo_set_fill_rule(c, CAIRO_FILL_RULE_EVEN_ODD);
    region.Apply(c);
    cairo_clip(c);
    cairo_set_fill_rule(c, CAIRO_FILL_RULE_WINDING);
  }
  cairo_set_antialias(c, smooth ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

cairo_matrix_t Render::ToDevice() const {
  cairo_matrix_t zoom, m;
  cairo_matrix_init_scale(&zoom, zoomX, zoomY);
  cairo_matrix_multiply(&m, &zoom, &base);
  return m;
}

bool Render::PaintsPixels() const {
  return cr && cairo_surface_get_type(cairo_get_target(cr.get())) == CAIRO_SURFACE_TYPE_IMAGE;
}

}  // namespace luminar

using namespace luminar;

namespace {

// The DC's clip region as device rectangles; empty when it has none.
std::vector<cairo_rectangle_t> ClipOf(HDC hdc) {
  std::vector<cairo_rectangle_t> out;
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  if (!rgn) return out;
  if (GetClipRgn(hdc, rgn) == 1) {
    const DWORD size = GetRegionData(rgn, 0, nullptr);
    std::vector<char> buffer(size + sizeof(RGNDATA));
    RGNDATA* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (size && GetRegionData(rgn, size, data)) {
      const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
      for (DWORD i = 0; i < data->rdh.nCount; ++i)
        out.push_back({double(rects[i].left), double(rects[i].top), double(rects[i].right - rects[i].left),
                       double(rects[i].bottom - rects[i].top)});
      if (out.empty()) out.push_back({0, 0, 0, 0});  // a clip that shows nothing
    }
  }
  DeleteObject(rgn);
  return out;
}

bool AttachDc(Render* r, HDC hdc, HANDLE device, int kind) {
  cairo_surface_t* surface = hdc ? Kx2GdiGetSurface(hdc) : nullptr;
  if (!surface) return false;
  cairo_matrix_t m;
  if (!Kx2GdiGetTransform(hdc, &m)) cairo_matrix_init_identity(&m);
  ContextPtr cr(cairo_create(surface));
  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return false;
  r->Detach();
  r->cr = std::move(cr);
  r->hdc = hdc;
  r->device = device;
  r->base = m;
  r->dcClip = ClipOf(hdc);
  r->target = kind;
  const int dx = GetDeviceCaps(hdc, LOGPIXELSX), dy = GetDeviceCaps(hdc, LOGPIXELSY);
  r->dpiX = dx > 0 ? float(dx) : 96.f;
  r->dpiY = dy > 0 ? float(dy) : 96.f;
  return true;
}

}  // namespace

LUMINAR_API BOOL NativeCreateRenderDC(NativeRender render, HDC hdc) {
  return kx2::Guard(FALSE, [&] {
    Render* r = As<Render>(render, kLuminarRender);
    return r && AttachDc(r, hdc, nullptr, 1);
  });
}

LUMINAR_API BOOL NativeCreateRenderDevice(NativeRender render, HDC hdc, HANDLE device) {
  return kx2::Guard(FALSE, [&] {
    Render* r = As<Render>(render, kLuminarRender);
    return r && AttachDc(r, hdc, device, 2);
  });
}

LUMINAR_API BOOL NativeCreateRenderImage(NativeRender render, NativeImage image) {
  return kx2::Guard(FALSE, [&] {
    Render* r = As<Render>(render, kLuminarRender);
    Image* img = As<Image>(image, kLuminarImage);
    if (!r || !img || !img->type) return false;
    ContextPtr cr(cairo_create(img->surface.get()));
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return false;
    r->Detach();
    r->cr = std::move(cr);
    r->image = img;
    ++img->refs;
    img->recording = img->type == 2;
    cairo_matrix_init_identity(&r->base);
    r->target = 3;
    r->dpiX = img->dpiX > 0 ? img->dpiX : 96.f;
    r->dpiY = img->dpiY > 0 ? img->dpiY : 96.f;
    return true;
  });
}

LUMINAR_API BOOL NativeDestroyRender(NativeRender render) {
  return kx2::Guard(FALSE, [&] {
    Render* r = As<Render>(render, kLuminarRender);
    if (!r || !r->target) return false;
    r->Detach();
    return true;
  });
}

LUMINAR_API BOOL NativeIsValid(NativeRender render) {
  Render* r = As<Render>(render, kLuminarRender);
  return r && r->target != 0;
}

LUMINAR_API float NativeRenderGetDpiX(NativeRender render) {
  Render* r = As<Render>(render, kLuminarRender);
  return r ? r->dpiX : 0.f;
}

LUMINAR_API float NativeRenderGetDpiY(NativeRender render) {
  Render* r = As<Render>(render, kLuminarRender);
  return r ? r->dpiY : 0.f;
}

LUMINAR_API LONG NativeRenderSetSmoothingMode(NativeRender render, LONG mode) {
  Render* r = As<Render>(render, kLuminarRender);
  if (!r) return kNativeBadArgument;
  if (!r->target) return kNativeNoTarget;
  r->smooth = mode == 1;
  return kNativeOk;
}

LUMINAR_API LONG NativeRenderSetZoom(NativeRender render, float zx, float zy) {
  Render* r = As<Render>(render, kLuminarRender);
  // Zooms beyond 1e4 either way are refused: Cairo subdivides mesh patterns recursively by
  // their device size and runs out of stack on astronomically zoomed gradients.
  auto sane = [](float z) { return Finite(z) && std::fabs(z) >= 1e-4f && std::fabs(z) <= 1e4f; };
  if (!r || !sane(zx) || !sane(zy)) return kNativeBadArgument;
  if (!r->target) return kNativeNoTarget;
  r->zoomX = zx, r->zoomY = zy;
  return kNativeOk;
}

LUMINAR_API LONG NativeRenderSetRegion(NativeRender render, NativeRegion region) {
  return kx2::Guard(LONG{kNativeOutOfMemory}, [&]() -> LONG {
    Render* r = As<Render>(render, kLuminarRender);
    Region* g = As<Region>(region, kLuminarRegion);
    if (!r || !g || !g->filled) return kNativeBadArgument;
    if (!r->target) return kNativeNoTarget;
    r->region = g->data;
    r->hasRegion = true;
    return kNativeOk;
  });
}

LUMINAR_API LONG NativeRenderResetRegion(NativeRender render) {
  Render* r = As<Render>(render, kLuminarRender);
  if (!r) return kNativeBadArgument;
  r->hasRegion = false;
  r->region.ops.clear();
  return kNativeOk;
}

LUMINAR_API HDC NativeRenderGetHPDC(NativeRender render) {
  return kx2::Guard(static_cast<HDC>(nullptr), [&]() -> HDC {
    Render* r = As<Render>(render, kLuminarRender);
    if (!r || !r->target || r->lent) return nullptr;
    if (r->hdc && r->zoomX == 1 && r->zoomY == 1) return r->lent = r->hdc;
    cairo_surface_flush(cairo_get_target(r->cr.get()));
    HDC dc = Kx2GdiCreateDcForSurface(cairo_get_target(r->cr.get()));
    if (!dc) return nullptr;
    // The same transform as Luminar's drawing: the DC's mapping times the zoom, as an
    // anisotropic mapping of a fine window grid.
    cairo_matrix_t m = r->base;
    cairo_matrix_scale(&m, r->zoomX, r->zoomY);
    const int grid = 10000;
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, grid, grid, nullptr);
    SetViewportExtEx(dc, int(std::lround(m.xx * grid)), int(std::lround(m.yy * grid)), nullptr);
    SetViewportOrgEx(dc, int(std::lround(m.x0)), int(std::lround(m.y0)), nullptr);
    Kx2GdiSetResolution(dc, int(r->dpiX), int(r->dpiY));
    return r->lent = dc;
  });
}

LUMINAR_API LONG NativeRenderReleaseHPDC(NativeRender render, HDC hdc) {
  Render* r = As<Render>(render, kLuminarRender);
  if (!r || !hdc || hdc != r->lent) return kNativeBadArgument;
  if (r->lent != r->hdc) DeleteDC(r->lent);
  r->lent = nullptr;
  cairo_surface_mark_dirty(cairo_get_target(r->cr.get()));
  return kNativeOk;
}

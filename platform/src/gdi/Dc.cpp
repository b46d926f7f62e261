// Device contexts: making and freeing them, saved states, mapping modes, colours and
// modes, device capabilities.
#include <cairo.h>

#include <cmath>
#include <cstdlib>

#include <kx2/ErrorBoundary.h>
#include <kx2/Screen.h>
#include <win/kernel.h>

#include "Dc.h"
#include "Font.h"
#include "ScreenDc.h"
#include "SystemObjects.h"

namespace kx2::gdi {

Dc::~Dc() {
  if (state.bitmap && state.bitmap->selectedIn == this) state.bitmap->selectedIn = nullptr;
  for (auto& s : saved)
    if (s.bitmap && s.bitmap->selectedIn == this) s.bitmap->selectedIn = nullptr;
  if (outside) cairo_surface_destroy(outside);
}

int Dc::Width() const {
  if (state.bitmap) return state.bitmap->width;
  if (outside && cairo_surface_get_type(outside) == CAIRO_SURFACE_TYPE_IMAGE)
    return cairo_image_surface_get_width(outside);
  return 32767;
}

int Dc::Height() const {
  if (state.bitmap) return state.bitmap->height;
  if (outside && cairo_surface_get_type(outside) == CAIRO_SURFACE_TYPE_IMAGE)
    return cairo_image_surface_get_height(outside);
  return 32767;
}

std::optional<Rects> Dc::Clip() const {
  if (!systemClip) return state.clip;
  if (!state.clip) return systemClip;
  return CombineRegions(*state.clip, *systemClip, RGN_AND);
}

Rects Dc::ClipRects() const {
  const Rects whole = RectRegion(Bounds());
  const std::optional<Rects> clip = Clip();
  return clip ? CombineRegions(*clip, whole, RGN_AND) : whole;
}

RECT Dc::ClipBox() const {
  const std::optional<Rects> clip = Clip();
  if (!clip) return Bounds();
  return IntersectRects(RegionBox(*clip), Bounds());
}

POINT Dc::ToDevice(int x, int y) const {
  double dx = x, dy = y;
  ToDeviceF(dx, dy);
  return POINT{static_cast<LONG>(std::lround(dx)), static_cast<LONG>(std::lround(dy))};
}

void Dc::ToDeviceF(double& x, double& y) const {
  x = (x - state.windowOrg.x) * ScaleX() + state.viewportOrg.x;
  y = (y - state.windowOrg.y) * ScaleY() + state.viewportOrg.y;
  if (Mirrored()) x = Width() - x;
}

POINT Dc::PixelToDevice(int x, int y) const {
  POINT p = ToDevice(x, y);
  if (Mirrored()) --p.x;
  return p;
}

POINT Dc::ToLogical(int x, int y) const {
  if (Mirrored()) x = Width() - x;
  const double lx = (x - state.viewportOrg.x) / ScaleX() + state.windowOrg.x;
  const double ly = (y - state.viewportOrg.y) / ScaleY() + state.windowOrg.y;
  return POINT{static_cast<LONG>(std::lround(lx)), static_cast<LONG>(std::lround(ly))};
}

int Dc::WidthToDevice(int w) const { return static_cast<int>(std::lround(std::fabs(w * ScaleX()))); }

Dc::DrawScope::DrawScope(Dc& dc) : dc_(dc) {
  if (dc_.state.bitmap) dc_.state.bitmap->ImportDib();
}

Dc::DrawScope::~DrawScope() {
  if (dc_.state.bitmap) dc_.state.bitmap->ExportDib();
  if (dc_.outside) cairo_surface_mark_dirty(dc_.outside);
}

namespace {

std::shared_ptr<Bitmap> ScreenBitmap() {
  static std::shared_ptr<Bitmap>* screen = [] {
    auto* s = new std::shared_ptr<Bitmap>(std::make_shared<Bitmap>());
    const RECT r = Kx2ScreenVirtualRect();
    if (!(*s)->Allocate(r.right - r.left, r.bottom - r.top, 32)) (*s)->Allocate(1280, 1024, 32);
    (*s)->stock = true;
    return s;
  }();
  return *screen;
}

std::shared_ptr<Dc> NewDc(bool memory) {
  auto dc = std::make_shared<Dc>(memory);
  dc->state.pen = StockPen(BLACK_PEN);
  dc->state.brush = StockBrush(WHITE_BRUSH);
  dc->state.font = StockFont(SYSTEM_FONT);
  return dc;
}

void FixIsotropic(DcState& s) {
  if (s.mapMode != MM_ISOTROPIC) return;
  // One logical unit is as long on both axes: the larger scale shrinks to the smaller.
  const double sx = std::fabs(double(s.viewportExt.cx) / s.windowExt.cx);
  const double sy = std::fabs(double(s.viewportExt.cy) / s.windowExt.cy);
  if (sx > sy)
    s.viewportExt.cx = static_cast<LONG>((s.viewportExt.cx < 0 ? -1 : 1) * std::lround(sy * std::abs(s.windowExt.cx)));
  else if (sy > sx)
    s.viewportExt.cy = static_cast<LONG>((s.viewportExt.cy < 0 ? -1 : 1) * std::lround(sx * std::abs(s.windowExt.cy)));
  if (s.viewportExt.cx == 0) s.viewportExt.cx = 1;
  if (s.viewportExt.cy == 0) s.viewportExt.cy = 1;
}

template <class R, class F>
R WithDc(HDC hdc, R failure, F&& f) {
  return kx2::Guard(failure, [&]() -> R {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(failure);
    return f(*dc);
  });
}

}  // namespace

std::shared_ptr<Dc> MakeDcForOutside(cairo_surface_t* surface) {
  auto dc = NewDc(false);
  dc->outside = cairo_surface_reference(surface);
  if (cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE) {
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    if (format == CAIRO_FORMAT_ARGB32 || format == CAIRO_FORMAT_RGB24) {
      // An image surface's pixels are drawn by our own raster code, as a bitmap's.
      cairo_surface_flush(surface);
      auto view = std::make_shared<Bitmap>();
      view->width = cairo_image_surface_get_width(surface);
      view->height = cairo_image_surface_get_height(surface);
      view->pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
      view->stride = cairo_image_surface_get_stride(surface) / 4;
      view->selectedIn = dc.get();
      dc->state.bitmap = view;
    }
  }
  return dc;
}

}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT HDC CreateCompatibleDC(HDC hdc) {
  return kx2::Guard(HDC{}, [&]() -> HDC {
    if (hdc && !LookupDc(hdc)) return BadHandle(HDC{});
    auto dc = NewDc(true);
    dc->state.bitmap = DefaultBitmap();
    if (auto from = hdc ? LookupDc(hdc) : nullptr) dc->dpiX = from->dpiX, dc->dpiY = from->dpiY;
    return InsertObject(dc);
  });
}

KX2_EXPORT BOOL DeleteDC(HDC hdc) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(FALSE);
    RemoveObject(hdc);
    return TRUE;
  });
}

HDC kx2::gdi::CreateScreenDc() {
  return kx2::Guard(HDC{}, [&]() -> HDC {
    auto dc = NewDc(false);
    dc->screen = true;
    dc->state.bitmap = ScreenBitmap();
    return InsertObject(dc);
  });
}

int kx2::gdi::ReleaseScreenDc(HDC hDC) {
  auto dc = LookupDc(hDC);
  if (!dc || !dc->screen) return 0;
  RemoveObject(hDC);
  return 1;
}

KX2_EXPORT int SaveDC(HDC hdc) {
  return WithDc(hdc, 0, [](Dc& dc) {
    dc.saved.push_back(dc.state);
    return static_cast<int>(dc.saved.size());
  });
}

KX2_EXPORT BOOL RestoreDC(HDC hdc, int nSavedDC) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    const int count = static_cast<int>(dc.saved.size());
    const int index = nSavedDC < 0 ? count + nSavedDC : nSavedDC - 1;
    if (nSavedDC == 0 || index < 0 || index >= count) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    DcState restored = dc.saved[static_cast<size_t>(index)];
    if (restored.bitmap != dc.state.bitmap && restored.bitmap) {
      if (!SelectBitmap(dc, restored.bitmap)) return FALSE;
    }
    dc.state = std::move(restored);
    dc.saved.resize(static_cast<size_t>(index));
    return TRUE;
  });
}

KX2_EXPORT int GetDeviceCaps(HDC hdc, int index) {
  return WithDc(hdc, 0, [&](Dc& dc) -> int {
    const bool display = dc.screen || dc.type == OBJ_MEMDC;
    const RECT screen = Kx2ScreenPrimaryRect();
    const int w = dc.screen ? screen.right - screen.left : dc.Width();
    const int h = dc.screen ? screen.bottom - screen.top : dc.Height();
    switch (index) {
      case DRIVERVERSION:
        return 0x4000;
      case TECHNOLOGY:
        return DT_RASDISPLAY;
      case HORZSIZE:
        return static_cast<int>(std::lround(w * 25.4 / dc.dpiX));
      case VERTSIZE:
        return static_cast<int>(std::lround(h * 25.4 / dc.dpiY));
      case HORZRES:
      case DESKTOPHORZRES:
        return w;
      case VERTRES:
      case DESKTOPVERTRES:
        return h;
      case BITSPIXEL:
        return dc.screen || !display ? Kx2ScreenBitsPerPixel() : (dc.Mono() ? 1 : 32);
      case PLANES:
        return 1;
      case NUMBRUSHES:
      case NUMPENS:
      case NUMCOLORS:
        return -1;
      case ASPECTX:
      case ASPECTY:
        return 36;
      case ASPECTXY:
        return 51;
      case LOGPIXELSX:
        return static_cast<int>(dc.dpiX);
      case LOGPIXELSY:
        return static_cast<int>(dc.dpiY);
      case SIZEPALETTE:
      case NUMRESERVED:
        return 0;
      case COLORRES:
        return 24;
      case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
      case SHADEBLENDCAPS:
        return SB_CONST_ALPHA | SB_PIXEL_ALPHA;
      case VREFRESH:
        return 60;
      default:
        return 0;
    }
  });
}

KX2_EXPORT int SetMapMode(HDC hdc, int iMode) {
  return WithDc(hdc, 0, [&](Dc& dc) -> int {
    if (iMode < MM_TEXT || iMode > MM_ANISOTROPIC) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    const int old = dc.state.mapMode;
    DcState& s = dc.state;
    s.mapMode = iMode;
    const LONG dx = static_cast<LONG>(dc.dpiX), dy = static_cast<LONG>(dc.dpiY);
    switch (iMode) {
      case MM_TEXT:
        s.windowExt = {1, 1}, s.viewportExt = {1, 1};
        break;
      case MM_LOMETRIC:
        s.windowExt = {254, 254}, s.viewportExt = {dx, -dy};
        break;
      case MM_HIMETRIC:
        s.windowExt = {2540, 2540}, s.viewportExt = {dx, -dy};
        break;
      case MM_LOENGLISH:
        s.windowExt = {100, 100}, s.viewportExt = {dx, -dy};
        break;
      case MM_HIENGLISH:
        s.windowExt = {1000, 1000}, s.viewportExt = {dx, -dy};
        break;
      case MM_TWIPS:
        s.windowExt = {1440, 1440}, s.viewportExt = {dx, -dy};
        break;
      case MM_ISOTROPIC:
        if (old != MM_ANISOTROPIC) s.windowExt = {10, 10}, s.viewportExt = {10, 10};
        FixIsotropic(s);
        break;
      default:
        break;
    }
    return old;
  });
}

KX2_EXPORT int GetMapMode(HDC hdc) {
  return WithDc(hdc, 0, [](Dc& dc) { return dc.state.mapMode; });
}

namespace {

BOOL SetPointField(HDC hdc, POINT DcState::*field, int x, int y, LPPOINT old, bool offset) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    POINT& p = dc.state.*field;
    if (old) *old = p;
    if (offset)
      p.x += x, p.y += y;
    else
      p = POINT{x, y};
    return TRUE;
  });
}

BOOL SetExtent(HDC hdc, SIZE DcState::*field, int x, int y, SIZE* old) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    SIZE& s = dc.state.*field;
    if (old) *old = s;
    if (dc.state.mapMode != MM_ISOTROPIC && dc.state.mapMode != MM_ANISOTROPIC) return TRUE;
    if (x == 0 || y == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    s = SIZE{x, y};
    FixIsotropic(dc.state);
    return TRUE;
  });
}

}  // namespace

KX2_EXPORT BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return SetPointField(hdc, &DcState::windowOrg, x, y, lppt, false);
}
KX2_EXPORT BOOL OffsetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return SetPointField(hdc, &DcState::windowOrg, x, y, lppt, true);
}
KX2_EXPORT BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return SetPointField(hdc, &DcState::viewportOrg, x, y, lppt, false);
}
KX2_EXPORT BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
  return SetPointField(hdc, &DcState::viewportOrg, x, y, lppt, true);
}
KX2_EXPORT BOOL GetWindowOrgEx(HDC hdc, LPPOINT p) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL { return p ? (*p = dc.state.windowOrg, TRUE) : FALSE; });
}
KX2_EXPORT BOOL GetViewportOrgEx(HDC hdc, LPPOINT p) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL { return p ? (*p = dc.state.viewportOrg, TRUE) : FALSE; });
}
KX2_EXPORT BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* old) {
  return SetExtent(hdc, &DcState::windowExt, x, y, old);
}
KX2_EXPORT BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* old) {
  return SetExtent(hdc, &DcState::viewportExt, x, y, old);
}
KX2_EXPORT BOOL GetWindowExtEx(HDC hdc, SIZE* s) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL { return s ? (*s = dc.state.windowExt, TRUE) : FALSE; });
}
KX2_EXPORT BOOL GetViewportExtEx(HDC hdc, SIZE* s) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL { return s ? (*s = dc.state.viewportExt, TRUE) : FALSE; });
}

KX2_EXPORT BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    if (c < 0 || (c > 0 && !lppt)) return FALSE;
    for (int i = 0; i < c; ++i) lppt[i] = dc.ToDevice(lppt[i].x, lppt[i].y);
    return TRUE;
  });
}

KX2_EXPORT BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    if (c < 0 || (c > 0 && !lppt)) return FALSE;
    for (int i = 0; i < c; ++i) lppt[i] = dc.ToLogical(lppt[i].x, lppt[i].y);
    return TRUE;
  });
}

namespace {

template <class T, class V>
V Swap(HDC hdc, V failure, T DcState::*field, V value) {
  return WithDc(hdc, failure, [&](Dc& dc) -> V {
    const V old = static_cast<V>(dc.state.*field);
    dc.state.*field = static_cast<T>(value);
    return old;
  });
}

template <class T, class V>
V Read(HDC hdc, V failure, T DcState::*field) {
  return WithDc(hdc, failure, [&](Dc& dc) -> V { return static_cast<V>(dc.state.*field); });
}

}  // namespace

KX2_EXPORT COLORREF SetTextColor(HDC hdc, COLORREF c) {
  return Swap(hdc, COLORREF{CLR_INVALID}, &DcState::textColor, c);
}
KX2_EXPORT COLORREF GetTextColor(HDC hdc) { return Read(hdc, COLORREF{CLR_INVALID}, &DcState::textColor); }
KX2_EXPORT COLORREF SetBkColor(HDC hdc, COLORREF c) { return Swap(hdc, COLORREF{CLR_INVALID}, &DcState::bkColor, c); }
KX2_EXPORT COLORREF GetBkColor(HDC hdc) { return Read(hdc, COLORREF{CLR_INVALID}, &DcState::bkColor); }
KX2_EXPORT COLORREF SetDCBrushColor(HDC hdc, COLORREF c) {
  return Swap(hdc, COLORREF{CLR_INVALID}, &DcState::dcBrushColor, c);
}
KX2_EXPORT COLORREF SetDCPenColor(HDC hdc, COLORREF c) {
  return Swap(hdc, COLORREF{CLR_INVALID}, &DcState::dcPenColor, c);
}
KX2_EXPORT int SetBkMode(HDC hdc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Swap(hdc, 0, &DcState::bkMode, mode);
}
KX2_EXPORT int GetBkMode(HDC hdc) { return Read(hdc, 0, &DcState::bkMode); }
KX2_EXPORT int SetROP2(HDC hdc, int rop2) {
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Swap(hdc, 0, &DcState::rop2, rop2);
}
KX2_EXPORT int GetROP2(HDC hdc) { return Read(hdc, 0, &DcState::rop2); }
KX2_EXPORT int SetPolyFillMode(HDC hdc, int mode) {
  if (mode != ALTERNATE && mode != WINDING) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Swap(hdc, 0, &DcState::polyFillMode, mode);
}
KX2_EXPORT int GetPolyFillMode(HDC hdc) { return Read(hdc, 0, &DcState::polyFillMode); }
KX2_EXPORT int SetStretchBltMode(HDC hdc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Swap(hdc, 0, &DcState::stretchMode, mode);
}
KX2_EXPORT int GetStretchBltMode(HDC hdc) { return Read(hdc, 0, &DcState::stretchMode); }
KX2_EXPORT UINT SetTextAlign(HDC hdc, UINT align) {
  return Swap(hdc, UINT{GDI_ERROR_DWORD}, &DcState::textAlign, align);
}
KX2_EXPORT UINT GetTextAlign(HDC hdc) { return Read(hdc, UINT{GDI_ERROR_DWORD}, &DcState::textAlign); }
KX2_EXPORT int SetTextCharacterExtra(HDC hdc, int extra) {
  return Swap(hdc, static_cast<int>(0x80000000), &DcState::charExtra, extra);
}
KX2_EXPORT BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  return SetPointField(hdc, &DcState::brushOrg, x, y, old, false);
}

namespace kx2::gdi {

bool SetSystemClip(HDC hdc, HRGN region) {
  auto dc = LookupDc(hdc);
  if (!dc) return false;
  if (!region) {
    dc->systemClip.reset();
    return true;
  }
  auto r = LookupAs<Region>(region);
  if (!r) return false;
  dc->systemClip = r->rects;
  return true;
}

}  // namespace kx2::gdi

KX2_EXPORT DWORD SetLayout(HDC hdc, DWORD l) {
  return kx2::Guard(DWORD{GDI_ERROR}, [&]() -> DWORD {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(DWORD{GDI_ERROR});
    const DWORD old = dc->layout;
    dc->layout = l & (LAYOUT_RTL | LAYOUT_BITMAPORIENTATIONPRESERVED);
    return old;
  });
}

KX2_EXPORT DWORD GetLayout(HDC hdc) {
  return kx2::Guard(DWORD{GDI_ERROR}, [&]() -> DWORD {
    auto dc = LookupDc(hdc);
    if (!dc) return BadHandle(DWORD{GDI_ERROR});
    return dc->layout;
  });
}

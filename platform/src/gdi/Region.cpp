// Region objects and clipping.
#include <cairo.h>

#include <cstring>

#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>

#include "Dc.h"

namespace kx2::gdi {
namespace {

HRGN NewRegion(Rects rects) {
  auto r = std::make_shared<Region>();
  r->rects = std::move(rects);
  return InsertObject(r);
}

template <class R, class F>
R WithRegion(HRGN h, R failure, F&& f) {
  return kx2::Guard(failure, [&]() -> R {
    auto r = LookupAs<Region>(h);
    if (!r) return BadHandle(failure);
    return f(*r);
  });
}

template <class R, class F>
R WithDc(HDC h, R failure, F&& f) {
  return kx2::Guard(failure, [&]() -> R {
    auto dc = LookupDc(h);
    if (!dc) return BadHandle(failure);
    return f(*dc);
  });
}

// A logical rectangle in device units, ordered.
RECT DeviceRect(const Dc& dc, int left, int top, int right, int bottom) {
  const POINT a = dc.ToDevice(left, top), b = dc.ToDevice(right, bottom);
  return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

int ClipKind(const Dc& dc) { return RegionKind(dc.ClipRects()); }

// A mirrored DC takes and gives clip regions in its mirrored device units.
Rects MirroredFor(const Dc& dc, const Rects& rects) {
  if (!dc.Mirrored()) return rects;
  const int width = dc.Width();
  Rects flipped;
  for (const RECT& r : rects)
    flipped = CombineRegions(flipped, RectRegion(RECT{width - r.right, r.top, width - r.left, r.bottom}), RGN_OR);
  return flipped;
}

}  // namespace
}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT HRGN CreateRectRgn(int x1, int y1, int x2, int y2) {
  return kx2::Guard(HRGN{}, [&] { return NewRegion(RectRegion(RECT{x1, y1, x2, y2})); });
}

KX2_EXPORT HRGN CreateRectRgnIndirect(const RECT* r) {
  if (!r) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateRectRgn(r->left, r->top, r->right, r->bottom);
}

KX2_EXPORT HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h) {
  return kx2::Guard(HRGN{}, [&] { return NewRegion(RoundRectRegion(x1, y1, x2, y2, w, h)); });
}

KX2_EXPORT HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2) {
  return kx2::Guard(HRGN{}, [&] { return NewRegion(EllipseRegion(x1, y1, x2, y2)); });
}

KX2_EXPORT HRGN CreatePolygonRgn(const POINT* pptl, int cPoint, int iMode) {
  return kx2::Guard(HRGN{}, [&]() -> HRGN {
    if (!pptl || cPoint < 0 || (iMode != ALTERNATE && iMode != WINDING)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    const int counts[1] = {cPoint};
    return NewRegion(cPoint >= 3 ? PolygonRegion(pptl, counts, 1, iMode) : Rects{});
  });
}

KX2_EXPORT int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode) {
  return kx2::Guard(ERROR, [&]() -> int {
    auto dst = LookupAs<Region>(hrgnDst);
    auto a = LookupAs<Region>(hrgnSrc1);
    auto b = iMode == RGN_COPY ? nullptr : LookupAs<Region>(hrgnSrc2);
    if (iMode < RGN_AND || iMode > RGN_COPY) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return ERROR;
    }
    if (!dst || !a || (iMode != RGN_COPY && !b)) return BadHandle(ERROR);
    Rects result = iMode == RGN_COPY ? a->rects : CombineRegions(a->rects, b->rects, iMode);
    dst->rects = std::move(result);
    return RegionKind(dst->rects);
  });
}

KX2_EXPORT BOOL SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom) {
  return WithRegion(hrgn, FALSE, [&](Region& r) -> BOOL {
    r.rects = RectRegion(RECT{left, top, right, bottom});
    return TRUE;
  });
}

KX2_EXPORT int OffsetRgn(HRGN hrgn, int x, int y) {
  return WithRegion(hrgn, ERROR, [&](Region& r) -> int {
    OffsetRegion(r.rects, x, y);
    return RegionKind(r.rects);
  });
}

KX2_EXPORT BOOL PtInRegion(HRGN hrgn, int x, int y) {
  return WithRegion(hrgn, FALSE, [&](Region& r) -> BOOL { return RegionContains(r.rects, x, y); });
}

KX2_EXPORT BOOL RectInRegion(HRGN hrgn, const RECT* rect) {
  return WithRegion(hrgn, FALSE, [&](Region& r) -> BOOL {
    if (!rect) return FALSE;
    return RegionTouches(r.rects, RectRegion(*rect).empty() ? RECT{} : RectRegion(*rect).front());
  });
}

KX2_EXPORT BOOL EqualRgn(HRGN a, HRGN b) {
  auto ra = LookupAs<Region>(a), rb = LookupAs<Region>(b);
  if (!ra || !rb) return BadHandle(FALSE);
  if (ra->rects.size() != rb->rects.size()) return FALSE;
  for (size_t i = 0; i < ra->rects.size(); ++i)
    if (std::memcmp(&ra->rects[i], &rb->rects[i], sizeof(RECT)) != 0) return FALSE;
  return TRUE;
}

KX2_EXPORT int GetRgnBox(HRGN hrgn, LPRECT lprc) {
  return WithRegion(hrgn, ERROR, [&](Region& r) -> int {
    if (!lprc) return ERROR;
    *lprc = RegionBox(r.rects);
    return RegionKind(r.rects);
  });
}

KX2_EXPORT DWORD GetRegionData(HRGN hrgn, DWORD nCount, RGNDATA* data) {
  return WithRegion(hrgn, DWORD{0}, [&](Region& r) -> DWORD {
    const DWORD size = static_cast<DWORD>(sizeof(RGNDATAHEADER) + r.rects.size() * sizeof(RECT));
    if (!data) return size;
    if (nCount < size) return 0;
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(r.rects.size());
    data->rdh.nRgnSize = static_cast<DWORD>(r.rects.size() * sizeof(RECT));
    data->rdh.rcBound = RegionBox(r.rects);
    if (!r.rects.empty()) std::memcpy(data->Buffer, r.rects.data(), r.rects.size() * sizeof(RECT));
    return size;
  });
}

KX2_EXPORT int ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode) {
  return WithDc(hdc, ERROR, [&](Dc& dc) -> int {
    if (mode < RGN_AND || mode > RGN_COPY) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return ERROR;
    }
    if (!hrgn) {
      if (mode != RGN_COPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return ERROR;
      }
      dc.state.clip.reset();
      return ClipKind(dc);
    }
    auto r = LookupAs<Region>(hrgn);
    if (!r) return BadHandle(ERROR);
    // The region is given in device units and copied.
    const Rects given = MirroredFor(dc, r->rects);
    if (mode == RGN_COPY) {
      dc.state.clip = given;
    } else {
      const Rects current = dc.state.clip ? *dc.state.clip : RectRegion(dc.Bounds());
      dc.state.clip = CombineRegions(current, given, mode);
    }
    return ClipKind(dc);
  });
}

KX2_EXPORT int SelectClipRgn(HDC hdc, HRGN hrgn) { return ExtSelectClipRgn(hdc, hrgn, RGN_COPY); }

KX2_EXPORT int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  return WithDc(hdc, ERROR, [&](Dc& dc) -> int {
    const Rects current = dc.state.clip ? *dc.state.clip : RectRegion(dc.Bounds());
    dc.state.clip = CombineRegions(current, RectRegion(DeviceRect(dc, left, top, right, bottom)), RGN_AND);
    return ClipKind(dc);
  });
}

KX2_EXPORT int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  return WithDc(hdc, ERROR, [&](Dc& dc) -> int {
    const Rects current = dc.state.clip ? *dc.state.clip : RectRegion(dc.Bounds());
    dc.state.clip = CombineRegions(current, RectRegion(DeviceRect(dc, left, top, right, bottom)), RGN_DIFF);
    return ClipKind(dc);
  });
}

KX2_EXPORT int OffsetClipRgn(HDC hdc, int x, int y) {
  return WithDc(hdc, ERROR, [&](Dc& dc) -> int {
    if (dc.state.clip) {
      const POINT a = dc.ToDevice(0, 0), b = dc.ToDevice(x, y);
      OffsetRegion(*dc.state.clip, b.x - a.x, b.y - a.y);
    }
    return ClipKind(dc);
  });
}

KX2_EXPORT int GetClipBox(HDC hdc, LPRECT lprect) {
  return WithDc(hdc, ERROR, [&](Dc& dc) -> int {
    if (!lprect) return ERROR;
    const RECT box = dc.ClipBox();
    const POINT a = dc.ToLogical(box.left, box.top), b = dc.ToLogical(box.right, box.bottom);
    *lprect = RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    return ClipKind(dc);
  });
}

KX2_EXPORT int GetClipRgn(HDC hdc, HRGN hrgn) {
  return WithDc(hdc, -1, [&](Dc& dc) -> int {
    auto r = LookupAs<Region>(hrgn);
    if (!r) return BadHandle(-1);
    if (!dc.state.clip) return 0;
    r->rects = MirroredFor(dc, *dc.state.clip);
    return 1;
  });
}

KX2_EXPORT BOOL RectVisible(HDC hdc, const RECT* rect) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    if (!rect) return FALSE;
    const Rects r = RectRegion(DeviceRect(dc, rect->left, rect->top, rect->right, rect->bottom));
    return !r.empty() && RegionTouches(dc.ClipRects(), r.front());
  });
}

KX2_EXPORT BOOL PtVisible(HDC hdc, int x, int y) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    const POINT p = dc.ToDevice(x, y);
    return RegionContains(dc.ClipRects(), p.x, p.y);
  });
}

namespace {

BOOL PaintRects(Dc& dc, const Rects& rects, const Paint& paint) {
  if (rects.empty()) return TRUE;
  Dc::DrawScope scope(dc);
  const RECT box = RegionBox(rects);
  const int rop = dc.state.rop2;
  dc.state.rop2 = R2_COPYPEN;
  dc.PaintShape(box, paint, false, [&](cairo_t* cr) {
    for (const RECT& r : rects) cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_fill(cr);
  });
  dc.state.rop2 = rop;
  return TRUE;
}

// The region's rectangles in device units (regions are given in logical units when
// filled or framed; only the origin moves them).
Rects DeviceRegion(const Dc& dc, const Rects& rects) {
  Rects out = rects;
  const POINT o = dc.ToDevice(0, 0);
  OffsetRegion(out, o.x, o.y);
  return out;
}

}  // namespace

KX2_EXPORT BOOL FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    auto r = LookupAs<Region>(hrgn);
    auto b = LookupAs<Brush>(hbr);
    if (!r || !b) return BadHandle(FALSE);
    return PaintRects(dc, DeviceRegion(dc, r->rects), dc.BrushPaint(b.get()));
  });
}

KX2_EXPORT BOOL PaintRgn(HDC hdc, HRGN hrgn) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    auto r = LookupAs<Region>(hrgn);
    if (!r) return BadHandle(FALSE);
    return PaintRects(dc, DeviceRegion(dc, r->rects), dc.BrushPaint(dc.state.brush.get()));
  });
}

KX2_EXPORT BOOL FrameRgn(HDC hdc, HRGN hrgn, HBRUSH hbr, int w, int h) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    auto r = LookupAs<Region>(hrgn);
    auto b = LookupAs<Brush>(hbr);
    if (!r || !b) return BadHandle(FALSE);
    if (w <= 0 || h <= 0) return FALSE;
    // The frame is the region less the region shrunk by w and h: the parts of the region
    // that its copies moved by w or h on either side do not all cover.
    Rects inner = r->rects;
    const int offsets[4][2] = {{w, 0}, {-w, 0}, {0, h}, {0, -h}};
    for (auto& o : offsets) {
      Rects moved = r->rects;
      OffsetRegion(moved, o[0], o[1]);
      inner = CombineRegions(inner, moved, RGN_AND);
    }
    return PaintRects(dc, DeviceRegion(dc, CombineRegions(r->rects, inner, RGN_DIFF)), dc.BrushPaint(b.get()));
  });
}

KX2_EXPORT BOOL InvertRgn(HDC hdc, HRGN hrgn) {
  return WithDc(hdc, FALSE, [&](Dc& dc) -> BOOL {
    auto r = LookupAs<Region>(hrgn);
    if (!r) return BadHandle(FALSE);
    const int rop = dc.state.rop2;
    Paint p;
    p.kind = Paint::kSolid;
    dc.state.rop2 = R2_NOT;
    const Rects rects = DeviceRegion(dc, r->rects);
    if (!rects.empty()) {
      Dc::DrawScope scope(dc);
      dc.PaintShape(RegionBox(rects), p, false, [&](cairo_t* cr) {
        for (const RECT& x : rects) cairo_rectangle(cr, x.left, x.top, x.right - x.left, x.bottom - x.top);
        cairo_fill(cr);
      });
    }
    dc.state.rop2 = rop;
    return TRUE;
  });
}

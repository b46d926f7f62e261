// DrawEdge and DrawFocusRect in the classic colours.
#include "kx2/ErrorBoundary.h"
#include "win/gdi.h"
#include "win/user.h"

namespace {

void Line(HDC dc, int left, int top, int right, int bottom, int colour) {
  if (right <= left || bottom <= top) return;
  RECT r{left, top, right, bottom};
  FillRect(dc, &r, GetSysColorBrush(colour));
}

// One ring of an edge: the light colour on the top and left, the dark one on the bottom and
// right, on the sides the flags name.
void Ring(HDC dc, RECT& r, UINT flags, int light, int dark) {
  if (flags & BF_LEFT) Line(dc, r.left, r.top, r.left + 1, r.bottom, light);
  if (flags & BF_TOP) Line(dc, r.left, r.top, r.right, r.top + 1, light);
  if (flags & BF_RIGHT) Line(dc, r.right - 1, r.top, r.right, r.bottom, dark);
  if (flags & BF_BOTTOM) Line(dc, r.left, r.bottom - 1, r.right, r.bottom, dark);
  if (flags & BF_LEFT) ++r.left;
  if (flags & BF_TOP) ++r.top;
  if (flags & BF_RIGHT) --r.right;
  if (flags & BF_BOTTOM) --r.bottom;
}

}  // namespace

KX2_EXPORT BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!hdc || !qrc) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    RECT r = *qrc;
    const bool mono = grfFlags & BF_MONO, flat = grfFlags & BF_FLAT;
    // Outer ring then inner ring; each is raised or sunken.
    const UINT rings[2] = {edge & BDR_OUTER, edge & BDR_INNER};
    for (int i = 0; i < 2; ++i) {
      if (!rings[i]) continue;
      const bool raised = rings[i] & (BDR_RAISEDOUTER | BDR_RAISEDINNER);
      int light, dark;
      if (mono) {
        light = dark = COLOR_WINDOWFRAME;
      } else if (flat) {
        light = dark = i == 0 ? COLOR_3DSHADOW : COLOR_3DFACE;
      } else if (i == 0) {
        light = raised ? COLOR_3DLIGHT : COLOR_3DSHADOW;
        dark = raised ? COLOR_3DDKSHADOW : COLOR_3DHILIGHT;
      } else {
        light = raised ? COLOR_3DHILIGHT : COLOR_3DDKSHADOW;
        dark = raised ? COLOR_3DSHADOW : COLOR_3DLIGHT;
      }
      Ring(hdc, r, grfFlags, light, dark);
    }
    if (grfFlags & BF_MIDDLE) Line(hdc, r.left, r.top, r.right, r.bottom, mono ? COLOR_WINDOW : COLOR_3DFACE);
    if (grfFlags & BF_ADJUST) *qrc = r;
    return TRUE;
  });
}

KX2_EXPORT BOOL DrawFocusRect(HDC hDC, const RECT* lprc) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!hDC || !lprc) return FALSE;
    const RECT r = *lprc;
    // Every other pixel of the outline, inverted.
    for (int x = r.left; x < r.right; x += 2) {
      PatBlt(hDC, x, r.top, 1, 1, DSTINVERT);
      if (r.bottom - 1 > r.top) PatBlt(hDC, x, r.bottom - 1, 1, 1, DSTINVERT);
    }
    for (int y = r.top + 2; y < r.bottom - 1; y += 2) {
      PatBlt(hDC, r.left, y, 1, 1, DSTINVERT);
      if (r.right - 1 > r.left) PatBlt(hDC, r.right - 1, y, 1, 1, DSTINVERT);
    }
    return TRUE;
  });
}

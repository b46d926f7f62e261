// DrawStateW and GrayStringW: an image (text, bitmap, icon, or what a callback draws) drawn
// as it is, or reduced to its ink and painted embossed (disabled), in a brush (mono,
// grayed) or dithered (union). The ink is what the image puts on a white cell in black text.
#include <algorithm>
#include <vector>

#include <kx2/ErrorBoundary.h>
#include <win/kernel.h>
#include <win/user.h>
#include <win/userres.h>

#include "Dc.h"

namespace kx2::gdi {
namespace {

// Draws the image at (x, y) of `dc`, `cx` x `cy`.
using Render = std::function<BOOL(HDC dc, int x, int y)>;

// A cell of the image's size on white, drawn once; its ink as a region at (0, 0).
HRGN InkOf(HDC like, int cx, int cy, const Render& render, bool dither) {
  HDC scratch = CreateCompatibleDC(like);
  HBITMAP bits = CreateBitmap(cx, cy, 1, 32, nullptr);
  HGDIOBJ oldBits = SelectObject(scratch, bits);
  HGDIOBJ oldFont = SelectObject(scratch, GetCurrentObject(like, OBJ_FONT));
  const RECT all{0, 0, cx, cy};
  FillRect(scratch, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetTextColor(scratch, RGB(0, 0, 0));
  SetBkMode(scratch, TRANSPARENT);
  HRGN ink = nullptr;
  if (render(scratch, 0, 0)) {
    auto bitmap = LookupAs<Bitmap>(bits);
    std::vector<std::vector<std::pair<int, int>>> rows(static_cast<size_t>(cy));
    for (int y = 0; y < cy; ++y) {
      const uint32_t* row = bitmap->Row(y);
      for (int x = 0; x < cx; ++x) {
        if ((row[x] & 0xFFFFFF) == 0xFFFFFF || (dither && (x + y) % 2)) continue;
        auto& spans = rows[static_cast<size_t>(y)];
        if (!spans.empty() && spans.back().second == x)
          spans.back().second = x + 1;
        else
          spans.emplace_back(x, x + 1);
      }
    }
    ink = CreateRectRgn(0, 0, 0, 0);
    if (auto region = LookupAs<Region>(ink)) region->rects = RegionFromRows(0, rows);
  }
  SelectObject(scratch, oldFont);
  SelectObject(scratch, oldBits);
  DeleteObject(bits);
  DeleteDC(scratch);
  return ink;
}

// Paints the ink at (x, y) logical with a brush (a region is in device units).
void PaintInk(HDC hdc, HRGN ink, int x, int y, HBRUSH brush) {
  POINT at{x, y};
  LPtoDP(hdc, &at, 1);
  OffsetRgn(ink, at.x, at.y);
  FillRgn(hdc, ink, brush);
  OffsetRgn(ink, -at.x, -at.y);
}

std::u16string TextOf(LPARAM data, WPARAM length) {
  const auto* text = reinterpret_cast<LPCWSTR>(data);
  if (!text) return {};
  if (length) return std::u16string(text, length);
  return std::u16string(text);
}

// The width and height of text as DrawTextW lays it on one line.
SIZE TextSize(HDC hdc, const std::u16string& text, UINT format) {
  RECT r{0, 0, 0, 0};
  DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

BOOL DrawInState(HDC hdc, HBRUSH fore, int x, int y, int cx, int cy, UINT state, const Render& render) {
  if (cx <= 0 || cy <= 0) return TRUE;
  if (!(state & (DSS_DISABLED | DSS_MONO | DSS_UNION))) return render(hdc, x, y);
  HRGN ink = InkOf(hdc, cx, cy, render, (state & DSS_UNION) != 0);
  if (!ink) return FALSE;
  if (state & DSS_DISABLED) {
    PaintInk(hdc, ink, x + 1, y + 1, GetSysColorBrush(COLOR_3DHILIGHT));
    PaintInk(hdc, ink, x, y, GetSysColorBrush(COLOR_3DSHADOW));
  } else {
    HBRUSH made = fore ? nullptr : CreateSolidBrush(GetTextColor(hdc));
    PaintInk(hdc, ink, x, y, fore ? fore : made);
    if (made) DeleteObject(made);
  }
  DeleteObject(ink);
  return TRUE;
}

}  // namespace
}  // namespace kx2::gdi

using namespace kx2::gdi;

KX2_EXPORT BOOL DrawStateW(HDC hdc, HBRUSH hbrFore, DRAWSTATEPROC callback, LPARAM lData, WPARAM wData, int x, int y,
                           int cx, int cy, UINT uFlags) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!LookupDc(hdc)) return BadHandle(FALSE);
    const UINT type = uFlags & 0x000F;
    const UINT state = uFlags & 0xFFF0;
    Render render;
    switch (type) {
      case DST_TEXT:
      case DST_PREFIXTEXT: {
        const std::u16string text = TextOf(lData, wData);
        UINT format = DT_SINGLELINE | DT_NOCLIP | (type == DST_TEXT ? DT_NOPREFIX : 0);
        if (state & DSS_HIDEPREFIX) format |= DT_HIDEPREFIX;
        if (state & DSS_PREFIXONLY) format |= DT_PREFIXONLY;
        if (state & DSS_RIGHT) format |= DT_RIGHT;
        if (cx == 0 || cy == 0) {
          const SIZE size = TextSize(hdc, text, format);
          if (cx == 0) cx = size.cx;
          if (cy == 0) cy = size.cy;
        }
        if (callback) {
          render = [&](HDC dc, int at_x, int at_y) {
            POINT old;
            OffsetViewportOrgEx(dc, at_x, at_y, &old);
            const BOOL ok = callback(dc, lData, wData, cx, cy);
            SetViewportOrgEx(dc, old.x, old.y, nullptr);
            return ok;
          };
        } else {
          render = [&, text, format](HDC dc, int at_x, int at_y) {
            RECT r{at_x, at_y, at_x + cx, at_y + cy};
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
            return TRUE;
          };
        }
        break;
      }
      case DST_ICON: {
        auto icon = reinterpret_cast<HICON>(lData);
        int w = 0, h = 0;
        if (!Kx2GetIconSize(icon, &w, &h)) return BadHandle(FALSE);
        if (cx == 0) cx = w;
        if (cy == 0) cy = h;
        render = [&, icon](HDC dc, int at_x, int at_y) {
          return DrawIconEx(dc, at_x, at_y, icon, cx, cy, 0, nullptr, DI_NORMAL);
        };
        break;
      }
      case DST_BITMAP: {
        auto bitmap = LookupAs<Bitmap>(reinterpret_cast<HBITMAP>(lData));
        if (!bitmap) return BadHandle(FALSE);
        if (cx == 0) cx = bitmap->width;
        if (cy == 0) cy = bitmap->height;
        render = [&](HDC dc, int at_x, int at_y) {
          HDC source = CreateCompatibleDC(dc);
          HGDIOBJ old = SelectObject(source, reinterpret_cast<HBITMAP>(lData));
          const BOOL ok = old && BitBlt(dc, at_x, at_y, cx, cy, source, 0, 0, SRCCOPY);
          if (old) SelectObject(source, old);
          DeleteDC(source);
          return ok;
        };
        break;
      }
      case DST_COMPLEX:
        if (!callback) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return FALSE;
        }
        render = [&](HDC dc, int at_x, int at_y) {
          POINT old;
          OffsetViewportOrgEx(dc, at_x, at_y, &old);
          const BOOL ok = callback(dc, lData, wData, cx, cy);
          SetViewportOrgEx(dc, old.x, old.y, nullptr);
          return ok;
        };
        break;
      default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return DrawInState(hdc, hbrFore, x, y, cx, cy, state, render);
  });
}

KX2_EXPORT BOOL GrayStringW(HDC hDC, HBRUSH hBrush, GRAYSTRINGPROC output, LPARAM lpData, int nCount, int X, int Y,
                            int nWidth, int nHeight) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!LookupDc(hDC)) return BadHandle(FALSE);
    if (!output && !lpData) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::u16string text;
    if (!output) text = TextOf(lpData, nCount > 0 ? static_cast<WPARAM>(nCount) : 0);
    if ((nWidth == 0 || nHeight == 0) && !output) {
      SIZE size{};
      GetTextExtentPoint32W(hDC, text.c_str(), static_cast<int>(text.size()), &size);
      if (nWidth == 0) nWidth = size.cx;
      if (nHeight == 0) nHeight = size.cy;
    }
    const Render render = [&](HDC dc, int at_x, int at_y) -> BOOL {
      if (output) {
        POINT old;
        OffsetViewportOrgEx(dc, at_x, at_y, &old);
        const BOOL ok = output(dc, lpData, nCount);
        SetViewportOrgEx(dc, old.x, old.y, nullptr);
        return ok;
      }
      return TextOutW(dc, at_x, at_y, text.c_str(), static_cast<int>(text.size()));
    };
    return DrawInState(hDC, hBrush ? hBrush : GetSysColorBrush(COLOR_GRAYTEXT), X, Y, nWidth, nHeight, DSS_MONO,
                       render);
  });
}

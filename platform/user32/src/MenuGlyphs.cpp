// Check marks, bullets, arrows, etched lines and the predefined item pictures.
#include "MenuGlyphs.h"

#include <algorithm>

#include "MenuItems.h"
#include "win/user.h"
#include "win/user_draw.h"

namespace kx2::user32 {
namespace {

// Selects a brush and a pen of one colour for the lifetime of the object.
class SolidInk {
 public:
  SolidInk(HDC dc, COLORREF colour) : dc_(dc), brush_(CreateSolidBrush(colour)), pen_(CreatePen(PS_SOLID, 1, colour)) {
    oldBrush_ = SelectObject(dc_, brush_);
    oldPen_ = SelectObject(dc_, pen_);
  }
  ~SolidInk() {
    SelectObject(dc_, oldBrush_);
    SelectObject(dc_, oldPen_);
    DeleteObject(brush_);
    DeleteObject(pen_);
  }
  SolidInk(const SolidInk&) = delete;
  SolidInk& operator=(const SolidInk&) = delete;

 private:
  HDC dc_;
  HBRUSH brush_;
  HPEN pen_;
  HGDIOBJ oldBrush_ = nullptr, oldPen_ = nullptr;
};

}  // namespace

void FillRectColour(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

void DrawCheckMark(HDC dc, int left, int middle, COLORREF colour) {
  SolidInk ink(dc, colour);
  const POINT points[] = {{left + 5, middle},  {left + 7, middle + 2}, {left + 11, middle - 2},
                          {left + 11, middle}, {left + 7, middle + 4}, {left + 5, middle + 2}};
  Polygon(dc, points, 6);
}

void DrawRadioBullet(HDC dc, int x, int middle, COLORREF colour) {
  SolidInk ink(dc, colour);
  Ellipse(dc, x - 3, middle - 3, x + 3, middle + 3);
}

void DrawSubmenuArrow(HDC dc, int tipX, int middle, COLORREF colour) {
  SolidInk ink(dc, colour);
  const POINT points[] = {{tipX, middle}, {tipX - 3, middle - 3}, {tipX - 3, middle + 3}};
  Polygon(dc, points, 3);
}

void DrawEtchedLine(HDC dc, int x0, int y0, int length, bool vertical) {
  if (length <= 0) return;
  const RECT dark = vertical ? RECT{x0, y0, x0 + 1, y0 + length} : RECT{x0, y0, x0 + length, y0 + 1};
  const RECT light = vertical ? RECT{x0 + 1, y0, x0 + 2, y0 + length} : RECT{x0, y0 + 1, x0 + length, y0 + 2};
  FillRect(dc, &dark, GetSysColorBrush(COLOR_BTNSHADOW));
  FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

bool DrawPredefinedBitmap(HDC dc, HBITMAP which, const RECT& r, ULONG_PTR itemData, bool disabled) {
  const auto value = reinterpret_cast<uintptr_t>(which);
  if (value == 0 || value > 0xFFFF) return false;
  if (which == HBMMENU_SYSTEM) {
    // The icon of the window the item's data names (a maximised MDI child's).
    auto window = reinterpret_cast<HWND>(itemData);
    HICON icon = nullptr;
    if (window && IsWindow(window)) {
      icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
      if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
      if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
    }
    if (icon)
      DrawIconEx(dc, (r.left + r.right - 16) / 2, (r.top + r.bottom - 16) / 2, icon, 16, 16, 0, nullptr, DI_NORMAL);
    return true;
  }
  UINT kind;
  bool inactive = disabled;
  if (which == HBMMENU_MBAR_RESTORE || which == HBMMENU_POPUP_RESTORE) {
    kind = DFCS_CAPTIONRESTORE;
  } else if (which == HBMMENU_MBAR_MINIMIZE || which == HBMMENU_POPUP_MINIMIZE || which == HBMMENU_MBAR_MINIMIZE_D) {
    kind = DFCS_CAPTIONMIN;
    inactive |= which == HBMMENU_MBAR_MINIMIZE_D;
  } else if (which == HBMMENU_MBAR_CLOSE || which == HBMMENU_POPUP_CLOSE || which == HBMMENU_MBAR_CLOSE_D) {
    kind = DFCS_CAPTIONCLOSE;
    inactive |= which == HBMMENU_MBAR_CLOSE_D;
  } else if (which == HBMMENU_POPUP_MAXIMIZE) {
    kind = DFCS_CAPTIONMAX;
  } else {
    return true;  // HBMMENU_CALLBACK and unknown values draw nothing
  }
  // A square button as high as the room allows, centred.
  const int side = std::max(0, std::min(int(r.right - r.left), int(r.bottom - r.top)) - 2);
  RECT button{(r.left + r.right - side) / 2, (r.top + r.bottom - side) / 2, 0, 0};
  button.right = button.left + side;
  button.bottom = button.top + side;
  DrawFrameControl(dc, &button, DFC_CAPTION, kind | (inactive ? DFCS_INACTIVE : 0));
  return true;
}

void DrawItemBitmap(HDC dc, HBITMAP bitmap, int x, int y, DWORD rop) {
  const SIZE size = BitmapSize(bitmap);
  if (size.cx <= 0 || size.cy <= 0) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, bitmap);
  BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, rop);
  SelectObject(source, old);
  DeleteDC(source);
}

}  // namespace kx2::user32

// The classic menu bar: layout and drawing.
#include "MenuBar.h"

#include <algorithm>

#include "MenuGlyphs.h"
#include "MenuItems.h"
#include "win/user_ownerdraw.h"

namespace kx2::user32 {
namespace {

constexpr LPCWSTR kHighlightProp = u"kx2.menubar.highlight";

int Padding() { return GetSystemMetrics(SM_CXEDGE) * 4; }

int Highlighted(HWND hwnd) { return static_cast<int>(reinterpret_cast<intptr_t>(GetPropW(hwnd, kHighlightProp))) - 1; }

int ItemWidth(HWND hwnd, HDC dc, const MenuItemFacts& item, int height) {
  if (item.Separator()) return 6;
  if (item.OwnerDrawn()) {
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, item.id, 0, static_cast<UINT>(height), item.data};
    SendMessageW(hwnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    return static_cast<int>(measure.itemWidth);
  }
  if (item.bitmap == HBMMENU_SYSTEM) return height;
  if (item.PredefinedBitmap()) return GetSystemMetrics(SM_CXMENUSIZE);
  int width = 2 * Padding();
  if (item.RealBitmap()) width += BitmapSize(item.bitmap).cx;
  if (!item.text.empty()) width += MenuTextExtent(dc, item.text).cx;
  return width;
}

void PaintItem(HDC dc, HWND hwnd, HMENU menu, const MenuItemFacts& item, const RECT& r, bool highlighted) {
  if (item.Separator() || r.right <= r.left) return;
  if (item.OwnerDrawn()) {
    UINT state = highlighted ? ODS_SELECTED : 0;
    if (item.state & MF_GRAYED) state |= ODS_GRAYED;
    if (item.state & MFS_DISABLED) state |= ODS_DISABLED;
    DRAWITEMSTRUCT draw{ODT_MENU, 0, item.id, ODA_DRAWENTIRE, state, reinterpret_cast<HWND>(menu), dc, r, item.data};
    SendMessageW(hwnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
    return;
  }
  if (DrawPredefinedBitmap(dc, item.bitmap, r, item.data, !item.Enabled())) return;
  if (highlighted) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
  RECT text = r;
  if (item.RealBitmap()) {
    const SIZE size = BitmapSize(item.bitmap);
    DrawItemBitmap(dc, item.bitmap, r.left + Padding(), (r.top + r.bottom - size.cy) / 2);
    text.left += Padding() + size.cx;
  }
  if (item.text.empty()) return;
  const UINT format = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
  if (!item.Enabled() && !highlighted) {
    // Greyed text is embossed: a light copy one pixel down and right under the shadow.
    RECT lit = text;
    OffsetRect(&lit, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    DrawTextW(dc, item.text.c_str(), -1, &lit, format);
    SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
  } else if (!item.Enabled()) {
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
  }
  DrawTextW(dc, item.text.c_str(), -1, &text, format);
}

}  // namespace

std::vector<RECT> LayoutMenuBarItems(HWND hwnd, const RECT& bar) {
  HMENU menu = GetMenu(hwnd);
  const int count = menu ? GetMenuItemCount(menu) : 0;
  std::vector<RECT> items;
  if (count <= 0) return items;
  MenuFonts fonts;
  MeasureDc measure(fonts.Normal());
  const int height = std::max(0, int(bar.bottom - bar.top) - 1);
  int x = bar.left;
  int firstRight = -1;
  for (int i = 0; i < count; ++i) {
    const MenuItemFacts item = ReadMenuItem(menu, i);
    if (firstRight < 0 && (item.type & MFT_RIGHTJUSTIFY)) firstRight = i;
    const int width = ItemWidth(hwnd, measure.Get(), item, height);
    items.push_back(RECT{x, bar.top, x + width, bar.top + height});
    x += width;
  }
  // The right-justified run moves against the right edge when there is room for it.
  if (firstRight >= 0) {
    const int shift = bar.right - items.back().right;
    if (shift > 0)
      for (size_t i = static_cast<size_t>(firstRight); i < items.size(); ++i) OffsetRect(&items[i], shift, 0);
  }
  return items;
}

void PaintMenuBar(HDC dc, HWND hwnd, const RECT& bar) {
  FillRect(dc, &bar, GetSysColorBrush(COLOR_MENU));
  HMENU menu = GetMenu(hwnd);
  const std::vector<RECT> items = LayoutMenuBarItems(hwnd, bar);
  if (items.empty()) return;
  MenuFonts fonts;
  HGDIOBJ oldFont = SelectObject(dc, fonts.Normal());
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  // Items past the bar's right edge are cut off there.
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
  const int highlighted = Highlighted(hwnd);
  for (size_t i = 0; i < items.size(); ++i)
    PaintItem(dc, hwnd, menu, ReadMenuItem(menu, static_cast<int>(i)), items[i], static_cast<int>(i) == highlighted);
  RestoreDC(dc, saved);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

void SetMenuBarHighlight(HWND hwnd, int index) {
  if (index < 0)
    RemovePropW(hwnd, kHighlightProp);
  else
    SetPropW(hwnd, kHighlightProp, reinterpret_cast<HANDLE>(static_cast<intptr_t>(index + 1)));
}

void ForgetMenuBarHighlight(HWND hwnd) { RemovePropW(hwnd, kHighlightProp); }

}  // namespace kx2::user32

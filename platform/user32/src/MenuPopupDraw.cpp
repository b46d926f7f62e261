// Pop-up menus in the classic look: a margin of 3 pixels inside a raised edge, columns
// of items (a break starts a new column 4 pixels to the right), a check column left of
// the texts, and shortcuts right-aligned before the sub-menu arrow.
#include "MenuPopupDraw.h"

#include <algorithm>
#include <string>

#include "MenuGlyphs.h"
#include "MenuItems.h"
#include "win/user_draw.h"
#include "win/user_ownerdraw.h"

namespace kx2::user32 {
namespace {

constexpr int kMargin = 3;
constexpr int kCheckColumn = 17;
constexpr int kTextRoom = 44;  // besides the texts and the check column: gaps and the arrow
constexpr int kMinItemHeight = 17;
constexpr int kSeparatorHeight = 9;
constexpr int kColumnGap = 4;
constexpr int kArrowRoom = 20;

bool ColumnBreak(const MenuItemFacts& item) { return (item.type & (MFT_MENUBREAK | MFT_MENUBARBREAK)) != 0; }

SIZE MeasureItem(HWND owner, HDC dc, const MenuFonts& fonts, const MenuItemFacts& item, int checkColumn) {
  if (item.OwnerDrawn()) {
    const UINT spaceHeight = static_cast<UINT>(MenuTextExtent(dc, u" ").cy);
    MEASUREITEMSTRUCT measure{ODT_MENU, 0, item.id, 0, spaceHeight, item.data};
    SendMessageW(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
    return SIZE{static_cast<LONG>(measure.itemWidth) + 12, static_cast<LONG>(measure.itemHeight)};
  }
  if (item.Separator()) return SIZE{0, kSeparatorHeight};
  std::u16string label, shortcut;
  SplitShortcut(item.text, &label, &shortcut);
  HGDIOBJ old = SelectObject(dc, item.Default() ? fonts.Bold() : fonts.Normal());
  SIZE main = MenuTextExtent(dc, label);
  const int shortcutWidth = shortcut.empty() ? 0 : MenuTextExtent(dc, shortcut).cx;
  SelectObject(dc, old);
  if ((item.type & MFT_BITMAP) && item.RealBitmap()) main = BitmapSize(item.bitmap);
  SIZE size{main.cx + checkColumn + shortcutWidth + kTextRoom, std::max<LONG>(main.cy, kMinItemHeight)};
  if (item.RealBitmap()) size.cy = std::max<LONG>(size.cy, BitmapSize(item.bitmap).cy + 4);
  return size;
}

// The colour texts and marks of an item are drawn in.
COLORREF TextColour(const MenuItemFacts& item, bool selected) {
  if (!item.Enabled()) return GetSysColor(COLOR_GRAYTEXT);
  return GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
}

void PaintOwnerDrawn(HDC dc, HWND owner, HMENU menu, const MenuItemFacts& item, const RECT& r, bool selected) {
  SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
  SetBkColor(dc, GetSysColor(COLOR_MENU));
  UINT state = selected ? ODS_SELECTED : 0;
  if (item.state & MF_GRAYED) state |= ODS_GRAYED;
  if (item.state & MFS_DISABLED) state |= ODS_DISABLED;
  if (item.Checked()) state |= ODS_CHECKED;
  if (item.Default()) state |= ODS_DEFAULT;
  DRAWITEMSTRUCT draw{ODT_MENU, 0, item.id, ODA_DRAWENTIRE, state, reinterpret_cast<HWND>(menu), dc, r, item.data};
  if (owner) SendMessageW(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
}

void PaintTexts(HDC dc, const MenuFonts& fonts, const MenuItemFacts& item, const RECT& r, int checkColumn,
                bool selected) {
  std::u16string label, shortcut;
  SplitShortcut(item.text, &label, &shortcut);
  HGDIOBJ old = SelectObject(dc, item.Default() ? fonts.Bold() : fonts.Normal());
  RECT left{r.left + checkColumn, r.top, r.right, r.bottom};
  RECT right{r.left, r.top, r.right - kArrowRoom, r.bottom};
  const auto draw = [&](COLORREF colour, int offset) {
    SetTextColor(dc, colour);
    RECT l = left, s = right;
    OffsetRect(&l, offset, offset);
    OffsetRect(&s, offset, offset);
    DrawTextW(dc, label.c_str(), -1, &l, DT_VCENTER | DT_SINGLELINE);
    if (!shortcut.empty()) DrawTextW(dc, shortcut.c_str(), -1, &s, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  };
  // Greyed texts on the menu colour are embossed; on the highlight they are plain grey.
  if (!item.Enabled() && !selected) draw(GetSysColor(COLOR_3DHILIGHT), 1);
  draw(item.Enabled() ? TextColour(item, selected) : GetSysColor(selected ? COLOR_GRAYTEXT : COLOR_3DSHADOW), 0);
  SelectObject(dc, old);
}

// The check column: a check bitmap, else a check mark or bullet, else the item bitmap.
void PaintCheckColumn(HDC dc, const MenuItemFacts& item, const RECT& r, int checkColumn, COLORREF colour) {
  const int middle = (r.top + r.bottom) / 2;
  HBITMAP checkBitmap = item.Checked() ? item.checkedBitmap : item.uncheckedBitmap;
  if (checkBitmap) {
    const SIZE size = BitmapSize(checkBitmap);
    DrawItemBitmap(dc, checkBitmap, r.left + 11 - size.cx / 2, middle - size.cy / 2, SRCAND);
    return;
  }
  if (item.Checked()) {
    if (item.type & MFT_RADIOCHECK)
      DrawRadioBullet(dc, r.left + 8, middle, colour);
    else
      DrawCheckMark(dc, r.left, middle, colour);
    return;
  }
  if (item.type & MFT_BITMAP) return;  // the bitmap is the item's text
  if (item.PredefinedBitmap()) {
    const int top = (r.top + r.bottom - 20) / 2;
    DrawPredefinedBitmap(dc, item.bitmap, RECT{r.left + 1, top + 1, r.left + 21, top + 21}, item.data, !item.Enabled());
  } else if (item.RealBitmap()) {
    const SIZE size = BitmapSize(item.bitmap);
    DrawItemBitmap(dc, item.bitmap, r.left + checkColumn / 2 + 3 - size.cx / 2, middle - size.cy / 2);
  }
}

}  // namespace

PopupLayout LayoutPopupMenu(HWND owner, HMENU menu) {
  PopupLayout layout;
  const int count = menu ? GetMenuItemCount(menu) : 0;
  if (count <= 0) {
    layout.size = SIZE{2 * kMargin, 2 * kMargin};
    return layout;
  }
  std::vector<MenuItemFacts> items;
  for (int i = 0; i < count; ++i) items.push_back(ReadMenuItem(menu, i));
  // Real item bitmaps widen the check column for the whole pop-up.
  layout.checkColumn = kCheckColumn;
  for (const MenuItemFacts& item : items)
    if (!item.OwnerDrawn() && !item.Separator() && item.RealBitmap() && !(item.type & MFT_BITMAP))
      layout.checkColumn = std::max<int>(layout.checkColumn, BitmapSize(item.bitmap).cx + 4);
  MenuFonts fonts;
  MeasureDc measure(fonts.Normal());
  int x = kMargin, y = kMargin, columnWidth = 0, columnStart = 0, tallest = 0;
  layout.items.resize(items.size());
  const auto closeColumn = [&](int end) {
    for (int i = columnStart; i < end; ++i) layout.items[static_cast<size_t>(i)].right = x + columnWidth;
  };
  for (int i = 0; i < count; ++i) {
    const MenuItemFacts& item = items[static_cast<size_t>(i)];
    const SIZE size = MeasureItem(owner, measure.Get(), fonts, item, layout.checkColumn);
    if (ColumnBreak(item) && i != columnStart) {
      closeColumn(i);
      x += columnWidth + kColumnGap;
      tallest = std::max(tallest, y);
      y = kMargin;
      columnWidth = 0;
      columnStart = i;
    }
    columnWidth = std::max<int>(columnWidth, size.cx);
    layout.items[static_cast<size_t>(i)] = RECT{x, y, x + size.cx, y + size.cy};
    y += size.cy;
  }
  closeColumn(count);
  layout.size = SIZE{x + columnWidth + kMargin, std::max(y, tallest) + kMargin};
  return layout;
}

void PaintPopupMenu(HDC dc, HWND owner, HMENU menu, const PopupLayout& layout, int selected) {
  RECT client{0, 0, layout.size.cx, layout.size.cy};
  FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
  DrawEdge(dc, &client, EDGE_RAISED, BF_RECT);
  MenuFonts fonts;
  HGDIOBJ oldFont = SelectObject(dc, fonts.Normal());
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const int count = std::min<int>(menu ? GetMenuItemCount(menu) : 0, static_cast<int>(layout.items.size()));
  for (int i = 0; i < count; ++i) {
    const MenuItemFacts item = ReadMenuItem(menu, i);
    const RECT& r = layout.items[static_cast<size_t>(i)];
    const bool isSelected = i == selected && !item.Separator();
    const int middle = (r.top + r.bottom) / 2;
    if ((item.type & MFT_MENUBARBREAK) && i > 0)
      DrawEtchedLine(dc, r.left - 3, client.top + kMargin, client.bottom - 2 * kMargin, true);
    if (item.OwnerDrawn()) {
      PaintOwnerDrawn(dc, owner, menu, item, r, isSelected);
      if (item.submenu) DrawSubmenuArrow(dc, r.right - 5, middle, TextColour(item, false));
      continue;
    }
    if (item.Separator()) {
      DrawEtchedLine(dc, r.left + 1, middle - 1, r.right - r.left - 2, false);
      continue;
    }
    if (isSelected) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    const COLORREF colour = TextColour(item, isSelected);
    if ((item.type & MFT_BITMAP) && item.RealBitmap()) {
      const SIZE size = BitmapSize(item.bitmap);
      DrawItemBitmap(dc, item.bitmap, r.left + layout.checkColumn, middle - size.cy / 2);
    } else {
      PaintTexts(dc, fonts, item, r, layout.checkColumn, isSelected);
    }
    if (item.submenu) DrawSubmenuArrow(dc, r.right - 5, middle, colour);
    PaintCheckColumn(dc, item, r, layout.checkColumn, colour);
  }
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

}  // namespace kx2::user32

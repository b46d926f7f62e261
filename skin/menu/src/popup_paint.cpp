// Painting a skinned popup: the background, then each item (owner-drawn, separator or
// text) with its submenu arrow and its check column, themed from the skin's "MENU" parts
// or in the classic flat style.
#include <algorithm>

#include <win/gdi.h>
#include <win/menu.h>
#include <win/nls.h>
#include <win/user.h>
#include <win/user_ownerdraw.h>

#include "ornatex/core/platform_version.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/draw/dc_guards.h"
#include "ornatex/draw/draw_helpers.h"
#include "ornatex/image/bitmap_routines.h"
#include "ornatex/menu/popup_menu.h"
#include "ornatex/schema/skin_class.h"

namespace {

struct Colors {
  CKtkSkinManagerMetrics* metrics;
  COLORREF operator()(int index) const { return metrics ? metrics->GetColor(index) : ::GetSysColor(index); }
};

void Fill(HDC dc, const RECT& r, COLORREF color) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = ::CreateSolidBrush(color);
  ::FillRect(dc, &r, brush);
  ::DeleteObject(brush);
}

void Triangle(HDC dc, int x, int middle, COLORREF color) {
  const POINT points[3] = {{x, middle}, {x - 3, middle - 3}, {x - 3, middle + 3}};
  CDC* cdc = CDC::FromHandle(dc);
  CKtkDrawHelpers::FillTriangle(cdc, points, color);
}

// The bitmap's size, and whether it is a 32-bit DIB section with its pixels.
SIZE BitmapInfo(HBITMAP bitmap, bool* alpha) {
  *alpha = false;
  DIBSECTION section{};
  const int got = ::GetObjectW(bitmap, sizeof section, &section);
  if (got == static_cast<int>(sizeof section)) *alpha = section.dsBm.bmBitsPixel == 32 && section.dsBm.bmBits;
  if (got < static_cast<int>(sizeof(BITMAP))) return SIZE{0, 0};
  return SIZE{section.dsBm.bmWidth, std::abs(section.dsBm.bmHeight)};
}

void CopyAnd(HDC dc, HBITMAP bitmap, int x, int y, SIZE size) {
  HDC source = ::CreateCompatibleDC(dc);
  if (!source) return;
  HGDIOBJ old = ::SelectObject(source, bitmap);
  ::BitBlt(dc, x, y, size.cx, size.cy, source, 0, 0, SRCAND);
  ::SelectObject(source, old);
  ::DeleteDC(source);
}

// The predefined pictures of a system menu's items: their part and Marlett glyph.
bool SystemPicture(HBITMAP bitmap, int* part, const char16_t** glyph) {
  switch (reinterpret_cast<uintptr_t>(bitmap)) {
    case 8:
      *part = KTK_MENU_SYSTEMCLOSE, *glyph = u"r";
      return true;
    case 9:
      *part = KTK_MENU_SYSTEMRESTORE, *glyph = u"2";
      return true;
    case 10:
      *part = KTK_MENU_SYSTEMMAXIMIZE, *glyph = u"1";
      return true;
    case 11:
      *part = KTK_MENU_SYSTEMMINIMIZE, *glyph = u"0";
      return true;
    default:
      return false;
  }
}

}  // namespace

void CKtkSkinPopupMenu::Paint(HDC dc, const RECT& client) {
  const BOOL themed = IsThemed();
  CKtkSkinManagerClass* skin = themed ? GetSkinClass() : nullptr;
  const Colors color{GetMetrics()};
  auto part = [&](int p, int state, const RECT& r) {
    if (skin) skin->DrawThemeBackground(dc, p, state, r);
  };

  if (themed) {
    part(KTK_MENU_POPUPBORDERS, 0, client);
    const RECT inner{client.left + 3, client.top + 3, client.right - 3, client.bottom - 3};
    part(KTK_MENU_POPUPBACKGROUND, 0, inner);
    part(KTK_MENU_POPUPGUTTER, 0, RECT{inner.left, inner.top, inner.left + m_nCheckWidth - 5, inner.bottom});
  } else {
    Fill(dc, client, color(COLOR_MENU));
    const COLORREF shadow = color(COLOR_BTNSHADOW);
    Fill(dc, RECT{client.left, client.top, client.right, client.top + 1}, shadow);
    Fill(dc, RECT{client.left, client.bottom - 1, client.right, client.bottom}, shadow);
    Fill(dc, RECT{client.left, client.top, client.left + 1, client.bottom}, shadow);
    Fill(dc, RECT{client.right - 1, client.top, client.right, client.bottom}, shadow);
  }

  CDC* cdc = CDC::FromHandle(dc);
  CKtkFontDC font(cdc, GetMenuFont(FALSE));
  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  const int count = GetItemCount();
  for (int i = 0; i < count; ++i) {
    CKtkSkinPopupMenuItem& item = *m_items[static_cast<size_t>(i)];
    const RECT& r = item.m_rect;
    const UINT type = item.GetType();
    const UINT state = item.GetState();
    const bool separator = (type & MFT_SEPARATOR) != 0;
    const bool selected = i == m_nSelected && !separator;
    const bool enabled = (state & 3) == 0;
    const bool checked = (state & MFS_CHECKED) != 0;
    const HMENU submenu = item.GetSubMenu();
    const int middle = (r.top + r.bottom) / 2;
    // Positions the check column counts from the popup's left edge are taken from the
    // item's column, so that items of later columns keep their checks beside them.
    const int column = r.left - 3;
    COLORREF text = color(COLOR_MENUTEXT);
    if (!enabled)
      text = color(COLOR_GRAYTEXT);
    else if (selected && !themed)
      text = color(COLOR_HIGHLIGHTTEXT);

    if (!themed && (type & MFT_MENUBARBREAK) && i > 0) {
      const int height = client.bottom - client.top - 6;
      Fill(dc, RECT{r.left - 3, client.top + 3, r.left - 2, client.top + 3 + height}, color(COLOR_BTNSHADOW));
      Fill(dc, RECT{r.left - 2, client.top + 3, r.left - 1, client.top + 3 + height}, color(COLOR_BTNHIGHLIGHT));
    }

    if (type & MFT_OWNERDRAW) {
      ::SetTextColor(dc, color(COLOR_MENUTEXT));
      ::SetBkColor(dc, color(COLOR_MENU));
      if (m_hOwner) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = item.GetID();
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = (selected ? ODS_SELECTED : 0) | ((state & MF_GRAYED) ? ODS_GRAYED : 0) |
                         ((state & 3) ? ODS_DISABLED : 0) | (checked ? ODS_CHECKED : 0) |
                         ((state & MFS_DEFAULT) ? ODS_DEFAULT : 0);
        draw.hwndItem = reinterpret_cast<HWND>(m_hMenu);
        draw.hDC = dc;
        draw.rcItem = r;
        draw.itemData = item.GetItemData();
        ::SendMessageW(m_hOwner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
      }
      if (submenu) Triangle(dc, r.right - (themed ? 10 : 5), middle, text);
      continue;
    }

    if (separator) {
      if (themed) {
        part(KTK_MENU_POPUPSEPARATOR, 0, RECT{r.left + m_nCheckWidth - 5, r.top, r.right, r.bottom});
      } else {
        Fill(dc, RECT{r.left + 1, middle, r.right - 1, middle + 1}, color(COLOR_BTNSHADOW));
        Fill(dc, RECT{r.left + 1, middle + 1, r.right - 1, middle + 2}, color(COLOR_BTNHIGHLIGHT));
      }
      continue;
    }

    if (selected) {
      if (themed)
        part(KTK_MENU_POPUPITEM, 2, r);
      else
        Fill(dc, r, color(COLOR_HIGHLIGHT));
    }
    ::SetTextColor(dc, text);
    if (state & MFS_DEFAULT) font.SelectFont(GetMenuFont(TRUE));
    const std::u16string caption = item.GetText();
    const size_t tab = caption.find(u'\t');
    if (tab != std::u16string::npos) {
      const std::u16string shortcut = caption.substr(tab + 1);
      RECT box{r.left, r.top, r.right - 20, r.bottom};
      ::DrawTextW(dc, shortcut.c_str(), static_cast<int>(shortcut.size()), &box, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    }
    const std::u16string label = caption.substr(0, tab);
    RECT labelBox{r.left + m_nCheckWidth, r.top, r.right, r.bottom};
    ::DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &labelBox, DT_VCENTER | DT_SINGLELINE);
    if (state & MFS_DEFAULT) font.SelectFont(GetMenuFont(FALSE));

    if (submenu) {
      if (themed)
        part(KTK_MENU_POPUPSUBMENU, enabled ? 1 : 2, RECT{r.right - 16, r.top, r.right - 7, r.bottom});
      else
        Triangle(dc, r.right - 5, middle, text);
    }

    bool alpha = false;
    if (HBITMAP check = item.GetCheckBitmap(checked)) {
      const SIZE size = BitmapInfo(check, &alpha);
      CopyAnd(dc, check, column + (themed ? 16 : 11) - size.cx / 2, middle - size.cy / 2, size);
      continue;
    }
    if (checked) {
      if (themed) {
        const RECT box{r.left, r.top, r.left + 22, r.bottom};
        part(KTK_MENU_POPUPCHECKBACKGROUND, enabled ? 2 : 1, box);
        part(KTK_MENU_POPUPCHECK, enabled ? 1 : 2, box);
      } else {
        const int L = r.left, M = middle;
        const POINT mark[6] = {{L + 5, M},  {L + 7, M + 2}, {L + 11, M - 2},
                               {L + 11, M}, {L + 7, M + 4}, {L + 5, M + 2}};
        CKtkPenDC pen(dc, text);
        CKtkBrushDC brush(dc, text);
        ::Polygon(dc, mark, 6);
      }
      continue;
    }
    HBITMAP bitmap = item.GetItemBitmap();
    if (!bitmap) continue;
    int picture = 0;
    const char16_t* glyph = nullptr;
    const int top = (r.top + r.bottom - 20) / 2;
    if (SystemPicture(bitmap, &picture, &glyph)) {
      if (themed) {
        part(picture, enabled ? 1 : 2, RECT{column + 6, top, column + 26, top + 20});
      } else {
        LOGFONTW lf{};
        const int dpi = std::max(1, ::GetDeviceCaps(dc, LOGPIXELSX));
        lf.lfHeight = -::MulDiv(8 * 96 / dpi, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
        lf.lfCharSet = SYMBOL_CHARSET;
        std::char_traits<char16_t>::copy(lf.lfFaceName, u"Marlett", 8);
        HFONT marlett = ::CreateFontIndirectW(&lf);
        font.SelectFont(marlett);
        RECT box{column + 1, top + 1, column + 21, top + 21};
        ::DrawTextW(dc, glyph, 1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        font.SelectFont(GetMenuFont(FALSE));
        if (marlett) ::DeleteObject(marlett);
      }
      continue;
    }
    if (reinterpret_cast<uintptr_t>(bitmap) <= 0xFFFF) continue;
    const SIZE size = BitmapInfo(bitmap, &alpha);
    if (size.cx <= 0 || size.cy <= 0) continue;
    const int centre = themed ? (m_nCheckWidth - 8) / 2 + 3 : m_nCheckWidth / 2 + 3;
    const int x = column + centre - size.cx / 2, y = middle - size.cy / 2;
    if (alpha && KtkIsVistaOrLater())
      AlphaDraw(dc, bitmap, x, y, size.cx, size.cy);
    else
      CopyAnd(dc, bitmap, x, y, size);
  }
  ::SetBkMode(dc, oldMode);
}

// The application frame's menu bar: its items laid out in rows (right-justified items and
// a maximised MDI child's buttons flush right on the last row), painted in the skin's
// colours, and found under a point.
#include <algorithm>
#include <string>

#include <win/gdi.h>
#include <win/menu.h>
#include <win/user.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/draw/dc_guards.h"
#include "ornatex/draw/draw_helpers.h"
#include "ornatex/menu/application_frame.h"
#include "ornatex/menu/popup_menu.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"

namespace {

HFONT MenuFontOf(CKtkSkinManagerMetrics* metrics) {
  if (metrics && metrics->m_menuFont) return metrics->m_menuFont;
  return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

void CKtkSkinObjectApplicationFrame::LayoutMenuBar() {
  CKtkSkinPopupMenu& bar = *m_pMenuBar;
  bar.m_items.clear();
  bar.m_hMenu = nullptr;
  bar.m_bSystemMenu = FALSE;
  HMENU menu = (::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD) ? nullptr : ::GetMenu(m_hWnd);
  if (!menu) return;
  bar.m_hMenu = menu;
  bar.m_hWnd = bar.m_hOwner = m_hWnd;
  const int rowHeight = ::GetSystemMetrics(SM_CYMENUSIZE);
  HDC dc = ::GetWindowDC(m_hWnd);
  HGDIOBJ oldFont = dc ? ::SelectObject(dc, MenuFontOf(GetMetrics())) : nullptr;
  TEXTMETRICW tm{};
  if (dc) ::GetTextMetricsW(dc, &tm);
  bar.RebuildItems();

  int x = m_rcMenuBar.left, rowTop = m_rcMenuBar.top;
  for (size_t i = 0; i < bar.m_items.size(); ++i) {
    CKtkSkinPopupMenuItem& item = *bar.m_items[i];
    int width = 0;
    if (item.GetItemBitmap() == HBMMENU_SYSTEM) {
      width = 20;
    } else if (item.IsSeparator()) {
      width = 6;
    } else if (item.IsMdiButton()) {
      width = rowHeight;
    } else {
      std::u16string text = item.GetText();
      CKtkDrawHelpers::RemoveAmpersands(text);
      SIZE extent{0, 0};
      if (dc) ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      width = extent.cx + 2 * tm.tmAveCharWidth + 2;
    }
    if (i > 0 && x + width > m_rcMenuBar.right) {
      rowTop += rowHeight;
      x = m_rcMenuBar.left;
    }
    item.m_rect = RECT{x, rowTop, x + width, rowTop + rowHeight};
    x += width;
  }
  int edge = m_rcMenuBar.right;
  for (size_t i = bar.m_items.size(); i-- > 0;) {
    CKtkSkinPopupMenuItem& item = *bar.m_items[i];
    if (!((item.GetType() & MFT_RIGHTJUSTIFY) || item.IsMdiButton()) || item.m_rect.top != rowTop) break;
    const int width = item.m_rect.right - item.m_rect.left;
    item.m_rect.right = edge;
    item.m_rect.left = edge - width;
    edge -= width;
  }
  m_rcMenuBar.bottom = rowTop + rowHeight + 1;
  if (dc) {
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(m_hWnd, dc);
  }
}

void CKtkSkinObjectApplicationFrame::DrawMenuBar(HDC dc) {
  if (::IsRectEmpty(&m_rcMenuBar)) return;
  CKtkBufferDC buffer(dc, m_rcMenuBar);
  HDC out = buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc;
  const RECT& r = m_rcMenuBar;
  auto fill = [&](const RECT& box, int index) {
    HBRUSH brush = ::CreateSolidBrush(GetSysColor(index));
    ::FillRect(out, &box, brush);
    ::DeleteObject(brush);
  };
  fill(RECT{r.left, r.top, r.right, r.bottom - 1}, COLOR_BTNFACE);
  fill(RECT{r.left, r.bottom - 1, r.right, r.bottom}, COLOR_WINDOW);
  CKtkFontDC font(CDC::FromHandle(out), MenuFontOf(GetMetrics()));
  const int oldMode = ::SetBkMode(out, TRANSPARENT);

  CKtkSkinPopupMenu& bar = *m_pMenuBar;
  // Items added or taken away since the last layout are placed before they are drawn.
  if (!bar.m_bSystemMenu && bar.m_hMenu && ::GetMenuItemCount(bar.m_hMenu) != static_cast<int>(bar.m_items.size())) {
    const RECT before = m_rcMenuBar;
    LayoutMenuBar();
    m_rcMenuBar.bottom = std::min(m_rcMenuBar.bottom, before.bottom);
  }
  const int count = bar.GetItemCount();
  CKtkSkinManagerClass* window = m_pManager ? m_pManager->GetSkinClass(this, u"WINDOW") : nullptr;
  for (int i = 0; i < count; ++i) {
    CKtkSkinPopupMenuItem& item = *bar.m_items[static_cast<size_t>(i)];
    const RECT& box = item.m_rect;
    const bool selected = i == bar.m_nSelected;
    if (item.GetItemBitmap() == HBMMENU_SYSTEM) {
      const auto child = reinterpret_cast<HWND>(item.GetItemData());
      if (child && ::IsWindow(child))
        if (HICON icon = CKtkSkinManagerSchema::GetWindowIcon(child, FALSE))
          ::DrawIconEx(out, (box.left + box.right - 16) / 2, (box.top + box.bottom - 16) / 2, icon, 16, 16, 0, nullptr,
                       DI_NORMAL);
      continue;
    }
    if (item.IsSeparator()) continue;
    const bool enabled = item.IsEnabled() != FALSE;
    if (item.IsMdiButton()) {
      const UINT id = item.GetID();
      const int part = id == SC_RESTORE ? 22 : id == SC_MINIMIZE ? 16 : 20;
      const int state = !enabled ? 4 : selected ? 2 : 1;
      if (window) window->DrawThemeBackground(out, part, state, box);
      continue;
    }
    if (selected) fill(box, COLOR_HIGHLIGHT);
    ::SetTextColor(out, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : enabled ? COLOR_MENUTEXT : COLOR_GRAYTEXT));
    const std::u16string text = bar.GetItemText(i);
    RECT textBox = box;
    ::DrawTextW(out, text.c_str(), static_cast<int>(text.size()), &textBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  ::SetBkMode(out, oldMode);
}

void CKtkSkinObjectApplicationFrame::RedrawMenuBar() {
  if (::IsRectEmpty(&m_rcMenuBar)) return;
  HDC dc = ::GetWindowDC(m_hWnd);
  if (!dc) return;
  DrawMenuBar(dc);
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  if (client.bottom <= client.top) DrawFrame(dc);
  ::ReleaseDC(m_hWnd, dc);
}

int CKtkSkinObjectApplicationFrame::MenuBarItemFromPoint(POINT point) {
  if (!::PtInRect(&m_rcMenuBar, point)) return -1;
  const int count = m_pMenuBar->GetItemCount();
  for (int i = 0; i < count; ++i)
    if (::PtInRect(&m_pMenuBar->m_items[static_cast<size_t>(i)]->m_rect, point)) return i;
  return -1;
}

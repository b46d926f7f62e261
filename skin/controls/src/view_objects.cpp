#include "ornatex/controls/view_objects.h"

#include <algorithm>
#include <string>

#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/nls.h>
#include <win/user.h>
#include <win/user_ownerdraw.h>
#include <win/uxtheme.h>

#include "ornatex/controls/control_pattern.h"
#include "ornatex/core/platform_version.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/schema/skin_class.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectListView, CKtkSkinObjectComCtl32Control)
IMPLEMENT_DYNCREATE(CKtkSkinObjectTreeView, CKtkSkinObjectComCtl32Control)
IMPLEMENT_DYNCREATE(CKtkSkinObjectHeader, CKtkSkinObjectFrame)

namespace {

POINT PointOf(LPARAM lParam) { return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

}  // namespace

// ---- List view ------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKtkSkinObjectListView, CKtkSkinObjectComCtl32Control)
ON_MESSAGE(WM_CREATE, OnCreateMessage)
ON_MESSAGE(WM_HSCROLL, OnHScrollMessage)
ON_MESSAGE(WM_VSCROLL, OnVScrollMessage)
END_MESSAGE_MAP()

CKtkSkinObjectListView::CKtkSkinObjectListView() {
  m_skinClassName = u"LISTVIEW";
  m_ctlColorMessage = WM_CTLCOLORLISTBOX;
}

void CKtkSkinObjectListView::ApplyColours(BOOL skinned) {
  const COLORREF window = skinned ? GetSysColor(COLOR_WINDOW) : ::GetSysColor(COLOR_WINDOW);
  const COLORREF text = skinned ? GetSysColor(COLOR_WINDOWTEXT) : ::GetSysColor(COLOR_WINDOWTEXT);
  ::SendMessageW(m_hWnd, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(window));
  ::SendMessageW(m_hWnd, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(window));
  ::SendMessageW(m_hWnd, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(text));
}

void CKtkSkinObjectListView::OnSkinChanged(BOOL wasEnabled, BOOL enabled) {
  ApplyColours(enabled);
  CKtkSkinObjectComCtl32Control::OnSkinChanged(wasEnabled, enabled);
}

LRESULT CKtkSkinObjectListView::OnCreateMessage(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CKtkSkinObjectFrame::OnCreateMessage(wParam, lParam);
  if (m_pManager && m_pManager->m_enabled) ApplyColours(TRUE);
  return result;
}

LRESULT CKtkSkinObjectListView::OnHScrollMessage(WPARAM wParam, LPARAM lParam) {
  return ThumbScroll(SB_HORZ, wParam, lParam);
}

LRESULT CKtkSkinObjectListView::OnVScrollMessage(WPARAM wParam, LPARAM lParam) {
  return ThumbScroll(SB_VERT, wParam, lParam);
}

LRESULT CKtkSkinObjectListView::ThumbScroll(int bar, WPARAM wParam, LPARAM lParam) {
  const int code = LOWORD(wParam);
  const bool thumb = code == SB_THUMBTRACK || code == SB_THUMBPOSITION;
  if (!(m_pManager && m_pManager->m_isWindows9x && lParam == 0 && thumb)) return OnScrollingMessage(wParam, lParam);
  // Windows 9x's list view does not follow a frame bar's thumb: the view is scrolled by
  // the distance the thumb moved, rows counted in small-icon spacing.
  const int delta = static_cast<int>(HIWORD(wParam)) - ::GetScrollPos(m_hWnd, bar);
  if (bar == SB_HORZ) {
    ::SendMessageW(m_hWnd, LVM_SCROLL, static_cast<WPARAM>(delta), 0);
  } else {
    const auto spacing = static_cast<DWORD>(::SendMessageW(m_hWnd, LVM_GETITEMSPACING, TRUE, 0));
    ::SendMessageW(m_hWnd, LVM_SCROLL, 0, static_cast<LPARAM>(delta * static_cast<int>(HIWORD(spacing))));
  }
  RefreshScrollBars();
  return 0;
}

// ---- Tree view ------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKtkSkinObjectTreeView, CKtkSkinObjectComCtl32Control)
ON_MESSAGE(WM_CREATE, OnCreateMessage)
END_MESSAGE_MAP()

CKtkSkinObjectTreeView::CKtkSkinObjectTreeView() {
  m_skinClassName = u"TREEVIEW";
  m_ctlColorMessage = WM_CTLCOLORLISTBOX;
}

void CKtkSkinObjectTreeView::ApplyColours(BOOL skinned, BOOL lines) {
  // -1 and CLR_DEFAULT give the control the system's colours back.
  ::SendMessageW(m_hWnd, TVM_SETBKCOLOR, 0, skinned ? static_cast<LPARAM>(GetSysColor(COLOR_WINDOW)) : -1);
  ::SendMessageW(m_hWnd, TVM_SETTEXTCOLOR, 0, skinned ? static_cast<LPARAM>(GetSysColor(COLOR_WINDOWTEXT)) : -1);
  if (lines)
    ::SendMessageW(m_hWnd, TVM_SETLINECOLOR, 0,
                   skinned ? static_cast<LPARAM>(GetSysColor(COLOR_GRAYTEXT)) : static_cast<LPARAM>(CLR_DEFAULT));
}

void CKtkSkinObjectTreeView::OnSkinChanged(BOOL wasEnabled, BOOL enabled) {
  ApplyColours(enabled, TRUE);
  CKtkSkinObjectComCtl32Control::OnSkinChanged(wasEnabled, enabled);
}

LRESULT CKtkSkinObjectTreeView::OnCreateMessage(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CKtkSkinObjectFrame::OnCreateMessage(wParam, lParam);
  if (m_pManager && m_pManager->m_enabled) ApplyColours(TRUE, FALSE);
  return result;
}

// ---- Header ---------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKtkSkinObjectHeader, CKtkSkinObjectFrame)
ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownMessage)
ON_MESSAGE(WM_LBUTTONUP, OnLButtonUpMessage)
ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMessage)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveMessage)
ON_MESSAGE(WM_PAINT, OnPaintMessage)
ON_MESSAGE(WM_PRINTCLIENT, OnPrintClientMessage)
END_MESSAGE_MAP()

CKtkSkinObjectHeader::CKtkSkinObjectHeader() { m_skinClassName = u"HEADER"; }

BOOL CKtkSkinObjectHeader::OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (!IsSkinActive()) return FALSE;
  return CKtkSkinObjectFrame::OnHookMessage(message, wParam, lParam, result);
}

int CKtkSkinObjectHeader::HitItem(LPARAM lParam, UINT* flags) {
  HDHITTESTINFO hit{};
  hit.pt = PointOf(lParam);
  const int item = static_cast<int>(::SendMessageW(m_hWnd, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (flags) *flags = hit.flags;
  return item;
}

void CKtkSkinObjectHeader::DrawItem(HDC dc, int index, RECT rect, int state) {
  CKtkSkinManagerClass* skin = GetSkinClass();
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  const int cxEdge = metrics ? metrics->m_cxEdge : ::GetSystemMetrics(SM_CXEDGE);
  char16_t text[256] = {};
  HDITEMW item{};
  item.mask = HDI_TEXT | HDI_FORMAT | HDI_LPARAM | HDI_IMAGE;
  item.pszText = text;
  item.cchTextMax = 256;
  if (!::SendMessageW(m_hWnd, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) {
    // The narrow form, read in the ANSI code page.
    char narrow[256] = {};
    HDITEMA a{};
    a.mask = HDI_TEXT | HDI_FORMAT | HDI_LPARAM | HDI_IMAGE;
    a.pszText = narrow;
    a.cchTextMax = 256;
    if (!::SendMessageW(m_hWnd, HDM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&a))) return;
    item.fmt = a.fmt;
    item.lParam = a.lParam;
    item.iImage = a.iImage;
    ::MultiByteToWideChar(CP_ACP, 0, narrow, -1, text, 256);
  }
  text[255] = 0;
  const bool pressed = state == HIS_PRESSED;
  if (item.fmt & HDF_OWNERDRAW) {
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_HEADER;
    draw.CtlID = static_cast<UINT>(::GetDlgCtrlID(m_hWnd));
    draw.itemID = static_cast<UINT>(index);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = pressed ? ODS_SELECTED : 0;
    draw.hwndItem = m_hWnd;
    draw.hDC = dc;
    draw.rcItem = rect;
    draw.itemData = static_cast<ULONG_PTR>(item.lParam);
    if (::SendMessageW(::GetParent(m_hWnd), WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw))) return;
  }
  const int p = pressed ? 1 : 0;
  RECT textRect = rect;
  SIZE extent{0, 0};
  const std::u16string label(text);
  ::GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &extent);
  HIMAGELIST images = reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hWnd, HDM_GETIMAGELIST, 0, 0));
  if ((item.fmt & HDF_IMAGE) && images && item.iImage >= 0 && item.iImage < ImageList_GetImageCount(images)) {
    int margin = static_cast<int>(::SendMessageW(m_hWnd, HDM_GETBITMAPMARGIN, 0, 0));
    if (margin == 0) margin = 3 * cxEdge;
    int cx = 16, cy = 16;
    ImageList_GetIconSize(images, &cx, &cy);
    const int y = (rect.top + rect.bottom - cy) / 2;
    if (item.fmt & HDF_BITMAP_ON_RIGHT) {
      int x = rect.left + margin + extent.cx + margin + 9;
      if (x + cx > rect.right - 3) x = std::max(rect.right - cx - 3, static_cast<int>(rect.left) + 6);
      ImageList_Draw(images, item.iImage, dc, x + p, y + p, ILD_TRANSPARENT);
      textRect.right = x + p + 6;
    } else {
      ImageList_Draw(images, item.iImage, dc, rect.left + margin + p, y + p, ILD_TRANSPARENT);
      textRect.left += margin + cx;
    }
  } else if (item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) {
    int x = rect.left + extent.cx + 6 * cxEdge + 9;
    if (x + 9 > rect.right - 3) x = std::max(static_cast<int>(rect.right) - 12, static_cast<int>(rect.left) + 6);
    const int y = (rect.top + rect.bottom - 2) / 2;
    const bool up = (item.fmt & HDF_SORTUP) != 0;
    const POINT triangle[3] = {{x - 4, up ? y + 2 : y - 2}, {x, up ? y - 2 : y + 2}, {x + 4, up ? y + 2 : y - 2}};
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    HBRUSH brush = ::CreateSolidBrush(shadow);
    HPEN pen = ::CreatePen(PS_SOLID, 1, shadow);
    HGDIOBJ oldBrush = ::SelectObject(dc, brush), oldPen = ::SelectObject(dc, pen);
    ::Polygon(dc, triangle, 3);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(brush);
    ::DeleteObject(pen);
    textRect.right = x;
  }
  UINT flags = DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
  switch (item.fmt & 3) {
    case 1:
      textRect.left += 6;
      textRect.right -= 9;
      flags |= DT_RIGHT;
      break;
    case 2:
      textRect.left += 6;
      textRect.right -= 6;
      flags |= DT_CENTER;
      break;
    default:
      textRect.left += 9;
      textRect.right -= 6;
      break;
  }
  if (textRect.right <= textRect.left || label.empty()) return;
  if (pressed) ::OffsetRect(&textRect, 1, 1);
  ::SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  if (!skin || !skin->DrawText(dc, HP_HEADERITEM, state, label, flags, textRect))
    ::DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &textRect, flags);
}

void CKtkSkinObjectHeader::DrawHeader(HDC dc, const RECT& client) {
  CKtkBufferDC buffer(dc, client);
  HDC target = buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc;
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  HBRUSH face = metrics ? metrics->GetBrush(COLOR_BTNFACE) : nullptr;
  ::FillRect(target, &client, face ? face : ::GetSysColorBrush(COLOR_BTNFACE));
  RECT items = client;
  if ((::GetWindowLongW(m_hWnd, GWL_STYLE) & HDS_FILTERBAR) && KtkGetComCtlVersion() >= 0x00050050) {
    // The filter bar is the control's own: it paints itself first, and the items take the
    // upper part.
    items.bottom = items.top + (client.bottom - client.top - 1) / 2;
    ::CallWindowProcW(m_pfnPrevious, m_hWnd, WM_PAINT, reinterpret_cast<WPARAM>(target), 0);
  }
  HGDIOBJ oldFont = nullptr;
  if (auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)))
    oldFont = ::SelectObject(target, font);
  ::SetTextColor(target, GetSysColor(COLOR_BTNTEXT));
  const int mode = ::SetBkMode(target, TRANSPARENT);
  CKtkSkinManagerClass* skin = GetSkinClass();
  const int count = static_cast<int>(::SendMessageW(m_hWnd, HDM_GETITEMCOUNT, 0, 0));
  int end = client.left;
  for (int position = 0; position < count; ++position) {
    const int index = static_cast<int>(::SendMessageW(m_hWnd, HDM_ORDERTOINDEX, static_cast<WPARAM>(position), 0));
    RECT r{};
    if (!::SendMessageW(m_hWnd, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r))) continue;
    end = std::max(end, static_cast<int>(r.right));
    if (r.right <= client.left || r.left >= client.right) continue;
    r.top = items.top;
    r.bottom = items.bottom;
    const int state = index == m_nHotItem ? (m_bPressed ? HIS_PRESSED : HIS_HOT) : HIS_NORMAL;
    if (skin) skin->DrawThemeBackground(target, HP_HEADERITEM, state, r);
    DrawItem(target, index, r, state);
  }
  // The filler after the last item, none when the items reach past the edge.
  if (skin && end < client.right)
    skin->DrawThemeBackground(target, 0, 0, RECT{end, items.top, client.right, items.bottom});
  ::SetBkMode(target, mode);
  if (oldFont) ::SelectObject(target, oldFont);
}

LRESULT CKtkSkinObjectHeader::OnLButtonDownMessage(WPARAM, LPARAM lParam) {
  UINT flags = 0;
  if (HitItem(lParam, &flags) >= 0 && (flags & HHT_ONHEADER)) m_bPressed = TRUE;
  return Default();
}

LRESULT CKtkSkinObjectHeader::OnLButtonUpMessage(WPARAM, LPARAM) {
  if (m_bPressed) {
    m_bPressed = FALSE;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  return Default();
}

LRESULT CKtkSkinObjectHeader::OnMouseMoveMessage(WPARAM, LPARAM lParam) {
  const int hot = HitItem(lParam, nullptr);
  if (hot != m_nHotItem) {
    m_nHotItem = hot;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  if (m_nHotItem >= 0) KtkTrackMouseLeave(m_hWnd);
  return Default();
}

LRESULT CKtkSkinObjectHeader::OnMouseLeaveMessage(WPARAM, LPARAM) {
  if (m_nHotItem != -1) {
    m_nHotItem = -1;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  return Default();
}

LRESULT CKtkSkinObjectHeader::OnPaintMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PAINT, wParam, lParam, [this](HDC dc, const RECT& client) { DrawHeader(dc, client); });
}

LRESULT CKtkSkinObjectHeader::OnPrintClientMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PRINTCLIENT, wParam, lParam,
                        [this](HDC dc, const RECT& client) { DrawHeader(dc, client); });
}

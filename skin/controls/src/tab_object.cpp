#include "ornatex/controls/tab_object.h"

#include <algorithm>

#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/nls.h>
#include <win/user.h>
#include <win/user_ownerdraw.h>
#include <win/uxtheme.h>

#include "ornatex/controls/control_pattern.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/schema/skin_class.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectTab, CKtkSkinObjectFrame)

namespace {

constexpr DWORD kBottom = 2, kLeft = 0x80, kRight = 0x82;  // TCS_ placement bits (top is 0)

POINT PointOf(LPARAM lParam) { return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

}  // namespace

BEGIN_MESSAGE_MAP(CKtkSkinObjectTab, CKtkSkinObjectFrame)
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMessage)
ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMessage)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveMessage)
ON_MESSAGE(WM_PAINT, OnPaintMessage)
ON_MESSAGE(WM_PRINTCLIENT, OnPrintClientMessage)
END_MESSAGE_MAP()

CKtkSkinObjectTab::CKtkSkinObjectTab() { m_skinClassName = u"TAB"; }

BOOL CKtkSkinObjectTab::OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (!IsSkinActive()) return FALSE;
  return CKtkSkinObjectFrame::OnHookMessage(message, wParam, lParam, result);
}

DWORD CKtkSkinObjectTab::Placement() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)) & 0x82; }

RECT CKtkSkinObjectTab::StripRect() const {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const int count = static_cast<int>(::SendMessageW(m_hWnd, TCM_GETITEMCOUNT, 0, 0));
  if (count <= 0) return RECT{client.left, client.top, client.right, client.top};
  int selected = static_cast<int>(::SendMessageW(m_hWnd, TCM_GETCURSEL, 0, 0));
  if (selected < 0 || selected >= count) selected = 0;
  RECT item{};
  ::SendMessageW(m_hWnd, TCM_GETITEMRECT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&item));
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  const int cyEdge = metrics ? metrics->m_cyEdge : ::GetSystemMetrics(SM_CYEDGE);
  RECT strip = client;
  switch (Placement()) {
    case kRight:
      strip.left = item.left;
      break;
    case kLeft:
      strip.right = item.right;
      break;
    case kBottom:
      strip.top = item.top;
      break;
    default: {
      const int rows = static_cast<int>(::SendMessageW(m_hWnd, TCM_GETROWCOUNT, 0, 0));
      strip.bottom = rows * (client.top + (item.bottom - item.top)) + cyEdge;
      break;
    }
  }
  return strip;
}

void CKtkSkinObjectTab::DrawPane(HDC dc, const RECT& rect) {
  KtkFillControlBackground(this, dc, rect, WM_CTLCOLORSTATIC);
  if (::GetWindowLongW(m_hWnd, GWL_STYLE) & TCS_BUTTONS) return;
  const RECT strip = StripRect();
  RECT pane = rect;
  switch (Placement()) {
    case kRight:
      pane.right = strip.left;
      break;
    case kLeft:
      pane.left = strip.right;
      break;
    case kBottom:
      pane.bottom = strip.top;
      break;
    default:
      pane.top = strip.bottom;
      break;
  }
  if (CKtkSkinManagerClass* skin = GetSkinClass()) skin->DrawThemeBackground(dc, TABP_PANE, 0, pane);
}

std::u16string CKtkSkinObjectTab::ItemText(int index) const {
  char16_t text[256] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = 256;
  if (::SendMessageW(m_hWnd, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) {
    text[255] = 0;
    return text;
  }
  char narrow[256] = {};
  TCITEMA a{};
  a.mask = TCIF_TEXT;
  a.pszText = narrow;
  a.cchTextMax = 256;
  if (!::SendMessageW(m_hWnd, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&a))) return u"";
  narrow[255] = 0;
  ::MultiByteToWideChar(CP_ACP, 0, narrow, -1, text, 256);
  text[255] = 0;
  return text;
}

void CKtkSkinObjectTab::DrawItem(HDC dc, int index, int count, int selected) {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  RECT r{};
  if (!::SendMessageW(m_hWnd, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r))) return;
  RECT meet{};
  if (!::IntersectRect(&meet, &r, &client)) return;
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  const DWORD placement = Placement();
  const bool buttons = (style & TCS_BUTTONS) != 0;
  const bool isSelected = index == selected;
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  const int cxEdge = metrics ? metrics->m_cxEdge : ::GetSystemMetrics(SM_CXEDGE);
  const int cyEdge = metrics ? metrics->m_cyEdge : ::GetSystemMetrics(SM_CYEDGE);
  CKtkSkinManagerClass* skin = GetSkinClass();
  int part = TABP_TOPTABITEM, state = TIS_NORMAL;
  if (buttons) {
    part = BP_PUSHBUTTON;
    state = isSelected ? PBS_PRESSED : PBS_NORMAL;
    if (CKtkSkinManagerClass* button = m_pManager ? m_pManager->GetSkinClass(this, u"BUTTON") : nullptr)
      button->DrawThemeBackground(dc, part, state, r);
  } else {
    if (isSelected) ::InflateRect(&r, 2, 2);
    state = isSelected ? TIS_SELECTED : index == m_nHotItem ? TIS_HOT : TIS_NORMAL;
    part = index == 0                            ? TABP_TOPTABITEMLEFTEDGE
           : (index == count - 1 && !isSelected) ? TABP_TOPTABITEMRIGHTEDGE
                                                 : TABP_TOPTABITEM;
    if (skin) skin->DrawThemeBackground(dc, part, state, r);
  }
  if (style & TCS_OWNERDRAWFIXED) {
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_TAB;
    draw.CtlID = static_cast<UINT>(::GetDlgCtrlID(m_hWnd));
    draw.itemID = static_cast<UINT>(index);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = isSelected ? ODS_SELECTED : 0;
    draw.hwndItem = m_hWnd;
    draw.hDC = dc;
    draw.rcItem = r;
    ::SendMessageW(::GetParent(m_hWnd), WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
  } else {
    // The image, then the text beside it.
    TCITEMW item{};
    item.mask = TCIF_IMAGE;
    if (!::SendMessageW(m_hWnd, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))) {
      TCITEMA a{};
      a.mask = TCIF_IMAGE;
      if (::SendMessageW(m_hWnd, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&a)))
        item.iImage = a.iImage;
      else
        item.iImage = -1;
    }
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hWnd, TCM_GETIMAGELIST, 0, 0));
    if (images && item.iImage >= 0) {
      int cx = 0, cy = 0;
      ImageList_GetIconSize(images, &cx, &cy);
      int x = r.left, y = r.top;
      switch (placement) {
        case kBottom:
          x += 2 * cxEdge, y += 1;
          break;
        case kLeft:
          x += cxEdge, y += 2 * cyEdge;
          break;
        case kRight:
          x += 1, y += 2 * cyEdge;
          break;
        default:
          x += 2 * cxEdge, y += cyEdge;
          break;
      }
      ImageList_Draw(images, item.iImage, dc, x, y, ILD_TRANSPARENT);
      if (placement == kLeft || placement == kRight)
        r.top += cy + cyEdge;
      else
        r.left += cx + cxEdge;
    }
    const std::u16string text = ItemText(index);
    if (!text.empty()) {
      ::SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      UINT flags;
      RECT into = r;
      if (placement == kLeft || placement == kRight) {
        SIZE extent{0, 0};
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        into.left = r.right - (r.right - r.left - extent.cy + 1) / 2;
        into.top = r.top + (r.bottom - r.top - extent.cx + 1) / 2;
        flags = DT_SINGLELINE | DT_NOCLIP;
      } else {
        flags = DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER | DT_CENTER;
        if (KtkHidesAccelerators(m_hWnd)) flags |= DT_HIDEPREFIX;
        if (buttons) {
          if (!isSelected) into.top -= 1;
        } else {
          into.top += isSelected ? -2 : 1;
          if (index == 0) into.right -= 3;
        }
      }
      if (!skin || !skin->DrawText(dc, part, state, text, flags, into))
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &into, flags);
    }
  }
  if (isSelected && KtkShowsFocusCue(m_hWnd)) {
    RECT focus{};
    ::SendMessageW(m_hWnd, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&focus));
    if (!buttons) ::InflateRect(&focus, 2, 2);
    ::InflateRect(&focus, -cxEdge / 2, -cyEdge / 2);
    KtkDrawFocusCue(dc, focus);
  }
}

void CKtkSkinObjectTab::DrawStrip(HDC dc, BOOL paneFirst) {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  if (paneFirst) DrawPane(dc, client);
  // The buffer covers the strip and two pixels of the pane, which the selected tab reaches.
  RECT area = StripRect();
  switch (Placement()) {
    case kRight:
      area.left -= 2;
      break;
    case kLeft:
      area.right += 2;
      break;
    case kBottom:
      area.top -= 2;
      break;
    default:
      area.bottom += 2;
      break;
  }
  ::IntersectRect(&area, &area, &client);
  CKtkBufferDC buffer(dc, area);
  HDC target = buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc;
  DrawPane(target, client);
  HGDIOBJ oldFont = nullptr;
  if (auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)))
    oldFont = ::SelectObject(target, font);
  const int mode = ::SetBkMode(target, TRANSPARENT);
  const int count = static_cast<int>(::SendMessageW(m_hWnd, TCM_GETITEMCOUNT, 0, 0));
  const int selected = static_cast<int>(::SendMessageW(m_hWnd, TCM_GETCURSEL, 0, 0));
  for (int i = 0; i < count; ++i) DrawItem(target, i, count, selected);
  // The selected tab once more, over its neighbours' edges.
  if (selected >= 0 && selected < count) DrawItem(target, selected, count, selected);
  ::SetBkMode(target, mode);
  if (oldFont) ::SelectObject(target, oldFont);
}

LRESULT CKtkSkinObjectTab::OnEraseBkgndMessage(WPARAM wParam, LPARAM) {
  HDC dc = reinterpret_cast<HDC>(wParam);
  if (!dc) return 1;
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  CKtkBufferDC buffer(dc, client);
  DrawPane(buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc, client);
  return 1;
}

LRESULT CKtkSkinObjectTab::OnMouseMoveMessage(WPARAM, LPARAM lParam) {
  const POINT pt = PointOf(lParam);
  const int count = static_cast<int>(::SendMessageW(m_hWnd, TCM_GETITEMCOUNT, 0, 0));
  int hot = -1;
  for (int i = 0; i < count && hot < 0; ++i) {
    RECT r{};
    if (::SendMessageW(m_hWnd, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)) &&
        ::PtInRect(&r, pt))
      hot = i;
  }
  if (hot != m_nHotItem) {
    m_nHotItem = hot;
    const RECT strip = StripRect();
    ::InvalidateRect(m_hWnd, &strip, FALSE);
  }
  if (m_nHotItem >= 0) KtkTrackMouseLeave(m_hWnd);
  return Default();
}

LRESULT CKtkSkinObjectTab::OnMouseLeaveMessage(WPARAM, LPARAM) {
  if (m_nHotItem != -1) {
    m_nHotItem = -1;
    const RECT strip = StripRect();
    ::InvalidateRect(m_hWnd, &strip, FALSE);
  }
  return Default();
}

LRESULT CKtkSkinObjectTab::OnPaintMessage(WPARAM wParam, LPARAM lParam) {
  // A DC handed over with the message gets the pane over the whole client first.
  const BOOL supplied = wParam != 0;
  return KtkHandlePaint(this, WM_PAINT, wParam, lParam,
                        [this, supplied](HDC dc, const RECT&) { DrawStrip(dc, supplied); });
}

LRESULT CKtkSkinObjectTab::OnPrintClientMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(
      this, WM_PRINTCLIENT, wParam, lParam, [this](HDC dc, const RECT&) { DrawStrip(dc, FALSE); }, TRUE);
}

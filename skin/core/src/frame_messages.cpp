// The frame object's message map: non-client size, hit tests, painting, mouse, activation,
// text and style changes, sizes and regions, printing, system commands and the Alt key.
#include <win/dialog.h>
#include <win/menu.h>
#include <win/user.h>

#include "ornatex/controls/scroll_bar.h"
#include "ornatex/core/caption_button.h"
#include "ornatex/core/frame_object.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/draw/draw_helpers.h"
#include "ornatex/schema/schema.h"

namespace {

constexpr UINT kScMaximize = 0xF030;
constexpr DWORD kRegionStyles = 0xC40080;  // caption, thick frame, tool window

POINT PointOf(LPARAM lParam) { return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

bool IsMdiChild(HWND window) { return (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0; }

}  // namespace

BEGIN_MESSAGE_MAP(CKtkSkinObjectFrame, CKtkSkinObject)
ON_MESSAGE(WM_NCPAINT, OnNcPaintMessage)
ON_MESSAGE(WM_NCCALCSIZE, OnNcCalcSizeMessage)
ON_MESSAGE(WM_NCHITTEST, OnNcHitTestMessage)
ON_MESSAGE(WM_NCMOUSEMOVE, OnNcMouseMoveMessage)
ON_MESSAGE(WM_NCMOUSELEAVE, OnNcMouseLeaveMessage)
ON_MESSAGE(WM_NCLBUTTONDOWN, OnNcLButtonDownMessage)
ON_MESSAGE(WM_NCLBUTTONDBLCLK, OnNcLButtonDownMessage)
ON_MESSAGE(WM_NCRBUTTONUP, OnNcRButtonUpMessage)
ON_MESSAGE(WM_NCACTIVATE, OnNcActivateMessage)
ON_MESSAGE(WM_SETTEXT, OnSetTextMessage)
ON_MESSAGE(WM_STYLECHANGED, OnStyleChangedMessage)
ON_MESSAGE(WM_CREATE, OnCreateMessage)
ON_MESSAGE(WM_WINDOWPOSCHANGING, OnWindowPosChangingMessage)
ON_MESSAGE(WM_WINDOWPOSCHANGED, OnWindowPosChangedMessage)
ON_MESSAGE(WM_PRINT, OnPrintMessage)
ON_MESSAGE(WM_GETMINMAXINFO, OnGetMinMaxInfoMessage)
ON_MESSAGE(WM_SYSCOMMAND, OnSysCommandMessage)
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMessage)
ON_MESSAGE(WM_SYSKEYDOWN, OnSysKeyDownMessage)
ON_MESSAGE(WM_SYSKEYUP, OnSysKeyUpMessage)
ON_MESSAGE(WM_SETICON, OnSetIconMessage)
END_MESSAGE_MAP()

LRESULT CKtkSkinObjectFrame::OnNcPaintMessage(WPARAM, LPARAM) {
  if (HasFlatScrollBars() || !IsFrameSkinning()) return Default();
  RebuildCaptionButtons();
  HDC dc = ::GetWindowDC(m_hWnd);
  if (dc) {
    DrawFrame(dc);
    ::ReleaseDC(m_hWnd, dc);
  }
  return 0;
}

LRESULT CKtkSkinObjectFrame::OnNcCalcSizeMessage(WPARAM wParam, LPARAM lParam) {
  CKtkSkinManagerSchema* schema = GetSchema();
  if (HasFlatScrollBars() || !schema || !IsFrameSkinning()) {
    m_scrollBars[KTK_SB_HORZ].bShown = m_scrollBars[KTK_SB_VERT].bShown = FALSE;
    return Default();
  }
  RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
  if (!r) return 0;
  m_rcBorders = schema->GetFrameBorders(this);
  *r = RECT{r->left + m_rcBorders.left, r->top + m_rcBorders.top, r->right - m_rcBorders.right,
            r->bottom - m_rcBorders.bottom};
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
  ScrollBarPosInfo& vert = m_scrollBars[KTK_SB_VERT];
  ScrollBarPosInfo& horz = m_scrollBars[KTK_SB_HORZ];
  vert.bShown = (style & WS_VSCROLL) ? TRUE : FALSE;
  horz.bShown = (style & WS_HSCROLL) ? TRUE : FALSE;
  vert.nKind = KTK_SB_VERT;
  vert.bVertical = TRUE;
  horz.nKind = KTK_SB_HORZ;
  horz.bVertical = FALSE;
  const CKtkSkinManagerMetrics& m = *schema->m_metrics;
  if (vert.bShown) {
    if (exStyle & (WS_EX_LEFTSCROLLBAR | WS_EX_LAYOUTRTL))
      r->left += m.m_cxVScroll;
    else
      r->right -= m.m_cxVScroll;
  }
  if (horz.bShown) r->bottom -= m.m_cyHScroll;
  if (r->right < r->left) r->right = r->left;
  if (r->bottom < r->top) r->bottom = r->top;
  return 0;
}

LRESULT CKtkSkinObjectFrame::OnNcHitTestMessage(WPARAM, LPARAM lParam) {
  const LRESULT system = Default();
  if (!IsFrameSkinning()) return system;
  const POINT p = PointOf(lParam);
  if (const int own = HitTest(p.x, p.y)) return own;
  switch (system) {
    case HTMENU:
    case HTMINBUTTON:
    case HTMAXBUTTON:
    case HTCLOSE:
    case HTHELP:
      return HTCAPTION;
    case HTHSCROLL:
    case HTVSCROLL:
      return HasFlatScrollBars() ? system : HTCLIENT;
    default:
      return system;
  }
}

LRESULT CKtkSkinObjectFrame::OnNcMouseMoveMessage(WPARAM, LPARAM lParam) {
  const POINT p = PointOf(lParam);
  if (IsFrameSkinning() && HandleNcMouseMove(p.x, p.y)) return 0;
  return Default();
}

LRESULT CKtkSkinObjectFrame::OnNcMouseLeaveMessage(WPARAM, LPARAM) {
  if (IsFrameSkinning() && HandleNcMouseMove(-1, -1)) return 0;
  return Default();
}

LRESULT CKtkSkinObjectFrame::OnNcLButtonDownMessage(WPARAM wParam, LPARAM lParam) {
  if (!IsFrameSkinning()) return Default();
  if (m_pHotButton) {
    CCaptionButton* button = m_pHotButton;
    const UINT command = button->m_nCommand;
    const BOOL clicked = RunPressLoop();
    m_pHotButton = m_pPressedButton = nullptr;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    RedrawFrame();
    if (clicked) ::SendMessageW(m_hWnd, WM_SYSCOMMAND, command, 0);
    return 0;
  }
  const POINT screen = PointOf(lParam);
  const POINT p = ToWindow(screen.x, screen.y);
  if (ScrollBarPosInfo* bar = BarAt(p)) {
    KtkScrollBarStartTracking(this, p, bar, ::GetKeyState(VK_SHIFT) < 0);
    return 0;
  }
  if (wParam == HTMINBUTTON || wParam == HTMAXBUTTON || wParam == HTCLOSE || wParam == HTHELP) return 0;
  return Default();
}

LRESULT CKtkSkinObjectFrame::OnNcRButtonUpMessage(WPARAM, LPARAM lParam) {
  const POINT screen = PointOf(lParam);
  if (!IsFrameSkinning() || !BarAt(ToWindow(screen.x, screen.y))) return Default();
  RefreshFrame();
  ::SendMessageW(m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), lParam);
  RefreshFrame();
  return 0;
}

LRESULT CKtkSkinObjectFrame::OnNcActivateMessage(WPARAM wParam, LPARAM lParam) {
  if (!IsCaptioned() || !IsFrameSkinning()) return Default();
  if (m_nDialogKind == KTK_DIALOG_KIND_DIALOG) {
    // Any procedure address counts: the 32-bit rule that addresses at or above 0xFFFF0000
    // are none would take every procedure of this process for none.
    if (const auto proc = reinterpret_cast<DLGPROC>(::GetWindowLongPtrW(m_hWnd, DWLP_DLGPROC)))
      proc(m_hWnd, WM_NCACTIVATE, wParam, lParam);
  }
  BOOL active = wParam ? TRUE : FALSE;
  if (!active && ::IsWindowEnabled(m_hWnd)) {
    CWnd* permanent = CWnd::FromHandlePermanent(m_hWnd);
    if (permanent && (permanent->m_nFlags & WF_STAYACTIVE)) active = TRUE;
  }
  if (m_pMDIClient && m_pMDIClient->m_hWnd) {
    const auto child = reinterpret_cast<HWND>(::SendMessageW(m_pMDIClient->m_hWnd, WM_MDIGETACTIVE, 0, 0));
    if (child && child != m_hWnd) {
      ::SendMessageW(child, WM_NCACTIVATE, wParam, lParam);
      ::SendMessageW(child, WM_NCPAINT, 1, 0);
    }
  }
  m_bActive = active;
  RedrawFrame();
  return TRUE;
}

LRESULT CKtkSkinObjectFrame::OnSetTextMessage(WPARAM wParam, LPARAM lParam) {
  if (!IsCaptioned() || !IsFrameSkinning()) return Default();
  const LRESULT result = ::DefWindowProcW(m_hWnd, WM_SETTEXT, wParam, lParam);
  RedrawFrame();
  if (IsMdiChild(m_hWnd) && ::IsZoomed(m_hWnd))
    if (HWND top = ::GetAncestor(m_hWnd, GA_ROOT)) ::SendMessageW(top, WM_NCPAINT, 1, 0);
  return result;
}

LRESULT CKtkSkinObjectFrame::OnStyleChangedMessage(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = Default();
  if (CKtkSkinManagerSchema* schema = GetSchema()) m_rcBorders = schema->GetFrameBorders(this);
  const auto* change = reinterpret_cast<const STYLESTRUCT*>(lParam);
  if (wParam == static_cast<WPARAM>(GWL_STYLE) && change && ((change->styleOld ^ change->styleNew) & kRegionStyles)) {
    m_windowSize = SIZE{0, 0};
    RECT box{};
    ::GetWindowRect(m_hWnd, &box);
    UpdateRegion(box.right - box.left, box.bottom - box.top);
  }
  if (IsCaptioned()) ::PostMessageW(m_hWnd, WM_NCPAINT, 1, 0);
  return result;
}

LRESULT CKtkSkinObjectFrame::OnCreateMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  if (result == -1) return result;
  FitToSkin();
  return result;
}

LRESULT CKtkSkinObjectFrame::OnWindowPosChangingMessage(WPARAM, LPARAM lParam) {
  const LRESULT result = Default();
  auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
  if (!pos || !IsFrameSkinning()) return result;
  const DWORD options = m_pManager->m_applyOptions;
  if ((options & KTK_APPLY_METRICS) && IsMdiChild(m_hWnd) && ::IsZoomed(m_hWnd)) {
    RECT client{};
    ::GetClientRect(::GetParent(m_hWnd), &client);
    pos->x = client.left - m_rcBorders.left;
    pos->y = client.top - m_rcBorders.top;
    pos->cx = client.right - client.left + m_rcBorders.left + m_rcBorders.right;
    pos->cy = client.bottom - client.top + m_rcBorders.top + m_rcBorders.bottom;
  }
  if (!(pos->flags & SWP_NOSIZE) && !(::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL))
    UpdateRegion(pos->cx, pos->cy);
  return result;
}

LRESULT CKtkSkinObjectFrame::OnWindowPosChangedMessage(WPARAM, LPARAM lParam) {
  const LRESULT result = Default();
  const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
  if (pos && !(pos->flags & SWP_NOSIZE)) UpdateRegion(pos->cx, pos->cy);
  return result;
}

LRESULT CKtkSkinObjectFrame::OnPrintMessage(WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (static_cast<DWORD>(lParam) != PRF_NONCLIENT) {
    ++m_nPaintSuppression;
    result = Default();
    --m_nPaintSuppression;
  }
  if ((lParam & PRF_NONCLIENT) && IsFrameSkinning()) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    const bool rtl = (::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    CDC* cdc = CDC::FromHandle(dc);
    if (rtl) CKtkDrawHelpers::SetDCLayout(cdc, LAYOUT_RTL);
    RebuildCaptionButtons();
    DrawFrame(dc);
    if (rtl) CKtkDrawHelpers::SetDCLayout(cdc, 0);
  }
  return result;
}

LRESULT CKtkSkinObjectFrame::OnGetMinMaxInfoMessage(WPARAM, LPARAM lParam) {
  const LRESULT result = Default();
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  if (!info || !IsFrameSkinning() || !IsCaptioned()) return result;
  const CKtkSkinManagerMetrics* metrics = GetMetrics();
  const int edge = metrics ? metrics->m_cxEdge : ::GetSystemMetrics(SM_CXEDGE);
  const int minWidth =
      m_rcBorders.top * static_cast<int>(m_captionButtons.size()) + 2 * edge + ::GetSystemMetrics(SM_CYSIZE);
  if (info->ptMinTrackSize.x < minWidth) info->ptMinTrackSize.x = minWidth;
  if (info->ptMinTrackSize.y < m_rcBorders.top + m_rcBorders.bottom)
    info->ptMinTrackSize.y = m_rcBorders.top + m_rcBorders.bottom;
  if ((m_pManager->m_applyOptions & KTK_APPLY_METRICS) && IsMdiChild(m_hWnd)) {
    info->ptMaxPosition.y -= m_rcBorders.top;
    info->ptMaxSize.y += m_rcBorders.top;
  }
  return result;
}

BOOL CKtkSkinObjectFrame::HandleSysCommand(UINT command, LPARAM lParam) {
  if (!m_pManager || !(m_pManager->m_applyOptions & KTK_APPLY_MENUS)) return FALSE;
  const UINT kind = command & 0xFFF0;
  if (kind == SC_MOUSEMENU) return TRUE;
  if (kind == SC_KEYMENU) {
    if (::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD) {
      for (HWND w = ::GetParent(m_hWnd); w; w = ::GetParent(w)) {
        if ((::GetWindowLongW(w, GWL_STYLE) & WS_SYSMENU) || ::GetMenu(w)) {
          ::SendMessageW(w, WM_SYSCOMMAND, command, lParam);
          break;
        }
      }
    }
    return TRUE;
  }
  return FALSE;
}

LRESULT CKtkSkinObjectFrame::OnSysCommandMessage(WPARAM wParam, LPARAM lParam) {
  const UINT command = static_cast<UINT>(wParam) & 0xFFF0;
  const bool frames = IsFrameSkinning() != FALSE;
  if (command == kScMaximize && IsMdiChild(m_hWnd) && !::IsZoomed(m_hWnd) && frames &&
      (m_pManager->m_applyOptions & KTK_APPLY_METRICS)) {
    const LRESULT result = Default();
    RECT client{};
    ::GetClientRect(::GetParent(m_hWnd), &client);
    ::SetWindowPos(m_hWnd, nullptr, client.left - m_rcBorders.left, client.top - m_rcBorders.top,
                   client.right - client.left + m_rcBorders.left + m_rcBorders.right,
                   client.bottom - client.top + m_rcBorders.top + m_rcBorders.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    return result;
  }
  if (HandleSysCommand(static_cast<UINT>(wParam), lParam)) return 0;
  if (command == SC_MOVE && ::IsIconic(m_hWnd) && frames) {
    DefWindowProcWithRecord(WM_NCPAINT, 1, 0);
    RedrawFrame();
  }
  const LRESULT result = Default();
  if (command == SC_MINIMIZE && frames) RedrawFrame();
  return result;
}

LRESULT CKtkSkinObjectFrame::OnEraseBkgndMessage(WPARAM, LPARAM) {
  const auto classBrush = static_cast<LONG_PTR>(::GetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND));
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  if (classBrush < 1 || classBrush > 31 || !metrics || !IsSkinActive()) return Default();
  // A class brush given as a system colour (index + 1): the skin's brush of that colour
  // for the default erase.
  ::SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND,
                     reinterpret_cast<LONG_PTR>(metrics->GetBrush(static_cast<int>(classBrush) - 1)));
  const LRESULT result = Default();
  ::SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, classBrush);
  return result;
}

LRESULT CKtkSkinObjectFrame::OnSysKeyDownMessage(WPARAM wParam, LPARAM lParam) {
  const bool repeat = (lParam & (1 << 30)) != 0;
  if (wParam == VK_MENU && !repeat) {
    HWND top = ::GetAncestor(m_hWnd, GA_ROOT);
    if (top && ::GetMenu(top)) {
      m_bAltDown = TRUE;
      return 0;
    }
  }
  return Default();
}

LRESULT CKtkSkinObjectFrame::OnSysKeyUpMessage(WPARAM wParam, LPARAM) {
  if (wParam == VK_MENU && m_bAltDown) {
    m_bAltDown = FALSE;
    if (HWND top = ::GetAncestor(m_hWnd, GA_ROOT)) ::SendMessageW(top, WM_SYSCOMMAND, SC_KEYMENU, 0);
    return 0;
  }
  return Default();
}

LRESULT CKtkSkinObjectFrame::OnSetIconMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  if (IsFrameSkinning()) RedrawFrame();
  return result;
}

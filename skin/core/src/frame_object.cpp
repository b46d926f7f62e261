// The frame skin object: its operations for the manager (skin changes, attaching and
// leaving), the region, fitting a window to the skin, the frame refresh and repaint, and
// the background brush its parent gives it.
#include "ornatex/core/frame_object.h"

#include <win/menu.h>
#include <win/user.h>

#include "ornatex/core/api_hook.h"
#include "ornatex/core/caption_button.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/schema/schema.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectFrame, CKtkSkinObject)

namespace {

constexpr UINT kIsActiveIcon = 0x0035;

// The manager's z-order repaint reaches frames through this procedure.
const bool kTimerSet = [] {
  KtkFrameTimerProc() = &KtkFrameTimer;
  return true;
}();

}  // namespace

CKtkSkinObjectFrame::CKtkSkinObjectFrame() {
  (void)kTimerSet;
  m_skinClassName = u"WINDOW";
}

CKtkSkinObjectFrame::~CKtkSkinObjectFrame() = default;

BOOL CKtkSkinObjectFrame::IsFrameSkinning() const {
  return m_pManager && m_pManager->m_enabled && (m_pManager->m_applyOptions & KTK_APPLY_FRAMES) && GetSchema();
}

BOOL CKtkSkinObjectFrame::IsCaptioned() const {
  return (static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)) & WS_CAPTION) == WS_CAPTION;
}

POINT CKtkSkinObjectFrame::ToWindow(int x, int y) const {
  RECT box{};
  ::GetWindowRect(m_hWnd, &box);
  return POINT{x - box.left, y - box.top};
}

// ---- Operations for the manager ------------------------------------------------------------

void CKtkSkinObjectFrame::OnSkinChanged(BOOL wasEnabled, BOOL enabled) {
  if (enabled) {
    RefreshFrame();
    if (!wasEnabled) m_bActive = ::SendMessageW(m_hWnd, kIsActiveIcon, 0, 0) != 0 || ::GetActiveWindow() == m_hWnd;
  }
  m_lastStyle = m_lastExStyle = 0xFFFFFFFF;
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  RefreshMetrics();
  m_windowSize = SIZE{0, 0};
  RECT box{};
  ::GetWindowRect(m_hWnd, &box);
  UpdateRegion(box.right - box.left, box.bottom - box.top);
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
}

void CKtkSkinObjectFrame::RefreshMetrics() {
  m_windowSize = SIZE{0, 0};
  ::PostMessageW(m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
}

void CKtkSkinObjectFrame::OnHookAttached(const CREATESTRUCTW* cs, BOOL fromCreation) {
  CKtkSkinObject::OnHookAttached(cs, fromCreation);
  if (!fromCreation) FitToSkin();
}

void CKtkSkinObjectFrame::OnHookDetached(BOOL destroying) {
  if (m_bRegionSet && !destroying && ::IsWindow(m_hWnd)) {
    ::SetWindowRgn(m_hWnd, nullptr, TRUE);
    m_bRegionSet = FALSE;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  // A hot-tracking timer left running finds no object and kills itself.
  CKtkSkinObject::OnHookDetached(destroying);
}

BOOL CKtkSkinObjectFrame::IsPassMessage(UINT message) {
  if (message == WM_ENTERIDLE && ::IsWindowVisible(m_hWnd) && ::IsIconic(m_hWnd) && IsCaptioned() && IsFrameSkinning())
    RedrawFrame();
  if (message >= WM_LBUTTONDOWN && message <= WM_MBUTTONDBLCLK) m_bAltDown = FALSE;
  if (m_nPaintSuppression > 0 &&
      (message == WM_STYLECHANGING || message == WM_STYLECHANGED || message == WM_NCCALCSIZE))
    return TRUE;
  if (!m_pManager || !(m_pManager->m_applyOptions & KTK_APPLY_FRAMES)) {
    switch (message) {
      case WM_WINDOWPOSCHANGING:
      case WM_WINDOWPOSCHANGED:
      case WM_NCCREATE:
      case WM_NCDESTROY:
      case WM_NCCALCSIZE:
      case WM_NCHITTEST:
      case WM_NCPAINT:
      case WM_NCACTIVATE:
      case WM_NCMOUSEMOVE:
      case WM_NCLBUTTONDOWN:
      case WM_NCLBUTTONUP:
      case WM_NCMOUSELEAVE:
      case WM_PRINT:
        return TRUE;
      default:
        break;
    }
  }
  return CKtkSkinObject::IsPassMessage(message);
}

BOOL CKtkSkinObjectFrame::OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC && !IsDefWindowProcMessage(message) &&
      HandleCtlColor(message, wParam, lParam, result))
    return TRUE;
  if (message == WM_ERASEBKGND && m_nDialogKind == KTK_DIALOG_KIND_PAGE && IsSkinActive()) {
    if (CKtkSkinManagerMetrics* metrics = GetMetrics()) {
      HDC dc = reinterpret_cast<HDC>(wParam);
      RECT client{};
      ::GetClientRect(m_hWnd, &client);
      ::SetBrushOrgEx(dc, 0, 0, nullptr);
      ::FillRect(dc, &client, PropertyPageBrush(metrics));
      result = 1;
      return TRUE;
    }
  }
  return CKtkSkinObject::OnHookMessage(message, wParam, lParam, result);
}

BOOL CKtkSkinObjectFrame::OnHookDefWindowProc(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC && HandleCtlColor(message, wParam, lParam, result))
    return TRUE;
  return CKtkSkinObject::OnHookDefWindowProc(message, wParam, lParam, result);
}

BOOL CKtkSkinObjectFrame::HandleCtlColor(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_CTLCOLORMSGBOX || message == WM_CTLCOLORSCROLLBAR) return FALSE;
  if (m_skinClassName == u"COMBOBOX" || !IsSkinActive()) return FALSE;
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  if (!metrics) return FALSE;
  HDC dc = reinterpret_cast<HDC>(wParam);
  if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) {
    SetBkColor(dc, metrics->GetColor(COLOR_WINDOW));
    SetTextColor(dc, metrics->GetColor(COLOR_WINDOWTEXT));
    result = reinterpret_cast<LRESULT>(metrics->m_windowBrush);
    return TRUE;
  }
  if (m_nDialogKind == KTK_DIALOG_KIND_PAGE) {
    // The page's texture continues across its controls: each control's DC gets the brush
    // origin of the page's corner.
    const auto control = reinterpret_cast<HWND>(lParam);
    if (control && control != m_hWnd) {
      RECT page{}, child{};
      ::GetWindowRect(m_hWnd, &page);
      ::GetWindowRect(control, &child);
      ::SetBrushOrgEx(dc, page.left - child.left, page.top - child.top, nullptr);
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, metrics->GetColor(COLOR_BTNTEXT));
    }
    result = reinterpret_cast<LRESULT>(PropertyPageBrush(metrics));
    return TRUE;
  }
  const UINT type = message - WM_CTLCOLORMSGBOX;
  CWnd::GrayCtlColor(dc, reinterpret_cast<HWND>(lParam), type, metrics->m_dialogBrush,
                     metrics->GetColor(COLOR_BTNTEXT));
  result = reinterpret_cast<LRESULT>(metrics->m_dialogBrush);
  return TRUE;
}

HBRUSH CKtkSkinObjectFrame::PropertyPageBrush(CKtkSkinManagerMetrics* metrics) {
  CKtkSkinManagerClass* tab = m_pManager ? m_pManager->GetSkinClass(this, u"TAB") : nullptr;
  return metrics->GetPropertyPageBrush(tab, m_hWnd);
}

// ---- The frame's own operations ------------------------------------------------------------

HBRUSH CKtkSkinObjectFrame::GetClientBrush(HDC dc) {
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  const UINT message = GetCtlColorMessage();
  const HWND parent = ::GetParent(m_hWnd);
  const LRESULT answer =
      parent ? ::SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd)) : 0;
  if (answer >= 1 && answer <= 31) {
    const int index = static_cast<int>(answer) - 1;
    return metrics ? metrics->GetBrush(index) : ::GetSysColorBrush(index);
  }
  if (answer > 31) return reinterpret_cast<HBRUSH>(answer);
  const bool window = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  if (metrics) return window ? metrics->m_windowBrush : metrics->m_dialogBrush;
  return ::GetSysColorBrush(window ? COLOR_WINDOW : COLOR_BTNFACE);
}

void CKtkSkinObjectFrame::UpdateMenuBar() {}

UINT CKtkSkinObjectFrame::GetCtlColorMessage() { return m_ctlColorMessage; }

void CKtkSkinObjectFrame::DrawFrame(HDC dc) {
  if (m_nPaintSuppression > 0) return;
  CKtkSkinManagerSchema* schema = GetSchema();
  if (!schema) return;
  schema->DrawFrame(dc, this);
  DrawScrollBars(dc);
}

void CKtkSkinObjectFrame::RedrawFrame() {
  if (!IsFrameSkinning()) {
    ::SendMessageW(m_hWnd, WM_NCPAINT, 1, 0);
    return;
  }
  HDC dc = ::GetWindowDC(m_hWnd);
  if (!dc) return;
  DrawFrame(dc);
  ::ReleaseDC(m_hWnd, dc);
}

void CKtkSkinObjectFrame::RefreshFrame() {
  if (!IsFrameSkinning()) return;
  const LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
  ++m_nPaintSuppression;
  ::SetWindowLongW(m_hWnd, GWL_STYLE, style & ~static_cast<LONG>(WS_BORDER | WS_VSCROLL | WS_HSCROLL));
  RECT box{};
  ::GetWindowRect(m_hWnd, &box);
  ::SendMessageW(m_hWnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&box));
  ::SetWindowLongW(m_hWnd, GWL_STYLE, style);
  --m_nPaintSuppression;
}

void CKtkSkinObjectFrame::UpdateRegion(int width, int height) {
  if (m_bMakingRegion) return;
  if (!IsCaptioned()) {
    if (m_bRegionSet) {
      ::SetWindowRgn(m_hWnd, nullptr, TRUE);
      m_bRegionSet = FALSE;
    }
    m_windowSize = SIZE{0, 0};
    return;
  }
  if (width == m_windowSize.cx && height == m_windowSize.cy) return;
  m_bMakingRegion = TRUE;
  m_windowSize = SIZE{width, height};
  CKtkSkinManagerSchema* schema = GetSchema();
  if (IsFrameSkinning() && schema) {
    HRGN region = schema->BuildFrameRegion(this, width, height);
    if (region) {
      ::SetWindowRgn(m_hWnd, region, TRUE);  // the window owns it now
      m_bRegionSet = TRUE;
    }
  } else if (m_bRegionSet) {
    ::SetWindowRgn(m_hWnd, nullptr, TRUE);
    m_bRegionSet = FALSE;
  }
  m_bMakingRegion = FALSE;
}

void CKtkSkinObjectFrame::FitToSkin() {
  if (!IsCaptioned() || !m_pManager || !m_pManager->m_enabled) return;
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
  RECT box{};
  ::GetWindowRect(m_hWnd, &box);
  CKtkSkinManagerSchema* schema = GetSchema();
  if ((m_pManager->m_applyOptions & KTK_APPLY_METRICS) && !(style & WS_CHILD) && schema) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    RECT system = client;
    KtkAdjustWindowRectEx(&system, style, ::GetMenu(m_hWnd) != nullptr, exStyle);
    const RECT b = schema->GetFrameBorders(style, exStyle);
    const int skinnedW = client.right + b.left + b.right, skinnedH = client.bottom + b.top + b.bottom;
    const int dw = skinnedW - (system.right - system.left), dh = skinnedH - (system.bottom - system.top);
    if (dw != 0 || dh != 0) {
      ::SetWindowPos(m_hWnd, nullptr, 0, 0, box.right - box.left + dw, box.bottom - box.top + dh,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      ::GetWindowRect(m_hWnd, &box);
    }
  }
  UpdateRegion(box.right - box.left, box.bottom - box.top);
}

#include "ornatex/controls/scroll_bar_object.h"

#include <win/user.h>
#include <win/uxtheme.h>

#include "ornatex/controls/control_pattern.h"
#include "ornatex/controls/scroll_bar.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectScrollBar, CKtkSkinObjectFrame)

namespace {

constexpr DWORD kSizeBoxStyles = 0x18;  // SBS_SIZEBOX | SBS_SIZEGRIP
constexpr DWORD kSizeGrip = 0x10;

POINT PointOf(LPARAM lParam) { return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

}  // namespace

BEGIN_MESSAGE_MAP(CKtkSkinObjectScrollBar, CKtkSkinObjectFrame)
ON_MESSAGE(WM_CREATE, OnCreateScrollBar)
ON_MESSAGE(WM_PAINT, OnPaintScrollBar)
ON_MESSAGE(WM_PRINTCLIENT, OnPrintClientScrollBar)
ON_MESSAGE(WM_ENABLE, OnEnableScrollBar)
ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveScrollBar)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveScrollBar)
ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownScrollBar)
ON_MESSAGE(WM_LBUTTONDBLCLK, OnLButtonDownScrollBar)
ON_MESSAGE(SBM_SETSCROLLINFO, OnSetScrollInfo)
ON_MESSAGE(SBM_SETPOS, OnSetPos)
ON_MESSAGE(SBM_GETSCROLLINFO, OnGetScrollInfo)
ON_MESSAGE(WM_SETFOCUS, OnSetFocusScrollBar)
END_MESSAGE_MAP()

CKtkSkinObjectScrollBar::CKtkSkinObjectScrollBar() {
  m_skinClassName = u"SCROLLBAR";
  m_info.nKind = KTK_SB_CTL;
}

BOOL CKtkSkinObjectScrollBar::IsSizeBox() const {
  return (static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)) & kSizeBoxStyles) != 0;
}

void CKtkSkinObjectScrollBar::DrawScrollBar(HDC dc) {
  CKtkSkinManagerSchema* schema = GetSchema();
  if (!schema) return;
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  CKtkBufferDC buffer(dc, client);
  HDC target = buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc;
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  if (style & kSizeBoxStyles) {
    KtkFillControlBackground(this, target, client, WM_CTLCOLORSTATIC);
    if (style & kSizeGrip)
      if (CKtkSkinManagerClass* scrollClass = GetSkinClass())
        scrollClass->DrawThemeBackground(target, SBP_SIZEBOX, 1, client);
    return;
  }
  m_info.bVertical = (style & SBS_VERT) ? TRUE : FALSE;
  m_info.nKind = KTK_SB_CTL;
  m_info.bShown = TRUE;
  const bool dragging = m_pScrollTracking && m_pScrollTracking->bDragging;
  if (!dragging) KtkScrollBarLayout(this, &m_info);
  schema->DrawScrollBar(target, this, &m_info);
}

void CKtkSkinObjectScrollBar::DrawNow() {
  if (!::IsWindowVisible(m_hWnd)) return;
  HDC dc = ::GetDC(m_hWnd);
  if (!dc) return;
  DrawScrollBar(dc);
  ::ReleaseDC(m_hWnd, dc);
}

void CKtkSkinObjectScrollBar::TrackHot(POINT client) {
  if (IsSizeBox()) return;
  const int hot = client.x == -1 && client.y == -1 ? 0 : KtkScrollBarHitTest(&m_info, client);
  if (hot == m_info.nHitCode) return;
  m_info.nHitCode = hot;
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  if (hot) KtkTrackMouseLeave(m_hWnd);
}

LRESULT CKtkSkinObjectScrollBar::OnCreateScrollBar(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = OnCreateMessage(wParam, lParam);
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
  return result;
}

LRESULT CKtkSkinObjectScrollBar::OnPaintScrollBar(WPARAM wParam, LPARAM lParam) {
  if (!IsSkinActive()) return Default();
  return KtkHandlePaint(this, WM_PAINT, wParam, lParam, [this](HDC dc, const RECT&) { DrawScrollBar(dc); });
}

LRESULT CKtkSkinObjectScrollBar::OnPrintClientScrollBar(WPARAM wParam, LPARAM lParam) {
  if (!IsSkinActive()) return Default();
  // Drawn whatever the flags ask.
  return KtkHandlePaint(
      this, WM_PRINTCLIENT, wParam, lParam, [this](HDC dc, const RECT&) { DrawScrollBar(dc); }, TRUE);
}

LRESULT CKtkSkinObjectScrollBar::OnEnableScrollBar(WPARAM, LPARAM) {
  const LRESULT result = Default();
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  return result;
}

LRESULT CKtkSkinObjectScrollBar::OnMouseMoveScrollBar(WPARAM, LPARAM lParam) {
  if (IsSizeBox()) return Default();
  TrackHot(PointOf(lParam));
  return 0;
}

LRESULT CKtkSkinObjectScrollBar::OnMouseLeaveScrollBar(WPARAM, LPARAM) {
  TrackHot(POINT{-1, -1});
  return 0;
}

LRESULT CKtkSkinObjectScrollBar::OnLButtonDownScrollBar(WPARAM, LPARAM lParam) {
  if (IsSizeBox()) return Default();
  if (m_info.bShown && !m_pScrollTracking) {
    KtkScrollBarLayout(this, &m_info);
    KtkScrollBarStartTracking(this, PointOf(lParam), &m_info, ::GetKeyState(VK_SHIFT) < 0);
  }
  return 0;
}

LRESULT CKtkSkinObjectScrollBar::OnSetScrollInfo(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefWindowProc(SBM_SETSCROLLINFO, FALSE, lParam);
  if (wParam) DrawNow();
  return result;
}

LRESULT CKtkSkinObjectScrollBar::OnSetPos(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = DefWindowProc(SBM_SETPOS, wParam, FALSE);
  if (lParam) DrawNow();
  return result;
}

LRESULT CKtkSkinObjectScrollBar::OnGetScrollInfo(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = Default();
  auto* info = reinterpret_cast<SCROLLINFO*>(lParam);
  if (info && (info->fMask & SIF_TRACKPOS) && m_pScrollTracking && m_pScrollTracking->pPosInfo == &m_info)
    info->nTrackPos = m_pScrollTracking->nTrackPos;
  return result;
}

LRESULT CKtkSkinObjectScrollBar::OnSetFocusScrollBar(WPARAM, LPARAM) { return 0; }

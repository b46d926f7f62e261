#include "ornatex/controls/user32_control_object.h"

#include <win/user.h>

#include "ornatex/controls/scroll_bar.h"
#include "ornatex/core/platform_version.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectUser32Control, CKtkSkinObjectFrame)

namespace {

constexpr DWORD kComCtlSix = 0x00060000;

}  // namespace

BEGIN_MESSAGE_MAP(CKtkSkinObjectUser32Control, CKtkSkinObjectFrame)
ON_MESSAGE(WM_VSCROLL, OnScrollingMessage)
ON_MESSAGE(WM_HSCROLL, OnScrollingMessage)
ON_MESSAGE(WM_KEYDOWN, OnScrollingMessage)
ON_MESSAGE(WM_CHAR, OnScrollingMessage)
ON_MESSAGE(WM_WINDOWPOSCHANGED, OnWindowPosChangedControl)
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndControl)
END_MESSAGE_MAP()

BOOL CKtkSkinObjectUser32Control::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  BOOL handled = CKtkSkinObjectFrame::OnWndMsg(message, wParam, lParam, result);
  if (message != WM_MOUSEWHEEL) return handled;
  // The control scrolls on the wheel only when it gets the message: it goes there first, so
  // that the bars show where the control ended up rather than where it was.
  if (!handled) {
    const LRESULT answer = Default();
    if (result) *result = answer;
    handled = TRUE;
  }
  RefreshScrollBars();
  return handled;
}

void CKtkSkinObjectUser32Control::RefreshScrollBars() {
  if (KtkGetComCtlVersion() >= kComCtlSix || !m_hWnd) return;
  for (int kind : {KTK_SB_HORZ, KTK_SB_VERT}) {
    ScrollBarPosInfo& bar = m_scrollBars[kind];
    if (!bar.bShown) continue;
    SCROLLINFO now{};
    now.cbSize = sizeof(SCROLLINFO);
    now.fMask = SIF_RANGE | SIF_POS;
    if (!::GetScrollInfo(m_hWnd, kind, &now)) continue;
    SCROLLINFO& seen = m_lastScrollInfo[kind];
    if (now.nPos == seen.nPos && now.nMax == seen.nMax && now.nMin == seen.nMin) continue;
    seen.nPos = now.nPos;
    seen.nMax = now.nMax;
    seen.nMin = now.nMin;
    KtkScrollBarRedraw(this, &bar);
  }
}

LRESULT CKtkSkinObjectUser32Control::OnScrollingMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  RefreshScrollBars();
  return result;
}

LRESULT CKtkSkinObjectUser32Control::OnWindowPosChangedControl(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = OnWindowPosChangedMessage(wParam, lParam);
  RefreshScrollBars();
  return result;
}

LRESULT CKtkSkinObjectUser32Control::OnEraseBkgndControl(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = OnEraseBkgndMessage(wParam, lParam);
  RefreshScrollBars();
  return result;
}

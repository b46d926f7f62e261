// The caption buttons of a skinned frame: which exist for the window's styles, which is
// under the mouse (hot tracking on a 50 ms timer), and the press loop that sends the
// button's system command when the mouse is released over it.
#include <win/menu.h>
#include <win/user.h>

#include "ornatex/core/caption_button.h"
#include "ornatex/core/frame_object.h"
#include "ornatex/controls/scroll_bar.h"
#include "ornatex/core/skin_manager.h"

namespace {

constexpr UINT kScMaximize = 0xF030;

}  // namespace

void CKtkSkinObjectFrame::RebuildCaptionButtons() {
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE));
  if (style == m_lastStyle && exStyle == m_lastExStyle) return;
  m_lastStyle = style;
  m_lastExStyle = exStyle;
  m_pHotButton = m_pPressedButton = nullptr;
  m_captionButtons.clear();
  if ((style & WS_CAPTION) != WS_CAPTION) return;
  const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
  const bool sysMenu = (style & WS_SYSMENU) != 0;
  const bool mdiChild = (exStyle & WS_EX_MDICHILD) != 0;
  const bool maximized = (style & WS_MAXIMIZE) != 0, minimized = (style & WS_MINIMIZE) != 0;
  const bool minMax = sysMenu && !tool && (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  auto add = [&](UINT command, int hit, int part, bool enabled) {
    m_captionButtons.push_back(std::make_unique<CCaptionButton>(this, command, hit, part, enabled ? TRUE : FALSE));
  };
  // Captioned windows always carry the dialog-frame bit: without a system menu, no close.
  if (sysMenu || !((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))) {
    bool enabled = true;
    if (sysMenu && !tool && !mdiChild) {
      if (HMENU menu = ::GetSystemMenu(m_hWnd, FALSE)) {
        const UINT state = ::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND);
        enabled = state == 0xFFFFFFFF || !(state & (MF_GRAYED | MF_DISABLED));
      }
    }
    add(SC_CLOSE, HTCLOSE, tool ? 19 : 18, enabled);
  }
  if (minMax && !maximized) add(kScMaximize, HTMAXBUTTON, 17, (style & WS_MAXIMIZEBOX) != 0);
  if (!minimized && minMax && maximized) add(SC_RESTORE, HTMAXBUTTON, 21, (style & WS_MAXIMIZEBOX) != 0);
  if (minMax) {
    if (minimized)
      add(SC_RESTORE, HTMINBUTTON, 21, (style & WS_MINIMIZEBOX) != 0);
    else
      add(SC_MINIMIZE, HTMINBUTTON, 15, (style & WS_MINIMIZEBOX) != 0);
  }
  if ((exStyle & WS_EX_CONTEXTHELP) && sysMenu && !tool) add(SC_CONTEXTHELP, HTHELP, 23, true);
}

CCaptionButton* CKtkSkinObjectFrame::ButtonAt(POINT windowPoint, BOOL enabledOnly) const {
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  const BOOL maximizedTopLevel = (style & WS_MAXIMIZE) && !(style & WS_CHILD);
  for (size_t i = 0; i < m_captionButtons.size(); ++i) {
    CCaptionButton* button = m_captionButtons[i].get();
    if (enabledOnly && !button->m_bEnabled) continue;
    if (button->HitTest(windowPoint, maximizedTopLevel, i == 0)) return button;
  }
  return nullptr;
}

BOOL CKtkSkinObjectFrame::HandleNcMouseMove(int x, int y) {
  const POINT p = x == -1 && y == -1 ? POINT{-100000, -100000} : ToWindow(x, y);
  CCaptionButton* hit = ButtonAt(p, FALSE);
  if (hit != m_pHotButton) {
    if (m_pHotButton && !hit) ::KillTimer(m_hWnd, KTK_FRAME_HOT_TIMER);
    m_pHotButton = hit;
    RedrawFrame();
    if (hit) {
      ::SetTimer(m_hWnd, KTK_FRAME_HOT_TIMER, 50, &KtkFrameTimer);
      return TRUE;
    }
  }
  if (m_pScrollTracking) return TRUE;
  BOOL handled = FALSE;
  for (ScrollBarPosInfo& bar : m_scrollBars) {
    if (!bar.bShown) continue;
    const int part = KtkScrollBarHitTest(&bar, p);
    if (part != bar.nHitCode) {
      bar.nHitCode = part;
      KtkScrollBarRedraw(this, &bar);
    }
    if (part) {
      ::SetTimer(m_hWnd, KTK_FRAME_HOT_TIMER, 50, &KtkFrameTimer);
      handled = TRUE;
    }
  }
  return handled;
}

BOOL CKtkSkinObjectFrame::RunPressLoop() {
  ::SetCapture(m_hWnd);
  m_pPressedButton = m_pHotButton;
  RedrawFrame();
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  const BOOL maximizedTopLevel = (style & WS_MAXIMIZE) && !(style & WS_CHILD);
  const bool first = !m_captionButtons.empty() && m_captionButtons[0].get() == m_pHotButton;
  BOOL clicked = FALSE;
  MSG msg{};
  while (::GetCapture() == m_hWnd) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got < 0) break;
    if (msg.message == WM_LBUTTONUP) {
      clicked = m_pPressedButton != nullptr && m_pPressedButton == m_pHotButton;
      break;
    }
    if (msg.message == WM_NCMOUSELEAVE) continue;
    if (msg.message == WM_MOUSEMOVE && msg.hwnd == m_hWnd) {
      POINT p{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
      ::ClientToScreen(m_hWnd, &p);
      const POINT w = ToWindow(p.x, p.y);
      CCaptionButton* now = m_pHotButton && m_pHotButton->HitTest(w, maximizedTopLevel, first) ? m_pHotButton : nullptr;
      if (now != m_pPressedButton) {
        m_pPressedButton = now;
        RedrawFrame();
      }
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return clicked;
}

void CALLBACK KtkFrameTimer(HWND window, UINT message, UINT_PTR id, DWORD) {
  if (message != WM_TIMER) return;
  CKtkSkinManager* manager = KtkSkinManagerIfMade();
  CKtkSkinObject* object = manager ? manager->LookupAndAddRef(window) : nullptr;
  auto* frame = object ? dynamic_cast<CKtkSkinObjectFrame*>(object) : nullptr;
  if (!frame) {
    ::KillTimer(window, id);
    if (object) object->InternalRelease();
    return;
  }
  if (id == KTK_FRAME_REFRESH_TIMER) {
    frame->RefreshFrame();
    ::KillTimer(window, id);
  } else if (id == KTK_FRAME_HOT_TIMER && !::GetCapture()) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    RECT box{};
    ::GetWindowRect(window, &box);
    const LRESULT code =
        ::PtInRect(&box, cursor) ? ::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(cursor.x, cursor.y)) : HTNOWHERE;
    if (code == HTNOWHERE || code == HTCLIENT || code == HTBOTTOMLEFT || code == HTBOTTOMRIGHT ||
        !::PtInRect(&box, cursor)) {
      frame->HandleNcMouseMove(-1, -1);
      ::KillTimer(window, KTK_FRAME_HOT_TIMER);
    }
  }
  object->InternalRelease();
}

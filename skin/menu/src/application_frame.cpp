// The application frame's messages: the room its menu bar takes, the hit test, hot
// tracking on the bar, the menu commands and the caption's context menu.
#include "ornatex/menu/application_frame.h"

#include <algorithm>

#include <win/menu.h>
#include <win/user.h>

#include "ornatex/core/skin_manager.h"
#include "ornatex/menu/menu_loop.h"
#include "ornatex/menu/popup_menu.h"
#include "ornatex/schema/schema.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectApplicationFrame, CKtkSkinObjectFrame)

BEGIN_MESSAGE_MAP(CKtkSkinObjectApplicationFrame, CKtkSkinObjectFrame)
ON_MESSAGE(WM_NCCALCSIZE, OnMenuNcCalcSize)
ON_MESSAGE(WM_CONTEXTMENU, OnContextMenuMessage)
END_MESSAGE_MAP()

CKtkSkinObjectApplicationFrame::CKtkSkinObjectApplicationFrame() : m_pMenuBar(new CKtkSkinPopupMenu) {
  m_pMenuBar->m_bMenuBar = TRUE;
}

CKtkSkinObjectApplicationFrame::~CKtkSkinObjectApplicationFrame() { m_pMenuBar->InternalRelease(); }

BOOL CKtkSkinObjectApplicationFrame::IsMenuSkinning() const {
  return IsFrameSkinning() && (m_pManager->m_applyOptions & KTK_APPLY_MENUS);
}

BOOL CKtkSkinObjectApplicationFrame::HasMenuBar() const {
  if (::GetWindowLongW(m_hWnd, GWL_STYLE) & WS_CHILD) return FALSE;
  HMENU menu = ::GetMenu(m_hWnd);
  return menu && ::GetMenuItemCount(menu) > 0;
}

void CKtkSkinObjectApplicationFrame::ForgetMenuBar() {
  m_pMenuBar->m_items.clear();
  m_pMenuBar->m_hMenu = nullptr;
  m_pMenuBar->m_nSelected = -1;
  m_rcMenuBar = RECT{};
}

POINT CKtkSkinObjectApplicationFrame::ToMenuPoint(int x, int y) const {
  RECT box{};
  ::GetWindowRect(m_hWnd, &box);
  if (::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) return POINT{box.right - x, y - box.top};
  return POINT{x - box.left, y - box.top};
}

LRESULT CKtkSkinObjectApplicationFrame::OnMenuNcCalcSize(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = OnNcCalcSizeMessage(wParam, lParam);
  RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
  // Without a skinned frame the system's calculation made the room of its own bar.
  if (!r || !IsMenuSkinning() || HasFlatScrollBars() || !HasMenuBar()) {
    ForgetMenuBar();
    return result;
  }
  m_rcMenuBar = RECT{m_rcBorders.left, m_rcBorders.top, m_rcBorders.left + (r->right - r->left), m_rcBorders.top};
  LayoutMenuBar();
  // A short window gives its client no less than nothing: the top stops at the bottom.
  r->top = std::min(r->top + (m_rcMenuBar.bottom - m_rcMenuBar.top), r->bottom);
  return result;
}

void CKtkSkinObjectApplicationFrame::UpdateMenuBar() {
  if (!IsMenuSkinning()) return;
  if (HasMenuBar())
    LayoutMenuBar();
  else
    ForgetMenuBar();
}

void CKtkSkinObjectApplicationFrame::DrawFrame(HDC dc) {
  if (m_nPaintSuppression > 0) return;
  if (IsMenuSkinning() && !::IsRectEmpty(&m_rcMenuBar)) DrawMenuBar(dc);
  CKtkSkinObjectFrame::DrawFrame(dc);
}

int CKtkSkinObjectApplicationFrame::HitTest(int x, int y) {
  if (IsMenuSkinning() && !::IsRectEmpty(&m_rcMenuBar)) {
    const POINT p = ToMenuPoint(x, y);
    RECT box{};
    ::GetWindowRect(m_hWnd, &box);
    const RECT inside{m_rcBorders.left, m_rcBorders.top, box.right - box.left - m_rcBorders.right,
                      box.bottom - box.top - m_rcBorders.bottom};
    RECT bar{};
    if (::IntersectRect(&bar, &inside, &m_rcMenuBar)) {
      bar.top += 1;
      if (::PtInRect(&bar, p)) return HTMENU;
    }
  }
  return CKtkSkinObjectFrame::HitTest(x, y);
}

BOOL CKtkSkinObjectApplicationFrame::HandleNcMouseMove(int x, int y) {
  if (CKtkSkinObjectFrame::HandleNcMouseMove(x, y)) return TRUE;
  if (!IsMenuSkinning() || ::IsRectEmpty(&m_rcMenuBar)) return FALSE;
  int item = -1;
  if (x != -1 || y != -1) {
    item = MenuBarItemFromPoint(ToMenuPoint(x, y));
    if (HitTest(x, y) != HTMENU) item = -1;
  }
  if (item == m_pMenuBar->m_nSelected) return item >= 0;
  m_pMenuBar->m_nSelected = item;
  RedrawMenuBar();
  if (item >= 0)
    ::SetTimer(m_hWnd, KTK_FRAME_HOT_TIMER, 50, &KtkFrameTimer);
  else
    ::KillTimer(m_hWnd, KTK_FRAME_HOT_TIMER);
  return TRUE;
}

BOOL CKtkSkinObjectApplicationFrame::HandleSysCommand(UINT command, LPARAM lParam) {
  if (!IsMenuSkinning()) return CKtkSkinObjectFrame::HandleSysCommand(command, lParam);
  switch (command & 0xFFF0) {
    case SC_DEFAULT:
      return TRUE;
    case SC_MOUSEMENU:
      if (CKtkSkinMenuLoop* loop = CreateMenuLoop()) {
        loop->RunLoop(lParam);
        loop->Free();
      }
      return TRUE;
    case SC_KEYMENU: {
      CKtkSkinMenuLoop* loop = CreateMenuLoop();
      if (!loop) return CKtkSkinObjectFrame::HandleSysCommand(command, lParam);
      loop->KeyMenu(static_cast<WCHAR>(lParam));
      loop->Free();
      return TRUE;
    }
    default:
      return FALSE;
  }
}

LRESULT CKtkSkinObjectApplicationFrame::OnContextMenuMessage(WPARAM wParam, LPARAM lParam) {
  const auto window = reinterpret_cast<HWND>(wParam);
  if (!IsMenuSkinning() || (window && window != m_hWnd)) return Default();
  const LRESULT hit = ::SendMessageW(m_hWnd, WM_NCHITTEST, 0, lParam);
  switch (hit) {
    case HTCAPTION:
    case HTSYSMENU:
    case HTMINBUTTON:
    case HTMAXBUTTON:
    case HTCLOSE: {
      HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
      if (!menu) return Default();
      UINT item = SC_MAXIMIZE;
      if (hit == HTSYSMENU)
        item = SC_CLOSE;
      else if (::IsIconic(m_hWnd) || ::IsZoomed(m_hWnd))
        item = SC_RESTORE;
      ::SetMenuDefaultItem(menu, item, FALSE);
      const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
      return static_cast<LRESULT>(TrackSystemMenu(menu, TPM_SYSTEMMENU | TPM_RIGHTBUTTON, x, y, m_hWnd, nullptr));
    }
    case HTMENU:
      return HTMENU;
    default:
      return Default();
  }
}

CKtkSkinMenuLoop* CKtkSkinObjectApplicationFrame::CreateMenuLoop() {
  if (!m_pMenuBar->m_hMenu) {
    HMENU system = ::GetSystemMenu(m_hWnd, FALSE);
    if (!system) return nullptr;
    ::SetMenuDefaultItem(system, SC_CLOSE, FALSE);
    m_pMenuBar->m_bSystemMenu = TRUE;
    m_pMenuBar->m_hMenu = system;
    m_pMenuBar->m_hWnd = m_pMenuBar->m_hOwner = m_hWnd;
    m_pMenuBar->UpdateSystemMenuItem();
  }
  CKtkSkinMenuLoop* loop = CKtkSkinMenuLoop::Create(m_hWnd);
  if (!loop) return nullptr;
  // The hot item is no selection: the run starts from none, as the system's does.
  m_pMenuBar->m_nSelected = -1;
  ::KillTimer(m_hWnd, KTK_FRAME_HOT_TIMER);
  loop->Attach(m_pMenuBar);
  return loop;
}

UINT_PTR CKtkSkinObjectApplicationFrame::TrackSystemMenu(HMENU menu, UINT flags, int x, int y, HWND owner,
                                                         const RECT* exclusion) {
  CKtkSkinMenuLoop* loop = CKtkSkinMenuLoop::Create(owner);
  if (!loop) return 0;
  const UINT_PTR result = loop->Track(menu, flags, x, y, owner, exclusion);
  loop->Free();
  return result;
}

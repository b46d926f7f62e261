// The skinned menu loop's run: making and freeing it, attaching and starting, the three
// ways in (a popup tracked at a point, the menu keys, a click on the bar), the modal
// message loop with its filter, and ending with the command.
#include "ornatex/menu/menu_loop.h"

#include <algorithm>
#include <new>

#include <kx2/Module.h>
#include <win/menu.h>
#include <win/module.h>
#include <win/user.h>
#include <win/user_ncmetrics.h>

#include "ornatex/core/menu_sound.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/core/skin_object.h"
#include "ornatex/menu/popup_menu.h"
#include "ornatex/schema/schema.h"

namespace {

bool IsPress(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_NCLBUTTONDOWN ||
         message == WM_NCRBUTTONDOWN;
}

POINT Cursor() {
  POINT pt{};
  ::GetCursorPos(&pt);
  return pt;
}

// USER32's GetMenuInfo, looked up by name (absent on the oldest systems).
BOOL MenuStyle(HMENU menu, DWORD* style) {
  using GetMenuInfoProc = BOOL (*)(HMENU, MENUINFO*);
  HMODULE user32 = ::GetModuleHandleW(u"USER32");
  auto proc = user32 ? kx2::ProcAs<GetMenuInfoProc>(::GetProcAddress(user32, "GetMenuInfo")) : nullptr;
  if (!proc) return FALSE;
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_STYLE;
  if (!proc(menu, &info)) return FALSE;
  *style = info.dwStyle;
  return TRUE;
}

}  // namespace

// ---- Making and freeing --------------------------------------------------------------------

CKtkSkinMenuLoop::CKtkSkinMenuLoop(HWND owner) : m_hOwner(owner) {
  UINT delay = 0;
  if (::SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &delay, 0)) m_nShowDelay = delay;
  CKtkSkinManager* manager = KtkSkinManagerIfMade();
  if (manager && manager->m_enabled) {
    CKtkSkinObject* object = owner ? manager->Lookup(owner) : nullptr;
    m_pSchema = object ? object->GetSchema() : nullptr;
    if (!m_pSchema) m_pSchema = manager->GetSchema();
  }
  if (m_pSchema) {
    m_pSchema->InternalAddRef();
  } else {
    m_ownMetrics = std::make_unique<CKtkSkinManagerMetrics>(nullptr);
    m_ownMetrics->RefreshMetrics();
  }
}

CKtkSkinMenuLoop::~CKtkSkinMenuLoop() {
  ReleaseRetired();
  if (m_hBoldFont) ::DeleteObject(m_hBoldFont);
  if (m_hOwnFont) ::DeleteObject(m_hOwnFont);
  if (m_pSchema) m_pSchema->InternalRelease();
}

CKtkSkinMenuLoop* CKtkSkinMenuLoop::Create(HWND owner) {
  try {
    return new CKtkSkinMenuLoop(owner);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void CKtkSkinMenuLoop::Free() {
  ReleaseRetired();
  if (m_pSystemObject) {
    CKtkSkinPopupMenu* system = m_pSystemObject;
    m_pSystemObject = nullptr;
    if (m_pRoot == system) m_pRoot = nullptr;
    if (m_pAlternateRoot == system) m_pAlternateRoot = nullptr;
    system->InternalRelease();
  } else if (m_pRoot && m_pRoot->m_bSystemMenu) {
    m_pRoot->m_bSystemMenu = FALSE;
    m_pRoot->m_hMenu = nullptr;
    m_pRoot->m_items.clear();
    if (m_pRoot->m_bMenuBar) m_pRoot->m_hWnd = nullptr;
  }
  if (m_pAttached) {
    m_pAttached->m_pLoop = nullptr;
    m_pAttached->InternalRelease();
  }
  delete this;
}

// ---- What painting reads ---------------------------------------------------------------------

CKtkSkinManagerMetrics* CKtkSkinMenuLoop::GetMetrics() const {
  return m_pSchema ? m_pSchema->m_metrics.get() : m_ownMetrics.get();
}

HFONT CKtkSkinMenuLoop::GetMenuFont(BOOL bold) {
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  HFONT font = metrics ? metrics->m_menuFont : nullptr;
  if (!font) {
    if (!m_hOwnFont) {
      NONCLIENTMETRICSW ncm{};
      ncm.cbSize = sizeof ncm;
      if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
        m_hOwnFont = ::CreateFontIndirectW(&ncm.lfMenuFont);
    }
    font = m_hOwnFont ? m_hOwnFont : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  }
  if (!bold) return font;
  if (!m_hBoldFont) {
    LOGFONTW lf{};
    if (::GetObjectW(font, sizeof lf, &lf) == static_cast<int>(sizeof lf)) {
      lf.lfWeight = 700;
      m_hBoldFont = ::CreateFontIndirectW(&lf);
    }
  }
  return m_hBoldFont ? m_hBoldFont : font;
}

// ---- Starting ----------------------------------------------------------------------------------

LRESULT CKtkSkinMenuLoop::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_hOwner || !::IsWindow(m_hOwner)) return 0;
  return ::SendMessageW(m_hOwner, message, wParam, lParam);
}

void CKtkSkinMenuLoop::Attach(CKtkSkinPopupMenu* root) {
  if (!root || m_pAttached) return;
  root->InternalAddRef();
  m_pAttached = m_pRoot = root;
  root->m_pLoop = this;
  m_bButtonDown = (::GetKeyState(VK_LBUTTON) & 0x8000) != 0;
  root->m_bDropDown = FALSE;
  if (!m_bNoNotify) Send(WM_ENTERMENULOOP, 0, 0);
}

BOOL CKtkSkinMenuLoop::Start(BOOL keyboard) {
  if (!m_pRoot) return FALSE;
  m_bKeyboardMode = keyboard;
  m_bStarted = TRUE;
  m_pRoot->m_bReClick = m_pRoot->m_bClosePending = FALSE;
  ::SetCapture(m_hOwner);
  m_hCaptureWindow = m_hOwner;
  Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hOwner), HTCAPTION);
  if (m_pRoot->m_bMenuBar && !m_pRoot->m_bSystemMenu && !m_pAlternateRoot) {
    if (HMENU system = ::GetSystemMenu(m_hOwner, FALSE)) {
      ::SetMenuDefaultItem(system, SC_CLOSE, FALSE);
      auto* object = new (std::nothrow) CKtkSkinPopupMenu;
      if (object) {
        object->m_bMenuBar = object->m_bSystemMenu = TRUE;
        object->m_hWnd = m_hOwner;  // borrowed
        object->m_hOwner = m_hOwner;
        object->m_pLoop = this;
        object->m_hMenu = system;
        object->UpdateSystemMenuItem();
        m_pAlternateRoot = m_pSystemObject = object;
      }
    }
  }
  DWORD style = 0;
  m_bNotifyByPosition = m_pRoot->m_hMenu && MenuStyle(m_pRoot->m_hMenu, &style) && (style & MNS_NOTIFYBYPOS);
  if (!m_bNoNotify) Send(WM_INITMENU, reinterpret_cast<WPARAM>(m_pRoot->m_hMenu), 0);
  return TRUE;
}

void CKtkSkinMenuLoop::ShowPopup(CKtkSkinPopupMenu* popup, POINT at, SIZE size) {
  if (popup->m_hWnd)
    ::SetWindowPos(popup->m_hWnd, HWND_TOPMOST, at.x, at.y, size.cx, size.cy,
                   SWP_NOOWNERZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

UINT_PTR CKtkSkinMenuLoop::Track(HMENU menu, UINT flags, int x, int y, HWND owner, const RECT* exclusion) {
  if (!owner || !::IsWindow(owner) || !menu || !::IsMenu(menu) || ::GetMenuItemCount(menu) <= 0 || m_pAttached)
    return 0;
  m_hOwner = owner;
  const bool wasDown = (::GetKeyState((flags & TPM_RIGHTBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000) != 0;
  auto* popup = new (std::nothrow) CKtkSkinPopupMenu;
  if (!popup) return 0;
  popup->m_pLoop = this;
  popup->m_hOwner = owner;
  if (!popup->CreatePopupWindow(owner)) {
    popup->InternalRelease();
    return 0;
  }
  popup->m_hMenu = menu;
  popup->m_bSystemMenu = (flags & TPM_SYSTEMMENU) != 0;
  m_bReturnCommand = (flags & TPM_RETURNCMD) != 0;
  m_bRightButton = (flags & TPM_RIGHTBUTTON) != 0;
  m_bNoNotify = (flags & TPM_NONOTIFY) != 0;
  Attach(popup);
  Start(FALSE);
  m_bIgnoreFirstButtonUp = wasDown;
  if (!m_bNoNotify) Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), popup->m_bSystemMenu ? 0x10000 : 0);
  popup->m_bPopupNotified = TRUE;

  const SIZE size = popup->Layout();
  UINT align = flags;
  if ((::GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) && !(align & TPM_CENTERALIGN)) align ^= TPM_RIGHTALIGN;
  POINT at{x, y};
  if (align & TPM_RIGHTALIGN) {
    at.x -= size.cx;
    popup->m_bDroppedLeft = TRUE;
  } else if (align & TPM_CENTERALIGN) {
    at.x -= size.cx / 2;
  }
  if (align & TPM_BOTTOMALIGN)
    at.y -= size.cy;
  else if (align & TPM_VCENTERALIGN)
    at.y -= size.cy / 2;
  at = popup->PlaceTrackedPopup(at, size.cx, size.cy, align, exclusion);
  KtkMenuSoundPlayer().Play(KTK_MENUSOUND_POPUP);
  if (!m_bEnding) ShowPopup(popup, at, size);

  m_bButtonDown = wasDown;
  RunLoop(0);
  CloseSubmenus(popup);
  if (popup->m_bPopupNotified && !m_bNoNotify)
    Send(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(menu), popup->m_bSystemMenu ? MF_SYSMENU << 16 : 0);
  popup->m_bPopupNotified = FALSE;
  if (popup->m_hWnd && ::IsWindow(popup->m_hWnd)) ::DestroyWindow(popup->m_hWnd);
  popup->InternalRelease();  // Attach's reference keeps it until Free
  ReleaseRetired();
  return m_bReturnCommand ? m_resultCommand : 1;
}

void CKtkSkinMenuLoop::KeyMenu(WCHAR ch) {
  if (!m_pRoot) return;
  if (m_bButtonDown) {
    // No run while a button is held; the owner told the menu loop began hears it end.
    EndMenu();
    return;
  }
  Start(TRUE);
  const bool child = (::GetWindowLongW(m_hOwner, GWL_STYLE) & WS_CHILD) != 0;
  if (ch == 0) {
    Select(m_pRoot, NextItem(m_pRoot, -1, TRUE, FALSE));
  } else if (ch == u' ' || (ch == u'-' && child)) {
    if (!m_pAlternateRoot && !m_pRoot->m_bSystemMenu) {
      EndMenu();
    } else {
      CloseSubmenus(m_pRoot);
      if (!m_pRoot->m_bSystemMenu) SwapRoots();
      Select(m_pRoot, 0);
      OpenSubmenu(m_pRoot);
      m_pRoot->m_bReClick = FALSE;
    }
  } else {
    // The frame's own bar standing in for the system menu has no mnemonics of its own.
    if (!(m_pRoot->m_bSystemMenu && m_pRoot->m_bMenuBar)) OnChar(m_pRoot, ch);
    if (m_pRoot && m_pRoot->m_nSelected < 0) EndMenu();
  }
  RunLoop(ch);
}

// ---- The modal loop ------------------------------------------------------------------------------

void CKtkSkinMenuLoop::RunLoop(LPARAM) {
  // A run already ended (a letter no item answers) has nothing to wait for: ending it
  // again would tell the owner twice.
  if (m_bEnding) return;
  m_bInLoop = TRUE;
  bool idleAllowed = true, quit = false;
  WPARAM quitCode = 0;
  if (!m_bStarted) {
    if (!Start(FALSE)) {
      EndMenu();
      return;
    }
    if (m_pRoot && m_pRoot->m_bMenuBar) {
      // The click that began the run was taken from the queue already: it counts as arrived.
      const MSG press{m_hOwner, WM_LBUTTONDOWN, 0, 0, 0, Cursor()};
      FilterMessage(press);
    }
  }
  while (m_bInLoop && m_pRoot && ::GetCapture() == m_hCaptureWindow && ::IsWindow(m_hOwner)) {
    ReleaseRetired();
    MSG msg{};
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (idleAllowed && !m_bNoNotify) {
        CKtkSkinPopupMenu* deepest = Deepest();
        Send(WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(deepest ? deepest->m_hWnd : m_hOwner));
      }
      idleAllowed = false;
      ::WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) {
      // The run ends; the quit is posted again for the loop outside it.
      ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
      quit = true;
      quitCode = msg.wParam;
      break;
    }
    const bool queued = IsPress(msg.message);
    if (!queued) ::PeekMessageW(&msg, nullptr, msg.message, msg.message, PM_REMOVE);
    if (msg.message != WM_TIMER && msg.message != WM_PAINT) idleAllowed = true;
    const BOOL consumed = FilterMessage(msg);
    // A press left in the queue is never dispatched here: the window under the pointer
    // gets it once, after the run.
    if (!consumed && !queued) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (queued && m_bInLoop) RemovePress(msg);
  }
  m_bInLoop = FALSE;
  const HWND held = m_hCaptureWindow;
  m_hCaptureWindow = nullptr;
  EndMenu();
  if (held && ::GetCapture() == held) ::ReleaseCapture();
  ReleaseRetired();
  if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
}

void CKtkSkinMenuLoop::RemovePress(const MSG& msg) {
  MSG head{};
  if (::PeekMessageW(&head, nullptr, 0, 0, PM_NOREMOVE) && head.message == msg.message && head.time == msg.time &&
      head.pt.x == msg.pt.x && head.pt.y == msg.pt.y)
    ::PeekMessageW(&head, nullptr, msg.message, msg.message, PM_REMOVE);
}

BOOL CKtkSkinMenuLoop::FilterMessage(const MSG& msg) {
  const POINT cursor = Cursor();
  int index = -1;
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
      MouseMove(cursor);
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN: {
      m_bKeyboardMode = FALSE;
      CKtkSkinPopupMenu* hit = HitTest(cursor, &index);
      if (!hit) {
        EndMenu();  // the press stays queued for the window under the pointer
        return TRUE;
      }
      if (hit == m_pAlternateRoot) {
        SwapRoots();
        hit = m_pRoot;
      }
      Click(hit, index, TRUE);
      RemovePress(msg);
      return TRUE;
    }
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN: {
      if (!m_bRightButton) m_bKeyboardMode = FALSE;
      CKtkSkinPopupMenu* hit = HitTest(cursor, &index);
      if (!hit) {
        EndMenu();
        return TRUE;
      }
      if (m_bRightButton) DoubleClick(hit, index);
      RemovePress(msg);
      return TRUE;
    }
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK: {
      CKtkSkinPopupMenu* hit = HitTest(cursor, &index);
      if (!hit)
        EndMenu();
      else
        DoubleClick(hit, index);
      return TRUE;
    }
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP:
      if (!m_bRightButton) {
        MSG head{};
        if (m_bButtonDown && ::PeekMessageW(&head, nullptr, 0, 0, PM_NOREMOVE) &&
            (head.message == WM_RBUTTONUP || head.message == WM_NCRBUTTONUP))
          ::PeekMessageW(&head, nullptr, head.message, head.message, PM_REMOVE);
        return TRUE;
      }
      [[fallthrough]];
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP: {
      if (!m_bButtonDown) return TRUE;
      CKtkSkinPopupMenu* hit = HitTest(cursor, &index);
      if (!hit) {
        if (m_pRoot && !m_pRoot->m_bMenuBar && m_bIgnoreFirstButtonUp)
          m_bIgnoreFirstButtonUp = FALSE;
        else
          EndMenu();
      } else {
        m_bIgnoreFirstButtonUp = FALSE;
        ButtonUp(hit, index);
      }
      m_bButtonDown = FALSE;
      return TRUE;
    }
    case WM_SYSKEYUP:
      return TRUE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      if (m_bButtonDown) return TRUE;
      m_bKeyboardMode = TRUE;
      switch (msg.wParam) {
        case VK_CANCEL:
        case VK_RETURN:
        case VK_MENU:
        case VK_ESCAPE:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_F1:
        case VK_F10:
          OnKey(Deepest(), static_cast<UINT>(msg.wParam));
          return TRUE;
        case VK_TAB:
          if (m_pRoot && m_pRoot->m_bMenuBar && !m_pRoot->m_pChild) {
            EndMenu();
            return TRUE;
          }
          break;
        default:
          break;
      }
      ::TranslateMessage(&msg);
      return TRUE;
    }
    case WM_KEYUP:
      ::TranslateMessage(&msg);
      return TRUE;
    case WM_CHAR:
    case WM_SYSCHAR:
      OnChar(Deepest(), static_cast<WCHAR>(msg.wParam));
      return TRUE;
    case WM_TIMER: {
      CKtkSkinPopupMenu* menu = MenuOfWindow(msg.hwnd);
      if (!menu) return FALSE;
      const bool ours = msg.wParam == KTK_MENU_OPEN_TIMER || msg.wParam == KTK_MENU_CLOSE_TIMER;
      // The owner's own timers go on while its menu bar runs.
      if (!ours) return menu->m_bMenuBar ? FALSE : TRUE;
      if (msg.wParam == KTK_MENU_OPEN_TIMER && menu->m_nOpenTimer == KTK_MENU_OPEN_TIMER) {
        menu->m_bReClick = FALSE;
        OpenSubmenu(menu);
      } else if (msg.wParam == KTK_MENU_CLOSE_TIMER && menu->m_nCloseTimer == KTK_MENU_CLOSE_TIMER) {
        menu->m_bReClick = FALSE;
        CloseSubmenus(menu);
      } else {
        ::KillTimer(msg.hwnd, msg.wParam);  // left over from a popup that has gone
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// ---- Ending ------------------------------------------------------------------------------------

void CKtkSkinMenuLoop::EndMenu(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_bEnding) return;
  m_bEnding = TRUE;
  m_bInLoop = FALSE;
  m_bButtonDown = FALSE;
  if (m_pRoot) {
    CloseSubmenus(m_pRoot);
    m_pRoot->m_nSelected = -1;
    m_pRoot->Invalidate();
  }
  if (m_hCaptureWindow && ::GetCapture() == m_hCaptureWindow) ::ReleaseCapture();
  if (m_hOwner && ::IsWindow(m_hOwner)) {
    if (m_pRoot && !m_pRoot->m_bMenuBar) {
      CloseSubmenus(m_pRoot);
      if (m_pRoot->m_hWnd && ::IsWindow(m_pRoot->m_hWnd)) ::DestroyWindow(m_pRoot->m_hWnd);
    }
    if (!m_bNoNotify) {
      Send(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
      Send(WM_EXITMENULOOP, 0, 0);
    }
    m_resultCommand = wParam;
  }
  if (!message) return;
  KtkMenuSoundPlayer().Play(KTK_MENUSOUND_COMMAND);
  if (m_bReturnCommand || !m_hOwner || !::IsWindow(m_hOwner)) return;
  if (message == WM_COMMAND) {
    ::PostMessageW(m_hOwner, message, wParam, lParam);
    return;
  }
  Send(message, wParam, lParam);
  if (message == WM_SYSCOMMAND && ::IsWindow(m_hOwner)) Send(WM_NCPAINT, 1, 0);
}

void CKtkSkinMenuLoop::Execute(HMENU menu, int position) {
  if (!menu || position < 0 || position >= ::GetMenuItemCount(menu)) return;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID;
  const UINT id = ::GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) ? info.wID : 0;
  if (m_pRoot && m_pRoot->m_bSystemMenu)
    EndMenu(WM_SYSCOMMAND, id, 0);
  else if (m_bNotifyByPosition)
    EndMenu(WM_MENUCOMMAND, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(menu));
  else
    EndMenu(WM_COMMAND, LOWORD(id), 0);
}

void CKtkSkinMenuLoop::Retire(CKtkSkinPopupMenu* popup) {
  if (!popup) return;
  popup->m_pParent = nullptr;
  if (popup->m_hWnd && !popup->m_bMenuBar && ::IsWindow(popup->m_hWnd)) ::DestroyWindow(popup->m_hWnd);
  m_retired.push_back(popup);
}

void CKtkSkinMenuLoop::ReleaseRetired() {
  std::vector<CKtkSkinPopupMenu*> retired;
  retired.swap(m_retired);
  for (CKtkSkinPopupMenu* popup : retired) popup->InternalRelease();
}

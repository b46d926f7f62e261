// The skinned menu loop's selection: hit tests, moving the selection with the mouse and
// the keys, mnemonics, opening and closing submenus (at once or on the menu delay), and
// choosing an item.
#include <algorithm>
#include <cwctype>
#include <new>
#include <vector>

#include <win/menu.h>
#include <win/user.h>

#include "ornatex/core/menu_sound.h"
#include "ornatex/menu/menu_loop.h"
#include "ornatex/menu/popup_menu.h"
#include "ornatex/schema/schema.h"

namespace {

char16_t Lower(char16_t c) { return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c))); }

// The character after the text's "&" (a doubled "&&" is a plain ampersand), 0 without.
char16_t Mnemonic(const std::u16string& text, bool* hasAmpersand) {
  *hasAmpersand = false;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    *hasAmpersand = true;
    return Lower(text[i + 1]);
  }
  return 0;
}

int ItemAt(CKtkSkinPopupMenu* menu, POINT point) {
  const int count = menu->GetItemCount();
  for (int i = 0; i < count; ++i) {
    const RECT r = menu->GetItem(i)->GetScreenRect();
    if (::PtInRect(&r, point)) return i;
  }
  return -1;
}

}  // namespace

// ---- Hit testing -------------------------------------------------------------------------------

CKtkSkinPopupMenu* CKtkSkinMenuLoop::Deepest() const {
  CKtkSkinPopupMenu* menu = m_pRoot;
  while (menu && menu->m_pChild) menu = menu->m_pChild;
  return menu;
}

CKtkSkinPopupMenu* CKtkSkinMenuLoop::OtherRoot(CKtkSkinPopupMenu* menu) const {
  if (menu == m_pRoot) return m_pAlternateRoot;
  if (menu == m_pAlternateRoot) return m_pRoot;
  return nullptr;
}

CKtkSkinPopupMenu* CKtkSkinMenuLoop::MenuOfWindow(HWND window) const {
  if (!window) return nullptr;
  for (CKtkSkinPopupMenu* top : {m_pRoot, m_pAlternateRoot})
    for (CKtkSkinPopupMenu* menu = top; menu; menu = menu->m_pChild)
      if (menu->m_hWnd == window) return menu;
  return nullptr;
}

CKtkSkinPopupMenu* CKtkSkinMenuLoop::HitTest(POINT point, int* index) {
  *index = -1;
  return m_pRoot ? HitMenu(point, m_pRoot, index) : nullptr;
}

CKtkSkinPopupMenu* CKtkSkinMenuLoop::HitMenu(POINT point, CKtkSkinPopupMenu* menu, int* index) {
  if (menu->m_pChild)
    if (CKtkSkinPopupMenu* inner = HitMenu(point, menu->m_pChild, index)) return inner;
  if (!menu->m_bMenuBar) {
    RECT window{};
    if (!menu->m_hWnd || !::GetWindowRect(menu->m_hWnd, &window) || !::PtInRect(&window, point)) return nullptr;
    *index = ItemAt(menu, point);
    return menu;
  }
  if (CKtkSkinPopupMenu* own = HitBarItems(point, menu, index)) return own;
  CKtkSkinPopupMenu* other = OtherRoot(menu);
  return other ? HitBarItems(point, other, index) : nullptr;
}

// A bar's own items: the system menu's only on a caption that shows a small icon (all of a
// minimised window), the menu bar's only while the window is not minimised.
CKtkSkinPopupMenu* CKtkSkinMenuLoop::HitBarItems(POINT point, CKtkSkinPopupMenu* menu, int* index) {
  const bool minimised = ::IsIconic(m_hOwner) != FALSE;
  if (menu->m_bSystemMenu) {
    if (!CKtkSkinManagerSchema::GetWindowIcon(m_hOwner, TRUE)) return nullptr;
    RECT area{};
    if (minimised)
      ::GetWindowRect(m_hOwner, &area);
    else if (CKtkSkinPopupMenuItem* icon = menu->GetItem(0))
      area = icon->GetScreenRect();
    if (area.right <= area.left || !::PtInRect(&area, point)) return nullptr;
    *index = 0;
    return menu;
  }
  if (minimised) return nullptr;
  const int item = ItemAt(menu, point);
  if (item < 0) return nullptr;
  *index = item;
  return menu;
}

// ---- Moving the selection ------------------------------------------------------------------------

BOOL CKtkSkinMenuLoop::Skipped(CKtkSkinPopupMenu* menu, int index) {
  CKtkSkinPopupMenuItem* item = menu->GetItem(index);
  if (!item || item->IsSeparator()) return TRUE;
  return menu->m_bMenuBar && !menu->m_bSystemMenu && item->IsMdiButton();
}

// Visits every item at most once, so that a menu whose items are all skipped (separators
// only) answers -1 from any start, one outside the items included.
int CKtkSkinMenuLoop::NextItem(CKtkSkinPopupMenu* menu, int index, BOOL forward, BOOL noWrap) {
  const int count = menu ? menu->GetItemCount() : 0;
  if (count <= 0) return -1;
  int at = index;
  for (int step = 0; step < count; ++step) {
    at += forward ? 1 : -1;
    if (at >= count || at < 0) {
      if (noWrap) return -1;
      at = at < 0 ? count - 1 : 0;
    }
    if (!Skipped(menu, at)) return at;
  }
  return -1;
}

void CKtkSkinMenuLoop::NotifySelect(CKtkSkinPopupMenu* menu) {
  if (m_bNoNotify || !menu) return;
  CKtkSkinPopupMenuItem* item = menu->GetItem(menu->m_nSelected);
  if (!item) {
    Send(WM_MENUSELECT, 0, 0);
    return;
  }
  const bool popup = item->GetSubMenu() != nullptr;
  UINT flags = (item->GetState() | item->GetType()) & 0xFFFF;
  if (popup) flags |= MF_POPUP;
  if (!m_bKeyboardMode) flags |= MF_MOUSESELECT;
  if (menu->m_bSystemMenu) flags |= MF_SYSMENU;
  const UINT low = popup ? static_cast<UINT>(menu->m_nSelected) : item->GetID();
  Send(WM_MENUSELECT, MAKEWPARAM(low & 0xFFFF, flags & 0xFFFF), reinterpret_cast<LPARAM>(menu->m_hMenu));
}

CKtkSkinPopupMenuItem* CKtkSkinMenuLoop::Select(CKtkSkinPopupMenu* menu, int index) {
  if (!menu) return nullptr;
  if (menu->m_nSelected == index) return menu->GetItem(index);
  KillOpenTimer(menu);
  if (menu->m_bClosePending && menu->m_pParent) {
    // The pointer came back to a popup its parent was about to close: it stays.
    CKtkSkinPopupMenu* parent = menu->m_pParent;
    KillCloseTimer(parent);
    KillOpenTimer(parent);
    if (parent->m_nSelected != parent->m_nOpenedItem) {
      parent->m_nSelected = parent->m_nOpenedItem;
      parent->Invalidate();
      NotifySelect(parent);
    }
    menu->m_bClosePending = FALSE;
  }
  if (menu->m_nSelected >= 0 && menu->m_pChild) {
    if (menu->m_bMenuBar)
      CloseSubmenus(menu);
    else
      StartCloseTimer(menu);
  }
  menu->m_nSelected = index;
  menu->Invalidate();
  NotifySelect(menu);
  return menu->GetItem(index);
}

void CKtkSkinMenuLoop::KillOpenTimer(CKtkSkinPopupMenu* menu) {
  if (!menu->m_nOpenTimer) return;
  if (menu->m_hWnd) ::KillTimer(menu->m_hWnd, menu->m_nOpenTimer);
  menu->m_nOpenTimer = 0;
}

void CKtkSkinMenuLoop::KillCloseTimer(CKtkSkinPopupMenu* menu) {
  if (!menu->m_nCloseTimer) return;
  if (menu->m_hWnd) ::KillTimer(menu->m_hWnd, menu->m_nCloseTimer);
  menu->m_nCloseTimer = 0;
}

BOOL CKtkSkinMenuLoop::StartCloseTimer(CKtkSkinPopupMenu* menu) {
  if (!menu->m_pChild) return FALSE;
  if (menu->m_nCloseTimer) return TRUE;
  if (!menu->m_hWnd || !::SetTimer(menu->m_hWnd, KTK_MENU_CLOSE_TIMER, m_nShowDelay, nullptr)) return FALSE;
  menu->m_nCloseTimer = KTK_MENU_CLOSE_TIMER;
  menu->m_pChild->m_bClosePending = TRUE;
  return TRUE;
}

BOOL CKtkSkinMenuLoop::StartOpenTimer(CKtkSkinPopupMenu* menu) {
  if (menu->m_nSelected < 0) return FALSE;
  if (menu->m_nOpenTimer || (menu->m_pChild && menu->m_nOpenedItem == menu->m_nSelected)) return TRUE;
  if (!menu->m_hWnd || !::SetTimer(menu->m_hWnd, KTK_MENU_OPEN_TIMER, m_nShowDelay, nullptr)) return FALSE;
  menu->m_nOpenTimer = KTK_MENU_OPEN_TIMER;
  return TRUE;
}

// ---- Opening and closing submenus ------------------------------------------------------------------

HWND CKtkSkinMenuLoop::OpenSubmenu(CKtkSkinPopupMenu* menu) {
  if (!menu || menu->m_nSelected < 0 || menu->m_nSelected >= menu->GetItemCount()) return nullptr;
  if (menu->m_pChild) {
    if (!menu->m_nCloseTimer) return nullptr;
    CloseSubmenus(menu);
  }
  KillOpenTimer(menu);
  const int index = menu->m_nSelected;
  HMENU submenu = menu->GetItem(index)->GetSubMenu();
  if (!submenu) return nullptr;
  const BOOL system = menu->m_bSystemMenu;
  bool initSent = false;
  if (!m_bNoNotify && m_hOwner && ::IsWindow(m_hOwner)) {
    Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(submenu), MAKELPARAM(index, system ? 1 : 0));
    initSent = true;
  }
  HWND opened = nullptr;
  // The owner's answer may have ended the run or changed the menu.
  CKtkSkinPopupMenuItem* item = menu->GetItem(index);
  if (!m_bEnding && menu->m_nSelected == index && !menu->m_pChild && item && item->IsEnabled() && ::IsMenu(submenu) &&
      ::GetMenuItemCount(submenu) > 0) {
    auto* popup = new (std::nothrow) CKtkSkinPopupMenu;
    if (popup) {
      popup->m_pLoop = this;
      popup->m_hOwner = m_hOwner;
      if (!popup->CreatePopupWindow(m_hOwner)) {
        popup->InternalRelease();
        popup = nullptr;
      }
    }
    if (popup) {
      popup->m_hMenu = submenu;
      popup->m_bSystemMenu = system;
      popup->m_bPopupNotified = TRUE;
      popup->m_pParent = menu;
      menu->m_pChild = popup;
      if (menu->m_bMenuBar) menu->m_bDropDown = TRUE;
      const RECT anchor = item->GetScreenRect();
      if (m_hOwner) ::UpdateWindow(m_hOwner);
      const SIZE size = popup->Layout();
      const POINT at = popup->PlaceSubmenu(menu, anchor, size.cx, size.cy);
      KtkMenuSoundPlayer().Play(KTK_MENUSOUND_POPUP);
      ShowPopup(popup, at, size);
      if (m_bKeyboardMode) Select(popup, NextItem(popup, -1, TRUE, FALSE));
      menu->m_nOpenedItem = index;
      if (popup->m_hWnd) ::UpdateWindow(popup->m_hWnd);
      opened = popup->m_hWnd;
    }
  }
  if (!opened && initSent) Send(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(submenu), system ? MF_SYSMENU << 16 : 0);
  return opened;
}

void CKtkSkinMenuLoop::CloseSubmenus(CKtkSkinPopupMenu* menu) {
  if (!menu) return;
  KillCloseTimer(menu);
  if (CKtkSkinPopupMenu* child = menu->m_pChild) {
    CloseSubmenus(child);
    KillOpenTimer(child);
    menu->m_pChild = nullptr;
    if (!child->m_bMenuBar && child->m_bPopupNotified && !m_bNoNotify)
      Send(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(child->m_hMenu), child->m_bSystemMenu ? MF_SYSMENU << 16 : 0);
    child->m_bPopupNotified = FALSE;
    Retire(child);
  }
  menu->m_nOpenedItem = -1;
  if (menu->m_nSelected >= 0) NotifySelect(menu);
}

BOOL CKtkSkinMenuLoop::CloseChildSelection(CKtkSkinPopupMenu* menu) {
  CKtkSkinPopupMenu* child = menu ? menu->m_pChild : nullptr;
  if (!child) return FALSE;
  if (child->m_pChild) CloseSubmenus(child);
  Select(child, -1);
  return TRUE;
}

// ---- The mouse -----------------------------------------------------------------------------------

void CKtkSkinMenuLoop::Click(CKtkSkinPopupMenu* menu, int index, BOOL button) {
  if (index == menu->m_nSelected) {
    if (button) menu->m_bReClick = TRUE;
    if (menu->m_pChild) {
      CloseChildSelection(menu);
    } else if (button && OpenSubmenu(menu)) {
      menu->m_bReClick = FALSE;
    }
  } else {
    const bool open = button || menu->m_bDropDown;
    if (button) menu->m_bReClick = FALSE;
    CKtkSkinPopupMenuItem* item = Select(menu, index);
    if (item && open && item->GetSubMenu() && !OpenSubmenu(menu)) return;
  }
  if (button) m_bButtonDown = TRUE;
}

void CKtkSkinMenuLoop::MouseMove(POINT point) {
  if (point.x == m_lastMouse.x && point.y == m_lastMouse.y) return;
  m_lastMouse = point;
  int index = -1;
  CKtkSkinPopupMenu* hit = HitTest(point, &index);
  if (m_bKeyboardMode) {
    if (!hit) return;
    m_bKeyboardMode = FALSE;
  }
  if (hit && hit == m_pAlternateRoot) {
    if (!m_bButtonDown)
      Select(Deepest(), -1);
    else
      SwapRoots();
    return;
  }
  if (!hit) {
    Select(Deepest(), -1);
    return;
  }
  if (hit->m_bMenuBar) {
    Click(hit, index, FALSE);
    return;
  }
  CKtkSkinPopupMenuItem* item = Select(hit, index);
  if (item && item->IsEnabled() && item->GetSubMenu() && !StartOpenTimer(hit)) CloseChildSelection(hit);
}

void CKtkSkinMenuLoop::ButtonUp(CKtkSkinPopupMenu* menu, int index) {
  if (!m_bButtonDown || index < 0 || index != menu->m_nSelected) return;
  if (menu->m_bMenuBar && menu->m_pChild) {
    if (menu->m_bReClick) EndMenu();
    return;
  }
  if (!menu->m_bMenuBar && menu->m_nOpenTimer) {
    OpenSubmenu(menu);
    return;
  }
  CKtkSkinPopupMenuItem* item = menu->GetItem(index);
  if (item && item->IsEnabled() && !item->IsSeparator() && !item->GetSubMenu()) Execute(menu->m_hMenu, index);
}

void CKtkSkinMenuLoop::DoubleClick(CKtkSkinPopupMenu* menu, int index) {
  CKtkSkinPopupMenuItem* item = menu->GetItem(index);
  if (!item || !item->IsEnabled()) return;
  if (HMENU submenu = item->GetSubMenu()) {
    const UINT position = ::GetMenuDefaultItem(submenu, TRUE, 0);
    if (position != static_cast<UINT>(-1)) Execute(submenu, static_cast<int>(position));
  } else if (!item->IsSeparator()) {
    Execute(menu->m_hMenu, index);
  }
}

// ---- The keys ------------------------------------------------------------------------------------

void CKtkSkinMenuLoop::OnKey(CKtkSkinPopupMenu* menu, UINT key) {
  if (!menu || m_bButtonDown) return;
  if (!menu->m_bMenuBar && menu->m_hWnd && (::GetWindowLongW(menu->m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)) {
    if (key == VK_LEFT)
      key = VK_RIGHT;
    else if (key == VK_RIGHT)
      key = VK_LEFT;
  }
  switch (key) {
    case VK_RETURN: {
      CKtkSkinPopupMenuItem* item = menu->GetItem(menu->m_nSelected);
      if (!item) return;
      if (!item->IsEnabled())
        EndMenu();
      else if (item->GetSubMenu())
        OpenSubmenu(menu);
      else if (!item->IsSeparator())
        Execute(menu->m_hMenu, menu->m_nSelected);
      return;
    }
    case VK_MENU:
    case VK_F10:
      EndMenu();
      return;
    case VK_ESCAPE:
      if (!menu->m_bMenuBar && menu->m_pParent) {
        CKtkSkinPopupMenu* parent = menu->m_pParent;
        CloseSubmenus(parent);
        parent->m_bDropDown = FALSE;
      } else {
        EndMenu();
      }
      return;
    case VK_UP:
    case VK_DOWN:
      if (menu->m_bMenuBar)
        OpenSubmenu(menu);
      else
        Select(menu, NextItem(menu, menu->m_nSelected, key == VK_DOWN, FALSE));
      return;
    case VK_LEFT:
    case VK_RIGHT:
      LeftRight(menu, key == VK_RIGHT);
      return;
    default:
      return;
  }
}

void CKtkSkinMenuLoop::LeftRight(CKtkSkinPopupMenu* menu, BOOL right) {
  bool reopen = false;
  CKtkSkinPopupMenu* at = menu;
  for (;;) {
    if (right && !at->m_bMenuBar && !at->m_pChild && OpenSubmenu(at)) return;
    if (!right && !at->m_bMenuBar && at->m_pChild) {
      CloseSubmenus(at);
      return;
    }
    if (at->m_pChild || at->m_bDropDown) reopen = true;
    if (!at->m_pParent) break;
    if (m_bButtonDown) return;
    at = at->m_pParent;
  }
  if (!at->m_bMenuBar) return;
  CKtkSkinPopupMenu* target = at;
  int next = NextItem(target, target->m_nSelected, right, TRUE);
  if (next < 0) {
    if (!m_pAlternateRoot) return;
    SwapRoots();
    target = m_pRoot;
    next = NextItem(target, target->m_nSelected, right, FALSE);
    if (next < 0) return;
  }
  if (target->m_pChild) CloseSubmenus(target);
  Select(target, next);
  if (reopen) OpenSubmenu(target);
}

// The walk stops where it first arrived, so that a start outside the items or on a
// separator still ends when no item answers.
int CKtkSkinMenuLoop::FindMnemonic(CKtkSkinPopupMenu* menu, WCHAR ch, int start) {
  if (!ch || !menu) return -1;
  const char16_t wanted = Lower(ch);
  const int count = menu->GetItemCount();
  int at = start < 0 ? -1 : start, first = -1, plain = -1;
  for (int step = 0; step < count; ++step) {
    at = NextItem(menu, at, TRUE, FALSE);
    if (at < 0 || at == first) break;
    if (first < 0) first = at;
    bool ampersand = false;
    const std::u16string text = menu->GetItemText(at);
    if (Mnemonic(text, &ampersand) == wanted) return at;
    if (!ampersand && plain < 0 && !text.empty() && Lower(text[0]) == wanted) plain = at;
  }
  return plain;
}

void CKtkSkinMenuLoop::OnChar(CKtkSkinPopupMenu* menu, WCHAR ch) {
  if (!menu) return;
  const int found = FindMnemonic(menu, ch, menu->m_nSelected);
  if (found >= 0) {
    // Every item the character names, in walking order from the first found.
    std::vector<int> enabled;
    int at = found;
    for (int guard = 0; guard < menu->GetItemCount(); ++guard) {
      CKtkSkinPopupMenuItem* item = menu->GetItem(at);
      if (item && item->IsEnabled()) enabled.push_back(at);
      at = FindMnemonic(menu, ch, at);
      if (at < 0 || at == found) break;
    }
    if (enabled.empty()) {
      EndMenu();
      return;
    }
    Select(menu, enabled.front());
    if (enabled.size() == 1) OnKey(menu, VK_RETURN);
    return;
  }
  if (ch == u' ' && menu->m_bMenuBar) {
    if (menu->m_bSystemMenu) {
      Select(menu, 0);
      OpenSubmenu(menu);
    } else if (m_pAlternateRoot) {
      SwapRoots();
      Select(m_pRoot, 0);
      OpenSubmenu(m_pRoot);
    }
    return;
  }
  LRESULT answer = 0;
  if (!m_bNoNotify) {
    const WPARAM flags = (menu->m_bSystemMenu ? MF_SYSMENU : 0) | (menu->m_bMenuBar ? 0 : MF_POPUP);
    answer = Send(WM_MENUCHAR, MAKEWPARAM(ch, flags), reinterpret_cast<LPARAM>(menu->m_hMenu));
  }
  if (m_bEnding) return;
  const int index = LOWORD(answer);
  switch (HIWORD(answer)) {
    case MNC_IGNORE:
      ::MessageBeep(0);
      if (menu->m_bMenuBar) EndMenu();
      return;
    case MNC_CLOSE:
      EndMenu();
      return;
    case MNC_EXECUTE:
    case MNC_SELECT:
      if (index >= menu->GetItemCount()) return;
      Select(menu, index);
      if (HIWORD(answer) == MNC_EXECUTE) OnKey(menu, VK_RETURN);
      return;
    default:
      return;
  }
}

void CKtkSkinMenuLoop::SwapRoots() {
  if (!m_pRoot || !m_pRoot->m_bMenuBar || !m_pAlternateRoot) return;
  Select(m_pRoot, -1);
  const BOOL dropDown = m_pRoot->m_bDropDown;
  std::swap(m_pRoot, m_pAlternateRoot);
  m_pRoot->m_bDropDown = dropDown;
}

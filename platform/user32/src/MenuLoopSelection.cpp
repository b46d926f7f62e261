// The menu loop's selection: moving it with the mouse and the keys, mnemonics, opening
// and closing sub-menus (at once or on the menu delay), and choosing an item.
#include <algorithm>
#include <cwctype>
#include <utility>

#include "MenuBar.h"
#include "MenuLoop.h"
#include "MenuPlacement.h"
#include "MenuWindow.h"
#include "win/mmsystem.h"

namespace kx2::user32 {
namespace {

char16_t Lower(char16_t c) { return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c))); }

// The character after the item text's "&" (a doubled "&&" is a plain ampersand); 0 when
// it has none.
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

}  // namespace

bool MenuLoop::Skipped(const MenuLevel* m, int index) const {
  const MenuItemFacts item = m->Item(index);
  if (item.Separator()) return true;
  return m->bar && !m->system && item.MdiButton();
}

// Visits every item at most once, so that a menu whose items are all skipped (separators
// only) gives -1 from any start, including one outside the items.
int MenuLoop::NextItem(const MenuLevel* m, int index, bool forward, bool noWrap) const {
  const int count = m->Count();
  if (count <= 0) return -1;
  int at = index;
  for (int step = 0; step < count; ++step) {
    at += forward ? 1 : -1;
    if (at >= count || at < 0) {
      if (noWrap) return -1;
      at = at < 0 ? count - 1 : 0;
    }
    if (!Skipped(m, at)) return at;
  }
  return -1;
}

void MenuLoop::Invalidate(MenuLevel* m) {
  if (!m) return;
  if (m->bar) {
    if (m->system || !IsWindow(owner_)) return;  // the caption icon is not drawn selected
    SetMenuBarHighlight(owner_, m->selected);
    SendMessageW(owner_, WM_NCPAINT, 1, 0);
    return;
  }
  if (IsWindow(m->hwnd)) InvalidateRect(m->hwnd, nullptr, FALSE);
}

void MenuLoop::NotifySelect(MenuLevel* m) {
  if (noNotify_) return;
  if (m->selected < 0) {
    Send(WM_MENUSELECT, 0, 0);
    return;
  }
  const MenuItemFacts item = m->Item(m->selected);
  const bool popup = item.submenu != nullptr;
  UINT flags = (item.state | item.type) & 0xFFFF;
  if (popup) flags |= MF_POPUP;
  if (!keyboard_) flags |= MF_MOUSESELECT;
  if (m->system) flags |= MF_SYSMENU;
  const UINT low = popup ? static_cast<UINT>(m->selected) : item.id;
  Send(WM_MENUSELECT, MAKEWPARAM(low & 0xFFFF, flags & 0xFFFF), reinterpret_cast<LPARAM>(m->menu));
}

void MenuLoop::Select(MenuLevel* m, int index) {
  if (!m || m->selected == index) return;
  KillOpenTimer(m);
  if (m->closePending && m->parent) {
    // The pointer came back to a pop-up its parent was about to close: it stays.
    MenuLevel* parent = m->parent;
    KillCloseTimer(parent);
    KillOpenTimer(parent);
    if (parent->selected != parent->opened) {
      parent->selected = parent->opened;
      Invalidate(parent);
      NotifySelect(parent);
    }
    m->closePending = false;
  }
  if (m->selected >= 0 && m->child) {
    if (m->bar)
      CloseSubmenus(m);
    else
      StartCloseTimer(m);
  }
  m->selected = index;
  Invalidate(m);
  NotifySelect(m);
}

void MenuLoop::KillOpenTimer(MenuLevel* m) {
  if (!m->openTimer) return;
  KillTimer(m->hwnd, m->openTimer);
  m->openTimer = 0;
}

void MenuLoop::KillCloseTimer(MenuLevel* m) {
  if (!m->closeTimer) return;
  KillTimer(m->hwnd, m->closeTimer);
  m->closeTimer = 0;
}

bool MenuLoop::StartCloseTimer(MenuLevel* m) {
  if (!m->child) return false;
  if (m->closeTimer) return true;
  if (!SetTimer(m->hwnd, kMenuCloseTimer, showDelay_, nullptr)) return false;
  m->closeTimer = kMenuCloseTimer;
  m->child->closePending = true;
  return true;
}

bool MenuLoop::StartOpenTimer(MenuLevel* m) {
  if (m->selected < 0) return false;
  if (m->openTimer || (m->child && m->opened == m->selected)) return true;
  if (!SetTimer(m->hwnd, kMenuOpenTimer, showDelay_, nullptr)) return false;
  m->openTimer = kMenuOpenTimer;
  return true;
}

HWND MenuLoop::OpenSubmenu(MenuLevel* m) {
  if (!m || m->selected < 0 || m->selected >= m->Count()) return nullptr;
  if (m->child) {
    if (!m->closeTimer) return nullptr;
    CloseSubmenus(m);
  }
  KillOpenTimer(m);
  const int index = m->selected;
  HMENU submenu = m->Submenu(index);
  if (!submenu) return nullptr;
  const bool system = m->system;
  bool initSent = false;
  if (!noNotify_)
    initSent = Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(submenu), MAKELPARAM(index, system ? 1 : 0));
  HWND opened = nullptr;
  // The owner's answer may have ended the run or changed the menu.
  if (!ending_ && !endRequested_ && m->selected == index && m->Item(index).Enabled() && IsMenu(submenu) &&
      GetMenuItemCount(submenu) > 0) {
    auto popup = std::make_unique<MenuLevel>(this, owner_);
    popup->hwnd = CreateMenuWindow(owner_, popup.get());
    if (popup->hwnd) {
      popup->menu = submenu;
      popup->system = system;
      popup->notified = true;
      popup->parent = m;
      const std::vector<RECT> items = m->ScreenItems();
      const RECT anchor = static_cast<size_t>(index) < items.size() ? items[static_cast<size_t>(index)] : RECT{};
      m->child = std::move(popup);
      MenuLevel* child = m->child.get();
      if (m->bar) m->dropDown = true;
      UpdateWindow(owner_);
      child->layout = LayoutPopupMenu(owner_, submenu);
      bool left = false;
      const POINT at = PlaceSubmenu(anchor, m->bar, m->droppedLeft, owner_, child->layout.size, &left);
      child->droppedLeft = left;
      PlaySoundW(u"MenuPopup", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
      ShowPopup(child, at);
      if (keyboard_) Select(child, NextItem(child, -1, true, false));
      m->opened = index;
      if (IsWindow(child->hwnd)) UpdateWindow(child->hwnd);
      opened = child->hwnd;
    }
  }
  if (!opened && initSent) Send(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(submenu), system ? MF_SYSMENU << 16 : 0);
  return opened;
}

void MenuLoop::CloseSubmenus(MenuLevel* m) {
  if (!m) return;
  KillCloseTimer(m);
  if (m->child) {
    std::unique_ptr<MenuLevel> child = std::move(m->child);
    CloseSubmenus(child.get());
    KillOpenTimer(child.get());
    if (!child->bar) {
      if (child->notified && !noNotify_)
        Send(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(child->menu), child->system ? MF_SYSMENU << 16 : 0);
    }
    // The level's destructor destroys its window.
  }
  m->opened = -1;
  if (m->selected >= 0) NotifySelect(m);
}

bool MenuLoop::CloseChildSelection(MenuLevel* m) {
  if (!m->child) return false;
  MenuLevel* child = m->child.get();
  if (child->child) CloseSubmenus(child);
  Select(child, -1);
  return true;
}

void MenuLoop::Click(MenuLevel* m, int index, bool button) {
  if (index == m->selected) {
    if (button) m->reclick = true;
    if (m->child) {
      CloseChildSelection(m);
    } else if (button && OpenSubmenu(m)) {
      m->reclick = false;
    }
  } else {
    const bool open = button || m->dropDown;
    if (button) m->reclick = false;
    Select(m, index);
    if (index >= 0 && open && m->Submenu(index) && !OpenSubmenu(m)) return;
  }
  if (button) buttonDown_ = true;
}

void MenuLoop::MouseMove(POINT pt) {
  if (pt.x == lastMouse_.x && pt.y == lastMouse_.y) return;
  lastMouse_ = pt;
  const Hit hit = HitTest(pt);
  if (keyboard_) {
    if (!hit.level) return;
    keyboard_ = false;
  }
  if (hit.level && hit.level == alternate_.get()) {
    if (!buttonDown_)
      Select(Deepest(), -1);
    else
      SwapRoots();
    return;
  }
  if (!hit.level) {
    Select(Deepest(), -1);
    return;
  }
  if (hit.level->bar) {
    Click(hit.level, hit.index, false);
    return;
  }
  Select(hit.level, hit.index);
  if (hit.index < 0) return;
  const MenuItemFacts item = hit.level->Item(hit.index);
  if (item.Enabled() && item.submenu && !StartOpenTimer(hit.level)) CloseChildSelection(hit.level);
}

void MenuLoop::ButtonUp(MenuLevel* m, int index) {
  if (!buttonDown_ || index != m->selected || index < 0) return;
  if (m->bar && m->child) {
    if (m->reclick) EndMenu();
    return;
  }
  if (!m->bar && m->openTimer) {
    OpenSubmenu(m);
    return;
  }
  const MenuItemFacts item = m->Item(index);
  if (item.Enabled() && !item.Separator() && !item.submenu) Execute(m->menu, index, m->system);
}

void MenuLoop::DoubleClick(MenuLevel* m, int index) {
  if (index < 0) return;
  const MenuItemFacts item = m->Item(index);
  if (!item.Enabled()) return;
  if (item.submenu) {
    const UINT position = GetMenuDefaultItem(item.submenu, TRUE, 0);
    if (position != static_cast<UINT>(-1)) Execute(item.submenu, static_cast<int>(position), m->system);
  } else if (!item.Separator()) {
    Execute(m->menu, index, m->system);
  }
}

void MenuLoop::OnKey(MenuLevel* m, UINT key) {
  if (!m || buttonDown_) return;
  if (!m->bar && (GetWindowLongW(m->hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)) {
    if (key == VK_LEFT)
      key = VK_RIGHT;
    else if (key == VK_RIGHT)
      key = VK_LEFT;
  }
  switch (key) {
    case VK_RETURN: {
      if (m->selected < 0) return;
      const MenuItemFacts item = m->Item(m->selected);
      if (!item.Enabled())
        EndMenu();
      else if (item.submenu)
        OpenSubmenu(m);
      else if (!item.Separator())
        Execute(m->menu, m->selected, m->system);
      return;
    }
    case VK_MENU:
    case VK_F10:
      EndMenu();
      return;
    case VK_ESCAPE:
      if (!m->bar && m->parent) {
        MenuLevel* parent = m->parent;
        CloseSubmenus(parent);
        parent->dropDown = false;
      } else {
        EndMenu();
      }
      return;
    case VK_UP:
    case VK_DOWN:
      if (m->bar)
        OpenSubmenu(m);
      else
        Select(m, NextItem(m, m->selected, key == VK_DOWN, false));
      return;
    case VK_LEFT:
    case VK_RIGHT:
      OnLeftRight(m, key == VK_RIGHT);
      return;
    default:
      return;
  }
}

void MenuLoop::OnLeftRight(MenuLevel* m, bool right) {
  bool reopen = false;
  MenuLevel* level = m;
  for (;;) {
    if (right && !level->bar && !level->child && OpenSubmenu(level)) return;
    if (!right && !level->bar && level->child) {
      CloseSubmenus(level);
      return;
    }
    if (level->child || level->dropDown) reopen = true;
    if (!level->parent) break;
    if (buttonDown_) return;
    level = level->parent;
  }
  if (!level->bar) return;
  MenuLevel* target = level;
  int next = NextItem(target, target->selected, right, true);
  if (next < 0) {
    if (!alternate_) return;
    SwapRoots();
    target = root_.get();
    next = NextItem(target, target->selected, right, false);
    if (next < 0) return;
  }
  if (target->child) CloseSubmenus(target);
  Select(target, next);
  if (reopen) OpenSubmenu(target);
}

// The walk stops where it began, so that a start outside the items or on a separator
// still ends when no item answers.
int MenuLoop::FindMnemonic(const MenuLevel* m, WCHAR ch, int start) const {
  if (!ch) return -1;
  const char16_t wanted = Lower(ch);
  const int count = m->Count();
  int at = start < 0 ? -1 : start, first = -1, plain = -1;
  for (int step = 0; step < count; ++step) {
    at = NextItem(m, at, true, false);
    if (at < 0 || at == first) break;
    if (first < 0) first = at;
    bool ampersand = false;
    const std::u16string text = m->Item(at).text;
    if (Mnemonic(text, &ampersand) == wanted) return at;
    if (!ampersand && plain < 0 && !text.empty() && Lower(text[0]) == wanted) plain = at;
  }
  return plain;
}

void MenuLoop::OnChar(MenuLevel* m, WCHAR ch) {
  if (!m) return;
  const int found = FindMnemonic(m, ch, m->selected);
  if (found >= 0) {
    // Every item the character names, in walking order from the first found.
    std::vector<int> enabled;
    int at = found;
    for (int guard = 0; guard < m->Count(); ++guard) {
      if (m->Item(at).Enabled()) enabled.push_back(at);
      at = FindMnemonic(m, ch, at);
      if (at < 0 || at == found) break;
    }
    if (enabled.empty()) {
      EndMenu();
      return;
    }
    Select(m, enabled.front());
    if (enabled.size() == 1) OnKey(m, VK_RETURN);
    return;
  }
  if (ch == u' ' && m->bar) {
    if (m->system) {
      Select(m, 0);
      OpenSubmenu(m);
    } else if (alternate_) {
      SwapRoots();
      Select(root_.get(), 0);
      OpenSubmenu(root_.get());
    }
    return;
  }
  LRESULT answer = 0;
  if (!noNotify_) {
    const WPARAM flags = (m->system ? MF_SYSMENU : 0) | (m->bar ? 0 : MF_POPUP);
    Send(WM_MENUCHAR, MAKEWPARAM(ch, flags), reinterpret_cast<LPARAM>(m->menu), &answer);
  }
  if (ending_ || endRequested_) return;
  const int index = LOWORD(answer);
  switch (HIWORD(answer)) {
    case MNC_IGNORE:
      MessageBeep(0);
      if (m->bar) EndMenu();
      return;
    case MNC_CLOSE:
      EndMenu();
      return;
    case MNC_EXECUTE:
    case MNC_SELECT:
      if (index >= m->Count()) return;
      Select(m, index);
      if (HIWORD(answer) == MNC_EXECUTE) OnKey(m, VK_RETURN);
      return;
    default:
      return;
  }
}

void MenuLoop::SwapRoots() {
  if (!root_ || !root_->bar || !alternate_) return;
  Select(root_.get(), -1);
  const bool dropDown = root_->dropDown;
  std::swap(root_, alternate_);
  root_->dropDown = dropDown;
}

}  // namespace kx2::user32

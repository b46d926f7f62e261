// The menu loop's run: starting, the modal message loop, the message filter, ending and
// delivering the command, and the three ways in (a tracked pop-up, the menu keys, a click
// on the menu bar).
#include "MenuLoop.h"

#include <algorithm>
#include <utility>

#include "ClassicFrame.h"
#include "MenuBar.h"
#include "MenuPlacement.h"
#include "MenuWindow.h"
#include "win/mmsystem.h"

namespace kx2::user32 {
namespace {

thread_local MenuLoop* t_active = nullptr;

bool IsPress(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_NCLBUTTONDOWN ||
         message == WM_NCRBUTTONDOWN;
}

POINT Cursor() {
  POINT pt{};
  GetCursorPos(&pt);
  return pt;
}

void PlayMenuSound(LPCWSTR alias) { PlaySoundW(alias, nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT); }

}  // namespace

// ---- Levels ----------------------------------------------------------------------------------

MenuLevel::~MenuLevel() {
  if (!bar && hwnd) {
    DetachMenuWindow(hwnd);
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
}

int MenuLevel::Count() const {
  if (bar && system) return 1;
  const int n = menu ? GetMenuItemCount(menu) : 0;
  return std::max(n, 0);
}

MenuItemFacts MenuLevel::Item(int index) const {
  if (bar && system) {
    // The window menu on the caption icon: one item whose sub-menu is the whole menu.
    MenuItemFacts facts;
    facts.exists = index == 0;
    facts.submenu = index == 0 ? menu : nullptr;
    return facts;
  }
  return ReadMenuItem(menu, index);
}

HMENU MenuLevel::Submenu(int index) const {
  if (bar && system) return index == 0 ? menu : nullptr;
  return GetSubMenu(menu, index);
}

std::vector<RECT> MenuLevel::ScreenItems() const {
  std::vector<RECT> items;
  RECT window{};
  if (!GetWindowRect(hwnd, &window)) return items;
  if (bar) {
    const FrameLayout frame = LayoutFrame(owner);
    if (system) {
      items.push_back(IsIconic(owner) ? frame.window : frame.sysMenu);
    } else {
      items = LayoutMenuBarItems(owner, frame.menuBar);
    }
  } else {
    items = layout.items;
  }
  // A right-to-left pop-up is mirrored: its item rectangles count from the right.
  const bool mirrored = !bar && (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
  for (RECT& r : items) {
    if (mirrored)
      r = RECT{window.right - r.right, window.top + r.top, window.right - r.left, window.top + r.bottom};
    else
      OffsetRect(&r, window.left, window.top);
  }
  return items;
}

int MenuLevel::ItemAt(POINT screen) const {
  const std::vector<RECT> items = ScreenItems();
  for (size_t i = 0; i < items.size(); ++i)
    if (PtInRect(&items[i], screen)) return static_cast<int>(i);
  return -1;
}

// ---- The run ---------------------------------------------------------------------------------

MenuLoop::MenuLoop(HWND owner) : owner_(owner), outer_(t_active) {
  UINT delay = 0;
  if (SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &delay, 0)) showDelay_ = delay;
  t_active = this;
}

MenuLoop::~MenuLoop() {
  t_active = outer_;
  if (root_ && root_->bar && !root_->system && IsWindow(owner_)) {
    SetMenuBarHighlight(owner_, -1);
    SendMessageW(owner_, WM_NCPAINT, 1, 0);
  }
}

MenuLoop* MenuLoop::Active() { return t_active; }

bool MenuLoop::Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (!IsWindow(owner_)) return false;
  const LRESULT answer = SendMessageW(owner_, message, wParam, lParam);
  if (result) *result = answer;
  return true;
}

void MenuLoop::Attach(std::unique_ptr<MenuLevel> root) {
  root_ = std::move(root);
  buttonDown_ = (GetKeyState(VK_LBUTTON) & 0x8000) != 0;
  root_->dropDown = false;
  if (!noNotify_) Send(WM_ENTERMENULOOP, 0, 0);
}

std::unique_ptr<MenuLevel> MenuLoop::MakeSystemBar(HMENU systemMenu) {
  auto level = std::make_unique<MenuLevel>(this, owner_);
  level->bar = level->system = true;
  level->menu = systemMenu;
  level->hwnd = owner_;
  return level;
}

void MenuLoop::Start(bool keyboard) {
  keyboard_ = keyboard;
  started_ = true;
  root_->reclick = root_->closePending = false;
  SetCapture(owner_);
  captureWindow_ = owner_;
  Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(owner_), HTCAPTION);
  if (root_->bar && !root_->system && (GetWindowLongW(owner_, GWL_STYLE) & WS_SYSMENU)) {
    if (HMENU systemMenu = GetSystemMenu(owner_, FALSE)) {
      SetMenuDefaultItem(systemMenu, SC_CLOSE, FALSE);
      alternate_ = MakeSystemBar(systemMenu);
    }
  }
  MENUINFO info{};
  info.cbSize = sizeof info;
  info.fMask = MIM_STYLE;
  notifyByPosition_ = GetMenuInfo(root_->menu, &info) && (info.dwStyle & MNS_NOTIFYBYPOS);
  if (!noNotify_) Send(WM_INITMENU, reinterpret_cast<WPARAM>(root_->menu), 0);
}

bool MenuLoop::AttachMenuBar() {
  const DWORD style = static_cast<DWORD>(GetWindowLongW(owner_, GWL_STYLE));
  HMENU menu = (style & WS_CHILD) ? nullptr : GetMenu(owner_);
  std::unique_ptr<MenuLevel> root;
  if (menu && GetMenuItemCount(menu) > 0) {
    root = std::make_unique<MenuLevel>(this, owner_);
    root->bar = true;
    root->menu = menu;
    root->hwnd = owner_;
  } else if (style & WS_SYSMENU) {
    // No bar: the window menu on the caption icon stands in for it.
    HMENU systemMenu = GetSystemMenu(owner_, FALSE);
    if (!systemMenu) return false;
    SetMenuDefaultItem(systemMenu, SC_CLOSE, FALSE);
    root = MakeSystemBar(systemMenu);
  } else {
    return false;
  }
  Attach(std::move(root));
  return true;
}

void MenuLoop::KeyMenu(WCHAR ch) {
  if (buttonDown_) return;
  Start(true);
  const bool child = (GetWindowLongW(owner_, GWL_STYLE) & WS_CHILD) != 0;
  if (ch == 0) {
    Select(root_.get(), NextItem(root_.get(), -1, true, false));
  } else if (ch == u' ' || (ch == u'-' && child)) {
    if (!alternate_ && !root_->system) {
      EndMenu();
    } else {
      CloseSubmenus(root_.get());
      if (!root_->system) SwapRoots();
      Select(root_.get(), 0);
      OpenSubmenu(root_.get());
      root_->reclick = false;
    }
  } else {
    // The window menu standing in for a bar has no mnemonics of its own.
    if (!root_->system) OnChar(root_.get(), ch);
    if (root_ && root_->selected < 0) EndMenu();
  }
  RunLoop(false);
}

void MenuLoop::MouseMenu() { RunLoop(true); }

UINT_PTR MenuLoop::Track(HMENU menu, UINT flags, int x, int y, const RECT* exclude) {
  if (!IsWindow(owner_) || !IsMenu(menu) || GetMenuItemCount(menu) <= 0) return 0;
  const bool wasDown = (GetKeyState((flags & TPM_RIGHTBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000) != 0;
  auto popup = std::make_unique<MenuLevel>(this, owner_);
  popup->hwnd = CreateMenuWindow(owner_, popup.get());
  if (!popup->hwnd) return 0;
  popup->menu = menu;
  popup->system = (flags & TPM_SYSTEMMENU) != 0;
  returnCommand_ = (flags & TPM_RETURNCMD) != 0;
  rightButton_ = (flags & TPM_RIGHTBUTTON) != 0;
  noNotify_ = (flags & TPM_NONOTIFY) != 0;
  Attach(std::move(popup));
  Start(false);
  MenuLevel* root = root_.get();
  ignoreFirstUp_ = wasDown;
  if (!noNotify_) Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), root->system ? 0x10000 : 0);
  root->notified = true;
  root->layout = LayoutPopupMenu(owner_, menu);
  const SIZE size = root->layout.size;
  UINT align = flags;
  if ((GetWindowLongW(owner_, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) && !(align & TPM_CENTERALIGN)) align ^= TPM_RIGHTALIGN;
  POINT at{x, y};
  if (align & TPM_RIGHTALIGN) {
    at.x -= size.cx;
    root->droppedLeft = true;
  } else if (align & TPM_CENTERALIGN) {
    at.x -= size.cx / 2;
  }
  if (align & TPM_BOTTOMALIGN)
    at.y -= size.cy;
  else if (align & TPM_VCENTERALIGN)
    at.y -= size.cy / 2;
  bool left = false;
  at = PlaceTrackedPopup(at, size, align, exclude, &left);
  root->droppedLeft = root->droppedLeft || left;
  PlayMenuSound(u"MenuPopup");
  ShowPopup(root, at);
  buttonDown_ = wasDown;
  RunLoop(false);
  CloseSubmenus(root);
  if (root->notified && !noNotify_)
    Send(WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(menu), root->system ? MF_SYSMENU << 16 : 0);
  DetachMenuWindow(root->hwnd);
  if (IsWindow(root->hwnd)) DestroyWindow(root->hwnd);
  return returnCommand_ ? resultCommand_ : 1;
}

bool MenuLoop::ShowPopup(MenuLevel* popup, POINT at) {
  return SetWindowPos(popup->hwnd, HWND_TOPMOST, at.x, at.y, popup->layout.size.cx, popup->layout.size.cy,
                      SWP_NOOWNERZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE) != FALSE;
}

void MenuLoop::RunLoop(bool mousePress) {
  // A run ended before its loop began (a letter no item answers) has nothing to wait for.
  if (ending_) return;
  inLoop_ = true;
  ending_ = false;
  bool idleAllowed = true, quit = false;
  WPARAM quitCode = 0;
  if (!started_) Start(false);
  if (mousePress && root_ && root_->bar) {
    // The click that opened the run has been retrieved already: take it as arrived.
    MSG press{owner_, WM_LBUTTONDOWN, 0, 0, 0, Cursor()};
    FilterMessage(press, false);
  }
  while (inLoop_ && root_ && GetCapture() == captureWindow_ && IsWindow(owner_)) {
    if (endRequested_) {
      EndMenu();
      break;
    }
    MSG msg{};
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (idleAllowed && !noNotify_) {
        MenuLevel* deepest = Deepest();
        Send(WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(deepest ? deepest->hwnd : owner_));
      }
      idleAllowed = false;
      WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) {
      // The run ends and the quit stays for the loop outside it.
      PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
      quit = true;
      quitCode = msg.wParam;
      break;
    }
    const bool queued = IsPress(msg.message);
    if (!queued) PeekMessageW(&msg, nullptr, msg.message, msg.message, PM_REMOVE);
    if (msg.message != WM_TIMER && msg.message != WM_PAINT) idleAllowed = true;
    const bool consumed = FilterMessage(msg, queued);
    // A press left in the queue is never dispatched here: the window under the pointer
    // gets it once, after the run.
    if (!consumed && !queued) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (queued && inLoop_) RemovePress(msg, true);
  }
  inLoop_ = false;
  const HWND held = captureWindow_;
  captureWindow_ = nullptr;
  EndMenu();
  if (GetCapture() == held) {
    // A run inside another hands the capture back to it.
    if (outer_ && outer_->captureWindow_ && IsWindow(outer_->captureWindow_))
      SetCapture(outer_->captureWindow_);
    else
      ReleaseCapture();
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

void MenuLoop::RemovePress(const MSG& msg, bool queued) {
  if (!queued) return;
  MSG head{};
  if (PeekMessageW(&head, nullptr, msg.message, msg.message, PM_NOREMOVE) && head.time == msg.time &&
      head.pt.x == msg.pt.x && head.pt.y == msg.pt.y)
    PeekMessageW(&head, nullptr, msg.message, msg.message, PM_REMOVE);
}

bool MenuLoop::FilterMessage(const MSG& msg, bool queued) {
  const POINT cursor = Cursor();
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
      MouseMove(cursor);
      return true;
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN: {
      keyboard_ = false;
      Hit hit = HitTest(cursor);
      if (!hit.level) {
        EndMenu();  // the press stays queued for the window under the pointer
        return true;
      }
      if (hit.level == alternate_.get()) {
        SwapRoots();
        hit.level = root_.get();
      }
      Click(hit.level, hit.index, true);
      RemovePress(msg, queued);
      return true;
    }
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN: {
      if (!rightButton_) keyboard_ = false;
      const Hit hit = HitTest(cursor);
      if (!hit.level) {
        EndMenu();
        return true;
      }
      if (rightButton_) DoubleClick(hit.level, hit.index);
      RemovePress(msg, queued);
      return true;
    }
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK: {
      const Hit hit = HitTest(cursor);
      if (!hit.level)
        EndMenu();
      else
        DoubleClick(hit.level, hit.index);
      return true;
    }
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP:
      if (!rightButton_) return true;
      [[fallthrough]];
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP: {
      if (!buttonDown_) return true;
      const Hit hit = HitTest(cursor);
      if (!hit.level) {
        if (root_->bar || !ignoreFirstUp_) {
          EndMenu();
        } else {
          ignoreFirstUp_ = false;
        }
      } else {
        ignoreFirstUp_ = false;
        ButtonUp(hit.level, hit.index);
      }
      buttonDown_ = false;
      return true;
    }
    case WM_SYSKEYUP:
      return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      if (buttonDown_) return true;
      keyboard_ = true;
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
          return true;
        case VK_TAB:
          if (root_->bar && !root_->child) {
            EndMenu();
            return true;
          }
          break;
        default:
          break;
      }
      TranslateMessage(&msg);
      return true;
    }
    case WM_KEYUP:
      TranslateMessage(&msg);
      return true;
    case WM_CHAR:
    case WM_SYSCHAR:
      OnChar(Deepest(), static_cast<WCHAR>(msg.wParam));
      return true;
    case WM_TIMER: {
      MenuLevel* level = LevelOfWindow(msg.hwnd);
      if (!level || (msg.wParam != kMenuOpenTimer && msg.wParam != kMenuCloseTimer)) return false;
      if (msg.wParam == kMenuOpenTimer && level->openTimer == kMenuOpenTimer) {
        level->reclick = false;
        OpenSubmenu(level);
      } else if (msg.wParam == kMenuCloseTimer && level->closeTimer == kMenuCloseTimer) {
        level->reclick = false;
        CloseSubmenus(level);
      } else {
        KillTimer(msg.hwnd, msg.wParam);  // left over from a level that has gone
      }
      return true;
    }
    default:
      return false;
  }
}

void MenuLoop::EndMenu(UINT message, WPARAM wParam, LPARAM lParam) {
  if (ending_) return;
  ending_ = true;
  inLoop_ = false;
  buttonDown_ = false;
  if (root_) {
    CloseSubmenus(root_.get());
    root_->selected = -1;
    Invalidate(root_.get());
  }
  if (captureWindow_ && GetCapture() == captureWindow_) {
    if (outer_ && outer_->captureWindow_ && IsWindow(outer_->captureWindow_))
      SetCapture(outer_->captureWindow_);
    else
      ReleaseCapture();
  }
  if (IsWindow(owner_)) {
    if (root_ && !root_->bar) {
      CloseSubmenus(root_.get());
      ShowWindow(root_->hwnd, SW_HIDE);
    }
    if (!noNotify_) {
      Send(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
      Send(WM_EXITMENULOOP, 0, 0);
    }
    resultCommand_ = wParam;
  }
  if (!message) return;
  PlayMenuSound(u"MenuCommand");
  if (returnCommand_ || !IsWindow(owner_)) return;
  if (message == WM_COMMAND) {
    PostMessageW(owner_, message, wParam, lParam);
    return;
  }
  Send(message, wParam, lParam);
  if (message == WM_SYSCOMMAND && IsWindow(owner_)) Send(WM_NCPAINT, 1, 0);
}

void MenuLoop::Execute(HMENU menu, int position, bool system) {
  if (position < 0 || position >= GetMenuItemCount(menu)) return;
  const UINT id = GetMenuItemID(menu, position);
  if (system)
    EndMenu(WM_SYSCOMMAND, id, 0);
  else if (notifyByPosition_)
    EndMenu(WM_MENUCOMMAND, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(menu));
  else
    EndMenu(WM_COMMAND, LOWORD(id), 0);
}

// ---- Hit testing -------------------------------------------------------------------------------

MenuLevel* MenuLoop::Deepest() const {
  MenuLevel* level = root_.get();
  while (level && level->child) level = level->child.get();
  return level;
}

MenuLevel* MenuLoop::Other(const MenuLevel* level) const {
  if (level == root_.get()) return alternate_.get();
  if (level == alternate_.get()) return root_.get();
  return nullptr;
}

MenuLevel* MenuLoop::LevelOfWindow(HWND hwnd) const {
  for (MenuLevel* top : {root_.get(), alternate_.get()})
    for (MenuLevel* level = top; level; level = level->child.get())
      if (level->hwnd == hwnd) return level;
  return nullptr;
}

bool MenuLoop::ItemRect(HMENU menu, int index, RECT* out) const {
  for (MenuLevel* top : {root_.get(), alternate_.get()}) {
    for (MenuLevel* level = top; level; level = level->child.get()) {
      if (level->menu != menu || (level->bar && level->system)) continue;
      const std::vector<RECT> items = level->ScreenItems();
      if (index < 0 || static_cast<size_t>(index) >= items.size()) return false;
      *out = items[static_cast<size_t>(index)];
      return true;
    }
  }
  return false;
}

MenuLoop::Hit MenuLoop::HitTest(POINT pt) const { return root_ ? HitLevel(pt, root_.get()) : Hit{}; }

MenuLoop::Hit MenuLoop::HitLevel(POINT pt, MenuLevel* level) const {
  if (level->child) {
    const Hit inner = HitLevel(pt, level->child.get());
    if (inner.level) return inner;
  }
  if (!level->bar) {
    RECT window{};
    if (GetWindowRect(level->hwnd, &window) && PtInRect(&window, pt)) return Hit{level, level->ItemAt(pt)};
    return Hit{};
  }
  const Hit own = HitItems(pt, level);
  if (own.level) return own;
  MenuLevel* other = Other(level);
  return other ? HitItems(pt, other) : Hit{};
}

// A bar's own items: the window menu's only on a caption that shows its icon, the menu
// bar's only while the window is not minimised.
MenuLoop::Hit MenuLoop::HitItems(POINT pt, MenuLevel* level) const {
  if (level->system) {
    if (IsIconic(owner_)) {
      RECT window{};
      GetWindowRect(owner_, &window);
      return PtInRect(&window, pt) ? Hit{level, 0} : Hit{};
    }
    const std::vector<RECT> items = level->ScreenItems();
    if (!items.empty() && items[0].right > items[0].left && PtInRect(&items[0], pt)) return Hit{level, 0};
    return Hit{};
  }
  if (IsIconic(owner_)) return Hit{};
  const int index = level->ItemAt(pt);
  return index >= 0 ? Hit{level, index} : Hit{};
}

}  // namespace kx2::user32

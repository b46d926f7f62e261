// What an MDI client shows in its frame's menus and caption: the list of children at the
// end of the window menu ("&1 Title", the active one checked, the tenth item "&More
// Windows..."), a maximised child's window menu and buttons on the frame's menu bar, and
// the frame's title with the maximised child's after it.
#include <array>

#include "MdiClient.h"
#include "win/menu.h"

namespace kx2::user32 {
namespace {

// A menu item's id, sub-menu and picture.
struct ItemFacts {
  UINT id = 0;
  HMENU submenu = nullptr;
  HBITMAP bitmap = nullptr;
  UINT type = 0;
};

ItemFacts ItemAt(HMENU menu, int position) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_BITMAP | MIIM_FTYPE;
  ItemFacts facts;
  if (GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &mii)) {
    facts.id = mii.wID;
    facts.submenu = mii.hSubMenu;
    facts.bitmap = mii.hbmpItem;
    facts.type = mii.fType;
  }
  return facts;
}

bool IsBarButton(const ItemFacts& item) {
  const bool buttonId = item.id == SC_MINIMIZE || item.id == SC_RESTORE || item.id == SC_CLOSE;
  const auto picture = reinterpret_cast<uintptr_t>(item.bitmap);
  return buttonId && picture >= 2 && picture <= 7;  // the HBMMENU_MBAR_ pictures
}

// Menu text shows "&" as a mnemonic mark: a title keeps its own as "&&".
std::u16string Escaped(const std::u16string& text) {
  std::u16string out;
  for (char16_t c : text) {
    if (c == u'&') out += u'&';
    out += c;
  }
  return out;
}

// A pop-up with the same items as the child's window menu, so that the frame's menu can
// own (and destroy) it while the child keeps its own.
HMENU CopyOfMenu(HMENU source) {
  HMENU copy = CreatePopupMenu();
  const int count = source ? GetMenuItemCount(source) : 0;
  for (int i = 0; i < count; ++i) {
    std::array<char16_t, 256> text{};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_DATA;
    mii.dwTypeData = text.data();
    mii.cch = static_cast<UINT>(text.size());
    if (!GetMenuItemInfoW(source, static_cast<UINT>(i), TRUE, &mii)) continue;
    mii.dwTypeData = text.data();
    InsertMenuItemW(copy, static_cast<UINT>(i), TRUE, &mii);
  }
  return copy;
}

void AppendButton(HMENU menu, UINT id, HBITMAP picture, bool disabled, bool first) {
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_ID | MIIM_BITMAP | MIIM_FTYPE | MIIM_STATE;
  mii.fType = first ? MFT_RIGHTJUSTIFY : 0;
  mii.fState = disabled ? MFS_GRAYED : MFS_ENABLED;
  mii.wID = id;
  mii.hbmpItem = picture;
  InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &mii);
}

}  // namespace

HMENU MdiClient::SetMenus(HMENU frameMenu, HMENU windowMenu) {
  HWND frame = Frame();
  HMENU old = GetMenu(frame);
  Unmerge();
  if (windowMenu && windowMenu != windowMenu_) {
    if (windowMenu_ && IsMenu(windowMenu_)) RemoveWindowList(windowMenu_);
    windowMenu_ = windowMenu;
  }
  if (frameMenu && frameMenu != old) SetMenu(frame, frameMenu);
  RefreshWindowMenu();
  SyncMaximized();
  return old;
}

// Takes out the children's items (and the separator that led them) wherever they are.
void MdiClient::RemoveWindowList(HMENU menu) {
  int removedAt = -1;
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
    const ItemFacts item = ItemAt(menu, i);
    if (!item.submenu && item.id >= firstChildId_ && item.id <= firstChildId_ + kListedChildren) {
      DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
      removedAt = i;
    }
  }
  const int count = GetMenuItemCount(menu);
  if (removedAt > 0 && removedAt == count && (ItemAt(menu, count - 1).type & MFT_SEPARATOR))
    DeleteMenu(menu, static_cast<UINT>(count - 1), MF_BYPOSITION);
}

void MdiClient::RefreshWindowMenu() {
  if (destroying_ || !windowMenu_ || !IsMenu(windowMenu_)) return;
  RemoveWindowList(windowMenu_);
  std::vector<HWND> listed;
  for (HWND h : Children())
    if (IsWindowVisible(h)) listed.push_back(h);
  if (listed.empty()) return;
  if (GetMenuItemCount(windowMenu_) > 0) AppendMenuW(windowMenu_, MF_SEPARATOR, 0, nullptr);
  HWND active = Active();
  for (size_t i = 0; i < listed.size() && i < kListedChildren; ++i) {
    const std::u16string text =
        u"&" + std::u16string(1, static_cast<char16_t>(u'1' + i)) + u" " + Escaped(TextOf(listed[i]));
    const auto id = static_cast<UINT_PTR>(GetWindowLongPtrW(listed[i], GWLP_ID));
    AppendMenuW(windowMenu_, MF_STRING | (listed[i] == active ? MF_CHECKED : MF_UNCHECKED), id, text.c_str());
  }
  if (listed.size() > kListedChildren)
    AppendMenuW(windowMenu_, MF_STRING, firstChildId_ + kListedChildren, u"&More Windows...");
}

void MdiClient::Merge(HWND child) {
  mergedChild_ = child;
  HWND frame = Frame();
  HMENU menu = GetMenu(frame);
  mergedMenu_ = menu;
  if (!menu) return;
  const DWORD style = StyleOf(child);
  HMENU system = (style & WS_SYSMENU) ? GetSystemMenu(child, FALSE) : nullptr;
  mergedSystem_ = CopyOfMenu(system);
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_SUBMENU | MIIM_BITMAP | MIIM_DATA;
  mii.hSubMenu = mergedSystem_;
  mii.hbmpItem = HBMMENU_SYSTEM;
  mii.dwItemData = reinterpret_cast<ULONG_PTR>(child);
  if (!InsertMenuItemW(menu, 0, TRUE, &mii)) {
    DestroyMenu(mergedSystem_);
    mergedSystem_ = nullptr;
  }
  const UINT closeState = system ? GetMenuState(system, SC_CLOSE, MF_BYCOMMAND) : MF_GRAYED;
  const bool closeDisabled = closeState == static_cast<UINT>(-1) || (closeState & (MF_GRAYED | MF_DISABLED));
  const bool minimizeDisabled = !(style & WS_MINIMIZEBOX);
  AppendButton(menu, SC_MINIMIZE, minimizeDisabled ? HBMMENU_MBAR_MINIMIZE_D : HBMMENU_MBAR_MINIMIZE, minimizeDisabled,
               true);
  AppendButton(menu, SC_RESTORE, HBMMENU_MBAR_RESTORE, false, false);
  AppendButton(menu, SC_CLOSE, closeDisabled ? HBMMENU_MBAR_CLOSE_D : HBMMENU_MBAR_CLOSE, closeDisabled, false);
  DrawMenuBar(frame);
}

void MdiClient::Unmerge() {
  if (!mergedChild_) return;
  HMENU menu = mergedMenu_;
  if (menu && IsMenu(menu)) {
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
      const ItemFacts item = ItemAt(menu, i);
      if ((mergedSystem_ && item.submenu == mergedSystem_) || IsBarButton(item))
        DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
    }
    HWND frame = Frame();
    if (IsWindow(frame) && GetMenu(frame) == menu) DrawMenuBar(frame);
  }
  mergedChild_ = nullptr;
  mergedMenu_ = nullptr;
  mergedSystem_ = nullptr;
}

void MdiClient::FrameTitleChanged(const std::u16string& title) {
  frameTitle_ = title;
  frameTitleKnown_ = true;
  ShowFrameTitle();
}

// The frame keeps its own title; with a maximised child the caption shows
// "Frame - [Child]". The text goes in without WM_SETTEXT, which would make the composed
// title the frame's own.
void MdiClient::ShowFrameTitle() {
  HWND frame = Frame();
  if (!frameTitleKnown_ || !IsWindow(frame)) return;
  std::u16string text = frameTitle_;
  if (HWND maximized = Maximized()) {
    const std::u16string child = TextOf(maximized);
    if (!child.empty()) text += u" - [" + child + u"]";
  }
  if (TextOf(frame) == text) return;
  DefWindowProcW(frame, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendMessageW(frame, WM_NCPAINT, 1, 0);
}

}  // namespace kx2::user32

// The system's menu loop: one modal run of menu selection on the UI thread, from a click
// on the menu bar, a menu key or a tracked pop-up until a command is chosen or the menu is
// dismissed. It holds the capture, filters the thread's messages, moves the selection with
// the mouse and the keys, opens and closes sub-menus on the menu delay of the platform
// clock, and sends the owner its notifications in this order: WM_ENTERMENULOOP,
// WM_INITMENU, then WM_INITMENUPOPUP / WM_MENUSELECT / WM_MENUCHAR / WM_ENTERIDLE /
// WM_UNINITMENUPOPUP as the run goes, WM_MENUSELECT (0xFFFF, 0) and WM_EXITMENULOOP at the
// end, and last the command (WM_COMMAND posted, WM_MENUCOMMAND or WM_SYSCOMMAND sent).
#pragma once

#include <memory>
#include <vector>

#include "MenuItems.h"
#include "MenuPopupDraw.h"

namespace kx2::user32 {

class MenuLoop;

constexpr UINT_PTR kMenuOpenTimer = 2764;
constexpr UINT_PTR kMenuCloseTimer = 2747;

// One level of a running menu: a pop-up in a "#32768" window, the owner's menu bar, or
// the owner's window menu standing on its caption icon (a bar of one item).
struct MenuLevel {
  MenuLevel(MenuLoop* loop, HWND owner) : loop(loop), owner(owner) {}
  ~MenuLevel();
  MenuLevel(const MenuLevel&) = delete;
  MenuLevel& operator=(const MenuLevel&) = delete;

  MenuLoop* loop;
  HWND owner;
  HMENU menu = nullptr;
  HWND hwnd = nullptr;  // the pop-up's window; the owner for a bar
  bool bar = false, system = false;
  PopupLayout layout;  // pop-ups
  int selected = -1, opened = -1;
  bool reclick = false, dropDown = false, closePending = false, notified = false, droppedLeft = false;
  UINT_PTR openTimer = 0, closeTimer = 0;
  std::unique_ptr<MenuLevel> child;
  MenuLevel* parent = nullptr;

  int Count() const;
  MenuItemFacts Item(int index) const;
  HMENU Submenu(int index) const;
  // Item rectangles on the screen.
  std::vector<RECT> ScreenItems() const;
  int ItemAt(POINT screen) const;
};

class MenuLoop {
 public:
  explicit MenuLoop(HWND owner);
  ~MenuLoop();
  MenuLoop(const MenuLoop&) = delete;
  MenuLoop& operator=(const MenuLoop&) = delete;

  // A pop-up at a point (TrackPopupMenuEx): the command with TPM_RETURNCMD, else 1; 0
  // when it could not be shown.
  UINT_PTR Track(HMENU menu, UINT flags, int x, int y, const RECT* exclude);
  // The menu bar's run, or the window menu's where there is no bar: false when the window
  // has neither.
  bool AttachMenuBar();
  // SC_KEYMENU: ch is the character typed with Alt, 0 for Alt or F10 alone.
  void KeyMenu(WCHAR ch);
  // SC_MOUSEMENU: the press at the cursor is taken as the run's first message.
  void MouseMenu();
  // EndMenu from the owner's handlers: the run ends at its next turn.
  void RequestEnd() { endRequested_ = true; }
  HWND CaptureWindow() const { return captureWindow_; }
  // The screen rectangle of an item of a menu this run shows.
  bool ItemRect(HMENU menu, int index, RECT* out) const;

  // The run on this thread, innermost first.
  static MenuLoop* Active();
  MenuLoop* Outer() const { return outer_; }

  // Used by the levels.
  HWND Owner() const { return owner_; }

 private:
  struct Hit {
    MenuLevel* level = nullptr;
    int index = -1;
  };

  void Attach(std::unique_ptr<MenuLevel> root);
  void Start(bool keyboard);
  void RunLoop(bool mousePress);
  bool FilterMessage(const MSG& msg, bool queued);
  void RemovePress(const MSG& msg, bool queued);
  void EndMenu(UINT message = 0, WPARAM wParam = 0, LPARAM lParam = 0);

  Hit HitTest(POINT pt) const;
  Hit HitLevel(POINT pt, MenuLevel* level) const;
  Hit HitItems(POINT pt, MenuLevel* level) const;
  MenuLevel* Deepest() const;
  MenuLevel* Other(const MenuLevel* level) const;
  MenuLevel* LevelOfWindow(HWND hwnd) const;

  int NextItem(const MenuLevel* m, int index, bool forward, bool noWrap) const;
  bool Skipped(const MenuLevel* m, int index) const;
  void Select(MenuLevel* m, int index);
  void NotifySelect(MenuLevel* m);
  void Invalidate(MenuLevel* m);
  bool StartCloseTimer(MenuLevel* m);
  bool StartOpenTimer(MenuLevel* m);
  void KillOpenTimer(MenuLevel* m);
  void KillCloseTimer(MenuLevel* m);
  HWND OpenSubmenu(MenuLevel* m);
  void CloseSubmenus(MenuLevel* m);
  bool CloseChildSelection(MenuLevel* m);
  void Click(MenuLevel* m, int index, bool button);
  void MouseMove(POINT pt);
  void ButtonUp(MenuLevel* m, int index);
  void DoubleClick(MenuLevel* m, int index);
  void OnKey(MenuLevel* m, UINT key);
  void OnLeftRight(MenuLevel* m, bool right);
  int FindMnemonic(const MenuLevel* m, WCHAR ch, int start) const;
  void OnChar(MenuLevel* m, WCHAR ch);
  void SwapRoots();
  void Execute(HMENU menu, int position, bool system);
  bool ShowPopup(MenuLevel* popup, POINT at);
  std::unique_ptr<MenuLevel> MakeSystemBar(HMENU systemMenu);
  bool Send(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);

  HWND owner_;
  MenuLoop* outer_;
  std::unique_ptr<MenuLevel> root_, alternate_;
  bool keyboard_ = false, buttonDown_ = false, inLoop_ = false, ending_ = false, started_ = false;
  bool notifyByPosition_ = false, noNotify_ = false, rightButton_ = false, returnCommand_ = false;
  bool ignoreFirstUp_ = false, endRequested_ = false;
  HWND captureWindow_ = nullptr;
  POINT lastMouse_{INT32_MIN, INT32_MIN};
  WPARAM resultCommand_ = 0;
  UINT showDelay_ = 400;
};

}  // namespace kx2::user32

// One modal run of menu selection with skinned menus, in place of the system's menu loop:
// from a click on a skinned menu bar, the menu keys, or a popup tracked at a point, until a
// command is chosen or the menu is dismissed. It holds the capture, pumps and filters the
// thread's messages, moves the selection with the mouse and the keys, opens and closes
// submenus on the system's menu delay, plays the menu sounds, and sends the owner the
// notifications the system's loop sends, in the same order, then the command.
#pragma once

#include <memory>
#include <vector>

#include <win/gdi.h>
#include <win/types.h>
#include <win/user.h>

#include "ornatex/export.h"

class CKtkSkinPopupMenu;
class CKtkSkinPopupMenuItem;
class CKtkSkinManagerMetrics;
class CKtkSkinManagerSchema;

class ORNATEX_API CKtkSkinMenuLoop {
 public:
  // A loop for the owner's run (null when it cannot be made); freed with Free.
  static CKtkSkinMenuLoop* Create(HWND owner);
  void Free();

  // Takes a reference on the root and sends WM_ENTERMENULOOP.
  void Attach(CKtkSkinPopupMenu* root);
  // Captures the owner and sends WM_INITMENU; a menu bar gets the system menu beside it.
  BOOL Start(BOOL keyboard);
  // The menu shown at a point, as TrackPopupMenuEx does: the command with TPM_RETURNCMD,
  // else 1; 0 when nothing could be shown.
  UINT_PTR Track(HMENU menu, UINT flags, int x, int y, HWND owner, const RECT* exclusion);
  // SC_KEYMENU: the character typed with Alt, 0 for Alt or F10 alone.
  void KeyMenu(WCHAR ch);
  // The modal loop; a run not yet started (SC_MOUSEMENU) starts here and takes the press
  // at the cursor on a menu bar as arrived.
  void RunLoop(LPARAM param);

  // The run's operations (public for the menu objects and tests).
  BOOL FilterMessage(const MSG& msg);
  // The menu and item under a screen point, deepest popups first (null, -1: none).
  CKtkSkinPopupMenu* HitTest(POINT point, int* index);
  int NextItem(CKtkSkinPopupMenu* menu, int index, BOOL forward, BOOL noWrap);
  CKtkSkinPopupMenuItem* Select(CKtkSkinPopupMenu* menu, int index);
  void NotifySelect(CKtkSkinPopupMenu* menu);
  BOOL StartCloseTimer(CKtkSkinPopupMenu* menu);
  BOOL StartOpenTimer(CKtkSkinPopupMenu* menu);
  HWND OpenSubmenu(CKtkSkinPopupMenu* menu);
  void CloseSubmenus(CKtkSkinPopupMenu* menu);
  BOOL CloseChildSelection(CKtkSkinPopupMenu* menu);
  void Click(CKtkSkinPopupMenu* menu, int index, BOOL button);
  void MouseMove(POINT point);
  void ButtonUp(CKtkSkinPopupMenu* menu, int index);
  void DoubleClick(CKtkSkinPopupMenu* menu, int index);
  void OnKey(CKtkSkinPopupMenu* menu, UINT key);
  int FindMnemonic(CKtkSkinPopupMenu* menu, WCHAR ch, int start);
  void OnChar(CKtkSkinPopupMenu* menu, WCHAR ch);
  void SwapRoots();
  void Execute(HMENU menu, int position);
  void EndMenu(UINT message = 0, WPARAM wParam = 0, LPARAM lParam = 0);
  CKtkSkinPopupMenu* Deepest() const;

  // What painting reads: the run's schema metrics (the system's without a skin) and the
  // menu font, plain or bold.
  CKtkSkinManagerMetrics* GetMetrics() const;
  HFONT GetMenuFont(BOOL bold);
  CKtkSkinManagerSchema* GetSchema() const { return m_pSchema; }

  BOOL m_bKeyboardMode = FALSE;
  BOOL m_bButtonDown = FALSE;
  BOOL m_bInLoop = FALSE;
  BOOL m_bEnding = FALSE;
  HWND m_hCaptureWindow = nullptr;
  HWND m_hOwner = nullptr;
  CKtkSkinPopupMenu* m_pRoot = nullptr;
  CKtkSkinPopupMenu* m_pAlternateRoot = nullptr;
  BOOL m_bNotifyByPosition = FALSE;
  BOOL m_bNoNotify = FALSE;
  POINT m_lastMouse{INT32_MIN, INT32_MIN};
  BOOL m_bStarted = FALSE;
  BOOL m_bRightButton = FALSE;
  WPARAM m_resultCommand = 0;
  BOOL m_bReturnCommand = FALSE;
  BOOL m_bIgnoreFirstButtonUp = FALSE;
  UINT m_nShowDelay = 400;

 private:
  explicit CKtkSkinMenuLoop(HWND owner);
  ~CKtkSkinMenuLoop();
  CKtkSkinMenuLoop(const CKtkSkinMenuLoop&) = delete;
  CKtkSkinMenuLoop& operator=(const CKtkSkinMenuLoop&) = delete;

  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
  BOOL Skipped(CKtkSkinPopupMenu* menu, int index);
  CKtkSkinPopupMenu* HitMenu(POINT point, CKtkSkinPopupMenu* menu, int* index);
  CKtkSkinPopupMenu* HitBarItems(POINT point, CKtkSkinPopupMenu* menu, int* index);
  CKtkSkinPopupMenu* OtherRoot(CKtkSkinPopupMenu* menu) const;
  CKtkSkinPopupMenu* MenuOfWindow(HWND window) const;
  void KillOpenTimer(CKtkSkinPopupMenu* menu);
  void KillCloseTimer(CKtkSkinPopupMenu* menu);
  void LeftRight(CKtkSkinPopupMenu* menu, BOOL right);
  // Shows a popup at a point, topmost and without activation.
  void ShowPopup(CKtkSkinPopupMenu* popup, POINT at, SIZE size);
  // The popup window goes at once; the object itself only when the message being handled
  // is done, so that the handlers up the stack never hold a freed menu.
  void Retire(CKtkSkinPopupMenu* popup);
  void ReleaseRetired();
  // The press at the head of the queue, when it is this one, is taken out.
  void RemovePress(const MSG& msg);

  CKtkSkinPopupMenu* m_pAttached = nullptr;      // the root Attach took a reference on
  CKtkSkinPopupMenu* m_pSystemObject = nullptr;  // the system menu Start made
  CKtkSkinManagerSchema* m_pSchema = nullptr;    // one reference held
  std::unique_ptr<CKtkSkinManagerMetrics> m_ownMetrics;
  HFONT m_hOwnFont = nullptr;
  HFONT m_hBoldFont = nullptr;
  std::vector<CKtkSkinPopupMenu*> m_retired;
};

// One level of a menu being shown in the skin's style: a dropped-down popup in a window of
// its own ("KtkSkinManagerMenu"), the menu bar of a skinned frame, or the system menu on
// the caption icon. It measures, lays out and paints the menu's items (themed from the
// skin's "MENU" class, or classic and flat) and places itself on the screen. The menu
// stays the application's: every item property is read from the live menu by position.
// Selection, timers, keys and the mouse belong to the menu loop that drives it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <win/afx.h>
#include <win/gdi.h>
#include <win/menu.h>
#include <win/types.h>

#include "ornatex/export.h"

class CKtkSkinMenuLoop;
class CKtkSkinPopupMenu;
class CKtkSkinManagerClass;
class CKtkSkinManagerMetrics;

// The skin's "MENU" parts (visual-style numbers).
#define KTK_MENU_POPUPBACKGROUND 9
#define KTK_MENU_POPUPBORDERS 10
#define KTK_MENU_POPUPCHECK 11
#define KTK_MENU_POPUPCHECKBACKGROUND 12
#define KTK_MENU_POPUPGUTTER 13
#define KTK_MENU_POPUPITEM 14
#define KTK_MENU_POPUPSEPARATOR 15
#define KTK_MENU_POPUPSUBMENU 16
#define KTK_MENU_SYSTEMCLOSE 17
#define KTK_MENU_SYSTEMMAXIMIZE 18
#define KTK_MENU_SYSTEMMINIMIZE 19
#define KTK_MENU_SYSTEMRESTORE 20

// The loop's timers on a popup's window (on the frame's window for a menu bar).
#define KTK_MENU_CLOSE_TIMER 2747
#define KTK_MENU_OPEN_TIMER 2764

// One position of the menu: its rectangle (client coordinates of the popup; window
// coordinates of the frame for a menu bar) and what it reads of the live item.
class ORNATEX_API CKtkSkinPopupMenuItem {
 public:
  CKtkSkinPopupMenuItem(CKtkSkinPopupMenu* popup, HMENU menu, int position);

  // The whole system menu for the caption-icon item, else the item's own.
  HMENU GetSubMenu() const;
  UINT GetID() const;
  ULONG_PTR GetItemData() const;
  UINT GetType() const;
  // Always 0 for the caption-icon item.
  UINT GetState() const;
  std::u16string GetText() const;
  // hbmpItem; none on Windows 95 and NT 4.0.
  HBITMAP GetItemBitmap() const;
  HBITMAP GetCheckBitmap(BOOL checked) const;

  BOOL IsSeparator() const { return (GetType() & MFT_SEPARATOR) != 0; }
  BOOL IsOwnerDrawn() const { return (GetType() & MFT_OWNERDRAW) != 0; }
  BOOL IsEnabled() const { return (GetState() & 3) == 0; }
  BOOL IsChecked() const { return (GetState() & MFS_CHECKED) != 0; }
  BOOL IsDefault() const { return (GetState() & MFS_DEFAULT) != 0; }
  // The buttons of a maximised MDI child on its frame's bar.
  BOOL IsMdiButton() const;
  // An item bitmap that is a handle rather than one of the HBMMENU_ pictures.
  BOOL HasRealBitmap() const { return reinterpret_cast<uintptr_t>(GetItemBitmap()) > 0xFFFF; }
  // The rectangle on the screen (mirrored in a right-to-left window).
  RECT GetScreenRect() const;

  RECT m_rect{};
  int m_nPosition;
  HMENU m_hMenu;
  CKtkSkinPopupMenu* m_pPopup;

 private:
  // GetMenuItemInfoW by position with this build's record size.
  BOOL Read(UINT mask, MENUITEMINFOW* info) const;
  BOOL IsSystemIcon() const;
};

class ORNATEX_API CKtkSkinPopupMenu : public CWnd {
 public:
  CKtkSkinPopupMenu();
  // Destroys its own popup window when one is still there; a menu bar's borrowed handle
  // is let go first.
  ~CKtkSkinPopupMenu() override;

  void RebuildItems();
  // Rebuilds the items when the menu's count changed.
  int GetItemCount();
  CKtkSkinPopupMenuItem* GetItem(int index);
  std::u16string GetItemText(int index);
  // The single caption-icon item of the frame's system menu.
  void UpdateSystemMenuItem();
  // The skin's "MENU" class has popup borders and no item is owner-drawn.
  BOOL IsThemed();
  BOOL CreatePopupWindow(HWND owner);
  // WM_NCPAINT to the frame of a menu bar; the whole popup window otherwise.
  void Invalidate();
  // The popup window's size for the current items.
  SIZE Layout();
  // The popup's client painted into dc (what WM_PAINT draws through its buffer).
  void Paint(HDC dc, const RECT& client);
  // Positions for a submenu against its parent item, and for a popup shown at a point
  // (after the alignment flags moved it); both mark the popup dropped left when it is.
  POINT PlaceSubmenu(CKtkSkinPopupMenu* parent, const RECT& item, int width, int height);
  POINT PlaceTrackedPopup(POINT point, int width, int height, UINT flags, const RECT* exclusion);

  // The skin class "MENU" of the owner (its object's schema, else the current one).
  CKtkSkinManagerClass* GetSkinClass();
  CKtkSkinManagerMetrics* GetMetrics() const;
  HFONT GetMenuFont(BOOL bold) const;

  HMENU m_hMenu = nullptr;
  std::vector<std::unique_ptr<CKtkSkinPopupMenuItem>> m_items;
  int m_nSelected = -1;
  int m_nOpenedItem = -1;
  BOOL m_bMenuBar = FALSE;
  BOOL m_bSystemMenu = FALSE;
  BOOL m_bReClick = FALSE;
  BOOL m_bDropDown = FALSE;
  BOOL m_bClosePending = FALSE;
  BOOL m_bPopupNotified = FALSE;
  BOOL m_bDroppedLeft = FALSE;
  HWND m_hOwner = nullptr;
  int m_nCheckWidth = 17;
  CKtkSkinMenuLoop* m_pLoop = nullptr;
  UINT_PTR m_nCloseTimer = 0;
  UINT_PTR m_nOpenTimer = 0;
  CKtkSkinPopupMenu* m_pChild = nullptr;
  CKtkSkinPopupMenu* m_pParent = nullptr;

 protected:
  LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

 private:
  int CountOfMenu() const;
};

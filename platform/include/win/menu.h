// Menus: handles to lists of items (text, command id, flags, pop-up sub-menu), built in
// code or from the Win32 menu template (a resource of type RT_MENU, or a template in
// memory). The menu objects live in the platform; libKx2User32.so shows them (the menu
// bar of the classic frame, pop-up menus and the menu loop, declared at the end).
//
// Templates: the standard form (version 0): a header {WORD version, WORD offset}, then
// from offset bytes after the header the items, each {WORD flags, WORD id (absent for
// MF_POPUP), UTF-16 text with terminator}; MF_POPUP items are followed by their
// children; MF_END marks the last item of each level. An item without text and with id 0
// is a separator. The extended form (version 1, MENUEX): a header {WORD version, WORD
// offset, DWORD help id}, the items from 4 + offset bytes, each {DWORD type, DWORD state,
// DWORD id, WORD flags (0x80 last, 0x01 pop-up), UTF-16 text with terminator} padded to a
// DWORD boundary of the template, a pop-up's help id (DWORD) and then its children. The
// extended form is read only where the template's size is known (resources,
// Kx2LoadMenuTemplate in kx2/MenuTemplate.h).
#pragma once

#include "win/errors.h"
#include "win/types.h"

#ifndef ERROR_MENU_ITEM_NOT_FOUND
#define ERROR_MENU_ITEM_NOT_FOUND 1456L
#endif

#define MF_INSERT 0x00000000L
#define MF_CHANGE 0x00000080L
#define MF_APPEND 0x00000100L
#define MF_DELETE 0x00000200L
#define MF_REMOVE 0x00001000L
#define MF_BYCOMMAND 0x00000000L
#define MF_BYPOSITION 0x00000400L
#define MF_SEPARATOR 0x00000800L
#define MF_ENABLED 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_UNCHECKED 0x00000000L
#define MF_CHECKED 0x00000008L
#define MF_USECHECKBITMAPS 0x00000200L
#define MF_STRING 0x00000000L
#define MF_BITMAP 0x00000004L
#define MF_OWNERDRAW 0x00000100L
#define MF_POPUP 0x00000010L
#define MF_MENUBARBREAK 0x00000020L
#define MF_MENUBREAK 0x00000040L
#define MF_UNHILITE 0x00000000L
#define MF_HILITE 0x00000080L
#define MF_DEFAULT 0x00001000L
#define MF_RIGHTJUSTIFY 0x00004000L
#define MF_END 0x00000080L  // in templates only

struct MENUITEMTEMPLATEHEADER {
  WORD versionNumber;
  WORD offset;
};
struct MENUITEMTEMPLATE {
  WORD mtOption;
  WORD mtID;
  WCHAR mtString[1];
};
typedef void MENUTEMPLATEW;
typedef void* LPMENUTEMPLATEW;

KX2_EXPORT HMENU CreateMenu();
KX2_EXPORT HMENU CreatePopupMenu();
// Destroys the menu and its sub-menus.
KX2_EXPORT BOOL DestroyMenu(HMENU hMenu);
KX2_EXPORT BOOL IsMenu(HMENU hMenu);
// uIDNewItem is the sub-menu's handle for MF_POPUP; the menu then owns the sub-menu.
KX2_EXPORT BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem);

// ERROR_INVALID_PARAMETER for a template that is not of the standard form or whose items
// do not end; the template is read up to its last MF_END item only. Without a size the
// extended form is not read: its pop-up records would carry the read past a buffer that
// only claims to be extended.
KX2_EXPORT HMENU LoadMenuIndirectW(const MENUTEMPLATEW* lpMenuTemplate);
// The RT_MENU resource of the module, standard or extended (read within the resource's
// size; a malformed one fails with ERROR_INVALID_PARAMETER).
KX2_EXPORT HMENU LoadMenuW(HINSTANCE hInstance, LPCWSTR lpMenuName);

// -1 for an invalid menu.
KX2_EXPORT int GetMenuItemCount(HMENU hMenu);
// The command id at a position; -1 (as UINT) for a pop-up item or no item.
KX2_EXPORT UINT GetMenuItemID(HMENU hMenu, int nPos);
KX2_EXPORT HMENU GetSubMenu(HMENU hMenu, int nPos);
// The item's flags (MF_*); for a pop-up item the sub-menu's item count is in the high
// byte of the low word. -1 (as UINT) when there is no such item.
KX2_EXPORT UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
// Copies the item's text (at most cchMax - 1 units and a terminator); with a null buffer
// returns the length. 0 when there is no such item.
KX2_EXPORT int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int cchMax, UINT flags);

// Check and enable states by command (searching sub-menus too) or by position. Each answers
// the item's previous state, or -1 (as DWORD / UINT) when there is no such item: a command
// that no item carries changes nothing.
KX2_EXPORT DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck);
KX2_EXPORT BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable);
// One item of a menu may be its default (MF_DEFAULT); (UINT)-1 clears it.
#define GMDI_USEDISABLED 0x0001L
#define GMDI_GOINTOPOPUPS 0x0002L
KX2_EXPORT BOOL SetMenuDefaultItem(HMENU hMenu, UINT uItem, UINT fByPos);
// The default item's command (or position with fByPos); -1 (as UINT) when there is none, or
// it is disabled without GMDI_USEDISABLED. GMDI_GOINTOPOPUPS follows a default pop-up.
KX2_EXPORT UINT GetMenuDefaultItem(HMENU hMenu, UINT fByPos, UINT gmdiFlags);

// ---- Item information ----------------------------------------------------------------------
#define MIIM_STATE 0x00000001
#define MIIM_ID 0x00000002
#define MIIM_SUBMENU 0x00000004
#define MIIM_CHECKMARKS 0x00000008
#define MIIM_TYPE 0x00000010
#define MIIM_DATA 0x00000020
#define MIIM_STRING 0x00000040
#define MIIM_BITMAP 0x00000080
#define MIIM_FTYPE 0x00000100

#define MFT_STRING MF_STRING
#define MFT_BITMAP MF_BITMAP
#define MFT_MENUBARBREAK MF_MENUBARBREAK
#define MFT_MENUBREAK MF_MENUBREAK
#define MFT_OWNERDRAW MF_OWNERDRAW
#define MFT_RADIOCHECK 0x00000200L
#define MFT_SEPARATOR MF_SEPARATOR
#define MFT_RIGHTORDER 0x00002000L
#define MFT_RIGHTJUSTIFY MF_RIGHTJUSTIFY
#define MFS_GRAYED 0x00000003L
#define MFS_DISABLED MFS_GRAYED
#define MFS_CHECKED MF_CHECKED
#define MFS_HILITE MF_HILITE
#define MFS_ENABLED MF_ENABLED
#define MFS_UNCHECKED MF_UNCHECKED
#define MFS_UNHILITE MF_UNHILITE
#define MFS_DEFAULT MF_DEFAULT

// This build's layout (pointer-sized handles and data: 80 bytes); the record without its
// last field (hbmpItem), as older callers give it, is taken too.
struct MENUITEMINFOW {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HBITMAP hbmpChecked;
  HBITMAP hbmpUnchecked;
  ULONG_PTR dwItemData;
  LPWSTR dwTypeData;
  UINT cch;
  HBITMAP hbmpItem;
};
typedef MENUITEMINFOW* LPMENUITEMINFOW;
typedef const MENUITEMINFOW* LPCMENUITEMINFOW;

// By command (sub-menus searched) or position. FALSE with ERROR_MENU_ITEM_NOT_FOUND when
// no item answers, ERROR_INVALID_PARAMETER for a record of another size.
KX2_EXPORT BOOL GetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOW lpmii);
KX2_EXPORT BOOL SetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPositon, LPCMENUITEMINFOW lpmii);
// Inserts before the item named (a position past the end appends).
KX2_EXPORT BOOL InsertMenuItemW(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOW lpmi);

// ---- Editing and menu information ------------------------------------------------------------
// Inserts before the item named (a position past the end appends), or changes it; the flags
// and text as AppendMenuW takes them.
KX2_EXPORT BOOL InsertMenuW(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem);
KX2_EXPORT BOOL ModifyMenuW(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem);
// RemoveMenu leaves a pop-up's sub-menu alive for its caller; DeleteMenu destroys it.
KX2_EXPORT BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
KX2_EXPORT BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
// Checks one item of a range with a radio mark and clears the others of that range.
KX2_EXPORT BOOL CheckMenuRadioItem(HMENU hmenu, UINT first, UINT last, UINT check, UINT flags);

#define MIM_MAXHEIGHT 0x00000001
#define MIM_BACKGROUND 0x00000002
#define MIM_HELPID 0x00000004
#define MIM_MENUDATA 0x00000008
#define MIM_STYLE 0x00000010
#define MIM_APPLYTOSUBMENUS 0x80000000
#define MNS_NOCHECK 0x80000000
#define MNS_MODELESS 0x40000000
#define MNS_DRAGDROP 0x20000000
#define MNS_AUTODISMISS 0x10000000
#define MNS_NOTIFYBYPOS 0x08000000
#define MNS_CHECKORBMP 0x04000000
struct MENUINFO {
  DWORD cbSize;
  DWORD fMask;
  DWORD dwStyle;
  UINT cyMax;
  HBRUSH hbrBack;
  DWORD dwContextHelpID;
  ULONG_PTR dwMenuData;
};
typedef MENUINFO* LPMENUINFO;
typedef const MENUINFO* LPCMENUINFO;
KX2_EXPORT BOOL GetMenuInfo(HMENU hMenu, LPMENUINFO lpcmi);
// MIM_APPLYTOSUBMENUS carries the settings down to every sub-menu.
KX2_EXPORT BOOL SetMenuInfo(HMENU hMenu, LPCMENUINFO lpcmi);

// ---- A window's menu bar -------------------------------------------------------------------------
#ifndef ERROR_INVALID_MENU_HANDLE
#define ERROR_INVALID_MENU_HANDLE 1401L
#endif
#ifndef ERROR_CHILD_WINDOW_MENU
#define ERROR_CHILD_WINDOW_MENU 1436L
#endif
// Top-level windows only; the frame makes room for the bar and redraws. The old menu is
// not destroyed; the menu a window holds is destroyed with the window.
KX2_EXPORT HMENU GetMenu(HWND hWnd);
KX2_EXPORT BOOL SetMenu(HWND hWnd, HMENU hMenu);
KX2_EXPORT BOOL DrawMenuBar(HWND hWnd);
// The window menu of this window: its own copy (Restore, Move, Size, Minimize, Maximize,
// Close, as SC_ commands) made on first request, the items its style does not allow greyed.
// bRevert drops the copy and answers null.
KX2_EXPORT HMENU GetSystemMenu(HWND hWnd, BOOL bRevert);

// ---- Showing menus: pop-up menus and the menu loop (libKx2User32.so) --------------------------
// Item bitmaps below 0x10000 are these predefined pictures, anything above a bitmap handle.
#define HBMMENU_CALLBACK (reinterpret_cast<HBITMAP>(static_cast<intptr_t>(-1)))
#define HBMMENU_SYSTEM (reinterpret_cast<HBITMAP>(1))
#define HBMMENU_MBAR_RESTORE (reinterpret_cast<HBITMAP>(2))
#define HBMMENU_MBAR_MINIMIZE (reinterpret_cast<HBITMAP>(3))
#define HBMMENU_MBAR_CLOSE (reinterpret_cast<HBITMAP>(5))
#define HBMMENU_MBAR_CLOSE_D (reinterpret_cast<HBITMAP>(6))
#define HBMMENU_MBAR_MINIMIZE_D (reinterpret_cast<HBITMAP>(7))
#define HBMMENU_POPUP_CLOSE (reinterpret_cast<HBITMAP>(8))
#define HBMMENU_POPUP_RESTORE (reinterpret_cast<HBITMAP>(9))
#define HBMMENU_POPUP_MAXIMIZE (reinterpret_cast<HBITMAP>(10))
#define HBMMENU_POPUP_MINIMIZE (reinterpret_cast<HBITMAP>(11))

// WM_MENUSELECT's flags beside the item's own.
#define MF_SYSMENU 0x00002000L
#define MF_HELP 0x00004000L
#define MF_MOUSESELECT 0x00008000L

#define TPM_LEFTBUTTON 0x0000L
#define TPM_RIGHTBUTTON 0x0002L
#define TPM_LEFTALIGN 0x0000L
#define TPM_CENTERALIGN 0x0004L
#define TPM_RIGHTALIGN 0x0008L
#define TPM_TOPALIGN 0x0000L
#define TPM_VCENTERALIGN 0x0010L
#define TPM_BOTTOMALIGN 0x0020L
#define TPM_HORIZONTAL 0x0000L
#define TPM_VERTICAL 0x0040L
#define TPM_NONOTIFY 0x0080L
#define TPM_RETURNCMD 0x0100L
#define TPM_RECURSE 0x0001L
#define TPM_SYSTEMMENU 0x0200L  // the menu is the window's system menu: WM_SYSCOMMAND is sent
#define TPM_HORPOSANIMATION 0x0400L
#define TPM_HORNEGANIMATION 0x0800L
#define TPM_VERPOSANIMATION 0x1000L
#define TPM_VERNEGANIMATION 0x2000L
#define TPM_NOANIMATION 0x4000L
#define TPM_LAYOUTRTL 0x8000L
#define TPM_WORKAREA 0x10000L

struct TPMPARAMS {
  UINT cbSize;
  RECT rcExclude;
};
typedef TPMPARAMS* LPTPMPARAMS;

// WM_MENUCHAR answers, in the high word (the low word is an item position).
#define MNC_IGNORE 0
#define MNC_CLOSE 1
#define MNC_EXECUTE 2
#define MNC_SELECT 3
#ifndef MSGF_MENU
#define MSGF_MENU 2
#endif
#ifndef WM_MENUCOMMAND
#define WM_MENUCOMMAND 0x0126
#endif
// The menu a "#32768" pop-up window shows.
#define MN_GETHMENU 0x01E1
#ifndef ERROR_POPUP_ALREADY_ACTIVE
#define ERROR_POPUP_ALREADY_ACTIVE 1446L
#endif

// Shows a pop-up menu at (x, y) (screen) for hWnd, a window of the calling thread, and runs
// the menu loop until an item is chosen or the menu dismissed. The owner gets
// WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_MENUSELECT, WM_MENUCHAR,
// WM_ENTERIDLE, WM_UNINITMENUPOPUP and WM_EXITMENULOOP (none with TPM_NONOTIFY); the chosen
// command is posted as WM_COMMAND (sent as WM_MENUCOMMAND for MNS_NOTIFYBYPOS menus, as
// WM_SYSCOMMAND with TPM_SYSTEMMENU). With TPM_RETURNCMD nothing is delivered and the
// command is returned (0 when none was chosen); otherwise non-zero on success. A menu is
// already running on the thread: fails with ERROR_POPUP_ALREADY_ACTIVE unless
// TPM_RECURSE. lptpm's rectangle (screen) is kept clear where the screen leaves room.
KX2_EXPORT BOOL TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd, LPTPMPARAMS lptpm);
// nReserved must be 0; prcRect is ignored.
KX2_EXPORT BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int nReserved, HWND hWnd, const RECT* prcRect);
// Ends the menu loop running on the calling thread, without a command.
KX2_EXPORT BOOL EndMenu();
// An item's rectangle on the screen: of hWnd's menu bar, or of a pop-up the running menu
// loop shows. FALSE when the menu is not shown or has no such item.
KX2_EXPORT BOOL GetMenuItemRect(HWND hWnd, HMENU hMenu, UINT uItem, LPRECT lprcItem);

// Menus: handles to lists of items (text, command id, flags, pop-up sub-menu), built in
// code or from the Win32 menu template (a resource of type RT_MENU, or a template in
// memory). Nothing is drawn; the items are kept for whoever shows them.
//
// Templates: the standard form (version 0): a header {WORD version, WORD offset}, then
// from offset bytes after the header the items, each {WORD flags, WORD id (absent for
// MF_POPUP), UTF-16 text with terminator}; MF_POPUP items are followed by their
// children; MF_END marks the last item of each level. An item without text and with id 0
// is a separator. The extended form (version 1) is refused.
#pragma once

#include "win/errors.h"
#include "win/types.h"

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
// do not end; the template is read up to its last MF_END item only.
KX2_EXPORT HMENU LoadMenuIndirectW(const MENUTEMPLATEW* lpMenuTemplate);
// The RT_MENU resource of the module (read within the resource's size).
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

// What one position of a skinned menu reads of the live item, each time it is asked.
#include <win/user.h>

#include "ornatex/core/platform_version.h"
#include "ornatex/menu/popup_menu.h"

CKtkSkinPopupMenuItem::CKtkSkinPopupMenuItem(CKtkSkinPopupMenu* popup, HMENU menu, int position)
    : m_nPosition(position), m_hMenu(menu), m_pPopup(popup) {}

BOOL CKtkSkinPopupMenuItem::IsSystemIcon() const { return m_pPopup && m_pPopup->m_bMenuBar && m_pPopup->m_bSystemMenu; }

BOOL CKtkSkinPopupMenuItem::Read(UINT mask, MENUITEMINFOW* info) const {
  *info = MENUITEMINFOW{};
  info->cbSize = sizeof(MENUITEMINFOW);
  info->fMask = mask;
  return m_hMenu && ::GetMenuItemInfoW(m_hMenu, static_cast<UINT>(m_nPosition), TRUE, info);
}

HMENU CKtkSkinPopupMenuItem::GetSubMenu() const {
  if (IsSystemIcon()) return m_pPopup->m_hMenu;
  return m_hMenu ? ::GetSubMenu(m_hMenu, m_nPosition) : nullptr;
}

UINT CKtkSkinPopupMenuItem::GetID() const {
  MENUITEMINFOW info;
  return Read(MIIM_ID, &info) ? info.wID : 0;
}

ULONG_PTR CKtkSkinPopupMenuItem::GetItemData() const {
  MENUITEMINFOW info;
  return Read(MIIM_DATA, &info) ? info.dwItemData : 0;
}

UINT CKtkSkinPopupMenuItem::GetType() const {
  MENUITEMINFOW info;
  return Read(MIIM_FTYPE, &info) ? info.fType : 0;
}

UINT CKtkSkinPopupMenuItem::GetState() const {
  if (IsSystemIcon()) return 0;
  MENUITEMINFOW info;
  return Read(MIIM_STATE, &info) ? info.fState : 0;
}

std::u16string CKtkSkinPopupMenuItem::GetText() const {
  if (!m_hMenu) return {};
  char16_t text[257] = {};
  const int n = ::GetMenuStringW(m_hMenu, static_cast<UINT>(m_nPosition), text, 257, MF_BYPOSITION);
  return std::u16string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

HBITMAP CKtkSkinPopupMenuItem::GetItemBitmap() const {
  if (KtkIsWindows95() || KtkIsExactlyNT4()) return nullptr;
  MENUITEMINFOW info;
  return Read(MIIM_BITMAP, &info) ? info.hbmpItem : nullptr;
}

HBITMAP CKtkSkinPopupMenuItem::GetCheckBitmap(BOOL checked) const {
  MENUITEMINFOW info;
  if (!Read(MIIM_CHECKMARKS, &info)) return nullptr;
  return checked ? info.hbmpChecked : info.hbmpUnchecked;
}

BOOL CKtkSkinPopupMenuItem::IsMdiButton() const {
  const UINT id = GetID();
  return id == SC_MINIMIZE || id == SC_CLOSE || id == SC_RESTORE;
}

RECT CKtkSkinPopupMenuItem::GetScreenRect() const {
  RECT window{};
  if (!m_pPopup || !m_pPopup->m_hWnd || !::GetWindowRect(m_pPopup->m_hWnd, &window)) return m_rect;
  if (::GetWindowLongW(m_pPopup->m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)
    return RECT{window.right - m_rect.right, window.top + m_rect.top, window.right - m_rect.left,
                window.top + m_rect.bottom};
  RECT r = m_rect;
  ::OffsetRect(&r, window.left, window.top);
  return r;
}

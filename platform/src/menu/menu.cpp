// Menu objects in the kernel handle table, and the menu template reader.
#include "kx2/ErrorBoundary.h"
#include <win/menu.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <kx2/KernelObject.h>
#include <win/kernel.h>

namespace {

struct MenuItem {
  UINT flags = 0;  // type and state bits (MF_, MFT_, MFS_ share their values)
  UINT_PTR id = 0;
  std::u16string text;
  HMENU popup = nullptr;
  HBITMAP checked = nullptr, unchecked = nullptr, bitmap = nullptr;
  ULONG_PTR data = 0;
};

class Menu final : public kx2::KernelObject {
 public:
  std::vector<MenuItem> items;
  // MENUINFO.
  DWORD style = 0;
  UINT maxHeight = 0;
  HBRUSH background = nullptr;
  DWORD helpId = 0;
  ULONG_PTR data = 0;
};

std::shared_ptr<Menu> Find(HMENU menu) { return menu ? kx2::LookupHandleAs<Menu>(menu) : nullptr; }

HMENU NewMenu() {
  try {
    return kx2::InsertHandle(std::make_shared<Menu>());
  } catch (...) {
    kx2::RecordCurrentException();
    return nullptr;
  }
}

void Destroy(HMENU handle, int depth) {
  std::shared_ptr<Menu> menu = Find(handle);
  if (!menu) return;
  kx2::RemoveHandle(handle);
  if (depth > 64) return;
  for (const MenuItem& item : menu->items)
    if (item.popup) Destroy(item.popup, depth + 1);
}

const MenuItem* ItemAt(const Menu& menu, UINT item, UINT flags) {
  if (flags & MF_BYPOSITION) return item < menu.items.size() ? &menu.items[item] : nullptr;
  for (const MenuItem& i : menu.items)
    if (!(i.flags & MF_POPUP) && i.id == item) return &i;
  return nullptr;
}

// The item a command or position names; by command, sub-menus are searched too (depth
// bounded). The menu that holds it is kept alive through `holder`.
MenuItem* FindItem(HMENU handle, UINT item, UINT flags, std::shared_ptr<Menu>* holder, int depth = 0) {
  std::shared_ptr<Menu> menu = Find(handle);
  if (!menu || depth > 64) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (item >= menu->items.size()) return nullptr;
    *holder = menu;
    return &menu->items[item];
  }
  for (MenuItem& i : menu->items) {
    if (!(i.flags & MF_POPUP) && i.id == item) {
      *holder = menu;
      return &i;
    }
    if (i.flags & MF_POPUP)
      if (MenuItem* found = FindItem(i.popup, item, flags, holder, depth + 1)) return found;
  }
  return nullptr;
}

}  // namespace

HMENU CreateMenu() { return NewMenu(); }
HMENU CreatePopupMenu() { return NewMenu(); }

BOOL DestroyMenu(HMENU hMenu) {
  if (!Find(hMenu)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Destroy(hMenu, 0);
  return TRUE;
}

BOOL IsMenu(HMENU hMenu) { return Find(hMenu) ? TRUE : FALSE; }

// MF_APPEND shares its value with MF_OWNERDRAW (as MF_CHANGE with MF_HILITE, MF_REMOVE with
// MF_DEFAULT): in the item calls these bits are the item's own, so appending is inserting
// past the end.
BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  return InsertMenuW(hMenu, static_cast<UINT>(-1), uFlags | MF_BYPOSITION, uIDNewItem, lpNewItem);
}

int GetMenuItemCount(HMENU hMenu) {
  std::shared_ptr<Menu> menu = Find(hMenu);
  if (!menu) {
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  return static_cast<int>(menu->items.size());
}

UINT GetMenuItemID(HMENU hMenu, int nPos) {
  std::shared_ptr<Menu> menu = Find(hMenu);
  if (!menu || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size()) return static_cast<UINT>(-1);
  const MenuItem& item = menu->items[static_cast<size_t>(nPos)];
  return (item.flags & MF_POPUP) ? static_cast<UINT>(-1) : static_cast<UINT>(item.id);
}

HMENU GetSubMenu(HMENU hMenu, int nPos) {
  std::shared_ptr<Menu> menu = Find(hMenu);
  if (!menu || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size()) return nullptr;
  return menu->items[static_cast<size_t>(nPos)].popup;
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
  std::shared_ptr<Menu> menu = Find(hMenu);
  const MenuItem* item = menu ? ItemAt(*menu, uId, uFlags) : nullptr;
  if (!item) return static_cast<UINT>(-1);
  if (item->flags & MF_POPUP) {
    std::shared_ptr<Menu> sub = Find(item->popup);
    const UINT count = sub ? static_cast<UINT>(sub->items.size()) : 0;
    return (count << 8 & 0xFF00) | (item->flags & 0xFF);
  }
  return item->flags;
}

int GetMenuStringW(HMENU hMenu, UINT uIDItem, LPWSTR lpString, int cchMax, UINT flags) {
  std::shared_ptr<Menu> menu = Find(hMenu);
  const MenuItem* item = menu ? ItemAt(*menu, uIDItem, flags) : nullptr;
  if (!item) return 0;
  if (!lpString) return static_cast<int>(item->text.size());
  if (cchMax <= 0) return 0;
  const size_t n = std::min(item->text.size(), static_cast<size_t>(cchMax - 1));
  std::memcpy(lpString, item->text.data(), n * sizeof(char16_t));
  lpString[n] = 0;
  return static_cast<int>(n);
}

DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
  std::shared_ptr<Menu> holder;
  MenuItem* item = FindItem(hMenu, uIDCheckItem, uCheck & MF_BYPOSITION, &holder);
  if (!item) return static_cast<DWORD>(-1);
  const DWORD previous = item->flags & MF_CHECKED;
  item->flags = (item->flags & ~MF_CHECKED) | (uCheck & MF_CHECKED);
  return previous;
}

BOOL EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
  std::shared_ptr<Menu> holder;
  MenuItem* item = FindItem(hMenu, uIDEnableItem, uEnable & MF_BYPOSITION, &holder);
  if (!item) return -1;
  const UINT previous = item->flags & (MF_GRAYED | MF_DISABLED);
  item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED));
  return static_cast<BOOL>(previous);
}

BOOL SetMenuDefaultItem(HMENU hMenu, UINT uItem, UINT fByPos) {
  std::shared_ptr<Menu> menu = Find(hMenu);
  if (!menu) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  MenuItem* chosen = nullptr;
  if (uItem != static_cast<UINT>(-1)) {
    for (size_t i = 0; i < menu->items.size() && !chosen; ++i) {
      MenuItem& candidate = menu->items[i];
      if (fByPos ? i == uItem : (!(candidate.flags & MF_POPUP) && candidate.id == uItem)) chosen = &candidate;
    }
    if (!chosen) return FALSE;
  }
  for (MenuItem& i : menu->items) i.flags &= ~MF_DEFAULT;
  if (chosen) chosen->flags |= MF_DEFAULT;
  return TRUE;
}

UINT GetMenuDefaultItem(HMENU hMenu, UINT fByPos, UINT gmdiFlags) {
  HMENU current = hMenu;
  for (int depth = 0; depth <= 64; ++depth) {
    std::shared_ptr<Menu> menu = Find(current);
    if (!menu) return static_cast<UINT>(-1);
    size_t at = 0;
    while (at < menu->items.size() && !(menu->items[at].flags & MF_DEFAULT)) ++at;
    if (at == menu->items.size()) return static_cast<UINT>(-1);
    const MenuItem& item = menu->items[at];
    if ((item.flags & (MF_GRAYED | MF_DISABLED)) && !(gmdiFlags & GMDI_USEDISABLED)) return static_cast<UINT>(-1);
    if ((item.flags & MF_POPUP) && (gmdiFlags & GMDI_GOINTOPOPUPS)) {
      // A default pop-up with a default of its own gives that; else the pop-up itself.
      const UINT inner = GetMenuDefaultItem(item.popup, fByPos, gmdiFlags & ~GMDI_GOINTOPOPUPS);
      if (inner != static_cast<UINT>(-1)) {
        current = item.popup;
        continue;
      }
    }
    return fByPos ? static_cast<UINT>(at) : static_cast<UINT>(item.id);
  }
  return static_cast<UINT>(-1);
}

namespace {

constexpr UINT kTypeBits = MFT_BITMAP | MFT_MENUBARBREAK | MFT_MENUBREAK | MFT_OWNERDRAW | MFT_RADIOCHECK |
                           MFT_SEPARATOR | MFT_RIGHTORDER | MFT_RIGHTJUSTIFY;
constexpr UINT kStateBits = MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT;

bool SizeAccepted(UINT size) { return size == sizeof(MENUITEMINFOW) || size == offsetof(MENUITEMINFOW, hbmpItem); }

bool HasLastField(UINT size) { return size == sizeof(MENUITEMINFOW); }

// Applies what the record's mask names; false for a sub-menu handle that is not a menu.
bool Apply(MenuItem& item, const MENUITEMINFOW& info) {
  const UINT mask = info.fMask;
  if ((mask & MIIM_SUBMENU) && info.hSubMenu && !Find(info.hSubMenu)) return false;
  if (mask & (MIIM_TYPE | MIIM_FTYPE)) item.flags = (item.flags & ~kTypeBits) | (info.fType & kTypeBits);
  if (mask & MIIM_TYPE) {
    // The old form: the type says whether dwTypeData is text or a bitmap.
    if (info.fType & MFT_BITMAP) {
      item.bitmap = reinterpret_cast<HBITMAP>(info.dwTypeData);
      item.text.clear();
    } else if (!(info.fType & (MFT_SEPARATOR | MFT_OWNERDRAW))) {
      item.text = info.dwTypeData ? std::u16string(info.dwTypeData) : std::u16string();
    }
  }
  if (mask & MIIM_STRING) item.text = info.dwTypeData ? std::u16string(info.dwTypeData) : std::u16string();
  if ((mask & MIIM_BITMAP) && HasLastField(info.cbSize)) item.bitmap = info.hbmpItem;
  if (mask & MIIM_STATE) item.flags = (item.flags & ~kStateBits) | (info.fState & kStateBits);
  if (mask & MIIM_ID) item.id = info.wID;
  if (mask & MIIM_SUBMENU) {
    item.popup = info.hSubMenu;
    if (info.hSubMenu)
      item.flags |= MF_POPUP;
    else
      item.flags &= ~MF_POPUP;
  }
  if (mask & MIIM_CHECKMARKS) item.checked = info.hbmpChecked, item.unchecked = info.hbmpUnchecked;
  if (mask & MIIM_DATA) item.data = info.dwItemData;
  return true;
}

}  // namespace

BOOL GetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOW lpmii) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpmii || !SizeAccepted(lpmii->cbSize)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (!Find(hmenu)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    std::shared_ptr<Menu> holder;
    const MenuItem* found = FindItem(hmenu, item, fByPosition ? MF_BYPOSITION : 0, &holder);
    if (!found) {
      SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
      return FALSE;
    }
    const UINT mask = lpmii->fMask;
    if (mask & (MIIM_TYPE | MIIM_FTYPE)) lpmii->fType = found->flags & kTypeBits;
    if (mask & MIIM_STATE) lpmii->fState = found->flags & kStateBits;
    if (mask & MIIM_ID) lpmii->wID = static_cast<UINT>(found->id);
    if (mask & MIIM_SUBMENU) lpmii->hSubMenu = found->popup;
    if (mask & MIIM_CHECKMARKS) lpmii->hbmpChecked = found->checked, lpmii->hbmpUnchecked = found->unchecked;
    if (mask & MIIM_DATA) lpmii->dwItemData = found->data;
    if ((mask & MIIM_BITMAP) && HasLastField(lpmii->cbSize)) lpmii->hbmpItem = found->bitmap;
    const bool bitmapType = (mask & MIIM_TYPE) && (found->flags & MFT_BITMAP);
    if (bitmapType) {
      lpmii->dwTypeData = reinterpret_cast<LPWSTR>(found->bitmap);
    } else if ((mask & (MIIM_STRING | MIIM_TYPE)) && !(found->flags & (MFT_SEPARATOR | MFT_OWNERDRAW))) {
      // The text is copied within cch (its terminator counted); cch gets the text's length.
      if (lpmii->dwTypeData && lpmii->cch > 0) {
        const size_t n = std::min<size_t>(found->text.size(), lpmii->cch - 1);
        std::memcpy(lpmii->dwTypeData, found->text.data(), n * sizeof(char16_t));
        lpmii->dwTypeData[n] = 0;
      }
      lpmii->cch = static_cast<UINT>(found->text.size());
    }
    return TRUE;
  });
}

BOOL SetMenuItemInfoW(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOW lpmii) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpmii || !SizeAccepted(lpmii->cbSize)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::shared_ptr<Menu> holder;
    MenuItem* found = FindItem(hmenu, item, fByPosition ? MF_BYPOSITION : 0, &holder);
    if (!found) {
      SetLastError(Find(hmenu) ? ERROR_MENU_ITEM_NOT_FOUND : ERROR_INVALID_HANDLE);
      return FALSE;
    }
    MenuItem changed = *found;
    if (!Apply(changed, *lpmii)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    *found = std::move(changed);
    return TRUE;
  });
}

BOOL InsertMenuItemW(HMENU hmenu, UINT item, BOOL fByPosition, LPCMENUITEMINFOW lpmi) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpmi || !SizeAccepted(lpmi->cbSize)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::shared_ptr<Menu> target = Find(hmenu);
    if (!target) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    size_t at = target->items.size();
    if (fByPosition) {
      at = std::min<size_t>(item, target->items.size());
    } else {
      // Before the item with that command, in whichever menu holds it.
      std::shared_ptr<Menu> holder;
      MenuItem* found = FindItem(hmenu, item, 0, &holder);
      if (!found) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
      }
      target = holder;
      at = static_cast<size_t>(found - target->items.data());
    }
    MenuItem made;
    if (!Apply(made, *lpmi)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    target->items.insert(target->items.begin() + static_cast<ptrdiff_t>(at), std::move(made));
    return TRUE;
  });
}

namespace {

// An item as AppendMenuW builds it; false for a pop-up handle that is not a menu.
bool ItemFromFlags(UINT uFlags, UINT_PTR id, LPCWSTR text, MenuItem* out) {
  if ((uFlags & MF_POPUP) && !Find(reinterpret_cast<HMENU>(id))) return false;
  MenuItem item;
  item.flags = uFlags & ~MF_BYPOSITION;
  item.id = id;
  if (uFlags & MF_POPUP) item.popup = reinterpret_cast<HMENU>(id);
  if (uFlags & MF_BITMAP) item.bitmap = reinterpret_cast<HBITMAP>(const_cast<LPWSTR>(text));
  if (!(uFlags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text) item.text = text;
  if (uFlags & MF_OWNERDRAW) item.data = reinterpret_cast<ULONG_PTR>(text);
  *out = std::move(item);
  return true;
}

// The menu holding an item and its index there; false when no item answers.
bool Locate(HMENU hMenu, UINT item, UINT flags, std::shared_ptr<Menu>* holder, size_t* index) {
  MenuItem* found = FindItem(hMenu, item, flags & MF_BYPOSITION, holder);
  if (!found) return false;
  *index = static_cast<size_t>(found - (*holder)->items.data());
  return true;
}

bool TakeOut(HMENU hMenu, UINT uPosition, UINT uFlags, bool destroyPopup) {
  std::shared_ptr<Menu> holder;
  size_t index = 0;
  if (!Locate(hMenu, uPosition, uFlags, &holder, &index)) {
    SetLastError(Find(hMenu) ? ERROR_MENU_ITEM_NOT_FOUND : ERROR_INVALID_HANDLE);
    return false;
  }
  const HMENU popup = holder->items[index].popup;
  holder->items.erase(holder->items.begin() + static_cast<ptrdiff_t>(index));
  if (destroyPopup && popup) Destroy(popup, 0);
  return true;
}

void ApplyInfo(Menu& menu, const MENUINFO& info, int depth) {
  if (info.fMask & MIM_STYLE) menu.style = info.dwStyle;
  if (info.fMask & MIM_MAXHEIGHT) menu.maxHeight = info.cyMax;
  if (info.fMask & MIM_BACKGROUND) menu.background = info.hbrBack;
  if (info.fMask & MIM_HELPID) menu.helpId = info.dwContextHelpID;
  if (info.fMask & MIM_MENUDATA) menu.data = info.dwMenuData;
  if (!(info.fMask & MIM_APPLYTOSUBMENUS) || depth > 64) return;
  for (const MenuItem& item : menu.items)
    if (auto sub = item.popup ? Find(item.popup) : nullptr) ApplyInfo(*sub, info, depth + 1);
}

}  // namespace

BOOL InsertMenuW(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::shared_ptr<Menu> target = Find(hMenu);
    MenuItem made;
    if (!target || !ItemFromFlags(uFlags, uIDNewItem, lpNewItem, &made)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    size_t at = target->items.size();
    if (uFlags & MF_BYPOSITION) {
      if (uPosition != static_cast<UINT>(-1)) at = std::min<size_t>(uPosition, target->items.size());
    } else {
      std::shared_ptr<Menu> holder;
      if (!Locate(hMenu, uPosition, 0, &holder, &at)) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
      }
      target = holder;
    }
    target->items.insert(target->items.begin() + static_cast<ptrdiff_t>(at), std::move(made));
    return TRUE;
  });
}

BOOL ModifyMenuW(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::shared_ptr<Menu> holder;
    size_t index = 0;
    if (!Locate(hMnu, uPosition, uFlags, &holder, &index)) {
      SetLastError(Find(hMnu) ? ERROR_MENU_ITEM_NOT_FOUND : ERROR_INVALID_HANDLE);
      return FALSE;
    }
    MenuItem made;
    if (!ItemFromFlags(uFlags, uIDNewItem, lpNewItem, &made)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    // A pop-up replaced by something else is destroyed, as Windows does.
    MenuItem& old = holder->items[index];
    if (old.popup && old.popup != made.popup) Destroy(old.popup, 0);
    old = std::move(made);
    return TRUE;
  });
}

BOOL RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  return kx2::Guard(FALSE, [&] { return TakeOut(hMenu, uPosition, uFlags, false) ? TRUE : FALSE; });
}

BOOL DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  return kx2::Guard(FALSE, [&] { return TakeOut(hMenu, uPosition, uFlags, true) ? TRUE : FALSE; });
}

BOOL CheckMenuRadioItem(HMENU hmenu, UINT first, UINT last, UINT check, UINT flags) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::shared_ptr<Menu> menu = Find(hmenu);
    if (!menu) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (first > last) return FALSE;
    // By command: the range is looked for in the menu holding `check`.
    if (!(flags & MF_BYPOSITION)) {
      std::shared_ptr<Menu> holder;
      if (!FindItem(hmenu, check, 0, &holder)) return FALSE;
      menu = holder;
    }
    bool checked = false;
    for (size_t i = 0; i < menu->items.size(); ++i) {
      MenuItem& item = menu->items[i];
      const UINT key = (flags & MF_BYPOSITION) ? static_cast<UINT>(i) : static_cast<UINT>(item.id);
      if ((item.flags & MF_POPUP) && !(flags & MF_BYPOSITION)) continue;
      if (key < first || key > last) continue;
      if (key == check) {
        item.flags |= MFT_RADIOCHECK | MF_CHECKED;
        checked = true;
      } else {
        item.flags &= ~MF_CHECKED;
      }
    }
    return checked ? TRUE : FALSE;
  });
}

BOOL GetMenuInfo(HMENU hMenu, LPMENUINFO lpcmi) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpcmi || lpcmi->cbSize != sizeof(MENUINFO)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::shared_ptr<Menu> menu = Find(hMenu);
    if (!menu) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (lpcmi->fMask & MIM_STYLE) lpcmi->dwStyle = menu->style;
    if (lpcmi->fMask & MIM_MAXHEIGHT) lpcmi->cyMax = menu->maxHeight;
    if (lpcmi->fMask & MIM_BACKGROUND) lpcmi->hbrBack = menu->background;
    if (lpcmi->fMask & MIM_HELPID) lpcmi->dwContextHelpID = menu->helpId;
    if (lpcmi->fMask & MIM_MENUDATA) lpcmi->dwMenuData = menu->data;
    return TRUE;
  });
}

BOOL SetMenuInfo(HMENU hMenu, LPCMENUINFO lpcmi) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpcmi || lpcmi->cbSize != sizeof(MENUINFO)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::shared_ptr<Menu> menu = Find(hMenu);
    if (!menu) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    ApplyInfo(*menu, *lpcmi, 0);
    return TRUE;
  });
}

// Menu objects in the kernel handle table, and the menu template reader.
#include "kx2/ErrorBoundary.h"
#include <win/menu.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <kx2/KernelObject.h>
#include <win/kernel.h>
#include <win/resource.h>

namespace {

struct MenuItem {
  UINT flags = 0;
  UINT_PTR id = 0;
  std::u16string text;
  HMENU popup = nullptr;
};

class Menu final : public kx2::KernelObject {
 public:
  std::vector<MenuItem> items;
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

// Reads the items of one level from a template; false for a malformed template.
class TemplateReader {
 public:
  TemplateReader(const BYTE* bytes, size_t size) : bytes_(bytes), size_(size) {}

  bool ReadLevel(HMENU menu, int depth) {
    if (depth > 64) return false;
    for (;;) {
      WORD flags;
      if (!Word(&flags)) return false;
      MenuItem item;
      item.flags = flags & ~MF_END;
      if (!(flags & MF_POPUP)) {
        WORD id;
        if (!Word(&id)) return false;
        item.id = id;
      }
      if (!Text(&item.text)) return false;
      if (flags & MF_POPUP) {
        item.popup = CreatePopupMenu();
        if (!item.popup) return false;
        item.id = reinterpret_cast<UINT_PTR>(item.popup);
        auto parent = Find(menu);
        parent->items.push_back(item);  // owned from here, destroyed with the menu
        if (!ReadLevel(item.popup, depth + 1)) return false;
      } else {
        if (item.text.empty() && item.id == 0) item.flags |= MF_SEPARATOR;
        Find(menu)->items.push_back(std::move(item));
      }
      if (flags & MF_END) return true;
    }
  }

  bool Skip(size_t n) {
    if (n > size_ - at_) return false;
    at_ += n;
    return true;
  }
  bool Word(WORD* out) {
    if (size_ - at_ < 2) return false;
    *out = static_cast<WORD>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return true;
  }

 private:
  bool Text(std::u16string* out) {
    for (;;) {
      WORD unit;
      if (!Word(&unit)) return false;
      if (unit == 0) return true;
      out->push_back(static_cast<char16_t>(unit));
    }
  }

  const BYTE* bytes_;
  size_t size_;
  size_t at_ = 0;
};

HMENU LoadTemplate(const void* data, size_t size) {
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  TemplateReader reader(static_cast<const BYTE*>(data), size);
  WORD version, offset;
  if (!reader.Word(&version) || !reader.Word(&offset) || version != 0 || !reader.Skip(offset)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HMENU menu = CreateMenu();
  if (!menu) return nullptr;
  try {
    if (reader.ReadLevel(menu, 0)) return menu;
  } catch (...) {}
  DestroyMenu(menu);
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

const MenuItem* ItemAt(const Menu& menu, UINT item, UINT flags) {
  if (flags & MF_BYPOSITION) return item < menu.items.size() ? &menu.items[item] : nullptr;
  for (const MenuItem& i : menu.items)
    if (!(i.flags & MF_POPUP) && i.id == item) return &i;
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

BOOL AppendMenuW(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCWSTR lpNewItem) {
  std::shared_ptr<Menu> menu = Find(hMenu);
  if (!menu || ((uFlags & MF_POPUP) && !Find(reinterpret_cast<HMENU>(uIDNewItem)))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  try {
    MenuItem item;
    item.flags = uFlags & ~(MF_BYPOSITION | MF_APPEND);
    item.id = uIDNewItem;
    if (uFlags & MF_POPUP) item.popup = reinterpret_cast<HMENU>(uIDNewItem);
    if (!(uFlags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && lpNewItem) item.text = lpNewItem;
    menu->items.push_back(std::move(item));
    return TRUE;
  } catch (...) {
    kx2::RecordCurrentException();
    return FALSE;
  }
}

HMENU LoadMenuIndirectW(const MENUTEMPLATEW* lpMenuTemplate) {
  // No size is given: the reader stops at the last MF_END item.
  return LoadTemplate(lpMenuTemplate, SIZE_MAX / 2);
}

HMENU LoadMenuW(HINSTANCE hInstance, LPCWSTR lpMenuName) {
  HRSRC found = FindResourceW(hInstance, lpMenuName, RT_MENU);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(hInstance, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return nullptr;
  return LoadTemplate(data, SizeofResource(hInstance, found));
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

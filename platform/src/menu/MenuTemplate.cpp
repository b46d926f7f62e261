// Menu templates: the standard form and the extended (MENUEX) form, read within a size.
// Menus are built through the public item calls, so a template makes nothing an
// application could not make itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kx2/ErrorBoundary.h"
#include "kx2/MenuTemplate.h"
#include "win/kernel.h"
#include "win/menu.h"
#include "win/resource.h"

namespace {

constexpr int kMaxDepth = 64;
constexpr WORD kLastItem = 0x80;   // MENUEX: the last item of its level
constexpr WORD kPopupItem = 0x01;  // MENUEX: a pop-up, followed by its help id and children

class TemplateReader {
 public:
  TemplateReader(const BYTE* bytes, size_t size) : bytes_(bytes), size_(size) {}

  bool Word(WORD* out) {
    if (size_ - at_ < 2) return false;
    *out = static_cast<WORD>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return true;
  }
  bool Dword(DWORD* out) {
    WORD low, high;
    if (!Word(&low) || !Word(&high)) return false;
    *out = static_cast<DWORD>(low) | static_cast<DWORD>(high) << 16;
    return true;
  }
  bool Text(std::u16string* out) {
    for (;;) {
      WORD unit;
      if (!Word(&unit)) return false;
      if (unit == 0) return true;
      out->push_back(static_cast<char16_t>(unit));
    }
  }
  bool SkipTo(size_t offset) {
    if (offset > size_) return false;
    at_ = offset;
    return true;
  }
  // Extended items start on DWORD boundaries of the template.
  bool Align() { return SkipTo((at_ + 3) & ~static_cast<size_t>(3)); }
  size_t At() const { return at_; }

  // The items of one standard level, appended to `menu`.
  bool StandardLevel(HMENU menu, int depth) {
    if (depth > kMaxDepth) return false;
    for (;;) {
      WORD flags, id = 0;
      if (!Word(&flags)) return false;
      if (!(flags & MF_POPUP) && !Word(&id)) return false;
      std::u16string text;
      if (!Text(&text)) return false;
      const UINT itemFlags = flags & ~(MF_END | MF_BYPOSITION);
      if (flags & MF_POPUP) {
        HMENU sub = CreatePopupMenu();
        // Once appended the sub-menu belongs to `menu` and goes with it.
        if (!sub || !AppendMenuW(menu, itemFlags, reinterpret_cast<UINT_PTR>(sub), text.c_str())) {
          if (sub) DestroyMenu(sub);
          return false;
        }
        if (!StandardLevel(sub, depth + 1)) return false;
      } else if (text.empty() && id == 0 && !(flags & (MF_OWNERDRAW | MF_BITMAP))) {
        if (!AppendMenuW(menu, itemFlags | MF_SEPARATOR, 0, nullptr)) return false;
      } else if (!AppendMenuW(menu, itemFlags, id, text.c_str())) {
        return false;
      }
      if (flags & MF_END) return true;
    }
  }

  // The items of one extended level.
  bool ExtendedLevel(HMENU menu, int depth) {
    if (depth > kMaxDepth) return false;
    for (;;) {
      if (!Align()) return false;
      DWORD type, state, id;
      WORD flags;
      std::u16string text;
      if (!Dword(&type) || !Dword(&state) || !Dword(&id) || !Word(&flags) || !Text(&text)) return false;
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
      info.fType = type & ~MFT_BITMAP;  // a template carries no bitmap handle
      info.fState = state;
      info.wID = id;
      if (!(type & (MFT_SEPARATOR | MFT_OWNERDRAW))) {
        info.fMask |= MIIM_STRING;
        info.dwTypeData = text.data();
      }
      HMENU sub = nullptr;
      if (flags & kPopupItem) {
        DWORD helpId;
        if (!Align() || !Dword(&helpId)) return false;
        sub = CreatePopupMenu();
        if (!sub) return false;
        MENUINFO help{sizeof(MENUINFO), MIM_HELPID, 0, 0, nullptr, helpId, 0};
        SetMenuInfo(sub, &help);
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = sub;
      }
      if (!InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info)) {
        if (sub) DestroyMenu(sub);
        return false;
      }
      if (sub && !ExtendedLevel(sub, depth + 1)) return false;
      if (flags & kLastItem) return true;
    }
  }

 private:
  const BYTE* bytes_;
  size_t size_;
  size_t at_ = 0;
};

HMENU Fail() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

// extendedAllowed: the size is real, so the extended form's records can be read safely.
HMENU LoadTemplate(const void* data, size_t size, bool extendedAllowed) {
  if (!data) return Fail();
  TemplateReader reader(static_cast<const BYTE*>(data), size);
  WORD version, offset;
  if (!reader.Word(&version) || !reader.Word(&offset)) return Fail();
  if (version != 0 && !(version == 1 && extendedAllowed)) return Fail();
  DWORD helpId = 0;
  if (version == 1 && offset >= 4 && !reader.Dword(&helpId)) return Fail();
  if (!reader.SkipTo(4 + static_cast<size_t>(offset))) return Fail();
  HMENU menu = CreateMenu();
  if (!menu) return nullptr;
  const bool read = version == 0 ? reader.StandardLevel(menu, 0) : reader.ExtendedLevel(menu, 0);
  if (!read) {
    DestroyMenu(menu);
    return Fail();
  }
  if (version == 1) {
    MENUINFO help{sizeof(MENUINFO), MIM_HELPID, 0, 0, nullptr, helpId, 0};
    SetMenuInfo(menu, &help);
  }
  return menu;
}

}  // namespace

KX2_EXPORT HMENU Kx2LoadMenuTemplate(const void* data, SIZE_T size) {
  return kx2::Guard(HMENU{}, [&] { return LoadTemplate(data, size, true); });
}

KX2_EXPORT HMENU LoadMenuIndirectW(const MENUTEMPLATEW* lpMenuTemplate) {
  // No size is given: the standard reader stops at the last MF_END item.
  return kx2::Guard(HMENU{}, [&] { return LoadTemplate(lpMenuTemplate, SIZE_MAX / 2, false); });
}

KX2_EXPORT HMENU LoadMenuW(HINSTANCE hInstance, LPCWSTR lpMenuName) {
  return kx2::Guard(HMENU{}, [&]() -> HMENU {
    HRSRC found = FindResourceW(hInstance, lpMenuName, RT_MENU);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(hInstance, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return nullptr;
    return LoadTemplate(data, SizeofResource(hInstance, found), true);
  });
}

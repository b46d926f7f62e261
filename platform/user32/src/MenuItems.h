// What the menu windows and the menu loop read of an item, taken live from the menu by
// position each time, and the fonts menus are drawn with.
#pragma once

#include <string>

#include "win/gdi.h"
#include "win/menu.h"
#include "win/user.h"

namespace kx2::user32 {

struct MenuItemFacts {
  bool exists = false;
  UINT id = 0;
  UINT type = 0;
  UINT state = 0;
  HMENU submenu = nullptr;
  ULONG_PTR data = 0;
  HBITMAP bitmap = nullptr;  // hbmpItem, or the bitmap of an MFT_BITMAP item
  HBITMAP checkedBitmap = nullptr, uncheckedBitmap = nullptr;
  std::u16string text;

  bool Separator() const { return (type & MFT_SEPARATOR) != 0; }
  bool OwnerDrawn() const { return (type & MFT_OWNERDRAW) != 0; }
  bool Enabled() const { return (state & MFS_GRAYED) == 0; }
  bool Checked() const { return (state & MFS_CHECKED) != 0; }
  bool Default() const { return (state & MFS_DEFAULT) != 0; }
  // The buttons a maximised MDI child puts on its frame's bar.
  bool MdiButton() const { return id == SC_MINIMIZE || id == SC_CLOSE || id == SC_RESTORE; }
  // A handle rather than one of the predefined HBMMENU_ pictures.
  bool RealBitmap() const { return reinterpret_cast<uintptr_t>(bitmap) > 0xFFFF; }
  bool PredefinedBitmap() const {
    const auto v = reinterpret_cast<uintptr_t>(bitmap);
    return v != 0 && v <= 0xFFFF;
  }
};

MenuItemFacts ReadMenuItem(HMENU menu, int position);
// The text before the first tab, and what follows it (the shortcut), apart.
void SplitShortcut(const std::u16string& text, std::u16string* label, std::u16string* shortcut);
SIZE BitmapSize(HBITMAP bitmap);

// The menu font of the system metrics, plain and bold (for default items).
class MenuFonts {
 public:
  MenuFonts();
  ~MenuFonts();
  MenuFonts(const MenuFonts&) = delete;
  MenuFonts& operator=(const MenuFonts&) = delete;
  HFONT Normal() const { return normal_; }
  HFONT Bold() const { return bold_; }

 private:
  HFONT normal_ = nullptr, bold_ = nullptr;
};

// A memory DC for measuring, with the menu font selected.
class MeasureDc {
 public:
  explicit MeasureDc(HFONT font);
  ~MeasureDc();
  MeasureDc(const MeasureDc&) = delete;
  MeasureDc& operator=(const MeasureDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// The extent of menu text with its "&" marks taken out.
SIZE MenuTextExtent(HDC dc, const std::u16string& text);

}  // namespace kx2::user32

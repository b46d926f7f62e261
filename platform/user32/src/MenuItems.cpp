// Items read live from the menu; menu fonts and text extents.
#include "MenuItems.h"

#include "win/user_ncmetrics.h"

namespace kx2::user32 {

MenuItemFacts ReadMenuItem(HMENU menu, int position) {
  MenuItemFacts facts;
  if (!menu || position < 0) return facts;
  char16_t text[257] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_CHECKMARKS | MIIM_BITMAP;
  if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return facts;
  facts.exists = true;
  facts.id = info.wID;
  facts.type = info.fType;
  facts.state = info.fState;
  facts.submenu = info.hSubMenu;
  facts.data = info.dwItemData;
  facts.bitmap = info.hbmpItem;
  facts.checkedBitmap = info.hbmpChecked;
  facts.uncheckedBitmap = info.hbmpUnchecked;
  if (facts.Separator() || facts.OwnerDrawn()) return facts;
  // An MFT_BITMAP item shows its bitmap (hbmpItem here too) in place of text.
  if (facts.type & MFT_BITMAP) return facts;
  const int n = GetMenuStringW(menu, static_cast<UINT>(position), text, 257, MF_BYPOSITION);
  facts.text.assign(text, static_cast<size_t>(n > 0 ? n : 0));
  return facts;
}

void SplitShortcut(const std::u16string& text, std::u16string* label, std::u16string* shortcut) {
  const size_t tab = text.find(u'\t');
  *label = text.substr(0, tab);
  *shortcut = tab == std::u16string::npos ? std::u16string() : text.substr(tab + 1);
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return SIZE{0, 0};
  return SIZE{info.bmWidth, info.bmHeight};
}

MenuFonts::MenuFonts() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  normal_ = CreateFontIndirectW(&metrics.lfMenuFont);
  metrics.lfMenuFont.lfWeight = FW_BOLD;
  bold_ = CreateFontIndirectW(&metrics.lfMenuFont);
}

MenuFonts::~MenuFonts() {
  if (normal_) DeleteObject(normal_);
  if (bold_) DeleteObject(bold_);
}

MeasureDc::MeasureDc(HFONT font) : dc_(CreateCompatibleDC(nullptr)) {
  if (dc_ && font) old_ = SelectObject(dc_, font);
}

MeasureDc::~MeasureDc() {
  if (!dc_) return;
  if (old_) SelectObject(dc_, old_);
  DeleteDC(dc_);
}

SIZE MenuTextExtent(HDC dc, const std::u16string& text) {
  // "&" marks the mnemonic and takes no room; "&&" is one ampersand.
  std::u16string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size())
      ++i;
    else if (text[i] == u'&')
      continue;
    shown.push_back(text[i]);
  }
  SIZE size{0, 0};
  if (!shown.empty()) GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  size.cy = tm.tmHeight;
  return size;
}

}  // namespace kx2::user32

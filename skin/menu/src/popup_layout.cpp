// Measuring a skinned popup: the check column, each item's size, columns at menu breaks,
// and the window's size.
#include <algorithm>

#include <win/gdi.h>
#include <win/menu.h>
#include <win/user.h>
#include <win/user_ownerdraw.h>

#include "ornatex/draw/draw_helpers.h"
#include "ornatex/menu/popup_menu.h"

namespace {

// Owner answers beyond this are taken as this: sizes stay far from overflowing.
constexpr UINT kLargestOwnerSize = 0x7FFF;

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || ::GetObjectW(bitmap, sizeof bm, &bm) != static_cast<int>(sizeof bm)) return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight};
}

SIZE TextSize(HDC dc, std::u16string text) {
  CKtkDrawHelpers::RemoveAmpersands(text);
  SIZE size{0, 0};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  TEXTMETRICW tm{};
  if (::GetTextMetricsW(dc, &tm)) size.cy = std::max<LONG>(size.cy, tm.tmHeight);
  return size;
}

// A window DC (the screen's without a window) with a font selected for measuring.
class MeasureDC {
 public:
  MeasureDC(HWND window, HFONT font) : window_(window), dc_(::GetDC(window)) {
    if (dc_ && font) old_ = ::SelectObject(dc_, font);
  }
  ~MeasureDC() {
    if (!dc_) return;
    if (old_) ::SelectObject(dc_, old_);
    ::ReleaseDC(window_, dc_);
  }
  MeasureDC(const MeasureDC&) = delete;
  MeasureDC& operator=(const MeasureDC&) = delete;
  HDC Get() const { return dc_; }
  void Select(HFONT font) {
    if (dc_ && font) ::SelectObject(dc_, font);
  }

 private:
  HWND window_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

SIZE CKtkSkinPopupMenu::Layout() {
  const BOOL themed = IsThemed();
  HFONT font = GetMenuFont(FALSE);
  MeasureDC dc(m_hWnd && ::IsWindow(m_hWnd) ? m_hWnd : nullptr, font);
  RebuildItems();

  m_nCheckWidth = themed ? 33 : 17;
  for (const auto& item : m_items) {
    if (item->IsOwnerDrawn() || item->IsSeparator() || !item->HasRealBitmap()) continue;
    const SIZE bitmap = BitmapSize(item->GetItemBitmap());
    m_nCheckWidth = std::max<int>(m_nCheckWidth, bitmap.cx + (themed ? 12 : 4));
  }

  int x = 3, y = 3, columnWidth = 0, maxHeight = 0;
  size_t columnStart = 0;
  auto closeColumn = [&](size_t end) {
    for (size_t i = columnStart; i < end; ++i) m_items[i]->m_rect.right = m_items[i]->m_rect.left + columnWidth;
  };
  for (size_t i = 0; i < m_items.size(); ++i) {
    CKtkSkinPopupMenuItem& item = *m_items[i];
    const UINT type = item.GetType();
    int width = 0, height = 0;
    if (type & MFT_OWNERDRAW) {
      MEASUREITEMSTRUCT measure{};
      measure.CtlType = ODT_MENU;
      measure.itemID = item.GetID();
      measure.itemHeight = static_cast<UINT>(TextSize(dc.Get(), u" ").cy);
      measure.itemData = item.GetItemData();
      if (m_hOwner) ::SendMessageW(m_hOwner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
      width = static_cast<int>(std::min(measure.itemWidth, kLargestOwnerSize)) + 12;
      height = static_cast<int>(std::min(measure.itemHeight, kLargestOwnerSize));
    } else if (type & MFT_SEPARATOR) {
      height = themed ? 6 : 9;
    } else {
      const std::u16string text = item.GetText();
      const size_t tab = text.find(u'\t');
      const std::u16string label = text.substr(0, tab);
      const std::u16string shortcut = tab == std::u16string::npos ? std::u16string() : text.substr(tab);
      if (item.IsDefault()) dc.Select(GetMenuFont(TRUE));
      const SIZE labelSize = TextSize(dc.Get(), label);
      const SIZE shortcutSize = shortcut.empty() ? SIZE{0, 0} : TextSize(dc.Get(), shortcut);
      if (item.IsDefault()) dc.Select(font);
      width = labelSize.cx + m_nCheckWidth + shortcutSize.cx + (themed ? 55 : 44);
      height = std::max<int>(labelSize.cy, themed ? 22 : 17);
    }
    if ((type & (MFT_MENUBARBREAK | MFT_MENUBREAK)) && i != columnStart) {
      closeColumn(i);
      x += columnWidth + 4;
      maxHeight = std::max(maxHeight, y);
      y = 3;
      columnWidth = 0;
      columnStart = i;
    }
    if (!(type & (MFT_OWNERDRAW | MFT_SEPARATOR)) && item.HasRealBitmap())
      height = std::max<int>(height, BitmapSize(item.GetItemBitmap()).cy + 4);
    columnWidth = std::max(columnWidth, width);
    item.m_rect = RECT{x, y, x + width, y + height};
    y += height;
  }
  closeColumn(m_items.size());
  // The tallest column and 3 below it, whichever column that is: the last one too keeps
  // its items off the bottom border.
  return SIZE{columnWidth + x + 3, std::max(y, maxHeight) + 3};
}

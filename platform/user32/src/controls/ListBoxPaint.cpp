// A list box's classic look: the background in the brush its parent answers to
// WM_CTLCOLORLISTBOX, each shown item's text in the colour the parent set (grey when
// disabled), chosen items in the highlight colours, and the focus rectangle round the
// caret's item; owner-drawn lists have their owner draw each item (WM_DRAWITEM).
#include <algorithm>

#include "ListBox.h"

namespace kx2::user32 {

using namespace textctl;

namespace {
constexpr int kTextIndent = 2;
}

bool ListBox::ShowsFocus() const {
  return focused_ && !combo_ && !(SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

void ListBox::DrawOwnerItem(HDC dc, int index, const RECT& r, UINT action, UINT state) const {
  DRAWITEMSTRUCT d{CtlType(), CtlId(), static_cast<UINT>(index),
                   action,    state,   ItemWindow(),
                   dc,        r,       items_.Valid(index) ? items_.At(index).data : 0};
  if (HWND owner = Owner()) SendMessageW(owner, WM_DRAWITEM, CtlId(), reinterpret_cast<LPARAM>(&d));
}

void ListBox::PaintItem(HDC dc, int index, const RECT& r, bool focusItem, bool enabled, COLORREF text) const {
  const bool chosen = IsSelected(index);
  if (chosen) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    SetTextColor(dc, enabled ? text : GetSysColor(COLOR_GRAYTEXT));
  }
  const std::u16string& s = items_.At(index).text;
  RECT t = r;
  t.left += kTextIndent;
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  if (Style() & LBS_USETABSTOPS) format |= DT_EXPANDTABS;
  DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &t, format);
  if (focusItem) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &r);
  }
}

void ListBox::Paint(HDC dc) {
  const RECT client = ClientRect(hwnd_);
  SelectedFont font(dc, font_);
  HBRUSH brush = ParentBrush(hwnd_, WM_CTLCOLORLISTBOX, dc, NotifyTarget());
  const COLORREF text = GetTextColor(dc);
  FillBackground(dc, client, brush);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const bool enabled = IsWindowEnabled(combo_ ? combo_ : hwnd_) != FALSE;
  const bool focus = ShowsFocus();
  const UINT disabled = enabled ? 0 : ODS_DISABLED;
  if (items_.Count() == 0) {
    // An empty list with the focus shows where the first item would go.
    if (focus) {
      const RECT first{0, 0, client.right, itemHeight_};
      if (OwnerDrawn()) {
        DrawOwnerItem(dc, -1, first, ODA_FOCUS, ODS_FOCUS | disabled);
      } else {
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &first);
      }
    }
    SetBkMode(dc, oldMode);
    return;
  }
  for (int i = top_; i < items_.Count() && IsWindow(hwnd_); ++i) {
    const RECT r = ItemRect(i);
    if (MultiColumn() ? r.left >= client.right : r.top >= client.bottom) break;
    const bool focusItem = focus && i == caret_;
    if (OwnerDrawn()) {
      const UINT state = (IsSelected(i) ? ODS_SELECTED : 0) | (focusItem ? ODS_FOCUS : 0) | disabled;
      DrawOwnerItem(dc, i, r, ODA_DRAWENTIRE, state);
    } else {
      PaintItem(dc, i, r, focusItem, enabled, text);
    }
  }
  SetBkMode(dc, oldMode);
}

}  // namespace kx2::user32

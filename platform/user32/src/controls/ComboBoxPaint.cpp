// Where a combo box's parts lie and its classic look: the field in a sunken edge filled with
// the brush its parent answers, the drop button with its arrow (pushed while the press that
// dropped the list is held), and, without an edit field, the chosen item's text, lit with
// the focus, or drawn by the owner (WM_DRAWITEM with ODS_COMBOBOXEDIT).
#include <algorithm>

#include "ComboBox.h"

namespace kx2::user32 {

using namespace textctl;

namespace {
constexpr int kEdge = 2;   // the sunken edge round the field
constexpr int kInset = 3;  // the edge and a pixel of the field's own colour
constexpr int kTextIndent = 2;
}  // namespace

int ComboBox::FieldHeight() const { return fieldItemHeight_ + 2 * GetSystemMetrics(SM_CYFIXEDFRAME); }

RECT ComboBox::ButtonRect() const {
  if (kind_ == Kind::Simple) return RECT{};
  const RECT client = ClientRect(hwnd_);
  const int width = GetSystemMetrics(SM_CXVSCROLL);
  return RECT{std::max<LONG>(kEdge, client.right - kEdge - width), kEdge, std::max<LONG>(kEdge, client.right - kEdge),
              FieldHeight() - kEdge};
}

RECT ComboBox::ItemRect() const {
  const RECT client = ClientRect(hwnd_);
  const LONG right = kind_ == Kind::Simple ? client.right - kInset : ButtonRect().left;
  return RECT{kInset, kInset, std::max<LONG>(kInset, right), FieldHeight() - kInset};
}

RECT ComboBox::SimpleListRect() const {
  const RECT client = ClientRect(hwnd_);
  return RECT{0, FieldHeight(), client.right, std::max<LONG>(FieldHeight(), client.bottom)};
}

void ComboBox::Layout() {
  if (edit_) {
    const RECT r = ItemRect();
    SetWindowPos(edit_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (list_ && kind_ == Kind::Simple) {
    const RECT r = SimpleListRect();
    SetWindowPos(list_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// A drop-down box is as high as its field.
void ComboBox::FitHeight() {
  if (kind_ == Kind::Simple || sizing_) return;
  RECT window{};
  GetWindowRect(hwnd_, &window);
  const int frame = (window.bottom - window.top) - ClientRect(hwnd_).bottom;
  sizing_ = true;
  SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left, FieldHeight() + frame,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  sizing_ = false;
}

UINT ComboBox::BackgroundMessage() const {
  if (!IsWindowEnabled(hwnd_)) return WM_CTLCOLORSTATIC;
  if (edit_) return (StyleOf(edit_) & ES_READONLY) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  return WM_CTLCOLORLISTBOX;
}

void ComboBox::PaintItem(HDC dc, const RECT& r, bool enabled, COLORREF text) {
  const bool lit = focused_ && !dropped_;
  if (OwnerDrawn()) {
    const ULONG_PTR data = shown_ >= 0 ? static_cast<ULONG_PTR>(SendMessageW(list_, LB_GETITEMDATA, shown_, 0)) : 0;
    DRAWITEMSTRUCT d{ODT_COMBOBOX,
                     static_cast<UINT>(GetDlgCtrlID(hwnd_)),
                     static_cast<UINT>(shown_),
                     ODA_DRAWENTIRE,
                     ODS_COMBOBOXEDIT | (lit ? ODS_SELECTED | ODS_FOCUS : 0u) | (enabled ? 0u : ODS_DISABLED),
                     hwnd_,
                     dc,
                     r,
                     data};
    if (HWND parent = GetParent(hwnd_)) SendMessageW(parent, WM_DRAWITEM, d.CtlID, reinterpret_cast<LPARAM>(&d));
    return;
  }
  if (lit) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    SetTextColor(dc, enabled ? text : GetSysColor(COLOR_GRAYTEXT));
  }
  if (shown_ >= 0) {
    const std::u16string s = ItemText(shown_);
    RECT t = r;
    t.left += kTextIndent;
    DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (lit && !(SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &r);
  }
}

void ComboBox::Paint(HDC dc) {
  const RECT client = ClientRect(hwnd_);
  SelectedFont font(dc, font_);
  HBRUSH brush = ParentBrush(hwnd_, BackgroundMessage(), dc, GetParent(hwnd_));
  const COLORREF text = GetTextColor(dc);
  const bool enabled = IsWindowEnabled(hwnd_) != FALSE;
  RECT field{0, 0, client.right, std::min<LONG>(client.bottom, FieldHeight())};
  FillBackground(dc, field, brush);
  if (kind_ == Kind::Simple && client.bottom > field.bottom) {
    const RECT below{0, field.bottom, client.right, client.bottom};
    FillBackground(dc, below, brush);
  }
  RECT edge = field;
  DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT);
  if (kind_ != Kind::Simple) {
    RECT button = ButtonRect();
    UINT state = DFCS_SCROLLCOMBOBOX;
    if (pressed_) state |= DFCS_PUSHED | DFCS_FLAT;
    if (!enabled) state |= DFCS_INACTIVE;
    DrawFrameControl(dc, &button, DFC_SCROLL, state);
  }
  if (!edit_) {
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    PaintItem(dc, ItemRect(), enabled, text);
    SetBkMode(dc, oldMode);
  }
}

}  // namespace kx2::user32

// The combo box's making, its messages and the CB_ messages, most of which its list answers
// as the LB_ message of the same meaning. Indexes out of range answer CB_ERR.
#include "ComboBox.h"

#include <algorithm>
#include <cstdint>

#include "ComboListProtocol.h"

namespace kx2::user32 {

using namespace textctl;

namespace {

constexpr int kMaxItemHeight = 255;

DWORD ListStyleFor(DWORD box, bool scrolls) {
  DWORD style = LBS_COMBOBOX | LBS_NOTIFY;
  if (scrolls) style |= WS_VSCROLL;
  if (box & CBS_SORT) style |= LBS_SORT;
  if (box & CBS_HASSTRINGS) style |= LBS_HASSTRINGS;
  if (box & CBS_OWNERDRAWFIXED) style |= LBS_OWNERDRAWFIXED;
  if (box & CBS_OWNERDRAWVARIABLE) style |= LBS_OWNERDRAWVARIABLE;
  if (box & CBS_NOINTEGRALHEIGHT) style |= LBS_NOINTEGRALHEIGHT;
  if (box & CBS_DISABLENOSCROLL) style |= LBS_DISABLENOSCROLL;
  return style;
}

DWORD EditStyleFor(DWORD box) {
  DWORD style = WS_CHILD | WS_VISIBLE | ES_LEFT;
  if (box & CBS_AUTOHSCROLL) style |= ES_AUTOHSCROLL;
  if (box & CBS_UPPERCASE) style |= ES_UPPERCASE;
  if (box & CBS_LOWERCASE) style |= ES_LOWERCASE;
  if (box & CBS_OEMCONVERT) style |= ES_OEMCONVERT;
  return style;
}

}  // namespace

// What a height asked for leaves the dropped list below the field: at least one item, and
// counted wide so that no height a caller passes overflows.
int ComboBox::ListHeightFrom(int asked, int field) const {
  const int64_t rest = int64_t{asked} - field;
  return static_cast<int>(std::clamp<int64_t>(rest, fieldItemHeight_, 0x7FFF));
}

ComboBox::ComboBox(HWND hwnd, const CREATESTRUCTW& cs) : hwnd_(hwnd) {
  switch (cs.style & 3) {
    case CBS_DROPDOWN:
      kind_ = Kind::DropDown;
      break;
    case CBS_DROPDOWNLIST:
      kind_ = Kind::DropDownList;
      break;
    default:
      kind_ = Kind::Simple;
      break;
  }
  // The box's scroll bars are its list's.
  listScrolls_ = (cs.style & WS_VSCROLL) != 0;
  if (cs.style & (WS_VSCROLL | WS_HSCROLL))
    SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(static_cast<DWORD>(cs.style) & ~(WS_VSCROLL | WS_HSCROLL)));
}

bool ComboBox::Tell(int code) const {
  HWND self = hwnd_;
  NotifyCommand(GetParent(self), self, code);
  return IsWindow(self) != FALSE;
}

int ComboBox::MeasureField() const {
  MEASUREITEMSTRUCT m{ODT_COMBOBOX,
                      static_cast<UINT>(GetDlgCtrlID(hwnd_)),
                      static_cast<UINT>(-1),
                      0,
                      static_cast<UINT>(fieldItemHeight_),
                      0};
  m.itemWidth = static_cast<UINT>(std::max<LONG>(0, ClientRect(hwnd_).right));
  if (HWND parent = GetParent(hwnd_)) SendMessageW(parent, WM_MEASUREITEM, m.CtlID, reinterpret_cast<LPARAM>(&m));
  return std::clamp(static_cast<int>(std::min<UINT>(m.itemHeight, kMaxItemHeight)), 1, kMaxItemHeight);
}

LRESULT ComboBox::Create(const CREATESTRUCTW& cs) {
  HWND self = hwnd_;
  {
    MeasureDc measure(font_);
    TEXTMETRICW tm{};
    GetTextMetricsW(measure.Dc(), &tm);
    fieldItemHeight_ = tm.tmHeight + 2;
  }
  if (OwnerDrawn()) {
    fieldItemHeight_ = MeasureField();
    fieldHeightSet_ = true;
    if (!IsWindow(self)) return -1;
  }
  listHeight_ = ListHeightFrom(cs.cy, FieldHeight());
  const DWORD style = static_cast<DWORD>(cs.style);
  const DWORD listStyle = ListStyleFor(style, listScrolls_);
  if (kind_ == Kind::Simple) {
    const RECT r = SimpleListRect();
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, u"ComboLBox", nullptr, listStyle | WS_CHILD | WS_VISIBLE, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, hwnd_,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(KX2_COMBO_LIST_ID)), cs.hInstance, hwnd_);
  } else {
    list_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, u"ComboLBox", nullptr,
                            listStyle | WS_POPUP | WS_BORDER | LBS_NOINTEGRALHEIGHT, 0, 0, 100, listHeight_, hwnd_,
                            nullptr, cs.hInstance, hwnd_);
  }
  if (!IsWindow(self)) return -1;
  if (!list_) return -1;
  if (kind_ != Kind::DropDownList) {
    const RECT r = ItemRect();
    edit_ = CreateWindowExW(0, u"Edit", cs.lpszName, EditStyleFor(style), r.left, r.top, r.right - r.left,
                            r.bottom - r.top, hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(KX2_COMBO_EDIT_ID)),
                            cs.hInstance, nullptr);
    if (!edit_) return -1;
    editProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit_, GWLP_WNDPROC));
    SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboEditProc));
    if (style & WS_DISABLED) EnableWindow(edit_, FALSE);
  }
  FitHeight();
  return 0;
}

LRESULT ComboBox::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return Create(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_DESTROY:
      dropped_ = false;  // going with the box: nobody to tell of the list closing
      if (list_ && IsWindow(list_) && kind_ != Kind::Simple) {
        HWND list = list_;
        list_ = nullptr;
        DestroyWindow(list);
      }
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
    case WM_ERASEBKGND:
      return 1;  // painting fills the field with the parent's brush
    case WM_WINDOWPOSCHANGING:
      if (kind_ != Kind::Simple && !sizing_) {
        // The height asked for is the dropped list's; the box stays as high as its field.
        auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(wp->flags & SWP_NOSIZE)) {
          RECT window{}, client = ClientRect(hwnd_);
          GetWindowRect(hwnd_, &window);
          const int frame = (window.bottom - window.top) - client.bottom;
          const int field = FieldHeight() + frame;
          if (wp->cy != field) {
            listHeight_ = ListHeightFrom(wp->cy, field);
            wp->cy = field;
          }
        }
      }
      return DefWindowProcW(hwnd_, message, wParam, lParam);
    case WM_SIZE:
      Layout();
      InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_SETFONT:
      SetFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_ENABLE:
      if (edit_) EnableWindow(edit_, wParam != 0);
      if (!wParam) Close(false);
      InvalidateRect(hwnd_, nullptr, FALSE);
      if (list_ && kind_ == Kind::Simple) InvalidateRect(list_, nullptr, FALSE);
      return 0;
    case WM_SYSCOLORCHANGE:
    case WM_UPDATEUISTATE: {
      const LRESULT r = DefWindowProcW(hwnd_, message, wParam, lParam);
      InvalidateRect(hwnd_, nullptr, FALSE);
      return r;
    }
    case WM_GETDLGCODE: {
      const LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
      return code | (WantsKey(reinterpret_cast<const MSG*>(lParam)) ? DLGC_WANTMESSAGE : 0);
    }
    case WM_SETFOCUS:
      if (edit_) {
        SetFocus(edit_);  // the edit field's subclass tells the box
        return 0;
      }
      GotFocus();
      return 0;
    case WM_KILLFOCUS:
      LostFocus(reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_KEYDOWN:
      if (Key(static_cast<UINT>(wParam), false)) return 0;
      return 0;
    case WM_SYSKEYDOWN:
      if (Key(static_cast<UINT>(wParam), true)) return 0;
      break;
    case WM_CHAR:
      // The list finds the item a letter begins (the field without an edit).
      if (kind_ == Kind::DropDownList && wParam >= u' ') SendMessageW(list_, WM_CHAR, wParam, lParam);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      ButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSEWHEEL:
      if (!dropped_) {
        const int notches = static_cast<short>(HIWORD(wParam)) / 120;
        if (notches) Key(notches > 0 ? VK_UP : VK_DOWN, false);
        return 0;
      }
      return SendMessageW(list_, message, wParam, lParam);
    case WM_COMMAND: {
      const auto from = reinterpret_cast<HWND>(lParam);
      if (from && from == list_) ListCommand(HIWORD(wParam));
      if (from && from == edit_) EditCommand(HIWORD(wParam));
      return 0;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      // The list and the edit field are coloured as the box's parent says.
      if (HWND parent = GetParent(hwnd_)) return SendMessageW(parent, message, wParam, lParam);
      break;
    case WM_SETTEXT:
      return SetText(reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT:
      return GetText(reinterpret_cast<LPWSTR>(lParam), wParam);
    case WM_GETTEXTLENGTH:
      return TextLength();
    case WM_CUT:
    case WM_COPY:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
      return edit_ ? SendMessageW(edit_, message, wParam, lParam) : 0;
    default:
      return ComboMessage(message, wParam, lParam);
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT ComboBox::ToList(UINT message, WPARAM wParam, LPARAM lParam) const {
  return list_ ? SendMessageW(list_, message, wParam, lParam) : CB_ERR;
}

// A message that changes the list's items: the field follows what stays chosen.
LRESULT ComboBox::Changing(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND self = hwnd_;
  const LRESULT r = ToList(message, wParam, lParam);
  if (IsWindow(self)) SyncShown();
  return r;
}

LRESULT ComboBox::ComboMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case CB_ADDSTRING:
      return Changing(LB_ADDSTRING, 0, lParam);
    case CB_INSERTSTRING:
      return Changing(LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING:
      return Changing(LB_DELETESTRING, wParam, 0);
    case CB_RESETCONTENT: {
      HWND self = hwnd_;
      ToList(LB_RESETCONTENT, 0, 0);
      if (!IsWindow(self)) return CB_OKAY;
      shown_ = choiceAtDrop_ = -1;
      UpdateField();
      return CB_OKAY;
    }
    case CB_GETCOUNT:
      return ToList(LB_GETCOUNT, 0, 0);
    case CB_GETCURSEL:
      return ToList(LB_GETCURSEL, 0, 0);
    case CB_SETCURSEL:
      return SetCurSel(static_cast<int>(wParam));
    case CB_GETLBTEXT:
      return ToList(LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN:
      return ToList(LB_GETTEXTLEN, wParam, 0);
    case CB_FINDSTRING:
      return ToList(LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT:
      return ToList(LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_SELECTSTRING: {
      const LRESULT found = ToList(LB_FINDSTRING, wParam, lParam);
      return found == LB_ERR ? CB_ERR : SetCurSel(static_cast<int>(found));
    }
    case CB_GETITEMDATA:
      return ToList(LB_GETITEMDATA, wParam, 0);
    case CB_SETITEMDATA:
      return ToList(LB_SETITEMDATA, wParam, lParam);
    case CB_GETTOPINDEX:
      return ToList(LB_GETTOPINDEX, 0, 0);
    case CB_SETTOPINDEX:
      return ToList(LB_SETTOPINDEX, wParam, 0);
    case CB_GETLOCALE:
      return ToList(LB_GETLOCALE, 0, 0);
    case CB_SETLOCALE:
      return ToList(LB_SETLOCALE, wParam, 0);
    case CB_INITSTORAGE:
      return ToList(LB_INITSTORAGE, wParam, lParam);
    case CB_GETHORIZONTALEXTENT:
      return ToList(LB_GETHORIZONTALEXTENT, 0, 0);
    case CB_SETHORIZONTALEXTENT:
      ToList(LB_SETHORIZONTALEXTENT, wParam, 0);
      return 0;
    case CB_SHOWDROPDOWN:
      if (wParam)
        Drop(false);
      else
        Close(true);
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return dropped_ ? TRUE : FALSE;
    case CB_GETDROPPEDCONTROLRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r) return CB_ERR;
      GetWindowRect(hwnd_, r);
      r->right = r->left + std::max<LONG>(r->right - r->left, droppedWidth_);
      if (kind_ != Kind::Simple) r->bottom = r->top + FieldHeight() + listHeight_;
      return TRUE;
    }
    case CB_SETITEMHEIGHT: {
      const int height = static_cast<int>(lParam);
      if (static_cast<int>(wParam) != -1) return ToList(LB_SETITEMHEIGHT, wParam, lParam);
      if (height <= 0 || height > kMaxItemHeight) return CB_ERR;
      fieldItemHeight_ = height;
      fieldHeightSet_ = true;
      FitHeight();
      Layout();
      InvalidateRect(hwnd_, nullptr, FALSE);
      return CB_OKAY;
    }
    case CB_GETITEMHEIGHT:
      if (static_cast<int>(wParam) == -1) return fieldItemHeight_;
      return ToList(LB_GETITEMHEIGHT, wParam, 0);
    case CB_SETEXTENDEDUI:
      extendedUi_ = wParam != 0;
      return CB_OKAY;
    case CB_GETEXTENDEDUI:
      return extendedUi_ ? TRUE : FALSE;
    case CB_GETDROPPEDWIDTH:
      return std::max<LONG>(droppedWidth_, ClientRect(hwnd_).right);
    case CB_SETDROPPEDWIDTH:
      if (static_cast<int>(wParam) < 0) return CB_ERR;
      droppedWidth_ = static_cast<int>(wParam);
      return std::max<LONG>(droppedWidth_, ClientRect(hwnd_).right);
    case CB_GETEDITSEL:
      return edit_ ? SendMessageW(edit_, EM_GETSEL, wParam, lParam) : CB_ERR;
    case CB_SETEDITSEL:
      if (!edit_) return CB_ERR;
      SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(static_cast<short>(LOWORD(lParam))),
                   static_cast<short>(HIWORD(lParam)));
      return TRUE;
    case CB_LIMITTEXT:
      if (!edit_) return CB_ERR;
      SendMessageW(edit_, EM_LIMITTEXT, wParam, 0);
      return TRUE;
    case CB_GETCOMBOBOXINFO:
      return Info(reinterpret_cast<COMBOBOXINFO*>(lParam));
    case CB_DIR:
      return CB_ERR;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

std::u16string ComboBox::ItemText(int index) const {
  if (!list_ || !HasStrings()) return {};
  const LRESULT length = SendMessageW(list_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  const LRESULT copied =
      SendMessageW(list_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
  return text;
}

void ComboBox::UpdateField() {
  if (edit_) {
    settingEdit_ = true;
    const std::u16string text = shown_ >= 0 ? ItemText(shown_) : std::u16string();
    SetWindowTextW(edit_, text.c_str());
    if (focused_) SendMessageW(edit_, EM_SETSEL, 0, -1);
    settingEdit_ = false;
  }
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void ComboBox::SyncShown() {
  const int now = list_ ? static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0)) : -1;
  if (now == shown_ || dropped_) return;
  const bool lost = now < 0;
  shown_ = now;
  // An edit field keeps what was typed when its item goes; the plain field shows the choice.
  if (!edit_ || !lost) UpdateField();
}

LRESULT ComboBox::SetCurSel(int index) {
  const LRESULT r = ToList(LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (r == LB_ERR && index != -1) return CB_ERR;
  shown_ = index;
  choiceAtDrop_ = index;
  UpdateField();
  return r;
}

LRESULT ComboBox::SetText(LPCWSTR text) {
  if (edit_) {
    settingEdit_ = true;
    SetWindowTextW(edit_, text ? text : u"");
    settingEdit_ = false;
    return TRUE;
  }
  if (!text) return CB_ERR;
  const LRESULT found = ToList(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
  if (found < 0) return CB_ERR;
  SetCurSel(static_cast<int>(found));
  return TRUE;
}

LRESULT ComboBox::GetText(LPWSTR buffer, size_t capacity) const {
  if (edit_) return SendMessageW(edit_, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(buffer));
  return CopyOut(shown_ >= 0 ? ItemText(shown_) : std::u16string(), buffer, capacity);
}

LRESULT ComboBox::TextLength() const {
  if (edit_) return SendMessageW(edit_, WM_GETTEXTLENGTH, 0, 0);
  return shown_ >= 0 ? static_cast<LRESULT>(ItemText(shown_).size()) : 0;
}

LRESULT ComboBox::Info(COMBOBOXINFO* info) const {
  if (!info || info->cbSize != sizeof(COMBOBOXINFO)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->rcItem = ItemRect();
  info->rcButton = ButtonRect();
  info->stateButton = kind_ == Kind::Simple ? STATE_SYSTEM_INVISIBLE : (pressed_ ? STATE_SYSTEM_PRESSED : 0);
  info->hwndCombo = hwnd_;
  info->hwndItem = edit_ ? edit_ : hwnd_;
  info->hwndList = list_;
  return TRUE;
}

void ComboBox::SetFont(HFONT font, bool redraw) {
  font_ = font;
  if (edit_) SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (list_) SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (!fieldHeightSet_) {
    MeasureDc measure(font_);
    TEXTMETRICW tm{};
    GetTextMetricsW(measure.Dc(), &tm);
    fieldItemHeight_ = tm.tmHeight + 2;
    FitHeight();
  }
  Layout();
  InvalidateRect(hwnd_, nullptr, FALSE);
  if (redraw) UpdateWindow(hwnd_);
}

}  // namespace kx2::user32

namespace {

void RegisterComboClass() { kx2::user32::textctl::RegisterControl<kx2::user32::ComboBox>(WC_COMBOBOXW, CS_DBLCLKS); }

const kx2::user32::textctl::RegisterAtLoad registered{&RegisterComboClass};

}  // namespace

KX2_EXPORT BOOL GetComboBoxInfo(HWND hwndCombo, PCOMBOBOXINFO pcbi) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!IsWindow(hwndCombo)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    return SendMessageW(hwndCombo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(pcbi)) ? TRUE : FALSE;
  });
}

// Dropping and closing a combo box's list, and what the box does with its list's and edit
// field's notifications, its keys, its mouse presses and the focus.
//
// The list drops below the box (above it when the screen has more room there), as wide as
// the box or its dropped width, as high as its items up to the height the box was made
// with. While it is dropped it holds the mouse and the focus stays on the box: keys move
// its choice through the box, Enter, F4 and Alt+Up keep the choice, Esc goes back to the
// one made before dropping, a release on an item takes it, a press elsewhere gives up.
#include <algorithm>

#include "ComboBox.h"
#include "ComboListProtocol.h"

namespace kx2::user32 {

using namespace textctl;

RECT ComboBox::DropRect() const {
  RECT box{};
  GetWindowRect(hwnd_, &box);
  const int count = static_cast<int>(std::max<LRESULT>(0, SendMessageW(list_, LB_GETCOUNT, 0, 0)));
  int content = 0;
  if (Style() & CBS_OWNERDRAWVARIABLE) {
    for (int i = 0; i < count && content < listHeight_; ++i)
      content += static_cast<int>(std::max<LRESULT>(1, SendMessageW(list_, LB_GETITEMHEIGHT, i, 0)));
  } else {
    const int item = static_cast<int>(std::max<LRESULT>(1, SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0)));
    content = item * std::max(1, count);
  }
  const int border = 2 * GetSystemMetrics(SM_CYBORDER);
  const int firstItem = static_cast<int>(std::max<LRESULT>(1, SendMessageW(list_, LB_GETITEMHEIGHT, 0, 0)));
  const int height = std::max(std::min(content, listHeight_), firstItem) + border;
  const int width = std::max<int>(droppedWidth_, box.right - box.left);
  RECT r{box.left, box.bottom, box.left + width, box.bottom + height};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromRect(&box, MONITOR_DEFAULTTONEAREST), &info)) {
    const RECT& work = info.rcWork;
    if (r.bottom > work.bottom && box.top - work.top > work.bottom - box.bottom) OffsetRect(&r, 0, box.top - r.bottom);
  }
  return r;
}

void ComboBox::Drop(bool held) {
  if (kind_ == Kind::Simple || dropped_ || closing_ || !list_ || !IsWindowEnabled(hwnd_)) return;
  if (!Tell(CBN_DROPDOWN)) return;  // the owner may fill the list now
  if (dropped_ || !IsWindowVisible(hwnd_)) return;
  choiceAtDrop_ = shown_ = static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0));
  const RECT r = DropRect();
  SetWindowPos(list_, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (shown_ >= 0)
    SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(shown_), 0);
  else
    SendMessageW(list_, LB_SETTOPINDEX, 0, 0);
  dropped_ = true;
  pressed_ = held;
  InvalidateRect(hwnd_, nullptr, FALSE);
  SendMessageW(list_, combolist::kDropMode, held ? combolist::kDropHeld : combolist::kDropOn, 0);
}

void ComboBox::Close(bool keep) {
  if (!dropped_ || closing_) return;
  closing_ = true;
  dropped_ = false;
  HWND self = hwnd_;
  if (keep) {
    const int chosen = static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0));
    if (chosen != shown_) {
      shown_ = chosen;
      UpdateField();
      if (!Tell(CBN_SELCHANGE)) return;
    }
    if (!Tell(CBN_SELENDOK)) return;
  } else {
    if (!Tell(CBN_SELENDCANCEL)) return;
    SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(choiceAtDrop_), 0);
    if (shown_ != choiceAtDrop_) {
      shown_ = choiceAtDrop_;
      UpdateField();
      if (!Tell(CBN_SELCHANGE)) return;
    }
  }
  if (list_ && IsWindow(list_)) {
    SendMessageW(list_, combolist::kDropMode, combolist::kDropOff, 0);
    ShowWindow(list_, SW_HIDE);
  }
  if (!IsWindow(self)) return;
  pressed_ = false;
  InvalidateRect(hwnd_, nullptr, FALSE);
  closing_ = false;
  Tell(CBN_CLOSEUP);
}

void ComboBox::ListCommand(WORD code) {
  switch (code) {
    case LBN_SELCHANGE:
      // A key moved the choice (or a click in a simple box's list).
      shown_ = static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0));
      UpdateField();
      Tell(CBN_SELCHANGE);
      break;
    case LBN_DBLCLK:
      Tell(CBN_DBLCLK);
      break;
    case combolist::kPicked:
      Close(true);
      break;
    case combolist::kCancelled:
      Close(false);
      break;
    case combolist::kReleased:
      if (pressed_) {
        pressed_ = false;
        InvalidateRect(hwnd_, nullptr, FALSE);
      }
      break;
    default:
      break;
  }
}

void ComboBox::EditCommand(WORD code) {
  if (settingEdit_) return;
  HWND self = hwnd_;
  switch (code) {
    case EN_UPDATE:
      Tell(CBN_EDITUPDATE);
      break;
    case EN_CHANGE: {
      if (!Tell(CBN_EDITCHANGE)) return;
      // What was typed lights the item it begins (dropped or simple) or names (closed).
      const std::u16string text = [&] {
        const int length = GetWindowTextLengthW(edit_);
        std::u16string t(static_cast<size_t>(length) + 1, u'\0');
        t.resize(static_cast<size_t>(GetWindowTextW(edit_, t.data(), length + 1)));
        return t;
      }();
      const bool listShown = dropped_ || kind_ == Kind::Simple;
      LRESULT found = LB_ERR;
      if (!text.empty() && HasStrings())
        found = SendMessageW(list_, listShown ? LB_FINDSTRING : LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(text.c_str()));
      if (!IsWindow(self)) return;
      SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(found), 0);
      shown_ = static_cast<int>(found);
      break;
    }
    default:
      break;
  }
}

// Keys the dialog manager would take otherwise: Enter and Esc close a dropped list.
bool ComboBox::WantsKey(const MSG* msg) const {
  return dropped_ && msg && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE);
}

bool ComboBox::Key(UINT vk, bool alt) {
  if (alt) {
    if (vk != VK_DOWN && vk != VK_UP) return false;
    if (dropped_)
      Close(true);
    else if (kind_ != Kind::Simple)
      Drop(false);
    return true;
  }
  switch (vk) {
    case VK_F4:
      if (extendedUi_ || kind_ == Kind::Simple) return true;
      if (dropped_)
        Close(true);
      else
        Drop(false);
      return true;
    case VK_RETURN:
      if (dropped_) Close(true);
      return true;
    case VK_ESCAPE:
      if (dropped_) Close(false);
      return true;
    case VK_DOWN:
      if (!dropped_ && extendedUi_ && kind_ != Kind::Simple) {
        Drop(false);
        return true;
      }
      [[fallthrough]];
    case VK_UP:
    case VK_PRIOR:
    case VK_NEXT:
      SendMessageW(list_, WM_KEYDOWN, vk, 0);
      return true;
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
      // The edit field's own keys; the plain field moves the choice.
      if (kind_ == Kind::DropDownList) {
        const UINT as = vk == VK_LEFT ? VK_UP : vk == VK_RIGHT ? VK_DOWN : vk;
        SendMessageW(list_, WM_KEYDOWN, as, 0);
        return true;
      }
      return false;
    default:
      return false;
  }
}

void ComboBox::ButtonDown(POINT p) {
  HWND self = hwnd_;
  if (!IsWindowEnabled(hwnd_)) return;
  HWND focus = GetFocus();
  if (focus != hwnd_ && focus != edit_) SetFocus(hwnd_);
  if (!IsWindow(self) || kind_ == Kind::Simple) return;
  const RECT button = ButtonRect();
  const RECT field{0, 0, ClientRect(hwnd_).right, FieldHeight()};
  const bool onDrop = PtInRect(&button, p) || (kind_ == Kind::DropDownList && PtInRect(&field, p));
  if (!onDrop) return;
  if (dropped_) {
    Close(true);
    return;
  }
  Drop(true);
}

void ComboBox::GotFocus() {
  if (focused_) return;
  focused_ = true;
  if (edit_) SendMessageW(edit_, EM_SETSEL, 0, -1);
  InvalidateRect(hwnd_, nullptr, FALSE);
  Tell(CBN_SETFOCUS);
}

void ComboBox::LostFocus(HWND next) {
  if (next && (next == hwnd_ || next == edit_ || next == list_)) return;
  if (!focused_) return;
  HWND self = hwnd_;
  Close(false);
  if (!IsWindow(self)) return;
  focused_ = false;
  if (edit_) SendMessageW(edit_, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  InvalidateRect(hwnd_, nullptr, FALSE);
  Tell(CBN_KILLFOCUS);
}

}  // namespace kx2::user32

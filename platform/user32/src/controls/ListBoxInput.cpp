// A list box's keys and mouse: the caret moves with the arrows, Home/End and the page keys
// (choosing as it goes in single and extended lists), Space toggles in multiple lists,
// letters find the next item beginning with what was typed, and presses choose the item
// under the mouse, dragging on in single and extended lists. A combo box's dropped list
// holds the mouse instead: the item under it is lit, a release on one takes it and a press
// outside the list gives up.
#include <algorithm>

#include "ComboListProtocol.h"
#include "ListBox.h"
#include "win/dialog.h"

namespace kx2::user32 {

using namespace textctl;

namespace {
constexpr DWORD kTypeAheadMs = 1000;  // letters typed closer than this make one prefix
}

LRESULT ListBox::Key(UINT vk) {
  if ((Style() & LBS_WANTKEYBOARDINPUT) && !combo_) {
    const LRESULT answer = SendMessageW(Owner(), WM_VKEYTOITEM, MAKEWPARAM(static_cast<WORD>(vk), caret_),
                                        reinterpret_cast<LPARAM>(hwnd_));
    if (!IsWindow(hwnd_) || answer == -2) return 0;
    if (answer >= 0) {
      if (items_.Valid(static_cast<int>(answer))) GoTo(static_cast<int>(answer), false, false);
      return 0;
    }
  }
  switch (vk) {
    case VK_UP:
    case VK_DOWN:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_HOME:
    case VK_END:
      MoveCaretBy(vk);
      return 0;
    case VK_SPACE: {
      const Mode mode = SelectionMode();
      const bool toggle = mode == Mode::Multiple || (mode == Mode::Extended && KeyDown(VK_CONTROL));
      if (toggle && items_.Valid(caret_)) {
        items_.At(caret_).selected = !items_.At(caret_).selected;
        anchor_ = caret_;
        InvalidateItem(caret_);
        NotifySelChange();
      } else if (mode == Mode::Extended && items_.Valid(caret_)) {
        GoTo(caret_, KeyDown(VK_SHIFT), false);
      }
      return 0;
    }
    default:
      return 0;
  }
}

void ListBox::MoveCaretBy(UINT vk) {
  const int count = items_.Count();
  if (count == 0) return;
  const int page = std::max(1, FullyVisible() - 1);
  const int side = MultiColumn() ? PerColumn() : 1;
  int target = caret_;
  switch (vk) {
    case VK_UP:
      --target;
      break;
    case VK_DOWN:
      ++target;
      break;
    case VK_LEFT:
      target -= side;
      break;
    case VK_RIGHT:
      target += side;
      break;
    case VK_PRIOR:
      target -= page;
      break;
    case VK_NEXT:
      target += page;
      break;
    case VK_HOME:
      target = 0;
      break;
    default:
      target = count - 1;
      break;
  }
  // With nothing chosen yet, the first step chooses the caret's own item.
  if (SelectionMode() == Mode::Single && cursel_ < 0 && (vk == VK_UP || vk == VK_DOWN)) target = caret_;
  GoTo(std::clamp(target, 0, count - 1), KeyDown(VK_SHIFT), KeyDown(VK_CONTROL));
}

void ListBox::GoTo(int index, bool shift, bool control) {
  if (!items_.Valid(index)) return;
  InvalidateItem(caret_);
  switch (SelectionMode()) {
    case Mode::Single:
      if (index != cursel_) {
        InvalidateItem(cursel_);
        cursel_ = caret_ = index;
        ShowItem(index);
        InvalidateItem(index);
        NotifySelChange();
        return;
      }
      caret_ = index;
      break;
    case Mode::Extended: {
      if (control && !shift) {
        caret_ = index;
        break;
      }
      if (!shift || anchor_ < 0) anchor_ = shift ? caret_ : index;
      const int low = std::min(anchor_, index), high = std::max(anchor_, index);
      bool changed = false;
      for (int i = 0; i < items_.Count(); ++i) {
        const bool want = (i >= low && i <= high) || (control && items_.At(i).selected);
        if (items_.At(i).selected != want) {
          items_.At(i).selected = want;
          InvalidateItem(i);
          changed = true;
        }
      }
      caret_ = index;
      ShowItem(index);
      InvalidateItem(index);
      if (changed) NotifySelChange();
      return;
    }
    default:
      caret_ = index;
      break;
  }
  ShowItem(index);
  InvalidateItem(index);
}

int ListBox::TypeAhead(char16_t c) {
  const DWORD now = GetTickCount();
  if (now - typedAt_ > kTypeAheadMs) typed_.clear();
  typedAt_ = now;
  typed_ += c;
  const bool repeated = std::all_of(typed_.begin(), typed_.end(), [&](char16_t t) { return t == typed_[0]; });
  // One letter, or the same one again: the next item with it. More: the current item may
  // still be the one the longer prefix names.
  if (repeated) return items_.Find(caret_, std::u16string_view(typed_).substr(0, 1), false, locale_);
  return items_.Find(caret_ - 1, typed_, false, locale_);
}

LRESULT ListBox::Char(char16_t c) {
  if ((Style() & LBS_WANTKEYBOARDINPUT) && !HasStrings() && !combo_) {
    const LRESULT answer = SendMessageW(Owner(), WM_CHARTOITEM, MAKEWPARAM(c, caret_), reinterpret_cast<LPARAM>(hwnd_));
    if (IsWindow(hwnd_) && answer >= 0 && items_.Valid(static_cast<int>(answer)))
      GoTo(static_cast<int>(answer), false, false);
    return 0;
  }
  if (!HasStrings() || c < u' ' || (c == u' ' && SelectionMode() != Mode::Single)) return 0;
  const int found = TypeAhead(c);
  if (found >= 0) GoTo(found, false, false);
  return 0;
}

void ListBox::ChooseByMouse(int index, bool first) {
  if (!items_.Valid(index)) return;
  const bool shift = KeyDown(VK_SHIFT), control = KeyDown(VK_CONTROL);
  switch (SelectionMode()) {
    case Mode::Multiple:
      if (first) {
        items_.At(index).selected = !items_.At(index).selected;
        InvalidateItem(caret_);
        caret_ = anchor_ = index;
        InvalidateItem(index);
        NotifySelChange();
      }
      break;
    case Mode::Extended:
      if (first && control && !shift) {
        items_.At(index).selected = !items_.At(index).selected;
        InvalidateItem(caret_);
        caret_ = anchor_ = index;
        InvalidateItem(index);
        NotifySelChange();
      } else {
        GoTo(index, shift || !first, control);
      }
      break;
    default:
      GoTo(index, false, false);
      break;
  }
}

void ListBox::ButtonDown(POINT p, bool doubleClick) {
  HWND self = hwnd_;
  if (combo_) {
    // The focus stays with the combo box (its edit), never the list.
    if (GetFocus() != combo_ && !IsChild(combo_, GetFocus())) SetFocus(combo_);
  } else if (GetFocus() != hwnd_) {
    SetFocus(hwnd_);
  }
  if (!IsWindow(self)) return;
  bool inside = false;
  const int index = ItemUnder(p, &inside);
  if (!inside) return;
  choiceBefore_ = cursel_;
  ChooseByMouse(index, true);
  if (!IsWindow(self)) return;
  if (doubleClick) {
    if (combo_ || (Style() & LBS_NOTIFY)) Notify(LBN_DBLCLK);
    return;
  }
  tracking_ = true;
  SetCapture(hwnd_);
}

void ListBox::MouseMove(POINT p) {
  if (!tracking_ || GetCapture() != hwnd_) return;
  const Mode mode = SelectionMode();
  if (mode != Mode::Single && mode != Mode::Extended) return;
  const RECT client = ClientRect(hwnd_);
  // Past the top or bottom edge the list scrolls a step towards the pointer.
  if (!MultiColumn() && p.y < 0 && top_ > 0) SetTop(top_ - 1);
  if (!MultiColumn() && p.y >= client.bottom) SetTop(top_ + 1);
  POINT inside{std::clamp<LONG>(p.x, 0, std::max<LONG>(0, client.right - 1)),
               std::clamp<LONG>(p.y, 0, std::max<LONG>(0, client.bottom - 1))};
  bool within = false;
  const int index = ItemUnder(inside, &within);
  if (index >= 0 && index != caret_) ChooseByMouse(index, false);
}

void ListBox::ButtonUp(POINT) { EndTracking(); }

void ListBox::EndTracking() {
  tracking_ = false;
  if (GetCapture() == hwnd_) {
    releasing_ = true;
    ReleaseCapture();
    releasing_ = false;
  }
}

// ---- The dropped list of a combo box ---------------------------------------------------------

void ListBox::SetDropMode(WPARAM mode) {
  if (mode == combolist::kDropOff) {
    dropped_ = held_ = false;
    EndTracking();
    return;
  }
  dropped_ = true;
  held_ = mode == combolist::kDropHeld;
  enteredList_ = false;
  SetCapture(hwnd_);
}

// Lights the item under the pointer without telling anyone: only a release takes it.
void ListBox::DroppedMouseMove(POINT p) {
  const RECT client = ClientRect(hwnd_);
  const bool buttonDown = held_ || KeyDown(VK_LBUTTON);
  if (buttonDown && p.x >= 0 && p.x < client.right) {
    if (p.y < 0) SetTop(top_ - 1);
    if (p.y >= client.bottom) SetTop(top_ + 1);
  }
  if (!PtInRect(&client, p)) return;
  enteredList_ = true;
  bool inside = false;
  const int index = ItemUnder(p, &inside);
  if (!inside || index == cursel_) return;
  InvalidateItem(cursel_);
  cursel_ = caret_ = index;
  InvalidateItem(index);
}

void ListBox::DroppedButtonDown(POINT p, UINT message, WPARAM wParam, LPARAM lParam) {
  const RECT client = ClientRect(hwnd_);
  if (PtInRect(&client, p)) {
    held_ = true;
    DroppedMouseMove(p);
    return;
  }
  POINT screen = p;
  ClientToScreen(hwnd_, &screen);
  RECT window{};
  GetWindowRect(hwnd_, &window);
  if (PtInRect(&window, screen)) {
    // The list's own scroll bar: its loop takes the mouse for as long as it runs, then the
    // list takes it back.
    HWND self = hwnd_;
    const LRESULT hit = SendMessageW(hwnd_, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    releasing_ = true;
    ReleaseCapture();
    releasing_ = false;
    DefWindowProcW(hwnd_, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), MAKELPARAM(screen.x, screen.y));
    if (IsWindow(self) && dropped_) SetCapture(hwnd_);
    return;
  }
  Notify(combolist::kCancelled);
}

void ListBox::DroppedButtonUp(POINT p) {
  const bool wasHeld = held_;
  held_ = false;
  const RECT client = ClientRect(hwnd_);
  bool inside = false;
  const int index = ItemUnder(p, &inside);
  if (wasHeld && enteredList_ && PtInRect(&client, p) && inside) {
    InvalidateItem(cursel_);
    cursel_ = caret_ = index;
    Notify(combolist::kPicked);
    return;
  }
  Notify(combolist::kReleased);
}

}  // namespace kx2::user32

// The "Button" class: push, default, split, check, three-state, radio, group, user and
// owner-drawn buttons. A press holds the capture and shows the button pushed while the
// mouse is over it; the click comes on release over it (or Space released), changes an
// automatic button's check state, then tells the parent with BN_CLICKED.
#include <vector>

#include "ButtonLayout.h"
#include "ButtonPaint.h"
#include "ControlCommon.h"

namespace kx2::user32 {
namespace {

constexpr UINT kStateBits = 3 | BST_PUSHED | BST_FOCUS | BST_HOT | BST_DROPDOWNPUSHED;

// The radio group a button belongs to: from the sibling that starts it (WS_GROUP, or the
// first) up to the next one that starts another.
std::vector<HWND> GroupOf(HWND hwnd) {
  HWND first = hwnd;
  while (!(StyleOf(first) & WS_GROUP)) {
    HWND previous = GetWindow(first, GW_HWNDPREV);
    if (!previous) break;
    first = previous;
  }
  std::vector<HWND> group;
  for (HWND h = first; h; h = GetWindow(h, GW_HWNDNEXT)) {
    if (h != first && (StyleOf(h) & WS_GROUP)) break;
    group.push_back(h);
  }
  return group;
}

bool IsRadioButton(HWND hwnd) { return (SendMessageW(hwnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0; }

class Button {
 public:
  Button(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { PaintButton(hwnd_, dc, look_); });
      case WM_ERASEBKGND:
        return 1;  // painting covers what the button shows
      case WM_GETDLGCODE:
        return DialogCode();
      case WM_NCHITTEST:
        // A group box lets the mouse through to what lies under it.
        if (Kind() == ButtonKind::Group) return HTTRANSPARENT;
        break;
      case WM_SETFONT:
        look_.font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) Invalidate();
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(look_.font);
      case WM_SETTEXT: {
        const LRESULT kept = DefWindowProcW(hwnd_, message, wParam, lParam);
        if (Kind() == ButtonKind::Group) ClearCaptionRow();
        Invalidate();
        return kept;
      }
      case WM_ENABLE:
      case WM_SYSCOLORCHANGE:
        Invalidate();
        return 0;
      case WM_UPDATEUISTATE: {
        const LRESULT r = DefWindowProcW(hwnd_, message, wParam, lParam);
        Invalidate();
        return r;
      }
      case WM_SETFOCUS:
        look_.state |= BST_FOCUS;
        Invalidate();
        if (StyleOf(hwnd_) & BS_NOTIFY) NotifyParent(hwnd_, BN_SETFOCUS);
        return 0;
      case WM_KILLFOCUS:
        look_.state &= ~BST_FOCUS;
        CancelPress();
        Invalidate();
        if (StyleOf(hwnd_) & BS_NOTIFY) NotifyParent(hwnd_, BN_KILLFOCUS);
        return 0;
      case WM_LBUTTONDBLCLK:
        // Radio, owner-drawn and notifying buttons report the double click; others take it
        // as a second press.
        if (IsRadioType(Type()) || Type() == BS_OWNERDRAW || (StyleOf(hwnd_) & BS_NOTIFY)) {
          NotifyParent(hwnd_, BN_DOUBLECLICKED);
          return 0;
        }
        [[fallthrough]];
      case WM_LBUTTONDOWN:
        return Press(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      case WM_MOUSEMOVE:
        if (mouseDown_ && GetCapture() == hwnd_) SetPushed(Inside(lParam));
        return 0;
      case WM_LBUTTONUP:
        return Release(Inside(lParam));
      case WM_CAPTURECHANGED:
        if (mouseDown_ && reinterpret_cast<HWND>(lParam) != hwnd_) {
          mouseDown_ = false;
          SetPushed(false);
        }
        return 0;
      case WM_KEYDOWN:
        if (wParam == VK_SPACE && !(lParam & (1 << 30)) && Kind() != ButtonKind::Group) {
          spaceDown_ = true;
          SetPushed(true);
          return 0;
        }
        break;
      case WM_KEYUP:
        if (wParam == VK_SPACE && spaceDown_) {
          spaceDown_ = false;
          const bool wasPushed = (look_.state & BST_PUSHED) != 0;
          SetPushed(false);
          if (wasPushed) Click();  // the click may destroy the button: nothing after it
          return 0;
        }
        break;
      case WM_CHAR:
        return Character(wParam);
      case BM_GETCHECK:
        return (IsCheckType(Type()) || IsRadioType(Type())) ? (look_.state & 3) : 0;
      case BM_SETCHECK:
        return SetCheck(wParam);
      case BM_GETSTATE:
        return look_.state & kStateBits;
      case BM_SETSTATE:
        SetPushed(wParam != 0);
        return 0;
      case BM_SETSTYLE:
        return SetStyle(static_cast<DWORD>(wParam), lParam != 0);
      case BM_CLICK:
        return ClickMessage();
      case BM_GETIMAGE:
        return SameImageKind(static_cast<UINT>(wParam)) ? reinterpret_cast<LRESULT>(look_.image) : 0;
      case BM_SETIMAGE:
        return SetImage(static_cast<UINT>(wParam), reinterpret_cast<HANDLE>(lParam));
      case BM_SETDONTCLICK:
        return 0;  // focus never clicks a radio button here
      case BCM_GETIDEALSIZE:
        if (!lParam) return FALSE;
        *reinterpret_cast<SIZE*>(lParam) = IdealButtonSize(hwnd_, look_);
        return TRUE;
      case BCM_SETDROPDOWNSTATE:
        if (!IsSplit(Type())) return FALSE;
        SetFlag(BST_DROPDOWNPUSHED, wParam != 0);
        return TRUE;
      case BCM_SETSPLITINFO:
        return SetSplitInfo(reinterpret_cast<const BUTTON_SPLITINFO*>(lParam));
      case BCM_GETSPLITINFO:
        return GetSplitInfo(reinterpret_cast<BUTTON_SPLITINFO*>(lParam));
      case BCM_SETTEXTMARGIN:
        if (!lParam) return FALSE;
        textMargin_ = *reinterpret_cast<const RECT*>(lParam);
        Invalidate();
        return TRUE;
      case BCM_GETTEXTMARGIN:
        if (!lParam) return FALSE;
        *reinterpret_cast<RECT*>(lParam) = textMargin_;
        return TRUE;
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  UINT Type() const { return ButtonType(StyleOf(hwnd_)); }
  ButtonKind Kind() const { return KindOf(StyleOf(hwnd_)); }
  void Invalidate() const { InvalidateRect(hwnd_, nullptr, FALSE); }

  bool Inside(LPARAM lParam) const {
    const RECT client = ClientRect(hwnd_);
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return PtInRect(&client, pt) != FALSE;
  }

  void SetFlag(UINT flag, bool on) {
    const UINT next = on ? (look_.state | flag) : (look_.state & ~flag);
    if (next == look_.state) return;
    look_.state = next;
    Invalidate();
  }
  void SetPushed(bool pushed) { SetFlag(BST_PUSHED, pushed); }

  LRESULT DialogCode() const {
    const UINT type = Type();
    if (IsRadioType(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
    switch (Kind()) {
      case ButtonKind::Group:
        return DLGC_STATIC;
      case ButtonKind::Push:
        if (IsCheckType(type)) return DLGC_BUTTON;  // a push-like check box
        return DLGC_BUTTON | (IsDefault(type) ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
      default:
        return DLGC_BUTTON;
    }
  }

  LRESULT Press(POINT pt) {
    if (Kind() == ButtonKind::Group) return 0;
    if (IsSplit(Type()) && !(StyleOf(hwnd_) & BS_PUSHLIKE)) {
      const RECT drop = SplitPart(ClientRect(hwnd_));
      if (PtInRect(&drop, pt)) return DropDown();
    }
    if (GetFocus() != hwnd_) SetFocus(hwnd_);
    SetCapture(hwnd_);
    mouseDown_ = true;
    SetPushed(true);
    return 0;
  }

  LRESULT Release(bool inside) {
    if (!mouseDown_) return 0;
    mouseDown_ = false;
    const bool click = inside && (look_.state & BST_PUSHED);
    SetPushed(false);
    if (GetCapture() == hwnd_) ReleaseCapture();
    if (click) Click();  // the click may destroy the button: nothing after it
    return 0;
  }

  void CancelPress() {
    spaceDown_ = false;
    if (mouseDown_) {
      mouseDown_ = false;
      if (GetCapture() == hwnd_) ReleaseCapture();
    }
    SetPushed(false);
  }

  // BCN_DROPDOWN for the drop part of a split button, shown pushed while the owner
  // answers (it usually shows a menu there).
  LRESULT DropDown() {
    HWND hwnd = hwnd_;
    SetFlag(BST_DROPDOWNPUSHED, true);
    NMBCDROPDOWN nm{};
    nm.hdr.hwndFrom = hwnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd));
    nm.hdr.code = BCN_DROPDOWN;
    nm.rcButton = ClientRect(hwnd);
    if (HWND parent = GetParent(hwnd)) SendMessageW(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    if (IsWindow(hwnd)) SendMessageW(hwnd, BCM_SETDROPDOWNSTATE, FALSE, 0);
    return 0;
  }

  // An automatic button changes its check state first, so that the parent reads the new
  // one when BN_CLICKED comes.
  void Click() {
    HWND hwnd = hwnd_;
    switch (Type()) {
      case BS_AUTOCHECKBOX:
        SendMessageW(hwnd, BM_SETCHECK, (look_.state & 3) ? BST_UNCHECKED : BST_CHECKED, 0);
        break;
      case BS_AUTO3STATE:
        SendMessageW(hwnd, BM_SETCHECK, ((look_.state & 3) + 1) % 3, 0);
        break;
      case BS_AUTORADIOBUTTON:
        CheckInGroup();
        break;
      default:
        break;
    }
    if (IsWindow(hwnd)) NotifyParent(hwnd, BN_CLICKED);
  }

  // Checks this radio button and clears every other one of its group.
  void CheckInGroup() {
    HWND hwnd = hwnd_;
    for (HWND other : GroupOf(hwnd))
      if (other != hwnd && IsWindow(other) && IsRadioButton(other)) SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
    if (IsWindow(hwnd)) SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
  }

  // A click without the mouse: the button's state changes and the parent hears of it
  // whatever its size or where the mouse is.
  LRESULT ClickMessage() {
    if (!IsWindowEnabled(hwnd_) || Kind() == ButtonKind::Group) return 0;
    Click();  // the click may destroy the button: nothing after it
    return 0;
  }

  // '+' or '=' checks an automatic check box and '-' clears it, as a click would.
  LRESULT Character(WPARAM ch) {
    const UINT type = Type();
    if (type != BS_AUTOCHECKBOX && type != BS_AUTO3STATE) return 0;
    UINT want;
    if (ch == u'+' || ch == u'=')
      want = BST_CHECKED;
    else if (ch == u'-')
      want = BST_UNCHECKED;
    else
      return 0;
    if ((look_.state & 3) == want) return 0;
    HWND hwnd = hwnd_;
    SendMessageW(hwnd, BM_SETCHECK, want, 0);
    if (IsWindow(hwnd)) NotifyParent(hwnd, BN_CLICKED);
    return 0;
  }

  LRESULT SetCheck(WPARAM value) {
    const UINT type = Type();
    UINT check;
    if (IsCheckType(type)) {
      check = value > BST_INDETERMINATE ? BST_CHECKED : static_cast<UINT>(value);
    } else if (IsRadioType(type)) {
      check = value ? BST_CHECKED : BST_UNCHECKED;
      // The checked radio button is the one Tab stops at in its group.
      const DWORD style = StyleOf(hwnd_);
      const DWORD next = check ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
      if (next != style) SetWindowLongW(hwnd_, GWL_STYLE, static_cast<LONG>(next));
    } else {
      return 0;
    }
    if ((look_.state & 3) != check) {
      look_.state = (look_.state & ~3u) | check;
      Invalidate();
    }
    return 0;
  }

  // The dialog manager moves the default between buttons with BS_PUSHBUTTON and
  // BS_DEFPUSHBUTTON: split and command-link buttons keep their kind, and owner-drawn
  // buttons stay owner-drawn.
  LRESULT SetStyle(DWORD wanted, bool redraw) {
    const DWORD style = StyleOf(hwnd_);
    UINT type = wanted & BS_TYPEMASK;
    const UINT current = style & BS_TYPEMASK;
    const bool pushPair = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
    if (pushPair) {
      const bool makeDefault = type == BS_DEFPUSHBUTTON;
      if (IsSplit(current)) type = makeDefault ? BS_DEFSPLITBUTTON : BS_SPLITBUTTON;
      if (current == BS_COMMANDLINK || current == BS_DEFCOMMANDLINK)
        type = makeDefault ? BS_DEFCOMMANDLINK : BS_COMMANDLINK;
      if (current == BS_OWNERDRAW) type = BS_OWNERDRAW;
    }
    const DWORD next = (style & 0xFFFF0000u) | ((wanted & 0xFFFFu) & ~BS_TYPEMASK) | type;
    if (next != style) SetWindowLongW(hwnd_, GWL_STYLE, static_cast<LONG>(next));
    if (redraw) Invalidate();
    return 0;
  }

  bool SameImageKind(UINT type) const {
    if (!look_.image) return false;
    if (type == IMAGE_BITMAP) return look_.imageType == IMAGE_BITMAP;
    return (type == IMAGE_ICON || type == IMAGE_CURSOR) && look_.imageType != IMAGE_BITMAP;
  }

  LRESULT SetImage(UINT type, HANDLE image) {
    if (type != IMAGE_BITMAP && type != IMAGE_ICON && type != IMAGE_CURSOR) return 0;
    const HANDLE old = look_.image;
    look_.image = image;
    look_.imageType = type;
    Invalidate();
    return reinterpret_cast<LRESULT>(old);
  }

  LRESULT SetSplitInfo(const BUTTON_SPLITINFO* info) {
    if (!info) return FALSE;
    if (info->mask & (BCSIF_GLYPH | BCSIF_IMAGE)) split_.himlGlyph = info->himlGlyph;
    if (info->mask & BCSIF_STYLE) split_.uSplitStyle = info->uSplitStyle;
    if (info->mask & BCSIF_SIZE) split_.size = info->size;
    split_.mask |= info->mask;
    Invalidate();
    return TRUE;
  }

  LRESULT GetSplitInfo(BUTTON_SPLITINFO* info) const {
    if (!info) return FALSE;
    if (info->mask & (BCSIF_GLYPH | BCSIF_IMAGE)) info->himlGlyph = split_.himlGlyph;
    if (info->mask & BCSIF_STYLE) info->uSplitStyle = split_.uSplitStyle;
    if (info->mask & BCSIF_SIZE) info->size = (split_.mask & BCSIF_SIZE) ? split_.size : SIZE{kSplitWidth, kSplitWidth};
    return TRUE;
  }

  // A group box's caption row is cleared before a new caption, so that a shorter one
  // leaves nothing of the old behind.
  void ClearCaptionRow() {
    HDC dc = GetDC(hwnd_);
    if (!dc) return;
    const int saved = SaveDC(dc);
    SelectObject(dc, FontOrSystem(look_.font));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    RECT row = ClientRect(hwnd_);
    row.bottom = row.top + tm.tmHeight;
    FillBackground(dc, row, ParentBrush(hwnd_, WM_CTLCOLORSTATIC, dc));
    RestoreDC(dc, saved);
    ReleaseDC(hwnd_, dc);
  }

  HWND hwnd_;
  ButtonLook look_;
  bool mouseDown_ = false;
  bool spaceDown_ = false;
  BUTTON_SPLITINFO split_{};
  RECT textMargin_{1, 1, 1, 1};
};

void RegisterButtonClass() { RegisterControl<Button>(WC_BUTTONW, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW); }

const RegisterAtLoad registered{&RegisterButtonClass};

}  // namespace
}  // namespace kx2::user32

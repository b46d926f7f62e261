// The toolbar: buttons (push, check, group, drop-down, separators) with images from three
// image lists and texts, laid out in a row or in list style; hot tracking, presses that
// send WM_COMMAND, drop-downs that send TBN_DROPDOWN, and custom draw of the bar and of
// every button. With TBSTYLE_TOOLTIPS its own tooltip holds a tool per button, whose text
// the owner gives (TTN_GETDISPINFOW) or the button's text is.
#include <algorithm>
#include <string>
#include <vector>

#include "Control.h"
#include "Registration.h"
#include "Text.h"

namespace comctl {

namespace {

struct Button {
  TBBUTTON data{};
  std::u16string text;
};

constexpr int kSeparatorWidth = 8;
constexpr int kSplitArrowWidth = 14;
constexpr int kWholeArrowWidth = 10;

class Toolbar {
 public:
  Toolbar(HWND hwnd, const CREATESTRUCTW& cs) : hwnd_(hwnd), owner_(cs.hwndParent) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        // A toolbar with TBSTYLE_TOOLTIPS owns a tooltip window of its own.
        if (Style() & TBSTYLE_TOOLTIPS)
          tooltips_ = CreateWindowExW(0, TOOLTIPS_CLASSW, u"", WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, hwnd_, nullptr,
                                      nullptr, nullptr);
        ownsTooltips_ = tooltips_ != nullptr;
        return 0;
      case WM_DESTROY:
        if (ownsTooltips_ && IsWindow(tooltips_)) DestroyWindow(tooltips_);
        tooltips_ = nullptr;
        break;
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_MOUSEMOVE:
        RelayToTooltip(message, lParam);
        return MouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      case WM_NOTIFY:
        return TooltipText(reinterpret_cast<NMHDR*>(lParam));
      case WM_MOUSELEAVE:
        leaveTracked_ = false;
        if (pressed_ < 0) SetHot(-1);
        return 0;
      case WM_LBUTTONDOWN:
        RelayToTooltip(message, lParam);
        return MouseDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      case WM_LBUTTONUP:
        return MouseUp(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});

      case TB_BUTTONSTRUCTSIZE:
        return 0;
      case TB_ADDBUTTONSW:
        return Insert(static_cast<int>(buttons_.size()), static_cast<int>(wParam),
                      reinterpret_cast<const TBBUTTON*>(lParam));
      case TB_INSERTBUTTONW:
        return Insert(static_cast<int>(wParam), 1, reinterpret_cast<const TBBUTTON*>(lParam));
      case TB_DELETEBUTTON:
        if (!Valid(static_cast<int>(wParam))) return FALSE;
        buttons_.erase(buttons_.begin() + static_cast<ptrdiff_t>(wParam));
        if (hot_ >= static_cast<int>(buttons_.size())) hot_ = -1;
        Redraw();
        return TRUE;
      case TB_BUTTONCOUNT:
        return static_cast<LRESULT>(buttons_.size());
      case TB_GETBUTTON: {
        const int i = static_cast<int>(wParam);
        if (!Valid(i) || !lParam) return FALSE;
        *reinterpret_cast<TBBUTTON*>(lParam) = buttons_[static_cast<size_t>(i)].data;
        return TRUE;
      }
      case TB_COMMANDTOINDEX:
        return IndexOf(static_cast<int>(wParam));
      case TB_GETITEMRECT: {
        const int i = static_cast<int>(wParam);
        if (!Valid(i) || !lParam) return FALSE;
        *reinterpret_cast<RECT*>(lParam) = Layout()[static_cast<size_t>(i)];
        return TRUE;
      }
      case TB_GETRECT: {
        const int i = IndexOf(static_cast<int>(wParam));
        if (i < 0 || !lParam) return FALSE;
        *reinterpret_cast<RECT*>(lParam) = Layout()[static_cast<size_t>(i)];
        return TRUE;
      }
      case TB_HITTEST: {
        const auto* pt = reinterpret_cast<const POINT*>(lParam);
        return pt ? HitTest(*pt) : -1;
      }
      case TB_ENABLEBUTTON:
        return SetStateBit(static_cast<int>(wParam), TBSTATE_ENABLED, LOWORD(lParam) != 0);
      case TB_CHECKBUTTON:
        return SetStateBit(static_cast<int>(wParam), TBSTATE_CHECKED, LOWORD(lParam) != 0);
      case TB_PRESSBUTTON:
        return SetStateBit(static_cast<int>(wParam), TBSTATE_PRESSED, LOWORD(lParam) != 0);
      case TB_HIDEBUTTON:
        return SetStateBit(static_cast<int>(wParam), TBSTATE_HIDDEN, LOWORD(lParam) != 0);
      case TB_INDETERMINATE:
        return SetStateBit(static_cast<int>(wParam), TBSTATE_INDETERMINATE, LOWORD(lParam) != 0);
      case TB_ISBUTTONENABLED:
        return StateBit(static_cast<int>(wParam), TBSTATE_ENABLED);
      case TB_ISBUTTONCHECKED:
        return StateBit(static_cast<int>(wParam), TBSTATE_CHECKED);
      case TB_ISBUTTONPRESSED:
        return StateBit(static_cast<int>(wParam), TBSTATE_PRESSED);
      case TB_ISBUTTONHIDDEN:
        return StateBit(static_cast<int>(wParam), TBSTATE_HIDDEN);
      case TB_GETSTATE: {
        const int i = IndexOf(static_cast<int>(wParam));
        return i < 0 ? -1 : buttons_[static_cast<size_t>(i)].data.fsState;
      }
      case TB_SETSTATE: {
        const int i = IndexOf(static_cast<int>(wParam));
        if (i < 0) return FALSE;
        buttons_[static_cast<size_t>(i)].data.fsState = static_cast<BYTE>(LOWORD(lParam));
        Redraw();
        return TRUE;
      }
      case TB_GETBUTTONTEXTW:
      case TB_GETBUTTONTEXTA:
        return ButtonText(static_cast<int>(wParam), message == TB_GETBUTTONTEXTA, lParam);
      case TB_ADDSTRINGW:
        return AddStrings(wParam, lParam);
      case TB_SETIMAGELIST:
      case TB_SETHOTIMAGELIST:
      case TB_SETDISABLEDIMAGELIST: {
        HIMAGELIST& slot = message == TB_SETIMAGELIST      ? images_
                           : message == TB_SETHOTIMAGELIST ? hotImages_
                                                           : disabledImages_;
        const HIMAGELIST old = slot;
        slot = reinterpret_cast<HIMAGELIST>(lParam);
        Redraw();
        return reinterpret_cast<LRESULT>(old);
      }
      case TB_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(images_);
      case TB_GETHOTIMAGELIST:
        return reinterpret_cast<LRESULT>(hotImages_);
      case TB_GETDISABLEDIMAGELIST:
        return reinterpret_cast<LRESULT>(disabledImages_);
      case TB_SETBUTTONSIZE:
        buttonSize_ = SIZE{LOWORD(lParam), HIWORD(lParam)};
        Redraw();
        return TRUE;
      case TB_GETBUTTONSIZE: {
        const SIZE s = ButtonSize();
        return MAKELONG(static_cast<WORD>(s.cx), static_cast<WORD>(s.cy));
      }
      case TB_SETBITMAPSIZE:
        bitmapSize_ = SIZE{LOWORD(lParam), HIWORD(lParam)};
        Redraw();
        return TRUE;
      case TB_SETPADDING: {
        const LRESULT old = MAKELONG(static_cast<WORD>(padding_.cx), static_cast<WORD>(padding_.cy));
        padding_ = SIZE{LOWORD(lParam), HIWORD(lParam)};
        return old;
      }
      case TB_GETPADDING:
        return MAKELONG(static_cast<WORD>(padding_.cx), static_cast<WORD>(padding_.cy));
      case TB_SETEXTENDEDSTYLE: {
        const DWORD old = extended_;
        extended_ = static_cast<DWORD>(lParam);
        Redraw();
        return old;
      }
      case TB_GETEXTENDEDSTYLE:
        return extended_;
      case TB_SETSTYLE:
        SetWindowLongW(hwnd_, GWL_STYLE, static_cast<LONG>(lParam));
        return 0;
      case TB_GETSTYLE:
        return Style();
      case TB_SETMAXTEXTROWS:
        maxTextRows_ = std::max(0, static_cast<int>(wParam));
        return TRUE;
      case TB_GETTEXTROWS:
        return maxTextRows_;
      case TB_GETHOTITEM:
        return hot_;
      case TB_SETHOTITEM: {
        const int old = hot_;
        SetHot(Valid(static_cast<int>(wParam)) ? static_cast<int>(wParam) : -1);
        return old;
      }
      case TB_GETTOOLTIPS:
        return reinterpret_cast<LRESULT>(tooltips_);
      case TB_SETTOOLTIPS:
        tooltips_ = reinterpret_cast<HWND>(wParam);
        return 0;
      case TB_AUTOSIZE:
        Redraw();
        return 0;
      case TB_GETMAXSIZE: {
        auto* size = reinterpret_cast<SIZE*>(lParam);
        if (!size) return FALSE;
        int right = 0, bottom = 0;
        for (const RECT& r : Layout()) {
          right = std::max(right, static_cast<int>(r.right));
          bottom = std::max(bottom, static_cast<int>(r.bottom));
        }
        *size = SIZE{right, bottom};
        return TRUE;
      }
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  DWORD Style() const { return static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)); }
  bool Valid(int i) const { return i >= 0 && i < static_cast<int>(buttons_.size()); }
  bool List() const { return (Style() & TBSTYLE_LIST) != 0; }
  void Redraw() {
    SyncTools();
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  // The own tooltip's tools follow the buttons: one per button that is no separator, over
  // its rectangle, keyed by its command. Only a change of buttons or places touches them, so
  // that a tip on its way is not restarted by a repaint.
  void SyncTools() {
    if (!ownsTooltips_ || !IsWindow(tooltips_)) return;
    std::vector<std::pair<int, RECT>> wanted;
    const std::vector<RECT> rects = Layout();
    for (size_t i = 0; i < buttons_.size(); ++i)
      if (!(buttons_[i].data.fsStyle & BTNS_SEP)) wanted.emplace_back(buttons_[i].data.idCommand, rects[i]);
    auto same = [](const std::pair<int, RECT>& a, const std::pair<int, RECT>& b) {
      return a.first == b.first && EqualRect(&a.second, &b.second);
    };
    if (std::equal(wanted.begin(), wanted.end(), tools_.begin(), tools_.end(), same)) return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = hwnd_;
    for (const auto& [id, rect] : tools_) {
      tool.uId = static_cast<UINT_PTR>(id);
      SendMessageW(tooltips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    for (const auto& [id, rect] : wanted) {
      tool.uId = static_cast<UINT_PTR>(id);
      tool.rect = rect;
      SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    tools_ = std::move(wanted);
  }
  void RelayToTooltip(UINT message, LPARAM lParam) {
    if (!tooltips_ || !IsWindow(tooltips_)) return;
    MSG relayed{};
    relayed.hwnd = hwnd_;
    relayed.message = message;
    relayed.lParam = lParam;
    SendMessageW(tooltips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  }
  // The own tooltip asks for a button's text: the owner may give it; else the button's own.
  LRESULT TooltipText(NMHDR* header) {
    if (!header || header->hwndFrom != tooltips_ || header->code != TTN_GETDISPINFOW) return 0;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    SendMessageW(Owner(), WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(info));
    const bool given = (info->lpszText && info->lpszText != LPSTR_TEXTCALLBACKW) || info->szText[0];
    const int i = IndexOf(static_cast<int>(header->idFrom));
    if (!given && i >= 0) info->lpszText = const_cast<LPWSTR>(buttons_[static_cast<size_t>(i)].text.c_str());
    return 0;
  }
  HWND Owner() const { return owner_ ? owner_ : GetParent(hwnd_); }

  int IndexOf(int command) const {
    for (size_t i = 0; i < buttons_.size(); ++i)
      if (buttons_[i].data.idCommand == command && !(buttons_[i].data.fsStyle & BTNS_SEP)) return static_cast<int>(i);
    return -1;
  }

  LRESULT StateBit(int command, BYTE bit) const {
    const int i = IndexOf(command);
    return i >= 0 && (buttons_[static_cast<size_t>(i)].data.fsState & bit) ? TRUE : FALSE;
  }

  LRESULT SetStateBit(int command, BYTE bit, bool on) {
    const int i = IndexOf(command);
    if (i < 0) return FALSE;
    BYTE& state = buttons_[static_cast<size_t>(i)].data.fsState;
    state = on ? static_cast<BYTE>(state | bit) : static_cast<BYTE>(state & ~bit);
    Redraw();
    return TRUE;
  }

  LRESULT Insert(int at, int count, const TBBUTTON* given) {
    if (!given || count <= 0 || at < 0) return FALSE;
    at = std::min(at, static_cast<int>(buttons_.size()));
    for (int n = 0; n < count; ++n) {
      Button b;
      b.data = given[n];
      // iString is a pool index when small, else the text itself.
      if (b.data.iString >= 0 && b.data.iString < static_cast<INT_PTR>(strings_.size()))
        b.text = strings_[static_cast<size_t>(b.data.iString)];
      else if (b.data.iString > 0xFFFF)
        b.text = FromText(reinterpret_cast<LPCWSTR>(b.data.iString));
      buttons_.insert(buttons_.begin() + at + n, std::move(b));
    }
    Redraw();
    return TRUE;
  }

  // One string, or a list of strings each ending in a null with an empty one last; from a
  // resource when wParam names a module (not built: the tree keeps toolbar texts inline).
  LRESULT AddStrings(WPARAM module, LPARAM text) {
    if (module || !text) return -1;
    const int first = static_cast<int>(strings_.size());
    for (auto* p = reinterpret_cast<LPCWSTR>(text); *p;) {
      std::u16string s(p);
      p += s.size() + 1;
      strings_.push_back(std::move(s));
    }
    return first;
  }

  LRESULT ButtonText(int command, bool narrow, LPARAM buffer) const {
    const int i = IndexOf(command);
    if (i < 0) return -1;
    const std::u16string& text = buttons_[static_cast<size_t>(i)].text;
    if (narrow) {
      const std::string a = ToAnsi(text);
      if (buffer) CopyOut(text, reinterpret_cast<LPSTR>(buffer), static_cast<int>(a.size()) + 1);
      return static_cast<LRESULT>(a.size());
    }
    // The message carries no size: a caller asks with a null buffer first.
    if (buffer) CopyOut(text, reinterpret_cast<LPWSTR>(buffer), static_cast<int>(text.size()) + 1);
    return static_cast<LRESULT>(text.size());
  }

  SIZE ImageSize() const {
    int cx = bitmapSize_.cx, cy = bitmapSize_.cy;
    if (images_) ImageList_GetIconSize(images_, &cx, &cy);
    return SIZE{cx, cy};
  }

  SIZE TextSize(const std::u16string& text) const {
    SIZE size{0, 0};
    if (text.empty() || maxTextRows_ == 0) return size;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, FontOr(font_));
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    return size;
  }

  bool ShowsText(const Button& b) const {
    return !b.text.empty() && (!List() || !(extended_ & TBSTYLE_EX_MIXEDBUTTONS) || (b.data.fsStyle & BTNS_SHOWTEXT));
  }

  // The common button size: the image with its padding, and below it (or beside it in list
  // style) the tallest and widest text.
  SIZE ButtonSize() const {
    if (buttonSize_.cx > 0 && buttonSize_.cy > 0) return buttonSize_;
    const SIZE image = ImageSize();
    int textW = 0, textH = 0;
    for (const Button& b : buttons_)
      if (ShowsText(b)) {
        const SIZE t = TextSize(b.text);
        // Buttons sized to their own text do not widen the others.
        if (!(b.data.fsStyle & BTNS_AUTOSIZE)) textW = std::max(textW, static_cast<int>(t.cx));
        textH = std::max(textH, static_cast<int>(t.cy));
      }
    if (List()) return SIZE{image.cx + padding_.cx + (textW ? textW + 4 : 0), std::max(image.cy, textH) + padding_.cy};
    return SIZE{std::max(image.cx, textW ? textW + 4 : 0) + padding_.cx,
                image.cy + padding_.cy + (textH ? textH + 1 : 0)};
  }

  std::vector<RECT> Layout() const {
    std::vector<RECT> out(buttons_.size(), RECT{0, 0, 0, 0});
    const SIZE size = ButtonSize();
    RECT client;
    GetClientRect(hwnd_, &client);
    int x = 0, y = 0;
    for (size_t i = 0; i < buttons_.size(); ++i) {
      const Button& b = buttons_[i];
      if (b.data.fsState & TBSTATE_HIDDEN) {
        out[i] = RECT{x, y, x, y};
        continue;
      }
      int width = size.cx;
      if (b.data.fsStyle & BTNS_SEP) {
        width = b.data.iBitmap > 0 ? b.data.iBitmap : kSeparatorWidth;
      } else {
        if (b.data.fsStyle & BTNS_AUTOSIZE) {
          const bool noImage = b.data.iBitmap == I_IMAGENONE;
          const SIZE t = ShowsText(b) ? TextSize(b.text) : SIZE{0, 0};
          const int image = noImage ? 0 : ImageSize().cx;
          width = List() ? image + padding_.cx + (t.cx ? t.cx + (image ? 4 : 0) : 0)
                         : std::max(image, t.cx ? static_cast<int>(t.cx) + 4 : 0) + padding_.cx;
        }
        if (b.data.fsStyle & BTNS_WHOLEDROPDOWN)
          width += kWholeArrowWidth;
        else if ((b.data.fsStyle & BTNS_DROPDOWN) && (extended_ & TBSTYLE_EX_DRAWDDARROWS))
          width += kSplitArrowWidth;
      }
      if ((Style() & TBSTYLE_WRAPABLE) && x > 0 && x + width > client.right) {
        x = 0;
        y += size.cy;
      }
      out[i] = RECT{x, y, x + width, y + size.cy};
      x += width;
      if (b.data.fsState & TBSTATE_WRAP) {
        x = 0;
        y += size.cy;
      }
    }
    return out;
  }

  int HitTest(POINT pt) const {
    const std::vector<RECT> rects = Layout();
    for (size_t i = 0; i < rects.size(); ++i)
      if (PtInRect(&rects[i], pt))
        return (buttons_[i].data.fsStyle & BTNS_SEP) ? -static_cast<int>(i) - 1 : static_cast<int>(i);
    return -static_cast<int>(rects.size()) - 1;
  }

  bool Enabled(int i) const { return (buttons_[static_cast<size_t>(i)].data.fsState & TBSTATE_ENABLED) != 0; }

  void SetHot(int i) {
    if (i == hot_) return;
    hot_ = i;
    Redraw();
  }

  LRESULT MouseMove(POINT pt) {
    const int hit = HitTest(pt);
    if (pressed_ >= 0) {
      const bool over = hit == pressed_;
      if (over != pressedOver_) {
        pressedOver_ = over;
        Redraw();
      }
      return 0;
    }
    SetHot(hit >= 0 && Enabled(hit) ? hit : -1);
    if (hot_ >= 0 && !leaveTracked_) {
      TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
      leaveTracked_ = TrackMouseEvent(&tme) != FALSE;
    }
    return 0;
  }

  bool OnSplitArrow(int i, POINT pt) const {
    const Button& b = buttons_[static_cast<size_t>(i)];
    if (!(b.data.fsStyle & BTNS_DROPDOWN)) return false;
    if ((b.data.fsStyle & BTNS_WHOLEDROPDOWN) || !(extended_ & TBSTYLE_EX_DRAWDDARROWS)) return true;
    return pt.x >= Layout()[static_cast<size_t>(i)].right - kSplitArrowWidth;
  }

  LRESULT MouseDown(POINT pt) {
    const int i = HitTest(pt);
    if (i < 0 || !Enabled(i)) return 0;
    if (OnSplitArrow(i, pt)) {
      NMTOOLBARW nm{};
      nm.iItem = buttons_[static_cast<size_t>(i)].data.idCommand;
      nm.tbButton = buttons_[static_cast<size_t>(i)].data;
      nm.rcButton = Layout()[static_cast<size_t>(i)];
      dropped_ = i;
      Redraw();
      nm.hdr.hwndFrom = hwnd_;
      nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd_));
      nm.hdr.code = TBN_DROPDOWN;
      SendMessageW(Owner(), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
      dropped_ = -1;
      Redraw();
      return 0;
    }
    pressed_ = i;
    pressedOver_ = true;
    SetCapture(hwnd_);
    Redraw();
    return 0;
  }

  LRESULT MouseUp(POINT pt) {
    if (pressed_ < 0) return 0;
    const int i = pressed_;
    pressed_ = -1;
    if (GetCapture() == hwnd_) ReleaseCapture();
    Redraw();
    if (HitTest(pt) != i || !Enabled(i)) return 0;
    Button& b = buttons_[static_cast<size_t>(i)];
    if (b.data.fsStyle & BTNS_CHECK) {
      if ((b.data.fsStyle & BTNS_GROUP) == BTNS_GROUP) {
        // One checked button per run of group buttons.
        int first = i, last = i;
        while (first > 0 && (buttons_[static_cast<size_t>(first - 1)].data.fsStyle & BTNS_GROUP)) --first;
        while (last + 1 < static_cast<int>(buttons_.size()) &&
               (buttons_[static_cast<size_t>(last + 1)].data.fsStyle & BTNS_GROUP))
          ++last;
        for (int n = first; n <= last; ++n) buttons_[static_cast<size_t>(n)].data.fsState &= ~TBSTATE_CHECKED;
        b.data.fsState |= TBSTATE_CHECKED;
      } else {
        b.data.fsState ^= TBSTATE_CHECKED;
      }
    }
    SendMessageW(Owner(), WM_COMMAND, MAKEWPARAM(b.data.idCommand, 0), reinterpret_cast<LPARAM>(hwnd_));
    return 0;
  }

  // ---- Painting ----

  DWORD CustomDraw(NMTBCUSTOMDRAW& cd, DWORD stage) {
    cd.nmcd.dwDrawStage = stage;
    return static_cast<DWORD>(Notify(hwnd_, NM_CUSTOMDRAW, &cd.nmcd.hdr));
  }

  void DropArrow(HDC dc, int x, int centre) {
    HBRUSH brush = GetSysColorBrush(COLOR_BTNTEXT);
    for (int row = 0; row < 3; ++row) {
      RECT line{x - 2 + row, centre - 1 + row, x + 3 - row, centre + row};
      FillRect(dc, &line, brush);
    }
  }

  void PaintButton(HDC dc, size_t i, const RECT& r, DWORD flags) {
    const Button& b = buttons_[i];
    const BYTE state = b.data.fsState;
    const bool enabled = (state & TBSTATE_ENABLED) != 0;
    const bool down = (state & TBSTATE_PRESSED) || (pressed_ == static_cast<int>(i) && pressedOver_) ||
                      dropped_ == static_cast<int>(i);
    const bool checked = (state & TBSTATE_CHECKED) != 0;
    const bool hot = hot_ == static_cast<int>(i) && enabled;
    const bool split = (b.data.fsStyle & BTNS_DROPDOWN) && !(b.data.fsStyle & BTNS_WHOLEDROPDOWN) &&
                       (extended_ & TBSTYLE_EX_DRAWDDARROWS);
    RECT face = r;
    if (split) face.right -= kSplitArrowWidth;
    if (checked && !down) {
      RECT inner = face;
      InflateRect(&inner, -1, -1);
      FillRect(dc, &inner, GetSysColorBrush(COLOR_3DLIGHT));
    }
    if (!(flags & TBCDRF_NOEDGES)) {
      const bool flat = (Style() & TBSTYLE_FLAT) != 0;
      auto edge = [&](RECT e) {
        if (down || checked)
          DrawEdge(dc, &e, flat ? BDR_SUNKENOUTER : EDGE_SUNKEN, BF_RECT);
        else if (!flat)
          DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
        else if (hot)
          DrawEdge(dc, &e, BDR_RAISEDINNER, BF_RECT);
      };
      edge(face);
      if (split) edge(RECT{face.right, r.top, r.right, r.bottom});
    }
    const int offset = (down || checked) && !(flags & TBCDRF_NOOFFSET) ? 1 : 0;
    const SIZE image = ImageSize();
    const bool hasImage = b.data.iBitmap != I_IMAGENONE && b.data.iBitmap >= 0;
    if (hasImage) {
      HIMAGELIST list = images_;
      if (!enabled && disabledImages_) list = disabledImages_;
      if ((hot || checked) && hotImages_ && enabled) list = hotImages_;
      const int x = List() ? face.left + padding_.cx / 2 : face.left + (face.right - face.left - image.cx) / 2;
      const int y = face.top + padding_.cy / 2;
      if (list) {
        IMAGELISTDRAWPARAMS p{};
        p.cbSize = sizeof(p);
        p.himl = list;
        p.i = b.data.iBitmap;
        p.hdcDst = dc;
        p.x = x + offset;
        p.y = y + offset;
        p.rgbBk = CLR_NONE;
        p.rgbFg = CLR_DEFAULT;
        p.fStyle = ILD_TRANSPARENT;
        // Disabled without a list of its own: greyed.
        if (!enabled && list == images_) p.fState = ILS_SATURATE;
        ImageList_DrawIndirect(&p);
      }
    }
    if (ShowsText(b)) {
      RECT text = face;
      if (List())
        text.left = face.left + padding_.cx / 2 + (hasImage ? image.cx + 4 : 0);
      else
        text.top = face.top + padding_.cy / 2 + (hasImage ? image.cy : 0);
      OffsetRect(&text, offset, offset);
      SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
      UINT dt = DT_SINGLELINE | DT_END_ELLIPSIS | (List() ? DT_VCENTER : DT_CENTER);
      if (b.data.fsStyle & BTNS_NOPREFIX) dt |= DT_NOPREFIX;
      DrawTextW(dc, b.text.data(), static_cast<int>(b.text.size()), &text, dt);
    }
    if (b.data.fsStyle & BTNS_WHOLEDROPDOWN)
      DropArrow(dc, r.right - 5 - (down ? 0 : 1), (r.top + r.bottom) / 2 + (down ? 1 : 0));
    else if (split)
      DropArrow(dc, r.right - kSplitArrowWidth / 2, (r.top + r.bottom) / 2);
  }

  void Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    NMTBCUSTOMDRAW cd{};
    cd.nmcd.hdc = dc;
    cd.nmcd.rc = client;
    cd.clrText = GetSysColor(COLOR_BTNTEXT);
    cd.clrBtnFace = GetSysColor(COLOR_BTNFACE);
    cd.clrBtnHighlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    if (Style() & TBSTYLE_CUSTOMERASE) {
      const DWORD erase = CustomDraw(cd, CDDS_PREERASE);
      if (!(erase & CDRF_SKIPDEFAULT) && !(Style() & TBSTYLE_TRANSPARENT))
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      if (erase & CDRF_NOTIFYPOSTERASE) CustomDraw(cd, CDDS_POSTERASE);
    } else if (!(Style() & TBSTYLE_TRANSPARENT)) {
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    const DWORD prepaint = CustomDraw(cd, CDDS_PREPAINT);
    if (prepaint & CDRF_SKIPDEFAULT) return;
    HGDIOBJ oldFont = SelectObject(dc, FontOr(font_));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const std::vector<RECT> rects = Layout();
    for (size_t i = 0; i < buttons_.size(); ++i) {
      const Button& b = buttons_[i];
      if (b.data.fsState & TBSTATE_HIDDEN) continue;
      if (b.data.fsStyle & BTNS_SEP) {
        RECT sep{rects[i].left + (rects[i].right - rects[i].left) / 2 - 1, rects[i].top + 2, 0, rects[i].bottom - 2};
        sep.right = sep.left + 2;
        if (Style() & TBSTYLE_FLAT) DrawEdge(dc, &sep, EDGE_ETCHED, BF_LEFT);
        continue;
      }
      DWORD reply = 0;
      const bool items = (prepaint & CDRF_NOTIFYITEMDRAW) != 0;
      if (items) {
        cd.nmcd.rc = rects[i];
        cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(b.data.idCommand);
        cd.nmcd.lItemlParam = static_cast<LPARAM>(b.data.dwData);
        cd.nmcd.uItemState = (hot_ == static_cast<int>(i) ? CDIS_HOT : 0) |
                             ((b.data.fsState & TBSTATE_PRESSED) ? CDIS_SELECTED : 0) |
                             ((b.data.fsState & TBSTATE_CHECKED) ? CDIS_CHECKED : 0) |
                             ((b.data.fsState & TBSTATE_ENABLED) ? 0 : CDIS_DISABLED);
        cd.rcText = rects[i];
        reply = CustomDraw(cd, CDDS_ITEMPREPAINT);
      }
      if (!(reply & CDRF_SKIPDEFAULT)) PaintButton(dc, i, rects[i], reply);
      if (items && (reply & CDRF_NOTIFYPOSTPAINT)) CustomDraw(cd, CDDS_ITEMPOSTPAINT);
    }
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    if (prepaint & CDRF_NOTIFYPOSTPAINT) {
      cd.nmcd.rc = client;
      cd.nmcd.dwItemSpec = 0;
      CustomDraw(cd, CDDS_POSTPAINT);
    }
  }

  HWND hwnd_;
  HWND owner_;
  std::vector<Button> buttons_;
  std::vector<std::u16string> strings_;
  HFONT font_ = nullptr;
  HIMAGELIST images_ = nullptr;
  HIMAGELIST hotImages_ = nullptr;
  HIMAGELIST disabledImages_ = nullptr;
  HWND tooltips_ = nullptr;
  bool ownsTooltips_ = false;
  std::vector<std::pair<int, RECT>> tools_;  // the own tooltip's tools as last registered
  SIZE bitmapSize_{16, 15};
  SIZE buttonSize_{0, 0};
  SIZE padding_{7, 6};
  DWORD extended_ = 0;
  int maxTextRows_ = 1;
  int hot_ = -1;
  int pressed_ = -1;
  bool pressedOver_ = false;
  int dropped_ = -1;
  bool leaveTracked_ = false;
};

}  // namespace

void RegisterToolbarClass() { RegisterControl<Toolbar>(TOOLBARCLASSNAMEW); }

}  // namespace comctl

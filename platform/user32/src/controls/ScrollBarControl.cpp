// The "ScrollBar" class: a horizontal or vertical bar with its own range, page and
// position (the SBM_ messages, which SetScrollInfo and the others send for SB_CTL), tracked
// by the same loop as the frame's bars and telling the parent with WM_HSCROLL or
// WM_VSCROLL whose lParam is the control; or a size box that sizes its parent.
#include <algorithm>
#include <cstdint>

#include "ClassicFrame.h"
#include "ControlCommon.h"
#include "ScrollTrack.h"

namespace kx2::user32 {
namespace {

bool IsSizeBox(DWORD style) { return (style & (SBS_SIZEBOX | SBS_SIZEGRIP)) != 0; }

class ScrollBarControl : public ScrollTrackSite {
 public:
  ScrollBarControl(HWND hwnd, const CREATESTRUCTW&) : hwnd_(hwnd) {}

  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        Align(*reinterpret_cast<const CREATESTRUCTW*>(lParam));
        return 0;
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(hwnd_, wParam, [&](HDC dc) { Paint(dc); });
      case WM_ERASEBKGND:
        return 1;  // painting covers the whole bar
      case WM_GETDLGCODE:
        return IsSizeBox(StyleOf(hwnd_)) ? 0 : DLGC_WANTARROWS;
      case WM_ENABLE:
      case WM_SYSCOLORCHANGE:
        Invalidate();
        return 0;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        return Press(lParam);
      case WM_KEYDOWN:
        return Key(wParam);
      case WM_KEYUP:
        if (KeyRequest(wParam) >= 0) Send(SB_ENDSCROLL, 0);
        return 0;
      case SBM_SETPOS: {
        const int old = pos_;
        pos_ = static_cast<int>(wParam);
        Normalise();
        if (lParam) Redraw();
        return old;
      }
      case SBM_GETPOS:
        return pos_;
      case SBM_SETRANGE:
      case SBM_SETRANGEREDRAW: {
        const int old = pos_;
        min_ = static_cast<int>(wParam);
        max_ = static_cast<int>(lParam);
        Normalise();
        if (message == SBM_SETRANGEREDRAW) Redraw();
        return old;
      }
      case SBM_GETRANGE:
        if (wParam) *reinterpret_cast<int*>(wParam) = min_;
        if (lParam) *reinterpret_cast<int*>(lParam) = max_;
        return 0;
      case SBM_ENABLE_ARROWS: {
        const UINT next = static_cast<UINT>(wParam) & ESB_DISABLE_BOTH;
        if (next == arrows_) return FALSE;
        arrows_ = next;
        Invalidate();
        return TRUE;
      }
      case SBM_SETSCROLLINFO:
        return SetInfo(reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0);
      case SBM_GETSCROLLINFO:
        return GetInfo(reinterpret_cast<SCROLLINFO*>(lParam));
      default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

  // The tracking loop's view of the control.
  HWND Window() const override { return hwnd_; }
  HWND Target() const override { return GetParent(hwnd_); }
  HWND Control() const override { return hwnd_; }
  bool Vertical() const override { return (StyleOf(hwnd_) & SBS_VERT) != 0; }
  RECT Bar() const override { return ClientRect(hwnd_); }
  POINT ToBar(POINT screen) const override {
    ScreenToClient(hwnd_, &screen);
    return screen;
  }
  SCROLLINFO Info() const override {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, min_, max_, page_, pos_, tracking_ ? trackPos_ : pos_};
    return info;
  }
  void ShowPressed(int part) override {
    pressed_ = part;
    Invalidate();
  }
  void TrackPosition(int position, bool tracking) override {
    trackPos_ = position;
    tracking_ = tracking;
    Invalidate();  // the thumb follows the mouse whatever the owner does with the position
  }

 private:
  void Invalidate() const { InvalidateRect(hwnd_, nullptr, FALSE); }

  // Drawn at once, as a bar being scrolled by its owner shows its new position before the
  // owner's own painting.
  void Redraw() const {
    if (!IsWindowVisible(hwnd_)) return;
    Invalidate();
    UpdateWindow(hwnd_);
  }

  // The page within the range's size and the position within what the page leaves, as the
  // frame's bars keep them.
  void Normalise() {
    if (max_ < min_) max_ = min_;
    const int64_t span = int64_t(max_) - min_ + 1;
    if (int64_t(page_) > span) page_ = static_cast<UINT>(span);
    const int64_t top = int64_t(max_) - std::max<int64_t>(int64_t(page_) - 1, 0);
    pos_ = static_cast<int>(std::clamp<int64_t>(pos_, min_, std::max<int64_t>(top, min_)));
  }

  LRESULT SetInfo(const SCROLLINFO* info, bool redraw) {
    if (!info || (info->cbSize != sizeof(SCROLLINFO) && info->cbSize != sizeof(SCROLLINFO) - sizeof(int))) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    if (info->fMask & SIF_RANGE) min_ = info->nMin, max_ = info->nMax;
    if (info->fMask & SIF_PAGE) page_ = info->nPage;
    if (info->fMask & SIF_POS) pos_ = info->nPos;
    Normalise();
    if (info->fMask & SIF_DISABLENOSCROLL) {
      const int64_t span = int64_t(max_) - min_ + 1;
      const bool scrolls = page_ ? span > int64_t(page_) : max_ > min_;
      const UINT next = scrolls ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH;
      if (next != arrows_) {
        arrows_ = next;
        Invalidate();
      }
    }
    if (redraw) Redraw();
    return pos_;
  }

  LRESULT GetInfo(SCROLLINFO* info) const {
    if (!info) return FALSE;
    if (info->fMask & SIF_RANGE) info->nMin = min_, info->nMax = max_;
    if (info->fMask & SIF_PAGE) info->nPage = page_;
    if (info->fMask & SIF_POS) info->nPos = pos_;
    // While the thumb is dragged, where it stands; otherwise the position.
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = tracking_ ? trackPos_ : pos_;
    return TRUE;
  }

  // The alignment styles give the bar its standard thickness (or the size box its
  // standard size) at one side of the rectangle it was created with.
  void Align(const CREATESTRUCTW& cs) {
    const DWORD style = static_cast<DWORD>(cs.style);
    const bool first = (style & SBS_TOPALIGN) != 0, last = (style & SBS_BOTTOMALIGN) != 0;
    if (!first && !last) return;
    RECT r{cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy};
    const int thickX = GetSystemMetrics(SM_CXVSCROLL), thickY = GetSystemMetrics(SM_CYHSCROLL);
    if (IsSizeBox(style)) {
      if (first) {
        r.right = r.left + thickX;
        r.bottom = r.top + thickY;
      } else {
        r.left = r.right - thickX;
        r.top = r.bottom - thickY;
      }
    } else if (style & SBS_VERT) {
      if (first)
        r.right = r.left + thickX;
      else
        r.left = r.right - thickX;
    } else {
      if (first)
        r.bottom = r.top + thickY;
      else
        r.top = r.bottom - thickY;
    }
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  LRESULT Press(LPARAM lParam) {
    POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hwnd_, &screen);
    if (IsSizeBox(StyleOf(hwnd_))) {
      // The size box sizes its parent from the bottom-right corner.
      if (HWND parent = GetParent(hwnd_))
        SendMessageW(parent, WM_SYSCOMMAND, SC_SIZE | 8 /* WMSZ_BOTTOMRIGHT */, MAKELPARAM(screen.x, screen.y));
      return 0;
    }
    if ((StyleOf(hwnd_) & WS_TABSTOP) && GetFocus() != hwnd_) SetFocus(hwnd_);
    if (!IsWindowEnabled(hwnd_) || (arrows_ & ESB_DISABLE_BOTH) == ESB_DISABLE_BOTH) return 0;
    HWND hwnd = hwnd_;
    TrackScrollBar(*this, screen);
    if (IsWindow(hwnd)) Invalidate();
    return 0;
  }

  static int KeyRequest(WPARAM key) {
    switch (key) {
      case VK_UP:
      case VK_LEFT:
        return SB_LINEUP;
      case VK_DOWN:
      case VK_RIGHT:
        return SB_LINEDOWN;
      case VK_PRIOR:
        return SB_PAGEUP;
      case VK_NEXT:
        return SB_PAGEDOWN;
      case VK_HOME:
        return SB_TOP;
      case VK_END:
        return SB_BOTTOM;
      default:
        return -1;
    }
  }

  LRESULT Key(WPARAM key) {
    const int request = KeyRequest(key);
    if (request < 0 || IsSizeBox(StyleOf(hwnd_))) return 0;
    Send(static_cast<WORD>(request), 0);
    return 0;
  }

  void Send(WORD request, int position) const {
    if (HWND parent = GetParent(hwnd_))
      SendMessageW(parent, Vertical() ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(request, static_cast<WORD>(position)),
                   reinterpret_cast<LPARAM>(hwnd_));
  }

  void Paint(HDC dc) {
    const DWORD style = StyleOf(hwnd_);
    RECT client = ClientRect(hwnd_);
    if (IsSizeBox(style)) {
      FillRect(dc, &client, GetSysColorBrush(COLOR_3DFACE));
      DrawFrameControl(dc, &client, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
      return;
    }
    HBRUSH track = ParentBrush(hwnd_, WM_CTLCOLORSCROLLBAR, dc);
    if (IsHollow(track)) track = GetSysColorBrush(COLOR_SCROLLBAR);
    SCROLLINFO info = Info();
    if (tracking_) info.nPos = trackPos_;
    DrawScrollBar(dc, client, Vertical(), info, IsWindowEnabled(hwnd_) != FALSE, pressed_, track, arrows_);
  }

  HWND hwnd_;
  int min_ = 0, max_ = 100;
  UINT page_ = 0;
  int pos_ = 0;
  UINT arrows_ = ESB_ENABLE_BOTH;
  int pressed_ = -1;
  int trackPos_ = 0;
  bool tracking_ = false;
};

void RegisterScrollBarClass() {
  RegisterControl<ScrollBarControl>(WC_SCROLLBARW, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
}

const RegisterAtLoad registered{&RegisterScrollBarClass};

}  // namespace
}  // namespace kx2::user32

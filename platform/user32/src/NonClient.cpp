// Modal loops of the classic frame. Each holds the capture and reads messages with
// GetMessageW (which lets a test's idle handler script the input), keeps mouse messages to
// itself, and dispatches everything else so that painting and timers go on. Scroll bars
// are tracked by the loop the scroll bar control shares (ScrollTrack.h).
#include "NonClient.h"

#include <algorithm>

#include "CaptureLoop.h"
#include "ClassicFrame.h"
#include "ScrollTrack.h"
#include "win/gdi.h"

namespace kx2::user32 {
namespace {

bool IsMouse(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST; }

void Repaint(HWND hwnd) { PaintFrame(hwnd, FrameActive(hwnd)); }

WPARAM CommandOf(int hit) {
  switch (hit) {
    case HTCLOSE:
      return SC_CLOSE;
    case HTMINBUTTON:
      return SC_MINIMIZE;
    case HTMAXBUTTON:
      return SC_MAXIMIZE;
    case HTHELP:
      return SC_CONTEXTHELP;
    default:
      return 0;
  }
}

// A caption button: drawn pressed while the mouse is over it; the command goes only when
// the button is released over it.
void TrackButton(HWND hwnd, int hit) {
  if ((hit == HTMAXBUTTON || hit == HTMINBUTTON) &&
      !(GetWindowLongW(hwnd, GWL_STYLE) & (hit == HTMAXBUTTON ? WS_MAXIMIZEBOX : WS_MINIMIZEBOX)))
    return;
  SetCapture(hwnd);
  bool over = true;
  SetPressed(hwnd, hit, 0);
  Repaint(hwnd);
  MSG msg{};
  POINT released{};
  bool done = false;
  while (NextCapturedMessage(hwnd, &msg)) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
    if (msg.message != WM_MOUSEMOVE && msg.message != WM_LBUTTONUP) continue;
    const bool now = FrameHitTest(hwnd, msg.pt) == hit;
    if (now != over) {
      over = now;
      SetPressed(hwnd, over ? hit : 0, 0);
      Repaint(hwnd);
    }
    if (msg.message == WM_LBUTTONUP) {
      released = msg.pt;
      done = over;
      break;
    }
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  if (!IsWindow(hwnd)) return;
  SetPressed(hwnd, 0, 0);
  Repaint(hwnd);
  if (done) {
    if (hit == HTMAXBUTTON && (GetWindowLongW(hwnd, GWL_STYLE) & WS_MAXIMIZE))
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, MAKELPARAM(released.x, released.y));
    else
      SendMessageW(hwnd, WM_SYSCOMMAND, CommandOf(hit), MAKELPARAM(released.x, released.y));
  }
}

POINT ToWindow(HWND hwnd, POINT screen) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return POINT{screen.x - r.left, screen.y - r.top};
}

// A scroll bar of the frame, in window coordinates, telling the window itself.
class FrameBar : public ScrollTrackSite {
 public:
  FrameBar(HWND hwnd, int hit) : hwnd_(hwnd), hit_(hit) {
    const FrameLayout frame = LayoutFrame(hwnd);
    bar_ = Vertical() ? frame.vscroll : frame.hscroll;
  }
  HWND Window() const override { return hwnd_; }
  HWND Target() const override { return hwnd_; }
  HWND Control() const override { return nullptr; }
  bool Vertical() const override { return hit_ == HTVSCROLL; }
  RECT Bar() const override { return bar_; }
  POINT ToBar(POINT screen) const override { return ToWindow(hwnd_, screen); }
  SCROLLINFO Info() const override { return BarInfo(hwnd_, Vertical() ? SB_VERT : SB_HORZ); }
  void ShowPressed(int part) override {
    SetPressed(hwnd_, part < 0 ? 0 : hit_, part < 0 ? 0 : part);
    Repaint(hwnd_);
  }
  void TrackPosition(int position, bool) override {
    Kx2SetScrollTrackPos(hwnd_, Vertical() ? SB_VERT : SB_HORZ, position);
  }

 private:
  HWND hwnd_;
  int hit_;
  RECT bar_{};
};

// The per-thread state of the menu keys: Alt went down and nothing else since.
thread_local bool t_altAlone = false;

}  // namespace

LRESULT NonClientButtonDown(HWND hwnd, WPARAM hit, LPARAM lParam) {
  const POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (hit) {
    case HTCLOSE:
    case HTMINBUTTON:
    case HTMAXBUTTON:
    case HTHELP:
      TrackButton(hwnd, static_cast<int>(hit));
      return 0;
    case HTVSCROLL:
    case HTHSCROLL: {
      FrameBar bar(hwnd, static_cast<int>(hit));
      TrackScrollBar(bar, screen);
      return 0;
    }
    case HTCAPTION: {
      HWND top = GetAncestor(hwnd, GA_ROOT);
      if (top && GetActiveWindow() != top) SetActiveWindow(top);
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
      return 0;
    }
    case HTSYSMENU:
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOUSEMENU | HTSYSMENU, lParam);
      return 0;
    case HTMENU:
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_MOUSEMENU | HTMENU, lParam);
      return 0;
    case HTLEFT:
    case HTRIGHT:
    case HTTOP:
    case HTTOPLEFT:
    case HTTOPRIGHT:
    case HTBOTTOM:
    case HTBOTTOMLEFT:
    case HTBOTTOMRIGHT:
      // WMSZ_ codes run in HT order from HTLEFT.
      SendMessageW(hwnd, WM_SYSCOMMAND, SC_SIZE | (hit - HTLEFT + 1), lParam);
      return 0;
    default:
      return 0;
  }
}

RECT TrackedRect(const RECT& original, bool move, int edge, int dx, int dy, const MINMAXINFO& limits) {
  RECT r = original;
  if (move) {
    OffsetRect(&r, dx, dy);
    return r;
  }
  const int horizontal = edge % 3, vertical = edge / 3;  // 1 left, 2 right; 1 top, 2 bottom
  if (horizontal == 1) r.left = std::min(r.left + dx, r.right - limits.ptMinTrackSize.x);
  if (horizontal == 2) r.right = std::max(r.right + dx, r.left + limits.ptMinTrackSize.x);
  if (vertical == 1) r.top = std::min(r.top + dy, r.bottom - limits.ptMinTrackSize.y);
  if (vertical == 2) r.bottom = std::max(r.bottom + dy, r.top + limits.ptMinTrackSize.y);
  if (r.right - r.left > limits.ptMaxTrackSize.x) {
    if (horizontal == 1)
      r.left = r.right - limits.ptMaxTrackSize.x;
    else
      r.right = r.left + limits.ptMaxTrackSize.x;
  }
  if (r.bottom - r.top > limits.ptMaxTrackSize.y) {
    if (vertical == 1)
      r.top = r.bottom - limits.ptMaxTrackSize.y;
    else
      r.bottom = r.top + limits.ptMaxTrackSize.y;
  }
  return r;
}

SizeMoveStart BeginSizeMove(HWND hwnd) {
  SizeMoveStart s;
  GetWindowRect(hwnd, &s.original);
  HWND parent = GetAncestor(hwnd, GA_PARENT);
  if (parent && parent != GetDesktopWindow())
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&s.original), 2);
  s.limits.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  s.limits.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&s.limits));
  return s;
}

void MoveOrSize(HWND hwnd, WPARAM command, LPARAM lParam) {
  const bool move = (command & 0xFFF0) == SC_MOVE;
  const int edge = static_cast<int>(command & 0x0F);  // WMSZ_: 1 left, 2 right, 3 top, 6 bottom, sums for corners
  if (GetWindowLongW(hwnd, GWL_STYLE) & (WS_MAXIMIZE | WS_MINIMIZE)) return;
  // The window menu's Move and Size carry no hit code: the keys drive them.
  if (edge == 0) {
    MoveOrSizeByKeys(hwnd, move);
    return;
  }
  POINT start{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (!lParam) GetCursorPos(&start);
  const SizeMoveStart begin = BeginSizeMove(hwnd);
  SetCapture(hwnd);
  SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  MSG msg{};
  while (NextCapturedMessage(hwnd, &msg)) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      const RECT& o = begin.original;
      SetWindowPos(hwnd, nullptr, o.left, o.top, o.right - o.left, o.bottom - o.top, SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    if (msg.message != WM_MOUSEMOVE && msg.message != WM_LBUTTONUP) continue;
    const RECT r = TrackedRect(begin.original, move, edge, msg.pt.x - start.x, msg.pt.y - start.y, begin.limits);
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (msg.message == WM_LBUTTONUP) break;
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  if (IsWindow(hwnd)) SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

void ContextHelp(HWND hwnd) {
  SetCapture(hwnd);
  MSG msg{};
  HWND clicked = nullptr;
  POINT at{};
  while (true) {
    if (!IsWindow(hwnd) || GetCapture() != hwnd) break;
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
    if (msg.message == WM_LBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN) {
      at = msg.pt;
      clicked = WindowFromPoint(at);
      break;
    }
    if (IsMouse(msg.message) || msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR)
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  if (!clicked || GetWindowThreadProcessId(clicked, nullptr) != GetCurrentThreadId()) return;
  HELPINFO info{sizeof(HELPINFO), HELPINFO_WINDOW, GetDlgCtrlID(clicked), clicked, 0, at};
  SendMessageW(clicked, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

bool MenuKey(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND top = GetAncestor(hwnd, GA_ROOT);
  if (!top) top = hwnd;
  switch (message) {
    case WM_SYSKEYDOWN:
      // A repeat of a held Alt does not count as another key.
      if (wParam == VK_MENU) {
        if (!(lParam & (1 << 30))) t_altAlone = true;
      } else {
        t_altAlone = false;
      }
      return wParam == VK_MENU || wParam == VK_F10;
    case WM_KEYDOWN:
      t_altAlone = false;
      return false;
    case WM_SYSKEYUP:
    case WM_KEYUP:
      if ((wParam == VK_MENU && t_altAlone) || (wParam == VK_F10 && message == WM_SYSKEYUP)) {
        t_altAlone = false;
        SendMessageW(top, WM_SYSCOMMAND, SC_KEYMENU, 0);
        return true;
      }
      if (wParam == VK_MENU) t_altAlone = false;
      return false;
    case WM_SYSCHAR:
      // Alt with a character: the window menu for a space, else the menu bar's mnemonic.
      t_altAlone = false;
      if (wParam == u'\r' || wParam == VK_ESCAPE) return false;
      SendMessageW(top, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
      return true;
    default:
      return false;
  }
}

}  // namespace kx2::user32

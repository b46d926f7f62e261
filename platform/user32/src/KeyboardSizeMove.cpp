// Moving and sizing a window from its window menu: the arrow keys step the window (or the
// edge being sized) eight pixels at a time, the mouse may take over, Enter or a click keeps
// the result and Esc puts the window back. The loop holds the capture and waits for input
// like the other modal loops (the idle handler runs while it waits).
#include <algorithm>

#include "NonClient.h"
#include "win/gdi.h"

namespace kx2::user32 {
namespace {

constexpr int kStep = 8;

// The next key or mouse message of the loop; false once the capture is gone or the thread
// is asked to quit. Other messages are dispatched.
bool NextMessage(HWND hwnd, MSG* msg) {
  while (true) {
    if (!IsWindow(hwnd) || GetCapture() != hwnd) return false;
    const BOOL got = GetMessageW(msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg->wParam));
      return false;
    }
    const UINT m = msg->message;
    if ((m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || m == WM_KEYDOWN) return true;
    if (m == WM_KEYUP || m == WM_CHAR || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP || m == WM_SYSCHAR) continue;
    TranslateMessage(msg);
    DispatchMessageW(msg);
  }
}

bool IsPress(UINT m) { return m == WM_LBUTTONDOWN || m == WM_LBUTTONUP || m == WM_RBUTTONDOWN || m == WM_RBUTTONUP; }

}  // namespace

void MoveOrSizeByKeys(HWND hwnd, bool move) {
  const SizeMoveStart begin = BeginSizeMove(hwnd);
  RECT screen;
  GetWindowRect(hwnd, &screen);
  // The pointer stands where the mouse would grab: the caption's middle for a move, the
  // window's middle until an edge is chosen for a size.
  const POINT anchor{(screen.left + screen.right) / 2,
                     move ? screen.top + GetSystemMetrics(SM_CYCAPTION) / 2 : (screen.top + screen.bottom) / 2};
  SetCursorPos(anchor.x, anchor.y);
  SetCapture(hwnd);
  SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
  int edge = 0;  // WMSZ_ while sizing: 1 left, 2 right, 3 top, 6 bottom, sums for corners
  int dx = 0, dy = 0;
  bool cancelled = false, done = false;
  MSG msg{};
  while (!done && NextMessage(hwnd, &msg)) {
    bool changed = false;
    if (msg.message == WM_KEYDOWN) {
      const WPARAM key = msg.wParam;
      if (key == VK_ESCAPE) {
        cancelled = true;
        break;
      }
      if (key == VK_RETURN) break;
      if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN) continue;
      const bool across = key == VK_LEFT || key == VK_RIGHT;
      int horizontal = edge % 3, vertical = edge / 3;
      // Sizing: an arrow along an axis with no edge chosen yet chooses that edge.
      if (!move && across && horizontal == 0) {
        horizontal = key == VK_LEFT ? 1 : 2;
        edge = horizontal + 3 * vertical;
        continue;
      }
      if (!move && !across && vertical == 0) {
        vertical = key == VK_UP ? 1 : 2;
        edge = horizontal + 3 * vertical;
        continue;
      }
      if (key == VK_LEFT) dx -= kStep;
      if (key == VK_RIGHT) dx += kStep;
      if (key == VK_UP) dy -= kStep;
      if (key == VK_DOWN) dy += kStep;
      changed = true;
    } else if (msg.message == WM_MOUSEMOVE && (move || edge)) {
      dx = msg.pt.x - anchor.x;
      dy = msg.pt.y - anchor.y;
      changed = true;
    } else if (IsPress(msg.message)) {
      done = true;
    }
    if (changed) {
      const RECT r = TrackedRect(begin.original, move, edge, dx, dy, begin.limits);
      SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (cancelled && IsWindow(hwnd)) {
    const RECT& o = begin.original;
    SetWindowPos(hwnd, nullptr, o.left, o.top, o.right - o.left, o.bottom - o.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  if (IsWindow(hwnd)) SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace kx2::user32

#include "CaptureLoop.h"

namespace kx2::user32 {

bool NextCapturedMessage(HWND hwnd, MSG* msg) {
  while (true) {
    if (!IsWindow(hwnd) || GetCapture() != hwnd) return false;
    // The button already released (its message gone elsewhere) ends the loop rather than
    // waiting for a release that will not come.
    MSG waiting;
    if (!(GetKeyState(VK_LBUTTON) & 0x8000) && !PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE)) return false;
    const BOOL got = GetMessageW(msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg->wParam));
      return false;
    }
    const UINT m = msg->message;
    if ((m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || m == WM_KEYDOWN || m == WM_TIMER) return true;
    if (m == WM_KEYUP || m == WM_CHAR || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP) continue;
    TranslateMessage(msg);
    DispatchMessageW(msg);
  }
}

}  // namespace kx2::user32

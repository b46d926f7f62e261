// TrackPopupMenuEx, TrackPopupMenu and EndMenu, and the menu runs of the frame.
#include "MenuTrack.h"

#include <vector>

#include "ClassicFrame.h"
#include "MenuBar.h"
#include "MenuLoop.h"
#include "kx2/ErrorBoundary.h"

namespace kx2::user32 {
namespace {

// A window of the calling thread, or none.
bool OwnThreadWindow(HWND hwnd) {
  return hwnd && IsWindow(hwnd) && GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId();
}

}  // namespace

void MouseMenu(HWND hwnd) {
  if (!OwnThreadWindow(hwnd) || MenuLoop::Active()) return;
  MenuLoop loop(hwnd);
  if (loop.AttachMenuBar()) loop.MouseMenu();
}

void KeyMenu(HWND hwnd, WCHAR ch) {
  if (!OwnThreadWindow(hwnd) || MenuLoop::Active()) return;
  MenuLoop loop(hwnd);
  if (loop.AttachMenuBar())
    loop.KeyMenu(ch);
  else if (ch)
    MessageBeep(0);
}

}  // namespace kx2::user32

using kx2::user32::MenuLoop;

KX2_EXPORT BOOL TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd, LPTPMPARAMS lptpm) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!IsMenu(hMenu)) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return FALSE;
    }
    if (!kx2::user32::OwnThreadWindow(hwnd)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (lptpm && lptpm->cbSize != sizeof(TPMPARAMS)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (MenuLoop::Active() && !(uFlags & TPM_RECURSE)) {
      SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
      return FALSE;
    }
    MenuLoop loop(hwnd);
    const UINT_PTR result = loop.Track(hMenu, uFlags, x, y, lptpm ? &lptpm->rcExclude : nullptr);
    return static_cast<BOOL>(result);
  });
}

KX2_EXPORT BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int nReserved, HWND hWnd, const RECT*) {
  if (nReserved != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TrackPopupMenuEx(hMenu, uFlags, x, y, hWnd, nullptr);
}

KX2_EXPORT BOOL EndMenu() {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (MenuLoop* loop = MenuLoop::Active()) {
      loop->RequestEnd();
      // Wake a loop waiting for input so that it sees the request.
      PostMessageW(loop->Owner(), WM_NULL, 0, 0);
    }
    return TRUE;
  });
}

KX2_EXPORT BOOL GetMenuItemRect(HWND hWnd, HMENU hMenu, UINT uItem, LPRECT lprcItem) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lprcItem || !IsMenu(hMenu)) return FALSE;
    const int index = static_cast<int>(uItem);
    for (MenuLoop* loop = MenuLoop::Active(); loop; loop = loop->Outer())
      if (loop->ItemRect(hMenu, index, lprcItem)) return TRUE;
    if (!hWnd || !IsWindow(hWnd) || GetMenu(hWnd) != hMenu) return FALSE;
    // The menu bar, whether or not a menu runs.
    const kx2::user32::FrameLayout frame = kx2::user32::LayoutFrame(hWnd);
    const std::vector<RECT> items = kx2::user32::LayoutMenuBarItems(hWnd, frame.menuBar);
    if (index < 0 || static_cast<size_t>(index) >= items.size()) return FALSE;
    RECT window{};
    GetWindowRect(hWnd, &window);
    *lprcItem = items[static_cast<size_t>(index)];
    OffsetRect(lprcItem, window.left, window.top);
    return TRUE;
  });
}

// A top-level window's menu bar: which menu it shows. The frame (libKx2User32.so) lays the
// bar out and draws it from GetMenu.
#include "kx2/ErrorBoundary.h"
#include "user/Core.h"
#include "win/menu.h"

using namespace kx2::user;

KX2_EXPORT HMENU GetMenu(HWND hWnd) {
  return kx2::Guard(HMENU{}, [&]() -> HMENU {
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hWnd);
    if (!w || w->destroyed) {
      SetLastErrorInvalidWindow();
      return nullptr;
    }
    return (w->style & WS_CHILD) ? nullptr : w->menu;
  });
}

KX2_EXPORT BOOL SetMenu(HWND hWnd, HMENU hMenu) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (hMenu && !IsMenu(hMenu)) {
      SetLastError(ERROR_INVALID_MENU_HANDLE);
      return FALSE;
    }
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hWnd);
      if (!w || w->destroyed) {
        SetLastErrorInvalidWindow();
        return FALSE;
      }
      if (w->style & WS_CHILD) {
        SetLastError(ERROR_CHILD_WINDOW_MENU);
        return FALSE;
      }
      w->menu = hMenu;
    }
    SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
  });
}

KX2_EXPORT BOOL DrawMenuBar(HWND hWnd) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!GetMenu(hWnd)) return FALSE;
    if (IsWindowVisible(hWnd)) SendMessageW(hWnd, WM_NCPAINT, 1, 0);
    return TRUE;
  });
}

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

namespace {

HMENU MakeWindowMenu(DWORD style) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  const bool iconic = (style & WS_MINIMIZE) != 0, zoomed = (style & WS_MAXIMIZE) != 0;
  const bool sizable = (style & WS_THICKFRAME) != 0;
  auto grey = [](bool allowed) { return allowed ? MF_ENABLED : MF_GRAYED; };
  AppendMenuW(menu, MF_STRING | grey(iconic || zoomed), SC_RESTORE, u"&Restore");
  AppendMenuW(menu, MF_STRING | grey(!zoomed), SC_MOVE, u"&Move");
  AppendMenuW(menu, MF_STRING | grey(sizable && !iconic && !zoomed), SC_SIZE, u"&Size");
  AppendMenuW(menu, MF_STRING | grey((style & WS_MINIMIZEBOX) && !iconic), SC_MINIMIZE, u"Mi&nimize");
  AppendMenuW(menu, MF_STRING | grey((style & WS_MAXIMIZEBOX) && !zoomed), SC_MAXIMIZE, u"Ma&ximize");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING | MF_DEFAULT, SC_CLOSE, u"&Close\tAlt+F4");
  return menu;
}

}  // namespace

KX2_EXPORT HMENU GetSystemMenu(HWND hWnd, BOOL bRevert) {
  return kx2::Guard(HMENU{}, [&]() -> HMENU {
    HMENU drop = nullptr;
    DWORD style = 0;
    {
      std::lock_guard<std::mutex> guard(TreeLock());
      Window* w = Find(hWnd);
      if (!w || w->destroyed) {
        SetLastErrorInvalidWindow();
        return nullptr;
      }
      if (bRevert) {
        drop = w->systemMenu;
        w->systemMenu = nullptr;
      } else if (w->systemMenu) {
        return w->systemMenu;
      }
      style = w->style;
    }
    if (bRevert) {
      if (drop) DestroyMenu(drop);
      return nullptr;
    }
    HMENU made = MakeWindowMenu(style);
    std::lock_guard<std::mutex> guard(TreeLock());
    Window* w = Find(hWnd);
    if (!w || w->destroyed || w->systemMenu) {
      // Destroyed or given a copy meanwhile: keep that one.
      HMENU kept = w && !w->destroyed ? w->systemMenu : nullptr;
      if (made) DestroyMenu(made);
      return kept;
    }
    w->systemMenu = made;
    return made;
  });
}

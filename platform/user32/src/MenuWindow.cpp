// The "#32768" window class: a pop-up menu's window, registered when the library loads.
#include "MenuWindow.h"

#include <mutex>

#include "MenuLoop.h"
#include "MenuPopupDraw.h"
#include "kx2/ErrorBoundary.h"
#include "win/userres.h"

namespace kx2::user32 {
namespace {

constexpr LPCWSTR kMenuClass = u"#32768";

MenuLevel* LevelOf(HWND hwnd) { return reinterpret_cast<MenuLevel*>(GetWindowLongPtrW(hwnd, 0)); }

void Paint(HWND hwnd, HDC dc) {
  if (MenuLevel* level = LevelOf(hwnd)) PaintPopupMenu(dc, level->owner, level->menu, level->layout, level->selected);
}

LRESULT CALLBACK MenuWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&]() -> LRESULT {
    switch (message) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) Paint(hwnd, dc);
        EndPaint(hwnd, &ps);
        return 0;
      }
      case WM_PRINTCLIENT:
        if (wParam) Paint(hwnd, reinterpret_cast<HDC>(wParam));
        return 0;
      case WM_ERASEBKGND:
        return 1;  // the paint covers everything
      case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
      case MN_GETHMENU: {
        MenuLevel* level = LevelOf(hwnd);
        return reinterpret_cast<LRESULT>(level ? level->menu : nullptr);
      }
      default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
  });
}

void RegisterMenuClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS | CS_SAVEBITS | CS_GLOBALCLASS;
    wc.lpfnWndProc = &MenuWindowProc;
    wc.cbWndExtra = sizeof(void*);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kMenuClass;
    RegisterClassW(&wc);
  });
}

// The class exists as soon as the library does, as the system's does.
struct RegisterAtLoad {
  RegisterAtLoad() {
    kx2::Guard([] { RegisterMenuClass(); });
  }
} registerAtLoad;

}  // namespace

HWND CreateMenuWindow(HWND owner, MenuLevel* level) {
  RegisterMenuClass();
  DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  if (owner && (GetWindowLongW(owner, GWL_EXSTYLE) & (WS_EX_LAYOUTRTL | WS_EX_RIGHT))) exStyle |= WS_EX_LAYOUTRTL;
  HWND hwnd = CreateWindowExW(exStyle, kMenuClass, nullptr, WS_POPUP, 0, 0, 100, 100, owner, nullptr, nullptr, nullptr);
  if (hwnd) SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(level));
  return hwnd;
}

void DetachMenuWindow(HWND hwnd) {
  if (hwnd && IsWindow(hwnd)) SetWindowLongPtrW(hwnd, 0, 0);
}

}  // namespace kx2::user32

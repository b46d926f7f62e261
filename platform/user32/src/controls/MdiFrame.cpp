// DefFrameProcW, the default procedure of an MDI frame, and TranslateMDISysAccel. The frame
// sizes its client to its own client area, passes the focus and its caption's activation
// to the client's active child, turns window-menu commands into activation and hands the
// commands of a maximised child's buttons (merged into its menu bar) to that child.
#include "MdiClient.h"
#include "kx2/ErrorBoundary.h"
#include "win/menu.h"

namespace kx2::user32 {
namespace {

bool IsSystemCommand(UINT id) { return id >= 0xF000; }

LRESULT FrameCommand(HWND frame, MdiClient* client, WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  if (!lParam) {
    const std::vector<HWND> children = client->Children();
    const UINT first = client->FirstChildId();
    std::vector<HWND> listed;
    for (HWND child : children)
      if (IsWindowVisible(child)) listed.push_back(child);
    if (id == first + kListedChildren && listed.size() > kListedChildren) {
      HWND chosen = SelectChild(frame, listed, client->Active());
      if (chosen && IsWindow(client->Hwnd())) {
        SendMessageW(client->Hwnd(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(chosen), 0);
        if (IsWindow(chosen) && IsIconic(chosen))
          SendMessageW(client->Hwnd(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(chosen), 0);
      }
      return 0;
    }
    if (id >= first && id < first + children.size()) {
      // A child chosen in the window menu: the one carrying that id.
      for (HWND child : children) {
        if (static_cast<UINT>(GetWindowLongPtrW(child, GWLP_ID)) != id) continue;
        SendMessageW(client->Hwnd(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child), 0);
        if (IsWindow(child) && IsIconic(child))
          SendMessageW(client->Hwnd(), WM_MDIRESTORE, reinterpret_cast<WPARAM>(child), 0);
        return 0;
      }
    }
    // The maximised child's window menu and buttons sit on the frame's bar.
    if (IsSystemCommand(id)) {
      if (HWND maximized = client->Maximized()) {
        SendMessageW(maximized, WM_SYSCOMMAND, wParam, lParam);
        return 0;
      }
    }
  }
  return DefWindowProcW(frame, WM_COMMAND, wParam, lParam);
}

LRESULT FrameProc(HWND frame, HWND clientWindow, UINT message, WPARAM wParam, LPARAM lParam) {
  MdiClient* client = MdiClientOf(clientWindow);
  if (!client) return DefWindowProcW(frame, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      return FrameCommand(frame, client, wParam, lParam);
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) MoveWindow(clientWindow, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      SetFocus(clientWindow);
      return 0;
    case WM_NCACTIVATE:
      SendMessageW(clientWindow, WM_NCACTIVATE, wParam, lParam);
      return DefWindowProcW(frame, message, wParam, lParam);
    case WM_SETTEXT: {
      const LRESULT kept = DefWindowProcW(frame, message, wParam, lParam);
      const auto* text = reinterpret_cast<LPCWSTR>(lParam);
      client->FrameTitleChanged(text ? std::u16string(text) : std::u16string());
      return kept;
    }
    case WM_SYSCOMMAND: {
      const UINT command = static_cast<UINT>(wParam) & 0xFFF0;
      if (command == SC_NEXTWINDOW || command == SC_PREVWINDOW) {
        SendMessageW(clientWindow, WM_MDINEXT, 0, command == SC_PREVWINDOW);
        return 0;
      }
      // Alt+- opens the active child's window menu.
      HWND active = client->Active();
      if (command == SC_KEYMENU && lParam == u'-' && active && !client->Maximized()) {
        SendMessageW(active, WM_SYSCOMMAND, SC_KEYMENU, u' ');
        return 0;
      }
      return DefWindowProcW(frame, message, wParam, lParam);
    }
    case WM_MENUCHAR:
      // Alt+- on the frame's bar: the maximised child's window menu stands first on it;
      // otherwise the active child opens its own.
      if (LOWORD(wParam) == u'-') {
        if (client->Maximized()) return MAKELRESULT(0, MNC_EXECUTE);
        if (HWND active = client->Active()) PostMessageW(active, WM_SYSCOMMAND, SC_KEYMENU, u' ');
        return MAKELRESULT(0, MNC_CLOSE);
      }
      return DefWindowProcW(frame, message, wParam, lParam);
    case WM_NEXTMENU: {
      // Leaving the frame's bar sideways reaches the active child's window menu.
      auto* next = reinterpret_cast<MDINEXTMENU*>(lParam);
      HWND active = client->Active();
      if (next && active && !client->Maximized() && (StyleOf(active) & WS_SYSMENU)) {
        next->hmenuNext = GetSystemMenu(active, FALSE);
        next->hwndNext = active;
        return 0;
      }
      return DefWindowProcW(frame, message, wParam, lParam);
    }
    default:
      return DefWindowProcW(frame, message, wParam, lParam);
  }
}

}  // namespace
}  // namespace kx2::user32

KX2_EXPORT LRESULT DefFrameProcW(HWND hWnd, HWND hWndMDIClient, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&] { return kx2::user32::FrameProc(hWnd, hWndMDIClient, uMsg, wParam, lParam); });
}

KX2_EXPORT BOOL TranslateMDISysAccel(HWND hWndClient, LPMSG lpMsg) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    using namespace kx2::user32;
    MdiClient* client = MdiClientOf(hWndClient);
    if (!client || !lpMsg || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN)) return FALSE;
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return FALSE;
    HWND active = client->Active();
    if (!active || !IsWindowEnabled(active)) return FALSE;
    WPARAM command;
    switch (lpMsg->wParam) {
      case VK_F4:
        command = SC_CLOSE;
        break;
      case VK_F6:
      case VK_TAB:
        command = GetKeyState(VK_SHIFT) < 0 ? SC_PREVWINDOW : SC_NEXTWINDOW;
        break;
      default:
        return FALSE;
    }
    SendMessageW(active, WM_SYSCOMMAND, command, static_cast<LPARAM>(lpMsg->wParam));
    return TRUE;
  });
}

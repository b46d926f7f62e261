// DefMDIChildProcW, the default procedure of an MDI child, and CreateMDIWindowW. A child
// asks its client for what concerns its siblings and the frame: activation when it is
// clicked, focused or activated, its system commands (maximise, restore, minimise, close,
// next window), its maximised place inside the client, the frame's title and menus when
// its own title or size changes, and the client's scroll bars when it moves.
#include <algorithm>

#include "MdiClient.h"
#include "win/menu.h"
#include "kx2/ErrorBoundary.h"

namespace kx2::user32 {
namespace {

LRESULT SystemCommand(HWND child, MdiClient* client, WPARAM wParam, LPARAM lParam) {
  HWND clientWindow = client->Hwnd();
  const auto self = reinterpret_cast<WPARAM>(child);
  switch (static_cast<UINT>(wParam) & 0xFFF0) {
    case SC_MAXIMIZE:
      if (StyleOf(child) & WS_MAXIMIZEBOX) SendMessageW(clientWindow, WM_MDIMAXIMIZE, self, 0);
      return 0;
    case SC_RESTORE:
      SendMessageW(clientWindow, WM_MDIRESTORE, self, 0);
      return 0;
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
      SendMessageW(clientWindow, WM_MDINEXT, self, (wParam & 0xFFF0) == SC_PREVWINDOW);
      return 0;
    case SC_CLOSE:
      SendMessageW(child, WM_CLOSE, 0, 0);
      return 0;
    case SC_MOVE:
    case SC_SIZE:
      // A maximised child has no place of its own to change.
      if (IsZoomed(child)) return 0;
      return DefWindowProcW(child, WM_SYSCOMMAND, wParam, lParam);
    case SC_KEYMENU:
      // A maximised child's window menu is on the frame's bar.
      if (IsZoomed(child)) return SendMessageW(client->Frame(), WM_SYSCOMMAND, wParam, lParam);
      return DefWindowProcW(child, WM_SYSCOMMAND, wParam, lParam);
    default:
      return DefWindowProcW(child, WM_SYSCOMMAND, wParam, lParam);
  }
}

// A maximised child fills the client with its frame outside it.
void MaxInfo(HWND child, MdiClient* client, MINMAXINFO* info) {
  if (!info) return;
  const RECT r = client->MaximizedRect(child);
  info->ptMaxSize = POINT{r.right - r.left, r.bottom - r.top};
  info->ptMaxPosition = POINT{r.left, r.top};
  info->ptMaxTrackSize.x = std::max(info->ptMaxTrackSize.x, info->ptMaxSize.x);
  info->ptMaxTrackSize.y = std::max(info->ptMaxTrackSize.y, info->ptMaxSize.y);
}

LRESULT ChildProc(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  MdiClient* client = MdiClientOfChild(child);
  if (!client) return DefWindowProcW(child, message, wParam, lParam);
  const auto self = reinterpret_cast<WPARAM>(child);
  switch (message) {
    case WM_CREATE:
      client->Adopt(child);
      return DefWindowProcW(child, message, wParam, lParam);
    case WM_CHILDACTIVATE:
      SendMessageW(client->Hwnd(), WM_MDIACTIVATE, self, 0);
      return 0;
    case WM_SETFOCUS:
      if (client->Active() != child) SendMessageW(client->Hwnd(), WM_MDIACTIVATE, self, 0);
      return DefWindowProcW(child, message, wParam, lParam);
    case WM_MOUSEACTIVATE:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // A press anywhere on a child brings it forward.
      if (client->Active() != child) SendMessageW(client->Hwnd(), WM_MDIACTIVATE, self, 0);
      if (!IsWindow(child)) return 0;
      return DefWindowProcW(child, message, wParam, lParam);
    case WM_PARENTNOTIFY:
      if (LOWORD(wParam) == WM_LBUTTONDOWN || LOWORD(wParam) == WM_RBUTTONDOWN || LOWORD(wParam) == WM_MBUTTONDOWN)
        if (client->Active() != child) SendMessageW(client->Hwnd(), WM_MDIACTIVATE, self, 0);
      return 0;
    case WM_CLOSE:
      SendMessageW(client->Hwnd(), WM_MDIDESTROY, self, 0);
      return 0;
    case WM_SYSCOMMAND:
      return SystemCommand(child, client, wParam, lParam);
    case WM_GETMINMAXINFO:
      DefWindowProcW(child, message, wParam, lParam);
      MaxInfo(child, client, reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_SETTEXT: {
      const LRESULT kept = DefWindowProcW(child, message, wParam, lParam);
      client->ChildTitleChanged(child);
      return kept;
    }
    case WM_SIZE:
      DefWindowProcW(child, message, wParam, lParam);
      client->ChildSized(child);
      return 0;
    case WM_MOVE:
      DefWindowProcW(child, message, wParam, lParam);
      client->ChildMoved();
      return 0;
    case WM_MENUCHAR:
      return SendMessageW(client->Frame(), WM_MENUCHAR, wParam, lParam);
    case WM_NEXTMENU: {
      // From the child's window menu sideways to the frame's bar.
      auto* next = reinterpret_cast<MDINEXTMENU*>(lParam);
      HWND frame = client->Frame();
      if (next && GetMenu(frame)) {
        next->hmenuNext = GetMenu(frame);
        next->hwndNext = frame;
      }
      return 0;
    }
    case WM_DESTROY:
      client->Forget(child);
      return DefWindowProcW(child, message, wParam, lParam);
    default:
      return DefWindowProcW(child, message, wParam, lParam);
  }
}

}  // namespace
}  // namespace kx2::user32

KX2_EXPORT LRESULT DefMDIChildProcW(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&] { return kx2::user32::ChildProc(hWnd, uMsg, wParam, lParam); });
}

KX2_EXPORT HWND CreateMDIWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y, int nWidth,
                                 int nHeight, HWND hWndParent, HINSTANCE hInstance, LPARAM lParam) {
  return kx2::Guard(static_cast<HWND>(nullptr), [&]() -> HWND {
    if (!kx2::user32::MdiClientOf(hWndParent)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    MDICREATESTRUCTW mcs{lpClassName, lpWindowName, hInstance, X, Y, nWidth, nHeight, dwStyle, lParam};
    return reinterpret_cast<HWND>(SendMessageW(hWndParent, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  });
}

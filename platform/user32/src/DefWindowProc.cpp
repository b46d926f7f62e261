// DefWindowProcW: what needs no painting (text, activation and focus, cursor, hit test,
// the moves and sizes SetWindowPos reports, closing); the frame comes with painting.
#include "ClassicFrame.h"
#include "ImeMessages.h"
#include "MenuBar.h"
#include "MenuTrack.h"
#include "NonClient.h"
#include "PrintWindow.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/UserCore.h"
#include "win/gdi.h"
#include "win/user.h"

namespace {

bool IsChildWindow(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) != 0; }

// Messages a child passes to its parent before doing anything itself.
LRESULT AskParent(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsChildWindow(hwnd)) return 0;
  HWND parent = GetParent(hwnd);
  return parent ? SendMessageW(parent, message, wParam, lParam) : 0;
}

LRESULT HitTest(HWND hwnd, LPARAM lParam) {
  return kx2::user32::FrameHitTest(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

// The class brush paints the background; 1 to 31 stand for a system colour index plus one.
LRESULT EraseBackground(HWND hwnd, HDC dc) {
  auto brush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND));
  if (!brush || !dc) return 0;
  const auto value = reinterpret_cast<uintptr_t>(brush);
  if (value >= 1 && value <= 31) brush = GetSysColorBrush(static_cast<int>(value) - 1);
  RECT client;
  GetClientRect(hwnd, &client);
  FillRect(dc, &client, brush);
  return 1;
}

LRESULT CalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (!lParam) return 0;
  RECT* rect = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
  if (GetWindowLongW(hwnd, GWL_STYLE) & WS_MINIMIZE) {
    rect->right = rect->left;
    rect->bottom = rect->top;
    return 0;
  }
  *rect = kx2::user32::ClientInside(hwnd, *rect);
  return 0;
}

void ReportMoveAndSize(HWND hwnd, const WINDOWPOS* pos) {
  if (!pos) return;
  RECT client;
  GetClientRect(hwnd, &client);
  if (!(pos->flags & SWP_NOCLIENTMOVE)) {
    POINT origin{0, 0};
    MapWindowPoints(hwnd, GetAncestor(hwnd, GA_PARENT), &origin, 1);
    SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
  }
  if (!(pos->flags & SWP_NOCLIENTSIZE) || (pos->flags & SWP_FRAMECHANGED)) {
    const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    const WPARAM kind = (style & WS_MINIMIZE) ? SIZE_MINIMIZED : (style & WS_MAXIMIZE) ? SIZE_MAXIMIZED : SIZE_RESTORED;
    SendMessageW(hwnd, WM_SIZE, kind, MAKELPARAM(client.right, client.bottom));
  }
}

// The UI state (UISF_ flags) kept per window.
constexpr LPCWSTR kUiStateProp = u"kx2.uistate";

UINT UiState(HWND hwnd) { return static_cast<UINT>(reinterpret_cast<uintptr_t>(GetPropW(hwnd, kUiStateProp))); }

UINT ChangedUiState(UINT state, WPARAM wParam) {
  const UINT flags = HIWORD(wParam) & (UISF_HIDEFOCUS | UISF_HIDEACCEL | UISF_ACTIVE);
  switch (LOWORD(wParam)) {
    case UIS_SET:
      return state | flags;
    case UIS_CLEAR:
      return state & ~flags;
    case UIS_INITIALIZE:
      return flags;
    default:
      return state;
  }
}

// A child asks its parent; the top-level window updates itself and, through
// WM_UPDATEUISTATE, every window below it.
LRESULT ChangeUiState(HWND hwnd, WPARAM wParam) {
  if (IsChildWindow(hwnd)) {
    if (HWND parent = GetParent(hwnd)) return SendMessageW(parent, WM_CHANGEUISTATE, wParam, 0);
  }
  if (ChangedUiState(UiState(hwnd), wParam) != UiState(hwnd) || LOWORD(wParam) == UIS_INITIALIZE)
    SendMessageW(hwnd, WM_UPDATEUISTATE, wParam, 0);
  return 0;
}

LRESULT UpdateUiState(HWND hwnd, WPARAM wParam) {
  SetPropW(hwnd, kUiStateProp, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(ChangedUiState(UiState(hwnd), wParam))));
  for (HWND c = GetWindow(hwnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    SendMessageW(c, WM_UPDATEUISTATE, wParam, 0);
  return 0;
}

LRESULT SystemCommand(HWND hwnd, WPARAM command, LPARAM lParam) {
  switch (command & 0xFFF0) {
    case SC_MOVE:
    case SC_SIZE:
      kx2::user32::MoveOrSize(hwnd, command, lParam);
      break;
    case SC_CONTEXTHELP:
      kx2::user32::ContextHelp(hwnd);
      break;
    case SC_MOUSEMENU:
      kx2::user32::MouseMenu(hwnd);
      break;
    case SC_KEYMENU:
      kx2::user32::KeyMenu(hwnd, static_cast<WCHAR>(lParam));
      break;
    case SC_CLOSE:
      SendMessageW(hwnd, WM_CLOSE, 0, 0);
      break;
    case SC_MINIMIZE:
      ShowWindow(hwnd, SW_MINIMIZE);
      break;
    case SC_MAXIMIZE:
      ShowWindow(hwnd, SW_MAXIMIZE);
      break;
    case SC_RESTORE:
      ShowWindow(hwnd, SW_RESTORE);
      break;
    default:
      break;
  }
  return 0;
}

// Controls are coloured as the system colours say: edits and list boxes like windows,
// everything else like dialogs.
LRESULT ControlColour(UINT message, HDC dc) {
  const bool windowLike = message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX;
  const int background = windowLike ? COLOR_WINDOW : COLOR_3DFACE;
  if (dc) {
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(background));
  }
  return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

LRESULT Default(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return ControlColour(message, reinterpret_cast<HDC>(wParam));
    case WM_NCCREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      // A name that is a resource id (0xFFFF, id) belongs to static controls, not here.
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName) && cs->lpszName[0] != 0xFFFF)
        Kx2WindowKeepText(hwnd, cs->lpszName);
      return TRUE;
    }
    case WM_NCCALCSIZE:
      return CalcSize(hwnd, wParam, lParam);
    case WM_NCPAINT:
      kx2::user32::PaintFrame(hwnd, kx2::user32::FrameActive(hwnd));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_PRINT:
      return kx2::user32::PrintInto(hwnd, reinterpret_cast<HDC>(wParam), lParam);
    case WM_GETTEXTLENGTH:
      return Kx2WindowTextLength(hwnd);
    case WM_GETTEXT:
      return wParam && lParam ? InternalGetWindowText(hwnd, reinterpret_cast<LPWSTR>(lParam), static_cast<int>(wParam))
                              : 0;
    case WM_SETTEXT: {
      const BOOL kept = Kx2WindowKeepText(hwnd, reinterpret_cast<LPCWSTR>(lParam));
      if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
        kx2::user32::PaintFrame(hwnd, kx2::user32::FrameActive(hwnd));
      return kept;
    }
    case WM_NCHITTEST:
      return HitTest(hwnd, lParam);
    case WM_SETCURSOR: {
      if (AskParent(hwnd, message, wParam, lParam)) return TRUE;
      const int hit = static_cast<short>(LOWORD(lParam));
      if (hit == HTCLIENT) {
        if (auto cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrW(hwnd, GCLP_HCURSOR))) {
          SetCursor(cursor);
          return TRUE;
        }
        return FALSE;
      }
      if (hit == HTERROR && HIWORD(lParam) >= WM_LBUTTONDOWN && HIWORD(lParam) <= WM_MBUTTONDBLCLK) MessageBeep(0);
      return FALSE;
    }
    case WM_MOUSEACTIVATE:
      if (LRESULT answer = AskParent(hwnd, message, wParam, lParam)) return answer;
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
        HWND focus = GetFocus();
        if (!focus || (focus != hwnd && !IsChild(hwnd, focus))) SetFocus(hwnd);
      }
      return 0;
    case WM_NCACTIVATE:
      kx2::user32::PaintFrame(hwnd, wParam != 0);
      return TRUE;
    case WM_WINDOWPOSCHANGED:
      ReportMoveAndSize(hwnd, reinterpret_cast<const WINDOWPOS*>(lParam));
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      return SystemCommand(hwnd, wParam, lParam);
    case WM_NCLBUTTONDOWN:
      return kx2::user32::NonClientButtonDown(hwnd, wParam, lParam);
    case WM_NCLBUTTONDBLCLK:
      // On the caption it maximises or restores; on the window menu it closes; elsewhere
      // it is a second press.
      if (wParam == HTCAPTION) {
        const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
        if (style & WS_MAXIMIZEBOX)
          SendMessageW(hwnd, WM_SYSCOMMAND, (style & (WS_MAXIMIZE | WS_MINIMIZE)) ? SC_RESTORE : SC_MAXIMIZE, lParam);
        return 0;
      }
      if (wParam == HTSYSMENU) {
        SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
        return 0;
      }
      return kx2::user32::NonClientButtonDown(hwnd, wParam, lParam);
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & (1 << 29))) PostMessageW(GetAncestor(hwnd, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
      kx2::user32::MenuKey(hwnd, message, wParam, lParam);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      kx2::user32::MenuKey(hwnd, message, wParam, lParam);
      return 0;
    case WM_CHANGEUISTATE:
      return ChangeUiState(hwnd, wParam);
    case WM_UPDATEUISTATE:
      return UpdateUiState(hwnd, wParam);
    case WM_QUERYUISTATE:
      return UiState(hwnd);
    case WM_CANCELMODE:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_HELP:
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_APPCOMMAND:
      return AskParent(hwnd, message, wParam, lParam);
    case WM_QUERYENDSESSION:
    case WM_QUERYOPEN:
      return TRUE;
    case WM_NOTIFYFORMAT:
      return lParam == 3 ? 2 : 0;  // NF_QUERY: NFR_UNICODE
    case WM_SETICON: {
      LPCWSTR slot = wParam == ICON_BIG ? u"kx2.icon.big" : u"kx2.icon.small";
      HANDLE old = GetPropW(hwnd, slot);
      SetPropW(hwnd, slot, reinterpret_cast<HANDLE>(lParam));
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON:
      return reinterpret_cast<LRESULT>(GetPropW(hwnd, wParam == ICON_BIG ? u"kx2.icon.big" : u"kx2.icon.small"));
    case WM_NCDESTROY:
      RemovePropW(hwnd, kUiStateProp);
      RemovePropW(hwnd, u"kx2.frame.pressed");
      kx2::user32::ForgetMenuBarHighlight(hwnd);
      RemovePropW(hwnd, u"kx2.icon.big");
      RemovePropW(hwnd, u"kx2.icon.small");
      return 0;
    default: {
      LRESULT result = 0;
      kx2::user32::DefaultImeMessage(hwnd, message, wParam, lParam, &result);
      return result;
    }
  }
}

}  // namespace

KX2_EXPORT LRESULT DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&] { return Default(hWnd, Msg, wParam, lParam); });
}

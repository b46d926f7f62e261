// DefDlgProcW: the dialog procedure first, then what every dialog does by itself.
#include <algorithm>

#include "DialogState.h"
#include "kx2/ErrorBoundary.h"

namespace kx2::user32 {
namespace {

bool IsControlColour(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

// Messages whose answer is the dialog procedure's return value, not DWLP_MSGRESULT.
bool AnswersDirectly(UINT message) {
  return IsControlColour(message) || message == WM_INITDIALOG || message == WM_COMPAREITEM ||
         message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
}

bool IsHollow(HBRUSH brush) {
  LOGBRUSH logBrush{};
  return GetObjectW(brush, sizeof logBrush, &logBrush) == sizeof logBrush && logBrush.lbStyle == BS_HOLLOW;
}

// The background in the brush the dialog (or its procedure) answers to WM_CTLCOLORDLG.
LRESULT EraseBackground(HWND dlg, HDC dc) {
  if (!dc) return 0;
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(dlg, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dlg)));
  if (!brush) brush = GetSysColorBrush(COLOR_3DFACE);
  if (IsHollow(brush)) return TRUE;  // the window behind shows through
  RECT client;
  GetClientRect(dlg, &client);
  FillRect(dc, &client, brush);
  return TRUE;
}

bool IsFocusInside(HWND dlg, HWND focus) { return focus && focus != dlg && IsChild(dlg, focus); }

void SaveFocus(HWND dlg, DialogState* state) {
  HWND focus = GetFocus();
  if (state && IsFocusInside(dlg, focus)) state->savedFocus = focus;
}

// The saved control when it is still there, else where the focus already is inside the
// dialog, else the first tab stop.
void RestoreFocus(HWND dlg, DialogState* state) {
  if (IsIconic(dlg)) return;
  HWND target = state ? state->savedFocus : nullptr;
  if (!target && IsFocusInside(dlg, GetFocus())) return;
  if (!target || !IsWindow(target) || !IsChild(dlg, target) || !IsWindowEnabled(target) || !IsWindowVisible(target))
    target = GetNextDlgTabItem(dlg, nullptr, FALSE);
  if (target && GetFocus() != target) SetDialogFocus(dlg, target);
}

LRESULT NextControl(HWND dlg, WPARAM wParam, LPARAM lParam) {
  HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(dlg, GetFocus(), wParam != 0);
  if (target && (target == dlg || IsChild(dlg, target))) SetDialogFocus(dlg, target);
  return 0;
}

LRESULT SetDefaultId(HWND dlg, DialogState* state, UINT id) {
  if (!state) return FALSE;
  state->defaultId = id;
  // The look follows unless the focus is on a push button (which keeps it while focused).
  HWND focus = GetFocus();
  if (!(IsFocusInside(dlg, focus) && (DialogCode(focus) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))))
    UpdateDefaultButton(dlg, nullptr);
  return TRUE;
}

// A top-level dialog moved back inside the work area where it reaches past it.
void Reposition(HWND dlg) {
  if (GetWindowLongW(dlg, GWL_STYLE) & WS_CHILD) return;
  RECT window{}, work{};
  GetWindowRect(dlg, &window);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  POINT at{window.left, window.top};
  if (window.right > work.right) at.x -= window.right - work.right;
  if (window.bottom > work.bottom) at.y -= window.bottom - work.bottom;
  at.x = std::max(at.x, work.left);
  at.y = std::max(at.y, work.top);
  if (at.x != window.left || at.y != window.top)
    SetWindowPos(dlg, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT Close(HWND dlg) {
  // As the Cancel button would, unless it is there and disabled.
  HWND cancel = GetDlgItem(dlg, IDCANCEL);
  if (cancel && !IsWindowEnabled(cancel)) {
    MessageBeep(0);
    return 0;
  }
  PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
  return 0;
}

LRESULT Default(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogState* state = DialogOf(dlg);
  if (message == EndDialogMessage() && message) {
    EndDialogOnItsThread(dlg, static_cast<INT_PTR>(lParam));
    return 0;
  }
  switch (message) {
    case WM_NCCREATE:
      AttachDialogState(dlg);
      return DefWindowProcW(dlg, message, wParam, lParam);
    case WM_NCDESTROY:
      DetachDialogState(dlg);
      return DefWindowProcW(dlg, message, wParam, lParam);
    case WM_ERASEBKGND:
      return EraseBackground(dlg, reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      // A dialog inside another (a page) colours its controls as its parent says.
      if ((GetWindowLongW(dlg, GWL_STYLE) & WS_CHILD) && GetParent(dlg))
        return SendMessageW(GetParent(dlg), message, wParam, lParam);
      return DefWindowProcW(dlg, message, wParam, lParam);
    case WM_SHOWWINDOW:
      if (!wParam) SaveFocus(dlg, state);
      return DefWindowProcW(dlg, message, wParam, lParam);
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE)
        SaveFocus(dlg, state);
      else
        RestoreFocus(dlg, state);
      return 0;
    case WM_SETFOCUS:
      RestoreFocus(dlg, state);
      return 0;
    case WM_CLOSE:
      return Close(dlg);
    case WM_NEXTDLGCTL:
      return NextControl(dlg, wParam, lParam);
    case DM_GETDEFID:
      return state && state->defaultId ? MAKELRESULT(state->defaultId, DC_HASDEFID) : 0;
    case DM_SETDEFID:
      return SetDefaultId(dlg, state, static_cast<UINT>(wParam));
    case DM_REPOSITION:
      Reposition(dlg);
      return 0;
    case WM_SETFONT:
      if (state && state->font != reinterpret_cast<HFONT>(wParam)) {
        if (state->ownsFont && state->font) DeleteObject(state->font);
        state->font = reinterpret_cast<HFONT>(wParam);
        state->ownsFont = false;
        state->baseUnits = FontBaseUnits(state->font);
      }
      return 0;
    case WM_GETFONT:
      return state ? reinterpret_cast<LRESULT>(state->font) : 0;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
      return -1;  // the list box acts on the key itself
    default:
      return DefWindowProcW(dlg, message, wParam, lParam);
  }
}

LRESULT DialogProcedure(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam) {
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dlg, DWLP_DLGPROC));
  if (proc) {
    SetWindowLongPtrW(dlg, DWLP_MSGRESULT, 0);
    const INT_PTR answer = proc(dlg, message, wParam, lParam);
    if (answer) {
      if (AnswersDirectly(message)) return answer;
      // The procedure may have destroyed its own dialog.
      return IsWindow(dlg) ? GetWindowLongPtrW(dlg, DWLP_MSGRESULT) : 0;
    }
    if (!IsWindow(dlg)) return 0;
  }
  return Default(dlg, message, wParam, lParam);
}

}  // namespace
}  // namespace kx2::user32

KX2_EXPORT LRESULT DefDlgProcW(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&] { return kx2::user32::DialogProcedure(hDlg, Msg, wParam, lParam); });
}

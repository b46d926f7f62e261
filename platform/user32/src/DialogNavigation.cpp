// Moving through a dialog by keyboard: tab and group order, the default-button look that
// follows the focus, mnemonics, and IsDialogMessageW.
#include <string>
#include <vector>

#include "DialogState.h"
#include "kx2/ErrorBoundary.h"

namespace kx2::user32 {
namespace {

constexpr DWORD kButtonTypeMask = 0x0000000FL;
constexpr DWORD kAutoRadioButton = 0x00000009L;
constexpr DWORD kStaticNoPrefix = 0x00000080L;
constexpr WPARAM kExecuteKey = 0x2B;  // VK_EXECUTE: acts as Enter

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }
// By the control's own style, so that a dialog not shown yet has its tab order too.
bool Usable(HWND hwnd) { return (StyleOf(hwnd) & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE; }

// The dialog's controls in tab order: its children in z-order, a visible and enabled
// WS_EX_CONTROLPARENT child giving its own controls in its place.
void CollectControls(HWND parent, std::vector<HWND>* out, int depth) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (depth < 16 && (GetWindowLongW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && Usable(child) &&
        GetWindow(child, GW_CHILD)) {
      CollectControls(child, out, depth + 1);
      continue;
    }
    out->push_back(child);
  }
}

std::vector<HWND> ControlsOf(HWND dlg) {
  std::vector<HWND> controls;
  CollectControls(dlg, &controls, 0);
  return controls;
}

// A window inside a control (a combo box's edit) stands for the control holding it.
int IndexOf(const std::vector<HWND>& controls, HWND control) {
  for (HWND h = control; h; h = GetParent(h)) {
    for (size_t i = 0; i < controls.size(); ++i)
      if (controls[i] == h) return static_cast<int>(i);
    if (!(GetWindowLongW(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return -1;
}

bool IsPushButton(UINT code) { return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0; }

// Whether the text marks ch as its mnemonic ("&N"; "&&" is a plain ampersand).
bool HasMnemonic(const std::u16string& text, WCHAR ch) {
  WCHAR wanted[2] = {ch, 0};
  CharUpperW(wanted);
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    WCHAR marked[2] = {text[i + 1], 0};
    CharUpperW(marked);
    return marked[0] == wanted[0];
  }
  return false;
}

std::u16string TextOf(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

bool IsStaticWithoutPrefix(HWND hwnd) {
  WCHAR name[16] = {};
  return GetClassNameW(hwnd, name, 16) > 0 && CompareStringOrdinal(name, -1, u"Static", -1, TRUE) == CSTR_EQUAL &&
         (StyleOf(hwnd) & kStaticNoPrefix);
}

// A label's mnemonic focuses the control after it; a button's clicks it (and focuses a
// check box or radio button).
bool Mnemonic(HWND dlg, HWND focus, WCHAR ch) {
  const std::vector<HWND> controls = ControlsOf(dlg);
  const int count = static_cast<int>(controls.size());
  const int start = IndexOf(controls, focus);
  for (int step = 1; step <= count; ++step) {
    HWND control = controls[static_cast<size_t>((start + step + count) % count)];
    if (!(StyleOf(control) & WS_VISIBLE)) continue;
    const UINT code = DialogCode(control);
    if (!(code & (DLGC_STATIC | DLGC_BUTTON)) && !IsPushButton(code)) continue;
    if (IsStaticWithoutPrefix(control) || !HasMnemonic(TextOf(control), ch)) continue;
    if (code & DLGC_STATIC) {
      HWND target = GetNextDlgTabItem(dlg, control, FALSE);
      if (target && target != control) SetDialogFocus(dlg, target);
      return true;
    }
    if (!IsWindowEnabled(control)) continue;
    if (!IsPushButton(code)) SetDialogFocus(dlg, control);
    SendMessageW(control, BM_CLICK, 0, 0);
    return true;
  }
  return false;
}

void SendCommand(HWND dlg, int id, HWND control) {
  SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// Enter: the focused push button, else the default button (IDOK when there is none).
void Enter(HWND dlg, HWND focus, UINT code) {
  if ((code & DLGC_DEFPUSHBUTTON) && IsWindowEnabled(focus)) {
    SendCommand(dlg, GetDlgCtrlID(focus), focus);
    return;
  }
  const LRESULT defId = SendMessageW(dlg, DM_GETDEFID, 0, 0);
  const int id = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : IDOK;
  HWND button = GetDlgItem(dlg, id);
  if (button ? IsWindowEnabled(button) : id == IDOK) SendCommand(dlg, id, button);
}

void Escape(HWND dlg) {
  HWND cancel = GetDlgItem(dlg, IDCANCEL);
  if (cancel && !IsWindowEnabled(cancel)) return;
  SendCommand(dlg, IDCANCEL, cancel);
}

void Arrow(HWND dlg, HWND focus, bool previous) {
  HWND next = GetNextDlgGroupItem(dlg, focus, previous);
  if (!next) return;
  const UINT code = DialogCode(next);
  SendMessageW(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
  // Arrowing onto an automatic radio button chooses it.
  if ((code & DLGC_RADIOBUTTON) && (StyleOf(next) & kButtonTypeMask) == kAutoRadioButton &&
      SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED)
    SendMessageW(next, BM_CLICK, 0, 0);
}

// TRUE when the message was a dialog key and has been acted on.
bool DialogKey(HWND dlg, MSG* msg, UINT code) {
  HWND focus = msg->hwnd;
  switch (msg->message) {
    case WM_KEYDOWN:
      switch (msg->wParam) {
        case VK_TAB:
          if (code & DLGC_WANTTAB) return false;
          SendMessageW(dlg, WM_NEXTDLGCTL, (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0, 0);
          return true;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
          if (code & DLGC_WANTARROWS) return false;
          Arrow(dlg, focus, msg->wParam == VK_LEFT || msg->wParam == VK_UP);
          return true;
        case VK_ESCAPE:
        case VK_CANCEL:
          Escape(dlg);
          return true;
        case VK_RETURN:
        case kExecuteKey:
          Enter(dlg, focus, code);
          return true;
        default:
          return false;
      }
    case WM_CHAR:
      if (code & DLGC_WANTCHARS) return false;
      // Tab's character is eaten where the key moved the focus.
      if (msg->wParam == u'\t') return !(code & DLGC_WANTTAB);
      return Mnemonic(dlg, focus, static_cast<WCHAR>(msg->wParam));
    case WM_SYSCHAR:
      return Mnemonic(dlg, focus, static_cast<WCHAR>(msg->wParam));
    default:
      return false;
  }
}

}  // namespace

UINT DialogCode(HWND control, const MSG* msg) {
  if (!control) return 0;
  return static_cast<UINT>(
      SendMessageW(control, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(const_cast<MSG*>(msg))));
}

void UpdateDefaultButton(HWND dlg, HWND newFocus) {
  const UINT focusCode = newFocus ? DialogCode(newFocus) : 0;
  HWND wanted = nullptr;
  if (IsPushButton(focusCode)) {
    wanted = newFocus;
  } else if (DialogState* state = DialogOf(dlg); state && state->defaultId) {
    wanted = GetDlgItem(dlg, static_cast<int>(state->defaultId));
  }
  for (HWND control : ControlsOf(dlg)) {
    const UINT code = control == newFocus ? focusCode : DialogCode(control);
    if (control == wanted) {
      if (code & DLGC_UNDEFPUSHBUTTON) SendMessageW(control, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    } else if (code & DLGC_DEFPUSHBUTTON) {
      SendMessageW(control, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
  }
}

void SetDialogFocus(HWND dlg, HWND control) {
  if (!control) return;
  if (control != dlg) UpdateDefaultButton(dlg, control);
  if (DialogCode(control) & DLGC_HASSETSEL) SendMessageW(control, EM_SETSEL, 0, -1);
  SetFocus(control);
}

}  // namespace kx2::user32

using kx2::user32::ControlsOf;
using kx2::user32::IndexOf;
using kx2::user32::Usable;

KX2_EXPORT HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  return kx2::Guard(static_cast<HWND>(nullptr), [&]() -> HWND {
    if (!IsWindow(hDlg)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    const std::vector<HWND> controls = ControlsOf(hDlg);
    const int count = static_cast<int>(controls.size());
    if (count == 0) return nullptr;
    int at = IndexOf(controls, hCtl);
    if (at < 0) at = bPrevious ? 0 : count - 1;  // so the first step lands on the last or first
    for (int step = 1; step <= count; ++step) {
      const int i = bPrevious ? (at - step + count * 2) % count : (at + step) % count;
      HWND control = controls[static_cast<size_t>(i)];
      if ((GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) && Usable(control)) return control;
    }
    return hCtl;
  });
}

KX2_EXPORT HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  return kx2::Guard(static_cast<HWND>(nullptr), [&]() -> HWND {
    if (!IsWindow(hDlg)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    if (!hCtl || !IsChild(hDlg, hCtl)) return GetNextDlgTabItem(hDlg, nullptr, bPrevious);
    // The group: from the control's WS_GROUP sibling (or the first one) to the next.
    HWND parent = GetParent(hCtl);
    std::vector<HWND> siblings;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) siblings.push_back(c);
    const int at = IndexOf(siblings, hCtl);
    int first = at;
    while (first > 0 && !(GetWindowLongW(siblings[static_cast<size_t>(first)], GWL_STYLE) & WS_GROUP)) --first;
    int last = at;
    while (last + 1 < static_cast<int>(siblings.size()) &&
           !(GetWindowLongW(siblings[static_cast<size_t>(last + 1)], GWL_STYLE) & WS_GROUP))
      ++last;
    const int size = last - first + 1;
    for (int step = 1; step < size; ++step) {
      const int offset = bPrevious ? (at - first - step + size * 2) % size : (at - first + step) % size;
      HWND control = siblings[static_cast<size_t>(first + offset)];
      if (Usable(control)) return control;
    }
    return hCtl;
  });
}

KX2_EXPORT BOOL IsDialogMessageW(HWND hDlg, MSG* lpMsg) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpMsg || !hDlg || !IsWindow(hDlg)) return FALSE;
    if (lpMsg->hwnd != hDlg && !IsChild(hDlg, lpMsg->hwnd)) return FALSE;
    const bool key = lpMsg->message == WM_KEYDOWN || lpMsg->message == WM_CHAR || lpMsg->message == WM_SYSCHAR;
    if (key) {
      const UINT code = kx2::user32::DialogCode(lpMsg->hwnd, lpMsg);
      if (!(code & DLGC_WANTMESSAGE) && kx2::user32::DialogKey(hDlg, lpMsg, code)) return TRUE;
    }
    TranslateMessage(lpMsg);
    DispatchMessageW(lpMsg);
    return TRUE;
  });
}

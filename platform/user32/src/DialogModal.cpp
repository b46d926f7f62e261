// The modal loop of DialogBox* and EndDialog, which ends it from the dialog's own thread.
#include "DialogCreate.h"
#include "DialogState.h"
#include "kx2/ErrorBoundary.h"

namespace kx2::user32 {
namespace {

// The modal loops running on this thread, innermost first: EndDialog marks its own.
struct ModalRun {
  HWND dlg = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  ModalRun* outer = nullptr;
};
thread_local ModalRun* t_runs = nullptr;

INT_PTR RunModal(const DialogSpec& spec, HINSTANCE instance, HWND parent, DLGPROC proc, LPARAM param) {
  if (parent && !IsWindow(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  HWND owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
  HWND dlg = CreateFromSpec(spec, instance, owner, proc, param, true);
  if (!dlg) return -1;

  ModalRun run;
  run.dlg = dlg;
  run.outer = t_runs;
  t_runs = &run;
  if (DialogState* state = DialogOf(dlg)) {
    run.ended = state->ended;  // EndDialog may have come during WM_INITDIALOG
    run.result = state->result;
  }
  HWND disabled = nullptr;
  if (owner && IsWindowEnabled(owner) && !run.ended) {
    EnableWindow(owner, FALSE);
    disabled = owner;
    if (DialogState* state = DialogOf(dlg)) state->disabledOwner = owner;
  }

  bool shown = IsWindowVisible(dlg) != FALSE;
  bool quit = false;
  while (!run.ended && IsWindow(dlg)) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!shown) {
        // Shown when the queue first runs dry, so that WM_INITDIALOG's work is done.
        ShowWindow(dlg, SW_SHOWNORMAL);
        shown = true;
        continue;
      }
      if (!(spec.style & DS_NOIDLEMSG) && owner)
        SendMessageW(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(dlg));
      if (run.ended || !IsWindow(dlg)) break;
    }
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
        quit = true;
      }
      break;
    }
    if (!IsDialogMessageW(dlg, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  t_runs = run.outer;

  if (disabled && IsWindow(disabled) && !IsWindowEnabled(disabled)) EnableWindow(disabled, TRUE);
  if (IsWindow(dlg)) DestroyWindow(dlg);
  if (owner && IsWindow(owner) && IsWindowVisible(owner) && !GetActiveWindow()) SetActiveWindow(owner);
  return run.ended && !quit ? run.result : -1;
}

}  // namespace

UINT EndDialogMessage() {
  static const UINT message = RegisterWindowMessageW(u"kx2.EndDialog");
  return message;
}

BOOL EndDialogOnItsThread(HWND dlg, INT_PTR result) {
  DialogState* state = DialogOf(dlg);
  if (!state) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  state->ended = true;
  state->result = result;
  for (ModalRun* run = t_runs; run; run = run->outer) {
    if (run->dlg != dlg) continue;
    run->ended = true;
    run->result = result;
  }
  HWND owner = GetWindow(dlg, GW_OWNER);
  if (state->disabledOwner && IsWindow(state->disabledOwner)) EnableWindow(state->disabledOwner, TRUE);
  state->disabledOwner = nullptr;
  const bool wasActive = GetActiveWindow() == dlg;
  SetWindowPos(dlg, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (wasActive && owner && IsWindowVisible(owner)) SetActiveWindow(owner);
  // Wakes the loop in case nothing else is waiting.
  PostMessageW(dlg, WM_NULL, 0, 0);
  return TRUE;
}

}  // namespace kx2::user32

using kx2::user32::DialogSpec;

KX2_EXPORT INT_PTR DialogBoxIndirectParamW(HINSTANCE hInstance, LPCDLGTEMPLATEW hDialogTemplate, HWND hWndParent,
                                           DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  return kx2::Guard(INT_PTR{-1}, [&]() -> INT_PTR {
    DialogSpec spec;
    if (!kx2::user32::ReadPointerTemplate(hDialogTemplate, &spec)) return -1;
    return kx2::user32::RunModal(spec, hInstance, hWndParent, lpDialogFunc, dwInitParam);
  });
}

KX2_EXPORT INT_PTR DialogBoxParamW(HINSTANCE hInstance, LPCWSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                                   LPARAM dwInitParam) {
  return kx2::Guard(INT_PTR{-1}, [&]() -> INT_PTR {
    DialogSpec spec;
    if (!kx2::user32::ReadResourceTemplate(hInstance, lpTemplateName, &spec)) return -1;
    return kx2::user32::RunModal(spec, hInstance, hWndParent, lpDialogFunc, dwInitParam);
  });
}

KX2_EXPORT BOOL EndDialog(HWND hDlg, INT_PTR nResult) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    const DWORD thread = GetWindowThreadProcessId(hDlg, nullptr);
    if (thread && thread != GetCurrentThreadId()) {
      // The loop and the dialog's state are its own thread's: that thread ends it.
      if (!kx2::user32::DialogOf(hDlg)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
      }
      return PostMessageW(hDlg, kx2::user32::EndDialogMessage(), 0, static_cast<LPARAM>(nResult));
    }
    return kx2::user32::EndDialogOnItsThread(hDlg, nResult);
  });
}

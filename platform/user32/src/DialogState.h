// What the dialog manager keeps for each dialog window beside its DWLP_ slots: the font
// and its base units, the default button, the control that had the focus, and the state
// of a modal loop. Kept in one table from WM_NCCREATE (or first use) to WM_NCDESTROY;
// a dialog belongs to its thread, so only that thread touches its state.
#pragma once

#include "win/dialog.h"
#include "win/gdi.h"
#include "win/nls.h"
#include "win/user.h"

namespace kx2::user32 {

struct DialogState {
  HFONT font = nullptr;
  bool ownsFont = false;  // made from the template: deleted with the dialog
  SIZE baseUnits{0, 0};
  UINT defaultId = 0;
  HWND savedFocus = nullptr;
  bool modal = false;
  bool ended = false;
  INT_PTR result = 0;
  HWND disabledOwner = nullptr;  // the owner a modal loop disabled (enabled again at its end)
};

// The state of a window of the dialog class (made on first use); null for a window that
// never was a dialog and is not of the dialog class.
DialogState* DialogOf(HWND hwnd);
// Makes the state of a new dialog (idempotent).
DialogState* AttachDialogState(HWND hwnd);
// Frees it (WM_NCDESTROY), deleting a font the dialog made.
void DetachDialogState(HWND hwnd);

// Base units of a font (the system font for null): average width of the 52 Latin
// letters, rounded, and the font's height.
SIZE FontBaseUnits(HFONT font);
// Dialog units to pixels.
inline int DluToPixelsX(int x, SIZE base) { return MulDiv(x, base.cx, 4); }
inline int DluToPixelsY(int y, SIZE base) { return MulDiv(y, base.cy, 8); }

// The "#32770" class (registered when the library loads).
void RegisterDialogClass();

// Focus moved inside a dialog: an edit's text selected, and the default-button look
// following the focus (a focused push button looks default; elsewhere the dialog's
// default button does).
void SetDialogFocus(HWND dlg, HWND control);
// The default-button look for the control about to get the focus.
void UpdateDefaultButton(HWND dlg, HWND newFocus);
// EndDialog on the dialog's own thread; another thread's EndDialog posts the dialog
// EndDialogMessage() (lParam the result), which DefDlgProcW turns into this call.
BOOL EndDialogOnItsThread(HWND dlg, INT_PTR result);
UINT EndDialogMessage();

// The control's WM_GETDLGCODE answer (0 for none).
UINT DialogCode(HWND control, const MSG* msg = nullptr);

}  // namespace kx2::user32

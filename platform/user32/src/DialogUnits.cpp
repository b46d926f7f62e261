// Dialog units: the system font's base units and a dialog's own.
#include "DialogState.h"
#include "kx2/ErrorBoundary.h"

KX2_EXPORT LONG GetDialogBaseUnits() {
  return kx2::Guard(LONG{0}, [] {
    const SIZE base = kx2::user32::FontBaseUnits(nullptr);
    return static_cast<LONG>(MAKELONG(base.cx, base.cy));
  });
}

KX2_EXPORT BOOL MapDialogRect(HWND hDlg, LPRECT lpRect) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    kx2::user32::DialogState* state = kx2::user32::DialogOf(hDlg);
    if (!state) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (!lpRect) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    const SIZE base = state->baseUnits;
    lpRect->left = kx2::user32::DluToPixelsX(lpRect->left, base);
    lpRect->right = kx2::user32::DluToPixelsX(lpRect->right, base);
    lpRect->top = kx2::user32::DluToPixelsY(lpRect->top, base);
    lpRect->bottom = kx2::user32::DluToPixelsY(lpRect->bottom, base);
    return TRUE;
  });
}

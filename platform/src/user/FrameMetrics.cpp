// AdjustWindowRectEx: the window rectangle around a client rectangle, from the style alone
// (the sizes of the classic frame). The frame drawing's WM_NCCALCSIZE takes the same widths.
#include "kx2/ErrorBoundary.h"
#include "user/Core.h"

namespace {

// Win32's test for a frame drawn as a dialog's: WS_DLGFRAME without WS_BORDER (that pair
// is WS_CAPTION), or the modal-frame extended style.
bool HasDialogFrame(DWORD style, DWORD exStyle) {
  return (exStyle & WS_EX_DLGMODALFRAME) || ((style & WS_DLGFRAME) && !(style & WS_BORDER));
}

}  // namespace

KX2_EXPORT BOOL AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!lpRect) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    // Overlapped windows always have a caption.
    if (!(dwStyle & (WS_POPUP | WS_CHILD))) dwStyle |= WS_CAPTION;
    int dx = 0, dy = 0;
    if (dwStyle & WS_THICKFRAME) {
      dx += GetSystemMetrics(SM_CXFRAME);
      dy += GetSystemMetrics(SM_CYFRAME);
    } else if (HasDialogFrame(dwStyle, dwExStyle)) {
      dx += GetSystemMetrics(SM_CXDLGFRAME);
      dy += GetSystemMetrics(SM_CYDLGFRAME);
    } else if (dwStyle & WS_BORDER) {
      dx += GetSystemMetrics(SM_CXBORDER);
      dy += GetSystemMetrics(SM_CYBORDER);
    }
    if (dwExStyle & WS_EX_CLIENTEDGE) {
      dx += GetSystemMetrics(SM_CXEDGE);
      dy += GetSystemMetrics(SM_CYEDGE);
    }
    if (dwExStyle & WS_EX_STATICEDGE) {
      dx += GetSystemMetrics(SM_CXBORDER);
      dy += GetSystemMetrics(SM_CYBORDER);
    }
    int top = dy;
    if ((dwStyle & WS_CAPTION) == WS_CAPTION)
      top += GetSystemMetrics((dwExStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    if (bMenu) top += GetSystemMetrics(SM_CYMENU);
    lpRect->left -= dx;
    lpRect->right += dx;
    lpRect->top -= top;
    lpRect->bottom += dy;
    return TRUE;
  });
}

KX2_EXPORT BOOL AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu) {
  return AdjustWindowRectEx(lpRect, dwStyle, bMenu, 0);
}

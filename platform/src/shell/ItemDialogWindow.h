// The item dialog's window: a dialog ("#32770") made through the dialog manager of
// libKx2User32.so, reached by GetProcAddress as the rest of the platform reaches it, on the
// calling thread; a plain popup window of a private class while that manager is absent.
#pragma once

#include <string>

#include "win/types.h"

namespace kx2::shell {

class ItemDialog;

// The window, hidden, owned by owner; closing it (WM_CLOSE, IDCANCEL) cancels the dialog.
// Null when no window can be made.
HWND CreateItemDialogWindow(HWND owner, const std::u16string& title, ItemDialog* dialog);
// Destroys the window and forgets its dialog.
void DestroyItemDialogWindow(HWND hwnd);

}  // namespace kx2::shell

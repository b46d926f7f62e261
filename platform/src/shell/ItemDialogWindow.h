// The item dialog's window: a dialog ("#32770") made through the dialog manager of
// libKx2User32.so, reached by GetProcAddress as the rest of the platform reaches it, on the
// calling thread; a plain popup window of a private class while that manager is absent.
#pragma once

#include <string>

#include "win/types.h"

namespace kx2::shell {

class ItemDialog;

// The texts the window shows.
struct ItemDialogTexts {
  std::u16string title;
  std::u16string nameLabel;  // before the name box
  std::u16string okLabel;    // the default button
};

// The control id of the name box (the system dialog's own).
inline constexpr int kNameBoxId = 0x047C;

// The window, hidden, owned by owner: a dialog with the name box, its label and the two
// buttons (a plain window without controls while the dialog manager is absent). Closing it
// (WM_CLOSE, IDCANCEL) cancels the dialog; the default button (IDOK) confirms, as the
// script's "ok" does. Null when no window can be made.
HWND CreateItemDialogWindow(HWND owner, const ItemDialogTexts& texts, ItemDialog* dialog);
// The window's name box, or null.
HWND NameBoxOf(HWND hwnd);
// Destroys the window and forgets its dialog.
void DestroyItemDialogWindow(HWND hwnd);

}  // namespace kx2::shell

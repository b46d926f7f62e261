// Making a dialog from a template read into a DialogSpec (DialogCreate.cpp), shared by the
// modeless calls and the modal loop (DialogModal.cpp).
#pragma once

#include "DialogTemplate.h"
#include "win/dialog.h"

namespace kx2::user32 {

// The dialog, its controls and WM_INITDIALOG; shown when the template says WS_VISIBLE.
// Null on failure with the last error set.
HWND CreateFromSpec(const DialogSpec& spec, HINSTANCE instance, HWND parent, DLGPROC proc, LPARAM param, bool modal);
// The template of a named RT_DIALOG resource, read within its size; a malformed one gives
// ERROR_INVALID_PARAMETER.
bool ReadResourceTemplate(HINSTANCE instance, LPCWSTR name, DialogSpec* spec);
// A template passed by pointer, trusted as Win32 trusts it.
bool ReadPointerTemplate(LPCDLGTEMPLATEW dialogTemplate, DialogSpec* spec);

}  // namespace kx2::user32

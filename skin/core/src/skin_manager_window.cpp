// The manager's window side: telling windows that the skin changed.
#include "skin_manager_window.h"

#include <win/user.h>

#include "ornatex/core/skin_manager.h"

namespace ornatex {

void StartManagerWindowSide(CKtkSkinManager&) {}
void StopManagerWindowSide(CKtkSkinManager&) {}
CKtkSkinManagerSchema* OwnSchemaOf(CKtkSkinObject*) { return nullptr; }

}  // namespace ornatex

namespace {

BOOL PostSysColorChange(HWND window, LPARAM) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId()) PostMessageW(window, WM_SYSCOLORCHANGE, 0, 0);
  return TRUE;
}

}  // namespace

void CKtkSkinManager::OnSkinChanged(BOOL, BOOL) {
  if (HWND main = AfxGetMainWnd()) SendMessageW(main, WM_SYSCOLORCHANGE, 0, 0);
  EnumWindows(&PostSysColorChange, 0);
}

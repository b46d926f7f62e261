// Windows the skin left while a later subclasser sat above it: the skin window procedure
// stays in that subclasser's chain, so it passes every message to the procedure it had
// saved until the window is destroyed.
#pragma once

#include <win/user.h>

namespace ornatex {

void AddPassThrough(HWND window, WNDPROC previous);
// Takes the window's entry out: true and its saved procedure when it had one.
bool TakePassThrough(HWND window, WNDPROC* previous);
// The saved procedure's answer (the entry goes with WM_NCDESTROY); 0 for a window without
// one.
LRESULT CallPassThrough(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ForgetPassThroughs();

}  // namespace ornatex

// What the system window procedures (libKx2User32.so) need of the window core beyond the
// Win32 calls: the text a window keeps for DefWindowProcW's WM_SETTEXT and WM_GETTEXT.
#pragma once

#include "win/types.h"

// Stores the window's text without sending anything (raises EVENT_OBJECT_NAMECHANGE).
KX2_EXPORT BOOL Kx2WindowKeepText(HWND hWnd, LPCWSTR text);
// The length of the kept text.
KX2_EXPORT int Kx2WindowTextLength(HWND hWnd);

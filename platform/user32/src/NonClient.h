// The frame's mouse and keyboard loops: caption buttons pressed until released, scroll bars
// tracked with auto-repeat, moving and sizing by the caption and borders, and the keys that
// open the window menu.
#pragma once

#include "win/user.h"

namespace kx2::user32 {

LRESULT NonClientButtonDown(HWND hwnd, WPARAM hit, LPARAM screenPoint);
// SC_MOVE and SC_SIZE with the mouse: the window follows it until the button is up.
void MoveOrSize(HWND hwnd, WPARAM command, LPARAM screenPoint);
// SC_CONTEXTHELP: help mode until a click, which sends WM_HELP for the window clicked (Esc
// or a click outside the thread's windows ends it without one).
void ContextHelp(HWND hwnd);
// Alt alone or F10 released, Alt with a character, Alt+Space: WM_SYSCOMMAND SC_KEYMENU.
// Answers whether the key was one of those.
bool MenuKey(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kx2::user32

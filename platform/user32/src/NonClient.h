// The frame's mouse and keyboard loops: caption buttons pressed until released, scroll bars
// tracked with auto-repeat, moving and sizing by the caption and borders, and the keys that
// open the window menu.
#pragma once

#include "win/user.h"

namespace kx2::user32 {

LRESULT NonClientButtonDown(HWND hwnd, WPARAM hit, LPARAM screenPoint);
// SC_MOVE and SC_SIZE with the mouse: the window follows it until the button is up. The
// commands without a hit code in their low bits (the window menu's) go by the keys.
void MoveOrSize(HWND hwnd, WPARAM command, LPARAM screenPoint);
// SC_MOVE or SC_SIZE by the arrow keys: Enter (or a click) keeps the new place, Esc
// restores the old one. Sizing takes its edge from the first arrow, a corner from a
// second one across it.
void MoveOrSizeByKeys(HWND hwnd, bool move);

// Where a window starts a move or size (parent coordinates) and the limits it asks for.
struct SizeMoveStart {
  RECT original{};
  MINMAXINFO limits{};
};
SizeMoveStart BeginSizeMove(HWND hwnd);
// The window's rectangle after the pointer moved by (dx, dy): moved, or the WMSZ_ edge
// (1 left, 2 right, 3 top, 6 bottom, sums for corners) dragged within the limits.
RECT TrackedRect(const RECT& original, bool move, int edge, int dx, int dy, const MINMAXINFO& limits);
// SC_CONTEXTHELP: help mode until a click, which sends WM_HELP for the window clicked (Esc
// or a click outside the thread's windows ends it without one).
void ContextHelp(HWND hwnd);
// Alt alone or F10 released, Alt with a character, Alt+Space: WM_SYSCOMMAND SC_KEYMENU.
// Answers whether the key was one of those.
bool MenuKey(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kx2::user32

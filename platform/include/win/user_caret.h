// The caret: one per thread, owned by a window of that thread. It is a position and a
// size that the window moves as its text changes; it never blinks (a headless system has
// no screen to blink on), so tests read where it is with GetCaretPos.
#pragma once

#include "win/types.h"

// A null bitmap makes a solid caret; (HBITMAP)1 a grey one. Replaces the thread's caret,
// hidden (ShowCaret shows it). A window of another thread: FALSE, ERROR_ACCESS_DENIED.
KX2_EXPORT BOOL CreateCaret(HWND hWnd, HBITMAP hBitmap, int nWidth, int nHeight);
// FALSE with ERROR_ACCESS_DENIED when the thread has no caret.
KX2_EXPORT BOOL DestroyCaret();
// Client coordinates of the owner.
KX2_EXPORT BOOL SetCaretPos(int X, int Y);
KX2_EXPORT BOOL GetCaretPos(LPPOINT lpPoint);
// Hiding counts: a caret hidden twice shows after two ShowCaret calls. hWnd null is the
// owner; another window fails.
KX2_EXPORT BOOL ShowCaret(HWND hWnd);
KX2_EXPORT BOOL HideCaret(HWND hWnd);
KX2_EXPORT UINT GetCaretBlinkTime();
KX2_EXPORT BOOL SetCaretBlinkTime(UINT uMSeconds);
// The port's own: the caret's owner (null without one), its size and whether it shows.
KX2_EXPORT HWND Kx2GetCaretInfo(SIZE* size, BOOL* shown);

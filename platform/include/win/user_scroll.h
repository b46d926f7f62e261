// Scroll bars: a window's own bars in its frame (SB_HORZ, SB_VERT) and scroll bar controls
// (SB_CTL, answered by the control through SBM_ messages).
#pragma once

#include "win/types.h"

#ifndef ERROR_NO_SCROLLBARS
#define ERROR_NO_SCROLLBARS 1447L
#endif
#ifndef ERROR_INVALID_SCROLLBAR_RANGE
#define ERROR_INVALID_SCROLLBAR_RANGE 1448L
#endif

#define SB_HORZ 0
#define SB_VERT 1
#define SB_CTL 2
#define SB_BOTH 3

// WM_HSCROLL / WM_VSCROLL requests (LOWORD(wParam)).
#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8

#define SIF_RANGE 0x0001
#define SIF_PAGE 0x0002
#define SIF_POS 0x0004
#define SIF_DISABLENOSCROLL 0x0008
#define SIF_TRACKPOS 0x0010
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)

#define ESB_ENABLE_BOTH 0x0000
#define ESB_DISABLE_BOTH 0x0003
#define ESB_DISABLE_LEFT 0x0001
#define ESB_DISABLE_RIGHT 0x0002
#define ESB_DISABLE_UP 0x0001
#define ESB_DISABLE_DOWN 0x0002

// Scroll bar control messages.
#define SBM_SETPOS 0x00E0
#define SBM_GETPOS 0x00E1
#define SBM_SETRANGE 0x00E2
#define SBM_SETRANGEREDRAW 0x00E6
#define SBM_GETRANGE 0x00E3
#define SBM_ENABLE_ARROWS 0x00E4
#define SBM_SETSCROLLINFO 0x00E9
#define SBM_GETSCROLLINFO 0x00EA

struct SCROLLINFO {
  UINT cbSize;
  UINT fMask;
  int nMin;
  int nMax;
  UINT nPage;
  int nPos;
  int nTrackPos;
};
typedef SCROLLINFO* LPSCROLLINFO;
typedef const SCROLLINFO* LPCSCROLLINFO;

// The page is kept within the range's size and the position within what the page leaves;
// a window's own bar shows when its range scrolls and hides when it does not (greyed with
// SIF_DISABLENOSCROLL). Answers the position.
KX2_EXPORT int SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO lpsi, BOOL redraw);
KX2_EXPORT BOOL GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO lpsi);
KX2_EXPORT int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw);
KX2_EXPORT int GetScrollPos(HWND hWnd, int nBar);
KX2_EXPORT BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw);
KX2_EXPORT BOOL GetScrollRange(HWND hWnd, int nBar, LPINT lpMinPos, LPINT lpMaxPos);
KX2_EXPORT BOOL ShowScrollBar(HWND hWnd, int wBar, BOOL bShow);
KX2_EXPORT BOOL EnableScrollBar(HWND hWnd, UINT wSBflags, UINT wArrows);
// The position a thumb drag has reached, kept while the frame tracks it (port's own).
KX2_EXPORT BOOL Kx2SetScrollTrackPos(HWND hWnd, int nBar, int nTrackPos);

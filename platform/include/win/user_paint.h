// Painting windows: window DCs, update regions, WM_PAINT, window regions.
#pragma once

#include "win/gdi.h"
#include "win/types.h"
#include "win/user_draw.h"
#include "win/user_monitor.h"

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
typedef PAINTSTRUCT* LPPAINTSTRUCT;

#define RDW_INVALIDATE 0x0001
#define RDW_INTERNALPAINT 0x0002
#define RDW_ERASE 0x0004
#define RDW_VALIDATE 0x0008
#define RDW_NOINTERNALPAINT 0x0010
#define RDW_NOERASE 0x0020
#define RDW_NOCHILDREN 0x0040
#define RDW_ALLCHILDREN 0x0080
#define RDW_UPDATENOW 0x0100
#define RDW_ERASENOW 0x0200
#define RDW_FRAME 0x0400
#define RDW_NOFRAME 0x0800

KX2_EXPORT HDC GetWindowDC(HWND hWnd);
KX2_EXPORT HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
KX2_EXPORT BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
KX2_EXPORT BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
KX2_EXPORT BOOL InvalidateRgn(HWND hWnd, HRGN hRgn, BOOL bErase);
KX2_EXPORT BOOL ValidateRect(HWND hWnd, const RECT* lpRect);
KX2_EXPORT BOOL ValidateRgn(HWND hWnd, HRGN hRgn);
KX2_EXPORT BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase);
KX2_EXPORT int GetUpdateRgn(HWND hWnd, HRGN hRgn, BOOL bErase);
KX2_EXPORT BOOL UpdateWindow(HWND hWnd);
KX2_EXPORT BOOL RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags);
// The window owns the region after a successful call (window coordinates).
KX2_EXPORT int SetWindowRgn(HWND hWnd, HRGN hRgn, BOOL bRedraw);
KX2_EXPORT int GetWindowRgn(HWND hWnd, HRGN hRgn);

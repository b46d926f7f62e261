// Drawing helpers of the window system: 3D edges, focus rectangles, frame controls, state
// images, tabbed and grayed text, icons.
#pragma once

#include "win/types.h"

#define BDR_RAISEDOUTER 0x0001
#define BDR_SUNKENOUTER 0x0002
#define BDR_RAISEDINNER 0x0004
#define BDR_SUNKENINNER 0x0008
#define BDR_OUTER (BDR_RAISEDOUTER | BDR_SUNKENOUTER)
#define BDR_INNER (BDR_RAISEDINNER | BDR_SUNKENINNER)
#define EDGE_RAISED (BDR_RAISEDOUTER | BDR_RAISEDINNER)
#define EDGE_SUNKEN (BDR_SUNKENOUTER | BDR_SUNKENINNER)
#define EDGE_ETCHED (BDR_SUNKENOUTER | BDR_RAISEDINNER)
#define EDGE_BUMP (BDR_RAISEDOUTER | BDR_SUNKENINNER)

#define BF_LEFT 0x0001
#define BF_TOP 0x0002
#define BF_RIGHT 0x0004
#define BF_BOTTOM 0x0008
#define BF_TOPLEFT (BF_TOP | BF_LEFT)
#define BF_BOTTOMRIGHT (BF_BOTTOM | BF_RIGHT)
#define BF_RECT (BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM)
#define BF_MIDDLE 0x0800
#define BF_SOFT 0x1000
#define BF_ADJUST 0x2000
#define BF_FLAT 0x4000
#define BF_MONO 0x8000

KX2_EXPORT BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags);
// Inverts a dotted outline (drawn twice, it goes away).
KX2_EXPORT BOOL DrawFocusRect(HDC hDC, const RECT* lprc);

// ---- Frame controls: caption buttons, menu marks, scroll arrows, buttons -----------------------
#define DFC_CAPTION 1
#define DFC_MENU 2
#define DFC_SCROLL 3
#define DFC_BUTTON 4
#define DFC_POPUPMENU 5

#define DFCS_CAPTIONCLOSE 0x0000
#define DFCS_CAPTIONMIN 0x0001
#define DFCS_CAPTIONMAX 0x0002
#define DFCS_CAPTIONRESTORE 0x0003
#define DFCS_CAPTIONHELP 0x0004

#define DFCS_MENUARROW 0x0000
#define DFCS_MENUCHECK 0x0001
#define DFCS_MENUBULLET 0x0002
#define DFCS_MENUARROWRIGHT 0x0004

#define DFCS_SCROLLUP 0x0000
#define DFCS_SCROLLDOWN 0x0001
#define DFCS_SCROLLLEFT 0x0002
#define DFCS_SCROLLRIGHT 0x0003
#define DFCS_SCROLLCOMBOBOX 0x0005
#define DFCS_SCROLLSIZEGRIP 0x0008
#define DFCS_SCROLLSIZEGRIPRIGHT 0x0010

#define DFCS_BUTTONCHECK 0x0000
#define DFCS_BUTTONRADIOIMAGE 0x0001
#define DFCS_BUTTONRADIOMASK 0x0002
#define DFCS_BUTTONRADIO 0x0004
#define DFCS_BUTTON3STATE 0x0008
#define DFCS_BUTTONPUSH 0x0010

#define DFCS_INACTIVE 0x0100
#define DFCS_PUSHED 0x0200
#define DFCS_CHECKED 0x0400
#define DFCS_TRANSPARENT 0x0800
#define DFCS_HOT 0x1000
#define DFCS_ADJUSTRECT 0x2000
#define DFCS_FLAT 0x4000
#define DFCS_MONO 0x8000

// The classic look of the system's small controls, with the Marlett glyphs the frame uses.
KX2_EXPORT BOOL DrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState);

// ---- DrawStateW -------------------------------------------------------------------------------
typedef BOOL(CALLBACK* DRAWSTATEPROC)(HDC hdc, LPARAM lData, WPARAM wData, int cx, int cy);
#define DST_COMPLEX 0x0000
#define DST_TEXT 0x0001
#define DST_PREFIXTEXT 0x0002
#define DST_ICON 0x0003
#define DST_BITMAP 0x0004
#define DSS_NORMAL 0x0000
#define DSS_UNION 0x0010
#define DSS_DISABLED 0x0020
#define DSS_MONO 0x0080
#define DSS_HIDEPREFIX 0x0200
#define DSS_PREFIXONLY 0x0400
#define DSS_RIGHT 0x8000
// Draws text, a bitmap, an icon or what the callback draws, normally, embossed as
// disabled, dithered as a union or flat in the brush (DSS_MONO).
KX2_EXPORT BOOL DrawStateW(HDC hdc, HBRUSH hbrFore, DRAWSTATEPROC qfnCallBack, LPARAM lData, WPARAM wData, int x, int y,
                           int cx, int cy, UINT uFlags);

// ---- Tabbed and grayed text -----------------------------------------------------------------------
// Tab stops: none given, every 8 average characters; one, every that many pixels; several,
// at those positions (from nTabOrigin). Answers MAKELONG(width, height).
KX2_EXPORT LONG TabbedTextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int chCount, int nTabPositions,
                               const INT* lpnTabStopPositions, int nTabOrigin);
KX2_EXPORT DWORD GetTabbedTextExtentW(HDC hdc, LPCWSTR lpString, int chCount, int nTabPositions,
                                      const INT* lpnTabStopPositions);
typedef BOOL(CALLBACK* GRAYSTRINGPROC)(HDC hdc, LPARAM lpData, int cchData);
// Draws text (or what the callback draws) grayed: its ink painted with the brush, or the
// system's gray text colour when the brush is null.
KX2_EXPORT BOOL GrayStringW(HDC hDC, HBRUSH hBrush, GRAYSTRINGPROC lpOutputFunc, LPARAM lpData, int nCount, int X,
                            int Y, int nWidth, int nHeight);

// ---- Icons that draw -----------------------------------------------------------------------
struct ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;  // 1-bit; twice the height when there is no colour bitmap
  HBITMAP hbmColor;
};
typedef ICONINFO* PICONINFO;
#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003
#define DI_COMPAT 0x0004
#define DI_DEFAULTSIZE 0x0008
#define DI_NOMIRROR 0x0010
// The icon keeps copies of the bitmaps; the caller still owns them.
KX2_EXPORT HICON CreateIconIndirect(PICONINFO piconinfo);
// The caller owns the two bitmaps made (a 32-bit colour bitmap with the icon's alpha in
// its fourth byte, and the 1-bit mask).
KX2_EXPORT BOOL GetIconInfo(HICON hIcon, PICONINFO piconinfo);
KX2_EXPORT HICON CopyIcon(HICON hIcon);
// DI_NORMAL blends the icon by its alpha (or mask); DI_MASK ands the mask (opaque pixels go
// black); DI_IMAGE puts the colour alone. A size of 0 is the icon's own (the system icon
// size with DI_DEFAULTSIZE); a flicker-free brush fills the cell first.
KX2_EXPORT BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT istepIfAniCur,
                           HBRUSH hbrFlickerFreeDraw, UINT diFlags);
KX2_EXPORT BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon);

// The visual-style service (uxtheme). This platform has no visual styles: the service
// answers as a system where they are off, so every caller takes its classic path.
#pragma once

#include "win/types.h"

typedef HANDLE HTHEME;

// Null with E_NOTIMPL as the last error: no theme data for any class.
KX2_EXPORT HTHEME OpenThemeData(HWND hwnd, LPCWSTR pszClassList);
// E_HANDLE: no handle can have been opened.
KX2_EXPORT HRESULT CloseThemeData(HTHEME hTheme);
KX2_EXPORT BOOL IsAppThemed();
KX2_EXPORT BOOL IsThemeActive();
// E_FAIL with the buffers emptied: no theme is in use.
KX2_EXPORT HRESULT GetCurrentThemeName(LPWSTR pszThemeFileName, int cchMaxNameChars, LPWSTR pszColorBuff,
                                       int cchMaxColorChars, LPWSTR pszSizeBuff, int cchMaxSizeChars);
// E_HANDLE: no handle can have been opened.
KX2_EXPORT HRESULT GetThemeColor(HTHEME hTheme, int iPartId, int iStateId, int iPropId, COLORREF* pColor);

// Parts and states of the theme classes, as the callers pass them to a class's drawing and
// property calls. States count from 1 (the normal look); 0 stands for a part's only look.

// "BUTTON"
#define BP_PUSHBUTTON 1
#define BP_RADIOBUTTON 2
#define BP_CHECKBOX 3
#define BP_GROUPBOX 4
// BP_PUSHBUTTON
#define PBS_NORMAL 1
#define PBS_HOT 2
#define PBS_PRESSED 3
#define PBS_DISABLED 4
#define PBS_DEFAULTED 5
// BP_GROUPBOX
#define GBS_NORMAL 1
#define GBS_DISABLED 2

// "COMBOBOX"
#define CP_DROPDOWNBUTTON 1

// "HEADER"
#define HP_HEADERITEM 1
// HP_HEADERITEM
#define HIS_NORMAL 1
#define HIS_HOT 2
#define HIS_PRESSED 3

// "PROGRESS"
#define PP_BAR 1
#define PP_BARVERT 2
#define PP_CHUNK 3
#define PP_CHUNKVERT 4

// "SCROLLBAR"
#define SBP_SIZEBOX 10

// "SPIN"
#define SPNP_UP 1
#define SPNP_DOWN 2
#define SPNP_UPHORZ 3
#define SPNP_DOWNHORZ 4

// "TAB"
#define TABP_TOPTABITEM 5
#define TABP_TOPTABITEMLEFTEDGE 6
#define TABP_TOPTABITEMRIGHTEDGE 7
#define TABP_PANE 9
#define TABP_BODY 10
// TABP_TOPTABITEM and its edges
#define TIS_NORMAL 1
#define TIS_HOT 2
#define TIS_SELECTED 3

// "TOOLBAR"
#define TP_BUTTON 1
#define TP_SPLITBUTTON 3
#define TP_SPLITBUTTONDROPDOWN 4
#define TP_SEPARATOR 5
// TP_BUTTON and the split button's parts
#define TS_NORMAL 1
#define TS_HOT 2
#define TS_PRESSED 3
#define TS_DISABLED 4
#define TS_CHECKED 5

// "TRACKBAR"
#define TKP_TRACK 1
#define TKP_TRACKVERT 2
#define TKP_THUMB 3
#define TKP_THUMBBOTTOM 4
#define TKP_THUMBTOP 5
#define TKP_THUMBVERT 6
#define TKP_THUMBLEFT 7
#define TKP_THUMBRIGHT 8
#define TKP_TICS 9
#define TKP_TICSVERT 10
// The thumb parts
#define TUS_NORMAL 1
#define TUS_HOT 2
#define TUS_PRESSED 3
#define TUS_FOCUSED 4
#define TUS_DISABLED 5

// Properties of a part in a state.
#define TMT_COLOR 204
#define TMT_PROGRESSCHUNKSIZE 2411
#define TMT_PROGRESSSPACESIZE 2412
#define TMT_SIZINGMARGINS 3601
#define TMT_BORDERCOLOR 3801
#define TMT_BGTYPE 4001

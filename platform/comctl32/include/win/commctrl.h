// The common controls library (libKx2ComCtl32.so): its version for now.
#pragma once

#include <cstddef>

#include "win/types.h"
#include "win/gdi.h"
#include "win/user.h"

struct DLLVERSIONINFO {
  DWORD cbSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformID;
};
static_assert(sizeof(DLLVERSIONINFO) == 20, "Win32 layout");
#define DLLVER_PLATFORM_WINDOWS 0x00000001
#define DLLVER_PLATFORM_NT 0x00000002

// 6.10 unless KX2_COMCTL_VERSION names another ("5.82", "6"), read once per process.
// E_INVALIDARG for a null record or a cbSize below 20.
KX2_EXPORT HRESULT DllGetVersion(DLLVERSIONINFO* pdvi);

// ---- Registration ---------------------------------------------------------------------------
struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
typedef INITCOMMONCONTROLSEX* LPINITCOMMONCONTROLSEX;
#define ICC_LISTVIEW_CLASSES 0x00000001
#define ICC_TREEVIEW_CLASSES 0x00000002
#define ICC_BAR_CLASSES 0x00000004
#define ICC_TAB_CLASSES 0x00000008
#define ICC_UPDOWN_CLASS 0x00000010
#define ICC_PROGRESS_CLASS 0x00000020
#define ICC_DATE_CLASSES 0x00000100
#define ICC_WIN95_CLASSES 0x000000FF
#define ICC_STANDARD_CLASSES 0x00004000
// The library registers every class it has when it loads; these only make sure of it.
KX2_EXPORT void InitCommonControls();
KX2_EXPORT BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);

// ---- Colours --------------------------------------------------------------------------------
#define CLR_NONE 0xFFFFFFFFu
#define CLR_DEFAULT 0xFF000000u

// ---- Image lists ----------------------------------------------------------------------------
struct _IMAGELIST;
typedef _IMAGELIST* HIMAGELIST;

#define ILC_MASK 0x00000001
#define ILC_COLOR 0x00000000
#define ILC_COLORDDB 0x000000FE
#define ILC_COLOR4 0x00000004
#define ILC_COLOR8 0x00000008
#define ILC_COLOR16 0x00000010
#define ILC_COLOR24 0x00000018
#define ILC_COLOR32 0x00000020
#define ILC_MIRROR 0x00002000

#define ILD_NORMAL 0x00000000
#define ILD_TRANSPARENT 0x00000001
#define ILD_MASK 0x00000010
#define ILD_IMAGE 0x00000020
#define ILD_ROP 0x00000040
#define ILD_BLEND25 0x00000002
#define ILD_BLEND50 0x00000004
#define ILD_BLEND ILD_BLEND50
#define ILD_SELECTED ILD_BLEND50
#define ILD_FOCUS ILD_BLEND25
#define ILD_OVERLAYMASK 0x00000F00

#define ILS_NORMAL 0x00000000
#define ILS_GLOW 0x00000001
#define ILS_SHADOW 0x00000002
#define ILS_SATURATE 0x00000004
#define ILS_ALPHA 0x00000008

struct IMAGELISTDRAWPARAMS {
  DWORD cbSize;
  HIMAGELIST himl;
  int i;
  HDC hdcDst;
  int x;
  int y;
  int cx;  // 0: the list's image width
  int cy;
  int xBitmap;  // where in the image drawing starts
  int yBitmap;
  COLORREF rgbBk;  // CLR_DEFAULT: the list's background; CLR_NONE: none
  COLORREF rgbFg;  // the blend colour; CLR_DEFAULT: COLOR_HIGHLIGHT
  UINT fStyle;
  DWORD dwRop;  // with ILD_ROP
  DWORD fState;
  DWORD Frame;  // the constant alpha with ILS_ALPHA
  COLORREF crEffect;
};
typedef IMAGELISTDRAWPARAMS* LPIMAGELISTDRAWPARAMS;
// A record ending at dwRop (the older size) is taken too, without states.
#define IMAGELISTDRAWPARAMS_V3_SIZE offsetof(IMAGELISTDRAWPARAMS, fState)

struct IMAGEINFO {
  HBITMAP hbmImage;  // the list's own strip of images (one row); the list owns it
  HBITMAP hbmMask;   // 1-bit, set where transparent; null for a list without a mask
  int Unused1;
  int Unused2;
  RECT rcImage;  // the image's place in the strip
};
typedef IMAGEINFO* LPIMAGEINFO;

// Images are kept with their alpha: a 32-bit list keeps a 32-bit image's alpha channel
// (an image whose alpha is all 0 counts as opaque), other lists keep the mask alone.
KX2_EXPORT HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
KX2_EXPORT BOOL ImageList_Destroy(HIMAGELIST himl);
// The bitmap holds as many images as its width has image widths; answers the first one's
// index, or -1.
KX2_EXPORT int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
// Pixels of the mask colour become transparent.
KX2_EXPORT int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask);
KX2_EXPORT BOOL ImageList_Replace(HIMAGELIST himl, int i, HBITMAP hbmImage, HBITMAP hbmMask);
// i = -1 appends; answers the index used or -1. The icon is fitted to the list's size.
KX2_EXPORT int ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon);
#define ImageList_AddIcon(himl, hicon) ImageList_ReplaceIcon(himl, -1, hicon)
// i = -1 removes every image.
KX2_EXPORT BOOL ImageList_Remove(HIMAGELIST himl, int i);
#define ImageList_RemoveAll(himl) ImageList_Remove(himl, -1)
// A new icon the caller destroys, or null.
KX2_EXPORT HICON ImageList_GetIcon(HIMAGELIST himl, int i, UINT flags);
KX2_EXPORT BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);
KX2_EXPORT BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy, COLORREF rgbBk,
                                 COLORREF rgbFg, UINT fStyle);
KX2_EXPORT BOOL ImageList_DrawIndirect(IMAGELISTDRAWPARAMS* pimldp);
KX2_EXPORT BOOL ImageList_GetImageInfo(HIMAGELIST himl, int i, IMAGEINFO* pImageInfo);
KX2_EXPORT BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
// Changing the size empties the list.
KX2_EXPORT BOOL ImageList_SetIconSize(HIMAGELIST himl, int cx, int cy);
KX2_EXPORT int ImageList_GetImageCount(HIMAGELIST himl);
KX2_EXPORT COLORREF ImageList_GetBkColor(HIMAGELIST himl);
// Answers the previous colour (CLR_NONE for a bad list).
KX2_EXPORT COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);

// ---- Common control messages ----------------------------------------------------------------
#define CCM_FIRST 0x2000
#define CCM_SETBKCOLOR (CCM_FIRST + 1)

// ---- Progress bar ("msctls_progress32") -----------------------------------------------------
#define PROGRESS_CLASSW u"msctls_progress32"
#define PBS_SMOOTH 0x01
#define PBS_VERTICAL 0x04
#define PBS_MARQUEE 0x08
#define PBS_SMOOTHREVERSE 0x10
#define PBM_SETRANGE (WM_USER + 1)    // lParam MAKELPARAM(low, high); answers the old range so
#define PBM_SETPOS (WM_USER + 2)      // answers the old position
#define PBM_DELTAPOS (WM_USER + 3)    // answers the old position
#define PBM_SETSTEP (WM_USER + 4)     // answers the old step
#define PBM_STEPIT (WM_USER + 5)      // past the high end it starts again from the low
#define PBM_SETRANGE32 (WM_USER + 6)  // wParam low, lParam high
#define PBM_GETRANGE (WM_USER + 7)    // wParam TRUE: the low end, else the high; lParam PBRANGE*
#define PBM_GETPOS (WM_USER + 8)
#define PBM_SETBARCOLOR (WM_USER + 9)
#define PBM_SETBKCOLOR CCM_SETBKCOLOR
#define PBM_SETMARQUEE (WM_USER + 10)  // wParam on, lParam the interval in ms (0: 30)
#define PBM_GETSTEP (WM_USER + 13)
#define PBM_GETBKCOLOR (WM_USER + 14)
#define PBM_GETBARCOLOR (WM_USER + 15)
#define PBM_SETSTATE (WM_USER + 16)
#define PBM_GETSTATE (WM_USER + 17)
#define PBST_NORMAL 0x0001
#define PBST_ERROR 0x0002
#define PBST_PAUSED 0x0003
struct PBRANGE {
  int iLow;
  int iHigh;
};
typedef PBRANGE* PPBRANGE;

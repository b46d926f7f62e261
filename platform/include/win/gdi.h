// The drawing side of the platform: device contexts, bitmaps, pens, brushes, regions,
// blits and paths (this header), fonts and text (win/gdi_text.h, included at the end).
//
// Pixels are 32-bit DIB pixels (blue, green, red, a fourth byte). Drawing writes 0 into
// the fourth byte, blits copy it and only AlphaBlend with AC_SRC_ALPHA reads it.
// Every call given a null or stale handle fails with ERROR_INVALID_HANDLE and changes nothing.
#pragma once

#include "win/errors.h"
#include "win/types.h"

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define MAC_CHARSET 77
#define SHIFTJIS_CHARSET 128
#define HANGUL_CHARSET 129
#define JOHAB_CHARSET 130
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define GREEK_CHARSET 161
#define TURKISH_CHARSET 162
#define VIETNAMESE_CHARSET 163
#define HEBREW_CHARSET 177
#define ARABIC_CHARSET 178
#define BALTIC_CHARSET 186
#define RUSSIAN_CHARSET 204
#define THAI_CHARSET 222
#define EASTEUROPE_CHARSET 238
#define OEM_CHARSET 255

#define LF_FACESIZE 32
#define LF_FULLFACESIZE 64
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900

struct LOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};
typedef LOGFONTW* LPLOGFONTW;
static_assert(sizeof(LOGFONTW) == 92, "LOGFONTW layout");

#define BI_RGB 0
#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3

// As it lies in a DIB resource or a .bmp file after the 14-byte file header (40 bytes).
struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "DIB header layout");
typedef BITMAPINFOHEADER* LPBITMAPINFOHEADER;

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
typedef BITMAPINFO* LPBITMAPINFO;

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
};

struct LOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;
  COLORREF lopnColor;
};

struct LOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;
};

struct XFORM {
  FLOAT eM11, eM12, eM21, eM22, eDx, eDy;
};

struct BLENDFUNCTION {
  BYTE BlendOp;
  BYTE BlendFlags;
  BYTE SourceConstantAlpha;
  BYTE AlphaFormat;
};
#define AC_SRC_OVER 0x00
#define AC_SRC_ALPHA 0x01

struct RGNDATAHEADER {
  DWORD dwSize;
  DWORD iType;
  DWORD nCount;
  DWORD nRgnSize;
  RECT rcBound;
};
struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
};
#define RDH_RECTANGLES 1

// Object types (GetObjectType, GetCurrentObject).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_METADC 4
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_METAFILE 9
#define OBJ_MEMDC 10
#define OBJ_EXTPEN 11
#define OBJ_ENHMETADC 12
#define OBJ_ENHMETAFILE 13

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

// Pens.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_USERSTYLE 7
#define PS_ALTERNATE 8
#define PS_STYLE_MASK 0x0000000F
#define PS_ENDCAP_ROUND 0x00000000
#define PS_ENDCAP_SQUARE 0x00000100
#define PS_ENDCAP_FLAT 0x00000200
#define PS_ENDCAP_MASK 0x00000F00
#define PS_JOIN_ROUND 0x00000000
#define PS_JOIN_BEVEL 0x00001000
#define PS_JOIN_MITER 0x00002000
#define PS_JOIN_MASK 0x0000F000
#define PS_COSMETIC 0x00000000
#define PS_GEOMETRIC 0x00010000

// Brushes.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3
#define BS_DIBPATTERN 5
#define BS_DIBPATTERNPT 6
#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

// Background modes, ROP2 codes, fill and stretch modes.
#define TRANSPARENT 1
#define OPAQUE 2
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16
#define ALTERNATE 1
#define WINDING 2
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

// Ternary raster operations (the code's truth table over pattern, source, destination
// is its bits 16..23) and the ones with names.
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define PATPAINT 0x00FB0A09
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062
#define NOMIRRORBITMAP 0x80000000
#define CAPTUREBLT 0x40000000
#define MAKEROP4(fore, back) (static_cast<DWORD>((((back) << 8) & 0xFF000000) | (fore)))

// Map modes.
#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8

// GetDeviceCaps.
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMFONTS 22
#define NUMCOLORS 24
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define VREFRESH 116
#define DESKTOPVERTRES 117
#define DESKTOPHORZRES 118
#define RASTERCAPS 38
#define SHADEBLENDCAPS 120
#define DT_RASDISPLAY 1
#define RC_BITBLT 1
#define RC_BITMAP64 8
#define RC_DI_BITMAP 0x0080
#define RC_DIBTODEV 0x0200
#define RC_STRETCHBLT 0x0800
#define RC_STRETCHDIB 0x2000
#define SB_PIXEL_ALPHA 0x00000002
#define SB_CONST_ALPHA 0x00000001

// Regions.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_ERROR ERROR
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5

#define CLR_INVALID 0xFFFFFFFF
#define GDI_ERROR 0xFFFFFFFFL
#define HGDI_ERROR (reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(-1)))

// ---- Objects ------------------------------------------------------------------------------
// Frees an object. A pen, brush, font or bitmap still selected into a DC is freed once it
// is deselected (or its DC deleted); its handle stops naming it at once. Stock objects
// stay. FALSE (ERROR_INVALID_HANDLE) for anything else.
KX2_EXPORT BOOL DeleteObject(HGDIOBJ ho);
// Bitmap (BITMAP or, for a DIB section, DIBSECTION), pen (LOGPEN), brush (LOGBRUSH), font
// (LOGFONTW) or region/DC (0). With a null buffer returns the size needed.
KX2_EXPORT int GetObjectW(HANDLE h, int c, LPVOID pv);
KX2_EXPORT DWORD GetObjectType(HGDIOBJ h);
KX2_EXPORT HGDIOBJ GetStockObject(int i);
KX2_EXPORT HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
KX2_EXPORT HGDIOBJ GetCurrentObject(HDC hdc, UINT type);

// ---- Device contexts ------------------------------------------------------------------------
KX2_EXPORT HDC CreateCompatibleDC(HDC hdc);
KX2_EXPORT BOOL DeleteDC(HDC hdc);
// GetDC(nullptr): the screen, over the one screen description (kx2/Screen.h).
KX2_EXPORT HDC GetDC(HWND hWnd);
KX2_EXPORT int ReleaseDC(HWND hWnd, HDC hDC);
KX2_EXPORT int SaveDC(HDC hdc);
KX2_EXPORT BOOL RestoreDC(HDC hdc, int nSavedDC);
KX2_EXPORT int GetDeviceCaps(HDC hdc, int index);

KX2_EXPORT int SetMapMode(HDC hdc, int iMode);
KX2_EXPORT int GetMapMode(HDC hdc);
KX2_EXPORT BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
KX2_EXPORT BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppoint);
KX2_EXPORT BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
KX2_EXPORT BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppoint);
KX2_EXPORT BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
KX2_EXPORT BOOL OffsetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
KX2_EXPORT BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* lpsz);
KX2_EXPORT BOOL GetWindowExtEx(HDC hdc, SIZE* lpsize);
KX2_EXPORT BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* lpsz);
KX2_EXPORT BOOL GetViewportExtEx(HDC hdc, SIZE* lpsize);
KX2_EXPORT BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c);
KX2_EXPORT BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c);

KX2_EXPORT COLORREF SetTextColor(HDC hdc, COLORREF color);
KX2_EXPORT COLORREF GetTextColor(HDC hdc);
KX2_EXPORT COLORREF SetBkColor(HDC hdc, COLORREF color);
KX2_EXPORT COLORREF GetBkColor(HDC hdc);
KX2_EXPORT int SetBkMode(HDC hdc, int mode);
KX2_EXPORT int GetBkMode(HDC hdc);
KX2_EXPORT int SetROP2(HDC hdc, int rop2);
KX2_EXPORT int GetROP2(HDC hdc);
KX2_EXPORT int SetPolyFillMode(HDC hdc, int mode);
KX2_EXPORT int GetPolyFillMode(HDC hdc);
KX2_EXPORT int SetStretchBltMode(HDC hdc, int mode);
KX2_EXPORT int GetStretchBltMode(HDC hdc);
KX2_EXPORT BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
KX2_EXPORT COLORREF SetDCBrushColor(HDC hdc, COLORREF color);
KX2_EXPORT COLORREF SetDCPenColor(HDC hdc, COLORREF color);

// ---- Bitmaps --------------------------------------------------------------------------------
// At most 32,767 pixels a side; 1 or 32 bits per pixel (others are kept as 32).
KX2_EXPORT HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits);
KX2_EXPORT HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);
// The bits stay in the caller's format (1 to 32 bpp, BI_RGB or BI_BITFIELDS, bottom-up or
// top-down); drawing into the section writes them before the drawing call returns.
KX2_EXPORT HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                                    DWORD offset);
KX2_EXPORT HBITMAP CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                                  const BITMAPINFO* pbmi, UINT iUsage);
#define CBM_INIT 0x04
KX2_EXPORT int GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, LPBITMAPINFO lpbmi, UINT usage);
KX2_EXPORT int SetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, const void* lpBits, const BITMAPINFO* lpbmi,
                         UINT ColorUse);
KX2_EXPORT int StretchDIBits(HDC hdc, int xDest, int yDest, int DestWidth, int DestHeight, int xSrc, int ySrc,
                             int SrcWidth, int SrcHeight, const void* lpBits, const BITMAPINFO* lpbmi, UINT iUsage,
                             DWORD rop);
KX2_EXPORT int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT StartScan,
                                 UINT cLines, const void* lpvBits, const BITMAPINFO* lpbmi, UINT ColorUse);
KX2_EXPORT LONG GetBitmapBits(HBITMAP hbit, LONG cb, LPVOID lpvBits);
KX2_EXPORT COLORREF GetPixel(HDC hdc, int x, int y);
KX2_EXPORT COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
KX2_EXPORT BOOL GetBitmapDimensionEx(HBITMAP hbit, SIZE* lpsize);

// ---- Blits (our own raster code) ------------------------------------------------------------
KX2_EXPORT BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
KX2_EXPORT BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                           int wSrc, int hSrc, DWORD rop);
KX2_EXPORT BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
KX2_EXPORT BOOL MaskBlt(HDC hdcDest, int xDest, int yDest, int width, int height, HDC hdcSrc, int xSrc, int ySrc,
                        HBITMAP hbmMask, int xMask, int yMask, DWORD rop);
KX2_EXPORT BOOL AlphaBlend(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                           int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, BLENDFUNCTION ftn);
KX2_EXPORT BOOL TransparentBlt(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                               int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, UINT crTransparent);

// ---- Gradients --------------------------------------------------------------------------------
typedef USHORT COLOR16;
struct TRIVERTEX {
  LONG x;
  LONG y;
  COLOR16 Red;
  COLOR16 Green;
  COLOR16 Blue;
  COLOR16 Alpha;
};
typedef TRIVERTEX* PTRIVERTEX;
struct GRADIENT_RECT {
  ULONG UpperLeft;
  ULONG LowerRight;
};
struct GRADIENT_TRIANGLE {
  ULONG Vertex1;
  ULONG Vertex2;
  ULONG Vertex3;
};
#define GRADIENT_FILL_RECT_H 0x00000000
#define GRADIENT_FILL_RECT_V 0x00000001
#define GRADIENT_FILL_TRIANGLE 0x00000002
// Colours are 16-bit per channel (the high byte counts); on a 32-bit surface the alpha is
// written into the fourth byte as well.
KX2_EXPORT BOOL GradientFill(HDC hdc, PTRIVERTEX pVertex, ULONG nVertex, PVOID pMesh, ULONG nMesh, ULONG ulMode);

// ---- Right-to-left layout -----------------------------------------------------------------------
#define LAYOUT_RTL 0x00000001
#define LAYOUT_BTT 0x00000002
#define LAYOUT_VBH 0x00000004
#define LAYOUT_BITMAPORIENTATIONPRESERVED 0x00000008
// A mirrored DC puts logical x 0 at its right edge; text still reads left to right and its
// left alignment becomes right. Blits mirror the image unless the layout or the raster code
// asks to keep its orientation.
KX2_EXPORT DWORD SetLayout(HDC hdc, DWORD l);
KX2_EXPORT DWORD GetLayout(HDC hdc);

// ---- Pens, brushes and shapes ---------------------------------------------------------------
KX2_EXPORT HPEN CreatePen(int iStyle, int cWidth, COLORREF color);
KX2_EXPORT HPEN CreatePenIndirect(const LOGPEN* plpen);
KX2_EXPORT HPEN ExtCreatePen(DWORD iPenStyle, DWORD cWidth, const LOGBRUSH* plbrush, DWORD cStyle, const DWORD* pstyle);
KX2_EXPORT HBRUSH CreateSolidBrush(COLORREF color);
KX2_EXPORT HBRUSH CreateHatchBrush(int iHatch, COLORREF color);
KX2_EXPORT HBRUSH CreatePatternBrush(HBITMAP hbm);
KX2_EXPORT HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush);
KX2_EXPORT HBRUSH CreateDIBPatternBrushPt(const void* lpPackedDIB, UINT iUsage);

KX2_EXPORT int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
KX2_EXPORT int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
KX2_EXPORT BOOL InvertRect(HDC hDC, const RECT* lprc);
KX2_EXPORT BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
KX2_EXPORT BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
KX2_EXPORT BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);
KX2_EXPORT BOOL Polygon(HDC hdc, const POINT* apt, int cpt);
KX2_EXPORT BOOL PolyPolygon(HDC hdc, const POINT* apt, const INT* asz, int csz);
KX2_EXPORT BOOL Polyline(HDC hdc, const POINT* apt, int cpt);
KX2_EXPORT BOOL PolyBezier(HDC hdc, const POINT* apt, DWORD cpt);
KX2_EXPORT BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
KX2_EXPORT BOOL LineTo(HDC hdc, int x, int y);
KX2_EXPORT BOOL GetCurrentPositionEx(HDC hdc, LPPOINT lppt);

// ---- Paths ----------------------------------------------------------------------------------
KX2_EXPORT BOOL BeginPath(HDC hdc);
KX2_EXPORT BOOL EndPath(HDC hdc);
KX2_EXPORT BOOL AbortPath(HDC hdc);
KX2_EXPORT BOOL CloseFigure(HDC hdc);
KX2_EXPORT BOOL StrokePath(HDC hdc);
KX2_EXPORT BOOL FillPath(HDC hdc);
KX2_EXPORT BOOL StrokeAndFillPath(HDC hdc);
KX2_EXPORT BOOL FlattenPath(HDC hdc);
KX2_EXPORT BOOL SelectClipPath(HDC hdc, int mode);
KX2_EXPORT HRGN PathToRegion(HDC hdc);

// ---- Regions (GDI's banded rectangles) --------------------------------------------------------
KX2_EXPORT HRGN CreateRectRgn(int x1, int y1, int x2, int y2);
KX2_EXPORT HRGN CreateRectRgnIndirect(const RECT* lprect);
KX2_EXPORT HRGN CreateRoundRectRgn(int x1, int y1, int x2, int y2, int w, int h);
KX2_EXPORT HRGN CreateEllipticRgn(int x1, int y1, int x2, int y2);
KX2_EXPORT HRGN CreatePolygonRgn(const POINT* pptl, int cPoint, int iMode);
KX2_EXPORT int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode);
KX2_EXPORT BOOL SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom);
KX2_EXPORT int OffsetRgn(HRGN hrgn, int x, int y);
KX2_EXPORT BOOL PtInRegion(HRGN hrgn, int x, int y);
KX2_EXPORT BOOL RectInRegion(HRGN hrgn, const RECT* lprect);
KX2_EXPORT BOOL EqualRgn(HRGN hrgn1, HRGN hrgn2);
KX2_EXPORT int GetRgnBox(HRGN hrgn, LPRECT lprc);
KX2_EXPORT DWORD GetRegionData(HRGN hrgn, DWORD nCount, RGNDATA* lpRgnData);
KX2_EXPORT int SelectClipRgn(HDC hdc, HRGN hrgn);
KX2_EXPORT int ExtSelectClipRgn(HDC hdc, HRGN hrgn, int mode);
KX2_EXPORT int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
KX2_EXPORT int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
KX2_EXPORT int OffsetClipRgn(HDC hdc, int x, int y);
KX2_EXPORT int GetClipBox(HDC hdc, LPRECT lprect);
KX2_EXPORT int GetClipRgn(HDC hdc, HRGN hrgn);
KX2_EXPORT BOOL FillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr);
KX2_EXPORT BOOL FrameRgn(HDC hdc, HRGN hrgn, HBRUSH hbr, int w, int h);
KX2_EXPORT BOOL PaintRgn(HDC hdc, HRGN hrgn);
KX2_EXPORT BOOL InvertRgn(HDC hdc, HRGN hrgn);
KX2_EXPORT BOOL RectVisible(HDC hdc, const RECT* lprect);
KX2_EXPORT BOOL PtVisible(HDC hdc, int x, int y);

// Windows metafiles (the 16-bit GDI recording format). No drawing call records one here,
// so there is never a metafile handle to copy: CopyMetaFileW fails with
// ERROR_INVALID_HANDLE for every handle, as it does on Windows for a handle that names no
// metafile.
typedef HANDLE HMETAFILE;
KX2_EXPORT HMETAFILE CopyMetaFileW(HMETAFILE hmfSrc, LPCWSTR pszFile);

KX2_EXPORT BOOL GdiFlush();

#include "win/gdi_text.h"

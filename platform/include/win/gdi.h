// The drawing side of the platform, as far as it has been needed so far: bitmap objects
// (made from DIB resources by LoadBitmapW, win/userres.h) and the font description
// record. A bitmap keeps its DIB header and pixel bits as they were given.
#pragma once

#include "win/errors.h"
#include "win/types.h"

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define SHIFTJIS_CHARSET 128
#define HANGUL_CHARSET 129
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define GREEK_CHARSET 161
#define TURKISH_CHARSET 162
#define HEBREW_CHARSET 177
#define ARABIC_CHARSET 178
#define BALTIC_CHARSET 186
#define RUSSIAN_CHARSET 204
#define THAI_CHARSET 222
#define EASTEUROPE_CHARSET 238

#define LF_FACESIZE 32
#define FW_NORMAL 400

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

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

// Frees a bitmap; FALSE (ERROR_INVALID_HANDLE) for anything else.
KX2_EXPORT BOOL DeleteObject(HGDIOBJ ho);
// For a bitmap: fills a BITMAP record (bmBits null, as for a device-dependent bitmap)
// and returns its size; with a null buffer returns the size needed. 0 otherwise.
KX2_EXPORT int GetObjectW(HANDLE h, int c, LPVOID pv);

// Windows metafiles (the 16-bit GDI recording format). No drawing call records one here,
// so there is never a metafile handle to copy: CopyMetaFileW fails with
// ERROR_INVALID_HANDLE for every handle, as it does on Windows for a handle that names no
// metafile.
typedef HANDLE HMETAFILE;
KX2_EXPORT HMETAFILE CopyMetaFileW(HMETAFILE hmfSrc, LPCWSTR pszFile);

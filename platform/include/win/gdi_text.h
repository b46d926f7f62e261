// Fonts and text of the drawing side (included by win/gdi.h). Fonts come from fontconfig
// and FreeType; every sfnt face is TrueType. Family names are at most 31 units.
#pragma once

#include "win/types.h"

#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04
#define TMPF_DEVICE 0x08

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};
typedef TEXTMETRICW* LPTEXTMETRICW;

struct NEWTEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
  DWORD ntmFlags;
  UINT ntmSizeEM;
  UINT ntmCellHeight;
  UINT ntmAvgWidth;
};
#define NTM_REGULAR 0x00000040
#define NTM_BOLD 0x00000020
#define NTM_ITALIC 0x00000001
#define NTM_PS_OPENTYPE 0x00020000
#define NTM_TT_OPENTYPE 0x00040000

struct FONTSIGNATURE {
  DWORD fsUsb[4];
  DWORD fsCsb[2];
};

struct NEWTEXTMETRICEXW {
  NEWTEXTMETRICW ntmTm;
  FONTSIGNATURE ntmFontSig;
};

struct ENUMLOGFONTEXW {
  LOGFONTW elfLogFont;
  WCHAR elfFullName[LF_FULLFACESIZE];
  WCHAR elfStyle[LF_FACESIZE];
  WCHAR elfScript[LF_FACESIZE];
};

#define RASTER_FONTTYPE 0x0001
#define DEVICE_FONTTYPE 0x0002
#define TRUETYPE_FONTTYPE 0x0004

typedef int(CALLBACK* FONTENUMPROCW)(const LOGFONTW* lpelfe, const TEXTMETRICW* lpntme, DWORD FontType, LPARAM lParam);

struct PANOSE {
  BYTE bFamilyType, bSerifStyle, bWeight, bProportion, bContrast, bStrokeVariation, bArmStyle, bLetterform, bMidline,
      bXHeight;
};

// Strings follow the record; the four name fields are byte offsets from its start.
struct OUTLINETEXTMETRICW {
  UINT otmSize;
  TEXTMETRICW otmTextMetrics;
  BYTE otmFiller;
  PANOSE otmPanoseNumber;
  UINT otmfsSelection;
  UINT otmfsType;
  int otmsCharSlopeRise;
  int otmsCharSlopeRun;
  int otmItalicAngle;
  UINT otmEMSquare;
  int otmAscent;
  int otmDescent;
  UINT otmLineGap;
  UINT otmsCapEmHeight;
  UINT otmsXHeight;
  RECT otmrcFontBox;
  int otmMacAscent;
  int otmMacDescent;
  UINT otmMacLineGap;
  UINT otmusMinimumPPEM;
  POINT otmptSubscriptSize;
  POINT otmptSubscriptOffset;
  POINT otmptSuperscriptSize;
  POINT otmptSuperscriptOffset;
  UINT otmsStrikeoutSize;
  int otmsStrikeoutPosition;
  int otmsUnderscoreSize;
  int otmsUnderscorePosition;
  LPSTR otmpFamilyName;
  LPSTR otmpFaceName;
  LPSTR otmpStyleName;
  LPSTR otmpFullName;
};
typedef OUTLINETEXTMETRICW* LPOUTLINETEXTMETRICW;

struct KERNINGPAIR {
  WORD wFirst;
  WORD wSecond;
  int iKernAmount;
};
typedef KERNINGPAIR* LPKERNINGPAIR;

struct ABC {
  int abcA;
  UINT abcB;
  int abcC;
};

#define GCP_DBCS 0x0001
#define GCP_REORDER 0x0002
#define GCP_USEKERNING 0x0008
#define GCP_GLYPHSHAPE 0x0010
#define GCP_LIGATE 0x0020
#define GCP_DIACRITIC 0x0100
#define FLI_GLYPHS 0x00040000
#define FLI_MASK 0x0000103B

#define GDI_ERROR_DWORD 0xFFFFFFFFu

// Text alignment.
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define TA_RTLREADING 256
#define TA_MASK (TA_BASELINE + TA_CENTER + TA_UPDATECP + TA_RTLREADING)

#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
#define ETO_GLYPH_INDEX 0x0010
#define ETO_RTLREADING 0x0080
#define ETO_IGNORELANGUAGE 0x1000
#define ETO_PDY 0x2000

#define FR_PRIVATE 0x10
#define FR_NOT_ENUM 0x20

// DrawTextW.
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_TABSTOP 0x00000080
#define DT_NOCLIP 0x00000100
#define DT_EXTERNALLEADING 0x00000200
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_INTERNAL 0x00001000
#define DT_EDITCONTROL 0x00002000
#define DT_PATH_ELLIPSIS 0x00004000
#define DT_END_ELLIPSIS 0x00008000
#define DT_MODIFYSTRING 0x00010000
#define DT_RTLREADING 0x00020000
#define DT_WORD_ELLIPSIS 0x00040000
#define DT_NOFULLWIDTHCHARBREAK 0x00080000
#define DT_HIDEPREFIX 0x00100000
#define DT_PREFIXONLY 0x00200000

KX2_EXPORT HFONT CreateFontIndirectW(const LOGFONTW* lplf);
KX2_EXPORT HFONT CreateFontW(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                             DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision,
                             DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily, LPCWSTR pszFaceName);
// One callback per family and character set (lfCharSet DEFAULT_CHARSET: every set;
// lfFaceName empty: every family). The TEXTMETRICW is a NEWTEXTMETRICEXW, the LOGFONTW an
// ENUMLOGFONTEXW. Returns the last callback's answer.
KX2_EXPORT int EnumFontFamiliesExW(HDC hdc, LPLOGFONTW lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam, DWORD dwFlags);
KX2_EXPORT int GetTextFaceW(HDC hdc, int c, LPWSTR lpName);
KX2_EXPORT BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm);
KX2_EXPORT UINT GetOutlineTextMetricsW(HDC hdc, UINT cjCopy, LPOUTLINETEXTMETRICW potm);
KX2_EXPORT BOOL GetCharWidthW(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer);
KX2_EXPORT BOOL GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, LPINT lpBuffer);
KX2_EXPORT BOOL GetCharABCWidthsW(HDC hdc, UINT wFirst, UINT wLast, ABC* lpABC);
KX2_EXPORT DWORD GetKerningPairsW(HDC hdc, DWORD nPairs, LPKERNINGPAIR lpKernPair);
KX2_EXPORT DWORD GetFontLanguageInfo(HDC hdc);
// The bytes of the font file's table `dwTable` (its tag, first character in the low byte),
// or the whole file for table 0. GDI_ERROR when there is no such table.
KX2_EXPORT DWORD GetFontData(HDC hdc, DWORD dwTable, DWORD dwOffset, PVOID pvBuffer, DWORD cjBuffer);
#define GGI_MARK_NONEXISTING_GLYPHS 0x0001
KX2_EXPORT DWORD GetGlyphIndicesW(HDC hdc, LPCWSTR lpstr, int c, LPWORD pgi, DWORD fl);
KX2_EXPORT BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                            const INT* lpDx);
KX2_EXPORT BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c);
KX2_EXPORT UINT SetTextAlign(HDC hdc, UINT align);
KX2_EXPORT UINT GetTextAlign(HDC hdc);
KX2_EXPORT int SetTextCharacterExtra(HDC hdc, int extra);
KX2_EXPORT BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, SIZE* psizl);
KX2_EXPORT BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR lpszString, int cchString, int nMaxExtent, LPINT lpnFit,
                                      LPINT lpnDx, SIZE* lpSize);
KX2_EXPORT int DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format);
// DrawTextW with margins and a tab length (in average characters); uiLengthDrawn gets the
// number of characters handled. With DT_MODIFYSTRING and an ellipsis flag, a single line
// that had to be cut is written back as drawn (its "&" marks taken out, the ellipsis
// added): the buffer needs room for four more units than the text, as on Win32.
// DT_RTLREADING draws each line as a right-to-left paragraph; lines holding right-to-left
// characters are drawn in their bidirectional order either way.
struct DRAWTEXTPARAMS {
  UINT cbSize;
  int iTabLength;
  int iLeftMargin;
  int iRightMargin;
  UINT uiLengthDrawn;
};
typedef DRAWTEXTPARAMS* LPDRAWTEXTPARAMS;
KX2_EXPORT int DrawTextExW(HDC hdc, LPWSTR lpchText, int cchText, LPRECT lprc, UINT format, LPDRAWTEXTPARAMS lpdtp);

// Device escapes: a screen or memory DC supports none but QUERYESCSUPPORT, which answers
// whether an escape is supported. 0 for an escape not supported.
#define QUERYESCSUPPORT 8
KX2_EXPORT int Escape(HDC hdc, int iEscape, int cjIn, LPCSTR pvIn, LPVOID pvOut);

// Fonts from a file (FR_PRIVATE: this process only) or from memory; the memory form's
// handle removes them again.
KX2_EXPORT int AddFontResourceExW(LPCWSTR name, DWORD fl, PVOID res);
KX2_EXPORT BOOL RemoveFontResourceExW(LPCWSTR name, DWORD fl, PVOID pdv);
KX2_EXPORT HANDLE AddFontMemResourceEx(PVOID pFileView, DWORD cjSize, PVOID pvResrved, DWORD* pNumFonts);
KX2_EXPORT BOOL RemoveFontMemResourceEx(HANDLE h);

// The process-wide draw helpers: the optional blending entries of "msimg32.dll", bound at
// run time, and the small static helpers every painter shares (DC layout, mnemonic
// stripping, window text without subclasses, plain window classes, triangles).
#pragma once

#include <string>

#include <win/afx.h>
#include <win/gdi.h>
#include <win/user.h>

#include "ornatex/export.h"

// GradientFill's vertex and mesh arrays are passed through untouched.
typedef BOOL (*KtkGradientFillProc)(HDC, void*, ULONG, void*, ULONG, ULONG);
typedef BOOL (*KtkAlphaBlendProc)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
typedef BOOL (*KtkTransparentBltProc)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

// The layout flag that keeps bitmaps unmirrored on a right-to-left DC.
#define KTK_LAYOUT_RTL 0x00000001
#define KTK_LAYOUT_BITMAPORIENTATIONPRESERVED 0x00000008

class ORNATEX_API CKtkDrawHelpers {
 public:
  // Loads "msimg32.dll" from the system folder and looks its three entries up; each stays
  // null when the library or the entry is missing, and callers fall back to plain GDI.
  CKtkDrawHelpers();
  CKtkDrawHelpers(const CKtkDrawHelpers&) = delete;
  CKtkDrawHelpers& operator=(const CKtkDrawHelpers&) = delete;

  HMODULE m_hMsimg32 = nullptr;  // never freed
  KtkGradientFillProc m_pfnGradientFill = nullptr;
  KtkAlphaBlendProc m_pfnAlphaBlend = nullptr;
  KtkTransparentBltProc m_pfnTransparentBlt = nullptr;

  // 1 when the DC is given and its layout (GDI32's "GetLayout", looked up once per
  // process) is not 0; 0 otherwise, also when "GetLayout" is missing.
  static BOOL IsDCMirrored(CDC* dc);
  // GDI32's "SetLayout" on the DC; nothing when the DC or the entry is missing.
  static void SetDCLayout(CDC* dc, DWORD layout);
  // Deletes each '&' scanning left to right; the character moving into its place is not
  // examined, so "&&" leaves "&".
  static void RemoveAmpersands(std::u16string& text);
  // The window's text straight from DefWindowProcW: no subclass sees the request.
  static void GetWindowTextDirect(HWND window, std::u16string& text);
  // A screen point in the window's frame coordinates: y from the window's top, x from its
  // left, or from its right on a right-to-left window (WS_EX_LAYOUTRTL).
  static void ScreenToFramePoint(HWND window, POINT& point);
  // A class whose procedure is DefWindowProcW with the arrow cursor (AfxRegisterClass);
  // a null instance is the module's own.
  static BOOL RegisterPlainWindowClass(HINSTANCE instance, LPCWSTR className, UINT style, HICON icon,
                                       HBRUSH background);
  // The filled triangle of three points in one colour (pen and brush).
  static void FillTriangle(CDC* dc, const POINT points[3], COLORREF color);
};

// The single instance, made on first use and destroyed when the library stops.
ORNATEX_API CKtkDrawHelpers& KtkDrawHelpers();

// A window's screen rectangle or client rectangle; all zero when the handle is not a
// window or the object is null.
ORNATEX_API RECT KtkGetWindowRect(HWND window);
ORNATEX_API RECT KtkGetWindowRect(const CWnd* window);
ORNATEX_API RECT KtkGetClientRect(HWND window);
ORNATEX_API RECT KtkGetClientRect(const CWnd* window);

// A to Z fold to a to z, nothing else; the difference of the first pair of folded units
// that differ, else 0. The byte form stops at the first string's end; the wide form after
// n units, at a zero, or at a difference.
ORNATEX_API int CompareNoCaseA(const char* a, const char* b);
ORNATEX_API int CompareNoCaseW(const char16_t* a, const char16_t* b, size_t n);

// The visual-style service of a system where visual styles are off.
#include "win/errors.h"
#include "win/kernel.h"
#include "win/uxtheme.h"

KX2_EXPORT HTHEME OpenThemeData(HWND, LPCWSTR) {
  SetLastError(static_cast<DWORD>(E_NOTIMPL));
  return nullptr;
}

KX2_EXPORT HRESULT CloseThemeData(HTHEME) { return E_HANDLE; }

KX2_EXPORT BOOL IsAppThemed() { return FALSE; }

KX2_EXPORT BOOL IsThemeActive() { return FALSE; }

KX2_EXPORT HRESULT GetCurrentThemeName(LPWSTR pszThemeFileName, int cchMaxNameChars, LPWSTR pszColorBuff,
                                       int cchMaxColorChars, LPWSTR pszSizeBuff, int cchMaxSizeChars) {
  if (pszThemeFileName && cchMaxNameChars > 0) pszThemeFileName[0] = 0;
  if (pszColorBuff && cchMaxColorChars > 0) pszColorBuff[0] = 0;
  if (pszSizeBuff && cchMaxSizeChars > 0) pszSizeBuff[0] = 0;
  return E_FAIL;
}

KX2_EXPORT HRESULT GetThemeColor(HTHEME, int, int, int, COLORREF*) { return E_HANDLE; }

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

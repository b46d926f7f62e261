// The system's visual-style service (uxtheme), reached without linking it: the library is
// loaded at run time and each function is looked up by name on first use, so the
// framework runs where there are no visual styles.
#pragma once

#include <win/types.h>
#include <win/uxtheme.h>

#include "ornatex/export.h"

class ORNATEX_API CKtkWinThemeWrapper {
 public:
  // Table 0 is one process-wide function table, any other value the second. Wrappers of
  // the second table check, before they open, that uxtheme is still the library the table
  // was filled from, and start over when it is not.
  explicit CKtkWinThemeWrapper(int table = 0);
  virtual ~CKtkWinThemeWrapper();
  CKtkWinThemeWrapper(const CKtkWinThemeWrapper&) = delete;
  CKtkWinThemeWrapper& operator=(const CKtkWinThemeWrapper&) = delete;

  // Closes any open handle, then opens and keeps the new one (0 when missing).
  HTHEME OpenThemeData(HWND window, LPCWSTR classList);
  void CloseThemeData();
  // 0 without an open handle.
  BOOL IsAppThemed();
  BOOL IsThemeActive();
  // E_FAIL when the function is missing.
  HRESULT GetCurrentThemeName(LPWSTR fileName, int fileNameSize, LPWSTR colorName, int colorNameSize, LPWSTR sizeName,
                              int sizeNameSize);
  HRESULT GetThemeColor(int part, int state, int property, COLORREF* color);

  HTHEME m_hTheme = nullptr;
  int m_table;

  // The uxtheme handle a table was filled from (null before its first use), and how
  // many function addresses it holds: for tests of the table check.
  static HMODULE TableModule(int table);
  static int CachedFunctions(int table);
};

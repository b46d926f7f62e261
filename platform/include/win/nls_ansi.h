// The 8-bit form of the locale query: the W form's text in the ANSI code page.
#pragma once

#include "win/nls.h"

// As GetLocaleInfoW; the sizes count bytes.
KX2_EXPORT int GetLocaleInfoA(LCID Locale, DWORD LCType, LPSTR lpLCData, int cchData);

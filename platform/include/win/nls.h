// Code pages, locales, date and time formats, string comparison and case (the National
// Language Support part of Win32), MulDiv, and the lstr* and Char* string helpers.
//
// Code pages go through ICU. The system ANSI code page is 1252 unless the environment
// variable KX2_ACP names another; CP_ACP (0) and CP_THREAD_ACP mean it, CP_OEMCP the OEM
// code page that goes with it (437 with 1252). The user's locale is KX2_LCID (a number,
// decimal or 0x-hex) when set, else the one LANG/LC_ALL name, else 0x0409 (English,
// United States).
#pragma once

#include "win/kernel.h"
#include "win/types.h"

// ---- Code pages ----------------------------------------------------------------------
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_MACCP 2
#define CP_THREAD_ACP 3
#define CP_SYMBOL 42
#define CP_UTF7 65000
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_COMPOSITE 0x00000002
#define MB_USEGLYPHCHARS 0x00000004
#define MB_ERR_INVALID_CHARS 0x00000008

#define WC_COMPOSITECHECK 0x00000200
#define WC_DISCARDNS 0x00000010
#define WC_SEPCHARS 0x00000020
#define WC_DEFAULTCHAR 0x00000040
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_NO_BEST_FIT_CHARS 0x00000400

#define MAX_LEADBYTES 12
#define MAX_DEFAULTCHAR 2
struct CPINFO {
  UINT MaxCharSize;
  BYTE DefaultChar[MAX_DEFAULTCHAR];
  BYTE LeadByte[MAX_LEADBYTES];
};
typedef CPINFO* LPCPINFO;

// Lengths are in bytes (multi-byte side) and UTF-16 units; -1 means "up to and including
// the terminator", whose unit or byte is then counted in the result. A destination size
// of 0 asks for the size needed. Too small a destination fails with
// ERROR_INSUFFICIENT_BUFFER; invalid input with MB_ERR_INVALID_CHARS or
// WC_ERR_INVALID_CHARS fails with ERROR_NO_UNICODE_TRANSLATION, and otherwise becomes
// U+FFFD (to UTF-16) or the default character (from UTF-16; '?' unless given).
// The flags MB_PRECOMPOSED and MB_COMPOSITE are accepted for every code page, and for
// CP_UTF8 a default character and used-default flag are ignored (the flag reads FALSE)
// rather than refused, so that callers which always pass them still convert.
KX2_EXPORT int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                   LPWSTR lpWideCharStr, int cchWideChar);
KX2_EXPORT int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                   LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                   LPBOOL lpUsedDefaultChar);
KX2_EXPORT UINT GetACP();
KX2_EXPORT UINT GetOEMCP();
KX2_EXPORT BOOL IsValidCodePage(UINT CodePage);
KX2_EXPORT BOOL GetCPInfo(UINT CodePage, LPCPINFO lpCPInfo);
KX2_EXPORT BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);
KX2_EXPORT BOOL IsDBCSLeadByte(BYTE TestChar);

// ---- Locales -------------------------------------------------------------------------
#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define SUBLANG_ENGLISH_US 0x01
#define SORT_DEFAULT 0x0
#define LOCALE_NEUTRAL 0x0000
#define LOCALE_INVARIANT 0x007F
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LANG_USER_DEFAULT 0x0400
#define LANG_SYSTEM_DEFAULT 0x0800

#define LOCALE_NOUSEROVERRIDE 0x80000000
#define LOCALE_USE_CP_ACP 0x40000000
#define LOCALE_RETURN_NUMBER 0x20000000

#define LOCALE_ILANGUAGE 0x00000001
#define LOCALE_SLANGUAGE 0x00000002
#define LOCALE_SENGLANGUAGE 0x00001001
#define LOCALE_SENGLISHLANGUAGENAME 0x00001001
#define LOCALE_SABBREVLANGNAME 0x00000003
#define LOCALE_SNATIVELANGNAME 0x00000004
#define LOCALE_ICOUNTRY 0x00000005
#define LOCALE_SCOUNTRY 0x00000006
#define LOCALE_SENGCOUNTRY 0x00001002
#define LOCALE_SENGLISHCOUNTRYNAME 0x00001002
#define LOCALE_SABBREVCTRYNAME 0x00000007
#define LOCALE_SNATIVECTRYNAME 0x00000008
#define LOCALE_IDEFAULTLANGUAGE 0x00000009
#define LOCALE_IDEFAULTCOUNTRY 0x0000000A
#define LOCALE_IDEFAULTCODEPAGE 0x0000000B
#define LOCALE_IDEFAULTANSICODEPAGE 0x00001004
#define LOCALE_IDEFAULTMACCODEPAGE 0x00001011
#define LOCALE_SLIST 0x0000000C
#define LOCALE_IMEASURE 0x0000000D
#define LOCALE_SDECIMAL 0x0000000E
#define LOCALE_STHOUSAND 0x0000000F
#define LOCALE_SGROUPING 0x00000010
#define LOCALE_IDIGITS 0x00000011
#define LOCALE_ILZERO 0x00000012
#define LOCALE_SNATIVEDIGITS 0x00000013
#define LOCALE_SCURRENCY 0x00000014
#define LOCALE_SINTLSYMBOL 0x00000015
#define LOCALE_SDATE 0x0000001D
#define LOCALE_STIME 0x0000001E
#define LOCALE_SSHORTDATE 0x0000001F
#define LOCALE_SLONGDATE 0x00000020
#define LOCALE_STIMEFORMAT 0x00001003
#define LOCALE_IDATE 0x00000021
#define LOCALE_ITIME 0x00000023
#define LOCALE_S1159 0x00000028
#define LOCALE_S2359 0x00000029
#define LOCALE_SDAYNAME1 0x0000002A
#define LOCALE_SABBREVDAYNAME1 0x00000031
#define LOCALE_SMONTHNAME1 0x00000038
#define LOCALE_SABBREVMONTHNAME1 0x00000044
#define LOCALE_IFIRSTDAYOFWEEK 0x0000100C
#define LOCALE_SISO639LANGNAME 0x00000059
#define LOCALE_SISO3166CTRYNAME 0x0000005A
#define LOCALE_SNAME 0x0000005C

// Fills lpLCData with the value; cchData 0 asks for the size needed (with terminator).
// Unknown locales fail with ERROR_INVALID_PARAMETER, unknown types with ERROR_INVALID_FLAGS.
KX2_EXPORT int GetLocaleInfoW(LCID Locale, DWORD LCType, LPWSTR lpLCData, int cchData);
KX2_EXPORT LCID GetUserDefaultLCID();
KX2_EXPORT LCID GetSystemDefaultLCID();
KX2_EXPORT LANGID GetUserDefaultLangID();
KX2_EXPORT LANGID GetSystemDefaultLangID();
KX2_EXPORT LANGID GetUserDefaultUILanguage();
KX2_EXPORT LANGID GetSystemDefaultUILanguage();
KX2_EXPORT LCID GetThreadLocale();
KX2_EXPORT BOOL SetThreadLocale(LCID Locale);
KX2_EXPORT BOOL IsValidLocale(LCID Locale, DWORD dwFlags);
#define LOCALE_NAME_MAX_LENGTH 85
KX2_EXPORT int LCIDToLocaleName(LCID Locale, LPWSTR lpName, int cchName, DWORD dwFlags);
KX2_EXPORT LCID LocaleNameToLCID(LPCWSTR lpName, DWORD dwFlags);

// ---- Date and time formats -----------------------------------------------------------
#define DATE_SHORTDATE 0x00000001
#define DATE_LONGDATE 0x00000002
#define DATE_USE_ALT_CALENDAR 0x00000004
#define DATE_YEARMONTH 0x00000008
#define TIME_NOMINUTESORSECONDS 0x00000001
#define TIME_NOSECONDS 0x00000002
#define TIME_NOTIMEMARKER 0x00000004
#define TIME_FORCE24HOURFORMAT 0x00000008
// Pictures: d dd ddd dddd M MM MMM MMMM y yy yyyy g gg (dates), h hh H HH m mm s ss t tt
// (times), 'quoted text'. A null time means now (local time). Names of days and months
// come from the locale. Returns the units written including the terminator.
KX2_EXPORT int GetDateFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCWSTR lpFormat, LPWSTR lpDateStr,
                              int cchDate);
KX2_EXPORT int GetTimeFormatW(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCWSTR lpFormat, LPWSTR lpTimeStr,
                              int cchTime);

// ---- Comparison and case -------------------------------------------------------------
#define NORM_IGNORECASE 0x00000001
#define NORM_IGNORENONSPACE 0x00000002
#define NORM_IGNORESYMBOLS 0x00000004
#define NORM_IGNOREKANATYPE 0x00010000
#define NORM_IGNOREWIDTH 0x00020000
#define LINGUISTIC_IGNORECASE 0x00000010
#define SORT_STRINGSORT 0x00001000
#define CSTR_LESS_THAN 1
#define CSTR_EQUAL 2
#define CSTR_GREATER_THAN 3
// Linguistic comparison of the locale (ICU collation). Returns CSTR_*, or 0 on error.
KX2_EXPORT int CompareStringW(LCID Locale, DWORD dwCmpFlags, LPCWSTR lpString1, int cchCount1, LPCWSTR lpString2,
                              int cchCount2);
KX2_EXPORT int CompareStringOrdinal(LPCWSTR lpString1, int cchCount1, LPCWSTR lpString2, int cchCount2,
                                    BOOL bIgnoreCase);
KX2_EXPORT int lstrlenW(LPCWSTR lpString);
KX2_EXPORT LPWSTR lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2);
KX2_EXPORT LPWSTR lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength);
KX2_EXPORT LPWSTR lstrcatW(LPWSTR lpString1, LPCWSTR lpString2);
// Linguistic order of the user's locale; <0, 0 or >0.
KX2_EXPORT int lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2);
KX2_EXPORT int lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2);
KX2_EXPORT int lstrlenA(LPCSTR lpString);
// A pointer whose high bits are zero is one character, returned converted in the low word.
KX2_EXPORT LPWSTR CharUpperW(LPWSTR lpsz);
KX2_EXPORT LPWSTR CharLowerW(LPWSTR lpsz);
KX2_EXPORT DWORD CharUpperBuffW(LPWSTR lpsz, DWORD cchLength);
KX2_EXPORT DWORD CharLowerBuffW(LPWSTR lpsz, DWORD cchLength);
KX2_EXPORT LPWSTR CharNextW(LPCWSTR lpsz);
KX2_EXPORT LPWSTR CharPrevW(LPCWSTR lpszStart, LPCWSTR lpszCurrent);
KX2_EXPORT BOOL IsCharAlphaW(WCHAR ch);
KX2_EXPORT BOOL IsCharAlphaNumericW(WCHAR ch);
KX2_EXPORT BOOL IsCharUpperW(WCHAR ch);
KX2_EXPORT BOOL IsCharLowerW(WCHAR ch);

// ---- Arithmetic ----------------------------------------------------------------------
// number * numerator / denominator with a 64-bit product, rounded half away from zero;
// -1 when the denominator is 0 or the result does not fit in 32 bits.
KX2_EXPORT int MulDiv(int nNumber, int nNumerator, int nDenominator);

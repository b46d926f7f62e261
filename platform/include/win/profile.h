// INI profile files with Win32's rules.
//
// A file name without a folder ("app.ini", and "win.ini" for the GetProfile* calls) lies in
// the profile folder: KX2_PROFILES when set (a POSIX folder), else
// $XDG_CONFIG_HOME/kx2/windows; other names are Windows paths (kx2/PathMap.h). Section and
// key names compare without regard to case; leading and trailing blanks of names and
// values are dropped, and one pair of matching quotes around a value is removed when it
// is read. Lines starting with ';' are comments.
//
// Files are read as UTF-16 when they begin with its byte-order mark, else as UTF-8 when
// they are valid UTF-8, else in the ANSI code page. A write keeps every other line as it
// was and replaces the file in one step; files are written as UTF-16 when they were
// UTF-16 and as UTF-8 otherwise, with the line ends they had ("\r\n" for new files).
#pragma once

#include "win/errors.h"
#include "win/types.h"

// Reading. Lists (section names, key names, section contents) are strings each followed
// by a terminator, and one more terminator at the end; a list that does not fit is cut,
// ends with two terminators, and the result is nSize - 2. A single string that does not
// fit is cut and the result is nSize - 1.
KX2_EXPORT DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                          LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);
KX2_EXPORT UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);
KX2_EXPORT DWORD GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);
KX2_EXPORT DWORD GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName);
// The data as hexadecimal digits followed by a checksum byte (the sum of the bytes).
KX2_EXPORT BOOL GetPrivateProfileStructW(LPCWSTR lpszSection, LPCWSTR lpszKey, LPVOID lpStruct, UINT uSizeStruct,
                                         LPCWSTR szFile);

// Writing. A null key deletes the section; a null string deletes the key; all three null
// has nothing to flush and succeeds.
KX2_EXPORT BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName);
// Replaces the section's lines by lpString ("key=value\0...\0\0"); null deletes it.
KX2_EXPORT BOOL WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName);
KX2_EXPORT BOOL WritePrivateProfileStructW(LPCWSTR lpszSection, LPCWSTR lpszKey, LPVOID lpStruct, UINT uSizeStruct,
                                           LPCWSTR szFile);

// The same on "win.ini" in the profile folder.
KX2_EXPORT UINT GetProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault);
KX2_EXPORT DWORD GetProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                                   DWORD nSize);
KX2_EXPORT BOOL WriteProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString);
KX2_EXPORT DWORD GetProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize);
KX2_EXPORT BOOL WriteProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString);

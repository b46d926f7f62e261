// Resources of a module: found by type, name and language in the module's resource
// container (see win/module.h for where a module's container lies, and
// kx2/ResourceContainer.h for its format).
//
// Types and names are numbers (MAKEINTRESOURCEW(n), or the text "#n") or texts compared
// without regard to case. A neutral language (0) picks, among the languages present,
// neutral, then the user's language, then its primary language, then US English, then
// any English, then the first; any other language must match exactly. HRSRC and HGLOBAL
// point into the loaded container and stay valid while the module is loaded; the data
// are read-only.
#pragma once

#include "win/errors.h"
#include "win/types.h"

#ifndef ERROR_RESOURCE_ENUM_USER_STOP
#define ERROR_RESOURCE_ENUM_USER_STOP 15106L
#endif

#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_FONTDIR MAKEINTRESOURCEW(7)
#define RT_FONT MAKEINTRESOURCEW(8)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_MESSAGETABLE MAKEINTRESOURCEW(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_VERSION MAKEINTRESOURCEW(16)
#define RT_DLGINCLUDE MAKEINTRESOURCEW(17)
#define RT_ANICURSOR MAKEINTRESOURCEW(21)
#define RT_ANIICON MAKEINTRESOURCEW(22)
#define RT_HTML MAKEINTRESOURCEW(23)
#define RT_MANIFEST MAKEINTRESOURCEW(24)

typedef BOOL (*ENUMRESTYPEPROCW)(HMODULE hModule, LPWSTR lpType, LONG_PTR lParam);
typedef BOOL (*ENUMRESNAMEPROCW)(HMODULE hModule, LPCWSTR lpType, LPWSTR lpName, LONG_PTR lParam);
typedef BOOL (*ENUMRESLANGPROCW)(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage, LONG_PTR lParam);

// null hModule = the main program. Failures: ERROR_RESOURCE_DATA_NOT_FOUND (the module
// has no resources), ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND,
// ERROR_RESOURCE_LANG_NOT_FOUND, ERROR_INVALID_HANDLE.
KX2_EXPORT HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
KX2_EXPORT HRSRC FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage);
KX2_EXPORT HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
KX2_EXPORT DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
KX2_EXPORT LPVOID LockResource(HGLOBAL hResData);
// Nothing to free: resources live with their module. Returns FALSE, as on Win32.
KX2_EXPORT BOOL FreeResource(HGLOBAL hResData);

// String id of the module's string table into lpBuffer (at most cchBufferMax - 1 units
// and a terminator); returns the units copied, 0 for a missing or empty string. With
// cchBufferMax 0, lpBuffer receives a read-only pointer to the string itself (not
// terminated) and the result is its length.
KX2_EXPORT int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);

// Enumeration in the container's order: named types and names first (by text), then
// numbers; languages ascending. A callback returning FALSE stops it: the call then
// returns FALSE with ERROR_RESOURCE_ENUM_USER_STOP.
KX2_EXPORT BOOL EnumResourceTypesW(HMODULE hModule, ENUMRESTYPEPROCW lpEnumFunc, LONG_PTR lParam);
KX2_EXPORT BOOL EnumResourceNamesW(HMODULE hModule, LPCWSTR lpType, ENUMRESNAMEPROCW lpEnumFunc, LONG_PTR lParam);
KX2_EXPORT BOOL EnumResourceLanguagesW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, ENUMRESLANGPROCW lpEnumFunc,
                                       LONG_PTR lParam);

// Images the user library makes from a module's resources: bitmaps (RT_BITMAP), icons
// (RT_GROUP_ICON and RT_ICON) and cursors (RT_GROUP_CURSOR and RT_CURSOR), and the
// system parameters the toolkit reads.
//
// Icon and cursor handles keep the image bytes they were made from (a DIB with its mask,
// or PNG) with their size; nothing is drawn here. Handles of all kinds stay valid until
// destroyed (DeleteObject for bitmaps, DestroyIcon and DestroyCursor).
#pragma once

#include "win/errors.h"
#include "win/gdi.h"
#include "win/types.h"

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2

#define LR_DEFAULTCOLOR 0x00000000
#define LR_MONOCHROME 0x00000001
#define LR_LOADFROMFILE 0x00000010
#define LR_DEFAULTSIZE 0x00000040
#define LR_CREATEDIBSECTION 0x00002000
#define LR_SHARED 0x00008000

// Right-to-left reading order for message boxes.
#ifndef MB_RTLREADING
#define MB_RTLREADING 0x00100000L
#endif

#define SPI_GETICONTITLELOGFONT 0x001F

// ERROR_RESOURCE_* when the module lacks the resource, ERROR_INVALID_DATA when its bytes
// are not a well-formed image.
KX2_EXPORT HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName);
KX2_EXPORT HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName);
// The system's cursors (hInstance null): shared for the life of the process, never to be
// destroyed. Only the arrow is drawn.
#define IDC_ARROW MAKEINTRESOURCEW(32512)
KX2_EXPORT HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName);
// cx, cy 0: the size of the resource's first image (with LR_DEFAULTSIZE: 32 x 32 for
// icons and cursors). LR_LOADFROMFILE reads the named file: a BMP (1 to 32 bits, masked,
// run-length coded RLE8 and RLE4, bottom-up or top-down, the old core header) as a device
// bitmap or with LR_CREATEDIBSECTION a DIB section, an ICO or CUR file's entry; a damaged
// file gives null with ERROR_INVALID_DATA.
KX2_EXPORT HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad);

// The id of the directory entry (of an RT_GROUP_ICON or RT_GROUP_CURSOR resource) that
// fits cx x cy best (0 x 0: 32 x 32): the smallest difference in size, then the most
// colours. 0 when the directory is empty or malformed.
KX2_EXPORT int LookupIconIdFromDirectoryEx(PBYTE presbits, BOOL fIcon, int cxDesired, int cyDesired, UINT Flags);
KX2_EXPORT int LookupIconIdFromDirectory(PBYTE presbits, BOOL fIcon);
// An icon (or, with fIcon FALSE, a cursor whose data begin with the 2-word hot spot) from
// the bytes of one RT_ICON / RT_CURSOR resource: a DIB whose height counts image and mask,
// or PNG.
KX2_EXPORT HICON CreateIconFromResourceEx(PBYTE presbits, DWORD dwResSize, BOOL fIcon, DWORD dwVer, int cxDesired,
                                          int cyDesired, UINT Flags);
KX2_EXPORT BOOL DestroyIcon(HICON hIcon);
KX2_EXPORT BOOL DestroyCursor(HCURSOR hCursor);
// The size of an icon or cursor; FALSE for anything else.
KX2_EXPORT BOOL Kx2GetIconSize(HICON hIcon, int* cx, int* cy);

// SPI_GETICONTITLELOGFONT fills a LOGFONTW (uiParam its size); other actions fail with
// ERROR_INVALID_PARAMETER.
KX2_EXPORT BOOL SystemParametersInfoW(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni);

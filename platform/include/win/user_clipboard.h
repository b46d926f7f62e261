// The clipboard, within the process: one owner at a time between OpenClipboard and
// CloseClipboard; the data are global memory blocks the clipboard owns once set.
// CF_UNICODETEXT and CF_TEXT stand for each other: asking for the one that was not set
// converts the other (through the ANSI code page).
#pragma once

#include "win/types.h"

#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_OEMTEXT 7
#define CF_DIB 8
#define CF_UNICODETEXT 13
#define CF_HDROP 15
#define CF_LOCALE 16

#ifndef ERROR_CLIPBOARD_NOT_OPEN
#define ERROR_CLIPBOARD_NOT_OPEN 1418L
#endif

// FALSE with ERROR_ACCESS_DENIED while another thread has it open.
KX2_EXPORT BOOL OpenClipboard(HWND hWndNewOwner);
KX2_EXPORT BOOL CloseClipboard();
// Frees what it holds; the opener becomes the owner.
KX2_EXPORT BOOL EmptyClipboard();
// Takes the block (freeing the one of that format it held); null with
// ERROR_CLIPBOARD_NOT_OPEN when the caller has not opened it.
KX2_EXPORT HANDLE SetClipboardData(UINT uFormat, HANDLE hMem);
// The clipboard keeps the block: callers lock and read it, never free it.
KX2_EXPORT HANDLE GetClipboardData(UINT uFormat);
KX2_EXPORT BOOL IsClipboardFormatAvailable(UINT format);
KX2_EXPORT int CountClipboardFormats();
KX2_EXPORT UINT EnumClipboardFormats(UINT format);
KX2_EXPORT HWND GetClipboardOwner();
KX2_EXPORT HWND GetOpenClipboardWindow();

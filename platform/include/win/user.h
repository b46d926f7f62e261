// The parts of the window system's library that need no windows: message boxes (a
// non-blocking sink here) and wsprintfW.
//
// MessageBoxW never waits for anyone. The text and caption are recorded for tests to
// read (kx2/MessageBoxSink.h) and written to standard error, and the box "answers" as a
// user pressing Enter would: with its default button (MB_DEFBUTTON1..4), except that a
// box offering Retry answers Cancel (or Abort) so that no retry loop can spin forever.
// A test may set the answer instead.
#pragma once

#include <cstdarg>

#include "win/kernel.h"
#include "win/types.h"

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_CANCELTRYCONTINUE 0x00000006L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0L
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFBUTTON4 0x00000300L
#define MB_DEFMASK 0x00000F00L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDTRYAGAIN 10
#define IDCONTINUE 11

KX2_EXPORT int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
KX2_EXPORT int MessageBoxExW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType, WORD wLanguageId);
// The narrow texts are in the ANSI code page.
KX2_EXPORT int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
KX2_EXPORT BOOL MessageBeep(UINT uType);

// At most 1024 units including the terminator, as the system's own limit; %s is wide.
KX2_EXPORT int wsprintfW(LPWSTR buffer, LPCWSTR format, ...);
KX2_EXPORT int wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args);

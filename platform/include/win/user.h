// The parts of the window system's library that need no windows: message boxes (a
// non-blocking sink here) and wsprintfW.
//
// MessageBoxW never waits for anyone. The text and caption are recorded for tests to
// read (kx2/MessageBoxSink.h) and written to standard error, and the box "answers" as a
// user pressing Enter would: with its default button (MB_DEFBUTTON1..4), except that a
// box offering Retry answers Cancel (or Abort) so that no retry loop can spin forever.
// A test may set the answer instead.
//
// Also here: the name of the user's account and window classes; the window system itself
// is declared in the headers included at the end (windows, messages, input, system values).
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

// ---- The user's account ------------------------------------------------------------
#ifndef ERROR_NONE_MAPPED
#define ERROR_NONE_MAPPED 1332L
#endif
// The login name of the process's effective user (from the account database; $LOGNAME or
// $USER when the account has no entry there). *pcbBuffer counts units including the
// terminator: on success the length copied plus 1; when it is too small, the size needed
// with ERROR_INSUFFICIENT_BUFFER.
KX2_EXPORT BOOL GetUserNameW(LPWSTR lpBuffer, LPDWORD pcbBuffer);

// ---- Window classes ------------------------------------------------------------------
#ifndef ERROR_INVALID_WINDOW_HANDLE
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#endif
#ifndef ERROR_CLASS_ALREADY_EXISTS
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#endif
#ifndef ERROR_CLASS_DOES_NOT_EXIST
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#endif
#ifndef ERROR_CLASS_HAS_WINDOWS
#define ERROR_CLASS_HAS_WINDOWS 1412L
#endif

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020
#define CS_CLASSDC 0x0040
#define CS_PARENTDC 0x0080
#define CS_NOCLOSE 0x0200
#define CS_SAVEBITS 0x0800
#define CS_BYTEALIGNCLIENT 0x1000
#define CS_BYTEALIGNWINDOW 0x2000
#define CS_GLOBALCLASS 0x4000
#define CS_IME 0x00010000
#define CS_DROPSHADOW 0x00020000

#define MAKEINTATOM(i) (reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
};
typedef WNDCLASSW* LPWNDCLASSW;
struct WNDCLASSEXW {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
  HICON hIconSm;
};
typedef WNDCLASSEXW* LPWNDCLASSEXW;

// A class belongs to its module (a null hInstance is the program's); CS_GLOBALCLASS makes
// it visible to every module. Names (at most 256 units) compare without regard to case;
// a class is named by its text or by the atom its registration returned (MAKEINTATOM).
// Registering: the atom, or 0 with ERROR_CLASS_ALREADY_EXISTS when the module (or a
// global class) has the name already, ERROR_INVALID_PARAMETER for a bad record.
KX2_EXPORT ATOM RegisterClassW(const WNDCLASSW* lpWndClass);
KX2_EXPORT ATOM RegisterClassExW(const WNDCLASSEXW* lpWndClass);
// ERROR_CLASS_DOES_NOT_EXIST when the module has no such class.
KX2_EXPORT BOOL UnregisterClassW(LPCWSTR lpClassName, HINSTANCE hInstance);
// The module's class, else a global one; the record as registered, with lpszClassName
// the name as given here. Returns the class atom; 0 with ERROR_CLASS_DOES_NOT_EXIST.
// System classes are global classes the system libraries (libKx2User32.so ...) register.
KX2_EXPORT BOOL GetClassInfoW(HINSTANCE hInstance, LPCWSTR lpClassName, LPWNDCLASSW lpWndClass);
// cbSize must be sizeof(WNDCLASSEXW) (ERROR_INVALID_PARAMETER).
KX2_EXPORT BOOL GetClassInfoExW(HINSTANCE hInstance, LPCWSTR lpszClass, LPWNDCLASSEXW lpwcx);

// A class with windows cannot be unregistered (ERROR_CLASS_HAS_WINDOWS).

#include "win/user_window.h"
#include "win/user_message.h"
#include "win/user_input.h"
#include "win/user_system.h"
#include "win/user_keyboard.h"
#include "win/user_paint.h"
#include "win/user_rect.h"
#include "win/user_scroll.h"
#include "win/user_ownerdraw.h"
#include "win/user_caret.h"
#include "win/user_clipboard.h"
#include "win/user_edit.h"
#include "win/user_controls.h"
#include "win/user_mdi.h"
#include "win/user_lists.h"

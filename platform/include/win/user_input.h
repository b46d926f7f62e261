// Capture, focus, activation, the cursor and key states (include win/user.h). Input itself
// is injected by tests and tools through kx2/InputState.h.
#pragma once

#include "win/types.h"
#include "win/user_window.h"

#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_CANCEL 0x03
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_KANA 0x15
#define VK_HANGUL 0x15
#define VK_JUNJA 0x17
#define VK_FINAL 0x18
#define VK_HANJA 0x19
#define VK_KANJI 0x19
#define VK_ESCAPE 0x1B
#define VK_CONVERT 0x1C
#define VK_NONCONVERT 0x1D
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_HELP 0x2F
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_APPS 0x5D
#define VK_NUMPAD0 0x60
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define VK_PROCESSKEY 0xE5

// Mouse message key flags (wParam)
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010

// The capture holder gets every mouse message (client messages, no hit test). Returns the
// previous holder of the calling thread; the one losing capture gets WM_CAPTURECHANGED.
KX2_EXPORT HWND SetCapture(HWND hWnd);
KX2_EXPORT BOOL ReleaseCapture();
KX2_EXPORT HWND GetCapture();

// Focus is per thread: SetFocus activates the window's top-level window first, then
// sends WM_KILLFOCUS to the old focus and WM_SETFOCUS to the new one. Returns the old focus.
KX2_EXPORT HWND SetFocus(HWND hWnd);
KX2_EXPORT HWND GetFocus();
// Activation: HCBT_ACTIVATE, the window brought to the top, WM_NCACTIVATE and WM_ACTIVATE
// to the old active window (WA_INACTIVE), WM_ACTIVATEAPP when the foreground thread
// changes, then WM_NCACTIVATE and WM_ACTIVATE to the new one (DefWindowProcW sets focus).
KX2_EXPORT HWND SetActiveWindow(HWND hWnd);
KX2_EXPORT HWND GetActiveWindow();
KX2_EXPORT HWND GetForegroundWindow();
KX2_EXPORT BOOL SetForegroundWindow(HWND hWnd);

KX2_EXPORT BOOL GetCursorPos(LPPOINT lpPoint);
// Moves the cursor as an injected mouse move would.
KX2_EXPORT BOOL SetCursorPos(int X, int Y);
KX2_EXPORT HCURSOR SetCursor(HCURSOR hCursor);
KX2_EXPORT HCURSOR GetCursor();
KX2_EXPORT int ShowCursor(BOOL bShow);

#define TME_HOVER 0x00000001
#define TME_LEAVE 0x00000002
#define TME_NONCLIENT 0x00000010
#define TME_QUERY 0x40000000
#define TME_CANCEL 0x80000000
#define HOVER_DEFAULT 0xFFFFFFFF
struct TRACKMOUSEEVENT {
  DWORD cbSize;
  DWORD dwFlags;
  HWND hwndTrack;
  DWORD dwHoverTime;
};
typedef TRACKMOUSEEVENT* LPTRACKMOUSEEVENT;
// TME_LEAVE: WM_MOUSELEAVE once the mouse leaves the client area (with TME_NONCLIENT:
// WM_NCMOUSELEAVE once it leaves the non-client area). TME_HOVER: WM_MOUSEHOVER after the
// hover time (platform clock) without leaving. Tracking ends with the message.
KX2_EXPORT BOOL TrackMouseEvent(LPTRACKMOUSEEVENT lpEventTrack);

// Key states as of the message the thread last retrieved: bit 15 down, bit 0 toggled.
KX2_EXPORT SHORT GetKeyState(int nVirtKey);
// As of now (the injected input so far).
KX2_EXPORT SHORT GetAsyncKeyState(int vKey);
KX2_EXPORT BOOL GetKeyboardState(PBYTE lpKeyState);
KX2_EXPORT BOOL SetKeyboardState(PBYTE lpKeyState);

// "DoubleClickSpeed" under the user's "Control Panel\Mouse" (a decimal text), else 500
// or the value SetDoubleClickTime gave.
KX2_EXPORT UINT GetDoubleClickTime();
KX2_EXPORT BOOL SetDoubleClickTime(UINT uInterval);

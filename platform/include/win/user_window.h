// Windows of the headless window system: creation and destruction, the parent, child and
// owner links, z-order, placement, styles, window slots and class slots (include
// win/user.h).
//
// A window belongs to the thread that created it; only that thread may destroy it. Every
// call that names a window answers FALSE or 0 with ERROR_INVALID_WINDOW_HANDLE when the
// handle is stale or was never a window. Windows are Unicode only (IsWindowUnicode is
// always TRUE). Positions of child windows are relative to the parent's client area.
#pragma once

#include "win/types.h"

#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_MAXIMIZE 0x01000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_SIZEBOX WS_THICKFRAME
#define WS_CHILDWINDOW WS_CHILD
#define WS_ICONIC WS_MINIMIZE
#define WS_OVERLAPPEDWINDOW (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)

#define WS_EX_DLGMODALFRAME 0x00000001L
#define WS_EX_NOPARENTNOTIFY 0x00000004L
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_ACCEPTFILES 0x00000010L
#define WS_EX_TRANSPARENT 0x00000020L
#define WS_EX_MDICHILD 0x00000040L
#define WS_EX_TOOLWINDOW 0x00000080L
#define WS_EX_WINDOWEDGE 0x00000100L
#define WS_EX_CLIENTEDGE 0x00000200L
#define WS_EX_CONTEXTHELP 0x00000400L
#define WS_EX_RIGHT 0x00001000L
#define WS_EX_RTLREADING 0x00002000L
#define WS_EX_LEFTSCROLLBAR 0x00004000L
#define WS_EX_CONTROLPARENT 0x00010000L
#define WS_EX_STATICEDGE 0x00020000L
#define WS_EX_APPWINDOW 0x00040000L
#define WS_EX_LAYERED 0x00080000L
#define WS_EX_NOINHERITLAYOUT 0x00100000L
#define WS_EX_LAYOUTRTL 0x00400000L
#define WS_EX_COMPOSITED 0x02000000L
#define WS_EX_NOACTIVATE 0x08000000L
#define WS_EX_OVERLAPPEDWINDOW (WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE)

#define CW_USEDEFAULT (static_cast<int>(0x80000000))

#define HWND_DESKTOP (static_cast<HWND>(nullptr))
#define HWND_MESSAGE (reinterpret_cast<HWND>(static_cast<intptr_t>(-3)))
#define HWND_TOP (static_cast<HWND>(nullptr))
#define HWND_BOTTOM (reinterpret_cast<HWND>(static_cast<intptr_t>(1)))
#define HWND_TOPMOST (reinterpret_cast<HWND>(static_cast<intptr_t>(-1)))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(static_cast<intptr_t>(-2)))

struct CREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
};
typedef CREATESTRUCTW* LPCREATESTRUCTW;

// A child window's hMenu is its identifier (GWLP_ID); lpParam reaches WM_NCCREATE and
// WM_CREATE as lpCreateParams. Messages, in order: the CBT hook's HCBT_CREATEWND,
// WM_GETMINMAXINFO (sizeable or overlapped windows), WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE,
// WM_SIZE, WM_MOVE, WM_PARENTNOTIFY to the parent (children without WS_EX_NOPARENTNOTIFY),
// then ShowWindow's messages when WS_VISIBLE is given. A hook, WM_NCCREATE or WM_CREATE
// refusing gives null (ERROR_CANNOT_FIND_WND_CLASS for an unknown class).
KX2_EXPORT HWND CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                                int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                LPVOID lpParam);
// Owned windows go first; the window is hidden (and deactivated); WM_DESTROY goes to it
// and then down to its children, WM_NCDESTROY from the deepest child up. A window of
// another thread gives ERROR_ACCESS_DENIED.
KX2_EXPORT BOOL DestroyWindow(HWND hWnd);
KX2_EXPORT BOOL IsWindow(HWND hWnd);
KX2_EXPORT BOOL IsWindowUnicode(HWND hWnd);
KX2_EXPORT BOOL IsWindowVisible(HWND hWnd);
KX2_EXPORT BOOL IsWindowEnabled(HWND hWnd);
// Returns TRUE when the window was disabled before. Sends WM_ENABLE on a change.
KX2_EXPORT BOOL EnableWindow(HWND hWnd, BOOL bEnable);
KX2_EXPORT BOOL IsChild(HWND hWndParent, HWND hWnd);
KX2_EXPORT BOOL IsIconic(HWND hWnd);
KX2_EXPORT BOOL IsZoomed(HWND hWnd);

// The window that stands for the screen: every top-level window's parent (GA_PARENT).
KX2_EXPORT HWND GetDesktopWindow();
// The parent of a child window, the owner of a popup, else null.
KX2_EXPORT HWND GetParent(HWND hWnd);
// null or the desktop makes a top-level window; the old parent is returned.
KX2_EXPORT HWND SetParent(HWND hWndChild, HWND hWndNewParent);
#define GA_PARENT 1
#define GA_ROOT 2
#define GA_ROOTOWNER 3
KX2_EXPORT HWND GetAncestor(HWND hwnd, UINT gaFlags);
#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5
#define GW_ENABLEDPOPUP 6
KX2_EXPORT HWND GetWindow(HWND hWnd, UINT uCmd);
KX2_EXPORT HWND GetTopWindow(HWND hWnd);
KX2_EXPORT HWND GetDlgItem(HWND hDlg, int nIDDlgItem);
KX2_EXPORT int GetDlgCtrlID(HWND hWnd);

typedef BOOL (*WNDENUMPROC)(HWND, LPARAM);
// Top-level windows in z-order, topmost first; a window destroyed by the callback is
// skipped.
KX2_EXPORT BOOL EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam);
// Every descendant, depth first.
KX2_EXPORT BOOL EnumChildWindows(HWND hWndParent, WNDENUMPROC lpEnumFunc, LPARAM lParam);
KX2_EXPORT BOOL EnumThreadWindows(DWORD dwThreadId, WNDENUMPROC lpfn, LPARAM lParam);
KX2_EXPORT DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);

// Top-level windows by class and text (either may be null); FindWindowExW looks among
// the children of a parent (null: top-level windows) after a given child.
KX2_EXPORT HWND FindWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName);
KX2_EXPORT HWND FindWindowExW(HWND hWndParent, HWND hWndChildAfter, LPCWSTR lpszClass, LPCWSTR lpszWindow);
KX2_EXPORT int GetClassNameW(HWND hWnd, LPWSTR lpClassName, int nMaxCount);
KX2_EXPORT int RealGetWindowClassW(HWND hwnd, LPWSTR ptszClassName, UINT cchClassNameMax);

// ---- Text (WM_GETTEXT and WM_SETTEXT; DefWindowProcW keeps the text) -------------------
KX2_EXPORT int GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount);
KX2_EXPORT int GetWindowTextLengthW(HWND hWnd);
KX2_EXPORT BOOL SetWindowTextW(HWND hWnd, LPCWSTR lpString);
// The kept text, without sending anything.
KX2_EXPORT int InternalGetWindowText(HWND hWnd, LPWSTR pString, int cchMaxCount);

// ---- Placement -------------------------------------------------------------------------
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define SWP_NOCOPYBITS 0x0100
#define SWP_NOOWNERZORDER 0x0200
#define SWP_NOSENDCHANGING 0x0400
#define SWP_NOCLIENTSIZE 0x0800
#define SWP_NOCLIENTMOVE 0x1000
#define SWP_DEFERERASE 0x2000
#define SWP_ASYNCWINDOWPOS 0x4000
#define SWP_DRAWFRAME SWP_FRAMECHANGED
#define SWP_NOREPOSITION SWP_NOOWNERZORDER

struct WINDOWPOS {
  HWND hwnd;
  HWND hwndInsertAfter;
  int x;
  int y;
  int cx;
  int cy;
  UINT flags;
};
typedef WINDOWPOS* LPWINDOWPOS;
struct NCCALCSIZE_PARAMS {
  RECT rgrc[3];
  WINDOWPOS* lppos;
};
struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};
struct STYLESTRUCT {
  DWORD styleOld;
  DWORD styleNew;
};

// WM_WINDOWPOSCHANGING (whose handler may change the record), WM_NCCALCSIZE when the size
// changes or SWP_FRAMECHANGED asks, the change, WM_WINDOWPOSCHANGED (DefWindowProcW turns
// it into WM_MOVE and WM_SIZE). A z-order change raises EVENT_OBJECT_REORDER.
KX2_EXPORT BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags);
KX2_EXPORT BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint);
KX2_EXPORT BOOL BringWindowToTop(HWND hWnd);

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
#define SW_FORCEMINIMIZE 11
// Returns whether the window was visible before.
KX2_EXPORT BOOL ShowWindow(HWND hWnd, int nCmdShow);
KX2_EXPORT BOOL ShowOwnedPopups(HWND hWnd, BOOL fShow);

// Screen coordinates for the window rectangle; the client rectangle starts at 0, 0.
// The window rectangle a client rectangle needs with the given styles and a one-line menu:
// the classic frame (sizing, dialog or thin border), client and static edges, the caption
// (small for tool windows; overlapped windows always have one) and the menu bar.
KX2_EXPORT BOOL AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle);
KX2_EXPORT BOOL AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu);

KX2_EXPORT BOOL GetWindowRect(HWND hWnd, LPRECT lpRect);
KX2_EXPORT BOOL GetClientRect(HWND hWnd, LPRECT lpRect);
KX2_EXPORT BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint);
KX2_EXPORT BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint);
// Null stands for the screen. Returns the horizontal offset in the low word and the
// vertical one in the high word; 0 with the last error set on failure.
KX2_EXPORT int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints);
// The deepest visible, enabled window under a screen point.
KX2_EXPORT HWND WindowFromPoint(POINT Point);
#define CWP_ALL 0x0000
#define CWP_SKIPINVISIBLE 0x0001
#define CWP_SKIPDISABLED 0x0002
#define CWP_SKIPTRANSPARENT 0x0004
// Point in the parent's client coordinates; the parent itself when no child holds it,
// null when the point is outside the parent.
KX2_EXPORT HWND ChildWindowFromPoint(HWND hWndParent, POINT Point);
KX2_EXPORT HWND ChildWindowFromPointEx(HWND hwnd, POINT pt, UINT flags);

// ---- Window slots ------------------------------------------------------------------------
#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_HWNDPARENT (-8)
#define GWLP_USERDATA (-21)
#define GWLP_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_WNDPROC GWLP_WNDPROC
#define GWL_ID GWLP_ID
#define GWL_USERDATA GWLP_USERDATA
// A dialog's slots among its extra bytes, at their 64-bit offsets.
#define DWLP_MSGRESULT 0
#define DWLP_DLGPROC 8
#define DWLP_USER 16
#define DLGWINDOWEXTRA 30

#ifndef ERROR_INVALID_INDEX
#define ERROR_INVALID_INDEX 1413L
#endif

typedef LRESULT (*WNDPROC)(HWND, UINT, WPARAM, LPARAM);

// Extra bytes are addressed by byte offset (0 <= offset, offset + size <= cbWndExtra);
// other indexes give 0 with ERROR_INVALID_INDEX. GWL_STYLE and GWL_EXSTYLE send
// WM_STYLECHANGING and WM_STYLECHANGED around the change. GWLP_WNDPROC subclasses.
KX2_EXPORT LONG_PTR GetWindowLongPtrW(HWND hWnd, int nIndex);
KX2_EXPORT LONG_PTR SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
KX2_EXPORT LONG GetWindowLongW(HWND hWnd, int nIndex);
KX2_EXPORT LONG SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong);
KX2_EXPORT WORD GetWindowWord(HWND hWnd, int nIndex);
KX2_EXPORT WORD SetWindowWord(HWND hWnd, int nIndex, WORD wNewWord);

// Calls a procedure read from a slot (a previous one, when subclassing).
KX2_EXPORT LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

#define GCLP_MENUNAME (-8)
#define GCLP_HBRBACKGROUND (-10)
#define GCLP_HCURSOR (-12)
#define GCLP_HICON (-14)
#define GCLP_HMODULE (-16)
#define GCL_CBWNDEXTRA (-18)
#define GCL_CBCLSEXTRA (-20)
#define GCLP_WNDPROC (-24)
#define GCL_STYLE (-26)
#define GCW_ATOM (-32)
#define GCLP_HICONSM (-34)
KX2_EXPORT ULONG_PTR GetClassLongPtrW(HWND hWnd, int nIndex);
KX2_EXPORT ULONG_PTR SetClassLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
KX2_EXPORT DWORD GetClassLongW(HWND hWnd, int nIndex);
KX2_EXPORT DWORD SetClassLongW(HWND hWnd, int nIndex, LONG dwNewLong);
KX2_EXPORT WORD GetClassWord(HWND hWnd, int nIndex);

// Named properties of a window (the name is a text or an atom).
KX2_EXPORT BOOL SetPropW(HWND hWnd, LPCWSTR lpString, HANDLE hData);
KX2_EXPORT HANDLE GetPropW(HWND hWnd, LPCWSTR lpString);
KX2_EXPORT HANDLE RemovePropW(HWND hWnd, LPCWSTR lpString);

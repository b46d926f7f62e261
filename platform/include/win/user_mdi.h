// The multiple-document interface of libKx2User32.so: the "MDIClient" window class, which
// holds a frame's document windows (MDI children), and the procedures frames and children
// pass their messages to (DefFrameProcW, DefMDIChildProcW).
//
// The client is a child of the frame, made with a CLIENTCREATESTRUCT as its creation
// parameter: the frame's window menu, where the client lists its children, and the id of
// the first child (children get consecutive ids from there; the window menu's items carry
// them). Children are made with WM_MDICREATE (or CreateMDIWindowW); they get
// WM_MDIACTIVATE (wParam the child losing activation, lParam the one gaining it) when the
// active child changes. A maximised child fills the client with its frame outside it; its
// window menu (HBMMENU_SYSTEM, the child's handle as item data) and its minimise, restore
// and close buttons join the frame's menu bar, and its title the frame's ("Frame -
// [Child]"). Message 0x3F asks the client to recompute its scroll bars from where the
// children lie; the client posts it to itself whenever a child moves or is sized.
#pragma once

#include "win/types.h"
#include "win/user_message.h"

#define WC_MDICLIENTW u"MDIClient"

// The client's own style: children take any style, not only the MDI ones.
#define MDIS_ALLCHILDSTYLES 0x0001

// WM_MDITILE and WM_MDICASCADE (wParam). Vertical tiling puts children side by side,
// horizontal one above another; disabled children stay where they are with SKIPDISABLED.
#define MDITILE_VERTICAL 0x0000
#define MDITILE_HORIZONTAL 0x0001
#define MDITILE_SKIPDISABLED 0x0002
#define MDITILE_ZORDER 0x0004

#ifndef WM_NEXTMENU
#define WM_NEXTMENU 0x0213
#endif
// The client's "recalculate the scroll bars" message.
#define WM_MDICALCCHILDSCROLL 0x003F

struct CLIENTCREATESTRUCT {
  HANDLE hWindowMenu;
  UINT idFirstChild;
};
typedef CLIENTCREATESTRUCT* LPCLIENTCREATESTRUCT;

// WM_MDICREATE's lParam; also the child's lpCreateParams in WM_NCCREATE and WM_CREATE.
// CW_USEDEFAULT places and sizes the child as the next cascade step.
struct MDICREATESTRUCTW {
  LPCWSTR szClass;
  LPCWSTR szTitle;
  HANDLE hOwner;
  int x;
  int y;
  int cx;
  int cy;
  DWORD style;
  LPARAM lParam;
};
typedef MDICREATESTRUCTW* LPMDICREATESTRUCTW;

// WM_NEXTMENU: the menu the menu loop moves to from hmenuIn, and the window owning it.
struct MDINEXTMENU {
  HMENU hmenuIn;
  HMENU hmenuNext;
  HWND hwndNext;
};
typedef MDINEXTMENU* LPMDINEXTMENU;

// hWndMDIClient may be null (a frame without a client then acts as DefWindowProcW, except
// that WM_SIZE no longer sizes a client).
KX2_EXPORT LRESULT DefFrameProcW(HWND hWnd, HWND hWndMDIClient, UINT uMsg, WPARAM wParam, LPARAM lParam);
KX2_EXPORT LRESULT DefMDIChildProcW(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
// Ctrl+F4 closes the active child, Ctrl+F6 (Ctrl+Tab) activates the next one and with
// Shift the previous one: WM_SYSCOMMAND to the active child. TRUE when the message was one
// of these keys and was handled.
KX2_EXPORT BOOL TranslateMDISysAccel(HWND hWndClient, LPMSG lpMsg);
// WM_MDICREATE through a record built from the arguments.
KX2_EXPORT HWND CreateMDIWindowW(LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y, int nWidth,
                                 int nHeight, HWND hWndParent, HINSTANCE hInstance, LPARAM lParam);

// The message-map entries, with MFC's handler prototypes (include win/afx.h); each ends
// with its comma, as MFC's do. Each entry casts the target to the class whose map it is in and calls the handler with
// the message's parameters cracked as MFC cracks them.
#pragma once

#define KX2_ON(msg, body) \
  {static_cast<UINT>(msg), 0, 0, 0, nullptr, [](CWnd* kx2Wnd, WPARAM wParam, LPARAM lParam) -> LRESULT { body }},
#define KX2_THIS static_cast<ThisClass*>(kx2Wnd)
#define KX2_PT CPoint(lParam)
#define KX2_WND(h) CWnd::FromHandle(reinterpret_cast<HWND>(h))
#define KX2_UNUSED_PARAMS \
  (void)wParam;           \
  (void)lParam

#define ON_MESSAGE(message, memberFxn) KX2_ON(message, return KX2_THIS->memberFxn(wParam, lParam);)
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                           \
  {0xC000, 0, 0, 0, &(nMessageVariable), [](CWnd* kx2Wnd, WPARAM wParam, LPARAM lParam) -> LRESULT { \
     return KX2_THIS->memberFxn(wParam, lParam);                                                     \
   }},
#define ON_COMMAND(id, memberFxn)                              \
  {WM_COMMAND,                                                 \
   0,                                                          \
   static_cast<UINT>(id),                                      \
   static_cast<UINT>(id),                                      \
   nullptr,                                                    \
   [](CWnd* kx2Wnd, WPARAM wParam, LPARAM lParam) -> LRESULT { \
     KX2_UNUSED_PARAMS;                                        \
     KX2_THIS->memberFxn();                                    \
     return 0;                                                 \
   }},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                \
  {WM_COMMAND,                                                 \
   0,                                                          \
   static_cast<UINT>(id),                                      \
   static_cast<UINT>(idLast),                                  \
   nullptr,                                                    \
   [](CWnd* kx2Wnd, WPARAM wParam, LPARAM lParam) -> LRESULT { \
     (void)lParam;                                             \
     KX2_THIS->memberFxn(LOWORD(wParam));                      \
     return 0;                                                 \
   }},

// WM_NOTIFY from a control with an id in range and the given notification code.
#define ON_NOTIFY(code, id, memberFxn)                                  \
  {WM_NOTIFY,                                                           \
   static_cast<UINT>(code),                                             \
   static_cast<UINT>(id),                                               \
   static_cast<UINT>(id),                                               \
   nullptr,                                                             \
   [](CWnd* kx2Wnd, WPARAM wParam, LPARAM lParam) -> LRESULT {          \
     (void)wParam;                                                      \
     LRESULT kx2Result = 0;                                             \
     KX2_THIS->memberFxn(reinterpret_cast<NMHDR*>(lParam), &kx2Result); \
     return kx2Result;                                                  \
   }},

#define ON_WM_CREATE() \
  KX2_ON(WM_CREATE, (void)wParam; return KX2_THIS->OnCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam));)
#define ON_WM_NCCREATE() \
  KX2_ON(WM_NCCREATE, (void)wParam; return KX2_THIS->OnNcCreate(reinterpret_cast<LPCREATESTRUCTW>(lParam));)
#define ON_WM_DESTROY() KX2_ON(WM_DESTROY, KX2_UNUSED_PARAMS; KX2_THIS->OnDestroy(); return 0;)
#define ON_WM_NCDESTROY() KX2_ON(WM_NCDESTROY, KX2_UNUSED_PARAMS; KX2_THIS->OnNcDestroy(); return 0;)
#define ON_WM_CLOSE() KX2_ON(WM_CLOSE, KX2_UNUSED_PARAMS; KX2_THIS->OnClose(); return 0;)
#define ON_WM_PAINT() KX2_ON(WM_PAINT, KX2_UNUSED_PARAMS; KX2_THIS->OnPaint(); return 0;)
#define ON_WM_NCPAINT() KX2_ON(WM_NCPAINT, KX2_UNUSED_PARAMS; KX2_THIS->OnNcPaint(); return 0;)
#define ON_WM_ERASEBKGND() \
  KX2_ON(WM_ERASEBKGND, (void)lParam; return KX2_THIS->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));)
#define ON_WM_NCCALCSIZE()                                                                                \
  KX2_ON(WM_NCCALCSIZE,                                                                                   \
         KX2_THIS->OnNcCalcSize(static_cast<BOOL>(wParam), reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)); \
         return 0;)
#define ON_WM_NCHITTEST() KX2_ON(WM_NCHITTEST, (void)wParam; return KX2_THIS->OnNcHitTest(KX2_PT);)
#define ON_WM_NCACTIVATE() \
  KX2_ON(WM_NCACTIVATE, (void)lParam; return KX2_THIS->OnNcActivate(static_cast<BOOL>(wParam));)
#define ON_WM_ACTIVATE()                                                                                        \
  KX2_ON(WM_ACTIVATE, KX2_THIS->OnActivate(LOWORD(wParam), KX2_WND(lParam), static_cast<BOOL>(HIWORD(wParam))); \
         return 0;)
#define ON_WM_ACTIVATEAPP() \
  KX2_ON(WM_ACTIVATEAPP, KX2_THIS->OnActivateApp(static_cast<BOOL>(wParam), static_cast<DWORD>(lParam)); return 0;)
#define ON_WM_MOUSEACTIVATE() \
  KX2_ON(WM_MOUSEACTIVATE, return KX2_THIS->OnMouseActivate(KX2_WND(wParam), LOWORD(lParam), HIWORD(lParam));)
#define ON_WM_SETCURSOR() \
  KX2_ON(WM_SETCURSOR, return KX2_THIS->OnSetCursor(KX2_WND(wParam), LOWORD(lParam), HIWORD(lParam));)
#define ON_WM_SETFOCUS() KX2_ON(WM_SETFOCUS, (void)lParam; KX2_THIS->OnSetFocus(KX2_WND(wParam)); return 0;)
#define ON_WM_KILLFOCUS() KX2_ON(WM_KILLFOCUS, (void)lParam; KX2_THIS->OnKillFocus(KX2_WND(wParam)); return 0;)
#define ON_WM_CAPTURECHANGED() \
  KX2_ON(WM_CAPTURECHANGED, (void)wParam; KX2_THIS->OnCaptureChanged(KX2_WND(lParam)); return 0;)
#define ON_WM_ENABLE() KX2_ON(WM_ENABLE, (void)lParam; KX2_THIS->OnEnable(static_cast<BOOL>(wParam)); return 0;)
#define ON_WM_SHOWWINDOW() \
  KX2_ON(WM_SHOWWINDOW, KX2_THIS->OnShowWindow(static_cast<BOOL>(wParam), static_cast<UINT>(lParam)); return 0;)
#define ON_WM_SIZE()                                                                              \
  KX2_ON(WM_SIZE, KX2_THIS->OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), \
                                   static_cast<short>(HIWORD(lParam)));                           \
         return 0;)
#define ON_WM_MOVE()            \
  KX2_ON(WM_MOVE, (void)wParam; \
         KX2_THIS->OnMove(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))); return 0;)
#define ON_WM_WINDOWPOSCHANGING()                                                                                 \
  KX2_ON(WM_WINDOWPOSCHANGING, (void)wParam; KX2_THIS->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam)); \
         return 0;)
#define ON_WM_WINDOWPOSCHANGED()                                                                                \
  KX2_ON(WM_WINDOWPOSCHANGED, (void)wParam; KX2_THIS->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam)); \
         return 0;)
#define ON_WM_GETMINMAXINFO() \
  KX2_ON(WM_GETMINMAXINFO, (void)wParam; KX2_THIS->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)); return 0;)
#define ON_WM_STYLECHANGING()                                                                         \
  KX2_ON(WM_STYLECHANGING,                                                                            \
         KX2_THIS->OnStyleChanging(static_cast<int>(wParam), reinterpret_cast<STYLESTRUCT*>(lParam)); \
         return 0;)
#define ON_WM_STYLECHANGED()                                                                                          \
  KX2_ON(WM_STYLECHANGED, KX2_THIS->OnStyleChanged(static_cast<int>(wParam), reinterpret_cast<STYLESTRUCT*>(lParam)); \
         return 0;)
#define ON_WM_SYSCOMMAND() KX2_ON(WM_SYSCOMMAND, KX2_THIS->OnSysCommand(static_cast<UINT>(wParam), lParam); return 0;)
#define ON_WM_TIMER() KX2_ON(WM_TIMER, (void)lParam; KX2_THIS->OnTimer(static_cast<UINT_PTR>(wParam)); return 0;)
#define ON_WM_CANCELMODE() KX2_ON(WM_CANCELMODE, KX2_UNUSED_PARAMS; KX2_THIS->OnCancelMode(); return 0;)
#define ON_WM_SYSCOLORCHANGE() KX2_ON(WM_SYSCOLORCHANGE, KX2_UNUSED_PARAMS; KX2_THIS->OnSysColorChange(); return 0;)
#define ON_WM_SETTINGCHANGE()                                                                                       \
  KX2_ON(WM_SETTINGCHANGE, KX2_THIS->OnSettingChange(static_cast<UINT>(wParam), reinterpret_cast<LPCWSTR>(lParam)); \
         return 0;)
#define ON_WM_THEMECHANGED() KX2_ON(WM_THEMECHANGED, KX2_UNUSED_PARAMS; return KX2_THIS->OnThemeChanged();)
// WM_CTLCOLORMSGBOX .. WM_CTLCOLORSTATIC all reach this entry; lParam carries the record.
#define ON_WM_CTLCOLOR()                                                                            \
  KX2_ON(WM_CTLCOLOR, (void)wParam; auto* kx2Color = reinterpret_cast<const AFX_CTLCOLOR*>(lParam); \
         return reinterpret_cast<LRESULT>(                                                          \
             KX2_THIS->OnCtlColor(CDC::FromHandle(kx2Color->hDC), KX2_WND(kx2Color->hWnd), kx2Color->nCtlType));)
#define ON_WM_CONTEXTMENU() KX2_ON(WM_CONTEXTMENU, KX2_THIS->OnContextMenu(KX2_WND(wParam), KX2_PT); return 0;)
#define ON_WM_HSCROLL()                                                                      \
  KX2_ON(WM_HSCROLL, KX2_THIS->OnHScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), \
                                         static_cast<CScrollBar*>(KX2_WND(lParam)));         \
         return 0;)
#define ON_WM_VSCROLL()                                                                      \
  KX2_ON(WM_VSCROLL, KX2_THIS->OnVScroll(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), \
                                         static_cast<CScrollBar*>(KX2_WND(lParam)));         \
         return 0;)
#define ON_WM_INITMENUPOPUP()                                                                            \
  KX2_ON(WM_INITMENUPOPUP, KX2_THIS->OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam)), \
                                                     LOWORD(lParam), static_cast<BOOL>(HIWORD(lParam))); \
         return 0;)
#define ON_WM_MENUSELECT()                                                                                       \
  KX2_ON(WM_MENUSELECT, KX2_THIS->OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam)); \
         return 0;)

// Keys: (character or key, repeat count, the flags of lParam's high word).
#define KX2_ON_KEY(msg, fn) \
  KX2_ON(msg, KX2_THIS->fn(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam)); return 0;)
#define ON_WM_KEYDOWN() KX2_ON_KEY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() KX2_ON_KEY(WM_KEYUP, OnKeyUp)
#define ON_WM_CHAR() KX2_ON_KEY(WM_CHAR, OnChar)
#define ON_WM_SYSKEYDOWN() KX2_ON_KEY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_SYSKEYUP() KX2_ON_KEY(WM_SYSKEYUP, OnSysKeyUp)
#define ON_WM_SYSCHAR() KX2_ON_KEY(WM_SYSCHAR, OnSysChar)

// Mouse: client messages (key flags, client point), non-client ones (hit code, screen point).
#define KX2_ON_MOUSE(msg, fn) KX2_ON(msg, KX2_THIS->fn(static_cast<UINT>(wParam), KX2_PT); return 0;)
#define ON_WM_MOUSEMOVE() KX2_ON_MOUSE(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() KX2_ON_MOUSE(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() KX2_ON_MOUSE(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() KX2_ON_MOUSE(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() KX2_ON_MOUSE(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() KX2_ON_MOUSE(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() KX2_ON_MOUSE(WM_RBUTTONDBLCLK, OnRButtonDblClk)
#define ON_WM_MBUTTONDOWN() KX2_ON_MOUSE(WM_MBUTTONDOWN, OnMButtonDown)
#define ON_WM_MBUTTONUP() KX2_ON_MOUSE(WM_MBUTTONUP, OnMButtonUp)
#define ON_WM_NCMOUSEMOVE() KX2_ON_MOUSE(WM_NCMOUSEMOVE, OnNcMouseMove)
#define ON_WM_NCLBUTTONDOWN() KX2_ON_MOUSE(WM_NCLBUTTONDOWN, OnNcLButtonDown)
#define ON_WM_NCLBUTTONUP() KX2_ON_MOUSE(WM_NCLBUTTONUP, OnNcLButtonUp)
#define ON_WM_NCLBUTTONDBLCLK() KX2_ON_MOUSE(WM_NCLBUTTONDBLCLK, OnNcLButtonDblClk)
#define ON_WM_NCRBUTTONDOWN() KX2_ON_MOUSE(WM_NCRBUTTONDOWN, OnNcRButtonDown)
#define ON_WM_NCRBUTTONUP() KX2_ON_MOUSE(WM_NCRBUTTONUP, OnNcRButtonUp)
#define ON_WM_MOUSELEAVE() KX2_ON(WM_MOUSELEAVE, KX2_UNUSED_PARAMS; KX2_THIS->OnMouseLeave(); return 0;)
#define ON_WM_NCMOUSELEAVE() KX2_ON(WM_NCMOUSELEAVE, KX2_UNUSED_PARAMS; KX2_THIS->OnNcMouseLeave(); return 0;)
#define ON_WM_MOUSEHOVER() KX2_ON(WM_MOUSEHOVER, KX2_THIS->OnMouseHover(static_cast<UINT>(wParam), KX2_PT); return 0;)
#define ON_WM_MOUSEWHEEL() \
  KX2_ON(WM_MOUSEWHEEL, return KX2_THIS->OnMouseWheel(LOWORD(wParam), static_cast<short>(HIWORD(wParam)), KX2_PT);)

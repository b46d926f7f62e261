// MFC's window side (include win/afx.h): CWnd with its per-thread permanent map, window
// creation and subclassing through AfxWndProc, message maps with MFC's handler prototypes,
// the thread state's last sent message, CFrameWnd's stay-active flag.
//
// A CWnd in the permanent map of the thread owning its window receives that window's
// messages through AfxWndProc: WindowProc runs OnWndMsg (the message maps, most derived
// first), and what no map handles goes to DefWindowProc, which calls the procedure that
// was there before (*GetSuperWndProcAddr()), else the system DefWindowProcW. While a
// message is being handled, the thread state's m_lastSentMsg holds it, so Default() can
// pass it on unchanged.
#pragma once
#ifndef KX2_AFX_INCLUDED
#error "include win/afx.h"
#endif

#include "win/types.h"
#include "win/user.h"

#ifndef KX2_AFX_API
#define KX2_AFX_API __attribute__((visibility("default")))
#endif

class CWnd;
class CMenu;
class CScrollBar;

// ---- Message maps --------------------------------------------------------------------------
// One entry: the message (or the variable holding a registered message's number), the
// command or notification code and id range for WM_COMMAND and WM_NOTIFY, and a thunk that
// cracks the parameters and calls the handler. A thunk answers the message's result.
typedef LRESULT (*AFX_PMSGTHUNK)(CWnd* target, WPARAM wParam, LPARAM lParam);
struct KX2_API AFX_MSGMAP_ENTRY {
  UINT nMessage;
  UINT nCode;
  UINT nID;
  UINT nLastID;
  const UINT* pnRegistered;  // ON_REGISTERED_MESSAGE: the variable, read at dispatch
  AFX_PMSGTHUNK pfn;         // null ends the map
};
struct KX2_API AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                      \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
    using ThisClass [[maybe_unused]] = theClass;                                    \
    using TheBaseClass = baseClass;                                                 \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                       \
  { 0, 0, 0, 0, nullptr, nullptr }                                                              \
  }                                                                                             \
  ;                                                                                             \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                           \
  }

// The thread's record of the message being handled (m_lastSentMsg) and its CBT hook.
struct KX2_AFX_API AFX_THREAD_STATE {
  MSG m_lastSentMsg{};
  HHOOK m_hHookOldCbtFilter = nullptr;
  CWnd* m_pWndInit = nullptr;  // the CWnd whose window CreateEx is making
};
KX2_AFX_API AFX_THREAD_STATE* AfxGetThreadState();

// CWnd::m_nFlags
#define WF_STAYACTIVE 0x0020  // a frame that keeps looking active (popup menus, floating bars)

// What an ON_WM_CTLCOLOR entry receives for any WM_CTLCOLOR* message.
struct KX2_API AFX_CTLCOLOR {
  HWND hWnd;
  HDC hDC;
  UINT nCtlType;
};

// WM_CTLCOLOR's nCtlColor
#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6

class KX2_AFX_API CWnd : public CCmdTarget {
  DECLARE_DYNAMIC(CWnd)
 public:
  CWnd() = default;
  explicit CWnd(HWND hwnd) : m_hWnd(hwnd) {}
  // Destroys a window still attached to this object.
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The permanent object of a window of this thread, else a temporary one kept until
  // DeleteTempMap (null for a null handle).
  static CWnd* FromHandle(HWND hwnd);
  static CWnd* FromHandlePermanent(HWND hwnd);
  static void DeleteTempMap();

  // Enters the window in this thread's permanent map; fails when it already has an object.
  BOOL Attach(HWND hwnd);
  HWND Detach();
  // Attaches and puts AfxWndProc in the window; the procedure found there becomes
  // *GetSuperWndProcAddr().
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  // Puts the saved procedure back and detaches.
  HWND UnsubclassWindow();

  virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
  // The window is attached and subclassed from its HCBT_CREATEWND on, so this object
  // receives WM_NCCREATE and WM_CREATE.
  virtual BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                        int height, HWND parent, HMENU idOrMenu, LPVOID param = nullptr);
  BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                UINT id, LPVOID param = nullptr);
  virtual BOOL Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  virtual BOOL DestroyWindow();

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The message maps, most derived first; TRUE with *result when a handler took it.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual WNDPROC* GetSuperWndProcAddr();
  virtual void PostNcDestroy();
  virtual BOOL IsFrameWnd() const;
  // The message being handled, passed on unchanged to DefWindowProc.
  LRESULT Default();

  // Colours a control grey (background of hbrGray, text clrText, or COLOR_WINDOWTEXT for
  // -1); edits, list boxes and message boxes keep their own colours (FALSE).
  static BOOL GrayCtlColor(HDC dc, HWND hwnd, UINT ctlColor, HBRUSH hbrGray, COLORREF clrText);

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }  // NOLINT: MFC's conversion
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  CWnd* GetParent() const;
  CWnd* GetOwner() const;
  CWnd* GetTopLevelParent() const;
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
  BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
  void GetWindowRect(LPRECT rect) const;
  void GetClientRect(LPRECT rect) const;
  void ClientToScreen(LPPOINT point) const;
  void ScreenToClient(LPPOINT point) const;
  BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
  BOOL ShowWindow(int command);
  BOOL IsWindowVisible() const;
  BOOL IsWindowEnabled() const;
  BOOL EnableWindow(BOOL enable = TRUE);
  void SetWindowText(LPCWSTR text);
  int GetWindowText(LPWSTR buffer, int max) const;
  int GetDlgCtrlID() const;
  CWnd* GetDlgItem(int id) const;
  CWnd* SetFocus();
  static CWnd* GetFocus();
  CWnd* SetCapture();
  static CWnd* GetCapture();
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc);
  BOOL KillTimer(UINT_PTR id);

  HWND m_hWnd = nullptr;
  UINT m_nFlags = 0;
  WNDPROC m_pfnSuper = nullptr;

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // The base handlers: each passes its message on unchanged (Default()), so that a
  // derived handler can end with its base class's.
  int OnCreate(LPCREATESTRUCTW cs);
  BOOL OnNcCreate(LPCREATESTRUCTW cs);
  void OnDestroy();
  void OnNcDestroy();
  void OnClose();
  void OnPaint();
  void OnNcPaint();
  BOOL OnEraseBkgnd(class CDC* dc);
  void OnNcCalcSize(BOOL calcValidRects, NCCALCSIZE_PARAMS* params);
  LRESULT OnNcHitTest(CPoint point);
  BOOL OnNcActivate(BOOL active);
  void OnActivate(UINT state, CWnd* other, BOOL minimized);
  void OnActivateApp(BOOL active, DWORD threadId);
  int OnMouseActivate(CWnd* desktop, UINT hitTest, UINT message);
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
  void OnSetFocus(CWnd* oldWnd);
  void OnKillFocus(CWnd* newWnd);
  void OnCaptureChanged(CWnd* wnd);
  void OnEnable(BOOL enable);
  void OnShowWindow(BOOL show, UINT status);
  void OnSize(UINT type, int cx, int cy);
  void OnMove(int x, int y);
  void OnWindowPosChanging(WINDOWPOS* pos);
  void OnWindowPosChanged(WINDOWPOS* pos);
  void OnGetMinMaxInfo(MINMAXINFO* info);
  void OnStyleChanging(int type, STYLESTRUCT* styles);
  void OnStyleChanged(int type, STYLESTRUCT* styles);
  void OnSysCommand(UINT id, LPARAM lParam);
  void OnTimer(UINT_PTR id);
  void OnCancelMode();
  void OnSysColorChange();
  void OnSettingChange(UINT flags, LPCWSTR section);
  LRESULT OnThemeChanged();
  HBRUSH OnCtlColor(class CDC* dc, CWnd* wnd, UINT ctlColor);
  void OnContextMenu(CWnd* wnd, CPoint point);
  void OnHScroll(UINT code, UINT pos, CScrollBar* bar);
  void OnVScroll(UINT code, UINT pos, CScrollBar* bar);
  void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sysMenu);
  void OnMenuSelect(UINT item, UINT flags, HMENU menu);
  void OnKeyDown(UINT key, UINT repeat, UINT flags);
  void OnKeyUp(UINT key, UINT repeat, UINT flags);
  void OnChar(UINT key, UINT repeat, UINT flags);
  void OnSysKeyDown(UINT key, UINT repeat, UINT flags);
  void OnSysKeyUp(UINT key, UINT repeat, UINT flags);
  void OnSysChar(UINT key, UINT repeat, UINT flags);
  void OnMouseMove(UINT flags, CPoint point);
  void OnLButtonDown(UINT flags, CPoint point);
  void OnLButtonUp(UINT flags, CPoint point);
  void OnLButtonDblClk(UINT flags, CPoint point);
  void OnRButtonDown(UINT flags, CPoint point);
  void OnRButtonUp(UINT flags, CPoint point);
  void OnRButtonDblClk(UINT flags, CPoint point);
  void OnMButtonDown(UINT flags, CPoint point);
  void OnMButtonUp(UINT flags, CPoint point);
  void OnNcMouseMove(UINT hitTest, CPoint point);
  void OnNcLButtonDown(UINT hitTest, CPoint point);
  void OnNcLButtonUp(UINT hitTest, CPoint point);
  void OnNcLButtonDblClk(UINT hitTest, CPoint point);
  void OnNcRButtonDown(UINT hitTest, CPoint point);
  void OnNcRButtonUp(UINT hitTest, CPoint point);
  void OnMouseLeave();
  void OnNcMouseLeave();
  void OnMouseHover(UINT flags, CPoint point);
  BOOL OnMouseWheel(UINT flags, short delta, CPoint point);

  friend LRESULT AfxCallWndProc(CWnd*, HWND, UINT, WPARAM, LPARAM);
};

// A top-level frame. A frame with WF_STAYACTIVE in m_nFlags keeps drawing itself active
// when deactivated, unless it is disabled.
class KX2_AFX_API CFrameWnd : public CWnd {
  DECLARE_DYNAMIC(CFrameWnd)
 public:
  BOOL IsFrameWnd() const override;
  DECLARE_MESSAGE_MAP()

 protected:
  BOOL OnNcActivate(BOOL active);
};

class KX2_AFX_API CScrollBar : public CWnd {};

// The window procedure of every CWnd window: finds the thread's permanent object and runs
// AfxCallWndProc; a window without one gets the system default.
KX2_AFX_API LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Runs one message through the object with the thread's last sent message set; after
// WM_NCDESTROY the object lets go of its window (PostNcDestroy).
KX2_AFX_API LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Registers the class unless the module has it already; TRUE when it exists afterwards.
KX2_AFX_API BOOL AfxRegisterClass(WNDCLASSW* wndClass);

#include "win/afx_msgmap.h"
#include "win/afx_dialog.h"

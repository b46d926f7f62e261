// The object that stands beside one skinned window: it keeps the window's previous
// procedure, may put the skin window procedure in its place, routes each message to its
// own handlers (the message maps of derived classes) or to the previous procedure, and
// puts the window back when it is detached.
//
// Two protocols between the framework and other code: a subclasser leaving a window sends
// the un-subclassing message (wParam its own procedure, lParam the one it saved) so that a
// later subclasser can take the saved one over and answer 1; any window may answer the
// query-state message with non-zero to refuse skinning, asked at attach time (MFC windows)
// and again whenever it receives the update-state message.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include <win/afx.h>
#include <win/afx_dc.h>
#include <win/types.h>

#include "ornatex/export.h"

class CKtkSkinManager;
class CKtkSkinManagerClass;
class CKtkSkinManagerMetrics;
class CKtkSkinManagerSchema;

// The framework's registered messages ("WM_HOOKMANAGER_SINKREMOVED",
// "WM_SKINFRAMEWORK_UPDATESTATE", "WM_SKINFRAMEWORK_QUERYSTATE"), registered when the
// library loads.
ORNATEX_API extern UINT KtkWmSinkRemoved;
ORNATEX_API extern UINT KtkWmUpdateState;
ORNATEX_API extern UINT KtkWmQueryState;

// A default function recorded for one message being handled. Kind 0: default processing
// is the previous procedure (the only kind this system makes); kinds 1 to 5 carry a
// default function recorded by an import-table hook.
typedef LRESULT (*KTK_DEFAULT_PROC)(HWND, UINT, WPARAM, LPARAM, LPARAM userData);
struct DEFWINDOW_DESCRIPTIOR {
  KTK_DEFAULT_PROC pfnDefault;
  LPARAM userData;
  int kind;
  UINT message;
};

// Dialog kinds the manager gives skin objects of "#32770" windows.
#define KTK_DIALOG_KIND_WINDOW 1
#define KTK_DIALOG_KIND_DIALOG 2
#define KTK_DIALOG_KIND_PAGE 6

class ORNATEX_API CKtkSkinObject : public CWnd {
  DECLARE_DYNAMIC(CKtkSkinObject)

 public:
  CKtkSkinObject();
  // Clears the handle (the window is not this object's to destroy) and releases the own
  // schema.
  ~CKtkSkinObject() override;

  // The skin changed: the base refreshes its metrics.
  virtual void OnSkinChanged(BOOL wasEnabled, BOOL enabled);
  virtual void RefreshMetrics();
  // Asks an MFC window whether it refuses skinning; outside creation, refreshes metrics.
  virtual void OnHookAttached(const CREATESTRUCTW* cs, BOOL fromCreation);
  virtual void OnHookDetached(BOOL destroying);
  // TRUE with the result when the object handled the message (its message map); pass
  // messages and messages left to default-procedure time are not handled.
  virtual BOOL OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result);
  virtual BOOL OnHookDefWindowProc(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result);
  // TRUE when the message is left to default-procedure time (not WM_TIMER, and only for a
  // window whose previous procedure is not system code).
  virtual BOOL IsDefWindowProcMessage(UINT message);
  // The messages that always reach the previous procedure: WM_ACTIVATE, WM_SETCURSOR,
  // WM_NOTIFY and WM_COMMAND. The update-state message re-reads the opt-out first.
  virtual BOOL IsPassMessage(UINT message);

  WNDPROC* GetSuperWndProcAddr() override { return &m_pfnPrevious; }
  // The newest pending record's default: the previous procedure for kind 0 (or with no
  // record), the recorded function for kinds 1 to 5, else 0.
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Stands beside the window: reads its procedure and subclasses it when that procedure
  // is system code (or the class always subclasses).
  void Attach(HWND window, const CREATESTRUCTW* cs, BOOL fromCreation);
  void Subclass();
  // Leaves the window (the un-subclassing protocol; see the .cpp for when the previous
  // procedure is put back).
  void Detach(BOOL destroying);
  // The procedure in subclassed windows.
  static LRESULT SkinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The system's default procedure for the message, with a kind-0 record pending.
  LRESULT DefWindowProcWithRecord(UINT message, WPARAM wParam, LPARAM lParam);

  CKtkSkinManagerClass* GetSkinClass();
  CKtkSkinManagerSchema* GetSchema() const;
  CKtkSkinManagerMetrics* GetMetrics() const;
  // The skin's colour of a system-colour index (0 above 30); the colour manager's without
  // a skin.
  COLORREF GetSysColor(int index) const;
  // Not opted out, a window, and the manager enabled.
  BOOL IsSkinActive() const;
  // Takes one reference on a schema of the object's own (released at destruction).
  void SetOwnSchema(CKtkSkinManagerSchema* schema);
  size_t PendingCount() const;

  WNDPROC m_pfnPrevious = nullptr;
  CKtkSkinManager* m_pManager = nullptr;
  std::u16string m_skinClassName;
  BOOL m_bWindowsForms = FALSE;
  BOOL m_bOptedOut = FALSE;
  BOOL m_bUnicode = FALSE;
  BOOL m_bSystemProc = FALSE;
  BOOL m_bSubclassed = FALSE;
  BOOL m_bAlwaysSubclass = FALSE;
  int m_nDialogKind = KTK_DIALOG_KIND_WINDOW;  // read by the frame objects
  CKtkSkinManagerSchema* m_pOwnSchema = nullptr;

 protected:
  void PushRecord(UINT message);
  void PopRecord();

  mutable std::mutex m_lock;                     // guards the pending list
  std::vector<DEFWINDOW_DESCRIPTIOR> m_pending;  // newest last
};

// The device context of a paint handler: the context the message carried in wParam
// (WM_PRINTCLIENT, a WM_PAINT sent with one), else BeginPaint's (a failure raises MFC's
// resource exception); EndPaint at destruction when it began painting.
class ORNATEX_API CKtkSkinObjectPaintDC : public CDC {
 public:
  explicit CKtkSkinObjectPaintDC(CWnd* window);
  ~CKtkSkinObjectPaintDC() override;
  CKtkSkinObjectPaintDC(const CKtkSkinObjectPaintDC&) = delete;
  CKtkSkinObjectPaintDC& operator=(const CKtkSkinObjectPaintDC&) = delete;

  HWND m_hWnd;
  PAINTSTRUCT m_ps{};
  BOOL m_bBegan = FALSE;
};

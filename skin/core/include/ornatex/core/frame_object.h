// The skin object of a window's non-client area: it decides when the schema paints the
// frame, what room the client gets, which caption buttons exist, how the mouse hot-tracks
// and presses them, how hit tests answer, and drives the scroll bars that live in the
// frame. Every control's skin object derives from it.
#pragma once

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/core/skin_object.h"
#include "ornatex/export.h"
#include "ornatex/schema/frame_data.h"

// The frame's timers: hot tracking (50 ms) and the repaint after a z-order change.
#define KTK_FRAME_HOT_TIMER 2763
#define KTK_FRAME_REFRESH_TIMER 2765

class ORNATEX_API CKtkSkinObjectFrame : public CKtkSkinObject, public CKtkSkinFrameData {
  DECLARE_DYNCREATE(CKtkSkinObjectFrame)

 public:
  CKtkSkinObjectFrame();
  ~CKtkSkinObjectFrame() override;

  // What the schema reads of the frame.
  HWND FrameWindow() const override { return m_hWnd; }
  CKtkSkinManagerSchema* FrameSchema() override { return GetSchema(); }
  CKtkSkinManagerClass* FrameSkinClass() override { return GetSkinClass(); }

  // The brush the parent gives this window's background: its answer to the control-colour
  // message (1 to 30: the skin's brush of system colour answer - 1, Win32's rule; larger:
  // the brush itself); none or 0: the skin's window brush for edit and list-box messages,
  // its dialog brush otherwise.
  HBRUSH GetClientBrush(HDC dc) override;
  // The application frame lays its menu bar out; nothing here.
  virtual void UpdateMenuBar();
  virtual UINT GetCtlColorMessage();
  // Paints the whole non-client area (nothing while painting is suppressed).
  virtual void DrawFrame(HDC dc);
  virtual BOOL HandleSysCommand(UINT command, LPARAM lParam);
  // Hot tracking of caption buttons and scroll-bar pieces (screen coordinates).
  virtual BOOL HandleNcMouseMove(int x, int y);
  // The frame's own hit code of a screen point, 0 for none.
  virtual int HitTest(int x, int y);

  void OnSkinChanged(BOOL wasEnabled, BOOL enabled) override;
  void RefreshMetrics() override;
  void OnHookAttached(const CREATESTRUCTW* cs, BOOL fromCreation) override;
  void OnHookDetached(BOOL destroying) override;
  BOOL OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  BOOL OnHookDefWindowProc(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  BOOL IsPassMessage(UINT message) override;

  // Frame skinning: a manager that is enabled and covers frames.
  BOOL IsFrameSkinning() const;
  BOOL IsCaptioned() const;
  // Rebuilds the caption buttons when the styles differ from the last ones seen.
  void RebuildCaptionButtons();
  // Paints the frame now (the schema's) or, without frame skinning, asks for WM_NCPAINT.
  void RedrawFrame();
  // Makes the system recompute its frame without painting.
  void RefreshFrame();
  // Sets (or removes) the skin's window region for a size; nothing when the size is the
  // one the region was made for.
  void UpdateRegion(int width, int height);
  // Resizes a new or newly attached captioned top-level window so that its client keeps
  // its size inside the skin's borders, then shapes it.
  void FitToSkin();
  // Whether the window keeps the system's frame for flat scroll bars.
  BOOL HasFlatScrollBars() const;
  // Whether the corner between the bars is a sizing grip.
  BOOL IsSizeGripPresent() const;
  // The caption button under a point in window coordinates (enabled ones only when asked).
  CCaptionButton* ButtonAt(POINT windowPoint, BOOL enabledOnly) const;
  // A screen point in window coordinates.
  POINT ToWindow(int x, int y) const;

  int m_nPaintSuppression = 0;
  BOOL m_bRegionSet = FALSE;
  CKtkSkinObject* m_pMDIClient = nullptr;
  SIZE m_windowSize{0, 0};
  DWORD m_lastStyle = 0xFFFFFFFF;
  DWORD m_lastExStyle = 0xFFFFFFFF;
  UINT m_ctlColorMessage = 0x0136;  // WM_CTLCOLORDLG
  BOOL m_bAltDown = FALSE;
  BOOL m_bMakingRegion = FALSE;

 protected:
  // The message map's handlers.
  LRESULT OnNcPaintMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcCalcSizeMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcHitTestMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcMouseMoveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcMouseLeaveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcLButtonDownMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcRButtonUpMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnNcActivateMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetTextMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnStyleChangedMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnCreateMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnWindowPosChangingMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnWindowPosChangedMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetMinMaxInfoMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSysCommandMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnEraseBkgndMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSysKeyDownMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSysKeyUpMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetIconMessage(WPARAM wParam, LPARAM lParam);

  // Takes the mouse while the hot caption button is held; TRUE when released over it.
  BOOL RunPressLoop();
  // The control-colour handling shared by both hook operations.
  BOOL HandleCtlColor(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // A property page's background: the skin's tab body texture, else its dialog brush.
  HBRUSH PropertyPageBrush(CKtkSkinManagerMetrics* metrics);
  // Paints the scroll bars and the corner between them.
  void DrawScrollBars(HDC dc);
  // Scroll-bar piece under a window point: the bar, or null.
  ScrollBarPosInfo* BarAt(POINT windowPoint);

  DECLARE_MESSAGE_MAP()
};

// The frame objects' timer procedure: hot tracking ends when the pointer leaves the frame's
// buttons and bars; the z-order timer refreshes the frame once.
ORNATEX_API void CALLBACK KtkFrameTimer(HWND window, UINT message, UINT_PTR id, DWORD time);

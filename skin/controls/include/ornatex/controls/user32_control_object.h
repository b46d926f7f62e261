// The base of the skin objects of USER32's own controls (edits, list boxes) and of the
// common controls' heirs: the frame object's border and background, with the frame's own
// scroll bars kept in step with the control's range and position, which the control
// changes behind the frame's back when it scrolls itself.
#pragma once

#include <win/afx.h>
#include <win/types.h>
#include <win/user_scroll.h>

#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectUser32Control : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectUser32Control)

 public:
  // The message maps, then after a wheel turn (which the control handles itself) the bars.
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  // Redraws each shown frame bar whose range or position differs from the one last seen;
  // only below common controls 6.0, whose controls leave the frame's bars unpainted.
  virtual void RefreshScrollBars();

  // What each frame bar (horizontal, vertical) showed when last drawn here.
  SCROLLINFO m_lastScrollInfo[2]{};

 protected:
  // WM_VSCROLL, WM_HSCROLL, WM_KEYDOWN, WM_CHAR: the control first.
  LRESULT OnScrollingMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnWindowPosChangedControl(WPARAM wParam, LPARAM lParam);
  LRESULT OnEraseBkgndControl(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

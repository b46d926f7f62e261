// The skin object of scroll-bar controls ("ScrollBar", "ATL:ScrollBar", "TScrollBar"):
// the control keeps its range and position; the object paints it from the skin's
// "SCROLLBAR" parts, hot-tracks its pieces and runs the engine's tracking loop.
#pragma once

#include "ornatex/controls/scroll_bar_info.h"
#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectScrollBar : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectScrollBar)

 public:
  CKtkSkinObjectScrollBar();

  // Paints the whole control into the DC (through a buffer over the client area).
  void DrawScrollBar(HDC dc);
  // A size box or size grip (SBS_SIZEBOX, SBS_SIZEGRIP) rather than a bar.
  BOOL IsSizeBox() const;

  ScrollBarPosInfo m_info;

 protected:
  LRESULT OnCreateScrollBar(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaintScrollBar(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintClientScrollBar(WPARAM wParam, LPARAM lParam);
  LRESULT OnEnableScrollBar(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMoveScrollBar(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseLeaveScrollBar(WPARAM wParam, LPARAM lParam);
  LRESULT OnLButtonDownScrollBar(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetScrollInfo(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetPos(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetScrollInfo(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetFocusScrollBar(WPARAM wParam, LPARAM lParam);

  // The hot piece under a client point ((-1, -1): none), by the hot-tracking rule.
  void TrackHot(POINT client);
  // Draws now with a client DC when the window is visible.
  void DrawNow();

  DECLARE_MESSAGE_MAP()
};

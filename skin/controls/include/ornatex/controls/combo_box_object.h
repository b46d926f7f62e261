// The skin object of combo boxes ("COMBOBOX" theme class): a drop-down combo box paints
// itself into the object's buffer and the object draws the skin's border and drop button
// over it; a simple combo box gets the skin's edge around its edit field. The date-time
// picker's object derives from it.
#pragma once

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectComboBox : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectComboBox)

 public:
  CKtkSkinObjectComboBox();

  BOOL OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  // WM_CTLCOLORSTATIC for a disabled control or one whose edit field is read-only,
  // WM_CTLCOLOREDIT otherwise.
  UINT GetCtlColorMessage() override;
  // Paints the whole control into the DC, over its client rectangle.
  virtual void DrawComboBox(HDC dc);

  // The theme state of the box: disabled, pressed (dropped while the left button is down),
  // hot (the mouse inside or the capture held), normal.
  int BoxState() const;
  // The button's side: the left one for WS_EX_RIGHT.
  BOOL IsButtonLeft() const;

  BOOL m_bHot = FALSE;        // the mouse is inside the client area
  BOOL m_bSelfPaint = FALSE;  // the control is painting itself into the object's buffer

 protected:
  void DrawDropDown(HDC dc, const RECT& client);
  void DrawSimple(HDC dc, const RECT& client);
  // Sets the hot flag for a client point by the hot-tracking rule.
  void TrackHot(POINT point);

  LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintClientMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnEraseBkgndMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnCreateMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMoveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseLeaveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnDefaultThenInvalidate(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

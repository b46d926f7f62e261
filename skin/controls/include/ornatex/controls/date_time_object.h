// The skin objects of date-time pickers and month calendars. The picker prints itself into
// the object's buffer and gets the skin's combo box border, drop button and check box over
// it; both give their calendar the skin's colours.
#pragma once

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/controls/combo_box_object.h"
#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectDateTime : public CKtkSkinObjectComboBox {
  DECLARE_DYNCREATE(CKtkSkinObjectDateTime)

 public:
  CKtkSkinObjectDateTime();

  void OnSkinChanged(BOOL wasEnabled, BOOL enabled) override;
  // The frame's, then the drop-down calendar's colours from the skin.
  void RefreshMetrics() override;
  void DrawComboBox(HDC dc) override;
  // With a client edge and an image border: the skin's box part around the window;
  // otherwise the frame's border.
  void DrawFrame(HDC dc) override;

  // The common controls draw the border themselves (6.10 on, or 5.52 on in the 5 line)
  // unless the control asks for a client edge.
  BOOL IsModernBorder() const;
  // The theme state: disabled, hot (the mouse inside or the capture held), normal.
  int PickerState() const;

 protected:
  LRESULT OnCreateMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnLButtonDownMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

class ORNATEX_API CKtkSkinObjectMonthCal : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectMonthCal)

 public:
  CKtkSkinObjectMonthCal();

  // The frame's, then the calendar's colours from the skin.
  void RefreshMetrics() override;

 protected:
  LRESULT OnCreateMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

// Gives a calendar (through `message`: MCM_SETCOLOR to a month calendar, DTM_SETMCCOLOR to
// a date-time picker) its six colours: the skin's while `object` is skinned, the system's
// otherwise.
ORNATEX_API void KtkApplyCalendarColours(CKtkSkinObject* object, UINT message);

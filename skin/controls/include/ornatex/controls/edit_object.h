// The skin object of edits ("Edit", "SysIPAddress32", "msctls_hotkey32", "TEdit", "TMemo",
// "TRichEditViewer"): the control paints its text itself; the object gives it the skin's
// border (the "EDIT" parts), background brush and frame scroll bars.
#pragma once

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/controls/user32_control_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectEdit : public CKtkSkinObjectUser32Control {
  DECLARE_DYNCREATE(CKtkSkinObjectEdit)

 public:
  CKtkSkinObjectEdit();

  // WM_CTLCOLORSTATIC while disabled or read-only, WM_CTLCOLOREDIT otherwise.
  UINT GetCtlColorMessage() override;
  // The frame's border, leaving alone a 2-pixel strip that the next window in z-order (a
  // spin button beside its buddy) lays over the edit's edge.
  void DrawFrame(HDC dc) override;
};

// The skin object of list boxes ("ListBox", the drop-down list of combo boxes "ComboLBox",
// "TListBox"): the control paints its items; the object gives it the skin's border (the
// "LISTBOX" parts), its window brush and frame scroll bars.
#pragma once

#include <win/afx.h>

#include "ornatex/controls/user32_control_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectListBox : public CKtkSkinObjectUser32Control {
  DECLARE_DYNCREATE(CKtkSkinObjectListBox)

 public:
  CKtkSkinObjectListBox();
};

// The base of the common controls' skin objects that paint themselves (list and tree
// views): the USER32 control base, whose frame bars the common controls keep painted
// themselves except on Windows 9x.
#pragma once

#include <win/afx.h>

#include "ornatex/controls/user32_control_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectComCtl32Control : public CKtkSkinObjectUser32Control {
  DECLARE_DYNCREATE(CKtkSkinObjectComCtl32Control)

 public:
  // The base's refresh on Windows 9x platforms only.
  void RefreshScrollBars() override;
};

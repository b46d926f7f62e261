#include "ornatex/controls/comctl32_control_object.h"

#include "ornatex/core/platform_version.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectComCtl32Control, CKtkSkinObjectUser32Control)

void CKtkSkinObjectComCtl32Control::RefreshScrollBars() {
  if (KtkIsWindows9x()) CKtkSkinObjectUser32Control::RefreshScrollBars();
}

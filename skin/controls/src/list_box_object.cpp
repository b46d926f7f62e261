#include "ornatex/controls/list_box_object.h"

#include <win/user.h>

IMPLEMENT_DYNCREATE(CKtkSkinObjectListBox, CKtkSkinObjectUser32Control)

CKtkSkinObjectListBox::CKtkSkinObjectListBox() {
  m_skinClassName = u"LISTBOX";
  m_ctlColorMessage = WM_CTLCOLORLISTBOX;
}

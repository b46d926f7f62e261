// The skin object of toolbars: every button drawn from the skin's "TOOLBAR" parts (the
// background by kind and state, the image from the list the state asks for, the text, the
// drop arrow) while the owner's custom-draw notifications keep working; toolbars inside the
// explorer's bands keep the system's look.
#pragma once

#include <string>
#include <unordered_map>

#include <win/afx.h>
#include <win/commctrl.h>
#include <win/types.h>

#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectToolBar : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectToolBar)

 public:
  CKtkSkinObjectToolBar();

  BOOL OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  // The parent is one of the explorer's bands, whose toolbars keep the system's look; asked
  // once.
  BOOL IsExplorerParent();
  // The tooltip's tool of every visible button follows the button's rectangle.
  void UpdateToolTipRects();
  void DrawToolBar(HDC dc, const RECT& client);
  // One button (index, the item's custom-draw record, already filled for it).
  void DrawButton(HDC dc, int index, NMTBCUSTOMDRAW& cd);
  // A button's text, whatever its length up to 32,768 units: the length is asked first and
  // the buffer made to hold it. The narrow form when the wide one is empty and the toolbar
  // speaks ANSI notifications.
  std::u16string ButtonText(int command) const;
  // The list's first image is a 32-bit image with alpha and the list draws no background
  // (asked once per list).
  BOOL IsAlphaImageList(HIMAGELIST list);

  int m_nExplorerParent = -1;  // -1 not yet known, 0, 1
  std::unordered_map<HIMAGELIST, BOOL> m_alphaLists;

 protected:
  // The image of a disabled button that has no disabled list: greyed by saturation where
  // the list has alpha and the common controls are 6.0 or later, else embossed.
  void DrawDisabledImage(HDC dc, HIMAGELIST list, int image, int x, int y);
  void DrawEmbossedImage(HDC dc, HIMAGELIST list, int image, int x, int y);

  LRESULT OnEraseBkgndMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintClientMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

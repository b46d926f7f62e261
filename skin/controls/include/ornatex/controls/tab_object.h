// The skin object of tab controls: the pane and every tab drawn from the skin's "TAB" parts
// (push buttons from "BUTTON" with TCS_BUTTONS), the selected tab last and larger, over its
// neighbours; owner-drawn tabs left to their owners after their background.
#pragma once

#include <string>

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectTab : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectTab)

 public:
  CKtkSkinObjectTab();

  BOOL OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  // The strip of tabs: the client rectangle cut at the selected tab.
  RECT StripRect() const;
  void DrawPane(HDC dc, const RECT& rect);
  void DrawItem(HDC dc, int index, int count, int selected);
  // The strip and its tabs (the pane under them first when asked).
  void DrawStrip(HDC dc, BOOL paneFirst);

  int m_nHotItem = -1;

 protected:
  // The placement: 0 top, 2 bottom, 0x80 left, 0x82 right.
  DWORD Placement() const;
  // A tab's text, the wide form first and the narrow one when that fails.
  std::u16string ItemText(int index) const;

  LRESULT OnEraseBkgndMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMoveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseLeaveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintClientMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

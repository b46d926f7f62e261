// The skin object of trackbars: the channel, the thumb and the ticks drawn from the skin's
// "TRACKBAR" parts in the control's own layout, with the owner's custom-draw notifications
// in the order the control sends them, so that an owner sees one order, skinned or not.
#pragma once

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectTrackBar : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectTrackBar)

 public:
  CKtkSkinObjectTrackBar();

  BOOL OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  // The layout members below from the client rectangle (coordinates swapped when vertical).
  void Layout();
  // A position's pixel along the channel.
  int PositionToPixel(int position) const;
  void DrawTrackBar(HDC dc, const RECT& client);

  int m_nTickFrequency = 1;
  BOOL m_bThumbHot = FALSE;
  int m_nChannelLeft = 0, m_nThumbTop = 0, m_nChannelRight = 0, m_nThumbBottom = 0;
  int m_nThumbHalf = 0, m_nThumbLength = 0, m_nUsableWidth = 1;
  DWORD m_layoutStyle = 0;

 protected:
  void DrawTicks(HDC dc, int direction);
  void DrawThumb(HDC dc);
  // A rectangle of the horizontal layout on the device (swapped for a vertical bar).
  RECT Unflat(const RECT& flat) const;
  int ThumbSize(int length, int* half) const;

  LRESULT OnEraseBkgndMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetTicFreqMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMoveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseLeaveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintClientMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

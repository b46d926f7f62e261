// The skin objects of headers, list views and tree views, over the two generic bases of the
// system's controls. Headers are painted entirely by their objects, item by item; list and
// tree views paint themselves and only take the skin's window colours while it is on.
#pragma once

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/controls/comctl32_control_object.h"
#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

class ORNATEX_API CKtkSkinObjectListView : public CKtkSkinObjectComCtl32Control {
  DECLARE_DYNCREATE(CKtkSkinObjectListView)

 public:
  CKtkSkinObjectListView();
  // The skin's window and text colours while skinning is on, the system's otherwise.
  void OnSkinChanged(BOOL wasEnabled, BOOL enabled) override;

 protected:
  void ApplyColours(BOOL skinned);
  // On Windows 9x a frame bar's thumb scrolls the view itself; elsewhere the control does.
  LRESULT ThumbScroll(int bar, WPARAM wParam, LPARAM lParam);
  LRESULT OnCreateMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnHScrollMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnVScrollMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

class ORNATEX_API CKtkSkinObjectTreeView : public CKtkSkinObjectComCtl32Control {
  DECLARE_DYNCREATE(CKtkSkinObjectTreeView)

 public:
  CKtkSkinObjectTreeView();
  void OnSkinChanged(BOOL wasEnabled, BOOL enabled) override;

 protected:
  void ApplyColours(BOOL skinned, BOOL lines);
  LRESULT OnCreateMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

class ORNATEX_API CKtkSkinObjectHeader : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectHeader)

 public:
  CKtkSkinObjectHeader();

  BOOL OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  void DrawHeader(HDC dc, const RECT& client);

  BOOL m_bPressed = FALSE;
  int m_nHotItem = -1;

 protected:
  // One item's content: owner drawing, or image, sort arrow and text.
  void DrawItem(HDC dc, int index, RECT rect, int state);
  int HitItem(LPARAM lParam, UINT* flags);

  LRESULT OnLButtonDownMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnLButtonUpMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMoveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseLeaveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintClientMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

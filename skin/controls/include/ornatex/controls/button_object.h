// The skin object of buttons: push, default and split buttons, check boxes (two and three
// states), radio buttons and group boxes, drawn from the skin's "BUTTON" parts with their
// hot, pressed, checked and disabled states and their text or image laid out by the
// button's alignment styles. Owner-drawn buttons are left to their owners.
#pragma once

#include <win/afx.h>
#include <win/types.h>

#include "ornatex/core/frame_object.h"
#include "ornatex/export.h"

// Layout kinds of a button's rectangles.
enum KtkButtonLayout {
  KTK_BUTTON_LAYOUT_NONE = 0,
  KTK_BUTTON_LAYOUT_CHECK_GLYPH = 1,
  KTK_BUTTON_LAYOUT_RADIO_GLYPH = 2,
  KTK_BUTTON_LAYOUT_CHECK_TEXT = 3,
  KTK_BUTTON_LAYOUT_RADIO_TEXT = 4,
  KTK_BUTTON_LAYOUT_GROUP_CAPTION = 5,
  KTK_BUTTON_LAYOUT_GROUP_FRAME = 6,
  KTK_BUTTON_LAYOUT_PUSH_CONTENT = 7,
};

class ORNATEX_API CKtkSkinObjectButton : public CKtkSkinObjectFrame {
  DECLARE_DYNCREATE(CKtkSkinObjectButton)

 public:
  CKtkSkinObjectButton();

  // The stored type unless it is 255, else the window style's BS_TYPEMASK bits.
  int GetButtonType() const;
  BOOL IsPushLike() const;
  // Owner-drawn buttons and types 14 and above belong to the control alone.
  BOOL IsLeftToControl() const;
  // BS_LEFT, BS_RIGHT or BS_CENTER; BS_TOP, BS_BOTTOM or BS_VCENTER (defaults filled in).
  DWORD HorizontalAlignment() const;
  DWORD VerticalAlignment() const;
  // The layout kind of the button's content (push-like buttons: 7).
  int LayoutKind() const;
  // The rectangle of a layout kind in client coordinates.
  RECT LayoutRect(HDC dc, int kind) const;

  // Paints the whole button into the DC (a buffer unless the parent's background is hollow
  // or the button is a plain group box).
  virtual void DrawButton(HDC dc, const RECT& client);

  void OnSkinChanged(BOOL wasEnabled, BOOL enabled) override;
  BOOL OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  BOOL OnHookDefWindowProc(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) override;
  BOOL IsDefWindowProcMessage(UINT message) override;

  BOOL m_bHot = FALSE;
  BOOL m_bPushed = FALSE;
  BYTE m_nExplicitType = 255;

 protected:
  // Draws the parts, then the text or image, then the focus cue, into a DC already set up.
  void DrawContent(HDC dc, const RECT& client);
  // Fills a group box's caption strip with the parent's background.
  void FillGroupCaption(HDC dc, RECT caption);
  void Invalidate();

  LRESULT OnEraseBkgndMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMoveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseLeaveMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnCreateMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnFocusMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPaintMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnPrintClientMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnDefaultThenInvalidate(WPARAM wParam, LPARAM lParam);
  LRESULT OnEnableMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnUpdateUiStateMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetStateMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetTextMessage(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

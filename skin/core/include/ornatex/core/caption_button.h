// One button of a skinned caption (close, maximise, restore, minimise, help): the system
// command it sends, the hit-test code it answers, the "WINDOW" part it is drawn with, and
// the rectangle the schema's caption layout gives it.
#pragma once

#include <win/gdi.h>
#include <win/types.h>

#include "ornatex/export.h"

class CKtkSkinFrameData;

class ORNATEX_API CCaptionButton {
 public:
  CCaptionButton(CKtkSkinFrameData* owner, UINT command, int hitCode, int part, BOOL enabled);

  // State 4 disabled, else 3 hot and pressed, 2 hot, 1 otherwise; 4 more when the window
  // is inactive. Hot: the owner's hot button while nothing else is pressed.
  int GetState(BOOL active) const;
  // Draws the part in its state into the button rectangle through the owner's "WINDOW"
  // class; nothing without a schema.
  void Draw(HDC dc, BOOL active);
  // In window coordinates; a maximised top-level window's buttons reach 2 pixels higher,
  // and its first (rightmost) button 2 pixels further right, to the screen's edge.
  BOOL HitTest(POINT windowPoint, BOOL maximizedTopLevel, BOOL first) const;

  UINT m_nCommand;
  CKtkSkinFrameData* m_pOwner;
  int m_nHitCode;
  int m_nPart;
  BOOL m_bEnabled;
  RECT m_rect{};
};

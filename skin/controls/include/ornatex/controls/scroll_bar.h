// The scroll-bar engine shared by a skinned frame's own bars and the scroll-bar control:
// geometry from the scroll information, hit tests, the modal mouse-tracking loop with
// auto-repeat and thumb dragging, and the scroll notifications.
#pragma once

#include <win/types.h>
#include <win/user_scroll.h>

#include "ornatex/controls/scroll_bar_info.h"
#include "ornatex/export.h"

class CKtkSkinFrameData;

// The bar of a kind: the control's client rectangle, or a frame bar beside the client area
// in window coordinates (the vertical one left of it for WS_EX_LEFTSCROLLBAR).
ORNATEX_API RECT KtkScrollBarRect(CKtkSkinFrameData* frame, int kind);
// Arrows, thumb and travel from the bar rectangle, the scroll information and the arrow
// size (the skin's arrow height for vertical bars, width for horizontal ones).
ORNATEX_API void KtkScrollBarLayoutFrom(ScrollBarPosInfo* info, const RECT& bar, const SCROLLINFO& scroll,
                                        int arrowSize);
// The rectangle of its kind, the window's scroll information, then the layout.
ORNATEX_API void KtkScrollBarLayout(CKtkSkinFrameData* frame, ScrollBarPosInfo* info);
// The piece under a point (coordinates of the bar's rectangle); 0 outside or not shown.
ORNATEX_API int KtkScrollBarHitTest(const ScrollBarPosInfo* info, POINT point);
// The position the thumb stands for when it starts at this pixel along the axis.
ORNATEX_API int KtkScrollBarPixelToPos(const ScrollBarPosInfo* info, int pixel);
// Paints the bar now through a buffer (the layout is read again unless a drag runs).
ORNATEX_API void KtkScrollBarRedraw(CKtkSkinFrameData* frame, ScrollBarPosInfo* info);
// A button went down on the bar: tracks the mouse in a modal loop until it is released,
// the capture goes or the loop is told to quit, sending WM_HSCROLL or WM_VSCROLL.
ORNATEX_API void KtkScrollBarStartTracking(CKtkSkinFrameData* frame, POINT point, ScrollBarPosInfo* info, BOOL shift);
// Ends a running loop (nothing without one): SB_THUMBPOSITION after a drag, then
// SB_ENDSCROLL.
ORNATEX_API void KtkScrollBarEndTracking(CKtkSkinFrameData* frame);

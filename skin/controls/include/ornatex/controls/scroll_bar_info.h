// The records of the scroll-bar engine: where a bar's pieces lie (one per bar, kept by the
// object that shows it) and what one running mouse-tracking loop knows.
#pragma once

#include <win/types.h>

// Bar kinds.
#define KTK_SB_HORZ 0
#define KTK_SB_VERT 1
#define KTK_SB_CTL 2

// Hit codes of a bar's pieces.
#define KTK_SBHT_FIRSTARROW 60
#define KTK_SBHT_SECONDARROW 61
#define KTK_SBHT_PAGEBEFORE 62
#define KTK_SBHT_PAGEAFTER 63
#define KTK_SBHT_THUMB 64

// Tracking commands besides SB_LINEUP .. SB_PAGEDOWN.
#define KTK_SB_THUMBDRAG 4
#define KTK_SB_NOCOMMAND (-1)

// The auto-repeat timer of a tracking loop.
#define KTK_SB_REPEAT_TIMER 0xFA45

// Along the axis: top and bottom of a vertical bar, left and right of a horizontal one.
struct ScrollBarPosInfo {
  int32_t nMin = 0;
  int32_t nMax = 0;
  int32_t nPage = 0;
  int32_t nPos = 0;
  int32_t nStart = 0;  // the bar along its axis
  int32_t nEnd = 0;
  int32_t nAcrossStart = 0;  // the bar across its axis
  int32_t nAcrossEnd = 0;
  int32_t nThumbLength = 0;
  int32_t nFirstArrowEnd = 0;
  int32_t nSecondArrowStart = 0;
  int32_t nDragStartThumb = 0;
  int32_t nThumbEnd = 0;
  int32_t nThumbStart = 0;
  int32_t nTravelLength = 0;  // pixels over which the thumb moves
  int32_t nTravelStart = 0;
  RECT rcBar{};
  int32_t nHitCode = 0;  // the piece hot or pressed, 0 for none
  BOOL bVertical = FALSE;
  int32_t nKind = 0;
  BOOL bShown = FALSE;
};

struct ScrollBarTrackInfo {
  BOOL bPointerInside = FALSE;
  BOOL bVertical = FALSE;
  RECT rcTrack{};
  int nCommand = KTK_SB_NOCOMMAND;
  UINT_PTR nTimer = 0;
  int nGrabOffset = 0;
  int nLastThumb = 0;
  int nTrackPos = 0;
  int nPointerPos = 0;
  HWND hwndControl = nullptr;  // the scroll-bar control; null for a frame's bar
  HWND hwndTarget = nullptr;   // receives the notifications; cleared when tracking ends
  int nKind = 0;
  BOOL bNonClient = FALSE;  // points are relative to the window, not its client area
  BOOL bDragging = FALSE;
  ScrollBarPosInfo* pPosInfo = nullptr;
};

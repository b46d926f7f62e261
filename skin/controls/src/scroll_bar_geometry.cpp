// Where a scroll bar's arrows, thumb and travel lie, what is under a point, and which
// position a thumb pixel stands for.
#include <algorithm>

#include <win/nls.h>
#include <win/user_rect.h>
#include <win/user_system.h>
#include <win/user_window.h>

#include "ornatex/controls/scroll_bar.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/schema/frame_data.h"
#include "ornatex/schema/schema.h"

namespace {

struct BarSizes {
  int vScrollWidth, hScrollHeight, vArrow, hArrow;
};

// From the skin when one is loaded, else the system's.
BarSizes SizesOf(CKtkSkinFrameData* frame) {
  if (CKtkSkinManagerSchema* schema = frame->FrameSchema()) {
    const CKtkSkinManagerMetrics& m = *schema->m_metrics;
    return BarSizes{m.m_cxVScroll, m.m_cyHScroll, m.m_cyVScroll, m.m_cxHScroll};
  }
  return BarSizes{GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL), GetSystemMetrics(SM_CYVSCROLL),
                  GetSystemMetrics(SM_CXHSCROLL)};
}

}  // namespace

RECT KtkScrollBarRect(CKtkSkinFrameData* frame, int kind) {
  const HWND window = frame->FrameWindow();
  RECT client{};
  GetClientRect(window, &client);
  if (kind == KTK_SB_CTL) return client;
  // The client area in window coordinates.
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  RECT box{};
  GetWindowRect(window, &box);
  OffsetRect(&client, origin.x - box.left, origin.y - box.top);
  const BarSizes sizes = SizesOf(frame);
  if (kind == KTK_SB_VERT) {
    const bool left = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
    const LONG x = left ? client.left - sizes.vScrollWidth : client.right;
    return RECT{x, client.top, x + sizes.vScrollWidth, client.bottom};
  }
  return RECT{client.left, client.bottom, client.right, client.bottom + sizes.hScrollHeight};
}

void KtkScrollBarLayoutFrom(ScrollBarPosInfo* info, const RECT& bar, const SCROLLINFO& scroll, int arrowSize) {
  info->rcBar = bar;
  info->nMin = scroll.nMin;
  info->nMax = scroll.nMax;
  info->nPage = static_cast<int32_t>(scroll.nPage);
  info->nPos = scroll.nPos;
  const bool vertical = info->bVertical != FALSE;
  info->nStart = vertical ? bar.top : bar.left;
  info->nEnd = vertical ? bar.bottom : bar.right;
  info->nAcrossStart = vertical ? bar.left : bar.top;
  info->nAcrossEnd = vertical ? bar.right : bar.bottom;
  const int start = info->nStart, end = info->nEnd;
  const int a = std::min((end - start) / 2, arrowSize);
  info->nFirstArrowEnd = start + a;
  info->nSecondArrowStart = end - a;
  int thumb = arrowSize;
  const int range = info->nMax + 1 - info->nMin;
  if (info->nPage != 0 && range != 0) {
    thumb = MulDiv(end - start - 2 * a, info->nPage, range);
    thumb = std::max(thumb, std::max(arrowSize / 2, 16));
  }
  info->nThumbLength = thumb;
  info->nTravelStart = start + a;
  info->nTravelLength = std::max(end - (info->nTravelStart + a + thumb), 0);
  const int page = std::max(info->nPage, 1);
  // A page that covers the whole range (or more, from an owner that kept no rule) leaves
  // the thumb nowhere to go.
  if (range <= page) {
    info->nThumbStart = info->nTravelStart - 1;
    info->nThumbEnd = info->nTravelStart + thumb - 1;
  } else {
    info->nThumbStart = info->nTravelStart + MulDiv(info->nPos - info->nMin, info->nTravelLength, range - page);
    info->nThumbEnd = info->nThumbStart + thumb;
  }
}

void KtkScrollBarLayout(CKtkSkinFrameData* frame, ScrollBarPosInfo* info) {
  const RECT bar = KtkScrollBarRect(frame, info->nKind);
  SCROLLINFO scroll{};
  scroll.cbSize = sizeof scroll;
  scroll.fMask = SIF_ALL;
  if (!GetScrollInfo(frame->FrameWindow(), info->nKind, &scroll)) scroll = SCROLLINFO{sizeof scroll, 0, 0, 0, 0, 0, 0};
  const BarSizes sizes = SizesOf(frame);
  KtkScrollBarLayoutFrom(info, bar, scroll, info->bVertical ? sizes.vArrow : sizes.hArrow);
}

int KtkScrollBarHitTest(const ScrollBarPosInfo* info, POINT point) {
  if (!info->bShown || !PtInRect(&info->rcBar, point)) return 0;
  const int c = info->bVertical ? point.y : point.x;
  if (c < info->nFirstArrowEnd) return KTK_SBHT_FIRSTARROW;
  if (c >= info->nSecondArrowStart) return KTK_SBHT_SECONDARROW;
  if (c < info->nThumbStart) return KTK_SBHT_PAGEBEFORE;
  if (c < info->nThumbEnd) return KTK_SBHT_THUMB;
  return KTK_SBHT_PAGEAFTER;
}

int KtkScrollBarPixelToPos(const ScrollBarPosInfo* info, int pixel) {
  if (pixel < info->nTravelStart) return info->nMin;
  if (pixel < info->nTravelStart + info->nTravelLength) {
    if (info->nTravelLength == 0) return info->nMin - 1;
    const int span = info->nMax - info->nMin - (info->nPage != 0 ? info->nPage - 1 : 0);
    return info->nMin + MulDiv(span, pixel - info->nTravelStart, info->nTravelLength);
  }
  return info->nPage != 0 ? info->nMax - info->nPage + 1 : info->nMax;
}

// Painting a whole scroll bar from the skin's "SCROLLBAR" parts.
#include <win/user_window.h>

#include "ornatex/controls/scroll_bar_info.h"
#include "ornatex/schema/frame_data.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"

namespace {

enum : int {
  kPartArrow = 1,
  kPartThumbHorz = 2,
  kPartThumbVert = 3,
  kPartTrackBeforeHorz = 4,
  kPartTrackAfterHorz = 5,
  kPartTrackBeforeVert = 6,
  kPartTrackAfterVert = 7,
  kPartGripperHorz = 8,
  kPartGripperVert = 9,
};
constexpr int kImageCount = 2401;

struct PieceStates {
  bool enabled;
  int pressed, hot;
  int Of(int code) const { return !enabled ? 4 : pressed == code ? 3 : hot == code ? 2 : 1; }
};

}  // namespace

void CKtkSkinManagerSchema::DrawScrollBar(HDC dc, CKtkSkinFrameData* frame, ScrollBarPosInfo* bar) {
  if (bar->nAcrossEnd - bar->nAcrossStart < 1) return;
  PieceStates states{};
  bool over = false;
  if (const ScrollBarTrackInfo* track = frame->m_pScrollTracking.get()) {
    const bool ours = track->pPosInfo == bar;
    states.pressed = ours && (track->bPointerInside || track->hwndControl) ? bar->nHitCode : 0;
    over = ours;
  } else {
    states.hot = bar->nHitCode;
    over = bar->nHitCode > 0;
  }
  if (HBRUSH brush = frame->GetClientBrush(dc)) FillRect(dc, &bar->rcBar, brush);
  states.enabled = bar->nMax - bar->nPage - bar->nMin + 1 > 0;
  if (bar->nKind == KTK_SB_CTL && !IsWindowEnabled(frame->FrameWindow())) states.enabled = false;
  CKtkSkinManagerClass* scrollClass = KtkSchemaClass(*this, u"SCROLLBAR");
  if (!scrollClass) return;
  const bool hover = scrollClass->GetInt(kPartArrow, 0, kImageCount, 16) == 20;

  int thumb = bar->nThumbEnd - bar->nThumbStart;
  int offset = bar->nThumbStart - bar->nFirstArrowEnd;
  if (!states.enabled || bar->nThumbEnd > bar->nSecondArrowStart) thumb = offset = 0;

  const bool vertical = bar->bVertical != FALSE;
  // A piece from a to b along the axis, across the whole bar.
  auto piece = [&](int a, int b) {
    return vertical ? RECT{bar->nAcrossStart, a, bar->nAcrossEnd, b} : RECT{a, bar->nAcrossStart, b, bar->nAcrossEnd};
  };
  auto draw = [&](int part, int state, const RECT& r) {
    if (r.right > r.left && r.bottom > r.top) scrollClass->DrawThemeBackground(dc, part, state, r);
  };
  // Arrow states: up 1-4, down 5-8, left 9-12, right 13-16; hover 17-20 in the same order.
  auto arrowState = [&](int base, int code, int hoverState) {
    if (!states.enabled) return base + 3;
    if (states.pressed == code) return base + 2;
    if (states.hot == code) return base + 1;
    return hover && over ? hoverState : base;
  };
  const int firstBase = vertical ? 1 : 9, secondBase = vertical ? 5 : 13;
  draw(kPartArrow, arrowState(firstBase, 60, vertical ? 17 : 19), piece(bar->nStart, bar->nFirstArrowEnd));
  draw(kPartArrow, arrowState(secondBase, 61, vertical ? 18 : 20), piece(bar->nSecondArrowStart, bar->nEnd));
  if (bar->nSecondArrowStart <= bar->nFirstArrowEnd) return;
  const int thumbStart = bar->nFirstArrowEnd + offset, thumbEnd = thumbStart + thumb;
  draw(vertical ? kPartTrackBeforeVert : kPartTrackBeforeHorz, states.Of(62), piece(bar->nFirstArrowEnd, thumbStart));
  if (thumb > 0) {
    draw(vertical ? kPartThumbVert : kPartThumbHorz, states.Of(64), piece(thumbStart, thumbEnd));
    if (thumb > (vertical ? 13 : 9))
      draw(vertical ? kPartGripperVert : kPartGripperHorz, states.Of(64), piece(thumbStart, thumbEnd));
  }
  draw(vertical ? kPartTrackAfterVert : kPartTrackAfterHorz, states.Of(63), piece(thumbEnd, bar->nSecondArrowStart));
}

#include "ornatex/controls/trackbar_object.h"

#include <algorithm>
#include <vector>

#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/nls.h>
#include <win/user.h>
#include <win/uxtheme.h>

#include "ornatex/controls/control_pattern.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/schema/skin_class.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectTrackBar, CKtkSkinObjectFrame)

namespace {

POINT PointOf(LPARAM lParam) { return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

}  // namespace

BEGIN_MESSAGE_MAP(CKtkSkinObjectTrackBar, CKtkSkinObjectFrame)
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMessage)
ON_MESSAGE(TBM_SETTICFREQ, OnSetTicFreqMessage)
ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMessage)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveMessage)
ON_MESSAGE(WM_PAINT, OnPaintMessage)
ON_MESSAGE(WM_PRINTCLIENT, OnPrintClientMessage)
END_MESSAGE_MAP()

CKtkSkinObjectTrackBar::CKtkSkinObjectTrackBar() { m_skinClassName = u"TRACKBAR"; }

BOOL CKtkSkinObjectTrackBar::OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (!IsSkinActive()) return FALSE;
  return CKtkSkinObjectFrame::OnHookMessage(message, wParam, lParam, result);
}

RECT CKtkSkinObjectTrackBar::Unflat(const RECT& r) const {
  if (!(m_layoutStyle & TBS_VERT)) return r;
  return RECT{r.top, r.left, r.bottom, r.right};
}

int CKtkSkinObjectTrackBar::ThumbSize(int length, int* half) const {
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  const int cxEdge = metrics ? metrics->m_cxEdge : ::GetSystemMetrics(SM_CXEDGE);
  length = std::max(length, 2 * cxEdge);
  *half = (length / 2) | 1;
  if (m_layoutStyle & TBS_ENABLESELRANGE) {
    if (m_layoutStyle & TBS_FIXEDLENGTH)
      *half = (length * 9 / 20) | 1;
    else
      length += (2 * *half) / 9;
  }
  return length;
}

void CKtkSkinObjectTrackBar::Layout() {
  m_layoutStyle = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const RECT r = Unflat(client);  // swapping is its own inverse
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  const int cxEdge = metrics ? metrics->m_cxEdge : ::GetSystemMetrics(SM_CXEDGE);
  const int cyEdge = metrics ? metrics->m_cyEdge : ::GetSystemMetrics(SM_CYEDGE);
  const int cyHScroll = metrics && metrics->m_cyHScroll ? metrics->m_cyHScroll : ::GetSystemMetrics(SM_CYHSCROLL);
  const int height = r.bottom - r.top;
  int length = 0, half = 0;
  if (m_layoutStyle & TBS_FIXEDLENGTH) {
    length = static_cast<int>(::SendMessageW(m_hWnd, TBM_GETTHUMBLENGTH, 0, 0));
  } else {
    length = 4 * cyHScroll / 3;
    if (2 * cxEdge < length && height < length) {
      length = (m_layoutStyle & TBS_ENABLESELRANGE) ? (3 * height - 9 * cyEdge) / 4 : height - 3 * cyEdge;
      length = ThumbSize(length, &half);
    }
  }
  length = ThumbSize(length, &half);
  const bool ticksAbove = (m_layoutStyle & (TBS_TOP | TBS_BOTH)) && !(m_layoutStyle & TBS_NOTICKS);
  const int t = r.top + (ticksAbove ? 8 : 0);
  m_nThumbLength = length;
  m_nThumbHalf = half;
  m_nThumbTop = t + 2;
  m_nThumbBottom = t + length + 2;
  m_nChannelLeft = r.left + half + 2;
  m_nChannelRight = r.right - half - 2;
  m_nUsableWidth = std::max(static_cast<int>(r.right - r.left) - 2 * half - 4, 1);
}

int CKtkSkinObjectTrackBar::PositionToPixel(int position) const {
  const int low = static_cast<int>(::SendMessageW(m_hWnd, TBM_GETRANGEMIN, 0, 0));
  const int high = static_cast<int>(::SendMessageW(m_hWnd, TBM_GETRANGEMAX, 0, 0));
  if (high <= low) return m_nChannelLeft;
  return m_nChannelLeft + ::MulDiv(position - low, std::max(m_nChannelRight - m_nChannelLeft - 1, 0), high - low);
}

void CKtkSkinObjectTrackBar::DrawTicks(HDC dc, int direction) {
  const bool vertical = (m_layoutStyle & TBS_VERT) != 0;
  COLORREF colour = GetSysColor(COLOR_BTNTEXT);
  if (CKtkSkinManagerClass* skin = GetSkinClass())
    colour = skin->GetColor(vertical ? TKP_TICSVERT : TKP_TICS, 1, TMT_COLOR, colour);
  HBRUSH brush = ::CreateSolidBrush(colour);
  const int y = direction > 0 ? m_nThumbBottom + 1 : m_nThumbTop - 1;
  auto tick = [&](int x, int row) {
    const RECT flat = direction > 0 ? RECT{x, row, x + 1, row + 3} : RECT{x, row - 3, x + 1, row};
    const RECT device = Unflat(flat);
    ::FillRect(dc, &device, brush);
  };
  for (int end : {m_nChannelLeft, m_nChannelRight - 1}) {
    tick(end, y);
    tick(end, y + direction);
  }
  // Between the ends: the control's own tick positions, one per frequency step already, so
  // every one of them is drawn; none for a frequency of 0. The count is the control's,
  // less the two ends: the array itself carries no size.
  const LRESULT count = ::SendMessageW(m_hWnd, TBM_GETNUMTICS, 0, 0) - 2;
  const auto* positions = reinterpret_cast<const DWORD*>(::SendMessageW(m_hWnd, TBM_GETPTICS, 0, 0));
  if (m_nTickFrequency > 0 && positions)
    for (LRESULT i = 0; i < count; ++i) tick(PositionToPixel(static_cast<int>(positions[i])), y);
  ::DeleteObject(brush);
  if (m_layoutStyle & TBS_ENABLESELRANGE) {
    const int start = static_cast<int>(::SendMessageW(m_hWnd, TBM_GETSELSTART, 0, 0));
    const int end = static_cast<int>(::SendMessageW(m_hWnd, TBM_GETSELEND, 0, 0));
    const int low = static_cast<int>(::SendMessageW(m_hWnd, TBM_GETRANGEMIN, 0, 0));
    if (start < end && end >= low) {
      HBRUSH text = ::CreateSolidBrush(GetSysColor(COLOR_BTNTEXT));
      for (int at : {PositionToPixel(start), PositionToPixel(end)}) {
        const RECT flat = direction > 0 ? RECT{at - 1, y, at + 2, y + 1} : RECT{at - 1, y - 1, at + 2, y};
        const RECT device = Unflat(flat);
        ::FillRect(dc, &device, text);
      }
      ::DeleteObject(text);
    }
  }
}

void CKtkSkinObjectTrackBar::DrawThumb(HDC dc) {
  if (m_layoutStyle & TBS_NOTHUMB) return;
  CKtkSkinManagerClass* skin = GetSkinClass();
  if (!skin) return;
  RECT thumb{};
  ::SendMessageW(m_hWnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const bool vertical = (m_layoutStyle & TBS_VERT) != 0;
  int part;
  if (m_layoutStyle & TBS_BOTH)
    part = vertical ? TKP_THUMBVERT : TKP_THUMB;
  else if (vertical)
    part = (m_layoutStyle & TBS_LEFT) ? TKP_THUMBLEFT : TKP_THUMBRIGHT;
  else
    part = (m_layoutStyle & TBS_TOP) ? TKP_THUMBTOP : TKP_THUMBBOTTOM;
  const int state = !::IsWindowEnabled(m_hWnd) ? TUS_DISABLED
                    : ::GetCapture() == m_hWnd ? TUS_PRESSED
                    : KtkShowsFocusCue(m_hWnd) ? TUS_FOCUSED
                    : m_bThumbHot              ? TUS_HOT
                                               : TUS_NORMAL;
  skin->DrawThemeBackground(dc, part, state, thumb);
}

void CKtkSkinObjectTrackBar::DrawTrackBar(HDC dc, const RECT& client) {
  CKtkBufferDC buffer(dc, client);
  HDC target = buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc;
  HWND parent = ::GetParent(m_hWnd);
  const UINT_PTR id = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
  auto notify = [&](DWORD stage, const RECT& rc, DWORD_PTR item) -> DWORD {
    NMCUSTOMDRAW cd{};
    cd.hdr.hwndFrom = m_hWnd;
    cd.hdr.idFrom = id;
    cd.hdr.code = NM_CUSTOMDRAW;
    cd.dwDrawStage = stage;
    cd.hdc = target;
    cd.rc = rc;
    cd.dwItemSpec = item;
    return parent ? static_cast<DWORD>(::SendMessageW(parent, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&cd))) : 0;
  };
  const DWORD prepaint = notify(CDDS_PREPAINT, client, 0);
  KtkFillControlBackground(this, target, client, WM_CTLCOLORSTATIC);
  if (KtkShowsFocusCue(m_hWnd)) {
    const COLORREF back = ::SetBkColor(target, GetSysColor(COLOR_BTNHIGHLIGHT));
    ::DrawFocusRect(target, &client);
    ::SetBkColor(target, back);
  }
  Layout();
  const bool items = (prepaint & CDRF_NOTIFYITEMDRAW) != 0;
  auto part = [&](DWORD_PTR item, const RECT& rc, auto&& draw) {
    const DWORD reply = items ? notify(CDDS_ITEMPREPAINT, rc, item) : 0;
    if (!(reply & CDRF_SKIPDEFAULT)) draw();
    if (items) notify(CDDS_ITEMPOSTPAINT, rc, item);
  };
  part(TBCD_TICS, client, [&] {
    if (m_layoutStyle & TBS_NOTICKS) return;
    if (!(m_layoutStyle & TBS_TOP) || (m_layoutStyle & TBS_BOTH)) DrawTicks(target, +1);
    if (m_layoutStyle & (TBS_TOP | TBS_BOTH)) DrawTicks(target, -1);
  });
  RECT channel{};
  ::SendMessageW(m_hWnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  channel = Unflat(channel);
  part(TBCD_CHANNEL, channel, [&] {
    if (CKtkSkinManagerClass* skin = GetSkinClass())
      skin->DrawThemeBackground(target, (m_layoutStyle & TBS_VERT) ? TKP_TRACKVERT : TKP_TRACK, 1, channel);
  });
  RECT thumb{};
  ::SendMessageW(m_hWnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  part(TBCD_THUMB, thumb, [&] { DrawThumb(target); });
  if (prepaint & CDRF_NOTIFYPOSTPAINT) notify(CDDS_POSTPAINT, client, 0);
}

LRESULT CKtkSkinObjectTrackBar::OnEraseBkgndMessage(WPARAM, LPARAM) { return 1; }

LRESULT CKtkSkinObjectTrackBar::OnSetTicFreqMessage(WPARAM wParam, LPARAM) {
  m_nTickFrequency = static_cast<int>(wParam);
  return Default();
}

LRESULT CKtkSkinObjectTrackBar::OnMouseMoveMessage(WPARAM, LPARAM lParam) {
  RECT thumb{};
  ::SendMessageW(m_hWnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  const POINT pt = PointOf(lParam);
  const BOOL hot = ::PtInRect(&thumb, pt);
  if (hot != m_bThumbHot) {
    m_bThumbHot = hot;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    if (hot) KtkTrackMouseLeave(m_hWnd);
  }
  return Default();
}

LRESULT CKtkSkinObjectTrackBar::OnMouseLeaveMessage(WPARAM, LPARAM) {
  if (m_bThumbHot) {
    m_bThumbHot = FALSE;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  return Default();
}

LRESULT CKtkSkinObjectTrackBar::OnPaintMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PAINT, wParam, lParam,
                        [this](HDC dc, const RECT& client) { DrawTrackBar(dc, client); });
}

LRESULT CKtkSkinObjectTrackBar::OnPrintClientMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PRINTCLIENT, wParam, lParam,
                        [this](HDC dc, const RECT& client) { DrawTrackBar(dc, client); });
}

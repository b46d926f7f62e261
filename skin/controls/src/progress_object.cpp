#include "ornatex/controls/progress_object.h"

#include <algorithm>

#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/nls.h>
#include <win/user.h>
#include <win/uxtheme.h>

#include "ornatex/controls/control_pattern.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/core/theme_wrapper.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/schema/skin_class.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectProgress, CKtkSkinObjectFrame)
IMPLEMENT_DYNCREATE(CKtkSkinObjectStatusBar, CKtkSkinObjectFrame)
IMPLEMENT_DYNCREATE(CKtkSkinObjectSpin, CKtkSkinObjectFrame)

namespace {

constexpr int kContinuousBlock = 40;  // the marquee block of a continuous skin
constexpr int kMarqueeChunks = 5;
constexpr int kContinuousStep = 8;

void FillWithSkinColour(CKtkSkinObject* object, HDC dc, const RECT& r, int index) {
  CKtkSkinManagerMetrics* metrics = object->GetMetrics();
  HBRUSH brush = metrics ? metrics->GetBrush(index) : nullptr;
  ::FillRect(dc, &r, brush ? brush : ::GetSysColorBrush(index));
}

POINT PointOf(LPARAM lParam) { return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

}  // namespace

// ---- Progress bar ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKtkSkinObjectProgress, CKtkSkinObjectFrame)
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMessage)
ON_MESSAGE(WM_CREATE, OnCreateMessage)
ON_MESSAGE(WM_PAINT, OnPaintMessage)
ON_MESSAGE(WM_PRINTCLIENT, OnPrintClientMessage)
ON_MESSAGE(PBM_SETPOS, OnSetPosMessage)
ON_MESSAGE(PBM_SETMARQUEE, OnSetMarqueeMessage)
ON_MESSAGE(PBM_STEPIT, OnStepItMessage)
ON_MESSAGE(WM_TIMER, OnTimerMessage)
END_MESSAGE_MAP()

CKtkSkinObjectProgress::CKtkSkinObjectProgress() { m_skinClassName = u"PROGRESS"; }

BOOL CKtkSkinObjectProgress::OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (!IsSkinActive()) return FALSE;
  return CKtkSkinObjectFrame::OnHookMessage(message, wParam, lParam, result);
}

RECT CKtkSkinObjectProgress::Content(const RECT& client, bool vertical) {
  RECT margins{0, 0, 0, 0};
  if (CKtkSkinManagerClass* skin = GetSkinClass())
    margins = skin->GetRect(vertical ? PP_BARVERT : PP_BAR, 0, TMT_SIZINGMARGINS, margins);
  return RECT{client.left + margins.left, client.top + margins.top, client.right - margins.right,
              client.bottom - margins.bottom};
}

void CKtkSkinObjectProgress::ChunkAndSpace(const RECT& content, bool vertical, int* chunk, int* space) {
  const int across = vertical ? content.right - content.left : content.bottom - content.top;
  CKtkSkinManagerClass* skin = GetSkinClass();
  // Both come from the skin: a negative value would make the chunk loop's step zero or
  // negative, so they count from 0.
  *chunk = std::max(skin ? skin->GetInt(0, 0, TMT_PROGRESSCHUNKSIZE, across * 2 / 3) : across * 2 / 3, 0);
  *space = std::max(skin ? skin->GetInt(0, 0, TMT_PROGRESSSPACESIZE, 2) : 2, 0);
}

void CKtkSkinObjectProgress::DrawChunk(HDC dc, const RECT& content, bool vertical, int from, int to) {
  if (to <= from) return;
  CKtkSkinManagerClass* skin = GetSkinClass();
  if (!skin) return;
  const RECT r = vertical ? RECT{content.left, content.bottom - to, content.right, content.bottom - from}
                          : RECT{content.left + from, content.top, content.left + to, content.bottom};
  skin->DrawThemeBackground(dc, vertical ? PP_CHUNKVERT : PP_CHUNK, 0, r);
}

void CKtkSkinObjectProgress::DrawProgress(HDC dc, const RECT& client) {
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  const bool vertical = (style & PBS_VERTICAL) != 0;
  FillWithSkinColour(this, dc, client, COLOR_BTNFACE);
  if (CKtkSkinManagerClass* skin = GetSkinClass())
    skin->DrawThemeBackground(dc, vertical ? PP_BARVERT : PP_BAR, 0, client);
  const RECT content = Content(client, vertical);
  const int length = vertical ? content.bottom - content.top : content.right - content.left;
  if (length <= 0) return;
  int chunk = 0, space = 0;
  ChunkAndSpace(content, vertical, &chunk, &space);
  const bool chunked = (chunk != 0 && chunk != 1) || space != 0;
  const int size = std::max(chunk, 1);

  if (style & PBS_MARQUEE) {
    const int start = m_nMarqueeOffset;
    if (chunked) {
      int at = start;
      for (int k = 0; k < kMarqueeChunks; ++k) {
        if (at >= length) at -= length;  // wraps to the content's start
        DrawChunk(dc, content, vertical, at, std::min(at + size, length));
        at += size + space;
      }
    } else {
      DrawChunk(dc, content, vertical, start, std::min(start + kContinuousBlock, length));
      if (start + kContinuousBlock > length) DrawChunk(dc, content, vertical, 0, start + kContinuousBlock - length);
    }
    return;
  }

  PBRANGE range{};
  ::SendMessageW(m_hWnd, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  const int position = static_cast<int>(::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0));
  // An empty range fills nothing (no division by its size).
  const int filled = range.iHigh > range.iLow
                         ? std::clamp(::MulDiv(length, position - range.iLow, range.iHigh - range.iLow), 0, length)
                         : 0;
  if (!chunked) {
    DrawChunk(dc, content, vertical, 0, filled);
    return;
  }
  const int count = (filled + space + size - 1) / (size + space);
  for (int i = 0; i < count; ++i) {
    const int from = i * (size + space);
    if (from >= length) break;
    int to = from + size;
    if (to >= length) to = length - 1;  // the chunk that meets the edge stops one pixel short of it
    DrawChunk(dc, content, vertical, from, to);
  }
}

void CKtkSkinObjectProgress::StepMarquee(int steps) {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  const bool vertical = (style & PBS_VERTICAL) != 0;
  const RECT content = Content(client, vertical);
  const int length = vertical ? content.bottom - content.top : content.right - content.left;
  int chunk = 0, space = 0;
  ChunkAndSpace(content, vertical, &chunk, &space);
  const int step = (chunk <= 1 && space == 0) ? kContinuousStep : std::max(chunk, 1) + space;
  for (int i = 0; i < steps; ++i) {
    m_nMarqueeOffset += step;
    if (length > 0 && m_nMarqueeOffset > length) m_nMarqueeOffset -= length;
  }
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CKtkSkinObjectProgress::UpdateStaticEdge(BOOL remove) {
  const LONG ex = ::GetWindowLongW(m_hWnd, GWL_EXSTYLE);
  const LONG wanted = remove ? (ex & ~static_cast<LONG>(WS_EX_STATICEDGE)) : (ex | WS_EX_STATICEDGE);
  if (wanted == ex) return;
  ::SetWindowLongW(m_hWnd, GWL_EXSTYLE, wanted);
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CKtkSkinObjectProgress::OnSkinChanged(BOOL wasEnabled, BOOL enabled) {
  CKtkSkinObjectFrame::OnSkinChanged(wasEnabled, enabled);
  CKtkWinThemeWrapper theme;
  UpdateStaticEdge(enabled || theme.IsThemeActive());
}

LRESULT CKtkSkinObjectProgress::OnEraseBkgndMessage(WPARAM, LPARAM) { return 1; }

LRESULT CKtkSkinObjectProgress::OnCreateMessage(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CKtkSkinObjectFrame::OnCreateMessage(wParam, lParam);
  if (m_pManager && m_pManager->m_enabled) UpdateStaticEdge(TRUE);
  return result;
}

LRESULT CKtkSkinObjectProgress::OnPaintMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PAINT, wParam, lParam, [this](HDC dc, const RECT& client) {
    CKtkBufferDC buffer(dc, client);
    DrawProgress(buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc, client);
  });
}

LRESULT CKtkSkinObjectProgress::OnPrintClientMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PRINTCLIENT, wParam, lParam, [this](HDC dc, const RECT& client) {
    CKtkBufferDC buffer(dc, client);
    DrawProgress(buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc, client);
  });
}

LRESULT CKtkSkinObjectProgress::OnSetPosMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  return result;
}

LRESULT CKtkSkinObjectProgress::OnSetMarqueeMessage(WPARAM wParam, LPARAM lParam) {
  m_nMarqueeOffset = 0;
  m_nMarqueeInterval = 0;
  if (!(::GetWindowLongW(m_hWnd, GWL_STYLE) & PBS_MARQUEE)) return Default();
  ::KillTimer(m_hWnd, KTK_PROGRESS_MARQUEE_TIMER);
  if (wParam && lParam > 0) {
    m_nMarqueeInterval = static_cast<int>(lParam);
    ::SetTimer(m_hWnd, KTK_PROGRESS_MARQUEE_TIMER, static_cast<UINT>(lParam), nullptr);
  }
  return 1;
}

LRESULT CKtkSkinObjectProgress::OnStepItMessage(WPARAM, LPARAM) {
  if (!(::GetWindowLongW(m_hWnd, GWL_STYLE) & PBS_MARQUEE)) return Default();
  StepMarquee(1);
  return 1;
}

LRESULT CKtkSkinObjectProgress::OnTimerMessage(WPARAM wParam, LPARAM) {
  if (wParam != KTK_PROGRESS_MARQUEE_TIMER || !(::GetWindowLongW(m_hWnd, GWL_STYLE) & PBS_MARQUEE)) return Default();
  StepMarquee(m_nMarqueeInterval <= 50 ? 2 : 1);
  return 0;
}

// ---- Status bar -----------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKtkSkinObjectStatusBar, CKtkSkinObjectFrame)
ON_MESSAGE(WM_CREATE, OnCreateMessage)
END_MESSAGE_MAP()

// "STATUSBAR" is not a class of the skin's table: nothing is drawn from it.
CKtkSkinObjectStatusBar::CKtkSkinObjectStatusBar() { m_skinClassName = u"STATUSBAR"; }

void CKtkSkinObjectStatusBar::RefreshMetrics() {
  CKtkSkinObjectFrame::RefreshMetrics();
  if (m_hWnd) ::PostMessageW(m_hWnd, WM_WININICHANGE, 0, 0);
}

LRESULT CKtkSkinObjectStatusBar::OnCreateMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  ::SendMessageW(m_hWnd, WM_WININICHANGE, 0, 0);
  return result;
}

// ---- Spin -----------------------------------------------------------------------------------

namespace {

constexpr DWORD kUdsAlignRight = 4, kUdsAlignLeft = 8, kUdsHorz = 0x40;

}  // namespace

BEGIN_MESSAGE_MAP(CKtkSkinObjectSpin, CKtkSkinObjectFrame)
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMessage)
ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownMessage)
ON_MESSAGE(WM_LBUTTONUP, OnLButtonUpMessage)
ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMessage)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveMessage)
ON_MESSAGE(WM_PAINT, OnPaintMessage)
ON_MESSAGE(WM_PRINTCLIENT, OnPrintClientMessage)
END_MESSAGE_MAP()

CKtkSkinObjectSpin::CKtkSkinObjectSpin() { m_skinClassName = u"SPIN"; }

BOOL CKtkSkinObjectSpin::OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (!IsSkinActive()) return FALSE;
  return CKtkSkinObjectFrame::OnHookMessage(message, wParam, lParam, result);
}

int CKtkSkinObjectSpin::HitArrow(POINT pt) const {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  if (!::PtInRect(&client, pt)) return 0;
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (::GetWindowLongW(m_hWnd, GWL_STYLE) & kUdsHorz) {
    const int x = pt.x - client.left;
    return 2 * x < width ? 1 : 2 * x > width ? 2 : 0;
  }
  const int y = pt.y - client.top;
  return 2 * y > height ? 1 : 2 * y < height ? 2 : 0;
}

BOOL CKtkSkinObjectSpin::IsArrowsEnabled() const {
  int low = 0, high = 0;
  ::SendMessageW(m_hWnd, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  if (low == high || !::IsWindowEnabled(m_hWnd)) return FALSE;
  HWND buddy = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, UDM_GETBUDDY, 0, 0));
  return !buddy || ::IsWindowEnabled(buddy);
}

int CKtkSkinObjectSpin::ArrowState(int code) const {
  if (!IsArrowsEnabled()) return 4;
  const int other = code == 1 ? 2 : 1;
  if (m_nPressedArrow == code) return m_nHotArrow == code ? 3 : 2;
  if (m_nHotArrow == code) return m_nPressedArrow == other ? 1 : 2;
  return 1;
}

void CKtkSkinObjectSpin::DrawSpin(HDC dc, const RECT& client) {
  CKtkBufferDC buffer(dc, client);
  HDC target = buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc;
  FillWithSkinColour(this, target, client, COLOR_BTNFACE);
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  RECT arrows = client;
  HWND buddy = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, UDM_GETBUDDY, 0, 0));
  if (buddy && (::GetWindowLongW(buddy, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)) {
    // Beside an edit with a sunken edge the spin takes the edit's window colour and border.
    FillWithSkinColour(this, target, client, COLOR_WINDOW);
    COLORREF border = GetSysColor(COLOR_WINDOWFRAME);
    if (CKtkSkinManagerClass* edit = m_pManager ? m_pManager->GetSkinClass(this, u"EDIT") : nullptr)
      border = edit->GetColor(0, 0, TMT_BORDERCOLOR, border);
    HBRUSH frame = ::CreateSolidBrush(border);
    ::FrameRect(target, &client, frame);
    ::DeleteObject(frame);
    const int height = client.bottom - client.top;
    if (style & (kUdsAlignRight | kUdsAlignLeft)) {
      const bool right = (style & kUdsAlignRight) != 0;
      const int x = right ? client.left : client.right - 1;
      const RECT line{x, client.top + 1, x + 1, client.top + 1 + std::max(height - 2, 0)};
      FillWithSkinColour(this, target, line, COLOR_WINDOW);
      if (right)
        arrows.right -= 1;
      else
        arrows.left += 1;
      arrows.top += 1;
      arrows.bottom -= 1;
    }
  }
  CKtkSkinManagerClass* skin = GetSkinClass();
  if (skin) {
    if (style & kUdsHorz) {
      const int mid = (arrows.left + arrows.right) / 2;
      skin->DrawThemeBackground(target, SPNP_DOWNHORZ, ArrowState(1),
                                RECT{arrows.left, arrows.top, mid, arrows.bottom});
      skin->DrawThemeBackground(target, SPNP_UPHORZ, ArrowState(2), RECT{mid, arrows.top, arrows.right, arrows.bottom});
    } else {
      const int mid = (arrows.top + arrows.bottom) / 2;
      skin->DrawThemeBackground(target, SPNP_UP, ArrowState(2), RECT{arrows.left, arrows.top, arrows.right, mid});
      skin->DrawThemeBackground(target, SPNP_DOWN, ArrowState(1), RECT{arrows.left, mid, arrows.right, arrows.bottom});
    }
  }
}

LRESULT CKtkSkinObjectSpin::OnEraseBkgndMessage(WPARAM, LPARAM) { return 1; }

LRESULT CKtkSkinObjectSpin::OnLButtonDownMessage(WPARAM, LPARAM lParam) {
  const LRESULT result = Default();
  if (const int code = HitArrow(PointOf(lParam))) {
    m_nPressedArrow = code;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  return result;
}

LRESULT CKtkSkinObjectSpin::OnLButtonUpMessage(WPARAM, LPARAM) {
  if (m_nPressedArrow) {
    m_nPressedArrow = 0;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  return Default();
}

LRESULT CKtkSkinObjectSpin::OnMouseMoveMessage(WPARAM, LPARAM lParam) {
  // The control does not see the move: the object keeps the hot arrow itself.
  const int hot = HitArrow(PointOf(lParam));
  if (hot != m_nHotArrow) {
    m_nHotArrow = hot;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
  }
  if (m_nHotArrow) KtkTrackMouseLeave(m_hWnd);
  return 0;
}

LRESULT CKtkSkinObjectSpin::OnMouseLeaveMessage(WPARAM, LPARAM) {
  return OnMouseMoveMessage(0, MAKELPARAM(static_cast<WORD>(-1), static_cast<WORD>(-1)));
}

LRESULT CKtkSkinObjectSpin::OnPaintMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PAINT, wParam, lParam, [this](HDC dc, const RECT& client) { DrawSpin(dc, client); });
}

LRESULT CKtkSkinObjectSpin::OnPrintClientMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PRINTCLIENT, wParam, lParam,
                        [this](HDC dc, const RECT& client) { DrawSpin(dc, client); });
}

// The scroll bars in a skinned frame: what the frame's hit test answers over them and over
// the corner between them, whether that corner is a sizing grip, and their painting.
#include <win/module.h>
#include <win/user.h>
#include <win/uxtheme.h>

#include "ornatex/controls/scroll_bar.h"
#include "ornatex/core/caption_button.h"
#include "ornatex/core/frame_object.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"

namespace {

constexpr int kFlatScrollBarStyle = 0x100;  // WSB_PROP_VSTYLE: answered only for flat bars

typedef BOOL (*FlatScrollPropFn)(HWND, int, LPINT);

}  // namespace

BOOL CKtkSkinObjectFrame::HasFlatScrollBars() const {
  // Bound by name: only a common-controls library with flat scroll bars answers.
  static const auto query = [] {
    HMODULE comctl = ::GetModuleHandleW(u"comctl32");
    return comctl ? reinterpret_cast<FlatScrollPropFn>(
                        reinterpret_cast<void*>(::GetProcAddress(comctl, "FlatSB_GetScrollProp")))
                  : nullptr;
  }();
  int value = 0;
  return query && query(m_hWnd, kFlatScrollBarStyle, &value);
}

BOOL CKtkSkinObjectFrame::IsSizeGripPresent() const {
  RECT frame{};
  ::GetWindowRect(m_hWnd, &frame);
  for (HWND w = m_hWnd; w;) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(w, GWL_STYLE));
    // A resizable captioned window is the one the grip sizes (a view in its frame's
    // corner); only a captioned window that cannot be sized ends the walk.
    if (style & WS_THICKFRAME) {
      if (style & WS_MAXIMIZE) return FALSE;
      RECT client{};
      ::GetClientRect(w, &client);
      POINT corner{client.right, client.bottom};
      ::ClientToScreen(w, &corner);
      const int size = ::GetSystemMetrics(SM_CXVSCROLL);
      return frame.right >= corner.x - size && frame.right <= corner.x + size && frame.bottom >= corner.y - size &&
             frame.bottom <= corner.y + size;
    }
    if (!(style & WS_CHILD) || (w != m_hWnd && (style & WS_CAPTION) == WS_CAPTION)) return FALSE;
    w = ::GetParent(w);
  }
  return FALSE;
}

ScrollBarPosInfo* CKtkSkinObjectFrame::BarAt(POINT windowPoint) {
  for (ScrollBarPosInfo& bar : m_scrollBars)
    if (bar.bShown && ::PtInRect(&bar.rcBar, windowPoint)) return &bar;
  return nullptr;
}

int CKtkSkinObjectFrame::HitTest(int x, int y) {
  const POINT p = ToWindow(x, y);
  const ScrollBarPosInfo& horz = m_scrollBars[KTK_SB_HORZ];
  const ScrollBarPosInfo& vert = m_scrollBars[KTK_SB_VERT];
  if (vert.bShown && ::PtInRect(&vert.rcBar, p)) return HTVSCROLL;
  if (horz.bShown && ::PtInRect(&horz.rcBar, p)) return HTHSCROLL;
  if (vert.bShown && horz.bShown) {
    const RECT corner{vert.rcBar.left, horz.rcBar.top, vert.rcBar.right, horz.rcBar.bottom};
    if (::PtInRect(&corner, p) && IsSizeGripPresent())
      return (::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) ? HTBOTTOMLEFT : HTBOTTOMRIGHT;
  }
  if (CCaptionButton* button = ButtonAt(p, TRUE)) return button->m_nHitCode;
  return 0;
}

void CKtkSkinObjectFrame::DrawScrollBars(HDC dc) {
  CKtkSkinManagerSchema* schema = GetSchema();
  if (!schema) return;
  for (ScrollBarPosInfo& bar : m_scrollBars) {
    if (!bar.bShown) continue;
    const bool dragging = m_pScrollTracking && m_pScrollTracking->bDragging && m_pScrollTracking->pPosInfo == &bar;
    if (!dragging) KtkScrollBarLayout(this, &bar);
    CKtkBufferDCEx buffer(dc, bar.rcBar);
    schema->DrawScrollBar(buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc, this, &bar);
  }
  const ScrollBarPosInfo& horz = m_scrollBars[KTK_SB_HORZ];
  const ScrollBarPosInfo& vert = m_scrollBars[KTK_SB_VERT];
  if (!horz.bShown || !vert.bShown) return;
  const RECT corner{vert.rcBar.left, horz.rcBar.top, vert.rcBar.right, horz.rcBar.bottom};
  HBRUSH brush = ::CreateSolidBrush(schema->GetSizeBoxColor());
  ::FillRect(dc, &corner, brush);
  ::DeleteObject(brush);
  if (IsSizeGripPresent())
    if (CKtkSkinManagerClass* scrollClass = KtkSchemaClass(*schema, u"SCROLLBAR"))
      scrollClass->DrawThemeBackground(dc, SBP_SIZEBOX, 1, corner);
}

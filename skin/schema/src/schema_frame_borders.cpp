// How wide a skinned frame's borders are for a window's styles.
#include <win/user_window.h>

#include "ornatex/core/api_hook.h"
#include "ornatex/schema/frame_data.h"
#include "ornatex/schema/schema.h"

int CKtkSkinManagerSchema::CountFrameBorders(DWORD style, DWORD exStyle, BOOL frame, BOOL clientEdge) const {
  int n = 0;
  if (frame) {
    n = (exStyle & WS_EX_WINDOWEDGE) ? 2 : (exStyle & WS_EX_STATICEDGE) ? 1 : 0;
    if ((style & (WS_BORDER | WS_DLGFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)) n += 1;
    if (style & WS_THICKFRAME) n += m_metrics->m_borderMultiplier;
  }
  if (clientEdge && (exStyle & WS_EX_CLIENTEDGE)) n += 2;
  return n;
}

RECT CKtkSkinManagerSchema::GetFrameBorders(DWORD style, DWORD exStyle) {
  const CKtkSkinManagerMetrics& m = *m_metrics;
  const bool caption = (style & WS_CAPTION) == WS_CAPTION;
  if (caption && (style & WS_MAXIMIZE) && !(style & WS_CHILD)) {
    // A maximised top-level window hangs its borders off the screen as the system's would.
    RECT adjusted{0, 0, 100, 100};
    KtkAdjustWindowRectEx(&adjusted, style, FALSE, exStyle);
    const LONG c = -adjusted.left;
    return RECT{c, m.m_cyCaption + c, c, c};
  }
  RECT borders{};
  if (caption) borders.top = (exStyle & WS_EX_TOOLWINDOW) ? m.m_cySmallCaption : m.m_cyCaption;
  const int n = CountFrameBorders(style, exStyle, TRUE, FALSE);
  borders.left += n * m.m_cxBorder;
  borders.right += n * m.m_cxBorder;
  borders.top += n * m.m_cyBorder;
  borders.bottom += n * m.m_cyBorder;
  if (exStyle & WS_EX_CLIENTEDGE) {
    borders.left += m.m_cxEdge;
    borders.right += m.m_cxEdge;
    borders.top += m.m_cyEdge;
    borders.bottom += m.m_cyEdge;
  }
  return borders;
}

RECT CKtkSkinManagerSchema::GetFrameBorders(CKtkSkinFrameData* frame) {
  const HWND window = frame->FrameWindow();
  return GetFrameBorders(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
                         static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
}

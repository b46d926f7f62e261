// Painting a skinned window's frame: plain frames and client edges, the edges and caption
// of a captioned window with its icon, buttons and title.
#include <algorithm>
#include <mutex>
#include <string>

#include <win/afx.h>
#include <win/gdi_text.h>
#include <win/nls.h>
#include <win/user_draw.h>
#include <win/user_message.h>
#include <win/user_system.h>
#include <win/user_window.h>
#include <win/userres.h>

#include "ornatex/core/caption_button.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/draw/dc_guards.h"
#include "ornatex/draw/draw_helpers.h"
#include "ornatex/schema/frame_data.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"
#include "ornatex/schema/skin_image.h"

namespace {

enum : int {
  kPartCaption = 1,
  kPartSmallCaption = 2,
  kPartMinCaption = 3,
  kPartMaxCaption = 5,
  kPartFrameLeft = 7,
  kPartFrameRight = 8,
  kPartFrameBottom = 9,
  kPartSmallFrameLeft = 10,
  kPartSmallFrameRight = 11,
  kPartSmallFrameBottom = 12,
  kPartCloseButton = 18,
};
enum : int {
  kImageCount = 2401,
  kImageFile = 3001,
  kImageFile1 = 3002,
  kBorderColor = 3801,
  kBgType = 4001,
  kImageLayout = 4011,
  kGlyphType = 4012,
  kImageSelectType = 4013,
};
constexpr COLORREF kNoColor = 0xFFFFFFFFu;
constexpr UINT kTitleFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
#ifndef IDI_WINLOGO
#define IDI_WINLOGO MAKEINTRESOURCEW(32517)
#endif

DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)); }
DWORD ExStyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)); }

void FrameOnePixel(HDC dc, const RECT& r, HBRUSH brush) {
  if (brush && r.right > r.left && r.bottom > r.top) FrameRect(dc, &r, brush);
}

void FrameOnePixel(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FrameOnePixel(dc, r, brush);
  DeleteObject(brush);
}

void Shrink(RECT& r, int by) { r = RECT{r.left + by, r.top + by, r.right - by, r.bottom - by}; }

RECT WindowBox(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return RECT{0, 0, r.right - r.left, r.bottom - r.top};
}

}  // namespace

void CKtkSkinManagerSchema::DrawClientEdge(HDC dc, RECT& rect, CKtkSkinFrameData* frame) {
  CKtkSkinManagerClass* own = frame ? frame->FrameSkinClass() : nullptr;
  if (own && own->GetEnum(0, 0, kBgType, 0) == 1) {
    const COLORREF border = own->GetColor(0, 0, kBorderColor, kNoColor);
    if (border != kNoColor) FrameOnePixel(dc, rect, border);
    Shrink(rect, 1);
    FrameOnePixel(dc, rect, frame->GetClientBrush(dc));
    Shrink(rect, 1);
    return;
  }
  const CKtkSkinManagerMetrics& m = *m_metrics;
  CDC* cdc = CDC::FromHandle(dc);
  cdc->Draw3dRect(&rect, m.m_shadow, m.m_highlight);
  Shrink(rect, 1);
  cdc->Draw3dRect(&rect, m.m_darkShadow, m.m_light);
  Shrink(rect, 1);
}

void CKtkSkinManagerSchema::DrawPlainFrame(HDC dc, RECT& rect, CKtkSkinFrameData* frame) {
  const HWND window = frame->FrameWindow();
  const DWORD style = StyleOf(window), exStyle = ExStyleOf(window);
  if (exStyle & WS_EX_WINDOWEDGE)
    DrawEdge(dc, &rect, EDGE_RAISED, BF_RECT | BF_ADJUST);
  else if (exStyle & WS_EX_STATICEDGE)
    DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  if ((style & (WS_BORDER | WS_DLGFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)) {
    const bool edged = (exStyle & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME)) ||
                       (style & WS_DLGFRAME);
    FrameOnePixel(dc, rect, GetMetricsColor(edged ? COLOR_BTNFACE : COLOR_WINDOWFRAME));
    Shrink(rect, 1);
  }
  if (style & WS_THICKFRAME) {
    const COLORREF face = GetMetricsColor(COLOR_BTNFACE);
    for (int i = 0; i < m_metrics->m_borderMultiplier; ++i) {
      FrameOnePixel(dc, rect, face);
      Shrink(rect, 1);
    }
  }
  if (exStyle & WS_EX_CLIENTEDGE) DrawClientEdge(dc, rect, frame);
}

SIZE CKtkSkinManagerSchema::GetCaptionButtonSize(CKtkSkinManagerClass* windowClass, int height) {
  const SIZE square{height, height};
  if (!windowClass || windowClass->GetEnum(kPartCloseButton, 1, kBgType, 0) != 0) return square;
  const int select = windowClass->GetEnum(kPartCloseButton, 1, kImageSelectType, 0);
  const int glyph = windowClass->GetEnum(kPartCloseButton, 1, kGlyphType, 0);
  std::u16string file = select == 0 || glyph != 0 ? windowClass->GetString(kPartCloseButton, 1, kImageFile)
                                                  : windowClass->GetString(kPartCloseButton, 1, kImageFile1);
  if (file.empty()) file = windowClass->GetString(kPartCloseButton, 1, kImageFile);
  CKtkSkinImage* image = windowClass->GetImage(file);
  if (!image) return square;
  const int count = std::max(windowClass->GetInt(kPartCloseButton, 1, kImageCount, 1), 1);
  const SIZE extent = image->GetExtent();
  const bool horizontal = windowClass->GetEnum(kPartCloseButton, 1, kImageLayout, 1) == 1;
  const int w = horizontal ? extent.cx / count : extent.cx;
  const int fh = horizontal ? extent.cy : extent.cy / count;
  // A strip with more images than pixels has frames of no size: no proportions to keep.
  if (w <= 0 || fh <= 0) return square;
  const int width = MulDiv(w, height, fh) + MulDiv(w - fh, 4, fh);
  return SIZE{std::max(width, 0), height};
}

HICON CKtkSkinManagerSchema::GetWindowIcon(HWND window, BOOL smallIcon) {
  const DWORD style = StyleOf(window), exStyle = ExStyleOf(window);
  if ((smallIcon && (exStyle & WS_EX_TOOLWINDOW)) || !(style & WS_SYSMENU)) return nullptr;
  HICON icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
  if (!icon) icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
  if (!icon) icon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
  if (icon) return icon;
  const bool dialogFrame = (style & WS_CAPTION) == WS_DLGFRAME;
  if (dialogFrame || (exStyle & WS_EX_DLGMODALFRAME)) return nullptr;
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(window, WM_QUERYDRAGICON, 0, 0, SMTO_NORMAL, 100, &answer) && answer)
    return reinterpret_cast<HICON>(answer);
  return LoadIconW(nullptr, IDI_WINLOGO);
}

int CKtkSkinManagerSchema::LayoutCaptionButtons(HDC dc, CKtkSkinFrameData* frame) {
  const HWND window = frame->FrameWindow();
  const DWORD style = StyleOf(window), exStyle = ExStyleOf(window);
  const CKtkSkinManagerMetrics& m = *m_metrics;
  const RECT& borders = frame->m_rcBorders;
  RECT box = WindowBox(window);
  const int n = CountFrameBorders(style, exStyle, TRUE, FALSE);
  if ((style & WS_MAXIMIZE) && borders.left > 6) {
    // The visible part of a maximised window starts where its off-screen borders end.
    const int grow = ((exStyle & WS_EX_CLIENTEDGE) ? m.m_cxEdge : 0) + n * m.m_cxBorder - borders.left;
    box = RECT{box.left - grow, box.top - grow, box.right + grow, box.bottom + grow};
  }
  const int h = borders.top - box.top;
  int offset = (exStyle & (WS_EX_WINDOWEDGE | WS_EX_STATICEDGE)) ? 1 : 0;
  if (style & WS_THICKFRAME) offset += (m.m_borderMultiplier + 1) / 2;
  int buttonHeight = h - n * m.m_cxBorder - 5;
  if (exStyle & WS_EX_CLIENTEDGE) {
    buttonHeight = h - n * m.m_cxBorder - 7;
    offset -= 1;
  }
  const SIZE size = (exStyle & WS_EX_TOOLWINDOW) ? SIZE{buttonHeight, buttonHeight}
                                                 : GetCaptionButtonSize(KtkSchemaClass(*this, u"WINDOW"), buttonHeight);
  const int top = (h - buttonHeight) / 2 + offset + box.top;
  int left = box.right - size.cx - n - 2;
  int begins = box.right - borders.right;
  for (const auto& button : frame->m_captionButtons) {
    button->m_rect = RECT{left, top, left + size.cx, top + buttonHeight};
    button->Draw(dc, frame->m_bActive);
    begins = left;
    left -= size.cx + 2;
  }
  return begins;
}

void CKtkSkinManagerSchema::DrawFrame(HDC dc, CKtkSkinFrameData* frame) {
  const HWND window = frame->FrameWindow();
  const DWORD style = StyleOf(window), exStyle = ExStyleOf(window);
  RECT box = WindowBox(window);
  if ((style & WS_CAPTION) != WS_CAPTION) {
    DrawPlainFrame(dc, box, frame);
    return;
  }
  const int width = box.right, height = box.bottom;
  RECT b = frame->m_rcBorders;
  if (exStyle & WS_EX_CLIENTEDGE) {
    RECT edge{b.left - 2, b.top - 2, width - b.right + 2, height - b.bottom + 2};
    DrawClientEdge(dc, edge, frame);
    b = RECT{b.left - 2, b.top - 2, b.right - 2, b.bottom - 2};
  }
  const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
  const int state = frame->m_bActive ? 1 : 2;
  CKtkSkinManagerClass* windowClass = KtkSchemaClass(*this, u"WINDOW");
  windowClass->DrawThemeBackground(dc, tool ? kPartSmallFrameLeft : kPartFrameLeft, state,
                                   RECT{0, b.top, b.left, height - b.bottom});
  windowClass->DrawThemeBackground(dc, tool ? kPartSmallFrameRight : kPartFrameRight, state,
                                   RECT{width - b.right, b.top, width, height - b.bottom});
  windowClass->DrawThemeBackground(dc, tool ? kPartSmallFrameBottom : kPartFrameBottom, state,
                                   RECT{0, height - b.bottom, width, height});

  std::lock_guard<std::mutex> lock(m_frameLock);
  CKtkBufferDC buffer(dc, RECT{0, 0, width, b.top});
  HDC target = buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc;
  const int captionPart = tool                    ? kPartSmallCaption
                          : (style & WS_MAXIMIZE) ? kPartMaxCaption
                          : (style & WS_MINIMIZE) ? kPartMinCaption
                                                  : kPartCaption;
  windowClass->DrawThemeBackground(target, captionPart, state, RECT{0, 0, width, b.top});

  const int m = CountFrameBorders(style, exStyle, TRUE, FALSE) - m_metrics->m_cyBorder;
  int titleLeft = b.left;
  if (HICON icon = GetWindowIcon(window, TRUE)) {
    const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    const int x = b.left + 2, y = m + (b.top - m - cy) / 2;
    CDC* cdc = CDC::FromHandle(target);
    const BOOL mirrored = CKtkDrawHelpers::IsDCMirrored(cdc);
    if (mirrored) CKtkDrawHelpers::SetDCLayout(cdc, LAYOUT_RTL | LAYOUT_BITMAPORIENTATIONPRESERVED);
    DrawIconEx(target, x, y, icon, cx, cy, 0, nullptr, DI_NORMAL);
    if (mirrored) CKtkDrawHelpers::SetDCLayout(cdc, LAYOUT_RTL);
    titleLeft = x + cx;
  }
  const int buttonsLeft = LayoutCaptionButtons(target, frame);

  std::u16string title;
  CKtkDrawHelpers::GetWindowTextDirect(window, title);
  if (!title.empty()) {
    CKtkFontDC font(CDC::FromHandle(target), tool ? m_metrics->m_smallCaptionFont : m_metrics->m_captionFont);
    const COLORREF oldColor = SetTextColor(target, GetMetricsColor(frame->m_bActive ? 9 : 19));
    UINT format = kTitleFormat;
    if (exStyle & WS_EX_RIGHT) format |= DT_RIGHT;
    if (exStyle & WS_EX_RTLREADING) format |= DT_RTLREADING;
    windowClass->DrawText(target, tool ? kPartSmallCaption : kPartCaption, state, title, format,
                          RECT{titleLeft, m + 1, buttonsLeft, b.top});
    SetTextColor(target, oldColor);
  }
}

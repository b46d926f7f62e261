#include "ornatex/controls/toolbar_object.h"

#include <algorithm>
#include <string>
#include <vector>

#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/nls.h>
#include <win/user.h>
#include <win/uxtheme.h>

#include "ornatex/controls/control_pattern.h"
#include "ornatex/core/platform_version.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/draw/draw_helpers.h"
#include "ornatex/image/bitmap_routines.h"
#include "ornatex/schema/skin_class.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectToolBar, CKtkSkinObjectFrame)

namespace {

constexpr DWORD kEmbossRop = 0xB8074A;  // the pattern where the source is black, else the destination
constexpr int kWholeArrowRoom = 5;
constexpr DWORD kSaturatingVersion = 0x00060000;
// A length a toolbar answers beyond this is no button's text (a subclass's stray answer):
// such a text is not read rather than a buffer of any size made for it.
constexpr LRESULT kLongestText = 0x8000;
// WM_NOTIFYFORMAT's question and its ANSI answer.
constexpr LPARAM kNotifyFormatQuery = 3;
constexpr LRESULT kNotifyFormatAnsi = 1;

// Parents whose toolbars keep the system's look.
constexpr const char16_t* kExplorerParents[] = {u"Breadcrumb Parent", u"TravelBand", u"msctls_progress32",
                                                u"Search Control"};

}  // namespace

BEGIN_MESSAGE_MAP(CKtkSkinObjectToolBar, CKtkSkinObjectFrame)
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMessage)
ON_MESSAGE(WM_PAINT, OnPaintMessage)
ON_MESSAGE(WM_PRINTCLIENT, OnPrintClientMessage)
END_MESSAGE_MAP()

CKtkSkinObjectToolBar::CKtkSkinObjectToolBar() { m_skinClassName = u"TOOLBAR"; }

BOOL CKtkSkinObjectToolBar::OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (!IsSkinActive()) return FALSE;
  return CKtkSkinObjectFrame::OnHookMessage(message, wParam, lParam, result);
}

BOOL CKtkSkinObjectToolBar::IsExplorerParent() {
  if (m_nExplorerParent < 0) {
    m_nExplorerParent = 0;
    char16_t name[101] = {};
    HWND parent = ::GetParent(m_hWnd);
    if (parent && ::GetClassNameW(parent, name, 101) > 0)
      for (const char16_t* explorer : kExplorerParents)
        if (std::u16string(name) == explorer) m_nExplorerParent = 1;
  }
  return m_nExplorerParent == 1;
}

void CKtkSkinObjectToolBar::UpdateToolTipRects() {
  if (!(::GetWindowLongW(m_hWnd, GWL_STYLE) & TBSTYLE_TOOLTIPS)) return;
  HWND tips = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, TB_GETTOOLTIPS, 0, 0));
  if (!tips) return;
  const int count = static_cast<int>(::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    if (!::SendMessageW(m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button))) continue;
    if ((button.fsState & TBSTATE_HIDDEN) || (button.fsStyle & BTNS_SEP)) continue;
    // The record at this build's size: its handle and pointer fields are 64-bit here.
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_hWnd;
    tool.uId = static_cast<UINT_PTR>(button.idCommand);
    if (!::SendMessageW(m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool.rect)))
      tool.rect = RECT{0, 0, 0, 0};
    ::SendMessageW(tips, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

std::u16string CKtkSkinObjectToolBar::ButtonText(int command) const {
  // The message carries no buffer size, so the length is asked first and the buffer made to
  // hold it: a fixed buffer would be overrun by a long text.
  const auto wparam = static_cast<WPARAM>(command);
  std::u16string text;
  const LRESULT wide = ::SendMessageW(m_hWnd, TB_GETBUTTONTEXTW, wparam, 0);
  if (wide > 0 && wide <= kLongestText) {
    std::vector<char16_t> buffer(static_cast<size_t>(wide) + 1, u'\0');
    ::SendMessageW(m_hWnd, TB_GETBUTTONTEXTW, wparam, reinterpret_cast<LPARAM>(buffer.data()));
    buffer.back() = u'\0';
    text = buffer.data();
  }
  if (!text.empty()) return text;
  if (::SendMessageW(m_hWnd, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(m_hWnd), kNotifyFormatQuery) !=
      kNotifyFormatAnsi)
    return text;
  const LRESULT narrow = ::SendMessageW(m_hWnd, TB_GETBUTTONTEXTA, wparam, 0);
  if (narrow <= 0 || narrow > kLongestText) return text;
  std::vector<char> buffer(static_cast<size_t>(narrow) + 1, '\0');
  ::SendMessageW(m_hWnd, TB_GETBUTTONTEXTA, wparam, reinterpret_cast<LPARAM>(buffer.data()));
  buffer.back() = '\0';
  const int length = static_cast<int>(std::char_traits<char>::length(buffer.data()));
  if (length == 0) return text;
  const int units = ::MultiByteToWideChar(CP_ACP, 0, buffer.data(), length, nullptr, 0);
  if (units <= 0) return text;
  text.resize(static_cast<size_t>(units));
  ::MultiByteToWideChar(CP_ACP, 0, buffer.data(), length, text.data(), units);
  return text;
}

BOOL CKtkSkinObjectToolBar::IsAlphaImageList(HIMAGELIST list) {
  if (!list) return FALSE;
  auto found = m_alphaLists.find(list);
  if (found != m_alphaLists.end()) return found->second;
  BOOL alpha = FALSE;
  IMAGEINFO info{};
  BITMAP bitmap{};
  if (::ImageList_GetBkColor(list) == CLR_NONE && ::ImageList_GetImageInfo(list, 0, &info) && info.hbmImage &&
      ::GetObjectW(info.hbmImage, sizeof bitmap, &bitmap) && bitmap.bmBitsPixel == 32) {
    int answer = -1;
    if (HBITMAP copy = PremultiplyAlpha(info.hbmImage, &answer)) ::DeleteObject(copy);
    alpha = answer == 1;
  }
  m_alphaLists.emplace(list, alpha);
  return alpha;
}

void CKtkSkinObjectToolBar::DrawEmbossedImage(HDC dc, HIMAGELIST list, int image, int x, int y) {
  int cx = 16, cy = 16;
  ::ImageList_GetIconSize(list, &cx, &cy);
  HDC monoDc = ::CreateCompatibleDC(dc);
  HBITMAP mono = ::CreateBitmap(cx + 1, cy + 1, 1, 1, nullptr);
  if (!monoDc || !mono) {
    if (mono) ::DeleteObject(mono);
    if (monoDc) ::DeleteDC(monoDc);
    return;
  }
  HGDIOBJ oldMono = ::SelectObject(monoDc, mono);
  ::PatBlt(monoDc, 0, 0, cx + 1, cy + 1, WHITENESS);
  // Black where the image shows, then white again where it is as light as the highlight:
  // what stays black is the relief.
  IMAGELISTDRAWPARAMS p{};
  p.cbSize = sizeof p;
  p.himl = list;
  p.i = image;
  p.hdcDst = monoDc;
  p.rgbBk = GetSysColor(COLOR_BTNFACE);
  p.rgbFg = CLR_DEFAULT;
  p.fStyle = ILD_MASK | ILD_ROP;
  p.dwRop = SRCCOPY;
  ::ImageList_DrawIndirect(&p);
  p.rgbBk = GetSysColor(COLOR_BTNHIGHLIGHT);
  p.fStyle = ILD_IMAGE | ILD_ROP;
  p.dwRop = SRCPAINT;
  ::ImageList_DrawIndirect(&p);

  const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  auto brushOf = [&](int index) {
    HBRUSH brush = metrics ? metrics->GetBrush(index) : nullptr;
    return brush ? brush : ::GetSysColorBrush(index);
  };
  HGDIOBJ oldBrush = ::SelectObject(dc, brushOf(COLOR_BTNHIGHLIGHT));
  ::BitBlt(dc, x + 1, y + 1, cx + 1, cy + 1, monoDc, 0, 0, kEmbossRop);
  ::SelectObject(dc, brushOf(COLOR_BTNSHADOW));
  ::BitBlt(dc, x, y, cx + 1, cy + 1, monoDc, 0, 0, kEmbossRop);
  ::SelectObject(dc, oldBrush);
  ::SetTextColor(dc, oldText);
  ::SetBkColor(dc, oldBack);
  ::SelectObject(monoDc, oldMono);
  ::DeleteObject(mono);
  ::DeleteDC(monoDc);
}

void CKtkSkinObjectToolBar::DrawDisabledImage(HDC dc, HIMAGELIST list, int image, int x, int y) {
  if (KtkGetComCtlVersion() >= kSaturatingVersion && IsAlphaImageList(list)) {
    IMAGELISTDRAWPARAMS p{};
    p.cbSize = sizeof p;
    p.himl = list;
    p.i = image;
    p.hdcDst = dc;
    p.x = x;
    p.y = y;
    p.rgbBk = GetSysColor(COLOR_BTNFACE);
    p.rgbFg = CLR_DEFAULT;
    p.fStyle = ILD_TRANSPARENT;
    p.fState = ILS_SATURATE;
    ::ImageList_DrawIndirect(&p);
    return;
  }
  DrawEmbossedImage(dc, list, image, x, y);
}

void CKtkSkinObjectToolBar::DrawButton(HDC dc, int index, NMTBCUSTOMDRAW& cd) {
  TBBUTTON button{};
  RECT r{};
  if (!::SendMessageW(m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button))) return;
  if (!::SendMessageW(m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r))) return;
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  const bool list = (style & TBSTYLE_LIST) != 0;
  const bool hot = ::SendMessageW(m_hWnd, TB_GETHOTITEM, 0, 0) == index;
  const bool pressed = (button.fsState & TBSTATE_PRESSED) != 0;
  const bool checked = (button.fsState & TBSTATE_CHECKED) != 0;
  const bool enabled = (button.fsState & TBSTATE_ENABLED) != 0;

  HWND parent = ::GetParent(m_hWnd);
  auto notify = [&](DWORD stage) -> DWORD {
    cd.nmcd.dwDrawStage = stage;
    return parent ? static_cast<DWORD>(
                        ::SendMessageW(parent, WM_NOTIFY, cd.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&cd)))
                  : 0;
  };
  cd.nmcd.rc = r;
  cd.nmcd.dwItemSpec = static_cast<DWORD_PTR>(button.idCommand);
  cd.nmcd.lItemlParam = static_cast<LPARAM>(button.dwData);
  cd.nmcd.uItemState = (hot ? CDIS_HOT : 0) | (pressed ? CDIS_SELECTED : 0) | (checked ? CDIS_CHECKED : 0) |
                       (enabled ? 0 : CDIS_DISABLED);
  const DWORD reply = notify(CDDS_ITEMPREPAINT);
  if (!(reply & CDRF_SKIPDEFAULT)) {
    CKtkSkinManagerMetrics* metrics = GetMetrics();
    const int cxEdge = metrics ? metrics->m_cxEdge : ::GetSystemMetrics(SM_CXEDGE);
    const int cyEdge = metrics ? metrics->m_cyEdge : ::GetSystemMetrics(SM_CYEDGE);
    const DWORD extended = static_cast<DWORD>(::SendMessageW(m_hWnd, TB_GETEXTENDEDSTYLE, 0, 0));
    const bool split = (extended & TBSTYLE_EX_DRAWDDARROWS) && (button.fsStyle & BTNS_DROPDOWN) &&
                       !(button.fsStyle & BTNS_WHOLEDROPDOWN);
    const bool arrow = split || (button.fsStyle & BTNS_WHOLEDROPDOWN);
    const int dropWidth = split ? ::GetSystemMetrics(SM_CYMENUCHECK) : 0;
    const int width = r.right - r.left;
    const int contentWidth = width - (split ? dropWidth : arrow ? kWholeArrowRoom : 0);

    const auto padding = static_cast<DWORD>(::SendMessageW(m_hWnd, TB_GETPADDING, 0, 0));
    const int padX = LOWORD(padding), padY = HIWORD(padding);
    const auto images = reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hWnd, TB_GETIMAGELIST, 0, 0));
    int iconW = 16, iconH = 16;
    if (images) ::ImageList_GetIconSize(images, &iconW, &iconH);
    const int yOffset = std::max((padY - 2 * cyEdge) / 2, 0);
    int xOffset;
    if (list)
      xOffset = padX / 2;
    else if (split)
      xOffset = (width - 2 * cxEdge - iconW - dropWidth) / 2;  // centred in the face beside the drop part
    else
      xOffset = (width - 2 * cxEdge - (arrow ? kWholeArrowRoom : 0) - iconW) / 2;
    const bool offset = (pressed || checked) && !(reply & TBCDRF_NOOFFSET);

    CKtkSkinManagerClass* skin = GetSkinClass();
    if (!(reply & TBCDRF_NOEDGES) && skin) {
      const int state = !enabled ? TS_DISABLED : pressed ? TS_PRESSED : checked ? TS_CHECKED : hot ? TS_HOT : TS_NORMAL;
      if (split) {
        skin->DrawThemeBackground(dc, TP_SPLITBUTTON, state, RECT{r.left, r.top, r.right - dropWidth, r.bottom});
        skin->DrawThemeBackground(dc, TP_SPLITBUTTONDROPDOWN, state,
                                  RECT{r.right - dropWidth, r.top, r.right, r.bottom});
      } else {
        skin->DrawThemeBackground(dc, TP_BUTTON, state, r);
      }
    }

    bool imageDrawn = false;
    if (!(list && button.iBitmap == I_IMAGENONE && (button.fsStyle & BTNS_AUTOSIZE))) {
      int x = r.left + cxEdge + xOffset, y = r.top + cyEdge + yOffset;
      if (list) {
        if (iconH + padY >= r.bottom - r.top) y -= cyEdge;
        if (iconW + padX >= width) x -= cxEdge;
      }
      if (offset) ++x, ++y;
      // A disabled button looks disabled whatever else it is; hot and checked ones take the
      // hot list, the others the normal one; a missing list falls back to the normal one.
      HIMAGELIST chosen;
      if (!enabled)
        chosen = reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hWnd, TB_GETDISABLEDIMAGELIST, 0, 0));
      else if (hot || checked)
        chosen = reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hWnd, TB_GETHOTIMAGELIST, 0, 0));
      else
        chosen = images;
      const bool disabledLook = !enabled && !chosen;
      if (!chosen) chosen = images;
      if (chosen && button.iBitmap >= 0) {
        imageDrawn = true;
        if (disabledLook) {
          DrawDisabledImage(dc, chosen, button.iBitmap, x, y);
        } else {
          IMAGELISTDRAWPARAMS p{};
          p.cbSize = sizeof p;
          p.himl = chosen;
          p.i = button.iBitmap;
          p.hdcDst = dc;
          p.x = x;
          p.y = y;
          p.rgbBk = GetSysColor(COLOR_BTNFACE);
          p.rgbFg = CLR_DEFAULT;
          p.fStyle = ILD_TRANSPARENT;
          ::ImageList_DrawIndirect(&p);
        }
      }
    }

    const std::u16string text = ButtonText(button.idCommand);
    if (!text.empty()) {
      RECT textRect{r.left, r.top, r.left + contentWidth, r.bottom};
      if (offset) ::OffsetRect(&textRect, 1, list ? 1 : 0);
      if (list) {
        if (imageDrawn) textRect.left += 2 * cxEdge + iconW;
      } else {
        textRect.top += iconH + yOffset;
      }
      ::SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_BTNSHADOW));
      const int mode = ::SetBkMode(dc, TRANSPARENT);
      if (textRect.right > textRect.left) {
        ::OffsetRect(&textRect, 1, 1);
        const bool rows = ::SendMessageW(m_hWnd, TB_GETTEXTROWS, 0, 0) >= 2;
        UINT flags;
        if (list)
          flags = rows ? DT_END_ELLIPSIS | DT_EDITCONTROL | DT_SINGLELINE | DT_WORDBREAK | DT_VCENTER
                       : DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER;
        else
          flags = rows ? DT_END_ELLIPSIS | DT_EDITCONTROL | DT_WORDBREAK | DT_CENTER
                       : DT_END_ELLIPSIS | DT_SINGLELINE | DT_CENTER;
        if (KtkHidesAccelerators(m_hWnd)) flags |= DT_HIDEPREFIX;
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, flags);
      }
      ::SetBkMode(dc, mode);
    }

    if (arrow && !split) {
      const int c = (r.top + r.bottom) / 2;
      const int x = r.right - 5 - (pressed ? 0 : 1);
      const int n = pressed ? 0 : 1, p = pressed ? 1 : 0;
      const POINT corners[3] = {{x - 2, c - n}, {x + 2, c - n}, {x, c + 1 + p}};
      const COLORREF colour = GetSysColor(COLOR_BTNTEXT);
      HBRUSH brush = ::CreateSolidBrush(colour);
      HPEN pen = ::CreatePen(PS_SOLID, 1, colour);
      HGDIOBJ oldBrush = ::SelectObject(dc, brush), oldPen = ::SelectObject(dc, pen);
      ::Polygon(dc, corners, 3);
      ::SelectObject(dc, oldBrush);
      ::SelectObject(dc, oldPen);
      ::DeleteObject(brush);
      ::DeleteObject(pen);
    }
  }
  if (reply & CDRF_NOTIFYPOSTPAINT) notify(CDDS_ITEMPOSTPAINT);
}

void CKtkSkinObjectToolBar::DrawToolBar(HDC dc, const RECT& client) {
  UpdateToolTipRects();
  CKtkBufferDC buffer(dc, client);
  HDC target = buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc;
  if (IsExplorerParent()) {
    ::CallWindowProcW(m_pfnPrevious, m_hWnd, WM_PAINT, reinterpret_cast<WPARAM>(target), 0);
    return;
  }
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  HBRUSH face = metrics ? metrics->GetBrush(COLOR_BTNFACE) : nullptr;
  ::FillRect(target, &client, face ? face : ::GetSysColorBrush(COLOR_BTNFACE));
  auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = ::SelectObject(target, font ? font : ::GetStockObject(DEFAULT_GUI_FONT));

  NMTBCUSTOMDRAW cd{};
  cd.nmcd.hdr.hwndFrom = m_hWnd;
  cd.nmcd.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
  cd.nmcd.hdr.code = NM_CUSTOMDRAW;
  cd.nmcd.hdc = target;
  cd.nmcd.rc = client;
  HWND parent = ::GetParent(m_hWnd);
  auto notify = [&](DWORD stage) -> DWORD {
    cd.nmcd.dwDrawStage = stage;
    return parent ? static_cast<DWORD>(
                        ::SendMessageW(parent, WM_NOTIFY, cd.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&cd)))
                  : 0;
  };
  const DWORD prepaint = notify(CDDS_PREPAINT);
  if (!(prepaint & CDRF_SKIPDEFAULT)) {
    CKtkSkinManagerClass* skin = GetSkinClass();
    const int count = static_cast<int>(::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TBBUTTON button{};
      if (!::SendMessageW(m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button))) continue;
      if (button.fsState & TBSTATE_HIDDEN) continue;
      if (button.fsStyle & BTNS_SEP) {
        RECT r{};
        if (skin && ::SendMessageW(m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
          skin->DrawThemeBackground(target, TP_SEPARATOR, 0, r);
        continue;
      }
      NMTBCUSTOMDRAW item = cd;
      DrawButton(target, i, item);
    }
  }
  if (prepaint & CDRF_NOTIFYPOSTPAINT) {
    cd.nmcd.rc = client;
    notify(CDDS_POSTPAINT);
  }
  ::SelectObject(target, oldFont);
}

LRESULT CKtkSkinObjectToolBar::OnEraseBkgndMessage(WPARAM wParam, LPARAM lParam) {
  const auto style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  if (style & (TBSTYLE_TRANSPARENT | TBSTYLE_CUSTOMERASE)) return Default();
  // A class brush that names a system colour erases in the skin's brush of that colour for
  // the length of the system's erase.
  const auto classBrush = static_cast<LONG_PTR>(::GetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND));
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  HBRUSH skinBrush =
      classBrush >= 1 && classBrush <= 30 && metrics ? metrics->GetBrush(static_cast<int>(classBrush) - 1) : nullptr;
  if (!skinBrush) return Default();
  ::SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(skinBrush));
  const LRESULT result = ::DefWindowProcW(m_hWnd, WM_ERASEBKGND, wParam, lParam);
  ::SetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND, classBrush);
  return result;
}

LRESULT CKtkSkinObjectToolBar::OnPaintMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PAINT, wParam, lParam,
                        [this](HDC dc, const RECT& client) { DrawToolBar(dc, client); });
}

LRESULT CKtkSkinObjectToolBar::OnPrintClientMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PRINTCLIENT, wParam, lParam,
                        [this](HDC dc, const RECT& client) { DrawToolBar(dc, client); });
}

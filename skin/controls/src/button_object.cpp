#include "ornatex/controls/button_object.h"

#include <algorithm>
#include <string>

#include <win/gdi.h>
#include <win/gdi_text.h>
#include <win/user.h>
#include <win/user_draw.h>
#include <win/userres.h>
#include <win/uxtheme.h>

#include "ornatex/controls/control_pattern.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/schema/skin_class.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectButton, CKtkSkinObjectFrame)

namespace {

// The unchecked states of the check box and radio button parts; each check level adds 4.
constexpr int kUncheckedNormal = 1, kUncheckedHot = 2, kUncheckedPressed = 3, kUncheckedDisabled = 4;

constexpr int kOwnerDrawn = 11;
constexpr int kSplit = 12, kDefaultSplit = 13;
constexpr int kUserButton = 8;
constexpr int kGroup = 7;
constexpr DWORD kRightButton = 0x20;
constexpr DWORD kPushLikeStyle = 0x1000;
constexpr DWORD kMultiLine = 0x2000;
constexpr DWORD kBitmap = 0x80, kIcon = 0x40;
constexpr DWORD kLeft = 0x100, kRight = 0x200, kCenter = 0x300;
constexpr DWORD kTop = 0x400, kBottom = 0x800, kVCenter = 0xC00;

bool IsCheckBox(int type) { return type == 2 || type == 3 || type == 5 || type == 6; }
bool IsRadio(int type) { return type == 4 || type == 9; }

SIZE TextSize(HDC dc, const std::u16string& text) {
  SIZE size{0, 0};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

std::u16string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::u16string text(static_cast<size_t>(std::max(length, 0)) + 1, u'\0');
  text.resize(static_cast<size_t>(std::max(::GetWindowTextW(window, text.data(), length + 1), 0)));
  return text;
}

// Selects the control's font and transparent text for one paint.
class PaintSetup {
 public:
  PaintSetup(HDC dc, HWND window) : dc_(dc) {
    if (auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)))
      old_ = ::SelectObject(dc, font);
    mode_ = ::SetBkMode(dc, TRANSPARENT);
  }
  ~PaintSetup() {
    if (old_) ::SelectObject(dc_, old_);
    ::SetBkMode(dc_, mode_);
  }
  PaintSetup(const PaintSetup&) = delete;
  PaintSetup& operator=(const PaintSetup&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
  int mode_ = 0;
};

}  // namespace

BEGIN_MESSAGE_MAP(CKtkSkinObjectButton, CKtkSkinObjectFrame)
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMessage)
ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMessage)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveMessage)
ON_MESSAGE(WM_CREATE, OnCreateMessage)
ON_MESSAGE(WM_SETFOCUS, OnFocusMessage)
ON_MESSAGE(WM_KILLFOCUS, OnDefaultThenInvalidate)
ON_MESSAGE(WM_PAINT, OnPaintMessage)
ON_MESSAGE(WM_PRINTCLIENT, OnPrintClientMessage)
ON_MESSAGE(BM_SETSTYLE, OnDefaultThenInvalidate)
ON_MESSAGE(BM_SETCHECK, OnDefaultThenInvalidate)
ON_MESSAGE(WM_CAPTURECHANGED, OnDefaultThenInvalidate)
ON_MESSAGE(WM_ENABLE, OnEnableMessage)
ON_MESSAGE(WM_UPDATEUISTATE, OnUpdateUiStateMessage)
ON_MESSAGE(BM_SETSTATE, OnSetStateMessage)
ON_MESSAGE(WM_SETTEXT, OnSetTextMessage)
END_MESSAGE_MAP()

CKtkSkinObjectButton::CKtkSkinObjectButton() {
  m_skinClassName = u"BUTTON";
  m_ctlColorMessage = WM_CTLCOLORBTN;
}

// ---- What kind of button ------------------------------------------------------------------

int CKtkSkinObjectButton::GetButtonType() const {
  if (m_nExplicitType != 255) return m_nExplicitType;
  return static_cast<int>(::GetWindowLongW(m_hWnd, GWL_STYLE) & BS_TYPEMASK);
}

BOOL CKtkSkinObjectButton::IsPushLike() const {
  const int type = GetButtonType();
  if (type == 0 || type == 1 || type == kOwnerDrawn || type == kSplit || type == kDefaultSplit) return TRUE;
  return (::GetWindowLongW(m_hWnd, GWL_STYLE) & kPushLikeStyle) != 0;
}

BOOL CKtkSkinObjectButton::IsLeftToControl() const {
  const int type = GetButtonType();
  return type == kOwnerDrawn || type >= 14;
}

DWORD CKtkSkinObjectButton::HorizontalAlignment() const {
  const DWORD h = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)) & kCenter;
  return h ? h : IsPushLike() ? kCenter : kLeft;
}

DWORD CKtkSkinObjectButton::VerticalAlignment() const {
  const DWORD v = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)) & kVCenter;
  return v ? v : kVCenter;
}

int CKtkSkinObjectButton::LayoutKind() const {
  if (IsPushLike()) return KTK_BUTTON_LAYOUT_PUSH_CONTENT;
  switch (GetButtonType()) {
    case 0:
    case 1:
    case kOwnerDrawn:
      return KTK_BUTTON_LAYOUT_PUSH_CONTENT;
    case 2:
    case 3:
    case 5:
    case 6:
      return KTK_BUTTON_LAYOUT_CHECK_TEXT;
    case 4:
    case 9:
      return KTK_BUTTON_LAYOUT_RADIO_TEXT;
    case kGroup:
      return KTK_BUTTON_LAYOUT_GROUP_CAPTION;
    default:
      return KTK_BUTTON_LAYOUT_NONE;
  }
}

// ---- Layout -------------------------------------------------------------------------------

RECT CKtkSkinObjectButton::LayoutRect(HDC dc, int kind) const {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  const int cxBorder = metrics ? metrics->m_cxBorder : ::GetSystemMetrics(SM_CXBORDER);
  const int cxEdge = metrics ? metrics->m_cxEdge : ::GetSystemMetrics(SM_CXEDGE);
  const int cyEdge = metrics ? metrics->m_cyEdge : ::GetSystemMetrics(SM_CYEDGE);
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  auto glyph = [&](int part) {
    SIZE size{13, 13};
    auto* self = const_cast<CKtkSkinObjectButton*>(this);
    if (CKtkSkinManagerClass* skin = self->GetSkinClass()) {
      SIZE part_size{0, 0};
      if (skin->GetPartSize(part, 1, nullptr, 1, &part_size) && part_size.cx > 0 && part_size.cy > 0) size = part_size;
    }
    return size;
  };
  switch (kind) {
    case KTK_BUTTON_LAYOUT_CHECK_GLYPH:
    case KTK_BUTTON_LAYOUT_RADIO_GLYPH: {
      const SIZE g = glyph(kind == KTK_BUTTON_LAYOUT_CHECK_GLYPH ? BP_CHECKBOX : BP_RADIOBUTTON);
      RECT r = client;
      const DWORD v = VerticalAlignment();
      if (v == kTop || v == kBottom) {
        const int h = TextSize(dc, u" ").cy;
        const int offset = (h + h / 4 - g.cy) / 2;
        r.top = v == kTop ? client.top + offset : client.bottom + offset - h - h / 4;
      } else {
        r.top = (client.top + client.bottom - g.cy) / 2;
      }
      r.bottom = r.top + g.cy;
      if (style & kRightButton) {
        r.left = client.right - g.cx;
      } else {
        r.left = client.left;
      }
      r.right = r.left + g.cx;
      return r;
    }
    case KTK_BUTTON_LAYOUT_CHECK_TEXT:
    case KTK_BUTTON_LAYOUT_RADIO_TEXT: {
      const SIZE g = glyph(kind == KTK_BUTTON_LAYOUT_CHECK_TEXT ? BP_CHECKBOX : BP_RADIOBUTTON);
      RECT r = client;
      if (style & kRightButton)
        r.right -= g.cx + 3;
      else
        r.left += g.cx + 3;
      return r;
    }
    case KTK_BUTTON_LAYOUT_GROUP_CAPTION: {
      const std::u16string text = WindowText(m_hWnd);
      RECT r = client;
      if (text.empty()) {
        r.left = r.right = client.left + cxBorder + 8;
        r.bottom = r.top + TextSize(dc, u"x").cy;
        return r;
      }
      const SIZE size = TextSize(dc, text);
      const int width = size.cx + 2 * cxEdge;
      const DWORD h = static_cast<DWORD>(style) & kCenter;
      if (h == kRight) {
        r.right = client.right - cxBorder - 6;
        r.left = r.right - width;
      } else if (h == kCenter) {
        r.left = client.left + (client.left + client.right - width) / 2 + cxBorder;
        r.right = r.left + width;
      } else {
        r.left = client.left + cxBorder + 8;
        r.right = r.left + width;
      }
      r.bottom = r.top + size.cy;
      return r;
    }
    case KTK_BUTTON_LAYOUT_GROUP_FRAME: {
      RECT r = client;
      r.top += TextSize(dc, u" ").cy / 2;
      return r;
    }
    case KTK_BUTTON_LAYOUT_PUSH_CONTENT: {
      RECT r = client;
      ::InflateRect(&r, -cxEdge, -cyEdge);
      return r;
    }
    default:
      return client;
  }
}

// ---- Painting -----------------------------------------------------------------------------

void CKtkSkinObjectButton::DrawButton(HDC dc, const RECT& client) {
  const int type = GetButtonType();
  // A plain window's group box draws straight onto the target; so does any button whose
  // parent answers with the hollow brush, which leaves the parent's background visible.
  const bool group = type == kGroup && !m_bWindowsForms;
  const bool hollow = !group && reinterpret_cast<HGDIOBJ>(KtkAskControlBackground(this, dc, WM_CTLCOLORBTN)) ==
                                    ::GetStockObject(NULL_BRUSH);
  if (group || hollow) {
    PaintSetup setup(dc, m_hWnd);
    const COLORREF back = group ? ::SetBkColor(dc, GetSysColor(COLOR_BTNFACE)) : 0;
    DrawContent(dc, client);
    if (group) ::SetBkColor(dc, back);
    return;
  }
  CKtkBufferDC buffer(dc, client);
  HDC target = buffer.GetSafeHdc() ? buffer.GetSafeHdc() : dc;
  KtkFillControlBackground(this, target, client, WM_CTLCOLORBTN);
  PaintSetup setup(target, m_hWnd);
  DrawContent(target, client);
}

void CKtkSkinObjectButton::FillGroupCaption(HDC dc, RECT caption) {
  // Without a caption there is no gap to open: widening the empty rectangle would cut a
  // notch out of the frame line.
  if (caption.right <= caption.left) return;
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  caption.left -= metrics ? metrics->m_cxEdge : ::GetSystemMetrics(SM_CXEDGE);
  KtkFillControlBackground(this, dc, caption, WM_CTLCOLORBTN);
}

void CKtkSkinObjectButton::DrawContent(HDC dc, const RECT& client) {
  const int type = GetButtonType();
  CKtkSkinManagerClass* skin = GetSkinClass();
  CKtkSkinManagerMetrics* metrics = GetMetrics();
  const int cxBorder = metrics ? metrics->m_cxBorder : ::GetSystemMetrics(SM_CXBORDER);
  const int cyBorder = metrics ? metrics->m_cyBorder : ::GetSystemMetrics(SM_CYBORDER);
  const int cxEdge = metrics ? metrics->m_cxEdge : ::GetSystemMetrics(SM_CXEDGE);
  const int cyEdge = metrics ? metrics->m_cyEdge : ::GetSystemMetrics(SM_CYEDGE);
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  auto background = [&](int part, int state, const RECT& r) {
    if (skin) skin->DrawThemeBackground(dc, part, state, r);
  };

  const bool pushed = m_bPushed != FALSE;
  const bool hot = m_bHot || ::GetCapture() == m_hWnd;
  const LRESULT checked = ::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0);
  const bool enabled = ::IsWindowEnabled(m_hWnd) != FALSE;
  int part = 0, state = 0;
  RECT area = LayoutRect(dc, LayoutKind());

  if (IsPushLike()) {
    part = BP_PUSHBUTTON;
    state = !enabled                               ? PBS_DISABLED
            : pushed                               ? PBS_PRESSED
            : hot                                  ? PBS_HOT
            : checked                              ? PBS_PRESSED
            : (type == 1 || type == kDefaultSplit) ? PBS_DEFAULTED
                                                   : PBS_NORMAL;
    background(part, state, client);
    if (type == kSplit || type == kDefaultSplit) {
      RECT drop = client;
      ::InflateRect(&drop, -4, -4);
      const int r = drop.right, c = (drop.top + drop.bottom) / 2;
      const COLORREF arrow = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
      const POINT corners[3] = {{r - 8, c - 2}, {r - 2, c - 2}, {r - 5, c + 1}};
      HBRUSH fill = ::CreateSolidBrush(arrow);
      HPEN edge = ::CreatePen(PS_SOLID, 1, arrow);
      HGDIOBJ oldBrush = ::SelectObject(dc, fill), oldPen = ::SelectObject(dc, edge);
      ::Polygon(dc, corners, 3);
      ::SelectObject(dc, oldBrush);
      ::SelectObject(dc, oldPen);
      ::DeleteObject(fill);
      ::DeleteObject(edge);
      const RECT dark{r - 12, drop.top, r - 11, drop.bottom}, light{r - 11, drop.top, r - 10, drop.bottom};
      HBRUSH darkBrush = ::CreateSolidBrush(GetSysColor(enabled ? COLOR_BTNSHADOW : COLOR_GRAYTEXT));
      HBRUSH lightBrush = ::CreateSolidBrush(GetSysColor(COLOR_BTNHIGHLIGHT));
      ::FillRect(dc, &dark, darkBrush);
      ::FillRect(dc, &light, lightBrush);
      ::DeleteObject(darkBrush);
      ::DeleteObject(lightBrush);
      area.right -= 12;
    }
  } else if (IsCheckBox(type) || IsRadio(type)) {
    part = IsCheckBox(type) ? BP_CHECKBOX : BP_RADIOBUTTON;
    state = (enabled && pushed) ? kUncheckedPressed
            : !enabled          ? kUncheckedDisabled
            : hot               ? kUncheckedHot
                                : kUncheckedNormal;
    if (checked) state += 4;
    // Only three-state boxes show the third state; others draw it as checked.
    if (checked == 2 && (type == 5 || type == 6)) state += 4;
    background(part, state,
               LayoutRect(dc, part == BP_CHECKBOX ? KTK_BUTTON_LAYOUT_CHECK_GLYPH : KTK_BUTTON_LAYOUT_RADIO_GLYPH));
  } else if (type == kGroup) {
    part = BP_GROUPBOX;
    state = enabled ? GBS_NORMAL : GBS_DISABLED;
    background(part, state, LayoutRect(dc, KTK_BUTTON_LAYOUT_GROUP_FRAME));
    FillGroupCaption(dc, LayoutRect(dc, KTK_BUTTON_LAYOUT_GROUP_CAPTION));
  }
  if (LayoutKind() == KTK_BUTTON_LAYOUT_NONE) part = state = 0;

  // The text or image, placed by the alignment styles in the layout rectangle.
  const DWORD h = HorizontalAlignment(), v = VerticalAlignment();
  const bool pushLike = IsPushLike() != FALSE;
  const bool multiLine = (style & kMultiLine) != 0;
  if (pushLike && !multiLine) ::InflateRect(&area, -cxBorder, -cyBorder);
  RECT placed{};  // where the text or image went, for the focus cue
  auto place = [&](int width, int height) {
    int x = area.left, y = area.top;
    if (h == kLeft)
      x = area.left + (pushLike ? cxBorder : 0);
    else if (h == kRight)
      x = area.right - width - (pushLike ? cxBorder : 0);
    else
      x = (area.left + area.right - width) / 2;
    if (v == kTop)
      y = area.top;
    else if (v == kBottom)
      y = area.bottom - height;
    else
      y = (area.top + area.bottom - height) / 2;
    placed = RECT{x, y, x + width, y + height};
  };
  if (style & (kBitmap | kIcon)) {
    const bool bitmap = (style & kBitmap) != 0;
    HANDLE image = reinterpret_cast<HANDLE>(::SendMessageW(m_hWnd, BM_GETIMAGE, bitmap ? IMAGE_BITMAP : IMAGE_ICON, 0));
    if (image) {
      SIZE size{0, 0};
      if (bitmap) {
        BITMAP info{};
        if (::GetObjectW(image, sizeof info, &info)) size = SIZE{info.bmWidth, info.bmHeight};
      } else {
        ICONINFO info{};
        if (::GetIconInfo(static_cast<HICON>(image), &info)) {
          BITMAP mask{};
          if (::GetObjectW(info.hbmMask, sizeof mask, &mask))
            size = SIZE{mask.bmWidth, info.hbmColor ? mask.bmHeight : mask.bmHeight / 2};
          if (info.hbmMask) ::DeleteObject(info.hbmMask);
          if (info.hbmColor) ::DeleteObject(info.hbmColor);
        }
      }
      place(size.cx, size.cy);
      ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(image), 0, placed.left, placed.top, size.cx, size.cy,
                   (bitmap ? DST_BITMAP : DST_ICON) | (enabled ? 0 : DSS_DISABLED));
    }
  } else if (type != kUserButton) {
    const std::u16string text = WindowText(m_hWnd);
    if (!text.empty()) {
      UINT flags = multiLine ? (DT_WORDBREAK | DT_NOCLIP | DT_EDITCONTROL) : (DT_SINGLELINE | DT_NOCLIP);
      RECT measured{0, 0, area.right - area.left, 0};
      ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, flags | DT_CALCRECT);
      place(measured.right - measured.left, measured.bottom - measured.top);
      if (h == kRight) flags |= DT_RIGHT;
      if (h == kCenter) flags |= DT_CENTER;
      if (v == kBottom) flags |= DT_BOTTOM;
      if (v == kVCenter) flags |= DT_VCENTER;
      if (KtkHidesAccelerators(m_hWnd)) flags |= DT_HIDEPREFIX;
      if (::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_RTLREADING) flags |= DT_RTLREADING;
      ::SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      const RECT into = multiLine ? placed : area;
      if (!skin || !skin->DrawText(dc, part, state, text, flags, into)) {
        RECT r = into;
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
      }
    }
  }

  if (KtkShowsFocusCue(m_hWnd)) {
    RECT focus;
    if (pushLike) {
      focus = LayoutRect(dc, KTK_BUTTON_LAYOUT_PUSH_CONTENT);
      ::InflateRect(&focus, -cxBorder, -cyBorder);
    } else if (type == kUserButton) {
      focus = client;
    } else {
      focus.left = std::max(client.left, placed.left - cxBorder);
      focus.top = std::max(client.top, placed.top - cyBorder);
      focus.right = std::min(client.right, focus.left + (placed.right - placed.left) + cxEdge);
      focus.bottom = std::min(client.bottom, focus.top + (placed.bottom - placed.top) + cyEdge);
    }
    if (focus.right > focus.left && focus.bottom > focus.top) KtkDrawFocusCue(dc, focus);
  }
}

void CKtkSkinObjectButton::Invalidate() { ::InvalidateRect(m_hWnd, nullptr, FALSE); }

// ---- Hooks ----------------------------------------------------------------------------------

void CKtkSkinObjectButton::OnSkinChanged(BOOL wasEnabled, BOOL enabled) {
  CKtkSkinObjectFrame::OnSkinChanged(wasEnabled, enabled);
  m_bHot = m_bPushed = FALSE;
}

BOOL CKtkSkinObjectButton::OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (IsLeftToControl() || !IsSkinActive()) return FALSE;
  return CKtkSkinObjectFrame::OnHookMessage(message, wParam, lParam, result);
}

BOOL CKtkSkinObjectButton::OnHookDefWindowProc(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (IsLeftToControl() || !IsSkinActive()) return FALSE;
  if ((message == WM_PAINT || message == WM_PRINTCLIENT) && wParam) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    DrawButton(reinterpret_cast<HDC>(wParam), client);
    result = 0;
    return TRUE;
  }
  return CKtkSkinObjectFrame::OnHookDefWindowProc(message, wParam, lParam, result);
}

BOOL CKtkSkinObjectButton::IsDefWindowProcMessage(UINT message) {
  // Managed-forms buttons draw themselves through their own procedure: only the control
  // colours wait for default-procedure time there.
  if (m_bWindowsForms && (message < WM_CTLCOLORMSGBOX || message > WM_CTLCOLORSTATIC)) return FALSE;
  return CKtkSkinObjectFrame::IsDefWindowProcMessage(message);
}

// ---- The message map ------------------------------------------------------------------------

LRESULT CKtkSkinObjectButton::OnEraseBkgndMessage(WPARAM, LPARAM) { return 1; }

LRESULT CKtkSkinObjectButton::OnMouseMoveMessage(WPARAM, LPARAM lParam) {
  if (GetButtonType() == kGroup) return 0;  // a group box never turns hot; the control never sees it
  const LRESULT result = Default();
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  const BOOL hot = ::PtInRect(&client, pt);
  if (hot != m_bHot) {
    m_bHot = hot;
    Invalidate();
  }
  if (m_bHot) KtkTrackMouseLeave(m_hWnd);
  return result;
}

LRESULT CKtkSkinObjectButton::OnMouseLeaveMessage(WPARAM, LPARAM) {
  // The pointer left: as a move to (-1, -1), which lies outside every client area.
  if (GetButtonType() == kGroup) return 0;
  const LRESULT result = Default();
  if (m_bHot) {
    m_bHot = FALSE;
    Invalidate();
  }
  return result;
}

LRESULT CKtkSkinObjectButton::OnCreateMessage(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CKtkSkinObjectFrame::OnCreateMessage(wParam, lParam);
  Invalidate();
  return result;
}

LRESULT CKtkSkinObjectButton::OnFocusMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  Invalidate();
  return result;
}

LRESULT CKtkSkinObjectButton::OnPaintMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PAINT, wParam, lParam, [this](HDC dc, const RECT& client) { DrawButton(dc, client); });
}

LRESULT CKtkSkinObjectButton::OnPrintClientMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PRINTCLIENT, wParam, lParam,
                        [this](HDC dc, const RECT& client) { DrawButton(dc, client); });
}

LRESULT CKtkSkinObjectButton::OnDefaultThenInvalidate(WPARAM, LPARAM) {
  const LRESULT result = Default();
  Invalidate();
  return result;
}

LRESULT CKtkSkinObjectButton::OnEnableMessage(WPARAM, LPARAM) {
  Invalidate();
  return 0;
}

LRESULT CKtkSkinObjectButton::OnUpdateUiStateMessage(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = ::DefWindowProcW(m_hWnd, WM_UPDATEUISTATE, wParam, lParam);
  Invalidate();
  return result;
}

LRESULT CKtkSkinObjectButton::OnSetStateMessage(WPARAM wParam, LPARAM) {
  // The control would paint its own pressed look: it changes its state unseen.
  const LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
  ::SetWindowLongW(m_hWnd, GWL_STYLE, style & ~static_cast<LONG>(WS_VISIBLE));
  Default();
  ::SetWindowLongW(m_hWnd, GWL_STYLE, style);
  m_bPushed = wParam != 0;
  Invalidate();
  return 0;
}

LRESULT CKtkSkinObjectButton::OnSetTextMessage(WPARAM wParam, LPARAM lParam) {
  const LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
  ::SetWindowLongW(m_hWnd, GWL_STYLE, style & ~static_cast<LONG>(WS_VISIBLE));
  const LRESULT result = CKtkSkinObjectFrame::OnSetTextMessage(wParam, lParam);
  ::SetWindowLongW(m_hWnd, GWL_STYLE, style);
  if (GetButtonType() == kGroup) {
    // The old caption may have been longer: its whole strip takes the background again.
    if (HDC dc = ::GetDC(m_hWnd)) {
      {
        PaintSetup setup(dc, m_hWnd);
        RECT caption = LayoutRect(dc, KTK_BUTTON_LAYOUT_GROUP_CAPTION);
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        caption.left = client.left;
        caption.right = client.right;
        KtkFillControlBackground(this, dc, caption, WM_CTLCOLORBTN);
      }
      ::ReleaseDC(m_hWnd, dc);
    }
  }
  Invalidate();
  return result;
}

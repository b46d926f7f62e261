#include "ornatex/controls/combo_box_object.h"

#include <win/gdi.h>
#include <win/user.h>
#include <win/user_edit.h>
#include <win/user_input.h>
#include <win/uxtheme.h>

#include "ornatex/controls/control_pattern.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/draw/draw_helpers.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectComboBox, CKtkSkinObjectFrame)

namespace {

// The combo box messages and styles the object reads.
constexpr UINT kGetItemHeight = 0x0154;    // CB_GETITEMHEIGHT
constexpr UINT kGetDroppedState = 0x0157;  // CB_GETDROPPEDSTATE
constexpr DWORD kTypeMask = 0x3, kDropDown = 0x2, kDropDownList = 0x3;
constexpr UINT kSetStyle = 0x00F4;  // BM_SETSTYLE

// The "COMBOBOX" part of the whole box, its states and the background types of TMT_BGTYPE.
constexpr int kBox = 0;
constexpr int kNormal = 1, kHot = 2, kPressed = 3, kDisabled = 4;
constexpr int kImageFile = 0, kBorderFill = 1;
constexpr COLORREF kNoColour = 0xFFFFFFFF;

POINT PointOf(LPARAM lParam) { return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

void FrameWith(HDC dc, const RECT& r, HBRUSH brush, int width) {
  for (int i = 0; i < width; ++i) {
    const RECT ring{r.left + i, r.top + i, r.right - i, r.bottom - i};
    if (ring.right <= ring.left || ring.bottom <= ring.top) return;
    ::FrameRect(dc, &ring, brush);
  }
}

// A one-pixel frame in a skin colour; a skin that names no colour draws none.
void FrameInColour(HDC dc, const RECT& r, COLORREF colour) {
  if (colour == kNoColour) return;
  HBRUSH brush = ::CreateSolidBrush(colour);
  FrameWith(dc, r, brush, 1);
  ::DeleteObject(brush);
}

// Two colours around a rectangle: the first at the top and left, the second at the
// bottom and right.
void Rect3D(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  auto fill = [dc](const RECT& piece, COLORREF colour) {
    HBRUSH brush = ::CreateSolidBrush(colour);
    ::FillRect(dc, &piece, brush);
    ::DeleteObject(brush);
  };
  fill(RECT{r.left, r.top, r.right - 1, r.top + 1}, topLeft);
  fill(RECT{r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
  fill(RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
  fill(RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

}  // namespace

BEGIN_MESSAGE_MAP(CKtkSkinObjectComboBox, CKtkSkinObjectFrame)
ON_MESSAGE(WM_PAINT, OnPaintMessage)
ON_MESSAGE(WM_PRINTCLIENT, OnPrintClientMessage)
ON_MESSAGE(WM_ERASEBKGND, OnEraseBkgndMessage)
ON_MESSAGE(WM_CREATE, OnCreateMessage)
ON_MESSAGE(WM_MOUSEMOVE, OnMouseMoveMessage)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveMessage)
ON_MESSAGE(WM_SETFOCUS, OnDefaultThenInvalidate)
ON_MESSAGE(WM_KILLFOCUS, OnDefaultThenInvalidate)
ON_MESSAGE(WM_CAPTURECHANGED, OnDefaultThenInvalidate)
ON_MESSAGE(kSetStyle, OnDefaultThenInvalidate)
ON_MESSAGE(WM_ENABLE, OnDefaultThenInvalidate)
ON_MESSAGE(WM_UPDATEUISTATE, OnDefaultThenInvalidate)
ON_MESSAGE(WM_LBUTTONUP, OnDefaultThenInvalidate)
END_MESSAGE_MAP()

CKtkSkinObjectComboBox::CKtkSkinObjectComboBox() {
  m_skinClassName = u"COMBOBOX";
  m_ctlColorMessage = WM_CTLCOLORLISTBOX;
}

BOOL CKtkSkinObjectComboBox::OnHookMessage(UINT message, WPARAM& wParam, LPARAM& lParam, LRESULT& result) {
  if (!IsSkinActive()) return FALSE;
  return CKtkSkinObjectFrame::OnHookMessage(message, wParam, lParam, result);
}

UINT CKtkSkinObjectComboBox::GetCtlColorMessage() {
  if (!::IsWindowEnabled(m_hWnd)) return WM_CTLCOLORSTATIC;
  // The edit field, wherever it stands among the children: a simple box's list may come
  // first, and its styles mean other things.
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    char16_t name[8] = {};
    if (::GetClassNameW(child, name, 8) != 4 || CompareNoCaseW(name, u"Edit", 4) != 0) continue;
    return (::GetWindowLongW(child, GWL_STYLE) & ES_READONLY) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  }
  return WM_CTLCOLOREDIT;
}

int CKtkSkinObjectComboBox::BoxState() const {
  if (!::IsWindowEnabled(m_hWnd)) return kDisabled;
  const bool pressed = ::GetKeyState(VK_LBUTTON) < 0 && ::SendMessageW(m_hWnd, kGetDroppedState, 0, 0) != 0;
  if (pressed) return kPressed;
  if (m_bHot || ::GetCapture() == m_hWnd) return kHot;
  return kNormal;
}

BOOL CKtkSkinObjectComboBox::IsButtonLeft() const { return (::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_RIGHT) != 0; }

void CKtkSkinObjectComboBox::DrawComboBox(HDC dc) {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const DWORD type = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)) & kTypeMask;
  if (type == kDropDown || type == kDropDownList)
    DrawDropDown(dc, client);
  else
    DrawSimple(dc, client);
}

void CKtkSkinObjectComboBox::DrawDropDown(HDC target, const RECT& client) {
  const int state = BoxState();
  const bool left = IsButtonLeft() != FALSE;
  CKtkBufferDC buffer(target, client);
  HDC dc = buffer.GetSafeHdc() ? buffer.GetSafeHdc() : target;
  HBRUSH brush = KtkFillControlBackground(this, dc, client, GetCtlColorMessage());

  m_bSelfPaint = TRUE;
  DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  m_bSelfPaint = FALSE;
  ::SelectClipRgn(dc, nullptr);

  const CKtkSkinManagerMetrics* metrics = GetMetrics();
  const int scroll = metrics ? metrics->m_cxVScroll : ::GetSystemMetrics(SM_CXVSCROLL);
  const int comboButton = metrics ? metrics->m_cxVScroll2 : scroll;
  const int strip = comboButton + 3 < scroll + 1 ? scroll + 1 : comboButton + 3;
  const RECT cover = left ? RECT{client.left, client.top, client.left + strip, client.bottom}
                          : RECT{client.right - strip, client.top, client.right, client.bottom};
  ::FillRect(dc, &cover, brush);

  RECT c = client;
  CKtkSkinManagerClass* skin = GetSkinClass();
  if (skin) {
    const int bgType = skin->GetEnum(kBox, state, TMT_BGTYPE, kImageFile);
    if (bgType == kImageFile) {
      RECT inner{c.left + 3, c.top + 3, c.right - 3, c.bottom - 3};
      if (left)
        inner.left += scroll;
      else
        inner.right -= scroll;
      ::ExcludeClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
      skin->DrawThemeBackground(dc, kBox, state, c);
      ::SelectClipRgn(dc, nullptr);
    } else if (bgType == kBorderFill) {
      FrameInColour(dc, c, skin->GetColor(kBox, state, TMT_BORDERCOLOR, kNoColour));
      c = RECT{c.left + 1, c.top + 1, c.right - 1, c.bottom - 1};
      RECT field = c;
      if (left)
        field.left += scroll;
      else
        field.right -= scroll;
      FrameWith(dc, field, brush, 2);
    }
    const RECT button =
        left ? RECT{c.left, c.top, c.left + scroll, c.bottom} : RECT{c.right - scroll, c.top, c.right, c.bottom};
    skin->DrawThemeBackground(dc, CP_DROPDOWNBUTTON, state, button);
  }
}

void CKtkSkinObjectComboBox::DrawSimple(HDC dc, const RECT& client) {
  RECT c = client;
  const int itemHeight = static_cast<int>(::SendMessageW(m_hWnd, kGetItemHeight, static_cast<WPARAM>(-1), 0));
  c.bottom = c.top + itemHeight + 2 * ::GetSystemMetrics(SM_CYFIXEDFRAME);
  HBRUSH brush = GetClientBrush(dc);
  CKtkSkinManagerSchema* schema = GetSchema();
  CKtkSkinManagerClass* edit = schema ? KtkSchemaClass(*schema, u"EDIT") : nullptr;
  if (edit && edit->GetEnum(0, 0, TMT_BGTYPE, kImageFile) == kBorderFill) {
    FrameInColour(dc, c, edit->GetColor(0, 0, TMT_BORDERCOLOR, kNoColour));
    c = RECT{c.left + 1, c.top + 1, c.right - 1, c.bottom - 1};
    FrameWith(dc, c, brush, 1);
  } else {
    const CKtkSkinManagerMetrics* m = GetMetrics();
    const COLORREF shadow = m ? m->m_shadow : ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = m ? m->m_highlight : ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF dark = m ? m->m_darkShadow : ::GetSysColor(COLOR_3DDKSHADOW);
    const COLORREF light = m ? m->m_light : ::GetSysColor(COLOR_3DLIGHT);
    Rect3D(dc, c, shadow, highlight);
    c = RECT{c.left + 1, c.top + 1, c.right - 1, c.bottom - 1};
    Rect3D(dc, c, dark, light);
  }
  c = RECT{c.left + 1, c.top + 1, c.right - 1, c.bottom - 1};
  FrameWith(dc, c, brush, 1);
}

void CKtkSkinObjectComboBox::TrackHot(POINT point) {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const BOOL hot = ::PtInRect(&client, point) ? TRUE : FALSE;
  if (hot == m_bHot) return;
  m_bHot = hot;
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  if (hot) KtkTrackMouseLeave(m_hWnd);
}

LRESULT CKtkSkinObjectComboBox::OnPaintMessage(WPARAM wParam, LPARAM lParam) {
  return KtkHandlePaint(this, WM_PAINT, wParam, lParam, [this](HDC dc, const RECT&) { DrawComboBox(dc); });
}

LRESULT CKtkSkinObjectComboBox::OnPrintClientMessage(WPARAM wParam, LPARAM lParam) {
  // The control's own printing into the object's buffer reaches the control.
  if (m_bSelfPaint || !(lParam & PRF_CLIENT)) return Default();
  if (wParam) DrawComboBox(reinterpret_cast<HDC>(wParam));
  return 1;
}

LRESULT CKtkSkinObjectComboBox::OnEraseBkgndMessage(WPARAM, LPARAM) { return 1; }

LRESULT CKtkSkinObjectComboBox::OnCreateMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  ModifyStyle(WS_BORDER, 0);
  ModifyStyleEx(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE, 0, SWP_FRAMECHANGED);
  return result;
}

LRESULT CKtkSkinObjectComboBox::OnMouseMoveMessage(WPARAM, LPARAM lParam) {
  const LRESULT result = Default();
  TrackHot(PointOf(lParam));
  return result;
}

LRESULT CKtkSkinObjectComboBox::OnMouseLeaveMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  TrackHot(POINT{-1, -1});
  return result;
}

LRESULT CKtkSkinObjectComboBox::OnDefaultThenInvalidate(WPARAM, LPARAM) {
  const LRESULT result = Default();
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  return result;
}

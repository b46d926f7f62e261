#include "ornatex/controls/date_time_object.h"

#include <algorithm>

#include <win/commctrl.h>
#include <win/gdi.h>
#include <win/user.h>
#include <win/uxtheme.h>

#include "ornatex/core/platform_version.h"
#include "ornatex/core/skin_manager.h"
#include "ornatex/core/skin_metrics.h"
#include "ornatex/draw/buffer_dc.h"
#include "ornatex/schema/schema.h"
#include "ornatex/schema/skin_class.h"

IMPLEMENT_DYNCREATE(CKtkSkinObjectDateTime, CKtkSkinObjectComboBox)
IMPLEMENT_DYNCREATE(CKtkSkinObjectMonthCal, CKtkSkinObjectFrame)

namespace {

// The "COMBOBOX" part of the whole box and its states, the states of the "BUTTON" check box
// and the background types of TMT_BGTYPE.
constexpr int kBox = 0;
constexpr int kNormal = 1, kHot = 2, kDisabled = 4;
constexpr int kUnchecked = 1, kUncheckedDisabled = 4, kChecked = 5, kCheckedDisabled = 8;
constexpr int kImageFile = 0, kBorderFill = 1;
constexpr int kFrameSize = 1;
constexpr COLORREF kNoColour = 0xFFFFFFFF;
constexpr LPARAM kAltDownKey = 0x20000001;  // one press with the Alt key held

POINT PointOf(LPARAM lParam) { return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}; }

HBRUSH SkinBrush(CKtkSkinObject* object, int index) {
  CKtkSkinManagerMetrics* metrics = object->GetMetrics();
  HBRUSH brush = metrics ? metrics->GetBrush(index) : nullptr;
  return brush ? brush : ::GetSysColorBrush(index);
}

int ScrollWidth(CKtkSkinObject* object) {
  const CKtkSkinManagerMetrics* metrics = object->GetMetrics();
  return metrics ? metrics->m_cxVScroll : ::GetSystemMetrics(SM_CXVSCROLL);
}

void FrameInColour(HDC dc, const RECT& r, COLORREF colour) {
  if (colour == kNoColour || r.right <= r.left || r.bottom <= r.top) return;
  HBRUSH brush = ::CreateSolidBrush(colour);
  ::FrameRect(dc, &r, brush);
  ::DeleteObject(brush);
}

}  // namespace

void KtkApplyCalendarColours(CKtkSkinObject* object, UINT message) {
  if (!object || !object->m_hWnd) return;
  static constexpr struct {
    int part;
    int colour;
  } kColours[] = {
      {MCSC_BACKGROUND, COLOR_WINDOW},     {MCSC_MONTHBK, COLOR_WINDOW},        {MCSC_TEXT, COLOR_WINDOWTEXT},
      {MCSC_TITLEBK, COLOR_ACTIVECAPTION}, {MCSC_TITLETEXT, COLOR_CAPTIONTEXT}, {MCSC_TRAILINGTEXT, COLOR_GRAYTEXT},
  };
  // A removed skin leaves its schema loaded: the calendar takes the system's colours back.
  const BOOL skinned = object->IsSkinActive();
  for (const auto& c : kColours) {
    const COLORREF colour = skinned ? object->GetSysColor(c.colour) : ::GetSysColor(c.colour);
    ::SendMessageW(object->m_hWnd, message, static_cast<WPARAM>(c.part), static_cast<LPARAM>(colour));
  }
}

// ---- Date-time picker -----------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKtkSkinObjectDateTime, CKtkSkinObjectComboBox)
ON_MESSAGE(WM_CREATE, OnCreateMessage)
ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownMessage)
END_MESSAGE_MAP()

CKtkSkinObjectDateTime::CKtkSkinObjectDateTime() = default;

BOOL CKtkSkinObjectDateTime::IsModernBorder() const {
  if (::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) return FALSE;
  const DWORD version = m_pManager ? m_pManager->m_comCtlVersion : KtkGetComCtlVersion();
  const DWORD major = version >> 16, minor = version & 0xFFFF;
  return major > 6 || (major == 6 && minor >= 10) || (major == 5 && minor > 51);
}

int CKtkSkinObjectDateTime::PickerState() const {
  if (!::IsWindowEnabled(m_hWnd)) return kDisabled;
  return m_bHot || ::GetCapture() == m_hWnd ? kHot : kNormal;
}

void CKtkSkinObjectDateTime::DrawComboBox(HDC target) {
  RECT c{};
  ::GetClientRect(m_hWnd, &c);
  CKtkBufferDC buffer(target, c);
  HDC dc = buffer.GetSafeHdc() ? buffer.GetSafeHdc() : target;
  const DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
  const bool enabled = ::IsWindowEnabled(m_hWnd) != FALSE;
  const int backIndex = enabled ? COLOR_WINDOW : COLOR_BTNFACE;
  HBRUSH back = SkinBrush(this, backIndex);
  ::FillRect(dc, &c, back);

  m_bSelfPaint = TRUE;
  DefWindowProc(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), 0);
  m_bSelfPaint = FALSE;

  const int state = PickerState();
  const int scroll = ScrollWidth(this);
  const bool modern = IsModernBorder() != FALSE;
  CKtkSkinManagerClass* skin = GetSkinClass();
  const int bgType = skin ? skin->GetEnum(kBox, state, TMT_BGTYPE, kImageFile) : -1;
  if (modern) {
    if (bgType == kImageFile) {
      ::ExcludeClipRect(dc, c.left + 2, c.top + 2, c.right - 2, c.bottom - 2);
      skin->DrawThemeBackground(dc, kBox, state, c);
    } else if (bgType == kBorderFill) {
      FrameInColour(dc, c, skin->GetColor(kBox, state, TMT_BORDERCOLOR, kNoColour));
      const RECT inside{c.left + 1, c.top + 1, c.right - 1, c.bottom - 1};
      if (inside.right > inside.left && inside.bottom > inside.top) ::FrameRect(dc, &inside, back);
    }
  } else {
    const RECT strip{c.right - scroll - 3, c.top, c.right, c.bottom};
    ::FillRect(dc, &strip, back);
  }
  ::SelectClipRgn(dc, nullptr);

  if (style & DTS_SHOWNONE) {
    const int side = std::max<int>(c.bottom - c.top - 2, 0);
    const RECT square{c.left + 1, c.top + 1, c.left + 1 + side, c.top + 1 + side};
    ::FillRect(dc, &square, back);
    CKtkSkinManagerSchema* schema = GetSchema();
    if (CKtkSkinManagerClass* button = schema ? KtkSchemaClass(*schema, u"BUTTON") : nullptr) {
      SIZE size{13, 13};
      button->GetPartSize(BP_CHECKBOX, 0, nullptr, kFrameSize, &size);
      const int left = (square.left + square.right - size.cx) / 2, top = (square.top + square.bottom - size.cy) / 2;
      SYSTEMTIME date{};
      const bool none = ::SendMessageW(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&date)) == GDT_NONE;
      const int checkState =
          none ? (enabled ? kUnchecked : kUncheckedDisabled) : (enabled ? kChecked : kCheckedDisabled);
      button->DrawThemeBackground(dc, BP_CHECKBOX, checkState, RECT{left, top, left + size.cx, top + size.cy});
    }
  }

  if (!(style & DTS_UPDOWN) && !modern) {
    const RECT strip{c.right - scroll, c.top, c.right, c.bottom};
    ::FillRect(dc, &strip, back);
    if (skin) skin->DrawThemeBackground(dc, CP_DROPDOWNBUTTON, state, strip);
  }
}

void CKtkSkinObjectDateTime::DrawFrame(HDC dc) {
  CKtkSkinManagerClass* skin = GetSkinClass();
  const int state = PickerState();
  if (m_nPaintSuppression > 0 || !(::GetWindowLongW(m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) || !skin ||
      skin->GetEnum(kBox, state, TMT_BGTYPE, kImageFile) != kImageFile) {
    CKtkSkinObjectComboBox::DrawFrame(dc);
    return;
  }
  RECT box{};
  ::GetWindowRect(m_hWnd, &box);
  const RECT window{0, 0, box.right - box.left, box.bottom - box.top};
  const int saved = ::SaveDC(dc);
  ::ExcludeClipRect(dc, window.left + 2, window.top + 2, window.right - 2, window.bottom - 2);
  skin->DrawThemeBackground(dc, kBox, state, window);
  ::RestoreDC(dc, saved);
}

void CKtkSkinObjectDateTime::RefreshMetrics() {
  CKtkSkinObjectComboBox::RefreshMetrics();
  KtkApplyCalendarColours(this, DTM_SETMCCOLOR);
}

void CKtkSkinObjectDateTime::OnSkinChanged(BOOL wasEnabled, BOOL enabled) {
  CKtkSkinObjectComboBox::OnSkinChanged(wasEnabled, enabled);
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

LRESULT CKtkSkinObjectDateTime::OnCreateMessage(WPARAM, LPARAM) {
  const LRESULT result = Default();
  ::InvalidateRect(m_hWnd, nullptr, FALSE);
  // A picker made while the skin is on gets the calendar's colours now: no skin change
  // will tell it.
  if (result != -1) KtkApplyCalendarColours(this, DTM_SETMCCOLOR);
  return result;
}

LRESULT CKtkSkinObjectDateTime::OnLButtonDownMessage(WPARAM, LPARAM lParam) {
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  const POINT p = PointOf(lParam);
  const bool dropArea = p.x >= client.right - ScrollWidth(this) && p.x < client.right;
  if (!::IsWindowEnabled(m_hWnd) || (::GetWindowLongW(m_hWnd, GWL_STYLE) & DTS_UPDOWN) || !dropArea) return Default();
  ::SetFocus(m_hWnd);
  DefWindowProc(WM_SYSKEYDOWN, VK_DOWN, kAltDownKey);
  return 0;
}

// ---- Month calendar -------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CKtkSkinObjectMonthCal, CKtkSkinObjectFrame)
ON_MESSAGE(WM_CREATE, OnCreateMessage)
END_MESSAGE_MAP()

CKtkSkinObjectMonthCal::CKtkSkinObjectMonthCal() = default;

void CKtkSkinObjectMonthCal::RefreshMetrics() {
  CKtkSkinObjectFrame::RefreshMetrics();
  KtkApplyCalendarColours(this, MCM_SETCOLOR);
}

LRESULT CKtkSkinObjectMonthCal::OnCreateMessage(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CKtkSkinObjectFrame::OnCreateMessage(wParam, lParam);
  if (result != -1) KtkApplyCalendarColours(this, MCM_SETCOLOR);
  return result;
}

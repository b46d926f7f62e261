#include "ornatex/controls/control_pattern.h"

#include <win/gdi.h>
#include <win/user.h>
#include <win/user_input.h>
#include <win/user_paint.h>

#include "ornatex/core/skin_metrics.h"
#include "ornatex/core/skin_object.h"

namespace {

constexpr int kButtonFace = 15;  // COLOR_BTNFACE

HBRUSH SkinBrush(CKtkSkinObject* object, int index) {
  CKtkSkinManagerMetrics* metrics = object ? object->GetMetrics() : nullptr;
  HBRUSH brush = metrics ? metrics->GetBrush(index) : nullptr;
  return brush ? brush : ::GetSysColorBrush(index);
}

}  // namespace

LRESULT KtkAskControlBackground(CKtkSkinObject* object, HDC dc, UINT message) {
  HWND window = object ? object->m_hWnd : nullptr;
  HWND parent = window ? ::GetParent(window) : nullptr;
  if (!parent) return 0;
  return ::SendMessageW(parent, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window));
}

HBRUSH KtkFillControlBackground(CKtkSkinObject* object, HDC dc, const RECT& rect, UINT message) {
  const LRESULT reply = KtkAskControlBackground(object, dc, message);
  HBRUSH brush;
  if (reply == 0)
    brush = SkinBrush(object, kButtonFace);
  else if (reply >= 1 && reply <= 30)
    brush = SkinBrush(object, static_cast<int>(reply) - 1);
  else
    brush = reinterpret_cast<HBRUSH>(reply);
  ::FillRect(dc, &rect, brush);
  return brush;
}

BOOL KtkShowsFocusCue(HWND window) {
  if (!window || ::GetFocus() != window) return FALSE;
  return (::SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

BOOL KtkHidesAccelerators(HWND window) {
  return window && (::SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0;
}

void KtkDrawFocusCue(HDC dc, const RECT& rect) {
  const COLORREF text = ::SetTextColor(dc, RGB(0, 0, 0));
  const COLORREF back = ::SetBkColor(dc, RGB(255, 255, 255));
  ::DrawFocusRect(dc, &rect);
  ::SetTextColor(dc, text);
  ::SetBkColor(dc, back);
}

void KtkTrackMouseLeave(HWND window) {
  TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, HOVER_DEFAULT};
  ::TrackMouseEvent(&track);
}

LRESULT KtkHandlePaint(CKtkSkinObject* object, UINT message, WPARAM wParam, LPARAM lParam,
                       const std::function<void(HDC, const RECT&)>& paint, BOOL always) {
  RECT client{};
  ::GetClientRect(object->m_hWnd, &client);
  if (message == WM_PRINTCLIENT) {
    if (!always && !(lParam & PRF_CLIENT)) return object->Default();
    if (wParam) paint(reinterpret_cast<HDC>(wParam), client);
    return 1;
  }
  CKtkSkinObjectPaintDC dc(object);
  if (dc.GetSafeHdc()) paint(dc.GetSafeHdc(), client);
  return 0;
}

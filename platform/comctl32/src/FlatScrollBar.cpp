// Flat scroll bars: only the mark on a window and the properties asked of it. The bars
// themselves stay the window's own and are drawn classic.
#include "kx2/ErrorBoundary.h"
#include "win/commctrl.h"
#include "win/user.h"

namespace {

constexpr const char16_t* kMark = u"Kx2FlatScrollBar";
constexpr const char16_t* kVerticalStyle = u"Kx2FlatScrollBarV";
constexpr const char16_t* kHorizontalStyle = u"Kx2FlatScrollBarH";

// Styles are kept one above their value, so that an absent property reads as the default.
int StyleOf(HWND hwnd, const char16_t* name) {
  const auto stored = reinterpret_cast<INT_PTR>(GetPropW(hwnd, name));
  return stored ? static_cast<int>(stored - 1) : FSB_REGULAR_MODE;
}

}  // namespace

BOOL InitializeFlatSB(HWND hwnd) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!IsWindow(hwnd)) return FALSE;
    return SetPropW(hwnd, kMark, reinterpret_cast<HANDLE>(1));
  });
}

HRESULT UninitializeFlatSB(HWND hwnd) {
  return kx2::Guard(E_FAIL, [&]() -> HRESULT {
    if (!IsWindow(hwnd)) return E_FAIL;
    RemovePropW(hwnd, kMark);
    RemovePropW(hwnd, kVerticalStyle);
    RemovePropW(hwnd, kHorizontalStyle);
    return S_OK;
  });
}

BOOL FlatSB_GetScrollProp(HWND hwnd, int index, LPINT value) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!value || !IsWindow(hwnd) || !GetPropW(hwnd, kMark)) return FALSE;
    switch (index) {
      case WSB_PROP_CYVSCROLL:
        *value = GetSystemMetrics(SM_CYVSCROLL);
        return TRUE;
      case WSB_PROP_CXHSCROLL:
        *value = GetSystemMetrics(SM_CXHSCROLL);
        return TRUE;
      case WSB_PROP_CYHSCROLL:
        *value = GetSystemMetrics(SM_CYHSCROLL);
        return TRUE;
      case WSB_PROP_CXVSCROLL:
        *value = GetSystemMetrics(SM_CXVSCROLL);
        return TRUE;
      case WSB_PROP_VSTYLE:
        *value = StyleOf(hwnd, kVerticalStyle);
        return TRUE;
      case WSB_PROP_HSTYLE:
        *value = StyleOf(hwnd, kHorizontalStyle);
        return TRUE;
      case WSB_PROP_WINSTYLE:
        *value = static_cast<int>(GetWindowLongW(hwnd, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL));
        return TRUE;
      default:
        return FALSE;
    }
  });
}

BOOL FlatSB_SetScrollProp(HWND hwnd, UINT index, INT_PTR value, BOOL redraw) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!IsWindow(hwnd) || !GetPropW(hwnd, kMark)) return FALSE;
    const char16_t* name = index == WSB_PROP_VSTYLE   ? kVerticalStyle
                           : index == WSB_PROP_HSTYLE ? kHorizontalStyle
                                                      : nullptr;
    if (!name || value < FSB_REGULAR_MODE || value > FSB_FLAT_MODE) return FALSE;
    SetPropW(hwnd, name, reinterpret_cast<HANDLE>(value + 1));
    if (redraw)
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return TRUE;
  });
}

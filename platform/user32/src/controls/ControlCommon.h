// What the standard controls share: their state object kept in the window's first extra
// slot from WM_NCCREATE to WM_NCDESTROY, registration as global classes when the library
// loads, painting into a DC given in wParam of WM_PAINT and WM_PRINTCLIENT, the brush the
// parent answers to WM_CTLCOLOR*, the control's font, and WM_COMMAND to the parent.
#pragma once

#include <memory>
#include <string>

#include "kx2/ErrorBoundary.h"
#include "win/gdi.h"
#include "win/user.h"
#include "win/user_controls.h"
#include "win/user_draw.h"
#include "win/userres.h"

namespace kx2::user32 {

// A control's procedure over its State: State(HWND, const CREATESTRUCTW&) and
// LRESULT State::Handle(UINT, WPARAM, LPARAM).
template <class State>
LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&]() -> LRESULT {
    if (message == WM_NCCREATE) {
      const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (!cs) return FALSE;
      auto state = std::make_unique<State>(hwnd, *cs);
      SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(state.release()));
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, 0));
    if (!state) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, 0, 0);
      delete state;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return state->Handle(message, wParam, lParam);
  });
}

template <class State>
void RegisterControl(LPCWSTR name, UINT style, LPCWSTR cursor = IDC_ARROW) {
  WNDCLASSW wc{};
  wc.style = style | CS_GLOBALCLASS;
  wc.lpfnWndProc = &ControlProc<State>;
  wc.cbWndExtra = sizeof(void*);
  wc.hCursor = LoadCursorW(nullptr, cursor);
  wc.lpszClassName = name;
  RegisterClassW(&wc);  // a second registration fails harmlessly
}

// Paints through the callback into the DC in wParam when there is one, else between
// BeginPaint and EndPaint.
template <class Paint>
LRESULT PaintMessage(HWND hwnd, WPARAM wParam, Paint&& paint) {
  if (wParam) {
    paint(reinterpret_cast<HDC>(wParam));
    return 0;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (dc) paint(dc);
  EndPaint(hwnd, &ps);
  return 0;
}

inline DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }

inline RECT ClientRect(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return r;
}

// The parent's brush for the control (the default window procedure's when there is no
// parent); the DC comes back with the colours the parent set. A reply of 1 to 31 stands
// for a system colour index plus one, as class brushes do.
inline HBRUSH ParentBrush(HWND control, UINT ctlColorMessage, HDC dc) {
  HWND parent = GetParent(control);
  const LRESULT reply =
      parent
          ? SendMessageW(parent, ctlColorMessage, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control))
          : DefWindowProcW(control, ctlColorMessage, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  if (reply >= 1 && reply <= 31) return GetSysColorBrush(static_cast<int>(reply) - 1);
  if (!reply)
    return reinterpret_cast<HBRUSH>(
        DefWindowProcW(control, ctlColorMessage, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
  return reinterpret_cast<HBRUSH>(reply);
}

// The hollow brush paints nothing: a parent answering it keeps its own background.
inline bool IsHollow(HBRUSH brush) {
  if (!brush || brush == static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))) return true;
  LOGBRUSH lb{};
  return GetObjectW(brush, sizeof(lb), &lb) == sizeof(lb) && lb.lbStyle == BS_NULL;
}

inline void FillBackground(HDC dc, const RECT& r, HBRUSH brush) {
  if (!IsHollow(brush) && r.right > r.left && r.bottom > r.top) FillRect(dc, &r, brush);
}

// The font a control draws with: the one WM_SETFONT gave, else the system font.
inline HFONT FontOrSystem(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

// Selects a font for the life of the object.
class SelectedFont {
 public:
  SelectedFont(HDC dc, HFONT font) : dc_(dc), old_(SelectObject(dc, FontOrSystem(font))) {}
  ~SelectedFont() { SelectObject(dc_, old_); }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// WM_COMMAND to the parent with the control's id and the code.
inline void NotifyParent(HWND control, WORD code) {
  if (HWND parent = GetParent(control))
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), code),
                 reinterpret_cast<LPARAM>(control));
}

// The window's UI state (UISF_HIDEFOCUS, UISF_HIDEACCEL).
inline UINT UiState(HWND hwnd) { return static_cast<UINT>(SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0)); }

// The window text, whole.
inline std::u16string TextOf(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  text.resize(length > 0 ? static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)) : 0);
  return text;
}

// Text drawn as disabled controls draw it: embossed, a highlight copy under the shadow.
inline void DrawDisabledText(HDC dc, const std::u16string& text, RECT r, UINT format) {
  const COLORREF old = GetTextColor(dc);
  RECT lit = r;
  OffsetRect(&lit, 1, 1);
  SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &lit, format);
  SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SetTextColor(dc, old);
}

// Registers a control class when the library loads: one static object per class.
struct RegisterAtLoad {
  explicit RegisterAtLoad(void (*registerClass)()) {
    kx2::Guard([&] { registerClass(); });
  }
};

}  // namespace kx2::user32

// What the edit, list box and combo box procedures share: their state object kept in the
// window's first extra slot from WM_NCCREATE to WM_NCDESTROY, registration as global
// classes when the library loads, painting into the DC given in wParam of WM_PAINT and
// WM_PRINTCLIENT, the brush the parent answers to WM_CTLCOLOR*, the font, WM_COMMAND to
// the parent and texts copied out within the caller's size.
#pragma once

#include <algorithm>
#include <memory>
#include <string>

#include "kx2/ErrorBoundary.h"
#include "win/gdi.h"
#include "win/user.h"
#include "win/userres.h"

namespace kx2::user32::textctl {

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
      state->Destroyed();
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

// Registers a control class when the library loads: one static object per class.
struct RegisterAtLoad {
  explicit RegisterAtLoad(void (*registerClass)()) {
    kx2::Guard([&] { registerClass(); });
  }
};

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

// The brush the parent answers for the control (the default window procedure's when it
// answers 0 or there is no parent); the DC comes back with the colours the parent set. A
// reply of 1 to 31 stands for a system colour index plus one. `asker` is who the parent
// hears about (a combo box's list and edit ask as their box).
inline HBRUSH ParentBrush(HWND control, UINT message, HDC dc, HWND parent) {
  const auto ask = [&](HWND target) {
    return target ? SendMessageW(target, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)) : 0;
  };
  LRESULT reply = ask(parent);
  if (reply >= 1 && reply <= 31) return GetSysColorBrush(static_cast<int>(reply) - 1);
  if (!reply) reply = DefWindowProcW(control, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
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

inline void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
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

// A screen-compatible DC with the control's font, for measuring outside painting.
class MeasureDc {
 public:
  explicit MeasureDc(HFONT font) : dc_(CreateCompatibleDC(nullptr)), font_(dc_, font) {}
  ~MeasureDc() { DeleteDC(dc_); }
  MeasureDc(const MeasureDc&) = delete;
  MeasureDc& operator=(const MeasureDc&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  SelectedFont font_;
};

// WM_COMMAND to `target` with the control's id and the code.
inline void NotifyCommand(HWND target, HWND control, int code) {
  if (target)
    SendMessageW(target, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(control)), static_cast<WORD>(code)),
                 reinterpret_cast<LPARAM>(control));
}

// Copies at most capacity - 1 units and a terminator; answers the units copied.
inline int CopyOut(const std::u16string& text, LPWSTR buffer, size_t capacity) {
  if (!buffer || capacity == 0) return 0;
  const size_t n = std::min(text.size(), capacity - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = 0;
  return static_cast<int>(n);
}

inline std::u16string FromText(LPCWSTR text) { return text ? std::u16string(text) : std::u16string(); }

inline bool KeyDown(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

}  // namespace kx2::user32::textctl

// What every control procedure shares: its state object kept in the window's first extra
// slot from WM_NCCREATE to WM_NCDESTROY, painting into a DC given in wParam (WM_PAINT and
// WM_PRINTCLIENT) or through BeginPaint, and notifying the parent.
#pragma once

#include <memory>

#include "kx2/ErrorBoundary.h"
#include "win/commctrl.h"
#include "win/userres.h"

namespace comctl {

// Registers a global class whose windows hold one State each; State(HWND, const
// CREATESTRUCTW&) and LRESULT State::Handle(UINT, WPARAM, LPARAM).
template <class State>
LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&]() -> LRESULT {
    if (message == WM_NCCREATE) {
      const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
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
void RegisterControl(LPCWSTR name, UINT style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW) {
  WNDCLASSW wc{};
  wc.style = style | CS_GLOBALCLASS;
  wc.lpfnWndProc = &ControlProc<State>;
  wc.cbWndExtra = sizeof(void*);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
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

inline LRESULT Notify(HWND control, UINT code, NMHDR* header) {
  header->hwndFrom = control;
  header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
  header->code = code;
  return SendMessageW(GetParent(control), WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

inline void FillSolid(HDC dc, const RECT& r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

// The classic raised edge with its light line outside (what BF_SOFT asks for): highlight
// then light at the top and left, dark shadow then shadow at the bottom and right.
inline void SoftRaisedEdge(HDC dc, const RECT& r, UINT sides) {
  auto line = [&](const RECT& piece, int colour) { FillSolid(dc, piece, GetSysColor(colour)); };
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return;
  if (sides & BF_BOTTOM) {
    line(RECT{r.left, r.bottom - 1, r.right, r.bottom}, COLOR_3DDKSHADOW);
    line(RECT{r.left + 1, r.bottom - 2, r.right - 1, r.bottom - 1}, COLOR_BTNSHADOW);
  }
  if (sides & BF_RIGHT) {
    line(RECT{r.right - 1, r.top, r.right, r.bottom}, COLOR_3DDKSHADOW);
    line(RECT{r.right - 2, r.top + 1, r.right - 1, r.bottom - 1}, COLOR_BTNSHADOW);
  }
  if (sides & BF_TOP) {
    line(RECT{r.left, r.top, r.right - ((sides & BF_RIGHT) ? 1 : 0), r.top + 1}, COLOR_BTNHIGHLIGHT);
    line(RECT{r.left + 1, r.top + 1, r.right - ((sides & BF_RIGHT) ? 2 : 0), r.top + 2}, COLOR_3DLIGHT);
  }
  if (sides & BF_LEFT) {
    line(RECT{r.left, r.top, r.left + 1, r.bottom - ((sides & BF_BOTTOM) ? 1 : 0)}, COLOR_BTNHIGHLIGHT);
    line(RECT{r.left + 1, r.top + 1, r.left + 2, r.bottom - ((sides & BF_BOTTOM) ? 2 : 0)}, COLOR_3DLIGHT);
  }
}

}  // namespace comctl

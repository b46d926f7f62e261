// The class names the update dialog's template asks for, answered by tiny stand-ins where
// the system's are not registered: a push button that reports its click and paints its
// face, a static that paints its text or its bitmap. Where the system's classes exist,
// nothing is registered and the dialog uses them.
#pragma once

#include <renewal/UpdateDialogParts.h>
#include <win/dialog.h>
#include <win/gdi.h>
#include <win/user.h>
#include <win/userres.h>

namespace updatetest {

inline LRESULT CALLBACK StandInButton(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == BM_CLICK) {
    SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
    return 0;
  }
  if (message == WM_GETDLGCODE)
    return DLGC_BUTTON |
           ((GetWindowLongW(hwnd, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT box{};
    GetClientRect(hwnd, &box);
    FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &box, EDGE_RAISED, BF_RECT);
    char16_t text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline LRESULT CALLBACK StandInStatic(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT box{};
    GetClientRect(hwnd, &box);
    if ((GetWindowLongW(hwnd, GWL_STYLE) & 0x1F) == 0x0E) {
      auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd, GWLP_HINSTANCE));
      if (HBITMAP bitmap = LoadBitmapW(instance, MAKEINTRESOURCEW(renewal::kBannerBitmapId))) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, bitmap);
        BitBlt(dc, 0, 0, box.right, box.bottom, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
        DeleteObject(bitmap);
      }
    } else {
      char16_t text[2100] = {};
      GetWindowTextW(hwnd, text, 2100);
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, text, -1, &box, DT_LEFT | DT_WORDBREAK);
    }
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline void StandInWhereMissing(LPCWSTR name, WNDPROC proc) {
  WNDCLASSW existing{};
  if (GetClassInfoW(nullptr, name, &existing)) return;
  WNDCLASSW wc{};
  wc.style = CS_GLOBALCLASS;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}

inline void StandInControlsWhereMissing() {
  StandInWhereMissing(u"Button", &StandInButton);
  StandInWhereMissing(u"Static", &StandInStatic);
}

}  // namespace updatetest

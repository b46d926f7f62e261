// Shared by the window-system tests: a class whose procedure journals every message, and
// a fixture that checks no window outlives its test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx2/Clock.h"
#include "kx2/IdleHandler.h"
#include "kx2/InputState.h"
#include "win/user.h"

namespace usertest {

struct Entry {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

inline std::vector<Entry>& Journal() {
  static std::vector<Entry> journal;
  return journal;
}

// Messages the journal leaves out unless a test asks for them: they come and go with
// details the order tables do not care about.
// WM_IME_SETCONTEXT comes with every focus change (the input-method tests record it).
inline bool Noise(UINT m) { return m == WM_GETMINMAXINFO || m == WM_GETTEXT || m == WM_IME_SETCONTEXT; }

inline LRESULT CALLBACK JournalProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Noise(message)) Journal().push_back(Entry{hwnd, message, wParam, lParam});
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The messages one window received, in order.
inline std::vector<UINT> MessagesOf(HWND hwnd) {
  std::vector<UINT> out;
  for (const Entry& e : Journal())
    if (e.hwnd == hwnd) out.push_back(e.message);
  return out;
}

inline std::vector<std::pair<HWND, UINT>> Pairs() {
  std::vector<std::pair<HWND, UINT>> out;
  for (const Entry& e : Journal()) out.emplace_back(e.hwnd, e.message);
  return out;
}

inline void RegisterJournalClass(LPCWSTR name, UINT style = 0, int extra = 0) {
  WNDCLASSW wc{};
  wc.style = style;
  wc.lpfnWndProc = &JournalProc;
  wc.cbWndExtra = extra;
  wc.lpszClassName = name;
  RegisterClassW(&wc);  // a second registration fails harmlessly
}

// Every message waiting is dispatched (the clock is not moved).
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Kx2ClockSetManual(TRUE, 1000000);
    Kx2ResetInput();
    Journal().clear();
    RegisterJournalClass(u"JournalWindow", CS_DBLCLKS);
    windowsAtStart_ = Kx2LiveWindowCount();
  }
  void TearDown() override {
    for (HWND h : made_)
      if (IsWindow(h)) DestroyWindow(h);
    Pump();
    Kx2ClockSetManual(FALSE, 0);
    EXPECT_EQ(Kx2LiveWindowCount(), windowsAtStart_) << "a window outlived its test";
  }

  HWND Make(DWORD style, HWND parent = nullptr, RECT r = RECT{10, 20, 210, 170}, DWORD exStyle = 0,
            LPCWSTR cls = u"JournalWindow", UINT_PTR id = 0) {
    HWND h = CreateWindowExW(exStyle, cls, u"title", style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                             reinterpret_cast<HMENU>(id), nullptr, nullptr);
    if (h) made_.push_back(h);
    return h;
  }

 private:
  UINT windowsAtStart_ = 0;
  std::vector<HWND> made_;
};

}  // namespace usertest

// Shared by the bridge's tests: a host edit window that records what the bridge sends it
// and answers requests as a test sets, and a fixture that starts every test from the
// process's start state and checks that no window outlives it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include <kx2/Clock.h>
#include <kx2/IdleHandler.h>
#include <kx2/ImeScript.h>
#include <kx2/InputState.h>
#include <win/imm.h>
#include <win/user.h>

#include "classes/class_set.h"
#include "openclose/open_close.h"

namespace queltest {

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool busy;  // the open/close procedures' busy flag when it arrived
};

// What the host window does with requests.
struct HostAnswers {
  LRESULT answer = 1;            // the result of every request
  int32_t traceByScanCode = 1;   // written for request 561
  HWND visibleWindow = nullptr;  // written for request 562
};

inline std::vector<Seen>& Record() {
  static std::vector<Seen> record;
  return record;
}
inline HostAnswers& Answers() {
  static HostAnswers answers;
  return answers;
}

inline std::vector<Seen> Messages(UINT message) {
  std::vector<Seen> out;
  for (const Seen& s : Record())
    if (s.message == message) out.push_back(s);
  return out;
}

inline LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case QUEL_WM_REQUEST: {
      Record().push_back(Seen{hwnd, message, wParam, lParam, quel::OpenCloseBusy()});
      if ((wParam & 0xFFFF) == QUEL_REQUEST_KEY_TRACE)
        reinterpret_cast<tagImeKeyTraceRequest*>(lParam)->traceByScanCode = Answers().traceByScanCode;
      else if ((wParam & 0xFFFF) == QUEL_REQUEST_VISIBLE_WINDOW)
        *reinterpret_cast<HWND*>(lParam) = Answers().visibleWindow;
      return Answers().answer;
    }
    case WM_INPUTLANGCHANGEREQUEST:
      // Recorded only: switching the thread's layout is not what these tests look at.
      Record().push_back(Seen{hwnd, message, wParam, lParam, quel::OpenCloseBusy()});
      return 0;
    case WM_IME_NOTIFY:
      Record().push_back(Seen{hwnd, message, wParam, lParam, quel::OpenCloseBusy()});
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline HKL Layout(DWORD id) { return reinterpret_cast<HKL>(static_cast<uintptr_t>(id)); }

inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class BridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Kx2ClockSetManual(TRUE, 1000000);
    Kx2ResetInput();
    Kx2ImeReset();
    Kx2ResetKeyboardLayout();
    quel::ResetClassSet();
    quel::ResetOpenCloseState();
    for (LPCWSTR name : {u"QuelHostEdit", u"QuelOtherWindow"}) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &HostProc;
      wc.lpszClassName = name;
      RegisterClassW(&wc);  // a second registration fails harmlessly
    }
    windowsAtStart_ = Kx2LiveWindowCount();
    Record().clear();
    Answers() = HostAnswers{};
  }
  void TearDown() override {
    for (HWND h : made_)
      if (IsWindow(h)) DestroyWindow(h);
    Pump();
    Kx2ImeReset();
    Kx2ResetKeyboardLayout();
    quel::ResetClassSet();
    quel::ResetOpenCloseState();
    Kx2ClockSetManual(FALSE, 0);
    EXPECT_EQ(Kx2LiveWindowCount(), windowsAtStart_) << "a window outlived its test";
  }

  HWND MakeWindow(LPCWSTR cls = u"QuelHostEdit") {
    HWND h = CreateWindowExW(0, cls, u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 20, 200, 150, nullptr, nullptr, nullptr,
                             nullptr);
    if (h) made_.push_back(h);
    return h;
  }
  static UINT AtomOf(HWND window) { return GetClassLongW(window, GCW_ATOM); }

 private:
  UINT windowsAtStart_ = 0;
  std::vector<HWND> made_;
};

}  // namespace queltest

// Shared by the bridge's tests: a host edit window that records what the bridge sends it
// and answers requests as a test sets, and a fixture that starts every test from the
// process's start state and checks that no window outlives it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <kx2/Clock.h>
#include <kx2/IdleHandler.h>
#include <kx2/ImeScript.h>
#include <kx2/InputState.h>
#include <win/imm.h>
#include <win/user.h>

#include "bridge/bridge_state.h"
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

// What the host window does with requests and notifications.
struct HostAnswers {
  LRESULT answer = 1;            // the result of every request
  int32_t traceByScanCode = 1;   // written for request 561
  HWND visibleWindow = nullptr;  // written for request 562
  LRESULT notifyAnswer = 1;      // the answer to compositions and results
  uint16_t lastWord = 0;         // written into result records
  tagImeCaretInfo caret{0, 0, 0, 0, 0, 0, 0, 0};
  std::function<void(WPARAM kind)> onNotify;         // runs inside each composition or result
  std::function<LRESULT(WPARAM command)> onCommand;  // answers WM_COMMAND
};

// A composition or result as the host received it.
struct Received {
  HWND hwnd;
  WPARAM kind;
  tagImeCompNotify record;
};
inline std::vector<Received>& Notifications() {
  static std::vector<Received> received;
  return received;
}

// The bridge exists (it answers its own window).
inline bool BridgeUp() { return _ExpImControl(nullptr, QUEL_WM_CONTROL, 0x10002, 0) != 0; }

// The host's loop: each message through the bridge before translation.
inline void HostPump() {
  MSG msg;
  for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (_ExpImControl(nullptr, QUEL_WM_PRETRANSLATE, reinterpret_cast<WPARAM>(&msg), 0) == 1) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

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
    case QUEL_WM_NOTIFY: {
      Record().push_back(Seen{hwnd, message, wParam, lParam, quel::OpenCloseBusy()});
      if (wParam == QUEL_NOTIFY_CARET) {
        *reinterpret_cast<tagImeCaretInfo*>(lParam) = Answers().caret;
        return 1;
      }
      auto* record = reinterpret_cast<tagImeCompNotify*>(lParam);
      Notifications().push_back(Received{hwnd, wParam, *record});
      if (wParam == QUEL_NOTIFY_RESULT) record->lastWord = Answers().lastWord;
      if (Answers().onNotify) Answers().onNotify(wParam);
      return Answers().notifyAnswer;
    }
    case WM_COMMAND:
      return Answers().onCommand ? Answers().onCommand(wParam) : 0;
    case QUEL_WM_RELAY:
      Record().push_back(Seen{hwnd, message, wParam, lParam, quel::OpenCloseBusy()});
      return 0;
    case WM_INPUTLANGCHANGEREQUEST:
      // Recorded only: switching the thread's layout is not what these tests look at.
      Record().push_back(Seen{hwnd, message, wParam, lParam, quel::OpenCloseBusy()});
      return 0;
    case WM_IME_NOTIFY:
      Record().push_back(Seen{hwnd, message, wParam, lParam, quel::OpenCloseBusy()});
      if (BridgeUp()) return _ExpImControl(hwnd, message, wParam, lParam);
      break;
    case WM_IME_SETCONTEXT:
    case WM_INPUTLANGCHANGE:
      if (BridgeUp()) return _ExpImControl(hwnd, message, wParam, lParam);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ACTIVATEAPP:
      _ExpImControl(hwnd, message, wParam, lParam);
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
    quel::ResetBridgeForTests();
    for (LPCWSTR name : {u"QuelHostEdit", u"QuelOtherWindow"}) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &HostProc;
      wc.lpszClassName = name;
      RegisterClassW(&wc);  // a second registration fails harmlessly
    }
    windowsAtStart_ = Kx2LiveWindowCount();
    Record().clear();
    Notifications().clear();
    Answers() = HostAnswers{};
  }
  void TearDown() override {
    for (HWND h : made_)
      if (IsWindow(h)) DestroyWindow(h);
    Pump();
    Kx2ImeReset();
    Kx2ResetKeyboardLayout();
    quel::ResetBridgeForTests();
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

namespace queltest {

// A host window served by a prepared bridge, focused, on an input-method layout.
class ServedHostTest : public BridgeTest {
 protected:
  void SetUp() override {
    BridgeTest::SetUp();
    ActivateKeyboardLayout(Layout(0xE0010411), 0);
    host_ = MakeWindow();
    _ExpImGlobalAdd(AtomOf(host_));
    bridge_ = _ExpImPrepare(host_);
    // The window took focus when it was made, before the bridge existed.
    SetFocus(nullptr);
    SetFocus(host_);
    HostPump();
    Record().clear();
    Notifications().clear();
  }
  // Plays every line, the host's loop running after each.
  void Play(const char* text) {
    Kx2ImeScript* script = Kx2ImeScriptParse(text, std::char_traits<char>::length(text));
    ASSERT_EQ(Kx2ImeScriptBadLine(script), 0);
    while (Kx2ImeScriptStep(script)) HostPump();
    Kx2ImeScriptFree(script);
  }
  LRESULT Control(UINT sub, UINT op, LPARAM value = 0, HWND window = nullptr) {
    return _ExpImControl(window, QUEL_WM_CONTROL, (static_cast<WPARAM>(sub) << 16) | op, value);
  }
  static std::u16string Text(const tagImeCompNotify& record) {
    return std::u16string(reinterpret_cast<const char16_t*>(record.text));
  }
  std::vector<Received> Of(WPARAM kind) {
    std::vector<Received> out;
    for (const Received& r : Notifications())
      if (r.kind == kind) out.push_back(r);
    return out;
  }

  HWND host_ = nullptr;
  HWND bridge_ = nullptr;
};

}  // namespace queltest

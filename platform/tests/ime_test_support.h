// Shared by the input-method tests: a window that records the keyboard and input-method
// messages it gets (passing each to DefWindowProcW), and a fixture that plays scripts.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kx2/ImeScript.h"
#include "user_test_support.h"
#include "win/imm.h"

namespace imetest {

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Seen&) const = default;
};

inline std::vector<Seen>& Record() {
  static std::vector<Seen> record;
  return record;
}

inline bool Recorded(UINT m) {
  return (m >= WM_KEYDOWN && m <= WM_SYSCHAR) || (m >= WM_IME_STARTCOMPOSITION && m <= WM_IME_COMPOSITION) ||
         (m >= WM_IME_SETCONTEXT && m <= WM_IME_KEYUP) || m == WM_INPUTLANGCHANGE || m == WM_INPUTLANGCHANGEREQUEST ||
         m == WM_SETFOCUS || m == WM_KILLFOCUS;
}

inline LRESULT CALLBACK RecorderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Recorded(message)) Record().push_back(Seen{message, wParam, lParam});
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Key messages keep only the key (their lParam carries counts and scan codes).
inline std::vector<Seen> Simplified() {
  std::vector<Seen> out;
  for (Seen s : Record()) {
    if (s.message >= WM_KEYDOWN && s.message <= WM_SYSKEYUP && s.message != WM_CHAR) s.lParam = 0;
    if (s.message == WM_CHAR || s.message == WM_IME_CHAR) s.lParam = 0;
    out.push_back(s);
  }
  return out;
}

inline HKL Layout(DWORD id) { return reinterpret_cast<HKL>(static_cast<uintptr_t>(id)); }

class ImeTest : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &RecorderProc;
    wc.lpszClassName = u"ImeRecorder";
    RegisterClassW(&wc);
    Kx2ImeReset();
    Kx2ResetKeyboardLayout();
    ActivateKeyboardLayout(Layout(0xE0010411), 0);
    window_ = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{10, 20, 210, 170}, 0, u"ImeRecorder");
    SetFocus(window_);
    usertest::Pump();
    Record().clear();
  }
  void TearDown() override {
    Kx2ImeReset();
    Kx2ResetKeyboardLayout();
    WindowTest::TearDown();
  }

  // Plays every line, dispatching what each gives the thread before the next.
  void Play(const char* text) {
    Kx2ImeScript* script = Kx2ImeScriptParse(text, std::char_traits<char>::length(text));
    ASSERT_EQ(Kx2ImeScriptBadLine(script), 0);
    while (Kx2ImeScriptStep(script)) usertest::Pump();
    Kx2ImeScriptFree(script);
  }

  HIMC Context() { return ImmGetContext(window_); }

  HWND window_ = nullptr;
};

}  // namespace imetest

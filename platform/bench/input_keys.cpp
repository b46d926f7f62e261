// Keyboard input against its peers, in one run:
//  - 100,000 keystrokes typed through the open input method (each key taken, composed, the
//    composition committed every fifth key) against the same keystrokes with the method
//    closed, where each key is the window's own and TranslateMessage makes its character;
//  - MapVirtualKeyW plus GetKeyNameTextW over every scan code, plain and extended, against
//    libxkbcommon's xkb_state_key_get_one_sym plus xkb_keysym_get_name on its "us" keymap.
#include <benchmark/benchmark.h>
#include <xkbcommon/xkbcommon.h>

#include <string>

#include "kx2/Clock.h"
#include "kx2/ImeScript.h"
#include "kx2/InputState.h"
#include "win/imm.h"

namespace {

constexpr int kKeystrokes = 100000;
constexpr int kScriptKeys = 1000;  // one script, played kKeystrokes / kScriptKeys times

LRESULT CALLBACK Editor(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  static size_t characters = 0;
  if (message == WM_CHAR) benchmark::DoNotOptimize(++characters);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

std::string TypingScript() {
  std::string text;
  for (int i = 0; i < kScriptKeys; ++i) {
    const char key = static_cast<char>('A' + i % 26);
    if (i % 5 == 4)
      text += std::string("key ") + key + " result \"\\u611B\"\n";
    else
      text += std::string("key ") + key + " comp \"\\u3042\\u3044\" attr 0 0 cursor 2\n";
  }
  return text;
}

void Type(benchmark::State& state, bool open) {
  Kx2ClockSetManual(TRUE, 1000);
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Editor;
  wc.lpszClassName = u"BenchEditor";
  RegisterClassW(&wc);
  ActivateKeyboardLayout(reinterpret_cast<HKL>(uintptr_t{0xE0010411}), 0);
  HWND window = CreateWindowExW(0, u"BenchEditor", u"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
  SetFocus(window);
  Pump();
  ImmSetOpenStatus(ImmGetContext(window), open ? TRUE : FALSE);
  const std::string text = TypingScript();
  for (auto _ : state) {
    for (int round = 0; round < kKeystrokes / kScriptKeys; ++round) {
      Kx2ImeScript* script = Kx2ImeScriptParse(text.data(), text.size());
      while (Kx2ImeScriptStep(script)) Pump();
      Kx2ImeScriptFree(script);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kKeystrokes);
  DestroyWindow(window);
  Pump();
  Kx2ImeReset();
  Kx2ClockSetManual(FALSE, 0);
}

void BM_KeystrokesMethodOpen(benchmark::State& state) { Type(state, true); }
void BM_KeystrokesMethodClosed(benchmark::State& state) { Type(state, false); }
BENCHMARK(BM_KeystrokesMethodOpen)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokesMethodClosed)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_KeyNamesOurs(benchmark::State& state) {
  WCHAR name[64];
  for (auto _ : state) {
    for (LONG scan = 1; scan < 256; ++scan) {
      for (LONG extended : {0, 1 << 24}) {
        benchmark::DoNotOptimize(MapVirtualKeyW(static_cast<UINT>(scan), MAPVK_VSC_TO_VK));
        benchmark::DoNotOptimize(GetKeyNameTextW(scan << 16 | extended, name, 64));
      }
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 255 * 2);
}
BENCHMARK(BM_KeyNamesOurs);

void BM_KeyNamesXkbcommon(benchmark::State& state) {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
  xkb_rule_names names{"evdev", "pc105", "us", "", ""};
  xkb_keymap* keymap = context ? xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr;
  if (!keymap) {
    state.SkipWithError("no xkb keymap (xkb-data missing)");
    if (context) xkb_context_unref(context);
    return;
  }
  xkb_state* xstate = xkb_state_new(keymap);
  char name[64];
  for (auto _ : state) {
    // The same 510 look-ups: every key code, and the extended half as the key code
    // offset a second time.
    for (int pass = 0; pass < 2; ++pass) {
      for (xkb_keycode_t code = 9; code < 264; ++code) {
        const xkb_keysym_t sym = xkb_state_key_get_one_sym(xstate, code);
        benchmark::DoNotOptimize(xkb_keysym_get_name(sym, name, sizeof name));
      }
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 255 * 2);
  xkb_state_unref(xstate);
  xkb_keymap_unref(keymap);
  xkb_context_unref(context);
}
BENCHMARK(BM_KeyNamesXkbcommon);

}  // namespace

BENCHMARK_MAIN();

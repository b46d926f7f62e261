// The bridge against its peer, in one run: 10,000 keystrokes of scripted compositions (each
// key composes, every fifth commits) typed into the host's edit window through the bridge
// (every message through QUEL_WM_PRETRANSLATE, compositions and results as records), against
// the same keystrokes into the same window without a bridge, where its input-method messages
// go to DefWindowProcW (results arrive as WM_IME_CHAR, then WM_CHAR).
#include <benchmark/benchmark.h>

#include <string>

#include <kx2/Clock.h>
#include <kx2/ImeScript.h>
#include <kx2/InputState.h>
#include <quel/Quel.h>
#include <vantorel/edit_window.h>

namespace {

constexpr int kKeystrokes = 10000;

std::string TypingScript() {
  std::string text = "layout 0xE0010411\n";
  for (int i = 0; i < kKeystrokes; ++i) {
    const char key = static_cast<char>('A' + i % 26);
    if (i % 5 == 4)
      text += std::string("key ") + key + " result \"\\u611B\"\n";
    else
      text += std::string("key ") + key + " comp \"\\u3042\\u3044\" attr 0 1 cursor 2\n";
  }
  return text;
}

void Pump(bool bridge) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (bridge) {
      vantorel::edit::ProcessMessage(msg);
    } else {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void Type(benchmark::State& state, bool bridge) {
  Kx2ClockSetManual(TRUE, 1000);
  vantorel::edit::RegisterEditClass();
  const std::string text = TypingScript();
  size_t typed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    HWND window = vantorel::edit::CreateEditWindow(0, 0, 400, 60);
    if (bridge) _ExpImPrepare(window);
    ShowWindow(window, SW_SHOW);
    SetFocus(window);
    if (!bridge) ImmSetOpenStatus(ImmGetContext(window), TRUE);
    Kx2ImeScript* script = Kx2ImeScriptParse(text.data(), text.size());
    Pump(bridge);
    state.ResumeTiming();
    while (Kx2ImeScriptStep(script)) Pump(bridge);
    state.PauseTiming();
    typed = vantorel::edit::Text(window).size();
    Kx2ImeScriptFree(script);
    DestroyWindow(window);
    if (bridge) _ExpImControl(nullptr, QUEL_WM_CONTROL, 0x18000, 0);
    Kx2ImeReset();
    state.ResumeTiming();
  }
  if (typed != kKeystrokes / 5)
    state.SkipWithError(("not every result reached the window: " + std::to_string(typed)).c_str());
  state.SetItemsProcessed(state.iterations() * kKeystrokes);
}

void BM_TypeThroughBridge(benchmark::State& state) { Type(state, true); }
void BM_TypeWithDefWindowProc(benchmark::State& state) { Type(state, false); }

BENCHMARK(BM_TypeThroughBridge)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TypeWithDefWindowProc)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

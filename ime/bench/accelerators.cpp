// Accelerator interpretation against its peer, in one run: 1,000,000 one-chord key-downs
// over a 200-entry table through _ExpAcceleratorInterpretWithKey into a window that counts
// its commands, against a plain loop over a std::vector of the same entries that reads the
// same modifier state and calls the window procedure directly.
#include <benchmark/benchmark.h>

#include <vector>

#include <kx2/InputState.h>
#include <quel/Accelerators.h>

namespace {

constexpr int kKeyDowns = 1000000;
constexpr int kEntries = 200;

size_t g_commands = 0;

LRESULT CALLBACK Counter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    ++g_commands;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// 200 one-chord entries: Ctrl, Alt, Shift and their pairs with letters, digits and F-keys.
std::vector<tagAccelEntry> Entries() {
  std::vector<tagAccelEntry> entries;
  const uint32_t modifiers[] = {QUEL_CHORD_CTRL, QUEL_CHORD_ALT, QUEL_CHORD_SHIFT | QUEL_CHORD_CTRL,
                                QUEL_CHORD_CTRL | QUEL_CHORD_ALT};
  std::vector<uint32_t> keys;
  for (uint32_t k = 'A'; k <= 'Z'; ++k) keys.push_back(k);
  for (uint32_t k = '0'; k <= '9'; ++k) keys.push_back(k);
  for (uint32_t k = 0x70; k < 0x70 + 14; ++k) keys.push_back(k);
  for (uint32_t m : modifiers)
    for (uint32_t k : keys)
      if (entries.size() < kEntries)
        entries.push_back(tagAccelEntry{m | k, 0, static_cast<uint16_t>(entries.size() + 1), 0});
  return entries;
}

HWND MakeWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Counter;
  wc.lpszClassName = u"BenchAccelCounter";
  RegisterClassW(&wc);
  return CreateWindowExW(0, u"BenchAccelCounter", u"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

uint32_t Modifiers() {
  uint32_t bits = 0;
  if (GetKeyState(VK_SHIFT) < 0) bits |= QUEL_CHORD_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) bits |= QUEL_CHORD_CTRL;
  if (GetKeyState(VK_MENU) < 0) bits |= QUEL_CHORD_ALT;
  return bits;
}

// Keys of entries spread over the table, with Ctrl held (the first 50 entries' modifier).
std::vector<UINT> Keys(const std::vector<tagAccelEntry>& entries) {
  std::vector<UINT> keys;
  for (const tagAccelEntry& e : entries)
    if ((e.firstChord & 0xF0000) == QUEL_CHORD_CTRL) keys.push_back(e.firstChord & 0xFFFF);
  return keys;
}

void BM_Interpret(benchmark::State& state) {
  const std::vector<tagAccelEntry> entries = Entries();
  tagAccelTable* table = _ExpAcceleratorCreate(entries.data(), static_cast<int32_t>(entries.size()));
  HWND window = MakeWindow();
  Kx2SetThreadKeyState(VK_CONTROL, 0x80);
  const std::vector<UINT> keys = Keys(entries);
  g_commands = 0;
  for (auto _ : state) {
    for (int i = 0; i < kKeyDowns; ++i) {
      MSG msg{window, WM_KEYDOWN, keys[static_cast<size_t>(i) % keys.size()], 0};
      benchmark::DoNotOptimize(_ExpAcceleratorInterpretWithKey(window, table, &msg, nullptr));
    }
  }
  if (g_commands != static_cast<size_t>(state.iterations()) * kKeyDowns) state.SkipWithError("commands went missing");
  state.SetItemsProcessed(state.iterations() * kKeyDowns);
  Kx2SetThreadKeyState(VK_CONTROL, 0);
  DestroyWindow(window);
  _ExpAcceleratorRelease(table);
}

void BM_VectorLoop(benchmark::State& state) {
  const std::vector<tagAccelEntry> entries = Entries();
  HWND window = MakeWindow();
  Kx2SetThreadKeyState(VK_CONTROL, 0x80);
  const std::vector<UINT> keys = Keys(entries);
  g_commands = 0;
  for (auto _ : state) {
    for (int i = 0; i < kKeyDowns; ++i) {
      const uint32_t chord = Modifiers() | keys[static_cast<size_t>(i) % keys.size()];
      for (const tagAccelEntry& e : entries) {
        if (e.firstChord == chord) {
          benchmark::DoNotOptimize(Counter(window, WM_COMMAND, e.command, 0));
          break;
        }
      }
    }
  }
  if (g_commands != static_cast<size_t>(state.iterations()) * kKeyDowns) state.SkipWithError("commands went missing");
  state.SetItemsProcessed(state.iterations() * kKeyDowns);
  Kx2SetThreadKeyState(VK_CONTROL, 0);
  DestroyWindow(window);
}

BENCHMARK(BM_Interpret)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_VectorLoop)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

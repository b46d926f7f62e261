// The window core's message paths against their plain peers, in one run:
//  - SendMessageW to a window subclassed twice against calling the same three procedures
//    directly (the cost of the send itself: lookup, depth guard);
//  - 1,000,000 PostMessageW / PeekMessageW pairs against a std::deque under a std::mutex.
#include <benchmark/benchmark.h>

#include <deque>
#include <mutex>

#include "win/user.h"

namespace {

// Work a real procedure does: look at the message, touch some state.
LRESULT Work(UINT message, WPARAM wParam, LPARAM lParam, LRESULT seed) {
  switch (message) {
    case WM_USER:
      return seed + static_cast<LRESULT>(wParam) * 3 + lParam;
    case WM_USER + 1:
      return seed - 1;
    default:
      return seed;
  }
}

WNDPROC g_previous1 = nullptr;
WNDPROC g_previous2 = nullptr;

LRESULT ClassProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) { return Work(message, wParam, lParam, 1); }

LRESULT Subclass1(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
  return Work(message, wParam, lParam, CallWindowProcW(g_previous1, h, message, wParam, lParam));
}

LRESULT Subclass2(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
  return Work(message, wParam, lParam, CallWindowProcW(g_previous2, h, message, wParam, lParam));
}

HWND MakeWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = &ClassProc;
  wc.lpszClassName = u"BenchWindow";
  RegisterClassW(&wc);
  return CreateWindowExW(0, u"BenchWindow", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

void BM_SendMessageSubclassedTwice(benchmark::State& state) {
  HWND w = MakeWindow();
  g_previous1 = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Subclass1)));
  g_previous2 = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Subclass2)));
  WPARAM i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(SendMessageW(w, WM_USER, ++i, 2));
  DestroyWindow(w);
}
BENCHMARK(BM_SendMessageSubclassedTwice);

// Peer: the same three procedures, the outermost called directly.
void BM_ThreeProceduresDirectly(benchmark::State& state) {
  HWND w = MakeWindow();
  g_previous1 = &ClassProc;
  g_previous2 = &Subclass1;
  WPARAM i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Subclass2(w, WM_USER, ++i, 2));
  DestroyWindow(w);
}
BENCHMARK(BM_ThreeProceduresDirectly);

void BM_PostPeekPairs(benchmark::State& state) {
  HWND w = MakeWindow();
  MSG msg;
  WPARAM i = 0;
  for (auto _ : state) {
    PostMessageW(w, WM_USER, ++i, 0);
    PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
    benchmark::DoNotOptimize(msg.wParam);
  }
  DestroyWindow(w);
}
BENCHMARK(BM_PostPeekPairs)->Iterations(1000000);

// Peer: a queue of the same records under a lock, as a hand-made message queue would be.
void BM_DequeUnderMutexPairs(benchmark::State& state) {
  std::deque<MSG> queue;
  std::mutex lock;
  MSG msg{};
  WPARAM i = 0;
  for (auto _ : state) {
    {
      std::lock_guard<std::mutex> guard(lock);
      queue.push_back(MSG{nullptr, WM_USER, ++i, 0, 0, POINT{0, 0}});
    }
    {
      std::lock_guard<std::mutex> guard(lock);
      msg = queue.front();
      queue.pop_front();
    }
    benchmark::DoNotOptimize(msg.wParam);
  }
}
BENCHMARK(BM_DequeUnderMutexPairs)->Iterations(1000000);

}  // namespace

BENCHMARK_MAIN();

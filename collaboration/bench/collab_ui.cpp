// The UI service's event queue against a std::deque under a std::mutex doing the same:
// 1,000,000 events pushed by two threads while one thread pops them.
#include <benchmark/benchmark.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

#include <tendril/tendril_interfaces.h>

namespace {

constexpr int kEvents = 1000000;
constexpr int kPerPusher = kEvents / 2;

// The peer: the same records through a plain locked deque (with the same newest-record check).
class PlainQueue {
 public:
  void Push(const TendrilUIEvent& e) {
    std::lock_guard hold(lock_);
    if (!queue_.empty() && queue_.back() == e) return;
    queue_.push_back(e);
  }
  void Pop(TendrilUIEvent* out) {
    std::lock_guard hold(lock_);
    if (queue_.empty()) {
      out->type = -1;
      return;
    }
    *out = queue_.front();
    queue_.pop_front();
  }

 private:
  std::mutex lock_;
  std::deque<TendrilUIEvent> queue_;
};

template <class Push, class Pop>
void RunTraffic(Push push, Pop pop) {
  auto pusher = [&](int room) {
    for (int i = 0; i < kPerPusher; ++i) push(MakeUIEvent(1, room, i));
  };
  std::thread a(pusher, 1), b(pusher, 2);
  int popped = 0;
  TendrilUIEvent e;
  while (popped < kEvents) {
    pop(&e);
    if (e.type != -1) ++popped;
  }
  a.join();
  b.join();
}

void UIServiceQueue(benchmark::State& state) {
  ITendrilUIService* ui = GetTendrilInterface()->GetUIService();
  for (auto _ : state) {
    RunTraffic([ui](const TendrilUIEvent& e) { ui->PushUIEvent(e); }, [ui](TendrilUIEvent* e) { ui->PopUIEvent(e); });
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kEvents);
  DestroyTendril();
}

void PlainLockedDeque(benchmark::State& state) {
  PlainQueue queue;
  for (auto _ : state) {
    RunTraffic([&](const TendrilUIEvent& e) { queue.Push(e); }, [&](TendrilUIEvent* e) { queue.Pop(e); });
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kEvents);
}

}  // namespace

BENCHMARK(PlainLockedDeque)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(UIServiceQueue)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK_MAIN();

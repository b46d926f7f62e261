// The platform clock (see kx2/Clock.h).
#include "kx2/Clock.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "win/kernel.h"

namespace {

// Readers (every message posted reads the clock) take no lock; writers change the values
// and the listener list under it.
struct ClockState {
  std::mutex lock;
  std::atomic<bool> manual{false};
  std::atomic<ULONGLONG> manualNow{0};
  std::vector<std::pair<Kx2ClockListener, void*>> listeners;
};

ClockState& State() {
  static ClockState* state = new ClockState;
  return *state;
}

ULONGLONG RealMilliseconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<ULONGLONG>(ts.tv_sec) * 1000u + static_cast<ULONGLONG>(ts.tv_nsec) / 1000000u;
}

}  // namespace

KX2_EXPORT void Kx2ClockSetManual(BOOL manual, ULONGLONG startMs) {
  ClockState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.manualNow = startMs;
  s.manual = manual != 0;
}

KX2_EXPORT void Kx2ClockAdvance(ULONGLONG ms) {
  ClockState& s = State();
  std::vector<std::pair<Kx2ClockListener, void*>> listeners;
  ULONGLONG now;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.manual) return;
    now = s.manualNow.load() + ms;
    s.manualNow.store(now, std::memory_order_release);
    listeners = s.listeners;
  }
  // Listeners run outside the lock: a timer callback may read the clock or add timers.
  for (auto& [listener, context] : listeners) listener(now, context);
}

KX2_EXPORT ULONGLONG Kx2ClockNow() {
  ClockState& s = State();
  if (s.manual.load(std::memory_order_acquire)) return s.manualNow.load(std::memory_order_acquire);
  return RealMilliseconds();
}

KX2_EXPORT BOOL Kx2ClockIsManual() { return State().manual.load(std::memory_order_acquire); }

KX2_EXPORT void Kx2ClockAddListener(Kx2ClockListener listener, void* context) {
  ClockState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  s.listeners.emplace_back(listener, context);
}

KX2_EXPORT void Kx2ClockRemoveListener(Kx2ClockListener listener, void* context) {
  ClockState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  auto& v = s.listeners;
  v.erase(std::remove(v.begin(), v.end(), std::make_pair(listener, context)), v.end());
}

KX2_EXPORT DWORD GetTickCount() { return static_cast<DWORD>(Kx2ClockNow()); }
KX2_EXPORT ULONGLONG GetTickCount64() { return Kx2ClockNow(); }

KX2_EXPORT BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  if (!lpPerformanceCount) return FALSE;
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  lpPerformanceCount->QuadPart = static_cast<LONGLONG>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
  return TRUE;
}

KX2_EXPORT BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  if (!lpFrequency) return FALSE;
  lpFrequency->QuadPart = 1000000000LL;
  return TRUE;
}

// Timers on the platform clock: WM_TIMER is made when the queue has nothing else and a
// timer is due, and the timer starts its next period then.
#include <algorithm>
#include <climits>

#include "kx2/Clock.h"
#include "kx2/ErrorBoundary.h"
#include "user/Core.h"

namespace kx2::user {

bool TakeDueTimer(ThreadQueue& queue, HWND filter, UINT first, UINT last, bool remove, MSG* out) {
  if (!(first == 0 && last == 0) && !(first <= WM_TIMER && last >= WM_TIMER)) return false;
  std::lock_guard<std::mutex> guard(queue.lock);
  if (queue.timers.empty()) return false;
  const ULONGLONG now = Kx2ClockNow();
  Timer* best = nullptr;
  for (Timer& t : queue.timers) {
    if (t.due > now) continue;
    if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1)) ? t.hwnd != nullptr : (filter && filter != t.hwnd))
      continue;
    if (!best || t.due < best->due) best = &t;
  }
  if (!best) return false;
  *out =
      MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc), static_cast<DWORD>(now), CursorPos()};
  if (remove) best->due = now + best->elapse;
  return true;
}

ULONGLONG NextTimerDue(const ThreadQueue& queue) {
  ULONGLONG due = ULLONG_MAX;
  for (const Timer& t : queue.timers) due = std::min(due, t.due);
  return due;
}

void KillWindowTimers(ThreadQueue& queue, HWND hwnd) {
  auto& timers = queue.timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
               timers.end());
}

}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  return kx2::Guard(UINT_PTR{0}, [&]() -> UINT_PTR {
    if (hWnd && !OwnWindow(hWnd)) {
      if (IsWindow(hWnd))
        SetLastError(ERROR_ACCESS_DENIED);
      else
        SetLastErrorInvalidWindow();
      return 0;
    }
    const UINT elapse = std::clamp<UINT>(uElapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    ThreadQueue& queue = Current();
    std::lock_guard<std::mutex> guard(queue.lock);
    UINT_PTR id = nIDEvent;
    if (!hWnd) {
      // Timers without a window get ids of their own, unless the caller names one of them.
      bool known = false;
      for (const Timer& t : queue.timers) known |= !t.hwnd && t.id == nIDEvent && nIDEvent;
      if (!known) {
        static std::atomic<UINT_PTR> next{0x7FF0};
        id = ++next;
      }
    }
    for (Timer& t : queue.timers) {
      if (t.hwnd == hWnd && t.id == id) {
        t.elapse = elapse;
        t.due = Kx2ClockNow() + elapse;
        t.proc = lpTimerFunc;
        return hWnd ? 1 : id;
      }
    }
    queue.timers.push_back(Timer{hWnd, id, elapse, Kx2ClockNow() + elapse, lpTimerFunc});
    queue.Notify();
    return hWnd ? (id ? id : 1) : id;
  });
}

KX2_EXPORT BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  ThreadQueue& queue = Current();
  std::lock_guard<std::mutex> guard(queue.lock);
  auto& timers = queue.timers;
  for (auto it = timers.begin(); it != timers.end(); ++it) {
    if (it->hwnd == hWnd && it->id == uIDEvent) {
      timers.erase(it);
      return TRUE;
    }
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

// Calling window procedures: the depth guard, SendMessageW on one thread and across
// threads, and serving other threads' sends.
#include <time.h>

#include <algorithm>
#include <chrono>

#include "kx2/Clock.h"
#include "kx2/ErrorBoundary.h"
#include "user/Core.h"
#include "win/module.h"

namespace kx2::user {
namespace {

struct DepthScope {
  explicit DepthScope(ThreadQueue& q) : queue(q) { ++queue.depth; }
  ~DepthScope() { --queue.depth; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;
  ThreadQueue& queue;
};

LRESULT NoDefault(HWND, UINT, WPARAM, LPARAM) { return 0; }

// Waits for another thread to run a sent message; 0 with ERROR_TIMEOUT when it did not
// begin within the time-out (a message it has begun is waited for: its parameters may
// point into this thread's stack).
bool SendAcross(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeout,
                LRESULT* result) {
  std::shared_ptr<ThreadQueue> target = window->queue.lock();
  std::shared_ptr<ThreadQueue> self = CurrentShared();
  auto sent = std::make_shared<SentMessage>();
  sent->hwnd = window->handle;
  sent->message = message;
  sent->wParam = wParam;
  sent->lParam = lParam;
  sent->sender = self;
  {
    if (!target) {
      SetLastErrorInvalidWindow();
      return false;
    }
    std::lock_guard<std::mutex> guard(target->lock);
    if (!target->alive) {
      SetLastErrorInvalidWindow();
      return false;
    }
    target->sent.push_back(sent);
    target->Notify();
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
  for (;;) {
    // Serving our own inbox while we wait keeps two threads sending to each other alive.
    ServeSentMessages(*self);
    std::unique_lock<std::mutex> lock(self->lock);
    if (sent->done) break;
    if (!self->sent.empty()) continue;
    if (timeout == INFINITE) {
      ++self->waiters;
      self->wake.wait(lock);
      --self->waiters;
      continue;
    }
    ++self->waiters;
    const bool timedOut = self->wake.wait_until(lock, deadline) == std::cv_status::timeout;
    --self->waiters;
    if (timedOut && !sent->done) {
      lock.unlock();
      std::lock_guard<std::mutex> guard(target->lock);
      auto it = std::find(target->sent.begin(), target->sent.end(), sent);
      if (it != target->sent.end()) {
        target->sent.erase(it);
        SetLastError(ERROR_TIMEOUT);
        return false;
      }
    }
  }
  *result = sent->result;
  return true;
}

}  // namespace

LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ThreadQueue& queue = Current();
  if (queue.depth >= kMaxDepth) {
    SetLastError(ERROR_STACK_OVERFLOW);
    return 0;
  }
  DepthScope scope(queue);
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

// Only the owning thread destroys a window (or its ending does, which also ends the
// cache), and each entry holds the object, so the destroyed flag is always readable.
Window* OwnWindow(HWND hwnd) { return OwnWindow(Current(), hwnd); }

Window* OwnWindow(ThreadQueue& queue, HWND hwnd) {
  if (!hwnd) return nullptr;
  for (auto& entry : queue.cache)
    if (entry.handle == hwnd) return entry.window->destroyed ? nullptr : entry.window.get();
  std::shared_ptr<Window> found;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    found = Share(Find(hwnd));
  }
  if (!found || found->destroyed || found->threadId != queue.threadId || !found->parent) return nullptr;
  auto& slot = queue.cache[queue.cacheNext++ % std::size(queue.cache)];
  slot.handle = hwnd;
  slot.window = found;
  return found.get();
}

void ForgetCachedWindows() {
  for (auto& entry : Current().cache) {
    if (entry.window && entry.window->destroyed) {
      entry.handle = nullptr;
      entry.window.reset();
    }
  }
}

// HWND_BROADCAST: every top-level window, each in turn, whatever its thread.
LRESULT Broadcast(UINT message, WPARAM wParam, LPARAM lParam) {
  std::vector<HWND> targets;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    for (Window* w : DesktopLocked()->children)
      if (!w->messageOnly) targets.push_back(w->handle);
  }
  for (HWND h : targets)
    if (IsWindow(h)) SendTo(h, message, wParam, lParam);
  return 1;
}

LRESULT SendTo(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) return Broadcast(message, wParam, lParam);
  if (Window* own = OwnWindow(hwnd))
    return CallProc(own->proc.load(std::memory_order_relaxed), hwnd, message, wParam, lParam);
  std::shared_ptr<Window> window = Get(hwnd);
  if (!window || window->destroyed) {
    SetLastErrorInvalidWindow();
    return 0;
  }
  if (window->threadId == GetCurrentThreadId())  // the desktop
    return CallProc(window->proc.load(), hwnd, message, wParam, lParam);
  LRESULT result = 0;
  SendAcross(window, message, wParam, lParam, INFINITE, &result);
  return result;
}

bool ServeSentMessages(ThreadQueue& queue) {
  bool any = false;
  for (;;) {
    std::shared_ptr<SentMessage> next;
    {
      std::lock_guard<std::mutex> guard(queue.lock);
      if (queue.sent.empty()) return any;
      next = queue.sent.front();
      queue.sent.pop_front();
    }
    any = true;
    LRESULT result = 0;
    if (Window* window = OwnWindow(next->hwnd)) {
      ++queue.servingSends;
      result = CallProc(window->proc.load(), next->hwnd, next->message, next->wParam, next->lParam);
      --queue.servingSends;
    }
    if (next->notifyOnly || !next->sender) continue;
    std::lock_guard<std::mutex> guard(next->sender->lock);
    next->result = result;
    next->done = true;
    next->sender->wake.notify_all();
  }
}

WNDPROC SystemDefWindowProc() {
  static std::atomic<WNDPROC> cached{nullptr};
  WNDPROC proc = cached.load(std::memory_order_acquire);
  if (proc) return proc;
  HMODULE user32 = LoadLibraryW(u"user32.dll");
  proc =
      user32 ? reinterpret_cast<WNDPROC>(reinterpret_cast<void*>(GetProcAddress(user32, "DefWindowProcW"))) : nullptr;
  if (!proc) proc = &NoDefault;
  cached.store(proc, std::memory_order_release);
  return proc;
}

DWORD Now32() {
  if (Kx2ClockIsManual()) return static_cast<DWORD>(Kx2ClockNow());
  // Message times tick as coarsely as Windows' own (a few milliseconds), on the same
  // monotonic base as the platform clock, for a fraction of a precise reading's cost.
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return static_cast<DWORD>(static_cast<ULONGLONG>(ts.tv_sec) * 1000u + static_cast<ULONGLONG>(ts.tv_nsec) / 1000000u);
}

}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&] { return SendTo(hWnd, Msg, wParam, lParam); });
}

KX2_EXPORT LRESULT SendMessageTimeoutW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT, UINT uTimeout,
                                       DWORD_PTR* lpdwResult) {
  return kx2::Guard(LRESULT{0}, [&]() -> LRESULT {
    std::shared_ptr<Window> window = Get(hWnd);
    if (!window || window->destroyed) {
      SetLastErrorInvalidWindow();
      return 0;
    }
    LRESULT result = 0;
    if (window->threadId == GetCurrentThreadId()) {
      result = CallProc(window->proc.load(), hWnd, Msg, wParam, lParam);
    } else if (!SendAcross(window, Msg, wParam, lParam, uTimeout, &result)) {
      return 0;
    }
    if (lpdwResult) *lpdwResult = static_cast<DWORD_PTR>(result);
    return 1;
  });
}

KX2_EXPORT BOOL SendNotifyMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::shared_ptr<Window> window = Get(hWnd);
    if (!window || window->destroyed) return FALSE;
    if (window->threadId == GetCurrentThreadId()) {
      CallProc(window->proc.load(), hWnd, Msg, wParam, lParam);
      return TRUE;
    }
    std::shared_ptr<ThreadQueue> target = window->queue.lock();
    if (!target) return FALSE;
    auto sent = std::make_shared<SentMessage>();
    sent->hwnd = hWnd;
    sent->message = Msg;
    sent->wParam = wParam;
    sent->lParam = lParam;
    sent->notifyOnly = true;
    std::lock_guard<std::mutex> guard(target->lock);
    if (!target->alive) return FALSE;
    target->sent.push_back(std::move(sent));
    target->Notify();
    return TRUE;
  });
}

KX2_EXPORT LRESULT CallWindowProcW(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&] { return CallProc(lpPrevWndFunc, hWnd, Msg, wParam, lParam); });
}

KX2_EXPORT BOOL InSendMessage() { return Current().servingSends > 0; }

// The sender is answered when the procedure returns; replying early is not needed here.
KX2_EXPORT BOOL ReplyMessage(LRESULT) { return FALSE; }

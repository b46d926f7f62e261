// CBT hooks (per thread, or for every thread) and out-of-context WinEvent hooks.
#include <algorithm>
#include <unordered_set>

#include "kx2/ErrorBoundary.h"
#include "user/Core.h"

struct Kx2WinEventHook {};

namespace kx2::user {

struct Hook {
  HOOKPROC proc = nullptr;
  DWORD thread = 0;  // 0: every thread
  std::atomic<bool> removed{false};
};

struct WinEventHook : Kx2WinEventHook {
  DWORD first = 0;
  DWORD last = 0;
  WINEVENTPROC proc = nullptr;
  DWORD thread = 0;  // events of this thread only; 0: all
  DWORD flags = 0;
  DWORD ownerThread = 0;
  std::weak_ptr<ThreadQueue> owner;
  std::atomic<bool> removed{false};
};

namespace {

struct HookTable {
  std::mutex lock;
  std::vector<std::shared_ptr<Hook>> cbt;  // newest first
  std::vector<std::shared_ptr<WinEventHook>> winEvents;
};

HookTable& Hooks() {
  static auto* table = new HookTable;
  return *table;
}

// The chains running on this thread, innermost last, so CallNextHookEx finds its place.
thread_local std::vector<const std::vector<std::shared_ptr<Hook>>*> t_running;

LRESULT CallFrom(const std::vector<std::shared_ptr<Hook>>& chain, size_t index, int code, WPARAM wParam,
                 LPARAM lParam) {
  for (; index < chain.size(); ++index) {
    if (chain[index]->removed) continue;
    t_running.push_back(&chain);
    struct Pop {
      ~Pop() { t_running.pop_back(); }
    } pop;
    return chain[index]->proc(code, wParam, lParam);
  }
  return 0;
}

}  // namespace

bool HasCbtHooks() {
  std::lock_guard<std::mutex> guard(Hooks().lock);
  return !Hooks().cbt.empty();
}

LRESULT CallCbtHooks(int code, WPARAM wParam, LPARAM lParam) {
  std::vector<std::shared_ptr<Hook>> chain;
  {
    std::lock_guard<std::mutex> guard(Hooks().lock);
    if (Hooks().cbt.empty()) return 0;
    const DWORD self = GetCurrentThreadId();
    for (auto& h : Hooks().cbt)
      if (h->thread == self) chain.push_back(h);
    for (auto& h : Hooks().cbt)
      if (h->thread == 0) chain.push_back(h);
  }
  return CallFrom(chain, 0, code, wParam, lParam);
}

void RaiseWinEvent(DWORD event, HWND hwnd, LONG object, LONG child) {
  std::vector<std::shared_ptr<WinEventHook>> targets;
  {
    std::lock_guard<std::mutex> guard(Hooks().lock);
    if (Hooks().winEvents.empty()) return;
    const DWORD self = GetCurrentThreadId();
    for (auto& h : Hooks().winEvents) {
      if (event < h->first || event > h->last) continue;
      if (h->thread && h->thread != self) continue;
      if (h->flags & WINEVENT_SKIPOWNPROCESS) continue;  // every window is this process's
      if ((h->flags & WINEVENT_SKIPOWNTHREAD) && h->ownerThread == self) continue;
      targets.push_back(h);
    }
  }
  const DWORD now = Now32();
  for (auto& h : targets) {
    std::shared_ptr<ThreadQueue> queue = h->owner.lock();
    if (!queue) continue;
    std::lock_guard<std::mutex> guard(queue->lock);
    if (!queue->alive) continue;
    queue->events.push_back(WinEventCall{h, event, hwnd, object, child, GetCurrentThreadId(), now});
    queue->Notify();
  }
}

bool RunWinEvents(ThreadQueue& queue) {
  bool any = false;
  for (;;) {
    WinEventCall call;
    {
      std::lock_guard<std::mutex> guard(queue.lock);
      if (queue.events.empty()) return any;
      call = std::move(queue.events.front());
      queue.events.pop_front();
    }
    if (call.hook->removed) continue;
    any = true;
    call.hook->proc(call.hook.get(), call.event, call.hwnd, call.object, call.child, call.thread, call.time);
  }
}

void DropThreadHooks(ThreadQueue& queue) {
  std::lock_guard<std::mutex> guard(Hooks().lock);
  auto& cbt = Hooks().cbt;
  for (auto& h : cbt)
    if (h->thread == queue.threadId) h->removed = true;
  cbt.erase(std::remove_if(cbt.begin(), cbt.end(), [](auto& h) { return h->removed.load(); }), cbt.end());
  auto& events = Hooks().winEvents;
  for (auto& h : events)
    if (h->ownerThread == queue.threadId) h->removed = true;
  events.erase(std::remove_if(events.begin(), events.end(), [](auto& h) { return h->removed.load(); }), events.end());
}

}  // namespace kx2::user

using namespace kx2::user;

KX2_EXPORT HHOOK SetWindowsHookExW(int idHook, HOOKPROC lpfn, HINSTANCE, DWORD dwThreadId) {
  return kx2::Guard(HHOOK{nullptr}, [&]() -> HHOOK {
    if (idHook != WH_CBT) {
      SetLastError(ERROR_INVALID_HOOK_FILTER);
      return nullptr;
    }
    if (!lpfn) {
      SetLastError(ERROR_INVALID_FILTER_PROC);
      return nullptr;
    }
    if (dwThreadId && dwThreadId != GetCurrentThreadId() && !QueueOf(dwThreadId)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto hook = std::make_shared<Hook>();
    hook->proc = lpfn;
    hook->thread = dwThreadId;
    std::lock_guard<std::mutex> guard(Hooks().lock);
    Hooks().cbt.insert(Hooks().cbt.begin(), hook);
    return static_cast<HHOOK>(hook.get());
  });
}

KX2_EXPORT BOOL UnhookWindowsHookEx(HHOOK hhk) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::lock_guard<std::mutex> guard(Hooks().lock);
    auto& cbt = Hooks().cbt;
    auto it = std::find_if(cbt.begin(), cbt.end(), [&](auto& h) { return h.get() == hhk; });
    if (it == cbt.end()) {
      SetLastError(ERROR_INVALID_HOOK_HANDLE);
      return FALSE;
    }
    (*it)->removed = true;  // a chain running now skips it from here on
    cbt.erase(it);
    return TRUE;
  });
}

KX2_EXPORT LRESULT CallNextHookEx(HHOOK hhk, int nCode, WPARAM wParam, LPARAM lParam) {
  return kx2::Guard(LRESULT{0}, [&]() -> LRESULT {
    for (auto chain = t_running.rbegin(); chain != t_running.rend(); ++chain) {
      const auto& hooks = **chain;
      for (size_t i = 0; i < hooks.size(); ++i)
        if (hooks[i].get() == hhk) return CallFrom(hooks, i + 1, nCode, wParam, lParam);
    }
    return 0;
  });
}

KX2_EXPORT HWINEVENTHOOK SetWinEventHook(DWORD eventMin, DWORD eventMax, HMODULE, WINEVENTPROC pfnWinEventProc,
                                         DWORD idProcess, DWORD idThread, DWORD dwFlags) {
  return kx2::Guard(HWINEVENTHOOK{nullptr}, [&]() -> HWINEVENTHOOK {
    if (!pfnWinEventProc || eventMin > eventMax || (dwFlags & WINEVENT_INCONTEXT) ||
        (idProcess && idProcess != GetCurrentProcessId())) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    auto hook = std::make_shared<WinEventHook>();
    hook->first = eventMin;
    hook->last = eventMax;
    hook->proc = pfnWinEventProc;
    hook->thread = idThread;
    hook->flags = dwFlags;
    hook->ownerThread = GetCurrentThreadId();
    hook->owner = CurrentShared();
    std::lock_guard<std::mutex> guard(Hooks().lock);
    Hooks().winEvents.push_back(hook);
    return hook.get();
  });
}

KX2_EXPORT BOOL UnhookWinEvent(HWINEVENTHOOK hWinEventHook) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    std::lock_guard<std::mutex> guard(Hooks().lock);
    auto& events = Hooks().winEvents;
    auto it = std::find_if(events.begin(), events.end(), [&](auto& h) { return h.get() == hWinEventHook; });
    if (it == events.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    (*it)->removed = true;  // queued calls are dropped
    events.erase(it);
    return TRUE;
  });
}

KX2_EXPORT void NotifyWinEvent(DWORD event, HWND hwnd, LONG idObject, LONG idChild) {
  kx2::Guard([&] { RaiseWinEvent(event, hwnd, idObject, idChild); });
}

// Per-thread queues: made on first use, registered so other threads can hand them
// messages, and torn down when the thread ends (its windows go silently: no procedure of a
// thread that is ending can safely run).
#include <algorithm>
#include <unordered_map>

#include "kx2/Clock.h"
#include "kx2/ErrorBoundary.h"
#include "user/Core.h"

namespace kx2::user {
namespace {

struct Registry {
  std::mutex lock;
  std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> queues;
};

Registry& TheRegistry() {
  static auto* registry = new Registry;
  return *registry;
}

// A manual clock step may make timers due: wake every waiting thread to look.
void WakeAllOnClock(ULONGLONG, void*) {
  for (auto& queue : AllQueues()) queue->Wake();
}

void DestroyThreadWindows(DWORD threadId) {
  std::vector<std::shared_ptr<Window>> doomed;
  {
    std::lock_guard<std::mutex> guard(TreeLock());
    std::vector<Window*> pending;
    for (HWND h : AllHandles()) {
      Window* w = Find(h);
      if (w && w->threadId == threadId) pending.push_back(w);
    }
    // A dying window takes its descendants with it, whatever thread made them.
    for (size_t i = 0; i < pending.size(); ++i)
      for (Window* child : pending[i]->children)
        if (std::find(pending.begin(), pending.end(), child) == pending.end()) pending.push_back(child);
    for (Window* w : pending) {
      doomed.push_back(Share(w));
      w->destroyed = true;
      Unlink(w);
    }
    for (HWND h : AllHandles()) {
      Window* w = Find(h);
      if (w && w->owner && w->owner->destroyed) w->owner = nullptr;
    }
    for (Window* w : pending) {
      w->children.clear();
      w->parent = nullptr;
      RemoveFromTable(w);
    }
    if (Window* capture = Find(CaptureWindow()); !capture) SetCaptureWindow(nullptr);
  }
  for (auto& w : doomed) ReleaseClass(w->cls);
}

// Lives in thread-local storage; its destructor runs when the thread ends.
struct Holder {
  std::shared_ptr<ThreadQueue> queue;
  ~Holder() {
    if (!queue) return;
    t_currentQueue = nullptr;
    kx2::Guard([&] {
      DestroyThreadWindows(queue->threadId);
      DropThreadHooks(*queue);
      {
        std::lock_guard<std::mutex> guard(TheRegistry().lock);
        TheRegistry().queues.erase(queue->threadId);
      }
      std::deque<std::shared_ptr<SentMessage>> abandoned;
      {
        std::lock_guard<std::mutex> guard(queue->lock);
        queue->alive = false;
        abandoned.swap(queue->sent);
        queue->posted.clear();
        queue->events.clear();
        queue->input.clear();
        queue->timers.clear();
      }
      // Senders waiting on this thread get 0 rather than waiting forever.
      for (auto& message : abandoned) {
        if (!message->sender) continue;
        std::lock_guard<std::mutex> guard(message->sender->lock);
        message->done = true;
        message->sender->wake.notify_all();
      }
    });
  }
};

thread_local Holder t_holder;

}  // namespace

void ThreadQueue::Notify() {
  hasWork.store(true, std::memory_order_relaxed);
  if (waiters) wake.notify_all();
}

void ThreadQueue::Wake() {
  std::lock_guard<std::mutex> guard(lock);
  Notify();
}

std::shared_ptr<ThreadQueue> CurrentShared() {
  if (!t_holder.queue) {
    static std::once_flag listening;
    std::call_once(listening, [] { Kx2ClockAddListener(&WakeAllOnClock, nullptr); });
    auto queue = std::make_shared<ThreadQueue>();
    queue->threadId = GetCurrentThreadId();
    std::lock_guard<std::mutex> guard(TheRegistry().lock);
    TheRegistry().queues[queue->threadId] = queue;
    t_holder.queue = queue;
    t_currentQueue = queue.get();
  }
  return t_holder.queue;
}

constinit thread_local ThreadQueue* t_currentQueue = nullptr;

ThreadQueue& MakeCurrent() {
  CurrentShared();
  return *t_currentQueue;
}

std::shared_ptr<ThreadQueue> QueueOf(DWORD threadId) {
  std::lock_guard<std::mutex> guard(TheRegistry().lock);
  auto it = TheRegistry().queues.find(threadId);
  return it == TheRegistry().queues.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<ThreadQueue>> AllQueues() {
  std::vector<std::shared_ptr<ThreadQueue>> all;
  std::lock_guard<std::mutex> guard(TheRegistry().lock);
  for (auto& [id, queue] : TheRegistry().queues) all.push_back(queue);
  return all;
}

}  // namespace kx2::user

KX2_EXPORT Kx2IdleHandler Kx2SetIdleHandler(Kx2IdleHandler handler, void* context) {
  kx2::user::ThreadQueue& queue = kx2::user::Current();
  Kx2IdleHandler previous = queue.idle;
  queue.idle = handler;
  queue.idleContext = context;
  return previous;
}

KX2_EXPORT BOOL Kx2RunIdleHandler() {
  kx2::user::ThreadQueue& queue = kx2::user::Current();
  Kx2IdleHandler handler = queue.idle;
  if (!handler) return FALSE;
  if (!handler(queue.idleContext) && queue.idle == handler) queue.idle = nullptr;
  return TRUE;
}

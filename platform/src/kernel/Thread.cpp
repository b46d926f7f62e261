// Threads over POSIX threads. A thread's object stays alive while the thread runs, even
// when its creator closes the handle at once, and becomes signalled when it ends.
#include <climits>
#include <pthread.h>
#include <sys/resource.h>

#include "kx2/KernelObject.h"
#include "win/kernel.h"
#include "win/processthreads.h"

namespace kx2 {
namespace {

class Thread : public KernelObject {
 public:
  Thread(LPTHREAD_START_ROUTINE start, LPVOID parameter, bool suspended)
      : start_(start), parameter_(parameter), suspended_(suspended) {}

  bool IsWaitable() const override { return true; }
  bool IsSignaled() const override { return finished_; }

  LPTHREAD_START_ROUTINE start_;
  LPVOID parameter_;
  // All below are guarded by WaitLock().
  bool suspended_;
  bool finished_ = false;
  DWORD id_ = 0;
  DWORD exitCode_ = STILL_ACTIVE;
  int priority_ = THREAD_PRIORITY_NORMAL;
  std::shared_ptr<Thread> self_;  // the running thread's own reference
};

thread_local Thread* t_current = nullptr;

// Marks the thread finished however it leaves: by returning, or by ExitThread's unwind.
struct FinishGuard {
  Thread* thread;
  ~FinishGuard() {
    std::shared_ptr<Thread> keep;
    {
      std::lock_guard<std::mutex> guard(WaitLock());
      thread->finished_ = true;
      keep = std::move(thread->self_);
    }
    NotifyWaiters();
  }
};

// Lower priorities map to a higher nice value of the thread itself; the process's own
// value is the floor an ordinary user cannot go under.
void ApplyNice(DWORD tid, int priority) {
  if (priority >= THREAD_PRIORITY_NORMAL || tid == 0) return;
  int nice = priority <= THREAD_PRIORITY_IDLE ? 19 : -priority * 5;
  setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice);
}

// The id is known once the thread runs; who asks for it earlier waits for that.
DWORD WaitForId(Thread& thread) {
  std::unique_lock<std::mutex> lock(WaitLock());
  WaitCondition().wait(lock, [&] { return thread.id_ != 0; });
  return thread.id_;
}

void* ThreadMain(void* arg) {
  Thread* thread = static_cast<Thread*>(arg);
  t_current = thread;
  const DWORD id = GetCurrentThreadId();
  {
    std::lock_guard<std::mutex> lock(WaitLock());
    thread->id_ = id;
    // A priority set before the id was known is applied by the thread itself; under the
    // lock, so that a later change cannot be overtaken by this one.
    ApplyNice(id, thread->priority_);
  }
  NotifyWaiters();
  {
    std::unique_lock<std::mutex> lock(WaitLock());
    WaitCondition().wait(lock, [&] { return !thread->suspended_; });
  }
  FinishGuard guard{thread};
  DWORD code = thread->start_(thread->parameter_);
  std::lock_guard<std::mutex> lock(WaitLock());
  thread->exitCode_ = code;
  return nullptr;
}

}  // namespace
}  // namespace kx2

using namespace kx2;

KX2_EXPORT HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T dwStackSize, LPTHREAD_START_ROUTINE lpStartAddress,
                               LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
  if (!lpStartAddress) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto thread = std::make_shared<Thread>(lpStartAddress, lpParameter, (dwCreationFlags & CREATE_SUSPENDED) != 0);
  thread->self_ = thread;
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  if (dwStackSize >= static_cast<SIZE_T>(PTHREAD_STACK_MIN)) pthread_attr_setstacksize(&attr, dwStackSize);
  pthread_t id;
  int rc = pthread_create(&id, &attr, ThreadMain, thread.get());
  pthread_attr_destroy(&attr);
  if (rc != 0) {
    thread->self_.reset();
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // The creator goes on at once: waiting for the new thread to be scheduled only to learn
  // its id would cost a wake-up round trip on every start.
  if (lpThreadId) *lpThreadId = WaitForId(*thread);
  return InsertHandle(thread);
}

KX2_EXPORT DWORD ResumeThread(HANDLE hThread) {
  auto thread = LookupHandleAs<Thread>(hThread);
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return static_cast<DWORD>(-1);
  }
  DWORD previous;
  {
    std::lock_guard<std::mutex> guard(WaitLock());
    previous = thread->suspended_ ? 1 : 0;
    thread->suspended_ = false;
  }
  NotifyWaiters();
  return previous;
}

KX2_EXPORT BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  auto thread = LookupHandleAs<Thread>(hThread);
  if (!thread || !lpExitCode) {
    SetLastError(thread ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(WaitLock());
  *lpExitCode = thread->finished_ ? thread->exitCode_ : STILL_ACTIVE;
  return TRUE;
}

KX2_EXPORT DWORD GetThreadId(HANDLE hThread) {
  if (hThread == GetCurrentThread()) return GetCurrentThreadId();
  auto thread = LookupHandleAs<Thread>(hThread);
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return WaitForId(*thread);
}

KX2_EXPORT void ExitThread(DWORD dwExitCode) {
  if (t_current) {
    std::lock_guard<std::mutex> guard(WaitLock());
    t_current->exitCode_ = dwExitCode;
  }
  pthread_exit(nullptr);
}

KX2_EXPORT BOOL SetThreadPriority(HANDLE hThread, int nPriority) {
  const bool valid = (nPriority >= THREAD_PRIORITY_LOWEST && nPriority <= THREAD_PRIORITY_HIGHEST) ||
                     nPriority == THREAD_PRIORITY_IDLE || nPriority == THREAD_PRIORITY_TIME_CRITICAL;
  if (!valid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (hThread == GetCurrentThread()) {
    if (t_current) {
      std::lock_guard<std::mutex> guard(WaitLock());
      t_current->priority_ = nPriority;
    }
    ApplyNice(GetCurrentThreadId(), nPriority);
    return TRUE;
  }
  auto thread = LookupHandleAs<Thread>(hThread);
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(WaitLock());
  thread->priority_ = nPriority;
  if (!thread->finished_) ApplyNice(thread->id_, nPriority);
  return TRUE;
}

KX2_EXPORT int GetThreadPriority(HANDLE hThread) {
  if (hThread == GetCurrentThread()) {
    if (!t_current) return THREAD_PRIORITY_NORMAL;
    std::lock_guard<std::mutex> guard(WaitLock());
    return t_current->priority_;
  }
  auto thread = LookupHandleAs<Thread>(hThread);
  if (!thread) {
    SetLastError(ERROR_INVALID_HANDLE);
    return THREAD_PRIORITY_ERROR_RETURN;
  }
  std::lock_guard<std::mutex> guard(WaitLock());
  return thread->priority_;
}

// Events, mutexes, semaphores and the waits on them and on threads.
//
// Named objects are shared within the process, and named mutexes also between the
// processes of the user (kernel/NamedMutexFile.h): the usage-report program keeps a
// second copy of itself from reporting through one.
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "kernel/NamedMutexFile.h"
#include "kx2/KernelObject.h"
#include "win/kernel.h"

namespace kx2 {
namespace {

class Event : public KernelObject {
 public:
  Event(bool manual, bool signaled) : manual_(manual), signaled_(signaled) {}
  bool IsWaitable() const override { return true; }
  bool IsSignaled() const override { return signaled_; }
  void OnWaitSatisfied() override {
    if (!manual_) signaled_ = false;
  }
  void Set(bool on) { signaled_ = on; }

 private:
  bool manual_;
  bool signaled_;
};

class Mutex : public KernelObject {
 public:
  bool IsWaitable() const override { return true; }
  bool IsSignaled() const override { return owner_ == 0 || owner_ == GetCurrentThreadId(); }
  void OnWaitSatisfied() override {
    owner_ = GetCurrentThreadId();
    ++count_;
  }
  bool Release() {
    if (owner_ != GetCurrentThreadId()) return false;
    if (--count_ == 0) owner_ = 0;
    return true;
  }

  NamedMutexFile& File() { return file_; }

 private:
  DWORD owner_ = 0;
  LONG count_ = 0;
  NamedMutexFile file_;  // held open while the mutex lives, for the other processes
};

class Semaphore : public KernelObject {
 public:
  Semaphore(LONG count, LONG max) : count_(count), max_(max) {}
  bool IsWaitable() const override { return true; }
  bool IsSignaled() const override { return count_ > 0; }
  void OnWaitSatisfied() override { --count_; }
  bool Release(LONG n, LONG* previous) {
    if (n <= 0 || n > max_ - count_) return false;
    if (previous) *previous = count_;
    count_ += n;
    return true;
  }

 private:
  LONG count_;
  LONG max_;
};

std::mutex g_namesLock;
std::map<std::u16string, std::weak_ptr<KernelObject>>& Names() {
  static auto* names = new std::map<std::u16string, std::weak_ptr<KernelObject>>;
  return *names;
}

// Creates or opens a named object: an existing object of the same kind is shared and
// ERROR_ALREADY_EXISTS reported; one of another kind fails with ERROR_INVALID_HANDLE.
template <class T, class Make>
HANDLE CreateNamed(LPCWSTR name, Make make) {
  if (!name || !*name) {
    SetLastError(ERROR_SUCCESS);
    return InsertHandle(make());
  }
  std::u16string key(name);
  std::lock_guard<std::mutex> guard(g_namesLock);
  auto& names = Names();
  if (auto existing = names[key].lock()) {
    if (!std::dynamic_pointer_cast<T>(existing)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    HANDLE h = InsertHandle(existing);
    SetLastError(ERROR_ALREADY_EXISTS);
    return h;
  }
  std::shared_ptr<KernelObject> object = make();
  names[key] = object;
  SetLastError(ERROR_SUCCESS);
  return InsertHandle(std::move(object));
}

template <class T>
std::shared_ptr<T> Expect(HANDLE h) {
  auto object = LookupHandleAs<T>(h);
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

}  // namespace
}  // namespace kx2

using namespace kx2;

KX2_EXPORT HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
  return CreateNamed<Event>(lpName, [&] { return std::make_shared<Event>(bManualReset, bInitialState); });
}

KX2_EXPORT HANDLE OpenEventW(DWORD, BOOL, LPCWSTR lpName) {
  if (!lpName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(g_namesLock);
  auto it = Names().find(lpName);
  std::shared_ptr<KernelObject> object = it == Names().end() ? nullptr : it->second.lock();
  if (!object || !std::dynamic_pointer_cast<Event>(object)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return InsertHandle(object);
}

static BOOL SetEventState(HANDLE h, bool on) {
  auto event = Expect<Event>(h);
  if (!event) return FALSE;
  {
    std::lock_guard<std::mutex> guard(WaitLock());
    event->Set(on);
  }
  if (on) NotifyWaiters();
  return TRUE;
}

KX2_EXPORT BOOL SetEvent(HANDLE hEvent) { return SetEventState(hEvent, true); }
KX2_EXPORT BOOL ResetEvent(HANDLE hEvent) { return SetEventState(hEvent, false); }

KX2_EXPORT HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCWSTR lpName) {
  bool elsewhere = false;
  HANDLE h = CreateNamed<Mutex>(lpName, [&] {
    auto mutex = std::make_shared<Mutex>();
    // A name new to this process may be held open by another one.
    if (lpName && *lpName) elsewhere = mutex->File().Hold(lpName, true) == NamedMutexFile::Found::Elsewhere;
    return mutex;
  });
  if (h && elsewhere) SetLastError(ERROR_ALREADY_EXISTS);
  if (h && bInitialOwner && GetLastError() != ERROR_ALREADY_EXISTS) {
    DWORD saved = GetLastError();
    WaitForSingleObject(h, 0);
    SetLastError(saved);
  }
  return h;
}

KX2_EXPORT HANDLE OpenMutexW(DWORD, BOOL, LPCWSTR lpName) {
  if (!lpName || !*lpName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(g_namesLock);
  auto& names = Names();
  auto it = names.find(lpName);
  std::shared_ptr<KernelObject> object = it == names.end() ? nullptr : it->second.lock();
  if (object) {
    if (!std::dynamic_pointer_cast<Mutex>(object)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    return InsertHandle(object);
  }
  auto mutex = std::make_shared<Mutex>();
  if (mutex->File().Hold(lpName, false) != NamedMutexFile::Found::Elsewhere) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  names[lpName] = mutex;
  SetLastError(ERROR_SUCCESS);
  return InsertHandle(std::move(mutex));
}

KX2_EXPORT BOOL ReleaseMutex(HANDLE hMutex) {
  auto mutex = Expect<Mutex>(hMutex);
  if (!mutex) return FALSE;
  {
    std::lock_guard<std::mutex> guard(WaitLock());
    if (!mutex->Release()) {
      SetLastError(ERROR_NOT_OWNER);
      return FALSE;
    }
  }
  NotifyWaiters();
  return TRUE;
}

KX2_EXPORT HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES, LONG lInitialCount, LONG lMaximumCount, LPCWSTR lpName) {
  if (lMaximumCount <= 0 || lInitialCount < 0 || lInitialCount > lMaximumCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateNamed<Semaphore>(lpName, [&] { return std::make_shared<Semaphore>(lInitialCount, lMaximumCount); });
}

KX2_EXPORT BOOL ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount) {
  auto semaphore = Expect<Semaphore>(hSemaphore);
  if (!semaphore) return FALSE;
  {
    std::lock_guard<std::mutex> guard(WaitLock());
    if (!semaphore->Release(lReleaseCount, lpPreviousCount)) {
      SetLastError(ERROR_TOO_MANY_POSTS);
      return FALSE;
    }
  }
  NotifyWaiters();
  return TRUE;
}

KX2_EXPORT DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds) {
  if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<KernelObject>> objects;
  for (DWORD i = 0; i < nCount; ++i) {
    auto object = LookupHandle(lpHandles[i]);
    if (!object || !object->IsWaitable()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    objects.push_back(std::move(object));
  }
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(dwMilliseconds);
  std::unique_lock<std::mutex> lock(WaitLock());
  for (;;) {
    if (bWaitAll) {
      bool all = true;
      for (auto& o : objects) all = all && o->IsSignaled();
      if (all) {
        for (auto& o : objects) o->OnWaitSatisfied();
        return WAIT_OBJECT_0;
      }
    } else {
      for (DWORD i = 0; i < nCount; ++i) {
        if (objects[i]->IsSignaled()) {
          objects[i]->OnWaitSatisfied();
          return WAIT_OBJECT_0 + i;
        }
      }
    }
    if (dwMilliseconds == 0) return WAIT_TIMEOUT;
    if (dwMilliseconds == INFINITE) {
      WaitCondition().wait(lock);
    } else if (WaitCondition().wait_until(lock, deadline) == std::cv_status::timeout) {
      dwMilliseconds = 0;  // one last look, then time out
    }
  }
}

KX2_EXPORT DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

KX2_EXPORT void Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

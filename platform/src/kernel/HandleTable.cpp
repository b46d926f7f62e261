// The process's kernel handle table (see kx2/KernelObject.h).
#include <unordered_map>

#include "kx2/KernelObject.h"
#include "win/kernel.h"

namespace kx2 {
namespace {

struct Table {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
  uintptr_t next = 0x100;
};

Table& Handles() {
  static Table* table = new Table;  // used from thread exits and static destructors
  return *table;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
  Table& t = Handles();
  std::lock_guard<std::mutex> guard(t.lock);
  uintptr_t value = t.next;
  t.next += 4;
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
  Table& t = Handles();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> doomed;  // destroyed outside the lock
  Table& t = Handles();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.objects.end()) return false;
  doomed = std::move(it->second);
  t.objects.erase(it);
  return true;
}

std::mutex& WaitLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

std::condition_variable& WaitCondition() {
  static std::condition_variable* condition = new std::condition_variable;
  return *condition;
}

void NotifyWaiters() { WaitCondition().notify_all(); }

}  // namespace kx2

KX2_EXPORT HANDLE GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2)); }
KX2_EXPORT HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)); }

KX2_EXPORT BOOL CloseHandle(HANDLE hObject) {
  if (hObject == GetCurrentThread() || hObject == GetCurrentProcess()) return TRUE;
  if (!kx2::RemoveHandle(hObject)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

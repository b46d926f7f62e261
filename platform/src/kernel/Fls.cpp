// Fibre-local storage: TLS slots with a callback that receives each thread's value when the
// thread ends.
//
// As with TLS, a freed slot must read as null on every thread, so each slot carries a
// generation and a thread's value only counts while its recorded generation matches. The
// values live in a plain thread-local array (no destructor: a library reading its slot
// while the thread's other thread-local objects are being destroyed still finds it); a
// separate thread-local object runs the callbacks when the thread ends.
#include <atomic>
#include <mutex>
#include <vector>

#include "win/kernel.h"

namespace {

struct FlsTable {
  std::mutex lock;
  bool used[FLS_MAXIMUM_AVAILABLE] = {};
  PFLS_CALLBACK_FUNCTION callback[FLS_MAXIMUM_AVAILABLE] = {};
  std::atomic<uint32_t> generation[FLS_MAXIMUM_AVAILABLE] = {};
};

FlsTable& Table() {
  static FlsTable* table = new FlsTable;  // outlives every thread's exit
  return *table;
}

struct FlsValue {
  uint32_t generation = 0;
  void* value = nullptr;
};
thread_local FlsValue t_values[FLS_MAXIMUM_AVAILABLE];

// Made on a thread's first FlsSetValue; its destructor hands the thread's live values to
// their callbacks. A callback may set values again (as Windows allows), so it loops until
// no live value is left, a bounded number of times.
struct ThreadExit {
  ~ThreadExit() {
    FlsTable& t = Table();
    for (int round = 0; round < 4; ++round) {
      std::vector<std::pair<PFLS_CALLBACK_FUNCTION, void*>> calls;
      {
        std::lock_guard<std::mutex> guard(t.lock);
        for (DWORD i = 0; i < FLS_MAXIMUM_AVAILABLE; ++i) {
          FlsValue& v = t_values[i];
          if (!v.value) continue;
          bool live = v.generation == t.generation[i].load(std::memory_order_relaxed);
          if (live && t.callback[i]) calls.emplace_back(t.callback[i], v.value);
          v = FlsValue{};
        }
      }
      if (calls.empty()) return;
      for (auto& [callback, value] : calls) callback(value);
    }
  }
};

void EnsureThreadExit() {
  thread_local ThreadExit exit;
  (void)exit;
}

}  // namespace

KX2_EXPORT DWORD FlsAlloc(PFLS_CALLBACK_FUNCTION lpCallback) {
  FlsTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  for (DWORD i = 0; i < FLS_MAXIMUM_AVAILABLE; ++i) {
    if (!t.used[i]) {
      t.used[i] = true;
      t.callback[i] = lpCallback;
      t.generation[i].fetch_add(1);
      SetLastError(ERROR_SUCCESS);
      return i;
    }
  }
  SetLastError(ERROR_NO_MORE_ITEMS);
  return FLS_OUT_OF_INDEXES;
}

KX2_EXPORT BOOL FlsFree(DWORD dwFlsIndex) {
  FlsTable& t = Table();
  PFLS_CALLBACK_FUNCTION callback = nullptr;
  void* value = nullptr;
  {
    std::lock_guard<std::mutex> guard(t.lock);
    if (dwFlsIndex >= FLS_MAXIMUM_AVAILABLE || !t.used[dwFlsIndex]) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    FlsValue& own = t_values[dwFlsIndex];
    if (own.generation == t.generation[dwFlsIndex].load(std::memory_order_relaxed) && own.value) {
      callback = t.callback[dwFlsIndex];
      value = own.value;
    }
    own = FlsValue{};
    t.used[dwFlsIndex] = false;
    t.callback[dwFlsIndex] = nullptr;
    t.generation[dwFlsIndex].fetch_add(1);
  }
  if (callback) callback(value);
  return TRUE;
}

KX2_EXPORT PVOID FlsGetValue(DWORD dwFlsIndex) {
  if (dwFlsIndex >= FLS_MAXIMUM_AVAILABLE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Success clears the last error so that a stored null can be told from a failure.
  SetLastError(ERROR_SUCCESS);
  const FlsValue& v = t_values[dwFlsIndex];
  if (v.generation != Table().generation[dwFlsIndex].load(std::memory_order_acquire)) return nullptr;
  return v.value;
}

KX2_EXPORT BOOL FlsSetValue(DWORD dwFlsIndex, PVOID lpFlsData) {
  if (dwFlsIndex >= FLS_MAXIMUM_AVAILABLE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  uint32_t generation = Table().generation[dwFlsIndex].load(std::memory_order_acquire);
  // An even generation means the slot is free (each alloc and each free add one).
  if ((generation & 1) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (lpFlsData) EnsureThreadExit();
  t_values[dwFlsIndex] = FlsValue{generation, lpFlsData};
  return TRUE;
}

// Thread-local storage slots.
//
// TlsFree must make the slot read as null on every thread, including threads that set a
// value before the free; each slot therefore carries a generation, and a thread's value
// only counts while its recorded generation matches.
#include <atomic>
#include <mutex>

#include "win/kernel.h"

namespace {

struct SlotTable {
  std::mutex lock;
  bool used[KX2_TLS_SLOTS] = {};
  std::atomic<uint32_t> generation[KX2_TLS_SLOTS] = {};
};

SlotTable& Slots() {
  static SlotTable* table = new SlotTable;  // outlives every thread's last TlsGetValue
  return *table;
}

struct ThreadValue {
  uint32_t generation = 0;
  void* value = nullptr;
};
// A plain array: it has no destructor, so libraries that read their slots while they
// are being unloaded at process exit (after thread-local destructors ran) still find it.
thread_local ThreadValue t_values[KX2_TLS_SLOTS];

}  // namespace

KX2_EXPORT DWORD TlsAlloc() {
  SlotTable& t = Slots();
  std::lock_guard<std::mutex> guard(t.lock);
  for (DWORD i = 0; i < KX2_TLS_SLOTS; ++i) {
    if (!t.used[i]) {
      t.used[i] = true;
      t.generation[i].fetch_add(1);
      SetLastError(ERROR_SUCCESS);
      return i;
    }
  }
  SetLastError(ERROR_NO_MORE_ITEMS);
  return TLS_OUT_OF_INDEXES;
}

KX2_EXPORT BOOL TlsFree(DWORD dwTlsIndex) {
  SlotTable& t = Slots();
  std::lock_guard<std::mutex> guard(t.lock);
  if (dwTlsIndex >= KX2_TLS_SLOTS || !t.used[dwTlsIndex]) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  t.used[dwTlsIndex] = false;
  t.generation[dwTlsIndex].fetch_add(1);
  return TRUE;
}

KX2_EXPORT LPVOID TlsGetValue(DWORD dwTlsIndex) {
  if (dwTlsIndex >= KX2_TLS_SLOTS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // Success clears the last error so that a stored null can be told from a failure.
  SetLastError(ERROR_SUCCESS);
  const ThreadValue& v = t_values[dwTlsIndex];
  if (v.generation != Slots().generation[dwTlsIndex].load(std::memory_order_acquire)) return nullptr;
  return v.value;
}

KX2_EXPORT BOOL TlsSetValue(DWORD dwTlsIndex, LPVOID lpTlsValue) {
  if (dwTlsIndex >= KX2_TLS_SLOTS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SlotTable& t = Slots();
  uint32_t generation = t.generation[dwTlsIndex].load(std::memory_order_acquire);
  // An even generation means the slot is free (each alloc and each free add one).
  if ((generation & 1) == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  t_values[dwTlsIndex] = ThreadValue{generation, lpTlsValue};
  return TRUE;
}

#include "error/thread_record.h"

#include <pthread.h>

#include <atomic>
#include <new>

#include <win/kernel.h>

#include "error/out_of_memory.h"

namespace Basalt::Error::detail {
namespace {

std::atomic<DWORD> g_tlsIndex{TLS_OUT_OF_INDEXES};

// Frees a thread's record when the thread ends. The library does not ask for thread
// notifications, so without this every thread that ever failed would leak its record.
pthread_key_t g_exitKey;
std::atomic<bool> g_exitKeyValid{false};

std::atomic<void (*)(int)> g_observer{nullptr};

void Notify(int delta) {
  if (auto observer = g_observer.load()) observer(delta);
}

void FreeRecord(ThreadErrorRecord* record) {
  if (!record) return;
  ClearWarnings(*record);
  delete record;
  Notify(-1);
}

void FreeAtThreadExit(void* record) { FreeRecord(static_cast<ThreadErrorRecord*>(record)); }

// Allocating the record may run into the out-of-memory report, which itself may ask for the
// record; this keeps that from recursing.
thread_local bool t_creating = false;

}  // namespace

bool AttachThreadRecords() {
  if (g_tlsIndex.load() != TLS_OUT_OF_INDEXES) return true;
  DWORD index = TlsAlloc();
  if (index == TLS_OUT_OF_INDEXES) return false;
  g_exitKeyValid.store(pthread_key_create(&g_exitKey, FreeAtThreadExit) == 0);
  g_tlsIndex.store(index);
  return true;
}

void DetachThreadRecords() {
  DWORD index = g_tlsIndex.exchange(TLS_OUT_OF_INDEXES);
  if (index == TLS_OUT_OF_INDEXES) return;
  DWORD lastError = GetLastError();
  auto* record = static_cast<ThreadErrorRecord*>(TlsGetValue(index));
  TlsSetValue(index, nullptr);
  if (g_exitKeyValid.exchange(false)) {
    pthread_setspecific(g_exitKey, nullptr);
    // Records of threads still running stay with them; the key's cleanup no longer runs
    // once deleted, which is what an unloading library needs.
    pthread_key_delete(g_exitKey);
  }
  FreeRecord(record);
  TlsFree(index);
  SetLastError(lastError);
}

bool ThreadRecordsAttached() { return g_tlsIndex.load() != TLS_OUT_OF_INDEXES; }

ThreadErrorRecord* CurrentRecord() {
  DWORD index = g_tlsIndex.load();
  if (index == TLS_OUT_OF_INDEXES || t_creating) return nullptr;
  DWORD lastError = GetLastError();  // reading the slot resets it
  auto* record = static_cast<ThreadErrorRecord*>(TlsGetValue(index));
  if (!record) {
    t_creating = true;
    record = new (std::nothrow) ThreadErrorRecord{};
    if (record && !TlsSetValue(index, record)) {
      delete record;
      record = nullptr;
    } else if (record) {
      if (g_exitKeyValid.load()) pthread_setspecific(g_exitKey, record);
      Notify(+1);
    } else {
      ReportRecordOutOfMemory();
    }
    t_creating = false;
  }
  SetLastError(lastError);
  return record;
}

void ClearWarnings(ThreadErrorRecord& record) {
  while (record.warningHead != record.warningTail) {
    delete record.warnings[record.warningHead];
    record.warnings[record.warningHead] = nullptr;
    record.warningHead = (record.warningHead + 1) % kWarningSlots;
  }
}

}  // namespace Basalt::Error::detail

extern "C" BASALT_API void Kx2BasaltSetErrorRecordObserver(void (*observer)(int delta)) {
  Basalt::Error::detail::g_observer.store(observer);
}

#include "error/thread_record.h"

#include <atomic>
#include <new>

#include <win/kernel.h>

#include "error/out_of_memory.h"

namespace Basalt::Error::detail {
namespace {

// The slot holding each thread's record; its callback frees the record when the thread
// ends. The library does not ask for thread notifications, so without it every thread that
// ever failed would leak its record.
std::atomic<DWORD> g_tlsIndex{FLS_OUT_OF_INDEXES};

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

void WINAPI FreeAtThreadExit(PVOID record) { FreeRecord(static_cast<ThreadErrorRecord*>(record)); }

// Allocating the record may run into the out-of-memory report, which itself may ask for the
// record; this keeps that from recursing.
thread_local bool t_creating = false;

}  // namespace

bool AttachThreadRecords() {
  if (g_tlsIndex.load() != FLS_OUT_OF_INDEXES) return true;
  DWORD index = FlsAlloc(FreeAtThreadExit);
  if (index == FLS_OUT_OF_INDEXES) return false;
  g_tlsIndex.store(index);
  return true;
}

void DetachThreadRecords() {
  DWORD index = g_tlsIndex.exchange(FLS_OUT_OF_INDEXES);
  if (index == FLS_OUT_OF_INDEXES) return;
  DWORD lastError = GetLastError();
  auto* record = static_cast<ThreadErrorRecord*>(FlsGetValue(index));
  FlsSetValue(index, nullptr);
  FreeRecord(record);
  // Records of threads still running stay with them: once the slot is freed its callback
  // no longer runs at their exit, which is what an unloading library needs.
  FlsFree(index);
  SetLastError(lastError);
}

bool ThreadRecordsAttached() { return g_tlsIndex.load() != FLS_OUT_OF_INDEXES; }

ThreadErrorRecord* CurrentRecord() {
  DWORD index = g_tlsIndex.load();
  if (index == FLS_OUT_OF_INDEXES || t_creating) return nullptr;
  DWORD lastError = GetLastError();  // reading the slot resets it
  auto* record = static_cast<ThreadErrorRecord*>(FlsGetValue(index));
  if (!record) {
    t_creating = true;
    record = new (std::nothrow) ThreadErrorRecord{};
    if (record && !FlsSetValue(index, record)) {
      delete record;
      record = nullptr;
    } else if (record) {
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

// Where each thread's error record lives: a thread-local-storage slot that the library
// allocates when it starts, holding a heap record created on the thread's first use.
#pragma once

#include <basalt/error.h>

namespace Basalt::Error::detail {

constexpr int kWarningSlots = 4;

struct ThreadErrorRecord {
  tagKx2ErrorBuf current;
  tagKx2ErrorBuf* warnings[kWarningSlots];  // ring; head == tail means empty
  int32_t warningHead;
  int32_t warningTail;
};

// Allocates the slot; false when the system has none left (the library then runs without
// error records).
bool AttachThreadRecords();
// Frees the calling thread's record with its warnings, then the slot itself.
void DetachThreadRecords();
bool ThreadRecordsAttached();

// The calling thread's record, created zero-filled on first use; null when there is no slot
// or the record cannot be allocated. Leaves the thread's last-error value as it found it.
ThreadErrorRecord* CurrentRecord();

// Frees every queued warning of a record.
void ClearWarnings(ThreadErrorRecord& record);

}  // namespace Basalt::Error::detail

// Diagnostics for tests that load the library into a fresh process: the observer is told
// +1 when a thread's record is created and -1 when one is freed.
extern "C" BASALT_API void Kx2BasaltSetErrorRecordObserver(void (*observer)(int delta));

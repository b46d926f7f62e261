// Kernel services: the thread's last error, thread-local storage, critical sections,
// interlocked operations, threads, events, waits, the tick count, time, memory blocks,
// environment variables and version information.
//
// Every function here is a C function with default visibility, as on Win32, so that a
// module can also find it by name.
#pragma once

#include <pthread.h>

#include "win/errors.h"
#include "win/types.h"

// ---- Last error ------------------------------------------------------------------
KX2_EXPORT DWORD GetLastError();
KX2_EXPORT void SetLastError(DWORD dwErrCode);

// ---- Thread-local storage --------------------------------------------------------
#define TLS_OUT_OF_INDEXES static_cast<DWORD>(0xFFFFFFFF)
// Win32 guarantees at least 64 slots; we offer 1088, as later Windows versions do.
#define KX2_TLS_SLOTS 1088
KX2_EXPORT DWORD TlsAlloc();
KX2_EXPORT LPVOID TlsGetValue(DWORD dwTlsIndex);
KX2_EXPORT BOOL TlsSetValue(DWORD dwTlsIndex, LPVOID lpTlsValue);
KX2_EXPORT BOOL TlsFree(DWORD dwTlsIndex);

// ---- Critical sections -----------------------------------------------------------
// Re-entrant: the owning thread may enter again and must leave as often as it entered.
struct CRITICAL_SECTION {
  pthread_mutex_t Mutex;
  DWORD OwningThread;  // 0 when free
  LONG RecursionCount;
  BOOL Initialized;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;
typedef CRITICAL_SECTION* PCRITICAL_SECTION;
typedef CRITICAL_SECTION RTL_CRITICAL_SECTION;

KX2_EXPORT void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
KX2_EXPORT BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD dwSpinCount);
KX2_EXPORT void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
KX2_EXPORT BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
KX2_EXPORT void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
KX2_EXPORT void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

// ---- Interlocked operations (full barriers, as on Win32) -------------------------
inline LONG InterlockedIncrement(LONG volatile* p) { return __atomic_add_fetch(p, 1, __ATOMIC_SEQ_CST); }
inline LONG InterlockedDecrement(LONG volatile* p) { return __atomic_sub_fetch(p, 1, __ATOMIC_SEQ_CST); }
inline LONG InterlockedExchange(LONG volatile* p, LONG v) { return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST); }
inline LONG InterlockedExchangeAdd(LONG volatile* p, LONG v) { return __atomic_fetch_add(p, v, __ATOMIC_SEQ_CST); }
inline LONG InterlockedCompareExchange(LONG volatile* p, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(p, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;  // the initial value, whether or not the exchange happened
}
inline LONGLONG InterlockedIncrement64(LONGLONG volatile* p) { return __atomic_add_fetch(p, 1, __ATOMIC_SEQ_CST); }
inline LONGLONG InterlockedDecrement64(LONGLONG volatile* p) { return __atomic_sub_fetch(p, 1, __ATOMIC_SEQ_CST); }
inline LONGLONG InterlockedExchange64(LONGLONG volatile* p, LONGLONG v) { return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST); }
inline LONGLONG InterlockedCompareExchange64(LONGLONG volatile* p, LONGLONG exchange, LONGLONG comparand) {
  __atomic_compare_exchange_n(p, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}
inline PVOID InterlockedExchangePointer(PVOID volatile* p, PVOID v) { return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST); }
inline PVOID InterlockedCompareExchangePointer(PVOID volatile* p, PVOID exchange, PVOID comparand) {
  __atomic_compare_exchange_n(p, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}

KX2_EXPORT DWORD GetCurrentThreadId();
KX2_EXPORT DWORD GetCurrentProcessId();

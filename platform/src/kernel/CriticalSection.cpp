// Re-entrant critical sections over recursive POSIX mutexes, kept inside the caller's
// opaque CRITICAL_SECTION.
#include <pthread.h>

#include <new>

#include "win/kernel.h"

namespace {

struct Section {
  pthread_mutex_t Mutex;
  DWORD OwningThread;  // 0 when free
  LONG RecursionCount;
  BOOL Initialized;
};
static_assert(sizeof(Section) <= sizeof(CRITICAL_SECTION), "a section fits the caller's CRITICAL_SECTION");
static_assert(alignof(Section) <= alignof(CRITICAL_SECTION), "a section is aligned in the caller's CRITICAL_SECTION");

Section* Of(LPCRITICAL_SECTION cs) { return std::launder(reinterpret_cast<Section*>(cs->Opaque)); }

}  // namespace

KX2_EXPORT void InitializeCriticalSection(LPCRITICAL_SECTION critical) {
  Section* cs = new (critical->Opaque) Section{};
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&cs->Mutex, &attr);
  pthread_mutexattr_destroy(&attr);
  cs->OwningThread = 0;
  cs->RecursionCount = 0;
  cs->Initialized = TRUE;
}

KX2_EXPORT BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION cs, DWORD) {
  InitializeCriticalSection(cs);
  return TRUE;
}

KX2_EXPORT void EnterCriticalSection(LPCRITICAL_SECTION critical) {
  Section* cs = Of(critical);
  pthread_mutex_lock(&cs->Mutex);
  cs->OwningThread = GetCurrentThreadId();
  ++cs->RecursionCount;
}

KX2_EXPORT BOOL TryEnterCriticalSection(LPCRITICAL_SECTION critical) {
  Section* cs = Of(critical);
  if (pthread_mutex_trylock(&cs->Mutex) != 0) return FALSE;
  cs->OwningThread = GetCurrentThreadId();
  ++cs->RecursionCount;
  return TRUE;
}

KX2_EXPORT void LeaveCriticalSection(LPCRITICAL_SECTION critical) {
  Section* cs = Of(critical);
  // Leaving a section this thread does not own is a caller bug; ignoring it keeps the
  // owner's count intact instead of corrupting it.
  if (cs->OwningThread != GetCurrentThreadId() || cs->RecursionCount <= 0) return;
  if (--cs->RecursionCount == 0) cs->OwningThread = 0;
  pthread_mutex_unlock(&cs->Mutex);
}

KX2_EXPORT void DeleteCriticalSection(LPCRITICAL_SECTION critical) {
  Section* cs = Of(critical);
  if (!cs->Initialized) return;
  pthread_mutex_destroy(&cs->Mutex);
  cs->Initialized = FALSE;
  cs->OwningThread = 0;
  cs->RecursionCount = 0;
}

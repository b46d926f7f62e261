// Thread and process identifiers: the kernel's own ids, which are unique system-wide
// while the thread lives, as Win32 ids are.
#include <sys/syscall.h>
#include <unistd.h>

#include "win/kernel.h"

KX2_EXPORT DWORD GetCurrentThreadId() {
  thread_local DWORD id = static_cast<DWORD>(syscall(SYS_gettid));
  return id;
}

KX2_EXPORT DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

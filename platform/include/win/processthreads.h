// Opening a process and thread priorities. Only this process can be opened; its handle
// serves the module-list calls (win/psapi.h) and is closed with CloseHandle.
#pragma once

#include "win/types.h"

#define PROCESS_VM_READ 0x0010
#define PROCESS_QUERY_INFORMATION 0x0400
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000

#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF

// A handle to the calling process (its own identifier only); another process gives
// ERROR_ACCESS_DENIED, identifier 0 ERROR_INVALID_PARAMETER.
KX2_EXPORT HANDLE OpenProcess(DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwProcessId);

// The priority is kept with the thread. Priorities below normal also lower the thread's
// scheduling weight (its nice value) once it runs; raising it above the process's is
// what an ordinary user may not do, so higher priorities are kept but change nothing.
KX2_EXPORT BOOL SetThreadPriority(HANDLE hThread, int nPriority);
KX2_EXPORT int GetThreadPriority(HANDLE hThread);

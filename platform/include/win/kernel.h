// Kernel services: the thread's last error, thread-local storage, critical sections,
// interlocked operations, threads, events, waits, the tick count, time, memory blocks,
// environment variables and version information.
//
// Every function here is a C function with default visibility, as on Win32, so that a
// module can also find it by name.
#pragma once

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

// ---- Fibre-local storage ---------------------------------------------------------
// Slots like TLS whose callback receives a thread's value when the thread ends (this
// layer has no fibres: a thread is its own fibre). FlsFree passes the calling thread's
// value to the callback; values other threads still hold are left to them and their
// callback no longer runs, so that a library may free its slot before it unloads.
#define FLS_OUT_OF_INDEXES static_cast<DWORD>(0xFFFFFFFF)
#define FLS_MAXIMUM_AVAILABLE 128
typedef void(WINAPI* PFLS_CALLBACK_FUNCTION)(PVOID lpFlsData);
KX2_EXPORT DWORD FlsAlloc(PFLS_CALLBACK_FUNCTION lpCallback);
KX2_EXPORT BOOL FlsFree(DWORD dwFlsIndex);
KX2_EXPORT PVOID FlsGetValue(DWORD dwFlsIndex);
KX2_EXPORT BOOL FlsSetValue(DWORD dwFlsIndex, PVOID lpFlsData);

// ---- Critical sections -----------------------------------------------------------
// Re-entrant: the owning thread may enter again and must leave as often as it entered.
// Opaque to callers: the platform keeps its lock, owner and count inside, so that no
// includer pulls in the operating system's thread headers. Memory of zeros is a section
// not yet initialised (deleting it does nothing).
struct CRITICAL_SECTION {
  alignas(8) unsigned char Opaque[64];
};
static_assert(sizeof(CRITICAL_SECTION) == 64 && alignof(CRITICAL_SECTION) == 8, "CRITICAL_SECTION layout");
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
inline LONGLONG InterlockedExchange64(LONGLONG volatile* p, LONGLONG v) {
  return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST);
}
inline LONGLONG InterlockedCompareExchange64(LONGLONG volatile* p, LONGLONG exchange, LONGLONG comparand) {
  __atomic_compare_exchange_n(p, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}
inline PVOID InterlockedExchangePointer(PVOID volatile* p, PVOID v) {
  return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST);
}
inline PVOID InterlockedCompareExchangePointer(PVOID volatile* p, PVOID exchange, PVOID comparand) {
  __atomic_compare_exchange_n(p, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}

// ---- Threads, events and waits ---------------------------------------------------
typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);
typedef LPTHREAD_START_ROUTINE PTHREAD_START_ROUTINE;
struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* PSECURITY_ATTRIBUTES;

#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_ABANDONED_0 0x00000080L
#define WAIT_TIMEOUT 0x00000102L
#define WAIT_FAILED static_cast<DWORD>(0xFFFFFFFF)
#define MAXIMUM_WAIT_OBJECTS 64
#define CREATE_SUSPENDED 0x00000004
#define STILL_ACTIVE 259L

KX2_EXPORT DWORD GetCurrentThreadId();
KX2_EXPORT DWORD GetCurrentProcessId();
// Pseudo handles, as on Win32: (HANDLE)-2 for the thread and (HANDLE)-1 for the process.
KX2_EXPORT HANDLE GetCurrentThread();
KX2_EXPORT HANDLE GetCurrentProcess();
KX2_EXPORT HANDLE CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                               LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                               LPDWORD lpThreadId);
KX2_EXPORT DWORD ResumeThread(HANDLE hThread);
KX2_EXPORT BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
KX2_EXPORT DWORD GetThreadId(HANDLE hThread);
KX2_EXPORT __attribute__((noreturn)) void ExitThread(DWORD dwExitCode);
KX2_EXPORT HANDLE CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                               LPCWSTR lpName);
KX2_EXPORT HANDLE OpenEventW(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCWSTR lpName);
KX2_EXPORT BOOL SetEvent(HANDLE hEvent);
KX2_EXPORT BOOL ResetEvent(HANDLE hEvent);
KX2_EXPORT HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCWSTR lpName);
// Named mutexes are seen by every process of the user (a lock file per name in
// KX2_RUN_DIR): CreateMutexW reports ERROR_ALREADY_EXISTS when any process holds the name
// open, and OpenMutexW opens such a mutex (ERROR_FILE_NOT_FOUND when none does). Ownership
// and waits stay within the process.
#define MUTEX_ALL_ACCESS 0x001F0001
KX2_EXPORT HANDLE OpenMutexW(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCWSTR lpName);
KX2_EXPORT BOOL ReleaseMutex(HANDLE hMutex);
KX2_EXPORT HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES lpSemaphoreAttributes, LONG lInitialCount, LONG lMaximumCount,
                                   LPCWSTR lpName);
KX2_EXPORT BOOL ReleaseSemaphore(HANDLE hSemaphore, LONG lReleaseCount, LPLONG lpPreviousCount);
KX2_EXPORT DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
KX2_EXPORT DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds);
KX2_EXPORT BOOL CloseHandle(HANDLE hObject);
// Sleeps in real time (waits and sleeps never read the test clock).
KX2_EXPORT void Sleep(DWORD dwMilliseconds);
#define EVENT_ALL_ACCESS 0x1F0003
#define SYNCHRONIZE 0x00100000L
#define EVENT_MODIFY_STATE 0x0002

// ---- Tick count and time ---------------------------------------------------------
// Both read the platform clock (kx2/Clock.h), which tests may drive by hand.
KX2_EXPORT DWORD GetTickCount();
KX2_EXPORT ULONGLONG GetTickCount64();

struct TIME_ZONE_INFORMATION {
  LONG Bias;
  WCHAR StandardName[32];
  SYSTEMTIME StandardDate;
  LONG StandardBias;
  WCHAR DaylightName[32];
  SYSTEMTIME DaylightDate;
  LONG DaylightBias;
};
typedef TIME_ZONE_INFORMATION* LPTIME_ZONE_INFORMATION;
#define TIME_ZONE_ID_UNKNOWN 0
#define TIME_ZONE_ID_STANDARD 1
#define TIME_ZONE_ID_DAYLIGHT 2
#define TIME_ZONE_ID_INVALID static_cast<DWORD>(0xFFFFFFFF)

KX2_EXPORT void GetSystemTime(LPSYSTEMTIME lpSystemTime);
KX2_EXPORT void GetLocalTime(LPSYSTEMTIME lpSystemTime);
KX2_EXPORT void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);
KX2_EXPORT BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);
KX2_EXPORT BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime);
// Uses the time zone's current offset, as Win32 does (not the offset at that date).
KX2_EXPORT BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime);
KX2_EXPORT BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime);
// DOS dates cover 1980 to 2107; the time has two-second steps.
KX2_EXPORT BOOL FileTimeToDosDateTime(const FILETIME* lpFileTime, LPWORD lpFatDate, LPWORD lpFatTime);
KX2_EXPORT BOOL DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, LPFILETIME lpFileTime);
KX2_EXPORT LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2);
KX2_EXPORT DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION lpTimeZoneInformation);
KX2_EXPORT BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* lpTimeZone,
                                                const SYSTEMTIME* lpUniversalTime, LPSYSTEMTIME lpLocalTime);
KX2_EXPORT BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
KX2_EXPORT BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);

// ---- Memory blocks ---------------------------------------------------------------
// Fixed blocks are plain pointers; moveable blocks (GMEM_MOVEABLE / LMEM_MOVEABLE) are
// handles that GlobalLock turns into a pointer. The Local and Global families are the
// same allocator, as on Win32.
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_NOCOMPACT 0x0010
#define GMEM_NODISCARD 0x0020
#define GMEM_ZEROINIT 0x0040
#define GMEM_MODIFY 0x0080
#define GMEM_DISCARDABLE 0x0100
#define GMEM_SHARE 0x2000
#define GMEM_DDESHARE 0x2000
#define GMEM_INVALID_HANDLE 0x8000
#define GMEM_LOCKCOUNT 0x00FF
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040
#define LMEM_MODIFY 0x0080
#define LMEM_INVALID_HANDLE 0x8000
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)
#define HEAP_NO_SERIALIZE 0x00000001
#define HEAP_GENERATE_EXCEPTIONS 0x00000004
#define HEAP_ZERO_MEMORY 0x00000008
#define HEAP_REALLOC_IN_PLACE_ONLY 0x00000010

KX2_EXPORT HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
KX2_EXPORT HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
KX2_EXPORT LPVOID GlobalLock(HGLOBAL hMem);
KX2_EXPORT BOOL GlobalUnlock(HGLOBAL hMem);
KX2_EXPORT SIZE_T GlobalSize(HGLOBAL hMem);
KX2_EXPORT UINT GlobalFlags(HGLOBAL hMem);
KX2_EXPORT HGLOBAL GlobalHandle(LPCVOID pMem);
KX2_EXPORT HGLOBAL GlobalFree(HGLOBAL hMem);
KX2_EXPORT HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes);
KX2_EXPORT HLOCAL LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags);
KX2_EXPORT LPVOID LocalLock(HLOCAL hMem);
KX2_EXPORT BOOL LocalUnlock(HLOCAL hMem);
KX2_EXPORT SIZE_T LocalSize(HLOCAL hMem);
KX2_EXPORT HLOCAL LocalFree(HLOCAL hMem);
KX2_EXPORT HANDLE GetProcessHeap();
KX2_EXPORT LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
KX2_EXPORT LPVOID HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes);
KX2_EXPORT SIZE_T HeapSize(HANDLE hHeap, DWORD dwFlags, LPCVOID lpMem);
KX2_EXPORT BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem);

// ---- Environment, command line, version, debugging ----------------------------------
// Variable names compare without regard to case, as on Windows.
KX2_EXPORT DWORD GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize);
KX2_EXPORT BOOL SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue);
KX2_EXPORT DWORD ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize);

// The process's command line: its arguments quoted by the Windows rules, the program as
// a Windows path. A host may replace it (Kx2SetCommandLine), e.g. to pass on arguments.
KX2_EXPORT LPWSTR GetCommandLineW();
KX2_EXPORT void Kx2SetCommandLine(LPCWSTR commandLine);
// Splits by the Windows rules; the array and its strings are one LocalAlloc block
// (free it with LocalFree).
KX2_EXPORT LPWSTR* CommandLineToArgvW(LPCWSTR lpCmdLine, int* pNumArgs);

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};
struct OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
typedef OSVERSIONINFOW* LPOSVERSIONINFOW;
typedef OSVERSIONINFOEXW* LPOSVERSIONINFOEXW;
#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2
#define VER_NT_WORKSTATION 0x0000001
// Reports NT 6.2 build 9200 (what Windows reports to a program that declares no newer
// version) unless KX2_WINVER names another: 95, 98, me, nt4, 2000, xp, 2003, vista, 7, 8.
// Read once per process.
KX2_EXPORT BOOL GetVersionExW(LPOSVERSIONINFOW lpVersionInformation);
KX2_EXPORT DWORD GetVersion();

// Goes to the hook installed with Kx2SetDebugOutputHook, else to standard error when the
// environment variable KX2_DEBUG_OUTPUT is set; otherwise it is dropped, as on Windows
// without a debugger.
KX2_EXPORT void OutputDebugStringW(LPCWSTR lpOutputString);
KX2_EXPORT void OutputDebugStringA(LPCSTR lpOutputString);
typedef void (*Kx2DebugOutputHook)(LPCWSTR text);
KX2_EXPORT void Kx2SetDebugOutputHook(Kx2DebugOutputHook hook);
KX2_EXPORT BOOL IsDebuggerPresent();
KX2_EXPORT BOOL DisableThreadLibraryCalls(HMODULE hLibModule);

// ---- System messages -------------------------------------------------------------
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF
#include <cstdarg>
// Messages come from a small table of the system's messages (Win32 codes, and HRESULTs
// whose facility is Win32 through the same table); FROM_STRING formats lpSource.
// Inserts: %1..%99 with an optional !printf-format! (default !s!), %n, %%, %0, %. and
// %space; the maximum-width mask 0xFF turns line breaks of the text into blanks.
KX2_EXPORT DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPWSTR lpBuffer,
                                DWORD nSize, va_list* Arguments);

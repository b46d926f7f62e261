// The processor and memory facts of GetSystemInfo and GetNativeSystemInfo (both also found
// by name in "Kernel32.dll"): this build is x86-64, processor architecture 9.
#pragma once

#include "win/types.h"

#define PROCESSOR_ARCHITECTURE_INTEL 0
#define PROCESSOR_ARCHITECTURE_ARM 5
#define PROCESSOR_ARCHITECTURE_AMD64 9
#define PROCESSOR_ARCHITECTURE_ARM64 12
#define PROCESSOR_AMD_X8664 8664

struct SYSTEM_INFO {
  WORD wProcessorArchitecture;
  WORD wReserved;
  DWORD dwPageSize;
  LPVOID lpMinimumApplicationAddress;
  LPVOID lpMaximumApplicationAddress;
  DWORD_PTR dwActiveProcessorMask;
  DWORD dwNumberOfProcessors;
  DWORD dwProcessorType;
  DWORD dwAllocationGranularity;
  WORD wProcessorLevel;
  WORD wProcessorRevision;
};
typedef SYSTEM_INFO* LPSYSTEM_INFO;

KX2_EXPORT void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo);
KX2_EXPORT void GetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo);

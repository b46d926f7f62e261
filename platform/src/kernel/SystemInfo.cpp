#include <unistd.h>

#include "win/sysinfo.h"

namespace {

void Fill(LPSYSTEM_INFO info) {
  if (!info) return;
  *info = SYSTEM_INFO{};
#if defined(__aarch64__)
  info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_ARM64;
#else
  info->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
  info->dwProcessorType = PROCESSOR_AMD_X8664;
#endif
  long page = sysconf(_SC_PAGESIZE);
  info->dwPageSize = page > 0 ? static_cast<DWORD>(page) : 4096;
  info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
  info->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFFFFFEFFFFull);
  long processors = sysconf(_SC_NPROCESSORS_ONLN);
  info->dwNumberOfProcessors = processors > 0 ? static_cast<DWORD>(processors) : 1;
  DWORD count = info->dwNumberOfProcessors < 64 ? info->dwNumberOfProcessors : 64;
  info->dwActiveProcessorMask = count >= 64 ? ~DWORD_PTR{0} : ((DWORD_PTR{1} << count) - 1);
  info->dwAllocationGranularity = 65536;
}

}  // namespace

KX2_EXPORT void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo) { Fill(lpSystemInfo); }
KX2_EXPORT void GetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo) { Fill(lpSystemInfo); }

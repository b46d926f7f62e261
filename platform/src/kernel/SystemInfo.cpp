#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "win/sysinfo.h"

namespace {

// The online processors from the system's list ("0-3,6"), read through a descriptor kept
// open: each read from the start makes the system write the list afresh, and one read
// costs a fraction of opening the file again (which is what sysconf does every time).
long OnlineProcessors() {
  static const int fd = ::open("/sys/devices/system/cpu/online", O_RDONLY | O_CLOEXEC);
  char text[1024];
  const ssize_t got = fd >= 0 ? ::pread(fd, text, sizeof text - 1, 0) : -1;
  if (got <= 0 || static_cast<size_t>(got) == sizeof text - 1) return sysconf(_SC_NPROCESSORS_ONLN);
  text[got] = '\0';
  long count = 0;
  for (char* at = text; *at && *at != '\n';) {
    char* end = nullptr;
    const long first = std::strtol(at, &end, 10);
    if (end == at) return sysconf(_SC_NPROCESSORS_ONLN);
    long last = first;
    if (*end == '-') {
      at = end + 1;
      last = std::strtol(at, &end, 10);
      if (end == at || last < first) return sysconf(_SC_NPROCESSORS_ONLN);
    }
    count += last - first + 1;
    at = *end == ',' ? end + 1 : end;
    if (at == end && *at && *at != '\n') return sysconf(_SC_NPROCESSORS_ONLN);
  }
  return count;
}

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
  long processors = OnlineProcessors();
  info->dwNumberOfProcessors = processors > 0 ? static_cast<DWORD>(processors) : 1;
  DWORD count = info->dwNumberOfProcessors < 64 ? info->dwNumberOfProcessors : 64;
  info->dwActiveProcessorMask = count >= 64 ? ~DWORD_PTR{0} : ((DWORD_PTR{1} << count) - 1);
  info->dwAllocationGranularity = 65536;
}

}  // namespace

KX2_EXPORT void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo) { Fill(lpSystemInfo); }
KX2_EXPORT void GetNativeSystemInfo(LPSYSTEM_INFO lpSystemInfo) { Fill(lpSystemInfo); }

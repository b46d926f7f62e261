// VirtualQuery and VirtualProtect over the kernel's map of this process's memory.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

#include "kx2/ErrorBoundary.h"
#include "win/kernel.h"
#include "win/memoryapi.h"

namespace {

struct Mapping {
  uintptr_t low = 0;
  uintptr_t high = 0;
  DWORD protect = PAGE_NOACCESS;
  bool image = false;
};

DWORD ProtectFrom(const char* perms) {
  bool r = perms[0] == 'r', w = perms[1] == 'w', x = perms[2] == 'x';
  if (x) return w ? PAGE_EXECUTE_READWRITE : r ? PAGE_EXECUTE_READ : PAGE_EXECUTE;
  if (w) return PAGE_READWRITE;
  return r ? PAGE_READONLY : PAGE_NOACCESS;
}

bool ProtFlags(DWORD protect, int* prot) {
  switch (protect & 0xFF) {
    case PAGE_NOACCESS:
      *prot = PROT_NONE;
      return true;
    case PAGE_READONLY:
      *prot = PROT_READ;
      return true;
    case PAGE_READWRITE:
    case PAGE_WRITECOPY:
      *prot = PROT_READ | PROT_WRITE;
      return true;
    case PAGE_EXECUTE:
      *prot = PROT_EXEC;
      return true;
    case PAGE_EXECUTE_READ:
      *prot = PROT_READ | PROT_EXEC;
      return true;
    case PAGE_EXECUTE_READWRITE:
    case PAGE_EXECUTE_WRITECOPY:
      *prot = PROT_READ | PROT_WRITE | PROT_EXEC;
      return true;
    default:
      return false;
  }
}

// The mapping holding address; with none, `next` is the start of the first mapping above
// it (0 when there is none).
std::optional<Mapping> FindMapping(uintptr_t address, uintptr_t* next) {
  *next = 0;
  FILE* maps = std::fopen("/proc/self/maps", "re");
  if (!maps) return std::nullopt;
  char line[1024];
  std::optional<Mapping> found;
  while (std::fgets(line, sizeof line, maps)) {
    unsigned long low = 0, high = 0, offset = 0, inode = 0;
    char perms[8] = {}, dev[16] = {};
    int pathAt = 0;
    if (std::sscanf(line, "%lx-%lx %7s %lx %15s %lu %n", &low, &high, perms, &offset, dev, &inode, &pathAt) < 6)
      continue;
    if (address < low) {
      if (*next == 0 || low < *next) *next = low;
      continue;
    }
    if (address >= high) continue;
    Mapping m;
    m.low = low;
    m.high = high;
    m.protect = ProtectFrom(perms);
    m.image = inode != 0;
    found = m;
    break;
  }
  std::fclose(maps);
  return found;
}

uintptr_t PageSize() { return static_cast<uintptr_t>(sysconf(_SC_PAGESIZE)); }

}  // namespace

KX2_EXPORT SIZE_T VirtualQuery(LPCVOID lpAddress, PMEMORY_BASIC_INFORMATION lpBuffer, SIZE_T dwLength) {
  return kx2::Guard(SIZE_T{0}, [&]() -> SIZE_T {
    if (!lpBuffer || dwLength < sizeof(MEMORY_BASIC_INFORMATION)) {
      SetLastError(ERROR_BAD_LENGTH);
      return 0;
    }
    const uintptr_t page = PageSize();
    const uintptr_t address = reinterpret_cast<uintptr_t>(lpAddress) & ~(page - 1);
    uintptr_t next = 0;
    auto m = FindMapping(address, &next);
    std::memset(lpBuffer, 0, sizeof *lpBuffer);
    lpBuffer->BaseAddress = reinterpret_cast<PVOID>(address);
    if (!m) {
      lpBuffer->State = MEM_FREE;
      lpBuffer->Protect = PAGE_NOACCESS;
      lpBuffer->RegionSize = (next ? next : (UINTPTR_MAX & ~(page - 1))) - address;
      return sizeof *lpBuffer;
    }
    lpBuffer->AllocationBase = reinterpret_cast<PVOID>(m->low);
    lpBuffer->AllocationProtect = m->protect;
    lpBuffer->RegionSize = m->high - address;
    lpBuffer->State = MEM_COMMIT;
    lpBuffer->Protect = m->protect;
    lpBuffer->Type = m->image ? MEM_IMAGE : MEM_PRIVATE;
    return sizeof *lpBuffer;
  });
}

KX2_EXPORT BOOL VirtualProtect(LPVOID lpAddress, SIZE_T dwSize, DWORD flNewProtect, PDWORD lpflOldProtect) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    int prot = 0;
    if (!lpflOldProtect || !ProtFlags(flNewProtect, &prot) || dwSize == 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    const uintptr_t page = PageSize();
    const uintptr_t low = reinterpret_cast<uintptr_t>(lpAddress) & ~(page - 1);
    const uintptr_t end = reinterpret_cast<uintptr_t>(lpAddress) + dwSize;
    if (end < low) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    const uintptr_t high = (end + page - 1) & ~(page - 1);
    // Every page must be mapped: mprotect would also fail, but only after changing some.
    DWORD first = 0;
    for (uintptr_t at = low; at < high;) {
      uintptr_t next = 0;
      auto m = FindMapping(at, &next);
      if (!m) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
      }
      if (at == low) first = m->protect;
      at = m->high;
    }
    if (mprotect(reinterpret_cast<void*>(low), high - low, prot) != 0) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    *lpflOldProtect = first;
    return TRUE;
  });
}

// EnumProcessModules and GetModuleInformation over dl_iterate_phdr.
#include <link.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "kernel/OwnProcess.h"
#include "kx2/ErrorBoundary.h"
#include "kx2/Module.h"
#include "win/kernel.h"
#include "win/module.h"
#include "win/psapi.h"

namespace {

struct Image {
  HMODULE module;
  uintptr_t low;
  uintptr_t high;
};

// Every code module's address range, in the loader's order (the program first).
std::vector<Image> Images() {
  std::vector<Image> images;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* context) {
        uintptr_t low = UINTPTR_MAX, high = 0;
        for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
          const ElfW(Phdr)& segment = info->dlpi_phdr[i];
          if (segment.p_type != PT_LOAD) continue;
          low = std::min<uintptr_t>(low, info->dlpi_addr + segment.p_vaddr);
          high = std::max<uintptr_t>(high, info->dlpi_addr + segment.p_vaddr + segment.p_memsz);
        }
        if (low >= high) return 0;
        // The kernel's virtual library has no file and no module record.
        HMODULE module = Kx2ModuleFromAddress(reinterpret_cast<const void*>(low));
        if (module) static_cast<std::vector<Image>*>(context)->push_back(Image{module, low, high});
        return 0;
      },
      &images);
  return images;
}

bool IsThisProcess(HANDLE process) { return kx2::IsOwnProcessHandle(process); }

}  // namespace

KX2_EXPORT BOOL EnumProcessModules(HANDLE hProcess, HMODULE* lphModule, DWORD cb, LPDWORD lpcbNeeded) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!IsThisProcess(hProcess)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (!lpcbNeeded || (cb && !lphModule)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::vector<HMODULE> modules;
    for (const Image& image : Images())
      if (std::find(modules.begin(), modules.end(), image.module) == modules.end()) modules.push_back(image.module);
    *lpcbNeeded = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
    for (size_t i = 0; i < modules.size() && (i + 1) * sizeof(HMODULE) <= cb; ++i) lphModule[i] = modules[i];
    return TRUE;
  });
}

KX2_EXPORT BOOL GetModuleInformation(HANDLE hProcess, HMODULE hModule, LPMODULEINFO lpmodinfo, DWORD cb) {
  return kx2::Guard(FALSE, [&]() -> BOOL {
    if (!IsThisProcess(hProcess)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (!lpmodinfo || cb < sizeof(MODULEINFO)) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    if (!hModule) hModule = GetModuleHandleW(nullptr);
    for (const Image& image : Images()) {
      if (image.module != hModule) continue;
      lpmodinfo->lpBaseOfDll = reinterpret_cast<LPVOID>(image.low);
      lpmodinfo->SizeOfImage = static_cast<DWORD>(image.high - image.low);
      lpmodinfo->EntryPoint = nullptr;
      return TRUE;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  });
}

// Module snapshots over the process's module list (EnumProcessModules and
// GetModuleInformation), taken once when the snapshot is made.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "kx2/ErrorBoundary.h"
#include "kx2/KernelObject.h"
#include "win/kernel.h"
#include "win/module.h"
#include "win/psapi.h"
#include "win/tlhelp32.h"

namespace {

struct ModuleSnapshot : kx2::KernelObject {
  std::vector<MODULEENTRY32W> entries;
  size_t next = 0;
};

void CopyName(WCHAR* out, size_t capacity, const std::u16string& text) {
  size_t n = std::min(text.size(), capacity - 1);
  std::memcpy(out, text.data(), n * sizeof(WCHAR));
  out[n] = 0;
}

MODULEENTRY32W EntryFor(HMODULE module, const MODULEINFO& info) {
  MODULEENTRY32W e{};
  e.dwSize = sizeof e;
  e.th32ModuleID = 1;
  e.th32ProcessID = GetCurrentProcessId();
  e.GlblcntUsage = 0xFFFF;
  e.ProccntUsage = 0xFFFF;
  e.modBaseAddr = static_cast<BYTE*>(info.lpBaseOfDll);
  e.modBaseSize = info.SizeOfImage;
  e.hModule = module;
  WCHAR path[MAX_PATH * 4];
  DWORD n = GetModuleFileNameW(module, path, MAX_PATH * 4);
  std::u16string full(path, n);
  size_t cut = full.find_last_of(u'\\');
  CopyName(e.szModule, MAX_MODULE_NAME32 + 1, cut == std::u16string::npos ? full : full.substr(cut + 1));
  CopyName(e.szExePath, MAX_PATH, full);
  return e;
}

BOOL Step(HANDLE hSnapshot, LPMODULEENTRY32W lpme, bool first) {
  auto snapshot = kx2::LookupHandleAs<ModuleSnapshot>(hSnapshot);
  if (!snapshot) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!lpme || lpme->dwSize != sizeof(MODULEENTRY32W)) {
    SetLastError(ERROR_BAD_LENGTH);
    return FALSE;
  }
  if (first) snapshot->next = 0;
  if (snapshot->next >= snapshot->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *lpme = snapshot->entries[snapshot->next++];
  return TRUE;
}

}  // namespace

KX2_EXPORT HANDLE CreateToolhelp32Snapshot(DWORD dwFlags, DWORD th32ProcessID) {
  return kx2::Guard(INVALID_HANDLE_VALUE, [&]() -> HANDLE {
    if (!(dwFlags & (TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32))) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
    }
    if (th32ProcessID != 0 && th32ProcessID != GetCurrentProcessId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    DWORD needed = 0;
    if (!EnumProcessModules(GetCurrentProcess(), nullptr, 0, &needed)) return INVALID_HANDLE_VALUE;
    std::vector<HMODULE> modules(needed / sizeof(HMODULE));
    if (!EnumProcessModules(GetCurrentProcess(), modules.data(), needed, &needed)) return INVALID_HANDLE_VALUE;
    auto snapshot = std::make_shared<ModuleSnapshot>();
    for (HMODULE module : modules) {
      MODULEINFO info{};
      if (GetModuleInformation(GetCurrentProcess(), module, &info, sizeof info))
        snapshot->entries.push_back(EntryFor(module, info));
    }
    return kx2::InsertHandle(snapshot);
  });
}

KX2_EXPORT BOOL Module32FirstW(HANDLE hSnapshot, LPMODULEENTRY32W lpme) {
  return kx2::Guard(FALSE, [&] { return Step(hSnapshot, lpme, true); });
}

KX2_EXPORT BOOL Module32NextW(HANDLE hSnapshot, LPMODULEENTRY32W lpme) {
  return kx2::Guard(FALSE, [&] { return Step(hSnapshot, lpme, false); });
}

// The A forms of the module calls: names in the ANSI code page.
#include <cstring>

#include "module/AnsiText.h"
#include "win/kernel.h"
#include "win/module.h"

using kx2::ansi::Ptr;
using kx2::ansi::Widen;

KX2_EXPORT HMODULE LoadLibraryA(LPCSTR lpLibFileName) { return LoadLibraryW(Ptr(Widen(lpLibFileName))); }

KX2_EXPORT HMODULE LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
  return LoadLibraryExW(Ptr(Widen(lpLibFileName)), hFile, dwFlags);
}

KX2_EXPORT HMODULE GetModuleHandleA(LPCSTR lpModuleName) { return GetModuleHandleW(Ptr(Widen(lpModuleName))); }

KX2_EXPORT DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  char16_t wide[32768];
  DWORD n = GetModuleFileNameW(hModule, wide, 32768);
  if (n == 0) return 0;
  std::string text = kx2::ansi::Narrow(std::u16string_view(wide, n));
  if (!lpFilename || nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (text.size() >= nSize) {
    std::memcpy(lpFilename, text.data(), nSize - 1);
    lpFilename[nSize - 1] = 0;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, text.data(), text.size());
  lpFilename[text.size()] = 0;
  return static_cast<DWORD>(text.size());
}

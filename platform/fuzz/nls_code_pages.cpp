// Fuzzes the code-page conversions in both directions: no input may overrun a buffer,
// and a successful conversion must report exactly the size it wrote.
#include <cstdint>
#include <cstring>
#include <vector>

#include "win/nls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const UINT pages[] = {CP_UTF8, 1252, 932, 936, 949, 950, 1251, 437, CP_UTF7};
  UINT cp = pages[data[0] % (sizeof pages / sizeof pages[0])];
  DWORD flags = (data[1] & 1) ? MB_ERR_INVALID_CHARS : 0;
  const char* bytes = reinterpret_cast<const char*>(data + 2);
  int len = static_cast<int>(size - 2);
  if (len == 0) return 0;

  int need = MultiByteToWideChar(cp, flags, bytes, len, nullptr, 0);
  if (need > 0) {
    std::vector<WCHAR> wide(static_cast<size_t>(need));
    if (MultiByteToWideChar(cp, flags, bytes, len, wide.data(), need) != need) __builtin_trap();
    BOOL used = FALSE;
    int back = WideCharToMultiByte(cp, 0, wide.data(), need, nullptr, 0, nullptr, cp == CP_UTF8 ? nullptr : &used);
    if (back > 0) {
      std::vector<char> narrow(static_cast<size_t>(back));
      if (WideCharToMultiByte(cp, 0, wide.data(), need, narrow.data(), back, nullptr, nullptr) != back)
        __builtin_trap();
    }
    if (need > 1) MultiByteToWideChar(cp, flags, bytes, len, wide.data(), need / 2);  // too small: must fail cleanly
  }
  // The same bytes read as UTF-16 text.
  std::vector<WCHAR> units((size - 2) / 2);
  if (!units.empty()) {
    std::memcpy(units.data(), data + 2, units.size() * 2);
    int n = WideCharToMultiByte(cp, (data[1] & 2) && cp == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0, units.data(),
                                static_cast<int>(units.size()), nullptr, 0, nullptr, nullptr);
    if (n > 0) {
      std::vector<char> out(static_cast<size_t>(n));
      WideCharToMultiByte(cp, 0, units.data(), static_cast<int>(units.size()), out.data(), n, nullptr, nullptr);
    }
  }
  return 0;
}

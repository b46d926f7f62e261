// Stand-in code-page conversion used only while the platform has none (see code_page_api.h).
#include "text/code_page_api.h"

#if !BASALT_PLATFORM_CODE_PAGES

#include <cstring>
#include <string>

#include <kx2/Utf.h>

namespace Basalt::Text {

namespace {

// Windows-1252's 0x80-0x9F; 0 where the page has no character.
constexpr char16_t kHigh1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t From1252(unsigned char b) {
  if (b >= 0x80 && b < 0xA0) return kHigh1252[b - 0x80] ? kHigh1252[b - 0x80] : b;
  return b;
}

int To1252(char16_t u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return u;
  for (int i = 0; i < 32; ++i)
    if (kHigh1252[i] == u) return 0x80 + i;
  return -1;
}

}  // namespace

int MultiByteToWide(UINT codePage, DWORD, const char* src, int srcLen, WCHAR* dst, int dstCount) {
  if (!src || dstCount < 0) return 0;
  const size_t len = srcLen < 0 ? std::strlen(src) + 1 : static_cast<size_t>(srcLen);
  std::u16string wide;
  if (codePage == 65001) {
    wide = kx2::Utf8ToUtf16(std::string_view(src, len));
  } else {
    for (size_t i = 0; i < len; ++i) wide.push_back(From1252(static_cast<unsigned char>(src[i])));
  }
  if (dstCount == 0) return static_cast<int>(wide.size());
  if (wide.size() > static_cast<size_t>(dstCount)) return 0;
  std::memcpy(dst, wide.data(), wide.size() * sizeof(WCHAR));
  return static_cast<int>(wide.size());
}

int WideToMultiByte(UINT codePage, DWORD, const WCHAR* src, int srcLen, char* dst, int dstSize, const char* defaultChar,
                    BOOL* usedDefault) {
  if (!src || dstSize < 0) return 0;
  size_t len = 0;
  if (srcLen < 0) {
    while (src[len]) ++len;
    ++len;
  } else {
    len = static_cast<size_t>(srcLen);
  }
  std::string bytes;
  if (codePage == 65001) {
    bytes = kx2::Utf16ToUtf8(std::u16string_view(src, len));
  } else {
    for (size_t i = 0; i < len; ++i) {
      const int b = To1252(src[i]);
      if (b < 0 && usedDefault) *usedDefault = TRUE;
      bytes.push_back(b >= 0 ? static_cast<char>(b) : defaultChar ? *defaultChar : '?');
    }
  }
  if (dstSize == 0) return static_cast<int>(bytes.size());
  if (bytes.size() > static_cast<size_t>(dstSize)) return 0;
  std::memcpy(dst, bytes.data(), bytes.size());
  return static_cast<int>(bytes.size());
}

}  // namespace Basalt::Text

#endif

// The platform's code-page conversion, as the text layer calls it.
#pragma once

#include <win/types.h>

// Switched on once the platform library carries the conversions, not merely the header.
#define BASALT_PLATFORM_CODE_PAGES 0
#if BASALT_PLATFORM_CODE_PAGES
#include <win/nls.h>
#endif

#ifndef MB_PRECOMPOSED
#define MB_PRECOMPOSED 0x00000001
#endif
#ifndef WC_DEFAULTCHAR
#define WC_DEFAULTCHAR 0x00000040
#endif

namespace Basalt::Text {

#if BASALT_PLATFORM_CODE_PAGES
inline int MultiByteToWide(UINT codePage, DWORD flags, const char* src, int srcLen, WCHAR* dst, int dstCount) {
  return MultiByteToWideChar(codePage, flags, src, srcLen, dst, dstCount);
}
inline int WideToMultiByte(UINT codePage, DWORD flags, const WCHAR* src, int srcLen, char* dst, int dstSize,
                           const char* defaultChar, BOOL* usedDefault) {
  return WideCharToMultiByte(codePage, flags, src, srcLen, dst, dstSize, defaultChar, usedDefault);
}
#else
// Until the platform's code pages are built: Windows-1252 for the ANSI code page and any
// single-byte page, UTF-8 for 65001; same results and failure rule as the platform calls.
int MultiByteToWide(UINT codePage, DWORD flags, const char* src, int srcLen, WCHAR* dst, int dstCount);
int WideToMultiByte(UINT codePage, DWORD flags, const WCHAR* src, int srcLen, char* dst, int dstSize,
                    const char* defaultChar, BOOL* usedDefault);
#endif

}  // namespace Basalt::Text

// Code-page conversions for the system's 8-bit texts (the usage-report program, strerror
// texts, zip entry names), through the platform's MultiByteToWideChar/WideCharToMultiByte.
#include <basalt/text_encoding.h>
#include <win/nls.h>

#include <new>

KX2_EXPORT int _ExpAnsiToUnicode(void*, UINT codePage, const char* src, int srcLen, WCHAR* dst, int dstCount, void*) {
  if (!dst || dstCount < 1) return 0;
  dst[0] = 0;
  if (dstCount < 2 || !src) return 0;
  // One unit stays free for the terminator, whatever the conversion wrote.
  const int n = MultiByteToWideChar(codePage, MB_PRECOMPOSED, src, srcLen, dst, dstCount - 1);
  if (n <= 0) {
    dst[0] = 0;
    return 0;
  }
  dst[n] = 0;
  return n;
}

KX2_EXPORT int _ExpUnicodeToAnsi(void*, UINT codePage, const WCHAR* src, int srcLen, char* dst, int dstSize,
                                 const char* defaultChar) {
  if (!dst || dstSize < 1) return 0;
  dst[0] = 0;
  if (dstSize < 2 || !src) return 0;
  // A terminated source brings its terminator along; otherwise one byte is kept for it.
  const int room = srcLen == -1 ? dstSize : dstSize - 1;
  // The UTF forms take no default character (the platform refuses the call otherwise).
  const bool utf = codePage == CP_UTF7 || codePage == CP_UTF8;
  const char* fallback = utf ? nullptr : defaultChar;
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(codePage, fallback ? WC_DEFAULTCHAR : 0, src, srcLen, dst, room, fallback,
                                    utf ? nullptr : &usedDefault);
  if (n <= 0) {
    dst[0] = 0;
    return 0;
  }
  if (srcLen == -1)
    dst[n - 1] = 0;
  else
    dst[n] = 0;
  return n;
}

KX2_EXPORT int _ExpAnsiToAnsi(void*, UINT srcCodePage, const char* src, int srcLen, UINT dstCodePage, char* dst,
                              int dstSize, const char* defaultChar) {
  if (!dst || dstSize < 1) return 0;
  dst[0] = 0;
  if (dstSize < 2 || !src) return 0;
  // Every UTF-16 unit needs at least one byte of dst, so a wide text longer than this
  // could never fit and the first step may fail for it.
  const int units = static_cast<int>(int64_t{dstSize} * 3 / 2);
  WCHAR* wide = new (std::nothrow) WCHAR[static_cast<size_t>(units)];
  if (!wide) return 0;
  int n = 0;
  if (_ExpAnsiToUnicode(nullptr, srcCodePage, src, srcLen, wide, units, nullptr) > 0)
    n = _ExpUnicodeToAnsi(nullptr, dstCodePage, wide, -1, dst, dstSize, defaultChar);
  delete[] wide;
  return n;
}

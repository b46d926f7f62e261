// Helpers on terminated UTF-16 text that every module uses in place of the C runtime's
// wide-string functions: bounded copies, ASCII-only case folding, the system's hexadecimal
// escapes, and a locale-independent number formatter and parser.
//
// Sizes count UTF-16 units and include the terminator. Bounded copies return 1 when the
// whole text fitted and 0 when it was cut.
#pragma once

#include <cstdarg>
#include <cstddef>

#include <basalt/export.h>

namespace Basalt::Util {

class BASALT_API StringUtil {
 public:
  // --- Bounded copies and edits -------------------------------------------------------
  static int Ustrlcpy(WCHAR* dst, const WCHAR* src, LONG size) noexcept;
  static int Wcscpyz(WCHAR* dst, LONG size, const WCHAR* src) noexcept;
  static int Ustrlcat(WCHAR* dst, const WCHAR* src, int size) noexcept;
  // count >= size: copies size - 1 units and terminates; else copies count units and
  // leaves the unit after them as it was.
  static int Wcsncpyz(WCHAR* dst, int size, const WCHAR* src, int count) noexcept;
  static int Ustrcut(WCHAR* text, int size) noexcept;
  static int Ustrtriml(WCHAR* text) noexcept;
  static int Ustrtrimr(WCHAR* text) noexcept;

  // --- Comparison with only ASCII a-z folded ------------------------------------------
  static int Ustricmp(const WCHAR* a, const WCHAR* b) noexcept;
  static int Ustrnicmp(const WCHAR* a, const WCHAR* b, unsigned int n) noexcept;

  // --- Hexadecimal text ---------------------------------------------------------------
  // "U+XXXXYYYY..." to the units it names. `size` bounds out (units, terminator included);
  // when the units do not fit, out is emptied and 0 returned.
  static int HexStrToUniStr(const WCHAR* text, WCHAR* out, unsigned int size) noexcept;
  // The units of text as "U+" and four lower-case hex digits each; 0 and an empty out when
  // size < 4 * length + 3.
  static int UniStrToHexStr(const WCHAR* text, WCHAR* out, unsigned int size) noexcept;
  // Replaces each "/u" or "/U" escape of four hex digits by its unit. Never lengthens the
  // text, so out may be text itself or any buffer at least as long.
  static int HexChrToUniStr(const WCHAR* text, WCHAR* out) noexcept;
  static unsigned int Hextoi(const WCHAR* text) noexcept;
  static uint64_t Hextoi64(const WCHAR* text) noexcept;
  static unsigned int _atoh(const WCHAR* text, int count) noexcept;
  static unsigned int _hex2uint(WCHAR c) noexcept;
  static unsigned int _whex2uint(WCHAR c) noexcept;

  // --- Formatting -------------------------------------------------------------------------
  // printf-style formatting with "." as the decimal point and truncated (never rounded)
  // fraction digits. Returns the characters written, or -1 when that count would exceed
  // the largest int.
  //
  // sprintf_fmt has no size limit and is kept for outside callers only; the system's own
  // code uses snprintf_fmt, which writes at most count units including the terminator
  // (when count > 0), always terminates, and returns -1 when the text had to be cut.
  static LONG sprintf_fmt(WCHAR* out, const WCHAR* format, ...) noexcept;
  static LONG snprintf_fmt(WCHAR* out, size_t count, const WCHAR* format, ...) noexcept;
  static LONG vsprintf_fmt(WCHAR* out, const WCHAR* format, va_list args) noexcept;
  static LONG vsnprintf_fmt(WCHAR* out, size_t count, const WCHAR* format, va_list args) noexcept;

  // --- Parsing ------------------------------------------------------------------------
  // Leading decimal integer after blanks and tabs (32-bit, wrapping); 0 when none.
  static LONG atol_fmt(const WCHAR* text) noexcept;
  static LONG atoi_fmt(const WCHAR* text) noexcept;
  // Leading decimal floating-point number after blanks and tabs; 0 when none.
  static double atof_fmt(const WCHAR* text) noexcept;
};

}  // namespace Basalt::Util

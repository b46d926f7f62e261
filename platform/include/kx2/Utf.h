// UTF-8 <-> UTF-16 conversion and char16_t string helpers used throughout the platform
// layer and by modules that meet the OS (file names, environment, standard error).
//
// Conversion is lossless for well-formed text. A lone surrogate in UTF-16 is written as
// its own three-byte sequence (the "generalized UTF-8" form), so a file name holding one
// still round-trips; malformed UTF-8 turns into U+FFFD, one per bad byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "win/types.h"

namespace kx2 {

KX2_API std::u16string Utf8ToUtf16(std::string_view utf8);
// The same conversion into `out`, which has room for `capacity` units (no terminator is
// written): the number of units the whole text takes, of which the first `capacity` are
// written. A caller that sized `out` from the text finds out here whether it guessed right.
KX2_API size_t Utf8ToUtf16Into(std::string_view utf8, char16_t* out, size_t capacity);
KX2_API std::string Utf16ToUtf8(std::u16string_view utf16);

// Length of a zero-terminated UTF-16 string; 0 for a null pointer.
inline size_t StrLen16(const char16_t* s) {
  if (!s) return 0;
  const char16_t* p = s;
  while (*p) ++p;
  return static_cast<size_t>(p - s);
}

// A view of a zero-terminated string, or an empty view for a null pointer.
inline std::u16string_view View16(const char16_t* s) { return std::u16string_view(s ? s : u"", StrLen16(s)); }

// Code-unit order, as wcscmp on Windows: <0, 0, >0.
KX2_API int StrCmp16(std::u16string_view a, std::u16string_view b);

// Simple case mapping of one code unit (the platform's character table, see win/crt.h).
KX2_API char16_t FoldLower16(char16_t c);
KX2_API char16_t FoldUpper16(char16_t c);

// Case-insensitive order: both sides are mapped to lower case code unit by code unit,
// as _wcsicmp does.
KX2_API int StrICmp16(std::u16string_view a, std::u16string_view b);
inline bool EqualsI16(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && StrICmp16(a, b) == 0;
}

// Copies src into dst[cap] with a terminator; returns false (leaving dst terminated and
// truncated, or empty when cap is 0) when it does not fit.
KX2_API bool CopyTo16(char16_t* dst, size_t cap, std::u16string_view src);

}  // namespace kx2

// Small bounded UTF-16 helpers for the library's fixed-size buffers. Every write is cut to
// the buffer and terminated; none ever writes past `cap` units.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include <kx2/Utf.h>

namespace Basalt::Text16 {

using kx2::StrLen16;
using kx2::View16;

// Copies src into dst[cap]; false when it had to be cut (dst is still terminated).
inline bool Copy(char16_t* dst, size_t cap, std::u16string_view src) { return kx2::CopyTo16(dst, cap, src); }

// Appends src to the terminated text in dst[cap]; false when it had to be cut.
inline bool Append(char16_t* dst, size_t cap, std::u16string_view src) {
  if (cap == 0) return false;
  size_t len = 0;
  while (len < cap && dst[len]) ++len;
  if (len >= cap) {  // not terminated within the buffer: terminate and report the cut
    dst[cap - 1] = 0;
    return false;
  }
  return kx2::CopyTo16(dst + len, cap - len, src);
}

// ASCII-only upper-case folding, the rule the system uses for names it compares.
inline char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

inline bool EqualsAsciiI(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

inline bool StartsWithAsciiI(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualsAsciiI(text.substr(0, prefix.size()), prefix);
}

}  // namespace Basalt::Text16

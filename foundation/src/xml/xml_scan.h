// Fast scanning of zero-terminated UTF-16 text for the XML reader: the reader spends most
// of its time looking for the next "<", quote or "&", so those searches go eight units at
// a time.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Basalt::XMLDom::Scan {

// White space as the wide runtime's iswspace sees it (Unicode White_Space).
inline bool IsSpace(char16_t c) {
  if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
  return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

inline const char16_t* SkipSpace(const char16_t* p) {
  while (IsSpace(*p)) ++p;
  return p;
}

// True when [b, e) holds nothing but blanks, tabs, carriage returns and line feeds.
inline bool IsBlank(const char16_t* b, const char16_t* e) {
  for (; b != e; ++b)
    if (*b != u' ' && *b != u'\t' && *b != u'\r' && *b != u'\n') return false;
  return true;
}

#if defined(__SSE2__)
// The chunk loop reads whole aligned 16-byte blocks, which may extend past the terminator
// but never past the page that holds it; the sanitizers would still call that an overflow
// (AddressSanitizer) or a read of freed memory beside the text (ThreadSanitizer).
#define KX2_XML_WHOLE_BLOCK_READ __attribute__((no_sanitize("address", "thread")))

// First unit equal to a or to the terminator.
KX2_XML_WHOLE_BLOCK_READ inline const char16_t* FindOrEnd(const char16_t* p, char16_t a) {
  if (reinterpret_cast<uintptr_t>(p) & 1) {  // not even unit-aligned: stay scalar
    while (*p && *p != a) ++p;
    return p;
  }
  while (reinterpret_cast<uintptr_t>(p) & 15) {
    if (*p == a || *p == 0) return p;
    ++p;
  }
  const __m128i va = _mm_set1_epi16(static_cast<short>(a));
  const __m128i vz = _mm_setzero_si128();
  for (;; p += 8) {
    __m128i v = _mm_load_si128(reinterpret_cast<const __m128i*>(p));
    __m128i m = _mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vz));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(m));
    if (mask) return p + (__builtin_ctz(mask) >> 1);
  }
}

// First unit equal to a or b, or to the terminator.
KX2_XML_WHOLE_BLOCK_READ inline const char16_t* FindOrEnd(const char16_t* p, char16_t a, char16_t b) {
  if (reinterpret_cast<uintptr_t>(p) & 1) {
    while (*p && *p != a && *p != b) ++p;
    return p;
  }
  while (reinterpret_cast<uintptr_t>(p) & 15) {
    if (*p == a || *p == b || *p == 0) return p;
    ++p;
  }
  const __m128i va = _mm_set1_epi16(static_cast<short>(a));
  const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
  const __m128i vz = _mm_setzero_si128();
  for (;; p += 8) {
    __m128i v = _mm_load_si128(reinterpret_cast<const __m128i*>(p));
    __m128i m = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb)), _mm_cmpeq_epi16(v, vz));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(m));
    if (mask) return p + (__builtin_ctz(mask) >> 1);
  }
}

// First unit equal to a inside [p, e), or e.
inline const char16_t* FindIn(const char16_t* p, const char16_t* e, char16_t a) {
  const __m128i va = _mm_set1_epi16(static_cast<short>(a));
  while (e - p >= 8) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(v, va)));
    if (mask) return p + (__builtin_ctz(mask) >> 1);
    p += 8;
  }
  while (p != e && *p != a) ++p;
  return p;
}
#undef KX2_XML_WHOLE_BLOCK_READ
#else
inline const char16_t* FindOrEnd(const char16_t* p, char16_t a) {
  while (*p && *p != a) ++p;
  return p;
}
inline const char16_t* FindOrEnd(const char16_t* p, char16_t a, char16_t b) {
  while (*p && *p != a && *p != b) ++p;
  return p;
}
inline const char16_t* FindIn(const char16_t* p, const char16_t* e, char16_t a) {
  while (p != e && *p != a) ++p;
  return p;
}
#endif

}  // namespace Basalt::XMLDom::Scan

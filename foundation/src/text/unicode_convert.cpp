// Converters between UTF-8, UTF-16 and UTF-32 with the reference converter's calling
// convention. The caller's start pointers are read, never advanced; the output is
// followed by a zero unit when room is left, so its length can be measured.
#include <basalt/text_encoding.h>

#include "text/utf_sequence.h"

namespace {

using namespace Basalt::Text;

template <typename Unit>
void TerminateIfRoom(Unit* t, Unit* end) {
  if (t < end) *t = 0;
}

// A range is either empty and null at both ends, or non-null and ordered.
template <typename S, typename T>
bool ValidRanges(const S* s, const S* sourceEnd, const T* t, const T* targetEnd) {
  if ((s == nullptr) != (sourceEnd == nullptr) || (t == nullptr) != (targetEnd == nullptr)) return false;
  return s <= sourceEnd && t <= targetEnd;
}

// Reads one code point of UTF-16 at s. Returns false with `result` set when the caller
// must stop there. A high surrogate followed by a low one is one code point; an unpaired
// surrogate is illegal when strict and kept as it is when lenient, except that a high
// surrogate that is the last unit is taken as a plain value in both modes.
bool NextFromUtf16(const UTF16* s, const UTF16* end, bool lenient, uint32_t& c, int& consumed, int& result) {
  c = *s;
  consumed = 1;
  if (IsHighSurrogate(c)) {
    if (s + 1 >= end) return true;
    if (IsLowSurrogate(s[1])) {
      c = CombineSurrogates(c, s[1]);
      consumed = 2;
      return true;
    }
  } else if (!IsLowSurrogate(c)) {
    return true;
  }
  if (lenient) return true;
  result = sourceIllegal;
  return false;
}

template <typename Out>
int Utf8ToWide(const UTF8** sourceStart, const UTF8* sourceEnd, Out** targetStart, Out* targetEnd, int* bytesWritten,
               bool utf16, bool lenient) {
  if (bytesWritten) *bytesWritten = 0;
  if (!sourceStart || !targetStart) return sourceIllegal;
  const UTF8* s = *sourceStart;
  Out* t = *targetStart;
  int result = conversionOK;
  if (!ValidRanges(s, sourceEnd, t, targetEnd)) {
    result = sourceIllegal;
  } else {
    while (s < sourceEnd) {
      // Runs of ASCII, the bulk of most text, need no decoding.
      while (s < sourceEnd && t < targetEnd && *s < 0x80) *t++ = static_cast<Out>(*s++);
      if (s >= sourceEnd) break;
      // Two- and three-byte forms outside the special leads E0 and ED (whose second byte has
      // narrower bounds) are checked and decoded in line.
      if (t < targetEnd && sourceEnd - s >= 2 && *s >= 0xC2 && *s < 0xE0 && (s[1] & 0xC0) == 0x80) {
        *t++ = static_cast<Out>((s[0] & 0x1Fu) << 6 | (s[1] & 0x3Fu));
        s += 2;
        continue;
      }
      if (t < targetEnd && sourceEnd - s >= 3 && *s > 0xE0 && *s < 0xF0 && *s != 0xED && (s[1] & 0xC0) == 0x80 &&
          (s[2] & 0xC0) == 0x80) {
        *t++ = static_cast<Out>((s[0] & 0x0Fu) << 12 | (s[1] & 0x3Fu) << 6 | (s[2] & 0x3Fu));
        s += 3;
        continue;
      }
      const int length = Utf8TrailingBytes(*s) + 1;
      if (length > sourceEnd - s) {
        result = sourceExhausted;
        break;
      }
      if (!IsLegalUtf8Sequence(s, length)) {
        result = sourceIllegal;
        break;
      }
      const uint32_t c = DecodeUtf8(s, length);
      if (t >= targetEnd) {
        result = targetExhausted;
        break;
      }
      if (utf16 && c > 0xFFFF) {
        if (targetEnd - t < 2) {
          result = targetExhausted;
          break;
        }
        *t++ = static_cast<Out>(0xD800 + ((c - 0x10000) >> 10));
        *t++ = static_cast<Out>(0xDC00 + (c & 0x3FF));
      } else {
        if (utf16 && IsSurrogate(c) && !lenient) {
          result = sourceIllegal;
          break;
        }
        *t++ = static_cast<Out>(c);
      }
      s += length;
    }
    TerminateIfRoom(t, targetEnd);
  }
  if (bytesWritten) *bytesWritten = static_cast<int>((t - *targetStart) * static_cast<long>(sizeof(Out)));
  return result;
}

int Utf16ToUtf8(const UTF16** sourceStart, const UTF16* sourceEnd, UTF8** targetStart, UTF8* targetEnd, int lenient) {
  if (!sourceStart || !targetStart) return sourceIllegal;
  const UTF16* s = *sourceStart;
  UTF8* t = *targetStart;
  if (!ValidRanges(s, sourceEnd, t, targetEnd)) return sourceIllegal;
  int result = conversionOK;
  while (s < sourceEnd) {
    uint32_t c;
    int consumed;
    if (!NextFromUtf16(s, sourceEnd, lenient != 0, c, consumed, result)) break;
    const int length = Utf8Length(c);
    if (targetEnd - t < length) {
      result = targetExhausted;
      break;
    }
    t = EncodeUtf8(c, t);
    s += consumed;
  }
  TerminateIfRoom(t, targetEnd);
  return result;
}

}  // namespace

KX2_EXPORT int _ExpUTF8ToUTF16(const UTF8** sourceStart, const UTF8* sourceEnd, UTF16** targetStart, UTF16* targetEnd,
                               int* bytesWritten, int lenient) {
  return Utf8ToWide(sourceStart, sourceEnd, targetStart, targetEnd, bytesWritten, true, lenient != 0);
}

KX2_EXPORT int _ExpUTF8ToUTF32(const UTF8** sourceStart, const UTF8* sourceEnd, UTF32** targetStart, UTF32* targetEnd,
                               int* bytesWritten, int) {
  return Utf8ToWide(sourceStart, sourceEnd, targetStart, targetEnd, bytesWritten, false, true);
}

KX2_EXPORT int ExpTF16ToUTF8(const UTF16** sourceStart, const UTF16* sourceEnd, UTF8** targetStart, UTF8* targetEnd,
                             int lenient) {
  return Utf16ToUtf8(sourceStart, sourceEnd, targetStart, targetEnd, lenient);
}

KX2_EXPORT int _ExpUTF16ToUTF8(const UTF16** sourceStart, const UTF16* sourceEnd, UTF8** targetStart, UTF8* targetEnd,
                               int lenient) {
  return Utf16ToUtf8(sourceStart, sourceEnd, targetStart, targetEnd, lenient);
}

KX2_EXPORT int _ExpUTF16ToUTF32(const UTF16** sourceStart, const UTF16* sourceEnd, UTF32** targetStart,
                                UTF32* targetEnd, int lenient) {
  if (!sourceStart || !targetStart) return sourceIllegal;
  const UTF16* s = *sourceStart;
  UTF32* t = *targetStart;
  if (!ValidRanges(s, sourceEnd, t, targetEnd)) return sourceIllegal;
  int result = conversionOK;
  while (s < sourceEnd) {
    uint32_t c;
    int consumed;
    if (!NextFromUtf16(s, sourceEnd, lenient != 0, c, consumed, result)) break;
    if (t >= targetEnd) {
      result = targetExhausted;
      break;
    }
    *t++ = c;
    s += consumed;
  }
  TerminateIfRoom(t, targetEnd);
  return result;
}

KX2_EXPORT int _ExpUTF32ToUTF8(const UTF32** sourceStart, const UTF32* sourceEnd, UTF8** targetStart, UTF8* targetEnd,
                               int lenient) {
  if (!sourceStart || !targetStart) return sourceIllegal;
  const UTF32* s = *sourceStart;
  UTF8* t = *targetStart;
  if (!ValidRanges(s, sourceEnd, t, targetEnd)) return sourceIllegal;
  int result = conversionOK;
  for (; s < sourceEnd; ++s) {
    uint32_t c = *s;
    if (IsSurrogate(c) && !lenient) {
      result = sourceIllegal;
      break;
    }
    if (c > kMaxCodePoint) {
      // The four-byte form reaches 0x1FFFFF and carries such values as they are; beyond it
      // only U+FFFD can stand in. Either way a strict caller learns the text was not
      // Unicode, and the conversion goes on.
      if (c > kMaxFourByteValue) c = kReplacementChar;
      if (!lenient) result = sourceIllegal;
    }
    if (targetEnd - t < Utf8Length(c)) {
      result = targetExhausted;
      break;
    }
    t = EncodeUtf8(c, t);
  }
  TerminateIfRoom(t, targetEnd);
  return result;
}

KX2_EXPORT int _ExpUTF32ToUTF16(const UTF32** sourceStart, const UTF32* sourceEnd, UTF16** targetStart,
                                UTF16* targetEnd, int lenient) {
  if (!sourceStart || !targetStart) return sourceIllegal;
  const UTF32* s = *sourceStart;
  UTF16* t = *targetStart;
  if (!ValidRanges(s, sourceEnd, t, targetEnd)) return sourceIllegal;
  int result = conversionOK;
  for (; s < sourceEnd; ++s) {
    uint32_t c = *s;
    if (c > kMaxCodePoint) {
      if (!lenient) {
        result = sourceIllegal;
        continue;
      }
      c = kReplacementChar;
    } else if (IsSurrogate(c) && !lenient) {
      result = sourceIllegal;
      break;
    }
    if (c > 0xFFFF) {
      if (targetEnd - t < 2) {
        result = targetExhausted;
        break;
      }
      *t++ = static_cast<UTF16>(0xD800 + ((c - 0x10000) >> 10));
      *t++ = static_cast<UTF16>(0xDC00 + (c & 0x3FF));
    } else {
      if (t >= targetEnd) {
        result = targetExhausted;
        break;
      }
      *t++ = static_cast<UTF16>(c);
    }
  }
  TerminateIfRoom(t, targetEnd);
  return result;
}

KX2_EXPORT int IsLegalUTF8(const UTF8* source, const UTF8* end) {
  if (!source || !end || source >= end) return 0;
  const int length = Utf8TrailingBytes(*source) + 1;
  if (length > end - source || !IsLegalUtf8Sequence(source, length)) return 0;
  // The run as a whole must look like UTF-8: continuation bytes mostly follow lead bytes.
  long good = 0;
  long bad = 0;
  for (const UTF8* p = source; p + 1 < end; ++p) {
    const UTF8 b = p[0];
    const bool nextIsTrail = p[1] >= 0x80 && p[1] <= 0xBF;
    if (nextIsTrail) {
      if (b >= 0xC0)
        ++good;
      else if (b < 0x80)
        ++bad;
    } else if (b >= 0xC0) {
      ++bad;
    }
  }
  return good >= bad ? 1 : 0;
}

// Shared rules of the Unicode transformation formats.
#pragma once

#include <cstdint>

namespace Basalt::Text {

constexpr uint32_t kReplacementChar = 0xFFFD;
constexpr uint32_t kMaxCodePoint = 0x10FFFF;
// The largest value the four-byte form of UTF-8 can carry.
constexpr uint32_t kMaxFourByteValue = 0x1FFFFF;

constexpr bool IsHighSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(uint32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
constexpr bool IsSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

constexpr uint32_t CombineSurrogates(uint32_t high, uint32_t low) {
  return (((high - 0xD800u) << 10) | (low - 0xDC00u)) + 0x10000u;
}

// Trailing bytes that a lead byte announces (up to five, as the old forms allowed).
constexpr int Utf8TrailingBytes(uint8_t lead) {
  return lead < 0xC0 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF8 ? 3 : lead < 0xFC ? 4 : 5;
}

// Legality of the length-byte sequence at s (RFC 3629, except that encoded surrogates
// ED A0..BF pass: the converters decide about those themselves).
inline bool IsLegalUtf8Sequence(const uint8_t* s, int length) {
  for (int i = length - 1; i >= 2; --i)
    if (s[i] < 0x80 || s[i] > 0xBF) return false;
  const uint8_t lead = s[0];
  if (length >= 2) {
    const uint8_t second = s[1];
    if (second > 0xBF) return false;
    switch (lead) {
      case 0xE0:
        if (second < 0xA0) return false;
        break;
      case 0xF0:
        if (second < 0x90) return false;
        break;
      case 0xF4:
        // 0x80-0x8F: the upper bound keeps to U+10FFFF, the lower one keeps out plain bytes.
        if (second < 0x80 || second > 0x8F) return false;
        break;
      default:
        if (second < 0x80) return false;
    }
  }
  if (lead >= 0x80 && lead < 0xC2) return false;
  return lead <= 0xF4;
}

inline uint32_t DecodeUtf8(const uint8_t* s, int length) {
  static constexpr uint8_t kLeadMask[] = {0x7F, 0x1F, 0x0F, 0x07, 0x03, 0x01};
  uint32_t c = s[0] & kLeadMask[length - 1];
  for (int i = 1; i < length; ++i) c = (c << 6) | (s[i] & 0x3Fu);
  return c;
}

constexpr int Utf8Length(uint32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// Writes c (at most kMaxFourByteValue) in Utf8Length(c) bytes.
inline uint8_t* EncodeUtf8(uint32_t c, uint8_t* t) {
  switch (Utf8Length(c)) {
    case 1:
      *t++ = static_cast<uint8_t>(c);
      break;
    case 2:
      *t++ = static_cast<uint8_t>(0xC0 | (c >> 6));
      *t++ = static_cast<uint8_t>(0x80 | (c & 0x3F));
      break;
    case 3:
      *t++ = static_cast<uint8_t>(0xE0 | (c >> 12));
      *t++ = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
      *t++ = static_cast<uint8_t>(0x80 | (c & 0x3F));
      break;
    default:
      *t++ = static_cast<uint8_t>(0xF0 | (c >> 18));
      *t++ = static_cast<uint8_t>(0x80 | ((c >> 12) & 0x3F));
      *t++ = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
      *t++ = static_cast<uint8_t>(0x80 | (c & 0x3F));
      break;
  }
  return t;
}

}  // namespace Basalt::Text

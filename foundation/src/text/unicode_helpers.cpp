// Surrogate arithmetic and the allocating UTF-16 to UTF-8 conversion.
#include <basalt/text_encoding.h>

#include <climits>
#include <new>

#include "text/utf_sequence.h"

using namespace Basalt::Text;

KX2_EXPORT DWORD _ExpMakeUcsChar(WCHAR high, WCHAR low) { return CombineSurrogates(high, low); }

KX2_EXPORT DWORD _ExpSurCharToUcsChar(DWORD pair) { return CombineSurrogates(pair >> 16, pair & 0xFFFF); }

KX2_EXPORT DWORD _ExpUcsCharToSurChar(DWORD codePoint) {
  // Beyond U+10FFFF no pair exists; the arithmetic would give units that are no surrogates.
  if (codePoint <= 0xFFFF || codePoint > kMaxCodePoint) return 0;
  return (0xD800 + ((codePoint - 0x10000) >> 10)) << 16 | (0xDC00 + (codePoint & 0x3FF));
}

namespace {

// The code point at text[i] and how many units it takes; an unpaired surrogate cannot be
// encoded and stands as U+FFFD.
uint32_t CodePointAt(const WCHAR* text, size_t i, int& units) {
  const uint32_t c = text[i];
  units = 1;
  if (IsHighSurrogate(c) && IsLowSurrogate(text[i + 1])) {
    units = 2;
    return CombineSurrogates(c, text[i + 1]);
  }
  return IsSurrogate(c) ? kReplacementChar : c;
}

}  // namespace

KX2_EXPORT int _ExpUnicodeToUTF8(const WCHAR* text, char** out, int* length) {
  if (!out) return 2;
  *out = nullptr;
  if (length) *length = 0;
  if (!text) text = u"";
  size_t bytes = 0;
  for (size_t i = 0; text[i];) {
    int units;
    bytes += static_cast<size_t>(Utf8Length(CodePointAt(text, i, units)));
    i += static_cast<size_t>(units);
  }
  if (bytes > INT_MAX) return 2;
  char* buffer = new (std::nothrow) char[bytes + 1];
  if (!buffer) return 2;
  uint8_t* t = reinterpret_cast<uint8_t*>(buffer);
  for (size_t i = 0; text[i];) {
    int units;
    t = EncodeUtf8(CodePointAt(text, i, units), t);
    i += static_cast<size_t>(units);
  }
  *t = 0;
  *out = buffer;
  if (length) *length = static_cast<int>(bytes);
  return 0;
}

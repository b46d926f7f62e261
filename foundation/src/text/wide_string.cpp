// Bounded copies, trimming and ASCII-folded comparison of terminated UTF-16 text.
#include <basalt/string_util.h>

#include "text/char_class.h"

namespace Basalt::Util {

namespace {

// Length of text, looking at no more than `limit` units; `limit` when unterminated there.
size_t BoundedLength(const WCHAR* text, size_t limit) {
  size_t n = 0;
  while (n < limit && text[n]) ++n;
  return n;
}

size_t Length(const WCHAR* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

}  // namespace

int StringUtil::Ustrlcpy(WCHAR* dst, const WCHAR* src, LONG size) noexcept {
  if (!dst || size <= 0) return 0;
  if (!src) src = u"";
  const size_t room = static_cast<size_t>(size) - 1;
  size_t i = 0;
  for (; i < room && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
  return src[i] == 0 ? 1 : 0;
}

int StringUtil::Wcscpyz(WCHAR* dst, LONG size, const WCHAR* src) noexcept { return Ustrlcpy(dst, src, size); }

int StringUtil::Ustrlcat(WCHAR* dst, const WCHAR* src, int size) noexcept {
  if (!dst || size <= 0) return 0;
  const size_t used = BoundedLength(dst, static_cast<size_t>(size));
  if (used + 1 >= static_cast<size_t>(size)) return 0;
  return Ustrlcpy(dst + used, src, static_cast<LONG>(static_cast<size_t>(size) - used));
}

int StringUtil::Wcsncpyz(WCHAR* dst, int size, const WCHAR* src, int count) noexcept {
  if (!dst || size <= 0) return 0;
  if (!src) src = u"";
  if (count < 0) count = 0;
  if (count >= size) {
    Ustrlcpy(dst, src, size);
    return 1;
  }
  // Exactly count units, as a fixed-width field: a shorter source is padded with zeros,
  // so nothing is read past its terminator.
  int i = 0;
  for (; i < count && src[i]; ++i) dst[i] = src[i];
  for (; i < count; ++i) dst[i] = 0;
  return 1;
}

int StringUtil::Ustrcut(WCHAR* text, int size) noexcept {
  if (!text || size <= 0) return 0;
  const size_t len = BoundedLength(text, static_cast<size_t>(size));
  if (len < static_cast<size_t>(size)) return 1;
  text[size - 1] = 0;
  return 0;
}

int StringUtil::Ustrtriml(WCHAR* text) noexcept {
  if (!text) return 0;
  size_t lead = 0;
  while (text[lead] && Text::IsWideSpace(text[lead])) ++lead;
  if (lead == 0) return 0;
  size_t i = 0;
  do {
    text[i] = text[i + lead];
  } while (text[i++]);
  return 1;
}

int StringUtil::Ustrtrimr(WCHAR* text) noexcept {
  if (!text) return 0;
  size_t len = Length(text);
  const size_t before = len;
  while (len > 0 && Text::IsWideSpace(text[len - 1])) --len;
  if (len == before) return 0;
  text[len] = 0;
  return 1;
}

int StringUtil::Ustricmp(const WCHAR* a, const WCHAR* b) noexcept {
  if (!a) a = u"";
  if (!b) b = u"";
  for (;; ++a, ++b) {
    const int ca = Text::AsciiUpper(*a);
    const int cb = Text::AsciiUpper(*b);
    if (ca != cb || ca == 0) return ca - cb;
  }
}

int StringUtil::Ustrnicmp(const WCHAR* a, const WCHAR* b, unsigned int n) noexcept {
  if (!a) a = u"";
  if (!b) b = u"";
  for (; n > 0; --n, ++a, ++b) {
    const int ca = Text::AsciiUpper(*a);
    const int cb = Text::AsciiUpper(*b);
    if (ca != cb || ca == 0) return ca - cb;
  }
  return 0;
}

}  // namespace Basalt::Util

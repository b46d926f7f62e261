// Linguistic comparison (ICU collation), the lstr* helpers and the Char* case helpers.
#include <unicode/coll.h>
#include <unicode/locid.h>

#include <map>
#include <cstring>
#include <memory>

#include "crt/CharTable.h"
#include "kx2/Utf.h"
#include "nls/LocaleTable.h"
#include "win/nls.h"

using namespace kx2;

namespace {

// One collator per locale and flag set and thread (collators are not shared across threads).
icu::Collator* CollatorFor(const LocaleEntry& e, DWORD flags) {
  thread_local std::map<std::pair<LCID, DWORD>, std::unique_ptr<icu::Collator>> cache;
  auto key = std::make_pair(e.lcid, flags);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second.get();
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Collator> c(icu::Collator::createInstance(icu::Locale(IcuLocaleId(e).c_str()), status));
  if (U_FAILURE(status)) c.reset();
  if (c) {
    bool ignoreCase = flags & (NORM_IGNORECASE | LINGUISTIC_IGNORECASE);
    bool ignoreAccents = flags & NORM_IGNORENONSPACE;
    c->setStrength(ignoreAccents ? icu::Collator::PRIMARY
                   : ignoreCase  ? icu::Collator::SECONDARY
                                 : icu::Collator::TERTIARY);
    if (ignoreAccents && !ignoreCase) c->setAttribute(UCOL_CASE_LEVEL, UCOL_ON, status);
    if (flags & NORM_IGNORESYMBOLS) c->setAttribute(UCOL_ALTERNATE_HANDLING, UCOL_SHIFTED, status);
  }
  return (cache[key] = std::move(c)).get();
}

std::u16string_view Span(LPCWSTR s, int count) {
  if (count < 0) return View16(s);
  return std::u16string_view(s, static_cast<size_t>(count));
}

}  // namespace

KX2_EXPORT int CompareStringW(LCID Locale, DWORD dwCmpFlags, LPCWSTR lpString1, int cchCount1, LPCWSTR lpString2,
                              int cchCount2) {
  const LocaleEntry* e = FindLocale(Locale);
  if (!e || !lpString1 || !lpString2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string_view a = Span(lpString1, cchCount1), b = Span(lpString2, cchCount2);
  icu::Collator* c = CollatorFor(
      *e, dwCmpFlags & (NORM_IGNORECASE | LINGUISTIC_IGNORECASE | NORM_IGNORENONSPACE | NORM_IGNORESYMBOLS));
  int r;
  if (c) {
    UErrorCode status = U_ZERO_ERROR;
    UCollationResult result =
        c->compare(a.data(), static_cast<int32_t>(a.size()), b.data(), static_cast<int32_t>(b.size()), status);
    r = result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
  } else {
    r = (dwCmpFlags & NORM_IGNORECASE) ? StrICmp16(a, b) : StrCmp16(a, b);
  }
  return r < 0 ? CSTR_LESS_THAN : r > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

KX2_EXPORT int CompareStringOrdinal(LPCWSTR lpString1, int cchCount1, LPCWSTR lpString2, int cchCount2,
                                    BOOL bIgnoreCase) {
  if (!lpString1 || !lpString2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string_view a = Span(lpString1, cchCount1), b = Span(lpString2, cchCount2);
  int r;
  if (bIgnoreCase) {
    // Ordinal comparison without case compares upper-cased units.
    size_t n = a.size() < b.size() ? a.size() : b.size();
    r = 0;
    for (size_t i = 0; i < n && r == 0; ++i) {
      char16_t x = FoldUpper16(a[i]), y = FoldUpper16(b[i]);
      if (x != y) r = x < y ? -1 : 1;
    }
    if (r == 0 && a.size() != b.size()) r = a.size() < b.size() ? -1 : 1;
  } else {
    r = StrCmp16(a, b);
  }
  return r < 0 ? CSTR_LESS_THAN : r > 0 ? CSTR_GREATER_THAN : CSTR_EQUAL;
}

KX2_EXPORT int lstrlenW(LPCWSTR lpString) { return static_cast<int>(StrLen16(lpString)); }
KX2_EXPORT int lstrlenA(LPCSTR lpString) { return lpString ? static_cast<int>(strlen(lpString)) : 0; }

KX2_EXPORT LPWSTR lstrcpyW(LPWSTR dst, LPCWSTR src) {
  if (!dst || !src) return nullptr;
  LPWSTR d = dst;
  while ((*d++ = *src++)) {}
  return dst;
}

KX2_EXPORT LPWSTR lstrcpynW(LPWSTR dst, LPCWSTR src, int max) {
  if (!dst || !src || max <= 0) return max == 0 ? dst : nullptr;
  int i = 0;
  for (; i < max - 1 && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
  return dst;
}

KX2_EXPORT LPWSTR lstrcatW(LPWSTR dst, LPCWSTR src) {
  if (!dst || !src) return nullptr;
  lstrcpyW(dst + StrLen16(dst), src);
  return dst;
}

KX2_EXPORT int lstrcmpW(LPCWSTR a, LPCWSTR b) {
  if (!a || !b) return !a && !b ? 0 : (!a ? -1 : 1);
  return CompareStringW(GetThreadLocale(), 0, a, -1, b, -1) - CSTR_EQUAL;
}

KX2_EXPORT int lstrcmpiW(LPCWSTR a, LPCWSTR b) {
  if (!a || !b) return !a && !b ? 0 : (!a ? -1 : 1);
  return CompareStringW(GetThreadLocale(), NORM_IGNORECASE, a, -1, b, -1) - CSTR_EQUAL;
}

namespace {
template <char16_t (*Map)(char16_t)>
LPWSTR CaseString(LPWSTR s) {
  if (!s) return nullptr;
  if (IS_INTRESOURCE(s)) {
    char16_t c = Map(static_cast<char16_t>(reinterpret_cast<ULONG_PTR>(s)));
    return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c));
  }
  for (LPWSTR p = s; *p; ++p) *p = Map(*p);
  return s;
}
template <char16_t (*Map)(char16_t)>
DWORD CaseBuffer(LPWSTR s, DWORD n) {
  if (!s) return 0;
  for (DWORD i = 0; i < n; ++i) s[i] = Map(s[i]);
  return n;
}
}  // namespace

KX2_EXPORT LPWSTR CharUpperW(LPWSTR s) { return CaseString<FoldUpper16>(s); }
KX2_EXPORT LPWSTR CharLowerW(LPWSTR s) { return CaseString<FoldLower16>(s); }
KX2_EXPORT DWORD CharUpperBuffW(LPWSTR s, DWORD n) { return CaseBuffer<FoldUpper16>(s, n); }
KX2_EXPORT DWORD CharLowerBuffW(LPWSTR s, DWORD n) { return CaseBuffer<FoldLower16>(s, n); }

KX2_EXPORT LPWSTR CharNextW(LPCWSTR s) {
  if (!s || !*s) return const_cast<LPWSTR>(s);
  // A surrogate pair is one character.
  if (s[0] >= 0xD800 && s[0] <= 0xDBFF && s[1] >= 0xDC00 && s[1] <= 0xDFFF) return const_cast<LPWSTR>(s + 2);
  return const_cast<LPWSTR>(s + 1);
}

KX2_EXPORT LPWSTR CharPrevW(LPCWSTR start, LPCWSTR current) {
  if (!start || !current || current <= start) return const_cast<LPWSTR>(start);
  LPCWSTR p = current - 1;
  if (p > start && p[0] >= 0xDC00 && p[0] <= 0xDFFF && p[-1] >= 0xD800 && p[-1] <= 0xDBFF) --p;
  return const_cast<LPWSTR>(p);
}

KX2_EXPORT BOOL IsCharAlphaW(WCHAR ch) { return (CharClass(ch) & kCharAlpha) != 0; }
KX2_EXPORT BOOL IsCharAlphaNumericW(WCHAR ch) { return (CharClass(ch) & (kCharAlpha | kCharDigit)) != 0; }
KX2_EXPORT BOOL IsCharUpperW(WCHAR ch) { return (CharClass(ch) & kCharUpper) != 0; }
KX2_EXPORT BOOL IsCharLowerW(WCHAR ch) { return (CharClass(ch) & kCharLower) != 0; }

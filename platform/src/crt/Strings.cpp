// The wide string functions on char16_t.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "kx2/Utf.h"
#include "win/crt.h"

using kx2::FoldLower16;
using kx2::FoldUpper16;

size_t wcslen(const char16_t* s) { return kx2::StrLen16(s); }

size_t wcsnlen(const char16_t* s, size_t max) {
  size_t n = 0;
  while (n < max && s[n]) ++n;
  return n;
}

char16_t* wcscpy(char16_t* dst, const char16_t* src) {
  char16_t* d = dst;
  while ((*d++ = *src++)) {}
  return dst;
}

char16_t* wcsncpy(char16_t* dst, const char16_t* src, size_t count) {
  size_t i = 0;
  for (; i < count && src[i]; ++i) dst[i] = src[i];
  for (; i < count; ++i) dst[i] = 0;
  return dst;
}

char16_t* wcscat(char16_t* dst, const char16_t* src) {
  wcscpy(dst + wcslen(dst), src);
  return dst;
}

char16_t* wcsncat(char16_t* dst, const char16_t* src, size_t count) {
  char16_t* d = dst + wcslen(dst);
  size_t i = 0;
  for (; i < count && src[i]; ++i) d[i] = src[i];
  d[i] = 0;
  return dst;
}

int wcscmp(const char16_t* a, const char16_t* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

int wcsncmp(const char16_t* a, const char16_t* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (!a[i]) return 0;
  }
  return 0;
}

int wcscoll(const char16_t* a, const char16_t* b) { return wcscmp(a, b); }

int _wcsicmp(const char16_t* a, const char16_t* b) {
  if (!a || !b) {
    errno = EINVAL;
    return 0x7FFFFFFF;  // _NLSCMPERROR
  }
  for (;; ++a, ++b) {
    char16_t x = FoldLower16(*a), y = FoldLower16(*b);
    if (x != y) return static_cast<int>(x) - static_cast<int>(y);
    if (!x) return 0;
  }
}

int _wcsnicmp(const char16_t* a, const char16_t* b, size_t count) {
  if (!count) return 0;
  if (!a || !b) {
    errno = EINVAL;
    return 0x7FFFFFFF;
  }
  for (size_t i = 0; i < count; ++i) {
    char16_t x = FoldLower16(a[i]), y = FoldLower16(b[i]);
    if (x != y) return static_cast<int>(x) - static_cast<int>(y);
    if (!x) return 0;
  }
  return 0;
}

int _wcsicoll(const char16_t* a, const char16_t* b) { return _wcsicmp(a, b); }

const char16_t* wcschr(const char16_t* s, char16_t c) {
  for (;; ++s) {
    if (*s == c) return s;
    if (!*s) return nullptr;
  }
}
char16_t* wcschr(char16_t* s, char16_t c) { return const_cast<char16_t*>(wcschr(static_cast<const char16_t*>(s), c)); }

const char16_t* wcsrchr(const char16_t* s, char16_t c) {
  const char16_t* found = nullptr;
  for (;; ++s) {
    if (*s == c) found = s;
    if (!*s) return found;
  }
}
char16_t* wcsrchr(char16_t* s, char16_t c) {
  return const_cast<char16_t*>(wcsrchr(static_cast<const char16_t*>(s), c));
}

const char16_t* wcsstr(const char16_t* s, const char16_t* find) {
  size_t n = wcslen(find);
  if (!n) return s;
  for (; *s; ++s)
    if (*s == *find && wcsncmp(s, find, n) == 0) return s;
  return nullptr;
}
char16_t* wcsstr(char16_t* s, const char16_t* find) {
  return const_cast<char16_t*>(wcsstr(static_cast<const char16_t*>(s), find));
}

const char16_t* wcspbrk(const char16_t* s, const char16_t* set) {
  for (; *s; ++s)
    for (const char16_t* p = set; *p; ++p)
      if (*s == *p) return s;
  return nullptr;
}
char16_t* wcspbrk(char16_t* s, const char16_t* set) {
  return const_cast<char16_t*>(wcspbrk(static_cast<const char16_t*>(s), set));
}

size_t wcsspn(const char16_t* s, const char16_t* set) {
  size_t n = 0;
  for (; s[n]; ++n) {
    const char16_t* p = set;
    while (*p && *p != s[n]) ++p;
    if (!*p) break;
  }
  return n;
}

size_t wcscspn(const char16_t* s, const char16_t* set) {
  size_t n = 0;
  for (; s[n]; ++n)
    for (const char16_t* p = set; *p; ++p)
      if (s[n] == *p) return n;
  return n;
}

char16_t* wcstok(char16_t* s, const char16_t* delimiters, char16_t** context) {
  if (!s) s = *context;
  if (!s) return nullptr;
  s += wcsspn(s, delimiters);
  if (!*s) {
    *context = s;
    return nullptr;
  }
  char16_t* end = s + wcscspn(s, delimiters);
  if (*end) *end++ = 0;
  *context = end;
  return s;
}

char16_t* wcstok(char16_t* s, const char16_t* delimiters) {
  thread_local char16_t* context = nullptr;
  return wcstok(s, delimiters, &context);
}

char16_t* wcstok_s(char16_t* s, const char16_t* delimiters, char16_t** context) {
  if (!delimiters || !context || (!s && !*context)) {
    errno = EINVAL;
    return nullptr;
  }
  return wcstok(s, delimiters, context);
}

char16_t* _wcslwr(char16_t* s) {
  for (char16_t* p = s; p && *p; ++p) *p = FoldLower16(*p);
  return s;
}

char16_t* _wcsupr(char16_t* s) {
  for (char16_t* p = s; p && *p; ++p) *p = FoldUpper16(*p);
  return s;
}

static errno_t CaseInPlace(char16_t* s, size_t size, char16_t (*map)(char16_t)) {
  if (!s) return errno = EINVAL;
  if (wcsnlen(s, size) >= size) {
    if (size) s[0] = 0;
    return errno = EINVAL;
  }
  for (; *s; ++s) *s = map(*s);
  return 0;
}
errno_t _wcslwr_s(char16_t* s, size_t size) { return CaseInPlace(s, size, FoldLower16); }
errno_t _wcsupr_s(char16_t* s, size_t size) { return CaseInPlace(s, size, FoldUpper16); }

char16_t* _wcsrev(char16_t* s) {
  size_t n = wcslen(s);
  for (size_t i = 0; i < n / 2; ++i) {
    char16_t t = s[i];
    s[i] = s[n - 1 - i];
    s[n - 1 - i] = t;
  }
  return s;
}

char16_t* _wcsset(char16_t* s, char16_t c) {
  for (char16_t* p = s; *p; ++p) *p = c;
  return s;
}

char16_t* _wcsnset(char16_t* s, char16_t c, size_t count) {
  for (size_t i = 0; i < count && s[i]; ++i) s[i] = c;
  return s;
}

char16_t* _wcsdup(const char16_t* s) {
  if (!s) return nullptr;
  size_t bytes = (wcslen(s) + 1) * sizeof(char16_t);
  auto* copy = static_cast<char16_t*>(malloc(bytes));
  if (!copy) {
    errno = ENOMEM;
    return nullptr;
  }
  memcpy(copy, s, bytes);
  return copy;
}

errno_t wcsncpy_s(char16_t* dst, size_t size, const char16_t* src, size_t count) {
  if (count == 0 && !dst && size == 0) return 0;
  if (!dst || size == 0) return errno = EINVAL;
  if (!src) {
    dst[0] = 0;
    return errno = EINVAL;
  }
  size_t n = count == _TRUNCATE ? wcslen(src) : wcsnlen(src, count);
  if (n >= size) {
    if (count == _TRUNCATE) {
      wmemcpy(dst, src, size - 1);
      dst[size - 1] = 0;
      return STRUNCATE;
    }
    dst[0] = 0;
    return errno = ERANGE;
  }
  wmemcpy(dst, src, n);
  dst[n] = 0;
  return 0;
}

errno_t wcscpy_s(char16_t* dst, size_t size, const char16_t* src) {
  if (!dst || size == 0) return errno = EINVAL;
  if (!src) {
    dst[0] = 0;
    return errno = EINVAL;
  }
  size_t n = wcslen(src);
  if (n >= size) {
    dst[0] = 0;
    return errno = ERANGE;
  }
  wmemcpy(dst, src, n + 1);
  return 0;
}

errno_t wcsncat_s(char16_t* dst, size_t size, const char16_t* src, size_t count) {
  if (!dst || size == 0) return errno = EINVAL;
  size_t used = wcsnlen(dst, size);
  if (used >= size) {
    dst[0] = 0;
    return errno = EINVAL;  // dst was not terminated
  }
  errno_t r = wcsncpy_s(dst + used, size - used, src, count);
  if (r != 0 && r != STRUNCATE) dst[0] = 0;
  return r;
}

errno_t wcscat_s(char16_t* dst, size_t size, const char16_t* src) {
  if (!dst || size == 0) return errno = EINVAL;
  size_t used = wcsnlen(dst, size);
  if (used >= size || !src) {
    dst[0] = 0;
    return errno = EINVAL;
  }
  if (used + wcslen(src) >= size) {
    dst[0] = 0;
    return errno = ERANGE;
  }
  wcscpy(dst + used, src);
  return 0;
}

char16_t* wmemcpy(char16_t* dst, const char16_t* src, size_t count) {
  if (count) memcpy(dst, src, count * sizeof(char16_t));
  return dst;
}

char16_t* wmemmove(char16_t* dst, const char16_t* src, size_t count) {
  if (count) memmove(dst, src, count * sizeof(char16_t));
  return dst;
}

char16_t* wmemset(char16_t* dst, char16_t c, size_t count) {
  for (size_t i = 0; i < count; ++i) dst[i] = c;
  return dst;
}

int wmemcmp(const char16_t* a, const char16_t* b, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return 0;
}

const char16_t* wmemchr(const char16_t* s, char16_t c, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (s[i] == c) return s + i;
  return nullptr;
}
char16_t* wmemchr(char16_t* s, char16_t c, size_t count) {
  return const_cast<char16_t*>(wmemchr(static_cast<const char16_t*>(s), c, count));
}

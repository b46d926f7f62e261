// The printf-style formatter of the foundation library. It reads only its own rules,
// never the C locale, so numbers in the system's files always use "." as the point.
#include <basalt/string_util.h>

#include <climits>

#include "text/format_sink.h"

namespace Basalt::Util {

namespace {

using Text::FormatSink;
using Text::FormatSpec;

enum class ArgSize { Default, Short, Long, Wide64 };

// Widths and precisions beyond this are taken as this.
constexpr uint64_t kMaxField = INT_MAX;

void PadField(FormatSink& sink, const FormatSpec& spec, uint64_t len) {
  if (spec.width > len) sink.Repeat(u' ', spec.width - len);
}

void FormatInteger(FormatSink& sink, const FormatSpec& spec, uint64_t magnitude, bool negative, bool isSigned,
                   unsigned base, bool upper, bool pointer) {
  static constexpr char kLower[] = "0123456789abcdef";
  static constexpr char kUpper[] = "0123456789ABCDEF";
  const char* set = upper ? kUpper : kLower;

  char digits[24];
  int n = 0;
  for (uint64_t m = magnitude; m; m /= base) digits[n++] = set[m % base];
  // With no precision a zero still prints as "0"; an explicit precision of 0 prints nothing.
  if (magnitude == 0 && !(spec.hasPrecision && spec.precision == 0)) digits[n++] = '0';

  uint64_t zeros = spec.hasPrecision && spec.precision > static_cast<uint64_t>(n) ? spec.precision - n : 0;
  if (base == 8 && spec.alternate && zeros == 0 && (n == 0 || digits[n - 1] != '0')) zeros = 1;

  const char* prefix = "";
  if (pointer)
    prefix = "0x";
  else if (base == 16 && spec.alternate && magnitude != 0)
    prefix = upper ? "0X" : "0x";
  const uint64_t prefixLen = prefix[0] ? 2 : 0;

  char16_t sign = 0;
  if (negative)
    sign = u'-';
  else if (isSigned && spec.plus)
    sign = u'+';
  else if (isSigned && spec.space)
    sign = u' ';

  uint64_t len = (sign ? 1 : 0) + prefixLen + zeros + static_cast<uint64_t>(n);
  if (spec.zero && !spec.left && !spec.hasPrecision && spec.width > len) {
    zeros += spec.width - len;
    len = spec.width;
  }
  if (!spec.left) PadField(sink, spec, len);
  if (sign) sink.Put(sign);
  sink.PutAscii(prefix, prefixLen);
  sink.Repeat(u'0', zeros);
  while (n) sink.Put(static_cast<char16_t>(digits[--n]));
  if (spec.left) PadField(sink, spec, len);
}

void FormatText(FormatSink& sink, const FormatSpec& spec, const char16_t* text) {
  if (!text) text = u"<NULL>";
  uint64_t len = 0;
  // A precision bounds how far the text is read, not only what is printed.
  while ((!spec.hasPrecision || len < spec.precision) && text[len]) ++len;
  if (!spec.left) PadField(sink, spec, len);
  sink.Put(text, len);
  if (spec.left) PadField(sink, spec, len);
}

void FormatUnit(FormatSink& sink, const FormatSpec& spec, char16_t unit) {
  if (!spec.left) PadField(sink, spec, 1);
  sink.Put(unit);
  if (spec.left) PadField(sink, spec, 1);
}

// Reads a run of decimal digits, saturating at kMaxField.
uint64_t ReadNumber(const char16_t*& p) {
  uint64_t v = 0;
  while (*p >= u'0' && *p <= u'9') {
    v = v * 10 + static_cast<uint64_t>(*p++ - u'0');
    if (v > kMaxField) v = kMaxField;
  }
  return v;
}

void Format(FormatSink& sink, const char16_t* format, va_list* args) {
  if (!format) return;
  const char16_t* p = format;
  while (*p) {
    if (*p != u'%') {
      sink.Put(*p++);
      continue;
    }
    ++p;
    FormatSpec spec;
    for (;; ++p) {
      if (*p == u'-')
        spec.left = true;
      else if (*p == u'+')
        spec.plus = true;
      else if (*p == u' ')
        spec.space = true;
      else if (*p == u'#')
        spec.alternate = true;
      else if (*p == u'0')
        spec.zero = true;
      else
        break;
    }
    if (*p == u'*') {
      ++p;
      const int w = va_arg(*args, int);
      if (w < 0) {
        spec.left = true;
        spec.width = static_cast<uint64_t>(-static_cast<int64_t>(w));
      } else {
        spec.width = static_cast<uint64_t>(w);
      }
      if (spec.width > kMaxField) spec.width = kMaxField;
    } else {
      spec.width = ReadNumber(p);
    }
    if (*p == u'.') {
      ++p;
      if (*p == u'*') {
        ++p;
        const int prec = va_arg(*args, int);
        spec.hasPrecision = prec >= 0;
        spec.precision = prec >= 0 ? static_cast<uint64_t>(prec) : 0;
      } else {
        spec.hasPrecision = true;
        spec.precision = ReadNumber(p);
      }
    }
    ArgSize size = ArgSize::Default;
    for (;; ++p) {
      if (*p == u'h')
        size = ArgSize::Short;
      else if (*p == u'l')
        size = size == ArgSize::Long ? ArgSize::Wide64 : ArgSize::Long;
      else if (*p == u'q')
        size = ArgSize::Wide64;
      else if (*p != u'L')
        break;
    }
    const char16_t conversion = *p;
    if (!conversion) return;  // the format ends inside a directive
    ++p;

    switch (conversion) {
      case u'd':
      case u'i':
      case u'D': {
        int64_t v;
        if (conversion == u'D')
          v = va_arg(*args, int32_t);
        else if (size == ArgSize::Wide64)
          v = va_arg(*args, int64_t);
        else if (size == ArgSize::Short)
          v = static_cast<short>(va_arg(*args, int));
        else
          v = va_arg(*args, int32_t);
        const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        FormatInteger(sink, spec, magnitude, v < 0, true, 10, false, false);
        break;
      }
      case u'u':
      case u'U':
      case u'o':
      case u'O':
      case u'x':
      case u'X': {
        uint64_t v;
        if (conversion == u'U' || conversion == u'O')
          v = va_arg(*args, uint32_t);
        else if (size == ArgSize::Wide64)
          v = va_arg(*args, uint64_t);
        else if (size == ArgSize::Short)
          v = static_cast<unsigned short>(va_arg(*args, unsigned int));
        else
          v = va_arg(*args, uint32_t);
        const unsigned base = (conversion == u'o' || conversion == u'O')   ? 8
                              : (conversion == u'u' || conversion == u'U') ? 10
                                                                           : 16;
        FormatInteger(sink, spec, v, false, false, base, conversion == u'X', false);
        break;
      }
      case u'p':
        FormatInteger(sink, spec, reinterpret_cast<uintptr_t>(va_arg(*args, void*)), false, false, 16, false, true);
        break;
      case u'c':
        FormatUnit(sink, spec, static_cast<char16_t>(va_arg(*args, int)));
        break;
      case u's':
        FormatText(sink, spec, va_arg(*args, const char16_t*));
        break;
      case u'e':
      case u'E':
      case u'f':
      case u'g':
      case u'G':
        Text::FormatFloat(sink, spec, va_arg(*args, double), conversion);
        break;
      case u'n': {
        void* target = va_arg(*args, void*);
        if (!target) break;
        if (size == ArgSize::Short)
          *static_cast<short*>(target) = static_cast<short>(sink.count());
        else if (size == ArgSize::Wide64)
          *static_cast<int64_t*>(target) = static_cast<int64_t>(sink.count());
        else
          *static_cast<int32_t*>(target) = static_cast<int32_t>(sink.count());
        break;
      }
      default:
        FormatUnit(sink, spec, conversion);
        break;
    }
  }
}

LONG Result(const FormatSink& sink) {
  return sink.count() > static_cast<uint64_t>(INT_MAX) ? -1 : static_cast<LONG>(sink.count());
}

}  // namespace

LONG StringUtil::vsprintf_fmt(WCHAR* out, const WCHAR* format, va_list args) noexcept {
  if (!out) return -1;
  FormatSink sink(out, SIZE_MAX - 1);
  va_list ap;
  va_copy(ap, args);
  Format(sink, format, &ap);
  va_end(ap);
  sink.Terminate();
  return Result(sink);
}

LONG StringUtil::vsnprintf_fmt(WCHAR* out, size_t count, const WCHAR* format, va_list args) noexcept {
  if (!out || count == 0) return -1;
  FormatSink sink(out, count - 1);
  va_list ap;
  va_copy(ap, args);
  Format(sink, format, &ap);
  va_end(ap);
  sink.Terminate();
  return sink.cut() ? -1 : Result(sink);
}

LONG StringUtil::sprintf_fmt(WCHAR* out, const WCHAR* format, ...) noexcept {
  va_list args;
  va_start(args, format);
  const LONG n = vsprintf_fmt(out, format, args);
  va_end(args);
  return n;
}

LONG StringUtil::snprintf_fmt(WCHAR* out, size_t count, const WCHAR* format, ...) noexcept {
  va_list args;
  va_start(args, format);
  const LONG n = vsnprintf_fmt(out, count, format, args);
  va_end(args);
  return n;
}

}  // namespace Basalt::Util

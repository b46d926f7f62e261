// The wide printf engine.
#include "crt/Format.h"

#include <cstdio>
#include <cstring>

#include "crt/CLocale.h"
#include "kx2/Utf.h"
#include "win/nls.h"

namespace kx2 {
namespace {

struct Spec {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = 0;
  int precision = -1;
  enum Size { kDefault, kChar, kShort, kLong, kLongLong, kPointer, kWide } size = kDefault;
  char16_t type = 0;
};

// Where the arguments come from: a va_list, or one word fetched beforehand.
class Args {
 public:
  explicit Args(va_list* list) : list_(list) {}
  Args(uintptr_t word, double real) : word_(word), real_(real) {}
  int Int() { return list_ ? va_arg(*list_, int) : static_cast<int>(word_); }
  int64_t Int64() { return list_ ? va_arg(*list_, long long) : static_cast<int64_t>(word_); }
  uintptr_t Word() { return list_ ? va_arg(*list_, uintptr_t) : word_; }
  double Real() { return list_ ? va_arg(*list_, double) : real_; }
  void* Pointer() { return list_ ? va_arg(*list_, void*) : reinterpret_cast<void*>(word_); }

 private:
  va_list* list_ = nullptr;
  uintptr_t word_ = 0;
  double real_ = 0;
};

void Pad(std::u16string& out, size_t n, char16_t c) { out.append(n, c); }

void Emit(std::u16string& out, const Spec& s, std::u16string_view prefix, std::u16string_view body, bool zeroAllowed) {
  size_t len = prefix.size() + body.size();
  size_t fill = s.width > 0 && static_cast<size_t>(s.width) > len ? static_cast<size_t>(s.width) - len : 0;
  if (s.left) {
    out += prefix;
    out += body;
    Pad(out, fill, u' ');
  } else if (s.zero && zeroAllowed) {
    out += prefix;
    Pad(out, fill, u'0');
    out += body;
  } else {
    Pad(out, fill, u' ');
    out += prefix;
    out += body;
  }
}

void Integer(std::u16string& out, const Spec& s, Args& args) {
  bool isSigned = s.type == u'd' || s.type == u'i';
  uint64_t magnitude;
  bool negative = false;
  int64_t v;
  switch (s.size) {
    case Spec::kChar:
      v = isSigned ? static_cast<signed char>(args.Int()) : static_cast<unsigned char>(args.Int());
      break;
    case Spec::kShort:
      v = isSigned ? static_cast<short>(args.Int()) : static_cast<unsigned short>(args.Int());
      break;
    case Spec::kLongLong:
    case Spec::kPointer:
      v = args.Int64();
      break;
    default:
      v = isSigned ? static_cast<int64_t>(args.Int()) : static_cast<int64_t>(static_cast<uint32_t>(args.Int()));
  }
  if (isSigned && v < 0) {
    negative = true;
    magnitude = static_cast<uint64_t>(0) - static_cast<uint64_t>(v);
  } else {
    magnitude = static_cast<uint64_t>(v);
  }
  unsigned base = s.type == u'o' ? 8 : (s.type == u'x' || s.type == u'X') ? 16 : 10;
  const char* digits = s.type == u'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  std::u16string body;
  for (uint64_t m = magnitude; m; m /= base) body.insert(body.begin(), static_cast<char16_t>(digits[m % base]));
  int precision = s.precision < 0 ? 1 : s.precision;
  while (body.size() < static_cast<size_t>(precision)) body.insert(body.begin(), u'0');
  std::u16string prefix;
  if (negative)
    prefix = u"-";
  else if (isSigned && s.plus)
    prefix = u"+";
  else if (isSigned && s.space)
    prefix = u" ";
  if (s.alt && magnitude != 0) {
    if (base == 16) prefix += s.type == u'X' ? u"0X" : u"0x";
    if (base == 8 && (body.empty() || body[0] != u'0')) body.insert(body.begin(), u'0');
  }
  Emit(out, s, prefix, body, s.precision < 0);
}

void Real(std::u16string& out, const Spec& s, Args& args) {
  double value = args.Real();
  char spec[32], *p = spec;
  *p++ = '%';
  if (s.left) *p++ = '-';
  if (s.plus) *p++ = '+';
  if (s.space) *p++ = ' ';
  if (s.alt) *p++ = '#';
  if (s.zero) *p++ = '0';
  p += snprintf(p, 12, "%d", s.width);
  if (s.precision >= 0) p += snprintf(p, 12, ".%d", s.precision);
  *p++ = static_cast<char>(s.type);
  *p = 0;
  locale_t previous = uselocale(CLocale());  // "." as the decimal point, always
  char buf[512];
  int n = snprintf(buf, sizeof buf, spec, value);
  std::string text;
  if (n >= static_cast<int>(sizeof buf)) {
    text.resize(static_cast<size_t>(n) + 1);
    snprintf(text.data(), text.size(), spec, value);
    text.resize(static_cast<size_t>(n));
  } else if (n > 0) {
    text.assign(buf, static_cast<size_t>(n));
  }
  uselocale(previous);
  for (char c : text) out.push_back(static_cast<unsigned char>(c));
}

std::u16string Narrow(const char* s, int precision) {
  size_t n = strlen(s);
  if (precision >= 0 && static_cast<size_t>(precision) < n) n = static_cast<size_t>(precision);
  if (!n) return {};
  int units = MultiByteToWideChar(CP_ACP, 0, s, static_cast<int>(n), nullptr, 0);
  std::u16string w(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(CP_ACP, 0, s, static_cast<int>(n), w.data(), units);
  return w;
}

void Text(std::u16string& out, const Spec& s, Args& args) {
  bool wide = s.type == u's' ? s.size != Spec::kShort : (s.size == Spec::kLong || s.size == Spec::kWide);
  void* p = args.Pointer();
  std::u16string body;
  if (!p) {
    body = u"(null)";
    if (s.precision >= 0 && static_cast<size_t>(s.precision) < body.size())
      body.resize(static_cast<size_t>(s.precision));
  } else if (wide) {
    auto* w = static_cast<const char16_t*>(p);
    size_t n = 0;
    while ((s.precision < 0 || n < static_cast<size_t>(s.precision)) && w[n]) ++n;
    body.assign(w, n);
  } else {
    body = Narrow(static_cast<const char*>(p), s.precision);
  }
  Emit(out, s, u"", body, true);
}

void Character(std::u16string& out, const Spec& s, Args& args) {
  bool wide = s.type == u'c' ? s.size != Spec::kShort : (s.size == Spec::kLong || s.size == Spec::kWide);
  int v = args.Int();
  std::u16string body;
  if (wide) {
    body.push_back(static_cast<char16_t>(v));
  } else {
    char c = static_cast<char>(v);
    body = c ? Narrow(std::string(1, c).c_str(), -1) : std::u16string(1, u'\0');
  }
  Emit(out, s, u"", body, true);
}

void Pointer(std::u16string& out, const Spec& s, Args& args) {
  uintptr_t v = reinterpret_cast<uintptr_t>(args.Pointer());
  std::u16string body;
  for (int i = 15; i >= 0; --i) body.push_back(static_cast<char16_t>("0123456789ABCDEF"[(v >> (i * 4)) & 15]));
  Emit(out, s, s.alt ? u"0X" : u"", body, false);
}

// Parses one directive starting after '%'; returns the position after it.
const char16_t* ParseSpec(const char16_t* f, Spec& s, Args* args) {
  for (;; ++f) {
    if (*f == u'-')
      s.left = true;
    else if (*f == u'+')
      s.plus = true;
    else if (*f == u' ')
      s.space = true;
    else if (*f == u'#')
      s.alt = true;
    else if (*f == u'0')
      s.zero = true;
    else
      break;
  }
  if (*f == u'*') {
    s.width = args ? args->Int() : 0;
    if (s.width < 0) s.left = true, s.width = -s.width;
    ++f;
  } else {
    while (*f >= u'0' && *f <= u'9') s.width = s.width * 10 + (*f++ - u'0');
  }
  if (*f == u'.') {
    ++f;
    s.precision = 0;
    if (*f == u'*') {
      s.precision = args ? args->Int() : 0;
      if (s.precision < 0) s.precision = -1;
      ++f;
    } else {
      while (*f >= u'0' && *f <= u'9') s.precision = s.precision * 10 + (*f++ - u'0');
    }
  }
  switch (*f) {
    case u'h':
      ++f;
      s.size = *f == u'h' ? (++f, Spec::kChar) : Spec::kShort;
      break;
    case u'l':
      ++f;
      s.size = *f == u'l' ? (++f, Spec::kLongLong) : Spec::kLong;
      break;
    case u'w':
      ++f, s.size = Spec::kWide;
      break;
    case u'q':
    case u'L':
      ++f, s.size = Spec::kLongLong;
      break;
    case u'j':
    case u'z':
    case u't':
      ++f, s.size = Spec::kPointer;
      break;
    case u'I':
      if (f[1] == u'6' && f[2] == u'4')
        f += 3, s.size = Spec::kLongLong;
      else if (f[1] == u'3' && f[2] == u'2')
        f += 3, s.size = Spec::kLong;
      else
        ++f, s.size = Spec::kPointer;
      break;
    default:
      break;
  }
  s.type = *f;
  return *f ? f + 1 : f;
}

void Convert(std::u16string& out, const Spec& s, Args& args, std::u16string_view directive) {
  switch (s.type) {
    case u'd':
    case u'i':
    case u'u':
    case u'o':
    case u'x':
    case u'X':
      Integer(out, s, args);
      break;
    case u'e':
    case u'E':
    case u'f':
    case u'F':
    case u'g':
    case u'G':
    case u'a':
    case u'A':
      Real(out, s, args);
      break;
    case u's':
    case u'S':
      Text(out, s, args);
      break;
    case u'c':
    case u'C':
      Character(out, s, args);
      break;
    case u'p':
      Pointer(out, s, args);
      break;
    case u'n':
      args.Pointer();
      break;  // refused: writing through %n is a known attack
    case u'%':
      out.push_back(u'%');
      break;
    default:
      out += directive;
      break;
  }
}

}  // namespace

void FormatWide(std::u16string& out, const char16_t* format, va_list list) {
  if (!format) return;
  va_list copy;
  va_copy(copy, list);
  Args args(&copy);
  for (const char16_t* f = format; *f;) {
    if (*f != u'%') {
      out.push_back(*f++);
      continue;
    }
    const char16_t* start = f;
    Spec s;
    f = ParseSpec(f + 1, s, &args);
    if (!s.type) break;  // the format ended inside a directive
    Convert(out, s, args, std::u16string_view(start, static_cast<size_t>(f - start)));
  }
  va_end(copy);
}

void FormatOneWide(std::u16string& out, std::u16string_view directive, uintptr_t word, double real) {
  std::u16string text(directive);
  Spec s;
  Args args(word, real);
  ParseSpec(text.c_str(), s, nullptr);
  if (!s.type) return;
  Convert(out, s, args, directive);
}

}  // namespace kx2

// Scanning resource source text: UTF-8, C comments, #define, string escapes.
#include "Lexer.h"

#include <cctype>

namespace kx2rc {
namespace {

bool IdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

void AppendCodePoint(std::u16string& out, uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

}  // namespace

std::string Upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

Lexer::Lexer(std::string file, std::string text, std::map<std::string, uint32_t>* defines)
    : file_(std::move(file)), src_(std::move(text)), defines_(defines) {
  if (src_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
}

void Lexer::Fail(const std::string& message, int line) const {
  throw SourceError(file_ + ":" + std::to_string(line < 0 ? line_ : line) + ": " + message);
}

const Token& Lexer::Peek() {
  if (!peeked_) {
    peek_ = Scan();
    peeked_ = true;
  }
  return peek_;
}

Token Lexer::Next() {
  Peek();
  peeked_ = false;
  return std::move(peek_);
}

bool Lexer::IsIdent(const char* word) {
  const Token& t = Peek();
  return t.kind == Tok::Ident && Upper(t.text) == word;
}

bool Lexer::IsPunct(char c) {
  const Token& t = Peek();
  return t.kind == Tok::Punct && t.text.size() == 1 && t.text[0] == c;
}

void Lexer::SkipSpaceAndComments() {
  for (;;) {
    if (pos_ >= src_.size()) return;
    char c = src_[pos_];
    if (c == '\n') {
      ++line_;
      ++pos_;
      atLineStart_ = true;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++pos_;
    } else if (src_.compare(pos_, 2, "//") == 0) {
      while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
    } else if (src_.compare(pos_, 2, "/*") == 0) {
      size_t end = src_.find("*/", pos_ + 2);
      if (end == std::string::npos) Fail("unterminated comment");
      for (size_t i = pos_; i < end; ++i)
        if (src_[i] == '\n') ++line_;
      pos_ = end + 2;
    } else if (c == '#' && atLineStart_) {
      Directive();
    } else {
      return;
    }
  }
}

// "#define NAME number"; "#pragma" and "#include" of headers are ignored, so that files
// shared with a symbol header still compile when the symbols are defined here.
void Lexer::Directive() {
  size_t end = src_.find('\n', pos_);
  if (end == std::string::npos) end = src_.size();
  std::string line = src_.substr(pos_ + 1, end - pos_ - 1);
  pos_ = end;
  size_t i = 0;
  auto skip = [&] {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
  };
  auto word = [&] {
    skip();
    size_t s = i;
    while (i < line.size() && IdentChar(line[i])) ++i;
    return line.substr(s, i - s);
  };
  std::string directive = word();
  if (directive == "pragma" || directive == "include") return;
  if (directive != "define") Fail("unknown directive #" + directive);
  std::string name = word();
  if (name.empty() || !IdentStart(name[0])) Fail("#define needs a name");
  skip();
  std::string value = line.substr(i);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) value.pop_back();
  while (value.size() >= 2 && value.front() == '(' && value.back() == ')') value = value.substr(1, value.size() - 2);
  if (auto it = defines_->find(value); it != defines_->end()) {
    (*defines_)[name] = it->second;
    return;
  }
  try {
    size_t used = 0;
    unsigned long v = std::stoul(value, &used, 0);
    if (used < value.size() && (value[used] == 'L' || value[used] == 'l' || value[used] == 'U' || value[used] == 'u'))
      ++used;
    if (used != value.size() || v > 0xFFFFFFFFul) throw std::invalid_argument(value);
    (*defines_)[name] = static_cast<uint32_t>(v);
  } catch (const std::exception&) {
    Fail("#define " + name + " needs a number");
  }
}

Token Lexer::Scan() {
  SkipSpaceAndComments();
  atLineStart_ = false;
  Token t;
  t.line = line_;
  if (pos_ >= src_.size()) return t;
  char c = src_[pos_];
  if ((c == 'L' || c == 'l') && pos_ + 1 < src_.size() && src_[pos_ + 1] == '"') {
    ++pos_;
    t.kind = Tok::String;
    t.wide = true;
    t.str = StringBody(t.line);
    return t;
  }
  if (c == '"') {
    t.kind = Tok::String;
    t.str = StringBody(t.line);
    return t;
  }
  if (std::isdigit(static_cast<unsigned char>(c))) {
    size_t s = pos_;
    while (pos_ < src_.size() && std::isalnum(static_cast<unsigned char>(src_[pos_]))) ++pos_;
    std::string lit = src_.substr(s, pos_ - s);
    if (!lit.empty() && (lit.back() == 'L' || lit.back() == 'l')) {
      t.wide = true;
      lit.pop_back();
    }
    try {
      size_t used = 0;
      unsigned long v = std::stoul(lit, &used, 0);
      if (used != lit.size() || v > 0xFFFFFFFFul) throw std::invalid_argument(lit);
      t.number = static_cast<uint32_t>(v);
    } catch (const std::exception&) {
      Fail("bad number " + lit);
    }
    t.kind = Tok::Number;
    return t;
  }
  if (IdentStart(c)) {
    size_t s = pos_;
    while (pos_ < src_.size() && IdentChar(src_[pos_])) ++pos_;
    t.kind = Tok::Ident;
    t.text = src_.substr(s, pos_ - s);
    return t;
  }
  t.kind = Tok::Punct;
  t.text = std::string(1, c);
  ++pos_;
  return t;
}

// A string literal after its opening quote: UTF-8 text; "" stands for one quote; the
// escapes \n \r \t \a \0 \\ \" and \xH... (up to four hex digits, one UTF-16 unit).
std::u16string Lexer::StringBody(int line) {
  ++pos_;  // the opening quote
  std::u16string out;
  for (;;) {
    if (pos_ >= src_.size() || src_[pos_] == '\n') Fail("unterminated string", line);
    unsigned char c = static_cast<unsigned char>(src_[pos_]);
    if (c == '"') {
      if (pos_ + 1 < src_.size() && src_[pos_ + 1] == '"') {
        out.push_back(u'"');
        pos_ += 2;
        continue;
      }
      ++pos_;
      return out;
    }
    if (c == '\\') {
      if (pos_ + 1 >= src_.size()) Fail("unterminated string", line);
      char e = src_[pos_ + 1];
      pos_ += 2;
      switch (e) {
        case 'n':
          out.push_back(u'\n');
          break;
        case 'r':
          out.push_back(u'\r');
          break;
        case 't':
          out.push_back(u'\t');
          break;
        case 'a':
          out.push_back(u'\a');
          break;
        case '0':
          out.push_back(u'\0');
          break;
        case '\\':
          out.push_back(u'\\');
          break;
        case '"':
          out.push_back(u'"');
          break;
        case 'x':
        case 'X': {
          uint32_t v = 0;
          int digits = 0;
          while (digits < 4 && pos_ < src_.size() && std::isxdigit(static_cast<unsigned char>(src_[pos_]))) {
            char h = src_[pos_++];
            v = v * 16 + static_cast<uint32_t>(
                             std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : (std::tolower(h) - 'a' + 10));
            ++digits;
          }
          if (!digits) Fail("\\x needs hex digits", line);
          out.push_back(static_cast<char16_t>(v));
          break;
        }
        default:
          Fail(std::string("unknown escape \\") + e, line);
      }
      continue;
    }
    // One UTF-8 sequence.
    int len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (!len || pos_ + len > src_.size()) Fail("text is not UTF-8", line);
    uint32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k < len; ++k) {
      unsigned char b = static_cast<unsigned char>(src_[pos_ + k]);
      if ((b & 0xC0) != 0x80) Fail("text is not UTF-8", line);
      cp = (cp << 6) | (b & 0x3F);
    }
    static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) Fail("text is not UTF-8", line);
    AppendCodePoint(out, cp);
    pos_ += len;
  }
}

}  // namespace kx2rc

// Tokens of a resource source file (see resources/README.md for the language).
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace kx2rc {

// A fault in a source file, reported as "file:line: message".
struct SourceError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

enum class Tok { End, Number, String, Ident, Punct };

struct Token {
  Tok kind = Tok::End;
  std::string text;    // identifier or punctuation, as written
  std::u16string str;  // decoded string literal
  bool wide = false;   // L"..." literal, or a number with an L suffix
  uint32_t number = 0;
  int line = 0;
};

class Lexer {
 public:
  // `defines` receives the #define lines met on the way.
  Lexer(std::string file, std::string text, std::map<std::string, uint32_t>* defines);

  const Token& Peek();
  Token Next();
  bool IsIdent(const char* upperWord);  // the next token is this keyword (any case)
  bool IsPunct(char c);
  [[noreturn]] void Fail(const std::string& message, int line = -1) const;
  const std::string& File() const { return file_; }

 private:
  Token Scan();
  void SkipSpaceAndComments();
  void Directive();
  std::u16string StringBody(int line);

  std::string file_;
  std::string src_;
  size_t pos_ = 0;
  int line_ = 1;
  bool atLineStart_ = true;
  bool peeked_ = false;
  Token peek_;
  std::map<std::string, uint32_t>* defines_;
};

std::string Upper(std::string s);

}  // namespace kx2rc

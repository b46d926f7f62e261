// Pieces the dialog and menu statements share: commas, style expressions with NOT, texts
// and the options between a resource's type and its body.
#include <string>

#include "Compiler.h"

namespace kx2rc {

void Compiler::Comma(Lexer& lx, const char* what) {
  if (!lx.IsPunct(',')) lx.Fail(std::string("expected , in ") + what);
  lx.Next();
}

bool Compiler::OptionalComma(Lexer& lx) {
  if (!lx.IsPunct(',')) return false;
  lx.Next();
  return true;
}

// [NOT] term { | [NOT] term }, starting from base: NOT clears the term's bits.
uint32_t Compiler::StyleExpr(Lexer& lx, uint32_t base) {
  uint32_t value = base;
  for (;;) {
    bool clear = false;
    if (lx.IsIdent("NOT")) {
      lx.Next();
      clear = true;
    }
    uint32_t term = Primary(lx);
    while (lx.IsPunct('+') || lx.IsPunct('-')) {
      const bool plus = lx.IsPunct('+');
      lx.Next();
      term = plus ? term + Primary(lx) : term - Primary(lx);
    }
    value = clear ? value & ~term : value | term;
    if (!lx.IsPunct('|')) return value;
    lx.Next();
  }
}

std::u16string Compiler::Text(Lexer& lx, const char* what) {
  if (lx.Peek().kind != Tok::String) lx.Fail(std::string(what) + " needs a text");
  std::u16string text;
  while (lx.Peek().kind == Tok::String) text += lx.Next().str;
  return text;
}

void Compiler::SkipOptions(Lexer& lx, uint16_t* language) {
  for (;;) {
    if (lx.IsIdent("LANGUAGE")) {
      lx.Next();
      Language(lx, language);
    } else if (lx.IsIdent("CHARACTERISTICS") || lx.IsIdent("VERSION")) {
      lx.Next();
      Expr(lx);
    } else if (lx.Peek().kind == Tok::Ident && IsMemoryOption(Upper(lx.Peek().text))) {
      lx.Next();
    } else {
      return;
    }
  }
}

}  // namespace kx2rc

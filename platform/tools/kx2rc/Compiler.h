// Compiles one resource source file into a resource container.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Lexer.h"
#include "kx2/ResourceContainer.h"

namespace kx2rc {

class Compiler {
 public:
  // `language` is the LANGID resources get until a LANGUAGE statement says otherwise.
  explicit Compiler(uint16_t language);

  // Compiles the file; throws SourceError naming the file and line of the first fault.
  void CompileFile(const std::string& path);
  std::vector<uint8_t> Build() const;
  // Every file the output depends on (the source and the files it names).
  const std::vector<std::string>& Inputs() const { return inputs_; }

  // Parsed dialog controls and menu items (DialogStatement.cpp, MenuStatement.cpp).
  struct Control;
  struct MenuNode;

 private:
  void Statement(Lexer& lx);
  void Language(Lexer& lx, uint16_t* out);
  void StringTable(Lexer& lx);
  void Resource(Lexer& lx, kx2::rsrc::ResId name, int line);
  std::vector<uint8_t> RawData(Lexer& lx);
  std::vector<uint8_t> FileData(Lexer& lx, const std::u16string& name, uint16_t type, int line);
  uint32_t Expr(Lexer& lx);
  uint32_t Primary(Lexer& lx);
  bool Open(Lexer& lx);
  bool Close(Lexer& lx);
  void Add(Lexer& lx, const kx2::rsrc::ResId& type, const kx2::rsrc::ResId& name, uint16_t language,
           std::vector<uint8_t> data, int line);

  std::vector<uint8_t> Dialog(Lexer& lx, bool extended, uint16_t* language);
  Control DialogControl(Lexer& lx, bool extended);
  std::vector<uint8_t> Menu(Lexer& lx, bool extended, uint16_t* language);
  std::vector<MenuNode> MenuItems(Lexer& lx, bool extended, int depth);
  uint32_t MenuOptions(Lexer& lx);
  uint32_t StyleExpr(Lexer& lx, uint32_t base);
  std::u16string Text(Lexer& lx, const char* what);
  void SkipOptions(Lexer& lx, uint16_t* language);
  void Comma(Lexer& lx, const char* what);
  bool OptionalComma(Lexer& lx);

  uint16_t language_;
  std::string folder_;  // of the source file, for the files it names
  std::map<std::string, uint32_t> defines_;
  // language -> string id -> text
  std::map<uint16_t, std::map<uint16_t, std::u16string>> strings_;
  kx2::rsrc::ContainerWriter writer_;
  std::vector<std::string> inputs_;
};

// Words that may follow a resource type and mean nothing here.
bool IsMemoryOption(const std::string& upper);
std::u16string Widen(const std::string& ascii);

// The LANGID of a three-letter language code ("ENU" -> 0x0409), or 0 when unknown.
uint16_t LanguageFromCode(const std::string& code);

}  // namespace kx2rc

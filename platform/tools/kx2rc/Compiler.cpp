// The statements of a resource source file (see resources/README.md).
#include "Compiler.h"

#include "Symbols.h"

#include <fstream>
#include <sstream>

namespace kx2rc {
namespace {

using kx2::rsrc::ResId;

constexpr uint16_t kTypeBitmap = 2;
constexpr uint16_t kTypeMenu = 4;
constexpr uint16_t kTypeDialog = 5;
constexpr uint16_t kTypeString = 6;
constexpr uint16_t kTypeRcData = 10;
constexpr uint16_t kTypeHtml = 23;

// Symbols every source may use in LANGUAGE statements.
const std::map<std::string, uint32_t>& BuiltinDefines() {
  static const std::map<std::string, uint32_t> kDefines = {
      {"LANG_NEUTRAL", 0x00},
      {"LANG_ARABIC", 0x01},
      {"LANG_CHINESE", 0x04},
      {"LANG_CZECH", 0x05},
      {"LANG_DANISH", 0x06},
      {"LANG_GERMAN", 0x07},
      {"LANG_GREEK", 0x08},
      {"LANG_ENGLISH", 0x09},
      {"LANG_SPANISH", 0x0a},
      {"LANG_FINNISH", 0x0b},
      {"LANG_FRENCH", 0x0c},
      {"LANG_HEBREW", 0x0d},
      {"LANG_HUNGARIAN", 0x0e},
      {"LANG_ITALIAN", 0x10},
      {"LANG_JAPANESE", 0x11},
      {"LANG_KOREAN", 0x12},
      {"LANG_DUTCH", 0x13},
      {"LANG_NORWEGIAN", 0x14},
      {"LANG_POLISH", 0x15},
      {"LANG_PORTUGUESE", 0x16},
      {"LANG_RUSSIAN", 0x19},
      {"LANG_SWEDISH", 0x1d},
      {"LANG_THAI", 0x1e},
      {"LANG_TURKISH", 0x1f},
      {"SUBLANG_NEUTRAL", 0x00},
      {"SUBLANG_DEFAULT", 0x01},
      {"SUBLANG_SYS_DEFAULT", 0x02},
      {"SUBLANG_ENGLISH_US", 0x01},
      {"SUBLANG_ENGLISH_UK", 0x02},
      {"SUBLANG_GERMAN", 0x01},
      {"SUBLANG_FRENCH", 0x01},
      {"SUBLANG_JAPANESE_JAPAN", 0x01},
      {"SUBLANG_KOREAN", 0x01},
      {"SUBLANG_CHINESE_TRADITIONAL", 0x01},
      {"SUBLANG_CHINESE_SIMPLIFIED", 0x02},
      {"SUBLANG_SPANISH_MODERN", 0x03},
      {"SUBLANG_PORTUGUESE_BRAZILIAN", 0x01},
      {"SUBLANG_PORTUGUESE", 0x02},
  };
  return kDefines;
}

std::string ReadFile(const std::string& path, bool* ok) {
  std::ifstream in(path, std::ios::binary);
  *ok = static_cast<bool>(in);
  if (!*ok) return {};
  std::ostringstream s;
  s << in.rdbuf();
  *ok = !in.bad();
  return s.str();
}

std::string Narrow(const std::u16string& s) {
  // File names in sources are ASCII or UTF-8 text; turn the decoded units back into UTF-8.
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size()) cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace

bool IsMemoryOption(const std::string& upper) {
  return upper == "PRELOAD" || upper == "LOADONCALL" || upper == "MOVEABLE" || upper == "DISCARDABLE" ||
         upper == "PURE" || upper == "IMPURE" || upper == "FIXED" || upper == "SHARED" || upper == "NONSHARED";
}

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

uint16_t LanguageFromCode(const std::string& code) {
  static const std::map<std::string, uint16_t> kCodes = {
      {"ENU", 0x0409}, {"ENG", 0x0809}, {"DEU", 0x0407}, {"FRA", 0x040C}, {"ITA", 0x0410}, {"ESN", 0x0C0A},
      {"ESP", 0x040A}, {"JPN", 0x0411}, {"KOR", 0x0412}, {"CHS", 0x0804}, {"CHT", 0x0404}, {"PTB", 0x0416},
      {"PTG", 0x0816}, {"RUS", 0x0419}, {"NLD", 0x0413}, {"SVE", 0x041D}, {"DAN", 0x0406}, {"FIN", 0x040B},
      {"NOR", 0x0414}, {"PLK", 0x0415}, {"CSY", 0x0405}, {"HUN", 0x040E}, {"TRK", 0x041F}, {"ELL", 0x0408},
      {"ARA", 0x0401}, {"HEB", 0x040D}, {"THA", 0x041E},
  };
  auto it = kCodes.find(Upper(code));
  return it == kCodes.end() ? 0 : it->second;
}

Compiler::Compiler(uint16_t language) : language_(language), defines_(BuiltinDefines()) {
  defines_.insert(WindowSymbols().begin(), WindowSymbols().end());
}

void Compiler::CompileFile(const std::string& path) {
  bool ok = false;
  std::string text = ReadFile(path, &ok);
  if (!ok) throw SourceError(path + ": cannot read");
  inputs_.push_back(path);
  size_t slash = path.find_last_of('/');
  folder_ = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  Lexer lx(path, std::move(text), &defines_);
  while (lx.Peek().kind != Tok::End) Statement(lx);
}

bool Compiler::Open(Lexer& lx) {
  if (lx.IsIdent("BEGIN") || lx.IsPunct('{')) {
    lx.Next();
    return true;
  }
  return false;
}

bool Compiler::Close(Lexer& lx) {
  if (lx.IsIdent("END") || lx.IsPunct('}')) {
    lx.Next();
    return true;
  }
  return false;
}

// expr := primary (('+' | '-' | '|') primary)*
uint32_t Compiler::Expr(Lexer& lx) {
  uint32_t v = Primary(lx);
  for (;;) {
    if (lx.IsPunct('+'))
      lx.Next(), v += Primary(lx);
    else if (lx.IsPunct('-'))
      lx.Next(), v -= Primary(lx);
    else if (lx.IsPunct('|'))
      lx.Next(), v |= Primary(lx);
    else
      return v;
  }
}

uint32_t Compiler::Primary(Lexer& lx) {
  Token t = lx.Next();
  if (t.kind == Tok::Number) return t.number;
  if (t.kind == Tok::Ident) {
    auto it = defines_.find(t.text);
    if (it == defines_.end()) lx.Fail("unknown symbol " + t.text, t.line);
    return it->second;
  }
  if (t.kind == Tok::Punct && t.text == "(") {
    uint32_t v = Expr(lx);
    if (!lx.IsPunct(')')) lx.Fail("missing )");
    lx.Next();
    return v;
  }
  if (t.kind == Tok::Punct && t.text == "-") return 0u - Primary(lx);
  lx.Fail("expected a number", t.line);
}

void Compiler::Language(Lexer& lx, uint16_t* out) {
  uint32_t primary = Expr(lx);
  if (!lx.IsPunct(',')) lx.Fail("LANGUAGE needs a primary and a sub-language");
  lx.Next();
  uint32_t sub = Expr(lx);
  if (primary > 0x3FF || sub > 0x3F) lx.Fail("language out of range");
  *out = static_cast<uint16_t>((sub << 10) | primary);
}

void Compiler::Statement(Lexer& lx) {
  if (lx.IsIdent("LANGUAGE")) {
    lx.Next();
    Language(lx, &language_);
    return;
  }
  if (lx.IsIdent("STRINGTABLE")) {
    lx.Next();
    StringTable(lx);
    return;
  }
  Token t = lx.Next();
  ResId name;
  if (t.kind == Tok::Number) {
    if (t.number == 0 || t.number > 0xFFFF) lx.Fail("resource id out of range", t.line);
    name = static_cast<uint16_t>(t.number);
  } else if (t.kind == Tok::Ident) {
    auto it = defines_.find(t.text);
    if (it != defines_.end()) {
      if (it->second == 0 || it->second > 0xFFFF) lx.Fail("resource id out of range", t.line);
      name = static_cast<uint16_t>(it->second);
    } else {
      name = kx2::rsrc::UpperName(Widen(t.text));
    }
  } else if (t.kind == Tok::String && !t.str.empty()) {
    name = kx2::rsrc::UpperName(t.str);
  } else {
    lx.Fail("expected a statement", t.line);
  }
  Resource(lx, std::move(name), t.line);
}

// STRINGTABLE [LANGUAGE p, s] [CHARACTERISTICS n] [VERSION n] BEGIN id [,] "text"... END
void Compiler::StringTable(Lexer& lx) {
  uint16_t language = language_;
  for (;;) {
    if (lx.IsIdent("LANGUAGE")) {
      lx.Next();
      Language(lx, &language);
    } else if (lx.IsIdent("CHARACTERISTICS") || lx.IsIdent("VERSION")) {
      lx.Next();
      Expr(lx);
    } else if (lx.Peek().kind == Tok::Ident && IsMemoryOption(Upper(lx.Peek().text))) {
      lx.Next();
    } else {
      break;
    }
  }
  if (!Open(lx)) lx.Fail("STRINGTABLE needs BEGIN");
  auto& table = strings_[language];
  while (!Close(lx)) {
    if (lx.Peek().kind == Tok::End) lx.Fail("STRINGTABLE without END");
    int line = lx.Peek().line;
    uint32_t id = Expr(lx);
    if (id > 0xFFFF) lx.Fail("string id out of range", line);
    if (lx.IsPunct(',')) lx.Next();
    if (lx.Peek().kind != Tok::String) lx.Fail("string " + std::to_string(id) + " needs a text");
    std::u16string text;
    while (lx.Peek().kind == Tok::String) text += lx.Next().str;
    if (text.size() > 0xFFFF) lx.Fail("string too long", line);
    if (!table.emplace(static_cast<uint16_t>(id), std::move(text)).second)
      lx.Fail("string " + std::to_string(id) + " defined twice", line);
  }
}

// name TYPE [options] "file"   or   name TYPE [options] BEGIN data END
void Compiler::Resource(Lexer& lx, ResId name, int line) {
  Token t = lx.Next();
  ResId type;
  uint16_t numericType = 0;
  if (t.kind == Tok::Number) {
    if (t.number == 0 || t.number > 0xFFFF) lx.Fail("resource type out of range", t.line);
    numericType = static_cast<uint16_t>(t.number);
  } else if (t.kind == Tok::Ident) {
    std::string word = Upper(t.text);
    if (word == "RCDATA")
      numericType = kTypeRcData;
    else if (word == "BITMAP")
      numericType = kTypeBitmap;
    else if (word == "HTML")
      numericType = kTypeHtml;
    else if (word == "DIALOG" || word == "DIALOGEX" || word == "MENU" || word == "MENUEX") {
      uint16_t language = language_;
      const bool dialog = word == "DIALOG" || word == "DIALOGEX";
      const bool extended = word == "DIALOGEX" || word == "MENUEX";
      std::vector<uint8_t> data = dialog ? Dialog(lx, extended, &language) : Menu(lx, extended, &language);
      Add(lx, uint16_t{static_cast<uint16_t>(dialog ? kTypeDialog : kTypeMenu)}, name, language, std::move(data), line);
      return;
    } else if (word == "ICON" || word == "CURSOR" || word == "ACCELERATORS" || word == "VERSIONINFO")
      lx.Fail(word + " resources are not supported yet", t.line);
    else if (auto it = defines_.find(t.text); it != defines_.end() && it->second && it->second <= 0xFFFF)
      numericType = static_cast<uint16_t>(it->second);
    else
      type = kx2::rsrc::UpperName(Widen(t.text));
  } else if (t.kind == Tok::String && !t.str.empty()) {
    type = kx2::rsrc::UpperName(t.str);
  } else {
    lx.Fail("expected a resource type", t.line);
  }
  if (numericType) type = numericType;
  uint16_t language = language_;
  for (;;) {
    if (lx.IsIdent("LANGUAGE")) {
      lx.Next();
      Language(lx, &language);
    } else if (lx.Peek().kind == Tok::Ident && IsMemoryOption(Upper(lx.Peek().text))) {
      lx.Next();
    } else {
      break;
    }
  }
  std::vector<uint8_t> data;
  if (lx.Peek().kind == Tok::String) {
    data = FileData(lx, lx.Next().str, numericType, line);
  } else if (Open(lx)) {
    data = RawData(lx);
  } else {
    lx.Fail("expected a file name or BEGIN");
  }
  Add(lx, type, name, language, std::move(data), line);
}

// Inline data: numbers are 16-bit words (32-bit with an L suffix); "text" is UTF-8
// bytes, L"text" UTF-16 units; neither gets a terminator unless written ("\0").
std::vector<uint8_t> Compiler::RawData(Lexer& lx) {
  std::vector<uint8_t> out;
  while (!Close(lx)) {
    const Token& p = lx.Peek();
    if (p.kind == Tok::End) lx.Fail("data without END");
    if (p.kind == Tok::String) {
      Token s = lx.Next();
      if (s.wide) {
        for (char16_t c : s.str) out.push_back(static_cast<uint8_t>(c)), out.push_back(static_cast<uint8_t>(c >> 8));
      } else {
        std::string bytes = Narrow(s.str);
        out.insert(out.end(), bytes.begin(), bytes.end());
      }
    } else {
      bool wide = p.kind == Tok::Number && p.wide;
      uint32_t v = Expr(lx);
      int n = wide ? 4 : 2;
      for (int k = 0; k < n; ++k) out.push_back(static_cast<uint8_t>(v >> (8 * k)));
    }
    if (lx.IsPunct(',')) lx.Next();
  }
  return out;
}

std::vector<uint8_t> Compiler::FileData(Lexer& lx, const std::u16string& name, uint16_t type, int line) {
  std::string file = Narrow(name);
  for (auto& c : file)
    if (c == '\\') c = '/';
  std::string path = !file.empty() && file[0] == '/' ? file : folder_ + "/" + file;
  bool ok = false;
  std::string bytes = ReadFile(path, &ok);
  if (!ok) lx.Fail("cannot read " + path, line);
  inputs_.push_back(path);
  std::vector<uint8_t> data(bytes.begin(), bytes.end());
  // A bitmap resource is the .bmp file without its 14-byte file header.
  if (type == kTypeBitmap) {
    if (data.size() < 14 + 40 || data[0] != 'B' || data[1] != 'M') lx.Fail(path + " is not a .bmp file", line);
    data.erase(data.begin(), data.begin() + 14);
  }
  return data;
}

void Compiler::Add(Lexer& lx, const ResId& type, const ResId& name, uint16_t language, std::vector<uint8_t> data,
                   int line) {
  if (data.size() > 0xFFFFFFF0u) lx.Fail("resource too large", line);
  if (writer_.Contains(type, name, language)) lx.Fail("resource defined twice", line);
  writer_.Add(type, name, language, std::move(data));
}

std::vector<uint8_t> Compiler::Build() const {
  kx2::rsrc::ContainerWriter out = writer_;
  for (const auto& [language, table] : strings_) {
    std::map<uint16_t, std::u16string[16]> blocks;
    for (const auto& [id, text] : table) blocks[static_cast<uint16_t>(id / 16 + 1)][id % 16] = text;
    for (const auto& [block, texts] : blocks) {
      if (out.Contains(kTypeString, block, language))
        throw SourceError("string block " + std::to_string(block) + " defined twice");
      out.Add(kTypeString, block, language, kx2::rsrc::ContainerWriter::StringBlock(texts));
    }
  }
  return out.Build();
}

}  // namespace kx2rc

// The DIALOG and DIALOGEX statements: parsed into the templates the dialog manager reads
// (win/dialog.h), with Windows' resource compiler's default styles for each control
// statement.
#include <string>
#include <vector>

#include "Compiler.h"
#include "TemplateBytes.h"

namespace kx2rc {
namespace {

// A class or title: text, or an ordinal written as 0xFFFF and the number.
struct NameField {
  bool ordinal = false;
  uint16_t value = 0;
  std::u16string text;

  void Write(Bytes& out) const {
    if (ordinal) {
      out.Word(0xFFFF);
      out.Word(value);
    } else {
      out.Text(text);
    }
  }
};

// The predefined classes the templates name by ordinal.
bool PredefinedClass(const std::string& upper, uint16_t* ordinal) {
  static const std::pair<const char*, uint16_t> kClasses[] = {
      {"BUTTON", 0x80}, {"EDIT", 0x81}, {"STATIC", 0x82}, {"LISTBOX", 0x83}, {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85}};
  for (const auto& [name, value] : kClasses) {
    if (upper == name) {
      *ordinal = value;
      return true;
    }
  }
  return false;
}

NameField ClassOrdinal(uint16_t value) { return NameField{true, value, {}}; }

}  // namespace

struct Compiler::Control {
  uint32_t helpId = 0;
  uint32_t exStyle = 0;
  uint32_t style = 0;
  uint32_t x = 0, y = 0, cx = 0, cy = 0;
  uint32_t id = 0;
  NameField className;
  NameField text;
};

namespace {

constexpr uint32_t kChildVisible = 0x50000000;  // WS_CHILD | WS_VISIBLE
constexpr uint32_t kTabStop = 0x00010000, kGroup = 0x00020000, kBorder = 0x00800000;

// A statement with a text, and the class and style it stands for.
struct TextStatement {
  const char* word;
  uint16_t classOrdinal;
  uint32_t style;
};
constexpr TextStatement kTextStatements[] = {
    {"LTEXT", 0x82, kGroup | 0x0},
    {"CTEXT", 0x82, kGroup | 0x1},
    {"RTEXT", 0x82, kGroup | 0x2},
    {"PUSHBUTTON", 0x80, kTabStop | 0x0},
    {"DEFPUSHBUTTON", 0x80, kTabStop | 0x1},
    {"CHECKBOX", 0x80, kTabStop | 0x2},
    {"AUTOCHECKBOX", 0x80, kTabStop | 0x3},
    {"RADIOBUTTON", 0x80, 0x4},
    {"STATE3", 0x80, kTabStop | 0x5},
    {"AUTO3STATE", 0x80, kTabStop | 0x6},
    {"GROUPBOX", 0x80, 0x7},
    {"AUTORADIOBUTTON", 0x80, 0x9},
    {"PUSHBOX", 0x80, kTabStop | 0xA},
};
// Statements without a text.
constexpr TextStatement kPlainStatements[] = {
    {"EDITTEXT", 0x81, kTabStop | kBorder},  // ES_LEFT
    {"COMBOBOX", 0x85, kTabStop | 0x1},      // CBS_SIMPLE
    {"LISTBOX", 0x83, kBorder | 0x1},        // LBS_NOTIFY
    {"SCROLLBAR", 0x84, 0x0},                // SBS_HORZ
};

}  // namespace

// name DIALOG[EX] x, y, cx, cy [, help id] options BEGIN controls END
std::vector<uint8_t> Compiler::Dialog(Lexer& lx, bool extended, uint16_t* language) {
  SkipOptions(lx, language);
  const uint32_t x = Expr(lx);
  Comma(lx, "DIALOG");
  const uint32_t y = Expr(lx);
  Comma(lx, "DIALOG");
  const uint32_t cx = Expr(lx);
  Comma(lx, "DIALOG");
  const uint32_t cy = Expr(lx);
  uint32_t helpId = 0;
  if (OptionalComma(lx)) {
    if (!extended) lx.Fail("a help id needs DIALOGEX");
    helpId = Expr(lx);
  }
  uint32_t style = 0x80880000;  // WS_POPUP | WS_BORDER | WS_SYSMENU
  uint32_t exStyle = 0;
  bool hasCaption = false, hasFont = false;
  std::u16string caption, face;
  uint32_t points = 0, weight = 0, italic = 0, charSet = 1;
  NameField menu, className;
  bool hasMenu = false, hasClass = false;
  while (!Open(lx)) {
    const Token& t = lx.Peek();
    if (t.kind != Tok::Ident) lx.Fail("expected a dialog option or BEGIN");
    const std::string word = Upper(t.text);
    lx.Next();
    if (word == "STYLE") {
      style = StyleExpr(lx, 0);
    } else if (word == "EXSTYLE") {
      exStyle = StyleExpr(lx, 0);
    } else if (word == "CAPTION") {
      caption = Text(lx, "CAPTION");
      hasCaption = true;
    } else if (word == "FONT") {
      points = Expr(lx);
      Comma(lx, "FONT");
      face = Text(lx, "FONT");
      hasFont = true;
      if (OptionalComma(lx)) {
        if (!extended) lx.Fail("a font weight needs DIALOGEX");
        weight = Expr(lx);
        if (OptionalComma(lx)) italic = Expr(lx);
        if (OptionalComma(lx)) charSet = Expr(lx);
      }
    } else if (word == "MENU" || word == "CLASS") {
      NameField& field = word == "MENU" ? menu : className;
      (word == "MENU" ? hasMenu : hasClass) = true;
      if (lx.Peek().kind == Tok::String) {
        field.text = Text(lx, word.c_str());
      } else if (lx.Peek().kind == Tok::Ident && !defines_.count(lx.Peek().text)) {
        field.text = kx2::rsrc::UpperName(Widen(lx.Next().text));
      } else {
        field.ordinal = true;
        field.value = static_cast<uint16_t>(Expr(lx));
      }
    } else if (word == "LANGUAGE") {
      Language(lx, language);
    } else if (word == "CHARACTERISTICS" || word == "VERSION") {
      Expr(lx);
    } else {
      lx.Fail("unknown dialog option " + t.text);
    }
  }
  if (hasCaption) style |= 0x00C00000;  // WS_CAPTION
  if (hasFont) style |= 0x40;           // DS_SETFONT

  std::vector<Control> controls;
  while (!Close(lx)) {
    if (lx.Peek().kind == Tok::End) lx.Fail("DIALOG without END");
    controls.push_back(DialogControl(lx, extended));
  }
  if (controls.size() > 0xFFFF) lx.Fail("too many controls");

  Bytes out;
  if (extended) {
    out.Word(1);
    out.Word(0xFFFF);
    out.Dword(helpId);
    out.Dword(exStyle);
    out.Dword(style);
  } else {
    out.Dword(style);
    out.Dword(exStyle);
  }
  out.Word(static_cast<uint32_t>(controls.size()));
  out.Word(x);
  out.Word(y);
  out.Word(cx);
  out.Word(cy);
  if (hasMenu)
    menu.Write(out);
  else
    out.Word(0);
  if (hasClass)
    className.Write(out);
  else
    out.Word(0);
  out.Text(caption);
  if (hasFont) {
    out.Word(points);
    if (extended) {
      out.Word(weight);
      out.Word((italic & 0xFF) | ((charSet & 0xFF) << 8));
    }
    out.Text(face);
  }
  for (const Control& c : controls) {
    out.Align4();
    if (extended) {
      out.Dword(c.helpId);
      out.Dword(c.exStyle);
      out.Dword(c.style);
    } else {
      out.Dword(c.style);
      out.Dword(c.exStyle);
    }
    out.Word(c.x);
    out.Word(c.y);
    out.Word(c.cx);
    out.Word(c.cy);
    if (extended)
      out.Dword(c.id);
    else
      out.Word(c.id);
    c.className.Write(out);
    c.text.Write(out);
    out.Word(0);  // no creation data
  }
  return out.Take();
}

// One control statement of a dialog.
Compiler::Control Compiler::DialogControl(Lexer& lx, bool extended) {
  Token t = lx.Next();
  if (t.kind != Tok::Ident) lx.Fail("expected a control statement", t.line);
  const std::string word = Upper(t.text);
  Control c;
  auto textOrOrdinal = [&] {
    NameField field;
    if (lx.Peek().kind == Tok::String) {
      field.text = Text(lx, word.c_str());
    } else {
      field.ordinal = true;
      field.value = static_cast<uint16_t>(Expr(lx));
    }
    return field;
  };
  auto rectangle = [&](bool sizeOptional) {
    c.x = Expr(lx);
    Comma(lx, word.c_str());
    c.y = Expr(lx);
    if (sizeOptional && !lx.IsPunct(',')) return;
    Comma(lx, word.c_str());
    c.cx = Expr(lx);
    Comma(lx, word.c_str());
    c.cy = Expr(lx);
  };
  // [, style [, extended style [, help id]]]
  auto tail = [&](uint32_t base) {
    c.style = base;
    if (!OptionalComma(lx)) return;
    c.style = StyleExpr(lx, base);
    if (!OptionalComma(lx)) return;
    c.exStyle = StyleExpr(lx, 0);
    if (extended && OptionalComma(lx)) c.helpId = Expr(lx);
  };

  if (word == "CONTROL") {
    c.text = textOrOrdinal();
    Comma(lx, "CONTROL");
    c.id = Expr(lx);
    Comma(lx, "CONTROL");
    uint16_t ordinal = 0;
    if (lx.Peek().kind == Tok::String) {
      const std::u16string name = Text(lx, "CONTROL");
      std::string upper(name.begin(), name.end());
      if (PredefinedClass(Upper(upper), &ordinal))
        c.className = ClassOrdinal(ordinal);
      else
        c.className.text = name;
    } else if (lx.Peek().kind == Tok::Ident && PredefinedClass(Upper(lx.Peek().text), &ordinal)) {
      lx.Next();
      c.className = ClassOrdinal(ordinal);
    } else if (lx.Peek().kind == Tok::Ident) {
      c.className.text = Widen(lx.Next().text);
    } else {
      c.className = ClassOrdinal(static_cast<uint16_t>(Expr(lx)));
    }
    Comma(lx, "CONTROL");
    c.style = StyleExpr(lx, kChildVisible);
    Comma(lx, "CONTROL");
    rectangle(false);
    if (OptionalComma(lx)) {
      c.exStyle = StyleExpr(lx, 0);
      if (extended && OptionalComma(lx)) c.helpId = Expr(lx);
    }
    return c;
  }
  if (word == "ICON") {
    c.text = textOrOrdinal();
    Comma(lx, "ICON");
    c.id = Expr(lx);
    Comma(lx, "ICON");
    rectangle(true);
    c.className = ClassOrdinal(0x82);
    tail(kChildVisible | 0x3);  // SS_ICON
    return c;
  }
  for (const TextStatement& s : kTextStatements) {
    if (word != s.word) continue;
    c.text = textOrOrdinal();
    Comma(lx, s.word);
    c.id = Expr(lx);
    Comma(lx, s.word);
    rectangle(false);
    c.className = ClassOrdinal(s.classOrdinal);
    tail(kChildVisible | s.style);
    return c;
  }
  for (const TextStatement& s : kPlainStatements) {
    if (word != s.word) continue;
    c.id = Expr(lx);
    Comma(lx, s.word);
    rectangle(false);
    c.className = ClassOrdinal(s.classOrdinal);
    tail(kChildVisible | s.style);
    return c;
  }
  lx.Fail("unknown control statement " + t.text, t.line);
}

}  // namespace kx2rc

// The MENU and MENUEX statements: parsed into the standard and extended menu templates the
// menu loader reads (win/menu.h).
#include <string>
#include <vector>

#include "Compiler.h"
#include "TemplateBytes.h"

namespace kx2rc {

struct Compiler::MenuNode {
  bool popup = false;
  bool separator = false;
  std::u16string text;
  uint32_t id = 0;
  uint32_t flags = 0;  // MENU: MF_ options; MENUEX: the type
  uint32_t state = 0;  // MENUEX
  uint32_t helpId = 0;
  std::vector<MenuNode> children;
};

namespace {

using MenuNode = Compiler::MenuNode;

void WriteMenu(Bytes& out, const std::vector<MenuNode>& items) {
  for (size_t i = 0; i < items.size(); ++i) {
    const MenuNode& item = items[i];
    uint32_t flags = item.flags | (item.popup ? 0x10u : 0u) | (i + 1 == items.size() ? 0x80u : 0u);
    out.Word(flags);
    if (!item.popup) out.Word(item.id);
    out.Text(item.text);
    if (item.popup) WriteMenu(out, item.children);
  }
}

void WriteMenuEx(Bytes& out, const std::vector<MenuNode>& items) {
  for (size_t i = 0; i < items.size(); ++i) {
    const MenuNode& item = items[i];
    out.Align4();
    out.Dword(item.flags);
    out.Dword(item.state);
    out.Dword(item.id);
    out.Word((item.popup ? 0x01u : 0u) | (i + 1 == items.size() ? 0x80u : 0u));
    out.Text(item.text);
    if (item.popup) {
      out.Align4();
      out.Dword(item.helpId);
      WriteMenuEx(out, item.children);
    }
  }
}

}  // namespace

// name MENU[EX] options BEGIN items END
std::vector<uint8_t> Compiler::Menu(Lexer& lx, bool extended, uint16_t* language) {
  SkipOptions(lx, language);
  if (!Open(lx)) lx.Fail("MENU needs BEGIN");
  std::vector<MenuNode> items = MenuItems(lx, extended, 0);
  if (items.empty()) lx.Fail("a menu needs an item");
  Bytes out;
  if (extended) {
    out.Word(1);
    out.Word(4);
    out.Dword(0);
    WriteMenuEx(out, items);
  } else {
    out.Word(0);
    out.Word(0);
    WriteMenu(out, items);
  }
  return out.Take();
}

// The items up to END (BEGIN already read).
std::vector<Compiler::MenuNode> Compiler::MenuItems(Lexer& lx, bool extended, int depth) {
  if (depth > 32) lx.Fail("menus nested too deep");
  std::vector<MenuNode> items;
  while (!Close(lx)) {
    if (lx.Peek().kind == Tok::End) lx.Fail("MENU without END");
    Token t = lx.Next();
    const std::string word = t.kind == Tok::Ident ? Upper(t.text) : std::string();
    MenuNode item;
    if (word == "MENUITEM" && lx.IsIdent("SEPARATOR")) {
      lx.Next();
      item.separator = true;
      if (extended) item.flags = 0x800;  // MFT_SEPARATOR
      items.push_back(std::move(item));
      continue;
    }
    if (word != "MENUITEM" && word != "POPUP") lx.Fail("expected MENUITEM or POPUP", t.line);
    item.popup = word == "POPUP";
    item.text = Text(lx, word.c_str());
    if (extended) {
      // [, [id] [, [type] [, [state] [, help id]]]]: each part may be left empty.
      uint32_t* fields[] = {&item.id, &item.flags, &item.state, &item.helpId};
      const size_t count = item.popup ? 4 : 3;
      for (size_t i = 0; i < count && OptionalComma(lx); ++i)
        if (!lx.IsPunct(',') &&
            (lx.Peek().kind == Tok::Number || lx.Peek().kind == Tok::Ident || lx.IsPunct('(') || lx.IsPunct('-')) &&
            !lx.IsIdent("BEGIN"))
          *fields[i] = Expr(lx);
    } else {
      if (!item.popup) {
        Comma(lx, "MENUITEM");
        item.id = Expr(lx);
      }
      item.flags = MenuOptions(lx);
    }
    if (item.popup) {
      if (!Open(lx)) lx.Fail("POPUP needs BEGIN");
      item.children = MenuItems(lx, extended, depth + 1);
      if (item.children.empty()) lx.Fail("a POPUP needs an item");
    }
    items.push_back(std::move(item));
  }
  return items;
}

// CHECKED, GRAYED, HELP, INACTIVE, MENUBARBREAK, MENUBREAK, with or without commas.
uint32_t Compiler::MenuOptions(Lexer& lx) {
  static const std::pair<const char*, uint32_t> kOptions[] = {{"GRAYED", 0x1},     {"INACTIVE", 0x2},
                                                              {"CHECKED", 0x8},    {"MENUBARBREAK", 0x20},
                                                              {"MENUBREAK", 0x40}, {"HELP", 0x4000}};
  uint32_t flags = 0;
  for (;;) {
    const bool comma = lx.IsPunct(',');
    if (comma) lx.Next();
    bool found = false;
    for (const auto& [name, value] : kOptions) {
      if (lx.IsIdent(name)) {
        lx.Next();
        flags |= value;
        found = true;
        break;
      }
    }
    if (!found) {
      if (comma) lx.Fail("expected a menu option");
      return flags;
    }
  }
}

}  // namespace kx2rc

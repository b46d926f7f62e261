// The "Edit" control: typing and its notifications, the limit and the filtering styles,
// selection by keys and mouse with the caret following, multi-line lines and scrolling,
// the clipboard and undo, what it answers the dialog manager, and its classic look.
#include <cstring>

#include "user_textctl_test_support.h"

using comctltest::Canvas;
using textctltest::CodesFrom;
using textctltest::Owner;

namespace {

class UserEdit : public textctltest::ControlTest {
 protected:
  HWND Edit(DWORD style, RECT r = RECT{10, 10, 210, 34}, LPCWSTR text = u"") {
    return Control(u"Edit", style, r, 7, text);
  }
  static void Type(HWND h, const std::u16string& text) {
    for (char16_t c : text) SendMessageW(h, WM_CHAR, c, 1);
  }
  static void Key(HWND h, UINT vk, bool shift = false, bool control = false) {
    Kx2SetThreadKeyState(VK_SHIFT, shift ? 0x80 : 0);
    Kx2SetThreadKeyState(VK_CONTROL, control ? 0x80 : 0);
    SendMessageW(h, WM_KEYDOWN, vk, 1);
    Kx2SetThreadKeyState(VK_SHIFT, 0);
    Kx2SetThreadKeyState(VK_CONTROL, 0);
  }
  static std::pair<DWORD, DWORD> Sel(HWND h) {
    DWORD a = 0, b = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    return {a, b};
  }
  static std::u16string Line(HWND h, int line, WORD capacity = 64) {
    std::u16string buffer(capacity + 1, u'\0');
    buffer[0] = capacity;
    const auto n = SendMessageW(h, EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer.data()));
    return buffer.substr(0, static_cast<size_t>(n));
  }
};

TEST_F(UserEdit, TypingReplacingAndTheirNotifications) {
  HWND e = Edit(ES_AUTOHSCROLL, RECT{10, 10, 210, 34}, u"start");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(Text(e), u"start");
  EXPECT_TRUE(CodesFrom(7).empty()) << "creation is quiet";
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{0, 0}));
  SendMessageW(e, EM_SETSEL, 5, 5);
  Type(e, u"ed!");
  EXPECT_EQ(Text(e), u"started!");
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE, EN_UPDATE, EN_CHANGE}));
  EXPECT_TRUE(SendMessageW(e, EM_GETMODIFY, 0, 0));

  SendMessageW(e, EM_SETSEL, 0, 5);
  EXPECT_EQ(SendMessageW(e, EM_GETSEL, 0, 0), MAKELRESULT(0, 5));
  SendMessageW(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"Re"));
  EXPECT_EQ(Text(e), u"Reed!");
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{2, 2})) << "the caret follows what went in";
  SendMessageW(e, EM_SETSEL, 0, -1);
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{0, 5}));
  SendMessageW(e, EM_SETSEL, -1, 0);
  EXPECT_EQ(Sel(e).first, Sel(e).second) << "-1 takes the selection away";
  SendMessageW(e, EM_SETSEL, 3, 1);
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{1, 3})) << "reported low to high";

  // Backspace and Delete, a single-line owner setting the text notifies, a multi-line one not.
  SendMessageW(e, EM_SETSEL, 5, 5);
  Type(e, u"\b");
  Key(e, VK_HOME);
  Key(e, VK_DELETE);
  EXPECT_EQ(Text(e), u"eed");
  Owner().commands.clear();
  SetWindowTextW(e, u"new");
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{EN_UPDATE, EN_CHANGE}));
  EXPECT_FALSE(SendMessageW(e, EM_GETMODIFY, 0, 0));
  HWND m = Control(u"Edit", ES_MULTILINE, RECT{10, 40, 210, 140}, 8);
  SetWindowTextW(m, u"quiet");
  EXPECT_TRUE(CodesFrom(8).empty());
}

TEST_F(UserEdit, LimitAndFilteringStyles) {
  HWND e = Edit(ES_AUTOHSCROLL);
  SendMessageW(e, EM_LIMITTEXT, 4, 0);
  EXPECT_EQ(SendMessageW(e, EM_GETLIMITTEXT, 0, 0), 4);
  Type(e, u"abcdef");
  EXPECT_EQ(Text(e), u"abcd");
  EXPECT_EQ(CodesFrom(7).back(), EN_MAXTEXT);
  SendMessageW(e, EM_SETSEL, 0, 2);
  SendMessageW(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"XYZ"));
  EXPECT_EQ(Text(e), u"XYcd") << "what passes the limit is left out";
  SetWindowTextW(e, u"longer than four");
  EXPECT_EQ(Text(e), u"longer than four") << "the limit is the user's, not the owner's";
  SendMessageW(e, EM_LIMITTEXT, 0, 0);
  EXPECT_EQ(SendMessageW(e, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);

  struct Case {
    DWORD style;
    std::u16string typed, expected;
  };
  const Case cases[] = {
      {ES_NUMBER, u"1a2-3", u"123"},
      {ES_UPPERCASE, u"MixEd", u"MIXED"},
      {ES_LOWERCASE, u"MixEd", u"mixed"},
      {ES_READONLY, u"no", u""},
  };
  int id = 20;
  for (const Case& c : cases) {
    HWND f = Control(u"Edit", ES_AUTOHSCROLL | c.style, RECT{10, 40, 210, 64}, ++id);
    Type(f, c.typed);
    EXPECT_EQ(Text(f), c.expected) << std::hex << c.style;
  }
  // A read-only edit still takes text from its owner.
  HWND ro = Control(u"Edit", ES_READONLY, RECT{10, 70, 210, 94}, 30);
  SendMessageW(ro, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(u"owner"));
  EXPECT_EQ(Text(ro), u"owner");
  SendMessageW(ro, EM_SETREADONLY, FALSE, 0);
  EXPECT_FALSE(GetWindowLongW(ro, GWL_STYLE) & ES_READONLY);
  Type(ro, u"!");
  EXPECT_EQ(Text(ro), u"owner!");
  // Without ES_AUTOHSCROLL the text stays within the width.
  HWND narrow = Control(u"Edit", 0, RECT{10, 100, 40, 124}, 31);
  Type(narrow, u"WWWWWWWWWWWWWWWW");
  EXPECT_LT(Text(narrow).size(), 16u);
  EXPECT_EQ(CodesFrom(31).back(), EN_MAXTEXT);
}

TEST_F(UserEdit, KeysAndMouseSelectAndTheCaretFollows) {
  HWND e = Edit(ES_AUTOHSCROLL, RECT{10, 10, 210, 34}, u"one two three");
  SetFocus(e);
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{EN_SETFOCUS}));
  SIZE size{};
  BOOL shown = FALSE;
  EXPECT_EQ(Kx2GetCaretInfo(&size, &shown), e);
  EXPECT_TRUE(shown);
  POINT at0{}, at3{};
  GetCaretPos(&at0);
  Key(e, VK_END);
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{13, 13}));
  Key(e, VK_LEFT, false, true);
  EXPECT_EQ(Sel(e).second, 8u) << "Ctrl+Left goes to the word's start";
  Key(e, VK_LEFT, true, true);
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{4, 8})) << "Shift extends";
  Key(e, VK_RIGHT);
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{8, 8})) << "an arrow collapses the selection to its end";
  Key(e, VK_HOME);
  Key(e, VK_RIGHT, true);
  Key(e, VK_RIGHT, true);
  Key(e, VK_RIGHT, true);
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{0, 3}));
  GetCaretPos(&at3);
  EXPECT_GT(at3.x, at0.x);
  EXPECT_EQ(at3.x, LOWORD(SendMessageW(e, EM_POSFROMCHAR, 3, 0)));

  // A press places the caret, a drag with the button down extends, a double click takes
  // the word.
  const LRESULT p8 = SendMessageW(e, EM_POSFROMCHAR, 8, 0), p11 = SendMessageW(e, EM_POSFROMCHAR, 11, 0);
  const int y = HIWORD(p8) + 3;
  EXPECT_EQ(LOWORD(SendMessageW(e, EM_CHARFROMPOS, 0, MAKELPARAM(LOWORD(p8) + 1, y))), 8);
  const POINT press = OnScreen(e, LOWORD(p8) + 1, y), drag = OnScreen(e, LOWORD(p11) + 1, y);
  Kx2InjectMouseMove(press.x, press.y);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  Kx2InjectMouseMove(drag.x, drag.y);
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  usertest::Pump();
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{8, 11}));
  EXPECT_EQ(GetCapture(), nullptr);
  Kx2ClockAdvance(1000);
  SendMessageW(e, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(LOWORD(p8) + 1, y));
  EXPECT_EQ(Sel(e), (std::pair<DWORD, DWORD>{8, 13}));

  SetFocus(owner_);
  EXPECT_EQ(CodesFrom(7).back(), EN_KILLFOCUS);
  EXPECT_EQ(Kx2GetCaretInfo(nullptr, nullptr), nullptr) << "the caret goes with the focus";
}

TEST_F(UserEdit, MultiLineLinesWrappingAndScrolling) {
  HWND e = Control(u"Edit", ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL, RECT{10, 10, 210, 70}, 7,
                   u"first\r\nsecond line\r\n\r\nfourth");
  EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, 1, 0), 7);
  EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, 3, 0), 22);
  EXPECT_EQ(SendMessageW(e, EM_LINEINDEX, 4, 0), -1);
  EXPECT_EQ(SendMessageW(e, EM_LINELENGTH, 8, 0), 11) << "by a character of the line";
  EXPECT_EQ(SendMessageW(e, EM_LINELENGTH, 20, 0), 0) << "the empty line";
  EXPECT_EQ(SendMessageW(e, EM_LINEFROMCHAR, 22, 0), 3);
  EXPECT_EQ(Line(e, 1), u"second line");
  EXPECT_EQ(Line(e, 1, 3), u"sec") << "within the buffer's size";
  EXPECT_EQ(Line(e, 9), u"");

  // Three lines show; scrolling moves the first and the bar.
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  EXPECT_EQ(SendMessageW(e, EM_SCROLL, SB_LINEDOWN, 0), MAKELRESULT(1, TRUE));
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 1);
  EXPECT_EQ(GetScrollPos(e, SB_VERT), 1);
  SendMessageW(e, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  EXPECT_EQ(CodesFrom(7).back(), EN_VSCROLL);
  EXPECT_TRUE(SendMessageW(e, EM_LINESCROLL, 0, 2));
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 1) << "no further than the last page";
  SendMessageW(e, EM_SETSEL, 0, 0);
  SendMessageW(e, EM_SCROLLCARET, 0, 0);
  EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  // Enter makes a line break; Down keeps the column.
  SendMessageW(e, EM_SETSEL, 5, 5);
  Type(e, u"\r");
  EXPECT_EQ(SendMessageW(e, EM_GETLINECOUNT, 0, 0), 5);
  Key(e, VK_DOWN);
  EXPECT_EQ(SendMessageW(e, EM_LINEFROMCHAR, -1, 0), 2);

  // Without ES_AUTOHSCROLL the lines wrap after the last blank that fits.
  HWND w = Control(u"Edit", ES_MULTILINE | ES_AUTOVSCROLL, RECT{10, 80, 70, 200}, 8);
  SetWindowTextW(w, u"aaa bbb ccc ddd");
  EXPECT_GT(SendMessageW(w, EM_GETLINECOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageW(w, EM_LINEINDEX, 1, 0) % 4, 0) << "a wrapped line starts at a word";
  EXPECT_EQ(SendMessageW(e, EM_GETLINE, 0, 0), 0) << "a null buffer reads nothing";
}

TEST_F(UserEdit, ClipboardAndUndo) {
  HWND e = Edit(ES_AUTOHSCROLL, RECT{10, 10, 210, 34}, u"copy me");
  SendMessageW(e, EM_SETSEL, 0, 4);
  SendMessageW(e, WM_COPY, 0, 0);
  ASSERT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  SendMessageW(e, EM_SETSEL, 7, 7);
  Type(e, u" ");
  SendMessageW(e, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(e), u"copy me copy");
  SendMessageW(e, EM_SETSEL, 0, 5);
  SendMessageW(e, WM_CUT, 0, 0);
  EXPECT_EQ(Text(e), u"me copy");
  // Text the clipboard holds in the ANSI page comes out as Unicode; a single-line edit
  // takes its first line.
  ASSERT_TRUE(OpenClipboard(owner_));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 12);
  std::memcpy(GlobalLock(block), "top\r\nrest", 10);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
  SendMessageW(e, EM_SETSEL, 0, 0);
  SendMessageW(e, WM_PASTE, 0, 0);
  EXPECT_EQ(Text(e), u"topme copy");

  // One step back, and undoing the undo does it again; typing in a row is one step.
  SetWindowTextW(e, u"");
  Type(e, u"abc");
  EXPECT_TRUE(SendMessageW(e, EM_CANUNDO, 0, 0));
  EXPECT_TRUE(SendMessageW(e, EM_UNDO, 0, 0));
  EXPECT_EQ(Text(e), u"");
  SendMessageW(e, WM_UNDO, 0, 0);
  EXPECT_EQ(Text(e), u"abc");
  SendMessageW(e, EM_EMPTYUNDOBUFFER, 0, 0);
  EXPECT_FALSE(SendMessageW(e, EM_CANUNDO, 0, 0));
  EXPECT_FALSE(SendMessageW(e, EM_UNDO, 0, 0));

  // A password edit shows its character and keeps its text off the clipboard.
  HWND pw = Control(u"Edit", ES_PASSWORD | ES_AUTOHSCROLL, RECT{10, 40, 210, 64}, 8, u"secret");
  EXPECT_EQ(SendMessageW(pw, EM_GETPASSWORDCHAR, 0, 0), u'*');
  SendMessageW(pw, EM_SETSEL, 0, -1);
  SendMessageW(pw, WM_COPY, 0, 0);
  ASSERT_TRUE(OpenClipboard(owner_));
  const auto* held = static_cast<const char16_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(std::u16string(held), u"top\r\nrest");
  GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
  CloseClipboard();
  SendMessageW(pw, EM_SETPASSWORDCHAR, 0, 0);
  EXPECT_FALSE(GetWindowLongW(pw, GWL_STYLE) & ES_PASSWORD);
}

TEST_F(UserEdit, DialogCodeMarginsAndRectangles) {
  HWND single = Edit(ES_AUTOHSCROLL);
  HWND multi = Control(u"Edit", ES_MULTILINE, RECT{10, 40, 210, 140}, 8);
  HWND wantsReturn = Control(u"Edit", ES_MULTILINE | ES_WANTRETURN, RECT{10, 150, 210, 250}, 9);
  const LRESULT base = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  MSG enter{nullptr, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  MSG letter{nullptr, WM_KEYDOWN, 'A', 0, 0, {}};
  EXPECT_EQ(SendMessageW(single, WM_GETDLGCODE, 0, 0), base);
  EXPECT_EQ(SendMessageW(multi, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&letter)), base | DLGC_WANTALLKEYS);
  EXPECT_EQ(SendMessageW(multi, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&enter)), base);
  EXPECT_EQ(SendMessageW(wantsReturn, WM_GETDLGCODE, 0, reinterpret_cast<LPARAM>(&enter)), base | DLGC_WANTALLKEYS);

  SendMessageW(multi, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(5, 7));
  EXPECT_EQ(SendMessageW(multi, EM_GETMARGINS, 0, 0), MAKELRESULT(5, 7));
  RECT r{};
  SendMessageW(multi, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.right, 200 - 7);
  const RECT asked{20, 10, 120, 60};
  SendMessageW(multi, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&asked));
  SendMessageW(multi, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  EXPECT_TRUE(EqualRect(&r, &asked));
  SetWindowTextW(multi, u"x");
  EXPECT_EQ(static_cast<short>(LOWORD(SendMessageW(multi, EM_POSFROMCHAR, 0, 0))), 20);
  EXPECT_EQ(static_cast<short>(HIWORD(SendMessageW(multi, EM_POSFROMCHAR, 0, 0))), 10);
  EXPECT_EQ(SendMessageW(multi, EM_POSFROMCHAR, 5, 0), -1) << "past the text";
}

TEST_F(UserEdit, ClassicLookFromTheParentsColours) {
  HWND e = Edit(ES_AUTOHSCROLL | ES_NOHIDESEL, RECT{0, 0, 120, 24}, u"Wide");
  Canvas plain(120, 24, RGB(1, 2, 3));
  SendMessageW(e, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(plain.Dc()), PRF_CLIENT);
  EXPECT_EQ(Owner().colourAsks.back(), static_cast<UINT>(WM_CTLCOLOREDIT));
  EXPECT_TRUE(comctltest::Near(plain.At(110, 12), GetSysColor(COLOR_WINDOW)));
  // Ink of the text near its start, none past its end.
  const int end = LOWORD(SendMessageW(e, EM_POSFROMCHAR, 3, 0)) + 12;
  bool ink = false;
  for (int x = 1; x < end; ++x)
    for (int y = 4; y < 20; ++y) ink = ink || comctltest::Near(plain.At(x, y), GetSysColor(COLOR_WINDOWTEXT), 60);
  EXPECT_TRUE(ink);

  SendMessageW(e, EM_SETSEL, 0, 4);
  Canvas selected(120, 24);
  SendMessageW(e, WM_PAINT, reinterpret_cast<WPARAM>(selected.Dc()), 0);
  EXPECT_TRUE(comctltest::Near(selected.At(LOWORD(SendMessageW(e, EM_POSFROMCHAR, 1, 0)), 12 - 6),
                               GetSysColor(COLOR_HIGHLIGHT)) ||
              comctltest::Near(selected.At(LOWORD(SendMessageW(e, EM_POSFROMCHAR, 1, 0)) + 1, 12 + 5),
                               GetSysColor(COLOR_HIGHLIGHT)));

  // Read-only asks WM_CTLCOLORSTATIC and paints the dialog face; the owner's brush wins.
  SendMessageW(e, EM_SETREADONLY, TRUE, 0);
  Canvas readOnly(120, 24);
  SendMessageW(e, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(readOnly.Dc()), PRF_CLIENT);
  EXPECT_EQ(Owner().colourAsks.back(), static_cast<UINT>(WM_CTLCOLORSTATIC));
  EXPECT_TRUE(comctltest::Near(readOnly.At(110, 12), GetSysColor(COLOR_3DFACE)));
  HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
  Owner().answer = green;
  Canvas owned(120, 24);
  SendMessageW(e, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(owned.Dc()), PRF_CLIENT);
  EXPECT_TRUE(comctltest::Near(owned.At(110, 12), RGB(0, 200, 0)));
  Owner().answer = nullptr;
  DeleteObject(green);
  EnableWindow(e, FALSE);
  SendMessageW(e, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(owned.Dc()), PRF_CLIENT);
  EXPECT_EQ(Owner().colourAsks.back(), static_cast<UINT>(WM_CTLCOLORSTATIC));
}

}  // namespace

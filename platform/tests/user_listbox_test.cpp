// The "ListBox" control: items in order and found by prefix, indexes out of range, single,
// multiple and extended selection by keys and mouse with their notifications, scrolling,
// owner-drawn items, columns, and its classic look.
#include <cstdlib>
#include <string>

#include "kx2/Compositor.h"
#include "user_textctl_test_support.h"

using comctltest::Canvas;
using textctltest::CodesFrom;
using textctltest::Owner;

namespace {

class UserListBox : public textctltest::ControlTest {
 protected:
  HWND List(DWORD style, RECT r = RECT{10, 10, 160, 110}, int id = 7) { return Control(WC_LISTBOXW, style, r, id); }
  static void Fill(HWND h, std::initializer_list<const char16_t*> items) {
    for (const char16_t* s : items) SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  }
  static std::u16string Item(HWND h, int i) {
    const LRESULT n = SendMessageW(h, LB_GETTEXTLEN, i, 0);
    if (n < 0) return u"<err>";
    std::u16string s(static_cast<size_t>(n) + 1, u'\0');
    SendMessageW(h, LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data()));
    s.resize(static_cast<size_t>(n));
    return s;
  }
  static void Key(HWND h, UINT vk, bool shift = false, bool control = false) {
    Kx2SetThreadKeyState(VK_SHIFT, shift ? 0x80 : 0);
    Kx2SetThreadKeyState(VK_CONTROL, control ? 0x80 : 0);
    SendMessageW(h, WM_KEYDOWN, vk, 1);
    Kx2SetThreadKeyState(VK_SHIFT, 0);
    Kx2SetThreadKeyState(VK_CONTROL, 0);
  }
  static std::vector<int> Selected(HWND h) {
    int items[64];
    const LRESULT n = SendMessageW(h, LB_GETSELITEMS, 64, reinterpret_cast<LPARAM>(items));
    return n < 0 ? std::vector<int>{-1} : std::vector<int>(items, items + n);
  }
  // Clicks the middle of an item, with the modifiers down meanwhile.
  void ClickItem(HWND h, int index, bool shift = false, bool control = false) {
    RECT r{};
    SendMessageW(h, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    const POINT p = OnScreen(h, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    if (shift) Kx2InjectKey(VK_SHIFT, TRUE);
    if (control) Kx2InjectKey(VK_CONTROL, TRUE);
    Kx2InjectClick(p.x, p.y, VK_LBUTTON);
    if (control) Kx2InjectKey(VK_CONTROL, FALSE);
    if (shift) Kx2InjectKey(VK_SHIFT, FALSE);
    usertest::Pump();
  }
};

TEST_F(UserListBox, SortedItemsAndPrefixSearches) {
  HWND h = List(LBS_SORT | LBS_HASSTRINGS);
  Fill(h, {u"pear", u"Apple", u"banana", u"apricot"});
  EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(Item(h, 0), u"Apple") << "order without regard to case";
  EXPECT_EQ(Item(h, 1), u"apricot");
  EXPECT_EQ(Item(h, 3), u"pear");
  EXPECT_EQ(SendMessageW(h, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>(u"zz")), 1) << "inserting never sorts";
  EXPECT_EQ(SendMessageW(h, LB_INSERTSTRING, -1, reinterpret_cast<LPARAM>(u"end")), 5);

  auto find = [&](UINT m, int start, const char16_t* s) {
    return SendMessageW(h, m, start, reinterpret_cast<LPARAM>(s));
  };
  EXPECT_EQ(find(LB_FINDSTRING, -1, u"AP"), 0);
  EXPECT_EQ(find(LB_FINDSTRING, 0, u"ap"), 2) << "the search starts after the given item";
  EXPECT_EQ(find(LB_FINDSTRING, 2, u"ap"), 0) << "and wraps round";
  EXPECT_EQ(find(LB_FINDSTRINGEXACT, -1, u"PEAR"), 4);
  EXPECT_EQ(find(LB_FINDSTRINGEXACT, -1, u"pea"), LB_ERR);

  SendMessageW(h, LB_SETCURSEL, 4, 0);
  EXPECT_EQ(SendMessageW(h, LB_DELETESTRING, 1, 0), 5) << "answers the items left";
  EXPECT_EQ(SendMessageW(h, LB_GETCURSEL, 0, 0), 3) << "the choice moves with its item";
  EXPECT_EQ(find(LB_SELECTSTRING, -1, u"ban"), 2);
  EXPECT_EQ(SendMessageW(h, LB_GETCURSEL, 0, 0), 2);
  SendMessageW(h, LB_DELETESTRING, 2, 0);
  EXPECT_EQ(SendMessageW(h, LB_GETCURSEL, 0, 0), LB_ERR) << "deleting the chosen item leaves no choice";
  SendMessageW(h, LB_SETITEMDATA, 0, 0x1234);
  EXPECT_EQ(SendMessageW(h, LB_GETITEMDATA, 0, 0), 0x1234);
  SendMessageW(h, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 0);
  EXPECT_TRUE(CodesFrom(7).empty()) << "the LB_ messages notify nothing";
}

TEST_F(UserListBox, IndexesOutOfRangeAnswerLbErrAndChangeNothing) {
  HWND single = List(LBS_NOTIFY);
  Fill(single, {u"a", u"b", u"c"});
  SendMessageW(single, LB_SETCURSEL, 1, 0);
  HWND multi = List(LBS_EXTENDEDSEL, RECT{170, 10, 300, 110}, 8);
  Fill(multi, {u"a", u"b"});
  RECT r{};
  char16_t buffer[16] = {};
  int items[4] = {};
  struct Case {
    const char* what;
    HWND h;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  const Case cases[] = {
      {"LB_GETTEXT past the end", single, LB_GETTEXT, 3, reinterpret_cast<LPARAM>(buffer)},
      {"LB_GETTEXTLEN below 0", single, LB_GETTEXTLEN, static_cast<WPARAM>(-2), 0},
      {"LB_DELETESTRING", single, LB_DELETESTRING, 3, 0},
      {"LB_INSERTSTRING past the end", single, LB_INSERTSTRING, 4, reinterpret_cast<LPARAM>(u"x")},
      {"LB_GETITEMDATA", single, LB_GETITEMDATA, 3, 0},
      {"LB_SETITEMDATA", single, LB_SETITEMDATA, 7, 5},
      {"LB_SETCURSEL", single, LB_SETCURSEL, 3, 0},
      {"LB_GETSEL", single, LB_GETSEL, 3, 0},
      {"LB_SETTOPINDEX", single, LB_SETTOPINDEX, 3, 0},
      {"LB_GETITEMRECT", single, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&r)},
      {"LB_GETITEMRECT without a rectangle", single, LB_GETITEMRECT, 0, 0},
      {"LB_SETCARETINDEX", single, LB_SETCARETINDEX, 3, 0},
      {"LB_SETANCHORINDEX", multi, LB_SETANCHORINDEX, 2, 0},
      {"LB_SETITEMHEIGHT of 256", single, LB_SETITEMHEIGHT, 0, 256},
      {"LB_FINDSTRING with no match", single, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"z")},
      {"LB_SELECTSTRING with no match", single, LB_SELECTSTRING, static_cast<WPARAM>(-1),
       reinterpret_cast<LPARAM>(u"z")},
      {"LB_SETSEL on a single list", single, LB_SETSEL, TRUE, 0},
      {"LB_GETSELCOUNT on a single list", single, LB_GETSELCOUNT, 0, 0},
      {"LB_GETSELITEMS on a single list", single, LB_GETSELITEMS, 4, reinterpret_cast<LPARAM>(items)},
      {"LB_SETSEL past the end", multi, LB_SETSEL, TRUE, 2},
      {"LB_SETCURSEL on a multiple list", multi, LB_SETCURSEL, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(SendMessageW(c.h, c.message, c.wParam, c.lParam), LB_ERR) << c.what;
  EXPECT_EQ(SendMessageW(single, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(single, LB_GETCURSEL, 0, 0), 1) << "the choice stays";
  EXPECT_EQ(SendMessageW(single, LB_GETITEMDATA, 0, 0), 0);
  EXPECT_EQ(SendMessageW(multi, LB_GETSELCOUNT, 0, 0), 0);
}

TEST_F(UserListBox, KeysChooseAndNotifyInEachSelectionMode) {
  HWND single = List(LBS_NOTIFY | WS_VSCROLL);
  Fill(single, {u"alpha", u"beta", u"gamma", u"golf", u"delta"});
  SetFocus(single);
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{LBN_SETFOCUS}));
  Owner().commands.clear();
  Key(single, VK_DOWN);
  EXPECT_EQ(SendMessageW(single, LB_GETCURSEL, 0, 0), 0) << "the first step chooses the first item";
  Key(single, VK_DOWN);
  Key(single, VK_END);
  EXPECT_EQ(SendMessageW(single, LB_GETCURSEL, 0, 0), 4);
  Key(single, VK_HOME);
  EXPECT_EQ(SendMessageW(single, LB_GETCURSEL, 0, 0), 0);
  Key(single, VK_HOME);  // no change, no notification
  EXPECT_EQ(CodesFrom(7), (std::vector<int>(4, LBN_SELCHANGE)));
  SendMessageW(single, WM_CHAR, u'g', 0);
  EXPECT_EQ(SendMessageW(single, LB_GETCURSEL, 0, 0), 2) << "a letter finds the next item it begins";
  SendMessageW(single, WM_CHAR, u'o', 0);
  EXPECT_EQ(SendMessageW(single, LB_GETCURSEL, 0, 0), 3) << "letters typed together make a prefix";
  Kx2ClockAdvance(2000);
  SendMessageW(single, WM_CHAR, u'g', 0);
  EXPECT_EQ(SendMessageW(single, LB_GETCURSEL, 0, 0), 2) << "after a pause a letter starts again";
  Owner().commands.clear();
  SendMessageW(single, LB_SETCURSEL, 1, 0);
  EXPECT_TRUE(CodesFrom(7).empty());

  HWND extended = List(LBS_EXTENDEDSEL | LBS_NOTIFY, RECT{170, 10, 300, 110}, 8);
  Fill(extended, {u"a", u"b", u"c", u"d", u"e"});
  SetFocus(extended);
  Key(extended, VK_DOWN);
  Key(extended, VK_DOWN, true);
  Key(extended, VK_DOWN, true);
  EXPECT_EQ(Selected(extended), (std::vector<int>{1, 2, 3})) << "Shift extends from the anchor";
  Key(extended, VK_UP, true);
  EXPECT_EQ(Selected(extended), (std::vector<int>{1, 2}));
  Key(extended, VK_END, false, true);
  EXPECT_EQ(SendMessageW(extended, LB_GETCARETINDEX, 0, 0), 4) << "Control moves the caret alone";
  Key(extended, VK_SPACE, false, true);
  EXPECT_EQ(Selected(extended), (std::vector<int>{1, 2, 4})) << "Control+Space toggles";
  Key(extended, VK_HOME);
  EXPECT_EQ(Selected(extended), (std::vector<int>{0}));

  HWND multiple = List(LBS_MULTIPLESEL, RECT{10, 120, 160, 220}, 9);
  Fill(multiple, {u"a", u"b", u"c"});
  SetFocus(multiple);
  Key(multiple, VK_DOWN);
  EXPECT_EQ(Selected(multiple), std::vector<int>{}) << "the caret moves without choosing";
  Key(multiple, VK_SPACE);
  Key(multiple, VK_DOWN);
  Key(multiple, VK_SPACE);
  EXPECT_EQ(Selected(multiple), (std::vector<int>{1, 2}));
  Key(multiple, VK_SPACE);
  EXPECT_EQ(Selected(multiple), (std::vector<int>{1}));
  EXPECT_EQ(CodesFrom(9), (std::vector<int>{LBN_SETFOCUS})) << "without LBS_NOTIFY: the focus only";
}

TEST_F(UserListBox, MouseChoosesDragsAndDoubleClicks) {
  HWND single = List(LBS_NOTIFY);
  Fill(single, {u"a", u"b", u"c", u"d"});
  ClickItem(single, 2);
  EXPECT_EQ(GetFocus(), single) << "a press focuses the list";
  EXPECT_EQ(SendMessageW(single, LB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE}));
  Owner().commands.clear();
  ClickItem(single, 2);
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{LBN_DBLCLK})) << "a second click on the same item in time";

  // A drag carries the choice along.
  RECT r0{}, r3{};
  SendMessageW(single, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r0));
  SendMessageW(single, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&r3));
  Kx2ClockAdvance(1000);
  const POINT from = OnScreen(single, 5, (r0.top + r0.bottom) / 2), to = OnScreen(single, 5, (r3.top + r3.bottom) / 2);
  Kx2InjectMouseMove(from.x, from.y);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  Kx2InjectMouseMove(to.x, to.y);
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  usertest::Pump();
  EXPECT_EQ(SendMessageW(single, LB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(GetCapture(), nullptr) << "the release lets the mouse go";

  HWND extended = List(LBS_EXTENDEDSEL, RECT{170, 10, 300, 110}, 8);
  Fill(extended, {u"a", u"b", u"c", u"d", u"e"});
  Kx2ClockAdvance(1000);
  ClickItem(extended, 1);
  Kx2ClockAdvance(1000);
  ClickItem(extended, 3, true);
  EXPECT_EQ(Selected(extended), (std::vector<int>{1, 2, 3})) << "Shift+click chooses the range";
  Kx2ClockAdvance(1000);
  ClickItem(extended, 2, false, true);
  EXPECT_EQ(Selected(extended), (std::vector<int>{1, 3})) << "Control+click toggles";
  const LRESULT hit = SendMessageW(extended, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 95));
  EXPECT_NE(HIWORD(hit), 0) << "below the last item";
  EXPECT_EQ(LOWORD(hit), 4);
}

TEST_F(UserListBox, ScrollsToTheCaretWithItsOwnBar) {
  HWND h = List(WS_VSCROLL | WS_BORDER, RECT{10, 10, 160, 97});
  for (int i = 0; i < 20; ++i) {
    const std::u16string s = u"item " + std::u16string(1, static_cast<char16_t>(u'A' + i));
    SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  }
  const int height = static_cast<int>(SendMessageW(h, LB_GETITEMHEIGHT, 0, 0));
  ASSERT_GT(height, 0);
  RECT client{};
  GetClientRect(h, &client);
  EXPECT_EQ(client.bottom % height, 0) << "the list keeps whole items only";
  const int visible = client.bottom / height;
  SendMessageW(h, LB_SETCURSEL, 15, 0);
  EXPECT_EQ(SendMessageW(h, LB_GETTOPINDEX, 0, 0), 15 - visible + 1) << "the chosen item is shown";
  SCROLLINFO si{sizeof si, SIF_ALL};
  GetScrollInfo(h, SB_VERT, &si);
  EXPECT_EQ(si.nMax, 19);
  EXPECT_EQ(static_cast<int>(si.nPage), visible);
  EXPECT_EQ(si.nPos, 15 - visible + 1);
  SendMessageW(h, WM_VSCROLL, SB_TOP, 0);
  SendMessageW(h, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(SendMessageW(h, LB_GETTOPINDEX, 0, 0), 1);
  SendMessageW(h, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(SendMessageW(h, LB_GETTOPINDEX, 0, 0), 20 - visible);
  RECT r{};
  SendMessageW(h, LB_GETITEMRECT, 19, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.bottom, client.bottom) << "the last item at the bottom";

  HWND columns = List(LBS_MULTICOLUMN | LBS_NOINTEGRALHEIGHT, RECT{170, 10, 370, 10 + 3 * height}, 8);
  SendMessageW(columns, LB_SETCOLUMNWIDTH, 50, 0);
  for (int i = 0; i < 10; ++i) SendMessageW(columns, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"c"));
  SendMessageW(columns, LB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.left, 50) << "three to a column";
  EXPECT_EQ(r.top, height);
  EXPECT_EQ(GetListBoxInfo(columns), 3u);
}

TEST_F(UserListBox, OwnerDrawnItemsAreMeasuredOrderedDrawnAndDeleted) {
  HWND variable = List(LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_NOTIFY);
  Fill(variable, {u"one", u"two", u"three"});
  EXPECT_EQ(Owner().measured, 3) << "each item is measured as it comes";
  EXPECT_EQ(SendMessageW(variable, LB_GETITEMHEIGHT, 1, 0), 21);
  RECT r{};
  SendMessageW(variable, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.top, 20 + 21);
  EXPECT_EQ(r.bottom, 20 + 21 + 20);
  EXPECT_EQ(SendMessageW(variable, LB_GETITEMHEIGHT, 3, 0), LB_ERR);
  SendMessageW(variable, LB_SETCURSEL, 1, 0);
  Canvas canvas(150, 100);
  SendMessageW(variable, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  ASSERT_EQ(Owner().drawn.size(), 3u);
  EXPECT_EQ(Owner().drawn[1].itemID, 1u);
  EXPECT_EQ(Owner().drawn[1].CtlType, static_cast<UINT>(ODT_LISTBOX));
  EXPECT_EQ(Owner().drawn[1].itemState & ODS_SELECTED, static_cast<UINT>(ODS_SELECTED));
  EXPECT_EQ(Owner().drawn[0].itemState & ODS_SELECTED, 0u);
  EXPECT_EQ(Owner().drawn[2].rcItem.top, 41);

  // Without strings the owner orders the items and hears of each one leaving.
  HWND data = List(LBS_OWNERDRAWFIXED | LBS_SORT, RECT{170, 10, 300, 110}, 8);
  for (LPARAM v : {30, 10, 20}) SendMessageW(data, LB_ADDSTRING, 0, v);
  EXPECT_GT(Owner().compared, 0);
  EXPECT_EQ(SendMessageW(data, LB_GETITEMDATA, 0, 0), 10);
  EXPECT_EQ(SendMessageW(data, LB_GETITEMDATA, 2, 0), 30);
  EXPECT_EQ(SendMessageW(data, LB_FINDSTRING, static_cast<WPARAM>(-1), 20), 1) << "found by its data";
  SendMessageW(data, LB_DELETESTRING, 0, 0);
  ASSERT_EQ(Owner().deleted.size(), 1u);
  EXPECT_EQ(Owner().deleted[0].itemData, 10u);
  DestroyWindow(data);
  EXPECT_EQ(Owner().deleted.size(), 3u) << "destroying the list deletes what is left";
}

TEST_F(UserListBox, ClassicLookAsksTheParentAndHighlightsTheChoice) {
  HWND h = List(LBS_NOTIFY, RECT{10, 10, 160, 110});
  Fill(h, {u"WWWW", u"WWWW", u"WWWW"});
  SendMessageW(h, LB_SETCURSEL, 1, 0);
  SetFocus(h);
  const int height = static_cast<int>(SendMessageW(h, LB_GETITEMHEIGHT, 0, 0));
  Canvas canvas(150, 100, RGB(1, 2, 3));
  SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  ASSERT_FALSE(Owner().colourAsks.empty());
  EXPECT_EQ(Owner().colourAsks.back(), static_cast<UINT>(WM_CTLCOLORLISTBOX));
  EXPECT_EQ(canvas.At(140, 3 * height + 5), GetSysColor(COLOR_WINDOW)) << "the face below the items";
  EXPECT_EQ(canvas.At(140, height + height / 2), GetSysColor(COLOR_HIGHLIGHT)) << "the chosen item";
  EXPECT_EQ(canvas.At(140, height / 2), GetSysColor(COLOR_WINDOW));
  bool text = false, litText = false;
  for (int x = 2; x < 60; ++x) {
    text |= canvas.At(x, height / 2) == GetSysColor(COLOR_WINDOWTEXT);
    litText |= canvas.At(x, height + height / 2) == GetSysColor(COLOR_HIGHLIGHTTEXT);
  }
  EXPECT_TRUE(text) << "item text in the window text colour";
  EXPECT_TRUE(litText) << "the chosen item's text in the highlight text colour";
  EXPECT_NE(canvas.At(0, height), canvas.At(140, height + height / 2)) << "the focus rectangle at the corner";

  // A parent's own brush, and grey text when disabled.
  Owner().answer = CreateSolidBrush(RGB(0, 128, 0));
  EnableWindow(h, FALSE);
  SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(140, 3 * height + 5), RGB(0, 128, 0));
  bool grey = false;
  for (int x = 2; x < 60; ++x) grey |= canvas.At(x, height / 2) == GetSysColor(COLOR_GRAYTEXT);
  EXPECT_TRUE(grey);
  DestroyWindow(h);
  DeleteObject(Owner().answer);
  Owner().answer = nullptr;
}

}  // namespace

// The "ComboBox" control: a drop-down box opening its list on a click and reporting it
// dropped, choosing by the mouse and keys with the notifications in order, its edit field,
// indexes out of range, the simple style, and its classic look.
#include <cairo.h>

#include <cstdlib>
#include <string>

#include "dialog_test_support.h"
#include "kx2/Compositor.h"
#include "user_textctl_test_support.h"

using comctltest::Canvas;
using textctltest::CodesFrom;
using textctltest::Owner;

namespace {

class UserComboBox : public textctltest::ControlTest {
 protected:
  HWND Combo(DWORD style, RECT r = RECT{10, 10, 160, 150}, int id = 7) {
    HWND h = Control(WC_COMBOBOXW, style | WS_VSCROLL, r, id);
    for (const char16_t* s : {u"red", u"green", u"blue", u"black"})
      SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    return h;
  }
  static COMBOBOXINFO InfoOf(HWND h) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetComboBoxInfo(h, &info));
    return info;
  }
  void Click(HWND h, POINT client) {
    const POINT p = OnScreen(h, client.x, client.y);
    Kx2InjectClick(p.x, p.y, VK_LBUTTON);
    usertest::Pump();
    Kx2ClockAdvance(1000);  // no double clicks between steps
  }
  static std::u16string Text(HWND h) { return ControlTest::Text(h); }
  static void Key(HWND h, UINT vk, bool alt = false) {
    SendMessageW(h, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, alt ? (1 << 29) : 0);
  }
};

TEST_F(UserComboBox, ADropDownOpensOnAClickOnItsButtonAndTakesTheItemClicked) {
  HWND h = Combo(CBS_DROPDOWN);
  ASSERT_NE(h, nullptr);
  const COMBOBOXINFO info = InfoOf(h);
  ASSERT_NE(info.hwndItem, h);
  EXPECT_EQ(GetDlgCtrlID(info.hwndItem), KX2_COMBO_EDIT_ID);
  RECT box{};
  GetClientRect(h, &box);
  EXPECT_EQ(box.bottom, SendMessageW(h, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0) + 6)
      << "the box is as high as its field; the rest was the list's";
  EXPECT_FALSE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_FALSE(IsWindowVisible(info.hwndList));

  Click(h, POINT{(info.rcButton.left + info.rcButton.right) / 2, (info.rcButton.top + info.rcButton.bottom) / 2});
  EXPECT_TRUE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_TRUE(IsWindowVisible(info.hwndList));
  EXPECT_EQ(GetCapture(), info.hwndList) << "the dropped list holds the mouse";
  EXPECT_EQ(GetFocus(), info.hwndItem) << "the focus stays in the edit field";
  RECT list{}, field{};
  GetWindowRect(info.hwndList, &list);
  GetWindowRect(h, &field);
  EXPECT_EQ(list.top, field.bottom);
  EXPECT_EQ(list.left, field.left);
  RECT dropped{};
  SendMessageW(h, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  EXPECT_EQ(dropped.bottom - dropped.top, 140) << "the height the box was made with";

  RECT item{};
  SendMessageW(info.hwndList, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  Click(info.hwndList, POINT{5, (item.top + item.bottom) / 2});
  EXPECT_FALSE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_FALSE(IsWindowVisible(info.hwndList));
  EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(Text(h), u"blue");
  EXPECT_EQ(Text(info.hwndItem), u"blue");
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));

  // A press outside gives up.
  Owner().commands.clear();
  SendMessageW(h, CB_SHOWDROPDOWN, TRUE, 0);
  Click(owner_, POINT{350, 250});
  EXPECT_FALSE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(UserComboBox, KeysDropMoveTakeAndGiveUpTheChoice) {
  HWND h = Combo(CBS_DROPDOWNLIST);
  SetFocus(h);
  Owner().commands.clear();
  Key(h, VK_DOWN);
  EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), 0) << "a closed list's box chooses with the arrows";
  EXPECT_EQ(Text(h), u"red");
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{CBN_SELCHANGE}));

  Owner().commands.clear();
  Key(h, VK_F4);
  EXPECT_TRUE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0));
  MSG enter{h, WM_KEYDOWN, VK_RETURN, 0};
  EXPECT_TRUE(SendMessageW(h, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE)
      << "a dropped list keeps Enter from the dialog";
  Key(h, VK_DOWN);
  Key(h, VK_DOWN);
  EXPECT_EQ(Text(h), u"blue");
  Key(h, VK_ESCAPE);
  EXPECT_FALSE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), 0) << "Esc goes back to the choice before dropping";
  EXPECT_EQ(Text(h), u"red");
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELENDCANCEL, CBN_SELCHANGE,
                                            CBN_CLOSEUP}));
  EXPECT_FALSE(SendMessageW(h, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE);

  Owner().commands.clear();
  Key(h, VK_DOWN, true);
  EXPECT_TRUE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0)) << "Alt+Down drops";
  Key(h, VK_END);
  Key(h, VK_RETURN);
  EXPECT_FALSE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(SendMessageW(h, CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));

  SendMessageW(h, WM_CHAR, u'g', 0);
  EXPECT_EQ(Text(h), u"green") << "a letter finds its item";

  // Losing the focus closes the list and says so last.
  Owner().commands.clear();
  SendMessageW(h, CB_SHOWDROPDOWN, TRUE, 0);
  SetFocus(owner_);
  EXPECT_FALSE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_KILLFOCUS}));
}

TEST_F(UserComboBox, TheEditFieldTypesAndAnswersTheEditMessages) {
  HWND h = Combo(CBS_DROPDOWN | CBS_AUTOHSCROLL);
  HWND edit = GetDlgItem(h, KX2_COMBO_EDIT_ID);
  ASSERT_NE(edit, nullptr);
  SetFocus(h);
  EXPECT_EQ(GetFocus(), edit);
  Owner().commands.clear();
  SendMessageW(edit, WM_CHAR, u'g', 0);
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{CBN_EDITUPDATE, CBN_EDITCHANGE}));
  EXPECT_EQ(Text(h), u"g");
  Owner().commands.clear();
  SendMessageW(h, CB_SETCURSEL, 0, 0);
  EXPECT_EQ(Text(edit), u"red");
  EXPECT_TRUE(CodesFrom(7).empty()) << "the box's own change of the field notifies nothing";
  EXPECT_TRUE(SendMessageW(h, CB_SETEDITSEL, 0, MAKELPARAM(1, 2)));
  DWORD start = 0, end = 0;
  SendMessageW(h, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 1u);
  EXPECT_EQ(end, 2u);
  EXPECT_TRUE(SendMessageW(h, CB_LIMITTEXT, 4, 0));
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 4);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  Key(edit, VK_F4);
  EXPECT_TRUE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0)) << "F4 in the edit field drops the list";
  Key(edit, VK_ESCAPE);
  EXPECT_FALSE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(GetFocus(), edit);

  // A read-only field is coloured as a static one.
  Owner().colourAsks.clear();
  SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
  Canvas canvas(160, 40);
  SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  SendMessageW(edit, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  ASSERT_EQ(Owner().colourAsks.size(), 2u);
  EXPECT_EQ(Owner().colourAsks[0], static_cast<UINT>(WM_CTLCOLORSTATIC));
  EXPECT_EQ(Owner().colourAsks[1], static_cast<UINT>(WM_CTLCOLORSTATIC));
}

TEST_F(UserComboBox, IndexesOutOfRangeAnswerCbErr) {
  HWND list = Combo(CBS_DROPDOWNLIST);
  HWND edit = Combo(CBS_DROPDOWN, RECT{170, 10, 300, 150}, 8);
  SendMessageW(list, CB_SETCURSEL, 1, 0);
  char16_t buffer[16] = {};
  DWORD a = 0, b = 0;
  struct Case {
    const char* what;
    HWND h;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  const Case cases[] = {
      {"CB_SETCURSEL", list, CB_SETCURSEL, 4, 0},
      {"CB_GETLBTEXT", list, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(buffer)},
      {"CB_GETLBTEXTLEN", list, CB_GETLBTEXTLEN, static_cast<WPARAM>(-2), 0},
      {"CB_DELETESTRING", list, CB_DELETESTRING, 4, 0},
      {"CB_INSERTSTRING", list, CB_INSERTSTRING, 5, reinterpret_cast<LPARAM>(u"x")},
      {"CB_GETITEMDATA", list, CB_GETITEMDATA, 4, 0},
      {"CB_SETITEMDATA", list, CB_SETITEMDATA, 4, 1},
      {"CB_SETTOPINDEX", list, CB_SETTOPINDEX, 4, 0},
      {"CB_FINDSTRING with no match", list, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"z")},
      {"CB_SELECTSTRING with no match", list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(u"z")},
      {"CB_SETITEMHEIGHT of 0 for the field", list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 0},
      {"CB_GETEDITSEL without an edit", list, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&a),
       reinterpret_cast<LPARAM>(&b)},
      {"CB_SETEDITSEL without an edit", list, CB_SETEDITSEL, 0, 0},
      {"CB_LIMITTEXT without an edit", list, CB_LIMITTEXT, 3, 0},
      {"WM_SETTEXT naming no item", list, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"purple")},
      {"CB_GETDROPPEDCONTROLRECT without a rectangle", edit, CB_GETDROPPEDCONTROLRECT, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(SendMessageW(c.h, c.message, c.wParam, c.lParam), CB_ERR) << c.what;
  EXPECT_EQ(SendMessageW(list, CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 1) << "the choice stays";
  EXPECT_EQ(Text(list), u"green");
  COMBOBOXINFO wrongSize{};
  wrongSize.cbSize = sizeof wrongSize - 4;
  EXPECT_FALSE(GetComboBoxInfo(list, &wrongSize));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(UserComboBox, ASimpleBoxShowsItsListForGood) {
  HWND h = Combo(CBS_SIMPLE, RECT{10, 10, 160, 150});
  const COMBOBOXINFO info = InfoOf(h);
  EXPECT_TRUE(IsWindowVisible(info.hwndList));
  EXPECT_EQ(GetParent(info.hwndList), h);
  EXPECT_EQ(info.stateButton, static_cast<DWORD>(STATE_SYSTEM_INVISIBLE));
  RECT client{};
  GetClientRect(h, &client);
  EXPECT_EQ(client.bottom, 140) << "the box keeps the height it was made with";
  SendMessageW(h, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_FALSE(SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0));
  RECT item{};
  SendMessageW(info.hwndList, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  Click(info.hwndList, POINT{5, (item.top + item.bottom) / 2});
  EXPECT_EQ(GetFocus(), info.hwndItem) << "the list never takes the focus";
  EXPECT_EQ(Text(h), u"green");
  EXPECT_EQ(CodesFrom(7), (std::vector<int>{CBN_SETFOCUS, CBN_SELCHANGE}));
  SendMessageW(info.hwndItem, WM_CHAR, u'b', 0);
  EXPECT_EQ(SendMessageW(info.hwndList, LB_GETCURSEL, 0, 0), 2) << "typing lights the item it begins";
}

TEST_F(UserComboBox, ClassicLookOfTheFieldTheArrowAndTheFocus) {
  HWND h = Combo(CBS_DROPDOWNLIST);
  SendMessageW(h, CB_SETCURSEL, 0, 0);
  const COMBOBOXINFO info = InfoOf(h);
  RECT client{};
  GetClientRect(h, &client);
  Canvas canvas(client.right, client.bottom, RGB(1, 2, 3));
  SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  ASSERT_FALSE(Owner().colourAsks.empty());
  EXPECT_EQ(Owner().colourAsks.back(), static_cast<UINT>(WM_CTLCOLORLISTBOX));
  EXPECT_EQ(canvas.At(0, 0), GetSysColor(COLOR_3DSHADOW)) << "the sunken edge";
  EXPECT_EQ(canvas.At(client.right - 1, client.bottom - 1), GetSysColor(COLOR_3DHILIGHT));
  const RECT& field = info.rcItem;
  EXPECT_EQ(canvas.At(field.right - 2, field.top + 1), GetSysColor(COLOR_WINDOW)) << "the field's face";
  EXPECT_EQ(canvas.At(info.rcButton.left + 2, info.rcButton.top + 2), GetSysColor(COLOR_3DFACE)) << "the button's face";
  const int cx = (info.rcButton.left + info.rcButton.right) / 2, cy = (info.rcButton.top + info.rcButton.bottom) / 2;
  bool arrow = false;
  for (int y = cy - 3; y <= cy + 3; ++y) arrow |= canvas.At(cx, y) == GetSysColor(COLOR_BTNTEXT);
  EXPECT_TRUE(arrow) << "the arrow in the middle of the button";
  bool text = false;
  for (int x = field.left; x < field.left + 30; ++x)
    text |= canvas.At(x, (field.top + field.bottom) / 2) == GetSysColor(COLOR_WINDOWTEXT);
  EXPECT_TRUE(text) << "the chosen item's text";

  SetFocus(h);
  SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  EXPECT_EQ(canvas.At(field.right - 2, (field.top + field.bottom) / 2), GetSysColor(COLOR_HIGHLIGHT))
      << "with the focus the field is lit";

  EnableWindow(h, FALSE);
  Owner().colourAsks.clear();
  SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  ASSERT_FALSE(Owner().colourAsks.empty());
  EXPECT_EQ(Owner().colourAsks.back(), static_cast<UINT>(WM_CTLCOLORSTATIC)) << "a disabled box asks as a static";
}

TEST_F(UserComboBox, OwnerDrawnBoxesMeasureTheFieldAndDrawItAsTheComboBoxEdit) {
  HWND h = Combo(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS);
  EXPECT_EQ(Owner().measured, 2) << "the field (item -1) and the list's items";
  EXPECT_EQ(SendMessageW(h, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), 20);
  EXPECT_EQ(SendMessageW(h, CB_GETITEMHEIGHT, 0, 0), 20);
  SendMessageW(h, CB_SETCURSEL, 2, 0);
  SetFocus(h);
  Canvas canvas(160, 40);
  SendMessageW(h, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);
  ASSERT_EQ(Owner().drawn.size(), 1u);
  const DRAWITEMSTRUCT& field = Owner().drawn[0];
  EXPECT_EQ(field.CtlType, static_cast<UINT>(ODT_COMBOBOX));
  EXPECT_EQ(field.CtlID, 7u);
  EXPECT_EQ(field.itemID, 2u);
  EXPECT_EQ(field.itemState & (ODS_COMBOBOXEDIT | ODS_SELECTED | ODS_FOCUS),
            static_cast<UINT>(ODS_COMBOBOXEDIT | ODS_SELECTED | ODS_FOCUS));
  EXPECT_EQ(field.hwndItem, h);

  // The dropped list's items go to the same owner as the box's.
  Owner().drawn.clear();
  SendMessageW(h, CB_SHOWDROPDOWN, TRUE, 0);
  Canvas list(160, 100);
  SendMessageW(InfoOf(h).hwndList, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(list.Dc()), PRF_CLIENT);
  ASSERT_EQ(Owner().drawn.size(), 4u);
  EXPECT_EQ(Owner().drawn[2].CtlID, 7u);
  EXPECT_EQ(Owner().drawn[2].CtlType, static_cast<UINT>(ODT_COMBOBOX));
  EXPECT_EQ(Owner().drawn[2].itemState & ODS_SELECTED, static_cast<UINT>(ODS_SELECTED));
  EXPECT_EQ(Owner().drawn[2].itemState & ODS_COMBOBOXEDIT, 0u);
  SendMessageW(h, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_F(UserComboBox, AListWithNoRoomBelowDropsAbove) {
  HWND low = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{100, 980, 400, 1024}, 0, u"TextControlOwner");
  HWND h = CreateWindowExW(0, WC_COMBOBOXW, u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, 10, 5, 150, 120,
                           low, reinterpret_cast<HMENU>(UINT_PTR{9}), nullptr, nullptr);
  ASSERT_NE(h, nullptr);
  for (const char16_t* s : {u"a", u"b", u"c"}) SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendMessageW(h, CB_SHOWDROPDOWN, TRUE, 0);
  RECT box{}, list{};
  GetWindowRect(h, &box);
  GetWindowRect(InfoOf(h).hwndList, &list);
  EXPECT_EQ(list.bottom, box.top);
  EXPECT_EQ(list.bottom - list.top, 3 * SendMessageW(h, CB_GETITEMHEIGHT, 0, 0) + 2) << "as high as its items";
  SendMessageW(h, CB_SHOWDROPDOWN, FALSE, 0);
}

std::vector<int> g_dialogCommands;

INT_PTR CALLBACK CommandsProc(HWND, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) g_dialogCommands.push_back(LOWORD(wParam));
  return message == WM_INITDIALOG;
}

// Made from a template by the predefined class ordinals; Tab from the edit field goes on
// from the box; Enter closes a dropped list and only then reaches the dialog.
TEST_F(UserComboBox, InADialog) {
  dlgtest::TemplateWriter t(true, WS_POPUP | WS_VISIBLE, 0, 0, 200, 100);
  t.Add(dlgtest::Item{WS_CHILD | WS_VISIBLE | WS_TABSTOP | LBS_NOTIFY | WS_VSCROLL, 0, 5, 5, 60, 40, 20, u"", 0x83});
  t.Add(dlgtest::Item{WS_CHILD | WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWN | WS_VSCROLL, 0, 70, 5, 60, 80, 21, u"", 0x85});
  t.Add(dlgtest::Item{WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 140, 5, 50, 14, 22, u"", 0x80, u"Go"});
  const std::vector<BYTE> bytes = t.Bytes();
  g_dialogCommands.clear();
  HWND dlg =
      CreateDialogIndirectParamW(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), owner_, &CommandsProc, 0);
  ASSERT_NE(dlg, nullptr);
  HWND combo = GetDlgItem(dlg, 21);
  ASSERT_NE(combo, nullptr);
  RECT r{};
  GetWindowRect(combo, &r);
  EXPECT_LT(r.bottom - r.top, 40) << "as high as its field, whatever the template asked";
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"one"));
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"two"));
  HWND edit = GetDlgItem(combo, KX2_COMBO_EDIT_ID);
  SetFocus(edit);
  auto key = [&](UINT vk) {
    MSG msg{GetFocus(), WM_KEYDOWN, vk, 0};
    if (!IsDialogMessageW(dlg, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  };
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  key(VK_DOWN);
  key(VK_RETURN);
  EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  EXPECT_EQ(Text(edit), u"one");
  EXPECT_TRUE(g_dialogCommands.empty()) << "the Enter that closed the list";
  key(VK_RETURN);
  EXPECT_EQ(g_dialogCommands, (std::vector<int>{IDOK}));
  key(VK_TAB);
  EXPECT_EQ(GetFocus(), GetDlgItem(dlg, 22)) << "Tab goes on from the box";
  DestroyWindow(dlg);
}

// Every kind side by side, one dropped, for a person to look at.
TEST_F(UserComboBox, PictureOfEveryKind) {
  HWND lists = Control(WC_LISTBOXW, WS_BORDER | WS_VSCROLL | LBS_NOTIFY, RECT{10, 10, 130, 110}, 9);
  for (const char16_t* s : {u"one", u"two", u"three", u"four", u"five", u"six", u"seven", u"eight"})
    SendMessageW(lists, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SendMessageW(lists, LB_SETCURSEL, 2, 0);
  HWND simple = Combo(CBS_SIMPLE, RECT{140, 10, 260, 110}, 10);
  SendMessageW(simple, CB_SETCURSEL, 1, 0);
  HWND plain = Combo(CBS_DROPDOWNLIST, RECT{270, 10, 390, 150}, 11);
  SendMessageW(plain, CB_SETCURSEL, 0, 0);
  HWND dropped = Combo(CBS_DROPDOWN, RECT{270, 60, 390, 200}, 12);
  SendMessageW(dropped, CB_SETCURSEL, 3, 0);
  SendMessageW(dropped, CB_SHOWDROPDOWN, TRUE, 0);
  EXPECT_TRUE(SendMessageW(dropped, CB_GETDROPPEDSTATE, 0, 0));
  SetFocus(lists);
  UpdateWindow(owner_);
  usertest::Pump();
  const RECT screen{100, 100, 500, 400};
  cairo_surface_t* capture = Kx2CaptureScreen(&screen);
  ASSERT_NE(capture, nullptr);
  if (const char* dir = std::getenv("KX2_TEST_OUTPUT")) {
    const std::string path = std::string(dir) + "/user_lists.png";
    Kx2WriteCapturePng(capture, std::u16string(path.begin(), path.end()).c_str());
  }
  cairo_surface_destroy(capture);
}

}  // namespace

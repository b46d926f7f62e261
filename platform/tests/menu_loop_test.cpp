// The system's menu loop driven through the idle handler: the notifications of a tracked
// pop-up in order, the menu bar's keys and clicks, mnemonics, the menu delay on the test
// clock, and the loop's ends (Esc, a press outside, EndMenu, a quit message).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kx2/Clock.h"
#include "kx2/IdleHandler.h"
#include "kx2/InputState.h"
#include "user_test_support.h"
#include "win/menu.h"

namespace {

using usertest::Entry;
using usertest::Journal;
using usertest::Pump;

// Steps run one per idle turn of the menu loop; `turns` counts the turns taken.
struct Script {
  std::vector<std::function<void()>> steps;
  size_t next = 0;
  int turns = 0;
  static BOOL Run(void* context) {
    auto* s = static_cast<Script*>(context);
    ++s->turns;
    if (s->next < s->steps.size()) s->steps[s->next++]();
    return s->next < s->steps.size();
  }
  void Start() { Kx2SetIdleHandler(&Script::Run, this); }
};

bool IsMenuMessage(UINT m) {
  switch (m) {
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP:
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_UNINITMENUPOPUP:
    case WM_MENUSELECT:
    case WM_MENUCHAR:
    case WM_COMMAND:
    case WM_MENUCOMMAND:
    case WM_SYSCOMMAND:
      return true;
    default:
      return false;
  }
}

struct Note {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Note& o) const { return message == o.message && wParam == o.wParam && lParam == o.lParam; }
};

std::ostream& operator<<(std::ostream& out, const Note& n) {
  return out << "{0x" << std::hex << n.message << ", 0x" << n.wParam << ", 0x" << n.lParam << std::dec << "}";
}

LPARAM L(HMENU menu) { return reinterpret_cast<LPARAM>(menu); }
WPARAM W(HMENU menu) { return reinterpret_cast<WPARAM>(menu); }

// Answers WM_MENUCHAR with what the test sets, journals like the journal class.
LRESULT g_menuCharAnswer = 0;
std::function<void(UINT, WPARAM, LPARAM)> g_onMessage;
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!usertest::Noise(message)) Journal().push_back(Entry{hwnd, message, wParam, lParam});
  if (g_onMessage) g_onMessage(message, wParam, lParam);
  if (message == WM_MENUCHAR) return g_menuCharAnswer;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class MenuLoopTest : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &OwnerProc;
    wc.lpszClassName = u"MenuOwner";
    RegisterClassW(&wc);
    g_menuCharAnswer = 0;
    g_onMessage = nullptr;
  }
  void TearDown() override {
    Kx2SetIdleHandler(nullptr, nullptr);
    g_onMessage = nullptr;
    for (HMENU m : menus_)
      if (IsMenu(m)) DestroyMenu(m);
    WindowTest::TearDown();
  }
  HWND Owner(DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, HMENU bar = nullptr) {
    HWND w = Make(style, nullptr, RECT{100, 100, 500, 400}, 0, u"MenuOwner");
    if (bar) SetMenu(w, bar);
    SetActiveWindow(w);
    SetFocus(w);
    Pump();
    Journal().clear();
    return w;
  }
  HMENU Popup(std::initializer_list<std::pair<UINT_PTR, const char16_t*>> items, UINT flags = 0) {
    HMENU m = CreatePopupMenu();
    for (const auto& [id, text] : items) AppendMenuW(m, text ? (MF_STRING | flags) : MF_SEPARATOR, id, text);
    menus_.push_back(m);
    return m;
  }
  // File: &New (1), &Open (2), separator, &Save (3), Recent > (&Last (10)); Edit: &Undo (20).
  HMENU Bar() {
    HMENU file = CreatePopupMenu(), recent = CreatePopupMenu(), edit = CreatePopupMenu();
    AppendMenuW(recent, MF_STRING, 10, u"&Last");
    AppendMenuW(file, MF_STRING, 1, u"&New");
    AppendMenuW(file, MF_STRING, 2, u"&Open");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, 3, u"&Save\tCtrl+S");
    AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), u"&Recent");
    AppendMenuW(edit, MF_STRING, 20, u"&Undo");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), u"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), u"&Edit");
    return bar;  // destroyed with its window
  }
  static std::vector<Note> Notes(HWND w) {
    std::vector<Note> out;
    for (const Entry& e : Journal())
      if (e.hwnd == w && IsMenuMessage(e.message)) out.push_back(Note{e.message, e.wParam, e.lParam});
    return out;
  }
  static int Count(HWND w, UINT message) {
    int n = 0;
    for (const Entry& e : Journal()) n += e.hwnd == w && e.message == message;
    return n;
  }
  static int Popups() {
    int n = 0;
    for (HWND h = FindWindowW(u"#32768", nullptr); h; h = FindWindowExW(nullptr, h, u"#32768", nullptr))
      n += IsWindowVisible(h) ? 1 : 0;
    return n;
  }
  static POINT Centre(HWND w, HMENU menu, int index) {
    RECT r{};
    EXPECT_TRUE(GetMenuItemRect(w, menu, static_cast<UINT>(index), &r)) << "item " << index;
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  static void Key(UINT vk) { Kx2InjectKeyStroke(vk); }

  std::vector<HMENU> menus_;
};

TEST_F(MenuLoopTest, TrackedPopupSendsItsNotificationsInOrder) {
  HWND w = Owner();
  HMENU menu = Popup({{1, u"&New"}, {2, u"&Open"}, {0, nullptr}, {3, u"&Save"}});
  Script script;
  script.steps = {[] { Key(VK_DOWN); }, [] { Key(VK_DOWN); }, [] { Key(VK_RETURN); }};
  script.Start();
  EXPECT_TRUE(TrackPopupMenuEx(menu, 0, 200, 200, w, nullptr));
  EXPECT_EQ(Popups(), 0) << "the pop-up went with the run";
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_GT(Count(w, WM_ENTERIDLE), 0);
  Pump();
  const std::vector<Note> expected = {
      {WM_ENTERMENULOOP, 0, 0},
      {WM_INITMENU, W(menu), 0},
      {WM_INITMENUPOPUP, W(menu), 0},
      {WM_MENUSELECT, MAKEWPARAM(1, 0), L(menu)},  // Down: New
      {WM_MENUSELECT, MAKEWPARAM(2, 0), L(menu)},  // Down: Open
      {WM_MENUSELECT, MAKEWPARAM(2, 0), L(menu)},  // Enter: the run closes its menus
      {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0},   // the menu is gone
      {WM_EXITMENULOOP, 0, 0},                     //
      {WM_UNINITMENUPOPUP, W(menu), 0},            //
      {WM_COMMAND, 2, 0},                          // posted, so last
  };
  EXPECT_EQ(Notes(w), expected);
}

TEST_F(MenuLoopTest, ReturnCommandAndNoNotifyFlags) {
  HWND w = Owner();
  HMENU menu = Popup({{7, u"&Seven"}, {8, u"&Eight"}});
  const struct {
    UINT flags;
    BOOL result;
    bool notified, posted;
  } cases[] = {
      {0, 1, true, true},
      {TPM_RETURNCMD, 8, true, false},
      {TPM_RETURNCMD | TPM_NONOTIFY, 8, false, false},
      {TPM_NONOTIFY, 1, false, true},
  };
  for (const auto& c : cases) {
    Journal().clear();
    Script script;
    script.steps = {[] { Key(VK_UP); }, [] { Key(VK_RETURN); }};
    script.Start();
    EXPECT_EQ(TrackPopupMenuEx(menu, c.flags, 150, 150, w, nullptr), c.result) << c.flags;
    Pump();
    int menuNotes = 0;
    for (const Note& n : Notes(w)) menuNotes += n.message != WM_COMMAND;
    EXPECT_EQ(menuNotes > 0, c.notified) << c.flags;
    EXPECT_EQ(Count(w, WM_ENTERIDLE) > 0, c.notified) << c.flags;
    EXPECT_EQ(Count(w, WM_COMMAND), c.posted ? 1 : 0) << c.flags;
  }
  // Esc chooses nothing: TPM_RETURNCMD gives 0.
  Script esc;
  esc.steps = {[] { Key(VK_ESCAPE); }};
  esc.Start();
  EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 150, 150, w, nullptr), 0);
  EXPECT_FALSE(TrackPopupMenuEx(menu, 0, 150, 150, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(MenuLoopTest, ClicksChooseAndAPressOutsideReachesTheWindowOnce) {
  HWND w = Owner();
  HMENU menu = Popup({{1, u"&One"}, {2, u"&Two"}});
  HMENU disabled = Popup({{5, u"&Off"}}, MF_GRAYED);
  POINT two{};
  Script script;
  script.steps = {
      [&] {
        two = Centre(w, menu, 1);
        Kx2InjectClick(two.x, two.y, VK_LBUTTON);
      },
  };
  script.Start();
  EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 150, 150, w, nullptr), 2);

  // A press outside every menu ends the run; the window under it gets the press once.
  Journal().clear();
  Script outside;
  outside.steps = {[] { Kx2InjectClick(400, 350, VK_LBUTTON); }};
  outside.Start();
  EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 150, 150, w, nullptr), 0);
  Pump();
  EXPECT_EQ(Count(w, WM_LBUTTONDOWN), 1);
  EXPECT_EQ(Count(w, WM_LBUTTONDBLCLK), 0);
  EXPECT_EQ(Count(w, WM_LBUTTONUP), 1);

  // A right press on a disabled item with TPM_RIGHTBUTTON keeps the menu open.
  Script right;
  right.steps = {
      [&] {
        const POINT off = Centre(w, disabled, 0);
        Kx2InjectClick(off.x, off.y, VK_RBUTTON);
      },
      [] { Key(VK_ESCAPE); },
  };
  right.Start();
  EXPECT_EQ(TrackPopupMenuEx(disabled, TPM_RETURNCMD | TPM_RIGHTBUTTON, 150, 150, w, nullptr), 0);
  EXPECT_EQ(right.next, right.steps.size()) << "the run went on to the Esc";
}

TEST_F(MenuLoopTest, SubmenusOpenAndCloseOnTheMenuDelay) {
  HWND w = Owner();
  HMENU sub = Popup({{10, u"&Inner"}});
  HMENU menu = Popup({{1, u"&Plain"}});
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"&More");
  int before = -1, after = -1, stillOpen = -1, closed = -1;
  Script script;
  script.steps = {
      [&] {
        const POINT more = Centre(w, menu, 1);
        Kx2InjectMouseMove(more.x, more.y);
      },
      [&] {
        Kx2ClockAdvance(399);
        before = Popups();
      },
      [&] { Kx2ClockAdvance(1); },
      [&] {
        after = Popups();
        const POINT plain = Centre(w, menu, 0);
        Kx2InjectMouseMove(plain.x, plain.y);
      },
      [&] {
        Kx2ClockAdvance(399);
        stillOpen = Popups();
      },
      [&] { Kx2ClockAdvance(1); },
      [&] {
        closed = Popups();
        Key(VK_ESCAPE);
      },
  };
  script.Start();
  TrackPopupMenuEx(menu, TPM_RETURNCMD, 150, 150, w, nullptr);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 2);
  EXPECT_EQ(stillOpen, 2);
  EXPECT_EQ(closed, 1);
  const std::vector<Note> notes = Notes(w);
  int inits = 0, uninits = 0;
  for (const Note& n : notes) {
    inits += n.message == WM_INITMENUPOPUP && n.wParam == W(sub) && n.lParam == MAKELPARAM(1, 0);
    uninits += n.message == WM_UNINITMENUPOPUP && n.wParam == W(sub);
  }
  EXPECT_EQ(inits, 1);
  EXPECT_EQ(uninits, 1);
}

TEST_F(MenuLoopTest, AltThenDownOpensTheFirstMenuAndEscClosesIt) {
  HMENU bar = Bar();
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, bar);
  HMENU file = GetSubMenu(bar, 0);
  int open = -1, afterEsc = -1;
  Script script;
  script.steps = {
      [] { Key(VK_DOWN); },
      [&] {
        open = Popups();
        Key(VK_ESCAPE);
      },
      [&] {
        afterEsc = Popups();
        Key(VK_ESCAPE);
      },
  };
  script.Start();
  Kx2InjectKeyStroke(VK_MENU);
  Pump();
  EXPECT_EQ(open, 1);
  EXPECT_EQ(afterEsc, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  const std::vector<Note> notes = Notes(w);
  ASSERT_GE(notes.size(), 4u);
  EXPECT_EQ(notes[0], (Note{WM_SYSCOMMAND, SC_KEYMENU, 0}));
  EXPECT_EQ(notes[1], (Note{WM_ENTERMENULOOP, 0, 0}));
  EXPECT_EQ(notes[2], (Note{WM_INITMENU, W(bar), 0}));
  EXPECT_EQ(notes[3], (Note{WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), L(bar)})) << "File selected";
  EXPECT_EQ(notes[4], (Note{WM_INITMENUPOPUP, W(file), MAKELPARAM(0, 0)}));
  EXPECT_EQ(notes.back(), (Note{WM_EXITMENULOOP, 0, 0}));
  EXPECT_EQ(Count(w, WM_COMMAND), 0);
}

// The run the skinned menus must repeat: Alt+F, two items down, Enter.
TEST_F(MenuLoopTest, AltLetterOpensByMnemonicAndEnterChooses) {
  HMENU bar = Bar();
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, bar);
  HMENU file = GetSubMenu(bar, 0);
  Script script;
  script.steps = {[] { Key(VK_DOWN); }, [] { Key(VK_DOWN); }, [] { Key(VK_RETURN); }};
  script.Start();
  Kx2InjectKey(VK_MENU, TRUE);
  Kx2InjectKeyStroke('F');
  Kx2InjectKey(VK_MENU, FALSE);
  Pump();
  Pump();
  const std::vector<Note> expected = {
      {WM_SYSCOMMAND, SC_KEYMENU, 'f'},
      {WM_ENTERMENULOOP, 0, 0},
      {WM_INITMENU, W(bar), 0},
      {WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), L(bar)},  // File by its mnemonic
      {WM_INITMENUPOPUP, W(file), MAKELPARAM(0, 0)},     // opened as the only match
      {WM_MENUSELECT, MAKEWPARAM(1, 0), L(file)},        // New, the first item
      {WM_MENUSELECT, MAKEWPARAM(2, 0), L(file)},        // Down: Open
      {WM_MENUSELECT, MAKEWPARAM(3, 0), L(file)},        // Down: Save, past the separator
      {WM_MENUSELECT, MAKEWPARAM(3, 0), L(file)},        // Enter: closing, Save still selected
      {WM_UNINITMENUPOPUP, W(file), 0},
      {WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), L(bar)},  // the bar with its popup closed
      {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0},
      {WM_EXITMENULOOP, 0, 0},
      {WM_COMMAND, 3, 0},
  };
  EXPECT_EQ(Notes(w), expected);
}

TEST_F(MenuLoopTest, MouseOnTheMenuBarOpensAndChooses) {
  HMENU bar = Bar();
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, bar);
  HMENU file = GetSubMenu(bar, 0), edit = GetSubMenu(bar, 1);
  const POINT fileItem = Centre(w, bar, 0), editItem = Centre(w, bar, 1);
  ASSERT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(fileItem.x, fileItem.y)), HTMENU);
  int afterPress = -1;
  bool editOpened = false;
  Script script;
  script.steps = {
      [&] {
        afterPress = Popups();
        Kx2InjectMouseButton(VK_LBUTTON, FALSE);
      },
      // With a menu dropped, moving along the bar opens the next one.
      [&] { Kx2InjectMouseMove(editItem.x, editItem.y); },
      [&] {
        RECT r{};
        editOpened = GetMenuItemRect(w, edit, 0, &r) != FALSE;
        const POINT undo = Centre(w, edit, 0);
        Kx2InjectClick(undo.x, undo.y, VK_LBUTTON);
      },
  };
  script.Start();
  Kx2InjectMouseMove(fileItem.x, fileItem.y);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  Pump();
  Pump();
  EXPECT_EQ(afterPress, 1);
  EXPECT_TRUE(editOpened);
  EXPECT_EQ(Count(w, WM_COMMAND), 1);
  int fileInits = 0;
  for (const Note& n : Notes(w)) fileInits += n.message == WM_INITMENUPOPUP && n.wParam == W(file);
  EXPECT_EQ(fileInits, 1);
  bool command = false;
  for (const Entry& e : Journal()) command |= e.hwnd == w && e.message == WM_COMMAND && e.wParam == 20;
  EXPECT_TRUE(command);
}

TEST_F(MenuLoopTest, NotifyByPositionSendsMenuCommand) {
  HWND w = Owner();
  HMENU menu = Popup({{5, u"&A"}, {6, u"&B"}});
  MENUINFO info{sizeof(MENUINFO), MIM_STYLE, MNS_NOTIFYBYPOS, 0, nullptr, 0, 0};
  ASSERT_TRUE(SetMenuInfo(menu, &info));
  Script script;
  script.steps = {[] { Kx2InjectKeyStroke('B'); }};
  script.Start();
  TrackPopupMenuEx(menu, 0, 150, 150, w, nullptr);
  Pump();
  int byPosition = 0;
  for (const Note& n : Notes(w)) byPosition += n == Note{WM_MENUCOMMAND, 1, L(menu)};
  EXPECT_EQ(byPosition, 1) << "the position and the menu";
  EXPECT_EQ(Count(w, WM_COMMAND), 0);
}

TEST_F(MenuLoopTest, MnemonicsAndMenuCharAnswers) {
  HWND w = Owner();
  HMENU twice = Popup({{1, u"&first"}, {2, u"&fine"}, {3, u"&go"}});
  // Two enabled "&f" items: f selects the first, then the second; never executes.
  std::vector<WPARAM> selected;
  Script script;
  script.steps = {[] { Kx2InjectKeyStroke('F'); },
                  [&] {
                    for (const Note& n : Notes(w))
                      if (n.message == WM_MENUSELECT && HIWORD(n.wParam) != 0xFFFF)
                        selected.push_back(LOWORD(n.wParam));
                    Kx2InjectKeyStroke('F');
                  },
                  [] { Key(VK_ESCAPE); }};
  script.Start();
  EXPECT_EQ(TrackPopupMenuEx(twice, TPM_RETURNCMD, 150, 150, w, nullptr), 0);
  EXPECT_EQ(selected, (std::vector<WPARAM>{1}));
  int last = 0;
  for (const Note& n : Notes(w))
    if (n.message == WM_MENUSELECT && HIWORD(n.wParam) != 0xFFFF && n.wParam) last = LOWORD(n.wParam);
  EXPECT_EQ(last, 2);

  // A single match is executed at once.
  Script single;
  single.steps = {[] { Kx2InjectKeyStroke('G'); }};
  single.Start();
  EXPECT_EQ(TrackPopupMenuEx(twice, TPM_RETURNCMD, 150, 150, w, nullptr), 3);

  // No match: the owner's WM_MENUCHAR answer decides.
  const struct {
    LRESULT answer;
    UINT_PTR result;
    bool endsAtOnce;
  } cases[] = {
      {MAKELRESULT(1, MNC_EXECUTE), 2, true},   // an index inside the menu: executed
      {MAKELRESULT(9, MNC_EXECUTE), 0, false},  // outside: nothing
      {MAKELRESULT(0, MNC_CLOSE), 0, true},
      {MAKELRESULT(2, MNC_SELECT), 0, false},
  };
  for (const auto& c : cases) {
    g_menuCharAnswer = c.answer;
    Journal().clear();
    Script typed;
    typed.steps = {[] { Kx2InjectKeyStroke('Z'); }, [] { Key(VK_ESCAPE); }};
    typed.Start();
    EXPECT_EQ(TrackPopupMenuEx(twice, TPM_RETURNCMD, 150, 150, w, nullptr), c.result) << c.answer;
    EXPECT_EQ(typed.next == 1, c.endsAtOnce) << c.answer;
    EXPECT_EQ(Count(w, WM_MENUCHAR), 1);
    bool charSent = false;
    for (const Note& n : Notes(w))
      charSent |= n.message == WM_MENUCHAR && n.wParam == MAKEWPARAM('z', MF_POPUP) && n.lParam == L(twice);
    EXPECT_TRUE(charSent);
    Kx2SetIdleHandler(nullptr, nullptr);
  }
}

TEST_F(MenuLoopTest, SeparatorsOnlyMenuAnswersKeysInBoundedTurns) {
  HWND w = Owner();
  HMENU bare = CreatePopupMenu();
  menus_.push_back(bare);
  for (int i = 0; i < 3; ++i) AppendMenuW(bare, MF_SEPARATOR, 0, nullptr);
  Script script;
  script.steps = {[] { Key(VK_DOWN); }, [] { Key(VK_UP); }, [] { Kx2InjectKeyStroke('Q'); },
                  // The mouse may select a separator; a letter from there must end too.
                  [&] {
                    RECT r{};
                    GetMenuItemRect(w, bare, 1, &r);
                    Kx2InjectMouseMove(r.left + 5, (r.top + r.bottom) / 2);
                  },
                  [] { Kx2InjectKeyStroke('Q'); }, [] { Key(VK_ESCAPE); }};
  script.Start();
  g_menuCharAnswer = MAKELRESULT(0, MNC_SELECT + 1);  // an answer that changes nothing
  EXPECT_EQ(TrackPopupMenuEx(bare, TPM_RETURNCMD, 150, 150, w, nullptr), 0);
  EXPECT_EQ(script.next, script.steps.size());
  EXPECT_LE(script.turns, 12);
}

TEST_F(MenuLoopTest, QuitDuringARunEndsItAndStaysQueued) {
  HWND w = Owner();
  HMENU menu = Popup({{1, u"&One"}});
  Script script;
  script.steps = {[] { PostQuitMessage(7); }};
  script.Start();
  EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 150, 150, w, nullptr), 0);
  Kx2SetIdleHandler(nullptr, nullptr);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(Count(w, WM_EXITMENULOOP), 1);
}

TEST_F(MenuLoopTest, EndMenuAndRecursiveTracking) {
  HWND w = Owner();
  HMENU menu = Popup({{1, u"&One"}});
  HMENU inner = Popup({{2, u"&Two"}});
  BOOL refused = TRUE, nested = 0;
  DWORD error = 0;
  Script script;
  script.steps = {
      [&] {
        refused = TrackPopupMenuEx(inner, TPM_RETURNCMD, 160, 160, w, nullptr);
        error = GetLastError();
        nested = TrackPopupMenuEx(inner, TPM_RETURNCMD | TPM_RECURSE, 160, 160, w, nullptr);
      },
      [] { Key(VK_DOWN); }, [] { Key(VK_RETURN); },  // chooses in the inner run
      [] { EndMenu(); },                             // ends the outer one
  };
  script.Start();
  EXPECT_EQ(TrackPopupMenuEx(menu, TPM_RETURNCMD, 150, 150, w, nullptr), 0);
  EXPECT_FALSE(refused);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_POPUP_ALREADY_ACTIVE));
  EXPECT_EQ(nested, 2);
  EXPECT_EQ(script.next, script.steps.size());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Popups(), 0);
}

TEST_F(MenuLoopTest, AltSpaceOpensTheWindowMenu) {
  HMENU bar = Bar();
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, bar);
  HMENU system = GetSystemMenu(w, FALSE);
  Script script;
  script.steps = {[] { Key(VK_UP); }, [] { Key(VK_RETURN); }};  // Close, the last item
  script.Start();
  Kx2InjectKey(VK_MENU, TRUE);
  Kx2InjectKeyStroke(VK_SPACE);
  Kx2InjectKey(VK_MENU, FALSE);
  Pump();
  bool init = false;
  for (const Note& n : Notes(w)) init |= n.message == WM_INITMENUPOPUP && n.wParam == W(system) && HIWORD(n.lParam);
  EXPECT_TRUE(init) << "the window menu, flagged as such";
  EXPECT_FALSE(IsWindow(w)) << "Close went as WM_SYSCOMMAND";
}

TEST_F(MenuLoopTest, ArrowsPastTheBarsEndReachTheWindowMenuAndWrap) {
  HMENU bar = Bar();
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, bar);
  HMENU system = GetSystemMenu(w, FALSE);
  std::vector<Note> selections;
  Script script;
  script.steps = {[] { Key(VK_RIGHT); },  // Edit
                  [] { Key(VK_RIGHT); },  // past the end: the window menu
                  [] { Key(VK_RIGHT); },  // and round to File
                  [&] {
                    for (const Note& n : Notes(w))
                      if (n.message == WM_MENUSELECT) selections.push_back(n);
                    Key(VK_ESCAPE);
                  }};
  script.Start();
  Kx2InjectKeyStroke(VK_F10);
  Pump();
  const std::vector<Note> expected = {
      {WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), L(bar)},
      {WM_MENUSELECT, MAKEWPARAM(1, MF_POPUP), L(bar)},
      {WM_MENUSELECT, 0, 0},  // the bar lets go of its selection
      {WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_SYSMENU), L(system)},
      {WM_MENUSELECT, 0, 0},
      {WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), L(bar)},
  };
  EXPECT_EQ(selections, expected);
}

TEST_F(MenuLoopTest, BarItemsRightJustifiedAndPictures) {
  HMENU bar = Bar();
  AppendMenuW(bar, MF_BITMAP, SC_CLOSE, reinterpret_cast<LPCWSTR>(HBMMENU_MBAR_CLOSE));
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  info.fType = MFT_RIGHTJUSTIFY | MFT_BITMAP;
  ASSERT_TRUE(SetMenuItemInfoW(bar, 2, TRUE, &info));
  HWND w = Owner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, bar);
  RECT window{}, file{}, edit{}, close{};
  GetWindowRect(w, &window);
  ASSERT_TRUE(GetMenuItemRect(w, bar, 0, &file));
  ASSERT_TRUE(GetMenuItemRect(w, bar, 1, &edit));
  ASSERT_TRUE(GetMenuItemRect(w, bar, 2, &close));
  EXPECT_EQ(file.left, window.left + GetSystemMetrics(SM_CXFRAME));
  EXPECT_EQ(edit.left, file.right);
  EXPECT_EQ(close.right, window.right - GetSystemMetrics(SM_CXFRAME)) << "flush right";
  EXPECT_EQ(close.right - close.left, GetSystemMetrics(SM_CXMENUSIZE));
  // Keys pass over the frame button: Left from File goes to the window menu, not to it.
  Script script;
  std::vector<Note> selections;
  script.steps = {[] { Key(VK_LEFT); },
                  [&] {
                    for (const Note& n : Notes(w))
                      if (n.message == WM_MENUSELECT) selections.push_back(n);
                    Key(VK_ESCAPE);
                  }};
  script.Start();
  Kx2InjectKeyStroke(VK_F10);
  Pump();
  ASSERT_FALSE(selections.empty());
  bool system = false;
  for (const Note& n : selections) system |= (HIWORD(n.wParam) & MF_SYSMENU) != 0;
  EXPECT_TRUE(system);
}

}  // namespace

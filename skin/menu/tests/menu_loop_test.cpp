// The skinned menu loop on tracked popups, driven through the idle handler on the test
// clock: notifications in order, the tracking flags, clicks and presses outside, the first
// release of a press that opened the menu, mnemonics and WM_MENUCHAR answers, submenus on
// the menu delay, and the mended ends (separators only, a quit posted during a run).
#include <gtest/gtest.h>

#include <vector>

#include <win/menu.h>
#include <win/user.h>

#include "menu_test_support.h"
#include "ornatex/menu/menu_loop.h"
#include "ornatex/menu/popup_menu.h"

namespace {

using namespace menutest;

class SkinMenuLoop : public MenuTest {
 protected:
  static UINT_PTR Track(HMENU menu, UINT flags, HWND owner, int x = 150, int y = 150) {
    CKtkSkinMenuLoop* loop = CKtkSkinMenuLoop::Create(owner);
    if (!loop) return 0;
    const UINT_PTR result = loop->Track(menu, flags, x, y, owner, nullptr);
    loop->Free();
    return result;
  }
  // The shown popup of a menu, or null.
  static CKtkSkinPopupMenu* Shown(HMENU menu) {
    for (HWND h = FindWindowW(u"KtkSkinManagerMenu", nullptr); h;
         h = FindWindowExW(nullptr, h, u"KtkSkinManagerMenu", nullptr)) {
      auto* popup = dynamic_cast<CKtkSkinPopupMenu*>(CWnd::FromHandlePermanent(h));
      if (popup && popup->m_hMenu == menu && IsWindowVisible(h)) return popup;
    }
    return nullptr;
  }
  static POINT Centre(HMENU menu, int index) {
    CKtkSkinPopupMenu* popup = Shown(menu);
    EXPECT_NE(popup, nullptr);
    if (!popup || !popup->GetItem(index)) return POINT{-1, -1};
    const RECT r = popup->GetItem(index)->GetScreenRect();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
};

TEST_F(SkinMenuLoop, TrackedPopupSendsItsNotificationsInOrder) {
  HWND w = Owner();
  HMENU menu = Popup({{1, u"&New"}, {2, u"&Open"}, {0, nullptr}, {3, u"&Save"}});
  Script script;
  script.steps = {[] { Key(VK_DOWN); }, [] { Key(VK_DOWN); }, [] { Key(VK_RETURN); }};
  script.Start(w);
  EXPECT_EQ(Track(menu, 0, w), 1u);
  EXPECT_FALSE(script.bailed);
  EXPECT_EQ(Popups(), 0) << "the popup went with the run";
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_GT(Count(w, WM_ENTERIDLE), 0);
  Kx2SetIdleHandler(nullptr, nullptr);
  Pump();
  const std::vector<Note> expected = {
      {w, WM_ENTERMENULOOP, 0, 0},
      {w, WM_INITMENU, W(menu), 0},
      {w, WM_INITMENUPOPUP, W(menu), 0},
      {w, WM_MENUSELECT, MAKEWPARAM(1, 0), L(menu)},
      {w, WM_MENUSELECT, MAKEWPARAM(2, 0), L(menu)},
      {w, WM_MENUSELECT, MAKEWPARAM(2, 0), L(menu)},  // the run closes its menus
      {w, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0},
      {w, WM_EXITMENULOOP, 0, 0},
      {w, WM_UNINITMENUPOPUP, W(menu), 0},
      {w, WM_COMMAND, 2, 0},  // posted, so last
  };
  EXPECT_EQ(Notes(w), expected);
}

TEST_F(SkinMenuLoop, ReturnCommandAndNoNotifyFlags) {
  HWND w = Owner();
  HMENU menu = Popup({{7, u"&Seven"}, {8, u"&Eight"}});
  const struct {
    UINT flags;
    UINT_PTR result;
    bool notified, posted;
  } cases[] = {
      {0, 1, true, true},
      {TPM_RETURNCMD, 8, true, false},
      {TPM_RETURNCMD | TPM_NONOTIFY, 8, false, false},
      {TPM_NONOTIFY, 1, false, true},
  };
  for (const auto& c : cases) {
    Record().notes.clear();
    Script script;
    script.steps = {[] { Key(VK_UP); }, [] { Key(VK_RETURN); }};
    script.Start(w);
    EXPECT_EQ(Track(menu, c.flags, w), c.result) << c.flags;
    Kx2SetIdleHandler(nullptr, nullptr);
    Pump();
    int menuNotes = 0;
    for (const Note& n : Notes(w, true)) menuNotes += n.message != WM_COMMAND;
    EXPECT_EQ(menuNotes > 0, c.notified) << c.flags;
    EXPECT_EQ(Count(w, WM_COMMAND), c.posted ? 1 : 0) << c.flags;
  }
}

TEST_F(SkinMenuLoop, ClicksChooseAndAPressOutsideReachesTheWindowOnce) {
  HWND w = Owner();
  HMENU menu = Popup({{1, u"&One"}, {2, u"&Two"}});
  Script script;
  script.steps = {[&] {
    const POINT two = Centre(menu, 1);
    Kx2InjectClick(two.x, two.y, VK_LBUTTON);
  }};
  script.Start(w);
  EXPECT_EQ(Track(menu, TPM_RETURNCMD, w), 2u);

  // Presses in the owner's client, away from the popup.
  int presses = 0, releases = 0;
  Record().onMessage = [&](HWND hwnd, UINT message, WPARAM, LPARAM) {
    presses += hwnd == w && message == WM_LBUTTONDOWN;
    releases += hwnd == w && message == WM_LBUTTONUP;
  };
  Script outside;
  outside.steps = {[] { Kx2InjectClick(400, 350, VK_LBUTTON); }};
  outside.Start(w);
  Record().notes.clear();
  EXPECT_EQ(Track(menu, TPM_RETURNCMD, w), 0u);
  Kx2SetIdleHandler(nullptr, nullptr);
  Pump();
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(releases, 1);
  EXPECT_EQ(Count(w, WM_EXITMENULOOP), 1);
}

TEST_F(SkinMenuLoop, ARightPressOnADisabledItemKeepsARightButtonRunGoing) {
  HWND w = Owner();
  HMENU disabled = Popup({{5, u"&Off"}, {6, u"&On"}});
  EnableMenuItem(disabled, 5, MF_BYCOMMAND | MF_GRAYED);
  Script right;
  right.steps = {
      [&] {
        const POINT off = Centre(disabled, 0);
        Kx2InjectClick(off.x, off.y, VK_RBUTTON);
      },
      [] {},
      [] { Key(VK_ESCAPE); },
  };
  right.Start(w);
  EXPECT_EQ(Track(disabled, TPM_RETURNCMD | TPM_RIGHTBUTTON, w), 0u);
  EXPECT_EQ(right.next, right.steps.size()) << "the run went on to the Esc";
  EXPECT_FALSE(right.bailed);
  // The same on an enabled item chooses it.
  Script chosen;
  chosen.steps = {[&] {
    const POINT on = Centre(disabled, 1);
    Kx2InjectClick(on.x, on.y, VK_RBUTTON);
  }};
  chosen.Start(w);
  EXPECT_EQ(Track(disabled, TPM_RETURNCMD | TPM_RIGHTBUTTON, w), 6u);
}

TEST_F(SkinMenuLoop, APopupOpenedWithTheButtonDownIgnoresTheFirstReleaseOutside) {
  HWND w = Owner();
  HMENU menu = Popup({{1, u"&One"}});
  for (const bool down : {true, false}) {
    Kx2ResetInput();
    Kx2InjectMouseMove(420, 360);
    Pump();
    if (down) {
      Kx2InjectMouseButton(VK_LBUTTON, TRUE);
      Pump();  // the press that opens the menu
    }
    Script script;
    script.steps = {[] { Kx2InjectMouseButton(VK_LBUTTON, FALSE); }, [] {}, [] { Key(VK_ESCAPE); }};
    script.Start(w);
    EXPECT_EQ(Track(menu, TPM_RETURNCMD, w), 0u);
    EXPECT_EQ(script.next, script.steps.size()) << "the release outside did not end the run " << down;
    Kx2SetIdleHandler(nullptr, nullptr);
  }
  // A press inside the popup, then a release outside: that release ends the run.
  Kx2ResetInput();
  Script pressed;
  pressed.steps = {[&] {
                     const POINT one = Centre(menu, 0);
                     Kx2InjectMouseMove(one.x, one.y);
                     Kx2InjectMouseButton(VK_LBUTTON, TRUE);
                   },
                   [] {
                     Kx2InjectMouseMove(450, 380);
                     Kx2InjectMouseButton(VK_LBUTTON, FALSE);
                   },
                   [] {}, [] { Key(VK_ESCAPE); }};
  pressed.Start(w);
  EXPECT_EQ(Track(menu, TPM_RETURNCMD, w), 0u);
  EXPECT_EQ(pressed.next, 2u) << "ended at the release";
}

TEST_F(SkinMenuLoop, MnemonicsAndMenuCharAnswers) {
  HWND w = Owner();
  HMENU twice = Popup({{1, u"&first"}, {2, u"&fine"}, {3, u"&go"}});
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
  script.Start(w);
  EXPECT_EQ(Track(twice, TPM_RETURNCMD, w), 0u) << "two matches are selected, never executed";
  EXPECT_EQ(selected, (std::vector<WPARAM>{1}));
  int last = 0;
  for (const Note& n : Notes(w))
    if (n.message == WM_MENUSELECT && HIWORD(n.wParam) != 0xFFFF && n.wParam) last = LOWORD(n.wParam);
  EXPECT_EQ(last, 2) << "the second f selects the second item";

  Script single;
  single.steps = {[] { Kx2InjectKeyStroke('G'); }};
  single.Start(w);
  EXPECT_EQ(Track(twice, TPM_RETURNCMD, w), 3u) << "a single match is executed";

  const struct {
    LRESULT answer;
    UINT_PTR result;
    bool endsAtOnce;
  } cases[] = {
      {MAKELRESULT(1, MNC_EXECUTE), 2, true},   // an index inside the menu: executed
      {MAKELRESULT(9, MNC_EXECUTE), 0, false},  // outside: nothing
      {MAKELRESULT(0, MNC_CLOSE), 0, true},    {MAKELRESULT(2, MNC_SELECT), 0, false},
      {MAKELRESULT(0, MNC_IGNORE), 0, false},  // a beep; a popup stays
  };
  for (const auto& c : cases) {
    Record().menuCharAnswer = c.answer;
    Record().notes.clear();
    Script typed;
    typed.steps = {[] { Kx2InjectKeyStroke('Z'); }, [] { Key(VK_ESCAPE); }};
    typed.Start(w);
    EXPECT_EQ(Track(twice, TPM_RETURNCMD, w), c.result) << c.answer;
    EXPECT_EQ(typed.next == 1, c.endsAtOnce) << c.answer;
    const std::vector<Note> notes = Notes(w);
    int chars = 0;
    for (const Note& n : notes) chars += n == Note{w, WM_MENUCHAR, MAKEWPARAM('z', MF_POPUP), L(twice)};
    EXPECT_EQ(chars, 1) << c.answer;
    Kx2SetIdleHandler(nullptr, nullptr);
  }
}

TEST_F(SkinMenuLoop, SeparatorsOnlyMenuAnswersKeysInBoundedTurns) {
  HWND w = Owner();
  Record().menuCharAnswer = MAKELRESULT(0, MNC_SELECT + 1);  // an answer that changes nothing
  HMENU bare = Popup({{0, nullptr}, {0, nullptr}, {0, nullptr}});
  Script script;
  script.steps = {[] { Key(VK_DOWN); }, [] { Key(VK_UP); }, [] { Kx2InjectKeyStroke('Q'); }, [] { Key(VK_ESCAPE); }};
  script.Start(w);
  EXPECT_EQ(Track(bare, TPM_RETURNCMD, w), 0u);
  EXPECT_EQ(script.next, script.steps.size());
  EXPECT_FALSE(script.bailed);
  EXPECT_LE(script.turns, 8);

  // The mouse may select a separator; a letter no item answers must end from there too.
  HMENU one = Popup({{1, u"One"}, {0, nullptr}, {0, nullptr}});
  Script mouse;
  mouse.steps = {[&] {
                   const POINT middle = Centre(one, 1);
                   Kx2InjectMouseMove(middle.x, middle.y);
                 },
                 [&] {
                   CKtkSkinPopupMenu* shown = Shown(one);
                   EXPECT_EQ(shown ? shown->m_nSelected : -2, 1);
                   Kx2InjectKeyStroke('Q');
                 },
                 [] { Key(VK_ESCAPE); }};
  mouse.Start(w);
  EXPECT_EQ(Track(one, TPM_RETURNCMD, w), 0u);
  EXPECT_EQ(mouse.next, mouse.steps.size());
  EXPECT_FALSE(mouse.bailed);
  EXPECT_LE(mouse.turns, 8);
}

TEST_F(SkinMenuLoop, AQuitDuringARunEndsItAndStaysQueued) {
  HWND w = Owner();
  HMENU menu = Popup({{1, u"&One"}});
  Script script;
  script.steps = {[] { PostQuitMessage(7); }};
  script.Start(w);
  EXPECT_EQ(Track(menu, TPM_RETURNCMD, w), 0u);
  Kx2SetIdleHandler(nullptr, nullptr);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(Count(w, WM_EXITMENULOOP), 1);
  EXPECT_EQ(Popups(), 0);
}

TEST_F(SkinMenuLoop, SubmenusOpenAndCloseOnTheMenuDelay) {
  Kx2ClockSetManual(TRUE, 1000000);
  HWND w = Owner();
  HMENU sub = Popup({{10, u"&Inner"}});
  HMENU menu = Popup({{1, u"&Plain"}});
  AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"&More");
  int before = -1, after = -1, stillOpen = -1, closed = -1;
  Script script;
  script.steps = {
      [&] {
        const POINT more = Centre(menu, 1);
        Kx2InjectMouseMove(more.x, more.y);
      },
      [&] {
        Kx2ClockAdvance(399);
        before = Popups();
      },
      [&] { Kx2ClockAdvance(1); },
      [&] {
        after = Popups();
        const POINT plain = Centre(menu, 0);
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
  script.Start(w);
  Track(menu, TPM_RETURNCMD, w);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(after, 2);
  EXPECT_EQ(stillOpen, 2);
  EXPECT_EQ(closed, 1);
  int inits = 0, uninits = 0;
  for (const Note& n : Notes(w)) {
    inits += n.message == WM_INITMENUPOPUP && n.wParam == W(sub) && n.lParam == MAKELPARAM(1, 0);
    uninits += n.message == WM_UNINITMENUPOPUP && n.wParam == W(sub);
  }
  EXPECT_EQ(inits, 1);
  EXPECT_EQ(uninits, 1);
}

TEST_F(SkinMenuLoop, NotifyByPositionSendsMenuCommandAndKeysWalkSubmenus) {
  HWND w = Owner();
  HMENU menu = Popup({{5, u"&A"}, {6, u"&B"}});
  MENUINFO info{sizeof(MENUINFO), MIM_STYLE, MNS_NOTIFYBYPOS, 0, nullptr, 0, 0};
  ASSERT_TRUE(SetMenuInfo(menu, &info));
  Script script;
  script.steps = {[] { Kx2InjectKeyStroke('B'); }};
  script.Start(w);
  Track(menu, 0, w);
  Kx2SetIdleHandler(nullptr, nullptr);
  Pump();
  int byPosition = 0;
  for (const Note& n : Notes(w)) byPosition += n == Note{w, WM_MENUCOMMAND, 1, L(menu)};
  EXPECT_EQ(byPosition, 1);
  EXPECT_EQ(Count(w, WM_COMMAND), 0);

  // Right opens a submenu, Left closes it, Esc in a submenu closes only that one.
  HMENU sub = Popup({{10, u"&Inner"}, {11, u"&Other"}});
  HMENU outer = Popup({});
  AppendMenuW(outer, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), u"&More");
  int open = -1, afterLeft = -1, afterEsc = -1;
  Script keys;
  keys.steps = {[] { Key(VK_DOWN); },
                [] { Key(VK_RIGHT); },
                [&] {
                  open = Popups();
                  Key(VK_LEFT);
                },
                [&] {
                  afterLeft = Popups();
                  Key(VK_RIGHT);
                },
                [] { Key(VK_ESCAPE); },
                [&] {
                  afterEsc = Popups();
                  Key(VK_RIGHT);
                },
                [] { Key(VK_DOWN); },
                [] { Key(VK_RETURN); }};
  keys.Start(w);
  EXPECT_EQ(Track(outer, TPM_RETURNCMD, w), 11u);
  EXPECT_EQ(open, 2);
  EXPECT_EQ(afterLeft, 1);
  EXPECT_EQ(afterEsc, 1);
}

}  // namespace

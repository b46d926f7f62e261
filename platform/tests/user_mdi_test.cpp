// The "MDIClient" control with DefFrameProcW and DefMDIChildProcW: tiling and cascading
// (rectangles as tables), activation order and the WM_MDIACTIVATE pairs, a maximised
// child's buttons on the frame's menu bar and its title in the frame's, arrangements that
// never recurse, scroll bars when children lie outside, the window menu's list with its
// "Select Window" dialog and the Ctrl+F4 / Ctrl+F6 keys.
#include <cairo.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "kx2/Compositor.h"
#include "kx2/IdleHandler.h"
#include "user_test_support.h"
#include "win/dialog.h"
#include "win/gdi.h"
#include "win/menu.h"

namespace {

constexpr UINT kFirstChild = 0xFF00;
constexpr UINT kClientId = 0xCAC;

struct Activation {
  HWND receiver;
  HWND losing;
  HWND gaining;
};
std::vector<Activation> activations;
// Arrangement messages a child sends from its own WM_SIZE, and what they answered.
bool rearrangeOnSize = false;
std::vector<LRESULT> nestedAnswers;

HWND ClientOf(HWND frame) { return GetDlgItem(frame, static_cast<int>(kClientId)); }

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefFrameProcW(hwnd, ClientOf(hwnd), message, wParam, lParam);
}

LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MDIACTIVATE)
    activations.push_back(Activation{hwnd, reinterpret_cast<HWND>(wParam), reinterpret_cast<HWND>(lParam)});
  if (message == WM_SIZE && rearrangeOnSize)
    nestedAnswers.push_back(SendMessageW(GetParent(hwnd), WM_MDICASCADE, 0, 0));
  return DefMDIChildProcW(hwnd, message, wParam, lParam);
}

std::u16string Text(HWND hwnd) {
  char16_t buffer[256] = {};
  GetWindowTextW(hwnd, buffer, 256);
  return buffer;
}

std::u16string MenuText(HMENU menu, int position) {
  char16_t buffer[128] = {};
  GetMenuStringW(menu, static_cast<UINT>(position), buffer, 128, MF_BYPOSITION);
  return buffer;
}

// A child's window rectangle in its client's coordinates.
RECT Placed(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectRect(const RECT& actual, const RECT& expected, const std::string& what) {
  EXPECT_EQ(actual.left, expected.left) << what;
  EXPECT_EQ(actual.top, expected.top) << what;
  EXPECT_EQ(actual.right, expected.right) << what;
  EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

class MdiTest : public usertest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    activations.clear();
    nestedAnswers.clear();
    rearrangeOnSize = false;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &FrameProc;
    wc.lpszClassName = u"MdiTestFrame";
    RegisterClassW(&wc);
    wc.lpfnWndProc = &ChildProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
    wc.lpszClassName = u"MdiTestChild";
    RegisterClassW(&wc);
  }

  // A frame with a menu bar "&File", "&Window" and a client of exactly 600 x 400 pixels.
  void MakeFrame(DWORD clientStyle = 0) {
    menu_ = CreateMenu();
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), u"&File");
    windowMenu_ = CreatePopupMenu();
    AppendMenuW(windowMenu_, MF_STRING, 100, u"&Tile");
    AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(windowMenu_), u"&Window");
    RECT outer{0, 0, 600, 400};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, TRUE, 0);
    frame_ = CreateWindowExW(0, u"MdiTestFrame", u"Frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 20, 20,
                             outer.right - outer.left, outer.bottom - outer.top, nullptr, menu_, nullptr, nullptr);
    ASSERT_NE(frame_, nullptr);
    CLIENTCREATESTRUCT ccs{windowMenu_, kFirstChild};
    client_ = CreateWindowExW(0, WC_MDICLIENTW, nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE | clientStyle, 0, 0,
                              600, 400, frame_, reinterpret_cast<HMENU>(kClientId), nullptr, &ccs);
    ASSERT_NE(client_, nullptr);
    RECT r;
    GetClientRect(client_, &r);
    ASSERT_EQ(r.right, 600);
    ASSERT_EQ(r.bottom, 400);
  }

  void TearDown() override {
    if (IsWindow(frame_)) DestroyWindow(frame_);
    WindowTest::TearDown();
  }

  HWND Child(LPCWSTR title, DWORD style = 0,
             RECT r = RECT{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT}) {
    MDICREATESTRUCTW mcs{u"MdiTestChild", title, nullptr, r.left, r.top, r.right, r.bottom, style, 0};
    return reinterpret_cast<HWND>(SendMessageW(client_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  }

  HWND Active(BOOL* maximized = nullptr) {
    return reinterpret_cast<HWND>(SendMessageW(client_, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(maximized)));
  }

  HMENU menu_ = nullptr, windowMenu_ = nullptr;
  HWND frame_ = nullptr, client_ = nullptr;
};

TEST_F(MdiTest, ChildrenGetConsecutiveIdsAndTheWindowMenuListsThem) {
  MakeFrame();
  HWND one = Child(u"One"), two = Child(u"Two & Co"), three = Child(u"Three");
  ASSERT_TRUE(one && two && three);
  EXPECT_EQ(GetDlgCtrlID(one), static_cast<int>(kFirstChild));
  EXPECT_EQ(GetDlgCtrlID(three), static_cast<int>(kFirstChild + 2));
  EXPECT_TRUE(GetWindowLongW(one, GWL_EXSTYLE) & WS_EX_MDICHILD);
  EXPECT_EQ((GetWindowLongW(one, GWL_STYLE) & WS_OVERLAPPEDWINDOW), static_cast<LONG>(WS_OVERLAPPEDWINDOW));

  // "&Tile", a separator, then the children by id with the active one checked.
  ASSERT_EQ(GetMenuItemCount(windowMenu_), 5);
  EXPECT_TRUE(GetMenuState(windowMenu_, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(MenuText(windowMenu_, 2), u"&1 One");
  EXPECT_EQ(MenuText(windowMenu_, 3), u"&2 Two && Co");
  EXPECT_EQ(GetMenuItemID(windowMenu_, 4), kFirstChild + 2);
  EXPECT_TRUE(GetMenuState(windowMenu_, kFirstChild + 2, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_FALSE(GetMenuState(windowMenu_, kFirstChild, MF_BYCOMMAND) & MF_CHECKED);

  // Choosing an entry activates its child; a renamed child is renamed in the list.
  SendMessageW(frame_, WM_COMMAND, kFirstChild, 0);
  EXPECT_EQ(Active(), one);
  SetWindowTextW(one, u"First");
  EXPECT_EQ(MenuText(windowMenu_, 2), u"&1 First");

  // The last child takes the id of one that goes; the list follows.
  SendMessageW(client_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(two), 0);
  EXPECT_FALSE(IsWindow(two));
  EXPECT_EQ(GetDlgCtrlID(three), static_cast<int>(kFirstChild + 1));
  ASSERT_EQ(GetMenuItemCount(windowMenu_), 4);
  EXPECT_EQ(MenuText(windowMenu_, 3), u"&2 Three");

  // A new window menu takes the list; the old one is left as it was.
  HMENU other = CreatePopupMenu();
  HMENU previous = reinterpret_cast<HMENU>(SendMessageW(client_, WM_MDISETMENU, 0, reinterpret_cast<LPARAM>(other)));
  EXPECT_EQ(previous, menu_);
  EXPECT_EQ(GetMenuItemCount(windowMenu_), 1);
  EXPECT_EQ(GetMenuItemCount(other), 2);  // no separator in an empty menu
  DestroyMenu(other);
}

// What the idle handler saw of the "Select Window" dialog, and the entry it chose.
struct Selection {
  LRESULT count = -1, selected = -1;
  int tries = 0;
  static BOOL Pick(void* context) {
    auto* s = static_cast<Selection*>(context);
    HWND dialog = GetActiveWindow();
    HWND list = FindWindowExW(dialog, nullptr, u"ListBox", nullptr);
    if (!list) {
      if (++s->tries > 5 && dialog) EndDialog(dialog, 0);  // not the dialog: give up
      return s->tries <= 5;
    }
    s->count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    s->selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    SendMessageW(list, LB_SETCURSEL, 2, 0);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    return FALSE;
  }
};

TEST_F(MdiTest, MoreWindowsOffersEveryChildInADialog) {
  MakeFrame();
  std::vector<HWND> children;
  for (int i = 0; i < 11; ++i) children.push_back(Child((u"Doc " + std::u16string(1, u'A' + i)).c_str()));
  // Nine entries, then the tenth item standing for all of them.
  const int items = GetMenuItemCount(windowMenu_);
  ASSERT_EQ(items, 2 + 9 + 1);
  EXPECT_EQ(MenuText(windowMenu_, items - 1), u"&More Windows...");
  EXPECT_EQ(GetMenuItemID(windowMenu_, items - 1), kFirstChild + 9);
  Selection selection;
  Kx2SetIdleHandler(&Selection::Pick, &selection);
  SendMessageW(frame_, WM_COMMAND, kFirstChild + 9, 0);
  Kx2SetIdleHandler(nullptr, nullptr);
  EXPECT_EQ(selection.count, 11);
  EXPECT_EQ(selection.selected, 10) << "the active child chosen to begin with";
  EXPECT_EQ(Active(), children[2]);
}

TEST_F(MdiTest, ActivationSendsPairsAndFollowsZOrder) {
  MakeFrame();
  HWND one = Child(u"One");
  activations.clear();
  HWND two = Child(u"Two");
  HWND three = Child(u"Three");
  ASSERT_TRUE(one && two && three);
  // Each change: the child losing activation hears it first, then the one gaining it.
  const std::vector<Activation> expected = {{one, one, two}, {two, one, two}, {two, two, three}, {three, two, three}};
  ASSERT_EQ(activations.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(activations[i].receiver, expected[i].receiver) << i;
    EXPECT_EQ(activations[i].losing, expected[i].losing) << i;
    EXPECT_EQ(activations[i].gaining, expected[i].gaining) << i;
  }
  EXPECT_EQ(Active(), three);
  EXPECT_EQ(GetFocus(), three);
  EXPECT_EQ(GetWindow(client_, GW_CHILD), three) << "the active child is on top";

  // WM_MDINEXT walks z-order, sending the child it leaves to the bottom; with lParam it
  // goes back to the bottom one.
  struct Step {
    LPARAM previous;
    HWND active;
  };
  const Step steps[] = {{0, two}, {0, one}, {0, three}, {1, one}, {1, two}};
  for (const Step& s : steps) {
    SendMessageW(client_, WM_MDINEXT, 0, s.previous);
    EXPECT_EQ(Active(), s.active);
  }

  // A press on an inactive child's caption activates it.
  RECT r;
  GetWindowRect(three, &r);
  activations.clear();
  SendMessageW(three, WM_NCLBUTTONDOWN, HTCLIENT, MAKELPARAM(r.left + 5, r.top + 5));
  EXPECT_EQ(Active(), three);
  ASSERT_EQ(activations.size(), 2u);

  // The active child going leaves the next one in z-order active.
  SendMessageW(client_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(three), 0);
  EXPECT_NE(Active(), nullptr);
  EXPECT_EQ(Active(), GetWindow(client_, GW_CHILD));
  // Closing a child through its window menu ends it the same way.
  HWND before = Active();
  SendMessageW(before, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(before));
  EXPECT_TRUE(Active() == one || Active() == two);
}

TEST_F(MdiTest, TilingAndCascadingArrangeChildren) {
  MakeFrame();
  const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
  struct Case {
    UINT message;
    WPARAM how;
    int count;
    std::vector<RECT> rects;  // from the top of z-order (the active child) down
  };
  const std::vector<Case> cases = {
      {WM_MDITILE, MDITILE_VERTICAL, 1, {{0, 0, 600, 400}}},
      {WM_MDITILE, MDITILE_VERTICAL, 2, {{0, 0, 300, 400}, {300, 0, 600, 400}}},
      {WM_MDITILE, MDITILE_HORIZONTAL, 2, {{0, 0, 600, 200}, {0, 200, 600, 400}}},
      {WM_MDITILE, MDITILE_VERTICAL, 3, {{0, 0, 200, 400}, {200, 0, 400, 400}, {400, 0, 600, 400}}},
      {WM_MDITILE,
       MDITILE_HORIZONTAL,
       4,
       {{0, 0, 300, 200}, {0, 200, 300, 400}, {300, 0, 600, 200}, {300, 200, 600, 400}}},
      {WM_MDITILE,
       MDITILE_VERTICAL,
       5,
       {{0, 0, 300, 200}, {300, 0, 600, 200}, {0, 200, 200, 400}, {200, 200, 400, 400}, {400, 200, 600, 400}}},
      {WM_MDICASCADE,
       0,
       3,
       {{2 * step, 2 * step, 600, 400}, {step, step, 600 - step, 400 - step}, {0, 0, 600 - 2 * step, 400 - 2 * step}}},
  };
  for (const Case& c : cases) {
    std::vector<HWND> made;
    for (int i = 0; i < c.count; ++i) made.push_back(Child(u"c", 0, RECT{7 * i, 5 * i, 150, 100}));
    EXPECT_EQ(SendMessageW(client_, c.message, c.how, 0), TRUE);
    std::vector<HWND> zorder;
    for (HWND h = GetWindow(client_, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) zorder.push_back(h);
    ASSERT_EQ(zorder.size(), c.rects.size());
    EXPECT_EQ(zorder.front(), made.back()) << "arranging keeps the active child on top";
    for (size_t i = 0; i < zorder.size(); ++i)
      ExpectRect(Placed(zorder[i]), c.rects[i],
                 (c.message == WM_MDITILE ? "tile " : "cascade ") + std::to_string(c.count) + " #" + std::to_string(i));
    for (HWND h : made) SendMessageW(client_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(h), 0);
  }
}

TEST_F(MdiTest, ArrangingSkipsDisabledAndMinimisedChildrenAndRestoresAMaximisedOne) {
  MakeFrame();
  HWND one = Child(u"One"), two = Child(u"Two"), three = Child(u"Three");
  const RECT oneBefore = Placed(one);
  EnableWindow(one, FALSE);
  SendMessageW(two, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(IsIconic(two));
  // The icon goes to the bottom-left corner; the tiles keep clear of its row.
  const RECT icon = Placed(two);
  EXPECT_EQ(icon.left, 0);
  EXPECT_EQ(icon.bottom, 400);
  SendMessageW(client_, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(three), 0);
  ASSERT_TRUE(IsZoomed(three));
  EXPECT_EQ(SendMessageW(client_, WM_MDITILE, MDITILE_SKIPDISABLED, 0), TRUE);
  EXPECT_FALSE(IsZoomed(three));
  ExpectRect(Placed(three), RECT{0, 0, 600, 400 - GetSystemMetrics(SM_CYMINSPACING)}, "the only tile");
  ExpectRect(Placed(one), oneBefore, "a disabled child stays");
  ExpectRect(Placed(two), icon, "the icon stays");

  // Moving the icon away and arranging icons brings it back.
  SetWindowPos(two, nullptr, 300, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(client_, WM_MDIICONARRANGE, 0, 0);
  ExpectRect(Placed(two), icon, "arranged icon");
}

TEST_F(MdiTest, CascadingFromAChildsOwnSizeHandlerNeverRecurses) {
  MakeFrame();
  HWND one = Child(u"One", 0, RECT{0, 0, 100, 100});
  HWND two = Child(u"Two", 0, RECT{50, 50, 100, 100});
  rearrangeOnSize = true;
  EXPECT_EQ(SendMessageW(client_, WM_MDICASCADE, 0, 0), TRUE);
  rearrangeOnSize = false;
  ASSERT_EQ(nestedAnswers.size(), 2u) << "each child sized once";
  for (LRESULT answer : nestedAnswers) EXPECT_EQ(answer, FALSE) << "a nested arrangement is refused";
  const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
  ExpectRect(Placed(one), RECT{0, 0, 600 - step, 400 - step}, "bottom");
  ExpectRect(Placed(two), RECT{step, step, 600, 400}, "front");
  // Arranging works again afterwards.
  EXPECT_EQ(SendMessageW(client_, WM_MDITILE, MDITILE_VERTICAL, 0), TRUE);
}

TEST_F(MdiTest, MaximisingMergesButtonsIntoTheFrameMenuAndRestoringUndoesIt) {
  MakeFrame();
  HWND one = Child(u"One"), two = Child(u"Two");
  SendMessageW(client_, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(one), 0);
  BOOL maximized = FALSE;
  EXPECT_EQ(Active(&maximized), one);
  EXPECT_TRUE(maximized);
  EXPECT_EQ(Text(frame_), u"Frame - [One]");

  // The child's client area is the MDI client's, its frame outside it.
  RECT childClient, mdiClient;
  GetClientRect(one, &childClient);
  MapWindowPoints(one, nullptr, reinterpret_cast<POINT*>(&childClient), 2);
  GetClientRect(client_, &mdiClient);
  MapWindowPoints(client_, nullptr, reinterpret_cast<POINT*>(&mdiClient), 2);
  ExpectRect(childClient, mdiClient, "maximised client area");

  // The window menu first, the three buttons last and against the right edge.
  ASSERT_EQ(GetMenuItemCount(menu_), 6);
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof mii;
  mii.fMask = MIIM_BITMAP | MIIM_DATA | MIIM_SUBMENU | MIIM_ID | MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(menu_, 0, TRUE, &mii));
  EXPECT_EQ(mii.hbmpItem, HBMMENU_SYSTEM);
  EXPECT_EQ(mii.dwItemData, reinterpret_cast<ULONG_PTR>(one));
  EXPECT_NE(GetMenuItemCount(mii.hSubMenu), 0) << "a copy of the child's window menu";
  const UINT ids[] = {SC_MINIMIZE, SC_RESTORE, SC_CLOSE};
  const HBITMAP pictures[] = {HBMMENU_MBAR_MINIMIZE, HBMMENU_MBAR_RESTORE, HBMMENU_MBAR_CLOSE};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(GetMenuItemInfoW(menu_, static_cast<UINT>(3 + i), TRUE, &mii));
    EXPECT_EQ(mii.wID, ids[i]);
    EXPECT_EQ(mii.hbmpItem, pictures[i]);
    EXPECT_EQ((mii.fType & MFT_RIGHTJUSTIFY) != 0, i == 0);
  }
  RECT closeItem, frameRect;
  ASSERT_TRUE(GetMenuItemRect(frame_, menu_, 5, &closeItem));
  GetWindowRect(frame_, &frameRect);
  EXPECT_EQ(closeItem.right, frameRect.right - GetSystemMetrics(SM_CXFRAME));

  // The bar shows the buttons: the close button's cross is drawn in the button text colour,
  // its middle row inked; the child's caption is out of sight.
  UpdateWindow(frame_);
  usertest::Pump();
  cairo_surface_t* capture = Kx2CaptureWindow(frame_);
  ASSERT_NE(capture, nullptr);
  cairo_surface_flush(capture);
  const unsigned char* pixels = cairo_image_surface_get_data(capture);
  const int stride = cairo_image_surface_get_stride(capture);
  auto at = [&](int x, int y) {
    const unsigned char* p = pixels + y * stride + x * 4;
    return RGB(p[2], p[1], p[0]);
  };
  const int midY = (closeItem.top + closeItem.bottom) / 2 - frameRect.top;
  bool inked = false;
  for (int x = closeItem.left - frameRect.left; x < closeItem.right - frameRect.left; ++x)
    inked |= at(x, midY) == GetSysColor(COLOR_BTNTEXT);
  EXPECT_TRUE(inked) << "a cross in the close button";
  if (const char* dir = std::getenv("KX2_TEST_OUTPUT")) {
    const std::string path = std::string(dir) + "/user_mdi_maximized.png";
    Kx2WriteCapturePng(capture, std::u16string(path.begin(), path.end()).c_str());
  }
  cairo_surface_destroy(capture);

  // Another child activated takes the maximised place and the merged items.
  SendMessageW(client_, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(two), 0);
  EXPECT_FALSE(IsZoomed(one));
  EXPECT_TRUE(IsZoomed(two));
  EXPECT_EQ(Text(frame_), u"Frame - [Two]");
  ASSERT_EQ(GetMenuItemCount(menu_), 6);
  ASSERT_TRUE(GetMenuItemInfoW(menu_, 0, TRUE, &mii));
  EXPECT_EQ(mii.dwItemData, reinterpret_cast<ULONG_PTR>(two));
  // Its retitling and the frame's reach the caption.
  SetWindowTextW(two, u"Second");
  EXPECT_EQ(Text(frame_), u"Frame - [Second]");
  SetWindowTextW(frame_, u"App");
  EXPECT_EQ(Text(frame_), u"App - [Second]");

  // The restore button on the bar is a command to the frame, handed to the child.
  SendMessageW(frame_, WM_COMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsZoomed(two));
  EXPECT_EQ(GetMenuItemCount(menu_), 2);
  EXPECT_EQ(MenuText(menu_, 0), u"&File");
  EXPECT_EQ(Text(frame_), u"App");
  EXPECT_EQ(Active(&maximized), two);
  EXPECT_FALSE(maximized);

  // A maximised child closed from the bar leaves the menu whole too.
  SendMessageW(client_, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(two), 0);
  ASSERT_EQ(GetMenuItemCount(menu_), 6);
  SendMessageW(frame_, WM_COMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(two));
  EXPECT_TRUE(IsZoomed(one)) << "the next child keeps the maximised arrangement";
  ASSERT_EQ(GetMenuItemCount(menu_), 6);
  SendMessageW(client_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(one), 0);
  EXPECT_EQ(GetMenuItemCount(menu_), 2);
  EXPECT_EQ(Text(frame_), u"App");
}

TEST_F(MdiTest, ScrollBarsAppearWhenChildrenLieOutside) {
  MakeFrame(WS_HSCROLL | WS_VSCROLL);
  HWND one = Child(u"One", 0, RECT{10, 10, 200, 150});
  SendMessageW(client_, WM_MDICALCCHILDSCROLL, 0, 0);
  EXPECT_FALSE(GetWindowLongW(client_, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) << "everything in sight";

  // A child reaching past the right edge: the horizontal bar covers it, once the posted
  // recalculation has run.
  MoveWindow(one, 500, 10, 200, 150, TRUE);
  usertest::Pump();
  EXPECT_TRUE(GetWindowLongW(client_, GWL_STYLE) & WS_HSCROLL);
  EXPECT_FALSE(GetWindowLongW(client_, GWL_STYLE) & WS_VSCROLL);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(client_, SB_HORZ, &si));
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 699);
  EXPECT_EQ(si.nPos, 0);

  // Scrolling to the end moves the child into sight.
  SendMessageW(client_, WM_HSCROLL, SB_BOTTOM, 0);
  usertest::Pump();
  RECT r = Placed(one);
  EXPECT_EQ(r.right, static_cast<LONG>(si.nPage));
  // Message 0x3F on a client whose child came back inside hides the bar again.
  MoveWindow(one, 10, 10, 200, 150, TRUE);
  SendMessageW(client_, 0x3F, 0, 0);
  EXPECT_FALSE(GetWindowLongW(client_, GWL_STYLE) & WS_HSCROLL);

  // A maximised child hides the bars whatever lies outside.
  HWND two = Child(u"Two", 0, RECT{-300, -300, 100, 100});
  usertest::Pump();
  EXPECT_TRUE((GetWindowLongW(client_, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) == (WS_HSCROLL | WS_VSCROLL));
  SendMessageW(client_, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(two), 0);
  usertest::Pump();
  EXPECT_FALSE(GetWindowLongW(client_, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
}

TEST_F(MdiTest, FrameSizesItsClientAndMdiKeysDriveTheChildren) {
  MakeFrame();
  SetWindowPos(frame_, nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
  RECT frameClient, client;
  GetClientRect(frame_, &frameClient);
  GetClientRect(client_, &client);
  EXPECT_EQ(client.right, frameClient.right);
  EXPECT_EQ(client.bottom, frameClient.bottom);

  HWND one = Child(u"One"), two = Child(u"Two");
  ASSERT_EQ(Active(), two);
  MSG msg{two, WM_KEYDOWN, VK_F6, 0, 0, {0, 0}};
  EXPECT_FALSE(TranslateMDISysAccel(client_, &msg)) << "F6 alone is no MDI key";
  Kx2SetThreadKeyState(VK_CONTROL, 0x80);
  EXPECT_TRUE(TranslateMDISysAccel(client_, &msg));
  EXPECT_EQ(Active(), one);
  msg.wParam = VK_F4;
  EXPECT_TRUE(TranslateMDISysAccel(client_, &msg));
  Kx2SetThreadKeyState(VK_CONTROL, 0);
  EXPECT_FALSE(IsWindow(one));
  EXPECT_EQ(Active(), two);

  // The frame taking the focus hands it to the active child.
  SetFocus(frame_);
  EXPECT_EQ(GetFocus(), two);
}

TEST_F(MdiTest, ClientPaintsTheWorkspaceIntoAGivenDc) {
  MakeFrame();
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 600, 400);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 600, 400};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SendMessageW(client_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  EXPECT_EQ(GetPixel(dc, 300, 200), GetSysColor(COLOR_APPWORKSPACE));
  EXPECT_EQ(GetPixel(dc, 599, 399), GetSysColor(COLOR_APPWORKSPACE));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

}  // namespace

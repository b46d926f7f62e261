// Injected input: hit testing, cursor, double clicks on the test clock, key states as of
// the retrieved message, mouse tracking, capture, and a window destroyed by its own click.
#include <cstdlib>
#include <filesystem>

#include "kx2/Registry.h"
#include "user_test_support.h"
#include "win/registry.h"

namespace {

using usertest::Journal;
using usertest::MessagesOf;
using usertest::WindowTest;

using UserInput = WindowTest;

std::vector<UINT> MouseMessages(HWND hwnd) {
  std::vector<UINT> out;
  for (UINT m : MessagesOf(hwnd))
    if (m == WM_NCHITTEST || m == WM_SETCURSOR || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) ||
        (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK) || m == WM_MOUSEACTIVATE)
      out.push_back(m);
  return out;
}

TEST_F(UserInput, ClickOnAChildHitTestsSetsTheCursorAndArrivesInClientCoordinates) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{100, 100, 400, 300});
  HWND child = Make(WS_CHILD | WS_VISIBLE, top, RECT{10, 20, 110, 80});
  usertest::Pump();
  Journal().clear();
  Kx2InjectMouseMove(115, 125);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  usertest::Pump();
  EXPECT_EQ(MouseMessages(child),
            (std::vector<UINT>{WM_NCHITTEST, WM_SETCURSOR, WM_MOUSEMOVE, WM_NCHITTEST, WM_SETCURSOR, WM_LBUTTONDOWN}));
  const usertest::Entry& down = Journal().back();
  EXPECT_EQ(down.message, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(down.lParam, MAKELPARAM(5, 5));
  EXPECT_EQ(down.wParam, static_cast<WPARAM>(MK_LBUTTON));
  EXPECT_TRUE(GetKeyState(VK_LBUTTON) < 0) << "as of the retrieved message";
  // The child asks its parent about the cursor first (DefWindowProcW).
  bool parentAsked = false;
  for (auto& e : Journal()) parentAsked |= e.hwnd == top && e.message == WM_SETCURSOR;
  EXPECT_TRUE(parentAsked);

  // Up, then a second press inside the double-click time is a double click; a third is a
  // press again; one after the time has passed is a press.
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  Kx2ClockAdvance(100);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  Kx2ClockAdvance(GetDoubleClickTime());
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  Journal().clear();
  usertest::Pump();
  std::vector<UINT> buttons;
  for (UINT m : MessagesOf(child))
    if (m >= WM_LBUTTONDOWN && m <= WM_LBUTTONDBLCLK) buttons.push_back(m);
  EXPECT_EQ(buttons, (std::vector<UINT>{WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP,
                                        WM_LBUTTONDOWN}));
  EXPECT_FALSE(GetKeyState(VK_LBUTTON) >= 0);
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  usertest::Pump();
  EXPECT_FALSE(GetKeyState(VK_LBUTTON) < 0);
}

TEST_F(UserInput, NonClientHitsGiveNonClientMessagesAndPressesActivate) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    usertest::JournalProc(h, m, w, l);
    if (m == WM_NCHITTEST) return HTCAPTION;
    return DefWindowProcW(h, m, w, l);
  };
  wc.lpszClassName = u"AllCaption";
  RegisterClassW(&wc);
  HWND other = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{600, 600, 700, 700});
  HWND w = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 100, 100}, 0, u"AllCaption");
  SetActiveWindow(other);
  usertest::Pump();
  Journal().clear();
  Kx2InjectClick(50, 60, VK_LBUTTON);
  usertest::Pump();
  EXPECT_EQ(GetActiveWindow(), w);
  std::vector<UINT> seen = MouseMessages(w);
  ASSERT_GE(seen.size(), 4u);
  EXPECT_EQ(std::vector<UINT>(seen.begin(), seen.begin() + 3),
            (std::vector<UINT>{WM_NCHITTEST, WM_SETCURSOR, WM_NCMOUSEMOVE}));
  auto press = std::find_if(Journal().begin(), Journal().end(), [](auto& e) { return e.message == WM_NCLBUTTONDOWN; });
  ASSERT_NE(press, Journal().end());
  EXPECT_EQ(press->wParam, static_cast<WPARAM>(HTCAPTION));
  EXPECT_EQ(press->lParam, MAKELPARAM(50, 60)) << "screen coordinates";
  auto activate = std::find_if(Journal().begin(), Journal().end(),
                               [&](auto& e) { return e.message == WM_ACTIVATE && e.hwnd == w; });
  ASSERT_NE(activate, Journal().end());
  EXPECT_EQ(LOWORD(activate->wParam), static_cast<WORD>(WA_CLICKACTIVE));
  EXPECT_LT(activate - Journal().begin(), press - Journal().begin());
}

TEST_F(UserInput, CaptureTakesEveryMouseMessageWithoutHitTesting) {
  HWND a = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 100, 100});
  HWND b = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{200, 0, 300, 100});
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(GetCapture(), a);
  usertest::Pump();
  Journal().clear();
  Kx2InjectMouseMove(250, 50);
  usertest::Pump();
  EXPECT_EQ(MouseMessages(a), (std::vector<UINT>{WM_MOUSEMOVE}));
  EXPECT_EQ(Journal().back().lParam, MAKELPARAM(250, 50));
  EXPECT_TRUE(MouseMessages(b).empty());
  Journal().clear();
  EXPECT_TRUE(ReleaseCapture());
  EXPECT_EQ(MessagesOf(a), (std::vector<UINT>{WM_CAPTURECHANGED}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(UserInput, TrackMouseEventReportsLeavingOnceForClientAndNonClient) {
  HWND a = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 100, 100});
  Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{200, 0, 300, 100});
  Kx2InjectMouseMove(50, 50);
  usertest::Pump();
  TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, a, HOVER_DEFAULT};
  ASSERT_TRUE(TrackMouseEvent(&tme));
  TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
  TrackMouseEvent(&query);
  EXPECT_EQ(query.hwndTrack, a);
  Journal().clear();
  Kx2InjectMouseMove(60, 50);
  Kx2InjectMouseMove(250, 50);
  Kx2InjectMouseMove(50, 50);
  Kx2InjectMouseMove(500, 500);  // over no window at all
  usertest::Pump();
  auto leaves = MessagesOf(a);
  EXPECT_EQ(std::count(leaves.begin(), leaves.end(), static_cast<UINT>(WM_MOUSELEAVE)), 1);
  // Asked for while the mouse is elsewhere: the message comes at once.
  tme.dwFlags = TME_LEAVE | TME_NONCLIENT;
  Journal().clear();
  ASSERT_TRUE(TrackMouseEvent(&tme));
  usertest::Pump();
  EXPECT_EQ(MessagesOf(a), (std::vector<UINT>{WM_NCMOUSELEAVE}));
}

TEST_F(UserInput, KeyStatesFollowTheRetrievedMessage) {
  HWND w = Make(WS_POPUP | WS_VISIBLE);
  SetFocus(w);
  usertest::Pump();
  Kx2InjectKey(VK_CONTROL, TRUE);
  Kx2InjectKey('S', TRUE);
  EXPECT_TRUE(GetAsyncKeyState(VK_CONTROL) < 0);
  EXPECT_FALSE(GetKeyState(VK_CONTROL) < 0) << "not retrieved yet";
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_CONTROL));
  EXPECT_TRUE(GetKeyState(VK_CONTROL) < 0);
  EXPECT_FALSE(GetKeyState('S') < 0);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(GetKeyState('S') < 0);
  EXPECT_EQ(msg.hwnd, w);
  Kx2InjectKey('S', FALSE);
  Kx2InjectKey(VK_CONTROL, FALSE);
  Kx2InjectKey(VK_MENU, TRUE);
  Kx2InjectKey(VK_F4, TRUE);
  usertest::Pump();
  EXPECT_FALSE(IsWindow(w)) << "Alt+F4 reached DefWindowProcW as a system key and closed the window";
  Kx2InjectKey(VK_F4, FALSE);
  Kx2InjectKey(VK_MENU, FALSE);
  usertest::Pump();
}

TEST_F(UserInput, WindowDestroyedByItsOwnButtonDownIsNeverTouchedAgain) {
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_LBUTTONDOWN) {
      DestroyWindow(h);
      return 0;
    }
    return DefWindowProcW(h, m, w, l);
  };
  wc.lpszClassName = u"SelfDestructs";
  RegisterClassW(&wc);
  HWND top = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 100, 100});
  HWND victim = Make(WS_CHILD | WS_VISIBLE, top, RECT{10, 10, 50, 50}, 0, u"SelfDestructs");
  SetCapture(victim);
  TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, victim, HOVER_DEFAULT};
  Kx2InjectMouseMove(20, 20);
  usertest::Pump();
  TrackMouseEvent(&tme);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  Kx2InjectMouseButton(VK_LBUTTON, TRUE);
  usertest::Pump();
  EXPECT_FALSE(IsWindow(victim));
  EXPECT_EQ(GetCapture(), nullptr);
  Kx2InjectMouseButton(VK_LBUTTON, FALSE);
  usertest::Pump();
}

TEST(UserDoubleClickTime, ComesFromTheUsersMouseSettings) {
  char pattern[] = "/tmp/kx2-user-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const char* previous = getenv("KX2_REGISTRY");
  const std::string saved = previous ? previous : "";
  setenv("KX2_REGISTRY", pattern, 1);
  Kx2RegistryReset();
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Control Panel\\Mouse", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_SUCCESS);
  const char16_t speed[] = u"350";
  RegSetValueExW(key, u"DoubleClickSpeed", 0, REG_SZ, reinterpret_cast<const BYTE*>(speed), sizeof speed);
  EXPECT_EQ(GetDoubleClickTime(), 350u);
  RegDeleteValueW(key, u"DoubleClickSpeed");
  EXPECT_EQ(GetDoubleClickTime(), 500u);
  RegCloseKey(key);
  Kx2RegistryReset();
  if (previous)
    setenv("KX2_REGISTRY", saved.c_str(), 1);
  else
    unsetenv("KX2_REGISTRY");
  std::filesystem::remove_all(pattern);
}

}  // namespace

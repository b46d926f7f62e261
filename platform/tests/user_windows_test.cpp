// Windows: message order of creation, destruction, placement and activation; the tree,
// slots, subclassing and stale handles.
#include <algorithm>
#include <array>

#include "kx2/Module.h"
#include "user_test_support.h"
#include "win/psapi.h"

namespace {

using usertest::Journal;
using usertest::MessagesOf;
using usertest::Pairs;
using usertest::WindowTest;

using UserWindows = WindowTest;

std::vector<UINT> Without(std::vector<UINT> messages, std::initializer_list<UINT> dropped) {
  messages.erase(std::remove_if(messages.begin(), messages.end(),
                                [&](UINT m) { return std::find(dropped.begin(), dropped.end(), m) != dropped.end(); }),
                 messages.end());
  return messages;
}

TEST_F(UserWindows, CreationSendsWin32sOrderForTopLevelAndChild) {
  HWND top = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(MessagesOf(top), (std::vector<UINT>{WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW,
                                                WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGING, WM_ACTIVATEAPP,
                                                WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_WINDOWPOSCHANGED}));
  EXPECT_EQ(GetActiveWindow(), top);
  EXPECT_EQ(GetFocus(), top);
  Journal().clear();
  HWND child = Make(WS_CHILD | WS_VISIBLE, top, RECT{5, 6, 55, 46}, 0, u"JournalWindow", 42);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(Pairs(), (std::vector<std::pair<HWND, UINT>>{{child, WM_NCCREATE},
                                                         {child, WM_NCCALCSIZE},
                                                         {child, WM_CREATE},
                                                         {child, WM_SIZE},
                                                         {child, WM_MOVE},
                                                         {top, WM_PARENTNOTIFY},
                                                         {child, WM_SHOWWINDOW},
                                                         {child, WM_WINDOWPOSCHANGING},
                                                         {child, WM_WINDOWPOSCHANGED}}));
  EXPECT_EQ(Journal()[5].wParam, MAKEWPARAM(WM_CREATE, 42));
  EXPECT_EQ(GetDlgCtrlID(child), 42);
  EXPECT_EQ(GetDlgItem(top, 42), child);
  // The creation text came through WM_NCCREATE into DefWindowProcW.
  WCHAR text[16];
  EXPECT_EQ(GetWindowTextW(child, text, 16), 5);
  EXPECT_EQ(std::u16string(text), u"title");
}

TEST_F(UserWindows, RefusedCreationLeavesNoWindow) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    usertest::JournalProc(h, m, w, l);
    return m == WM_CREATE ? -1 : DefWindowProcW(h, m, w, l);
  };
  wc.lpszClassName = u"RefusesCreate";
  RegisterClassW(&wc);
  const UINT before = Kx2LiveWindowCount();
  EXPECT_EQ(Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{0, 0, 10, 10}, 0, u"RefusesCreate"), nullptr);
  EXPECT_EQ(Kx2LiveWindowCount(), before);
  ASSERT_GE(Journal().size(), 2u);
  EXPECT_EQ(Journal()[Journal().size() - 2].message, static_cast<UINT>(WM_DESTROY));
  EXPECT_EQ(Journal().back().message, static_cast<UINT>(WM_NCDESTROY));
  EXPECT_EQ(Make(WS_POPUP, nullptr, RECT{0, 0, 10, 10}, 0, u"NoSuchClass"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  EXPECT_EQ(Make(WS_CHILD, nullptr), nullptr);  // a child needs a parent
}

TEST_F(UserWindows, DestructionGoesDownWithDestroyAndUpWithNcDestroy) {
  HWND top = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = Make(WS_CHILD | WS_VISIBLE, top);
  HWND grandchild = Make(WS_CHILD | WS_VISIBLE, child);
  HWND owned = Make(WS_POPUP, top);
  EXPECT_EQ(GetWindow(owned, GW_OWNER), top);
  SetFocus(grandchild);
  Journal().clear();
  ASSERT_TRUE(DestroyWindow(top));
  std::vector<std::pair<HWND, UINT>> ends;
  for (auto& [h, m] : Pairs())
    if (m == WM_DESTROY || m == WM_NCDESTROY) ends.emplace_back(h, m);
  EXPECT_EQ(ends, (std::vector<std::pair<HWND, UINT>>{{owned, WM_DESTROY},
                                                      {owned, WM_NCDESTROY},
                                                      {top, WM_DESTROY},
                                                      {child, WM_DESTROY},
                                                      {grandchild, WM_DESTROY},
                                                      {grandchild, WM_NCDESTROY},
                                                      {child, WM_NCDESTROY},
                                                      {top, WM_NCDESTROY}}));
  // Hidden, deactivated and unfocused before the destroy messages.
  auto topMessages = MessagesOf(top);
  EXPECT_EQ(std::vector<UINT>(topMessages.begin(), topMessages.begin() + 4),
            (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_NCACTIVATE, WM_ACTIVATE}));
  EXPECT_EQ(MessagesOf(grandchild).front(), static_cast<UINT>(WM_KILLFOCUS));
  for (HWND h : {top, child, grandchild, owned}) EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(UserWindows, SetWindowPosReportsChangesAndDefWindowProcTurnsThemIntoMoveAndSize) {
  HWND top = Make(WS_POPUP | WS_VISIBLE);
  Journal().clear();
  ASSERT_TRUE(SetWindowPos(top, nullptr, 30, 40, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE));
  EXPECT_EQ(MessagesOf(top),
            (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}));
  EXPECT_EQ(Journal().back().lParam, MAKELPARAM(300, 200));
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.bottom, 240);

  // A move alone: no size; nothing at all changes: no WM_WINDOWPOSCHANGED.
  Journal().clear();
  SetWindowPos(top, nullptr, 31, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(MessagesOf(top), (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE}));
  Journal().clear();
  SetWindowPos(top, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(MessagesOf(top), (std::vector<UINT>{WM_WINDOWPOSCHANGING}));
  // SWP_FRAMECHANGED asks for WM_NCCALCSIZE even without a size change.
  Journal().clear();
  SetWindowPos(top, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  EXPECT_EQ(Without(MessagesOf(top), {WM_SIZE}),
            (std::vector<UINT>{WM_WINDOWPOSCHANGING, WM_NCCALCSIZE, WM_WINDOWPOSCHANGED}));
}

TEST_F(UserWindows, ActivationMovesBetweenTopLevelWindowsInOrder) {
  HWND a = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND b = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  EXPECT_EQ(GetActiveWindow(), b);
  Journal().clear();
  EXPECT_EQ(SetActiveWindow(a), b);
  EXPECT_EQ(Pairs(), (std::vector<std::pair<HWND, UINT>>{{a, WM_WINDOWPOSCHANGING},
                                                         {a, WM_WINDOWPOSCHANGED},
                                                         {b, WM_NCACTIVATE},
                                                         {b, WM_ACTIVATE},
                                                         {a, WM_NCACTIVATE},
                                                         {a, WM_ACTIVATE},
                                                         {b, WM_KILLFOCUS},
                                                         {a, WM_SETFOCUS}}));
  EXPECT_EQ(Journal()[3].wParam, static_cast<WPARAM>(WA_INACTIVE));
  EXPECT_EQ(Journal()[3].lParam, reinterpret_cast<LPARAM>(a));
  EXPECT_EQ(Journal()[5].wParam, static_cast<WPARAM>(WA_ACTIVE));
  EXPECT_EQ(GetWindow(a, GW_HWNDFIRST), a);
  EXPECT_EQ(GetForegroundWindow(), a);
}

TEST_F(UserWindows, ZOrderKeepsTopmostWindowsAboveAndEnumeratesInOrder) {
  HWND a = Make(WS_POPUP | WS_VISIBLE);
  HWND b = Make(WS_POPUP | WS_VISIBLE);
  HWND c = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{10, 20, 210, 170}, WS_EX_TOPMOST);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), b);
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), a) << "a plain window stays below the topmost band";
  SetWindowPos(b, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), c);
  EXPECT_TRUE(GetWindowLongW(b, GWL_EXSTYLE) & WS_EX_TOPMOST);
  SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  std::vector<HWND> order;
  EnumWindows(
      [](HWND h, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&order));
  auto pos = [&](HWND h) { return std::find(order.begin(), order.end(), h) - order.begin(); };
  EXPECT_LT(pos(c), pos(b));  // HWND_BOTTOM of the topmost band
  EXPECT_LT(pos(b), pos(a));

  // Children: first made is first (tab order); EnumChildWindows goes depth first.
  HWND c1 = Make(WS_CHILD, a), c2 = Make(WS_CHILD, a), c11 = Make(WS_CHILD, c1);
  EXPECT_EQ(GetWindow(a, GW_CHILD), c1);
  EXPECT_EQ(GetWindow(c1, GW_HWNDNEXT), c2);
  std::vector<HWND> kids;
  EnumChildWindows(
      a,
      [](HWND h, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&kids));
  EXPECT_EQ(kids, (std::vector<HWND>{c1, c11, c2}));
}

TEST_F(UserWindows, TreeLinksParentsOwnersAndReparenting) {
  HWND a = Make(WS_OVERLAPPEDWINDOW);
  HWND b = Make(WS_OVERLAPPEDWINDOW);
  HWND child = Make(WS_CHILD, a, RECT{5, 5, 25, 25});
  HWND popup = Make(WS_POPUP, child);
  EXPECT_EQ(GetParent(child), a);
  EXPECT_EQ(GetParent(popup), a) << "a popup's owner is the top-level window of the window given";
  EXPECT_EQ(GetAncestor(child, GA_PARENT), a);
  EXPECT_EQ(GetAncestor(a, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetAncestor(popup, GA_ROOTOWNER), a);
  EXPECT_TRUE(IsChild(a, child));
  EXPECT_EQ(SetParent(child, b), a);
  EXPECT_TRUE(IsChild(b, child));
  EXPECT_FALSE(IsChild(a, child));
  EXPECT_EQ(SetParent(b, child), nullptr) << "a window cannot move under its own child";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  DWORD pid = 0;
  EXPECT_EQ(GetWindowThreadProcessId(child, &pid), GetCurrentThreadId());
  EXPECT_EQ(pid, GetCurrentProcessId());
  EXPECT_NE(FindWindowW(u"JournalWindow", u"title"), nullptr);
  EXPECT_EQ(FindWindowExW(b, nullptr, u"JournalWindow", nullptr), child);
  EXPECT_EQ(FindWindowW(u"NeverRegistered", nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  WCHAR name[32];
  EXPECT_EQ(GetClassNameW(child, name, 32), 13);
  EXPECT_EQ(std::u16string(name), u"JournalWindow");
}

TEST_F(UserWindows, RectanglesAndPointMappingFollowTheParentChain) {
  HWND top = Make(WS_POPUP | WS_VISIBLE, nullptr, RECT{100, 50, 500, 350});
  HWND child = Make(WS_CHILD | WS_VISIBLE, top, RECT{10, 20, 110, 80});
  HWND inner = Make(WS_CHILD | WS_VISIBLE, child, RECT{1, 2, 11, 12});
  RECT r;
  GetWindowRect(inner, &r);
  EXPECT_EQ(r.left, 111);
  EXPECT_EQ(r.top, 72);
  GetClientRect(child, &r);
  EXPECT_EQ(r.right, 100);
  EXPECT_EQ(r.bottom, 60);
  POINT p{0, 0};
  ClientToScreen(child, &p);
  EXPECT_EQ(p.x, 110);
  EXPECT_EQ(p.y, 70);
  POINT pts[2] = {{0, 0}, {5, 5}};
  MapWindowPoints(inner, top, pts, 2);
  EXPECT_EQ(pts[1].x, 16);
  EXPECT_EQ(pts[1].y, 27);
  EXPECT_EQ(WindowFromPoint(POINT{112, 73}), inner);
  EXPECT_EQ(WindowFromPoint(POINT{150, 100}), child);
  EXPECT_EQ(WindowFromPoint(POINT{400, 300}), top);
  EnableWindow(inner, FALSE);
  EXPECT_EQ(WindowFromPoint(POINT{112, 73}), child) << "a disabled child gives way to its parent";
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{15, 25}), child);
  EXPECT_EQ(ChildWindowFromPoint(top, POINT{300, 250}), top);
}

TEST_F(UserWindows, MinimiseMaximiseAndRestoreKeepTheNormalPlacement) {
  HWND top = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, RECT{10, 20, 310, 220});
  Journal().clear();
  ShowWindow(top, SW_MAXIMIZE);
  EXPECT_TRUE(IsZoomed(top));
  auto sizes = std::count_if(Journal().begin(), Journal().end(),
                             [](auto& e) { return e.message == WM_SIZE && e.wParam == SIZE_MAXIMIZED; });
  EXPECT_EQ(sizes, 1);
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, -GetSystemMetrics(SM_CXFRAME));
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN) + 2 * GetSystemMetrics(SM_CXFRAME));
  ShowWindow(top, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(top));
  EXPECT_FALSE(IsZoomed(top));
  ShowWindow(top, SW_RESTORE);
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.bottom, 220);
  EXPECT_FALSE(IsIconic(top));
  EXPECT_FALSE(ShowWindow(Make(WS_POPUP), SW_HIDE)) << "it was not visible";
}

TEST_F(UserWindows, StyleChangesAreAnnouncedAndMayBeAltered) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    usertest::JournalProc(h, m, w, l);
    if (m == WM_STYLECHANGING && w == static_cast<WPARAM>(GWL_STYLE))
      reinterpret_cast<STYLESTRUCT*>(l)->styleNew |= WS_TABSTOP;
    return DefWindowProcW(h, m, w, l);
  };
  wc.lpszClassName = u"AltersStyles";
  RegisterClassW(&wc);
  HWND w = Make(WS_POPUP, nullptr, RECT{0, 0, 10, 10}, 0, u"AltersStyles");
  Journal().clear();
  const LONG old = SetWindowLongW(w, GWL_STYLE, WS_POPUP | WS_BORDER);
  EXPECT_EQ(static_cast<DWORD>(old) & WS_BORDER, 0u);
  EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)), static_cast<DWORD>(WS_POPUP | WS_BORDER | WS_TABSTOP));
}

TEST_F(UserWindows, SlotsAtTheirOffsetsAndClassSlots) {
  usertest::RegisterJournalClass(u"DialogLike", 0, DLGWINDOWEXTRA + 18);
  HWND w = Make(WS_POPUP, nullptr, RECT{0, 0, 10, 10}, 0, u"DialogLike");
  SetWindowLongPtrW(w, DWLP_MSGRESULT, 0x1111);
  SetWindowLongPtrW(w, DWLP_DLGPROC, 0x2222);
  SetWindowLongPtrW(w, DWLP_USER, 0x3333);
  EXPECT_EQ(GetWindowLongPtrW(w, DWLP_DLGPROC), 0x2222);
  EXPECT_EQ(GetWindowLongW(w, DWLP_USER), 0x3333) << "the low half of the same slot";
  EXPECT_EQ(GetWindowLongPtrW(w, DWLP_MSGRESULT), 0x1111);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongPtrW(w, DLGWINDOWEXTRA + 18 - 4), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX)) << "8 bytes do not fit there";
  EXPECT_EQ(SetWindowLongPtrW(w, GWLP_USERDATA, 77), 0);
  EXPECT_EQ(GetWindowLongPtrW(w, GWLP_USERDATA), 77);
  EXPECT_EQ(GetWindowLongPtrW(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&usertest::JournalProc));
  EXPECT_TRUE(IsWindowUnicode(w));

  ATOM atom = static_cast<ATOM>(GetClassWord(w, GCW_ATOM));
  EXPECT_NE(atom, 0);
  EXPECT_EQ(GetClassLongPtrW(w, GCW_ATOM), atom);
  auto brush = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_BTNFACE + 1));
  EXPECT_EQ(SetClassLongPtrW(w, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush)), 0u);
  EXPECT_EQ(GetClassLongPtrW(w, GCLP_HBRBACKGROUND), reinterpret_cast<ULONG_PTR>(brush));
  SetClassLongPtrW(w, GCLP_HICONSM, 0x55);
  EXPECT_EQ(GetClassLongPtrW(w, GCLP_HICONSM), 0x55u);
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetClassInfoExW(nullptr, u"DialogLike", &info));
  EXPECT_EQ(info.hbrBackground, brush) << "a class slot changes the class for every window";
  EXPECT_FALSE(UnregisterClassW(u"DialogLike", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
  EXPECT_TRUE(SetPropW(w, u"Prop", reinterpret_cast<HANDLE>(9)));
  EXPECT_EQ(GetPropW(w, u"PROP"), reinterpret_cast<HANDLE>(9));
  EXPECT_EQ(RemovePropW(w, u"prop"), reinterpret_cast<HANDLE>(9));
  EXPECT_EQ(GetPropW(w, u"Prop"), nullptr);
  DestroyWindow(w);
  EXPECT_TRUE(UnregisterClassW(u"DialogLike", nullptr));
}

TEST_F(UserWindows, StaleAndForeignHandlesFailWithInvalidWindowHandle) {
  HWND w = Make(WS_POPUP);
  ASSERT_TRUE(DestroyWindow(w));
  const HWND bogus = reinterpret_cast<HWND>(static_cast<uintptr_t>(0xDEAD0));
  for (HWND h : {w, bogus}) {
    SetLastError(0);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(GetWindowLongPtrW(h, GWLP_USERDATA), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    SetLastError(0);
    EXPECT_EQ(SendMessageW(h, WM_USER, 0, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_FALSE(PostMessageW(h, WM_USER, 0, 0));
    EXPECT_FALSE(DestroyWindow(h));
    EXPECT_FALSE(SetWindowPos(h, nullptr, 0, 0, 1, 1, 0));
    RECT r;
    EXPECT_FALSE(GetWindowRect(h, &r));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  }
  EXPECT_FALSE(DestroyWindow(GetDesktopWindow()));
}

// ---- Subclassing ------------------------------------------------------------------------
// Cooperative subclassers: one that leaves while others came after it asks them (through
// the registered message) to take its previous procedure over.

struct Subclasser {
  WNDPROC mine;
  WNDPROC previous = nullptr;
  bool installed = false;
};
std::array<Subclasser, 3>* g_subclassers;
std::vector<int>* g_route;
UINT g_sinkRemoved;

template <int N>
LRESULT CALLBACK SubclassProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  Subclasser& self = (*g_subclassers)[N];
  if (m == g_sinkRemoved && reinterpret_cast<WNDPROC>(w) == self.previous) {
    self.previous = reinterpret_cast<WNDPROC>(l);
    return 1;
  }
  if (m == WM_USER) g_route->push_back(N);
  return CallWindowProcW(self.previous, h, m, w, l);
}

void Install(HWND h, Subclasser& s) {
  s.previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.mine)));
  s.installed = true;
}

void Uninstall(HWND h, Subclasser& s) {
  if (!SendMessageW(h, g_sinkRemoved, reinterpret_cast<WPARAM>(s.mine), reinterpret_cast<LPARAM>(s.previous)))
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s.previous));
  s.installed = false;
}

TEST_F(UserWindows, ThreeSubclassersUnwindInAnyOrder) {
  g_sinkRemoved = RegisterWindowMessageW(u"WM_HOOKMANAGER_SINKREMOVED");
  EXPECT_EQ(g_sinkRemoved, RegisterWindowMessageW(u"wm_hookmanager_sinkremoved"));
  EXPECT_GE(g_sinkRemoved, 0xC000u);
  std::array<int, 3> order{0, 1, 2};
  do {
    std::array<Subclasser, 3> subclassers{{{&SubclassProc<0>}, {&SubclassProc<1>}, {&SubclassProc<2>}}};
    std::vector<int> route;
    g_subclassers = &subclassers;
    g_route = &route;
    HWND w = Make(WS_POPUP);
    for (auto& s : subclassers) Install(w, s);
    SendMessageW(w, WM_USER, 0, 0);
    EXPECT_EQ(route, (std::vector<int>{2, 1, 0}));
    for (int leaving : order) {
      Uninstall(w, subclassers[leaving]);
      route.clear();
      Journal().clear();
      SendMessageW(w, WM_USER, 0, 0);
      std::vector<int> expected;
      for (int i = 2; i >= 0; --i)
        if (subclassers[i].installed) expected.push_back(i);
      EXPECT_EQ(route, expected) << "after removing " << leaving;
      EXPECT_EQ(MessagesOf(w), (std::vector<UINT>{WM_USER})) << "the class procedure still ends the chain";
    }
    EXPECT_EQ(GetWindowLongPtrW(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&usertest::JournalProc));
    DestroyWindow(w);
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST_F(UserWindows, NestedSendsTooDeepFailInsteadOfOverflowing) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_USER) return 1 + SendMessageW(h, WM_USER, w + 1, 0);
    return DefWindowProcW(h, m, w, l);
  };
  wc.lpszClassName = u"Recurses";
  RegisterClassW(&wc);
  HWND w = Make(WS_POPUP, nullptr, RECT{0, 0, 1, 1}, 0, u"Recurses");
  const LRESULT depth = SendMessageW(w, WM_USER, 0, 0);
  EXPECT_GT(depth, 100);
  EXPECT_LT(depth, 10000);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_STACK_OVERFLOW));
  EXPECT_EQ(SendMessageW(w, WM_NULL, 0, 0), 0) << "the window still works";
}

TEST_F(UserWindows, DefWindowProcLiesInTheUser32ImageAndKeepsText) {
  HMODULE user32 = GetModuleHandleW(u"USER32.DLL");
  ASSERT_NE(user32, nullptr);
  EXPECT_EQ(Kx2ModuleFromAddress(reinterpret_cast<const void*>(&DefWindowProcW)), user32);
  EXPECT_NE(Kx2ModuleFromAddress(reinterpret_cast<const void*>(&SendMessageW)), user32);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(user32, "DefWindowProcW")),
            reinterpret_cast<void*>(&DefWindowProcW));
  // The platform's own exports are found through the system library's name too.
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(user32, "SetWinEventHook")),
            reinterpret_cast<void*>(&SetWinEventHook));
  EXPECT_NE(GetModuleHandleW(u"comctl32.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleW(u"ntdll.dll"), nullptr);

  HWND w = Make(WS_POPUP);
  EXPECT_TRUE(SetWindowTextW(w, u"Renamed"));
  EXPECT_EQ(GetWindowTextLengthW(w), 7);
  WCHAR text[4];
  EXPECT_EQ(GetWindowTextW(w, text, 4), 3);
  EXPECT_EQ(std::u16string(text), u"Ren");
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(r.left + 1, r.top + 1)), HTCLIENT);
  EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(r.right + 5, r.top)), HTNOWHERE);
  SendMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(w));
}

}  // namespace

namespace {

// What the skinning framework's system-code test needs: the process's module list and the
// image range of each module, with USER32 and COMCTL32 as libraries of their own.
bool StrictlyInside(const MODULEINFO& info, const void* address) {
  auto a = reinterpret_cast<uintptr_t>(address), base = reinterpret_cast<uintptr_t>(info.lpBaseOfDll);
  return a > base && a < base + info.SizeOfImage;
}

TEST(UserModules, ModuleListAndImageRangesTellSystemProceduresApart) {
  HMODULE user32 = GetModuleHandleW(u"user32.dll"), comctl32 = GetModuleHandleW(u"comctl32.dll");  // loads them
  DWORD needed = 0;
  ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), nullptr, 0, &needed));
  std::vector<HMODULE> modules(needed / sizeof(HMODULE));
  ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), modules.data(), needed, &needed));
  EXPECT_EQ(modules.front(), GetModuleHandleW(nullptr)) << "the program comes first";
  EXPECT_NE(std::find(modules.begin(), modules.end(), user32), modules.end());
  EXPECT_NE(std::find(modules.begin(), modules.end(), comctl32), modules.end());
  MODULEINFO info{};
  ASSERT_TRUE(GetModuleInformation(GetCurrentProcess(), user32, &info, sizeof info));
  EXPECT_TRUE(StrictlyInside(info, reinterpret_cast<const void*>(&DefWindowProcW)));
  EXPECT_FALSE(StrictlyInside(info, reinterpret_cast<const void*>(&SendMessageW)));
  ASSERT_TRUE(GetModuleInformation(GetCurrentProcess(), comctl32, &info, sizeof info));
  EXPECT_FALSE(StrictlyInside(info, reinterpret_cast<const void*>(&DefWindowProcW)));
  EXPECT_FALSE(GetModuleInformation(GetCurrentProcess(), user32, &info, 8));
  EXPECT_FALSE(GetModuleInformation(GetCurrentProcess(), reinterpret_cast<HMODULE>(&info), &info, sizeof info));
}

}  // namespace

// Queues, timers on the test clock, CBT and WinEvent hooks, the idle handler.
#include "user_test_support.h"

namespace {

using usertest::Journal;
using usertest::MessagesOf;
using usertest::WindowTest;

using UserQueue = WindowTest;

TEST_F(UserQueue, PostedMessagesComeInOrderThroughFiltersAndQuitComesLast) {
  HWND w = Make(WS_POPUP);
  PostMessageW(w, WM_USER + 1, 1, 0);
  PostMessageW(nullptr, WM_USER + 2, 2, 0);
  PostQuitMessage(7);
  PostMessageW(w, WM_USER + 3, 3, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(static_cast<intptr_t>(-1)), 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2)) << "thread messages only";
  EXPECT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(msg.hwnd, w);
  EXPECT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
  EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  // Messages for a window go with it.
  PostMessageW(w, WM_USER, 0, 0);
  DestroyWindow(w);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserQueue, MessageTimeIsTheClockWhenPosted) {
  HWND w = Make(WS_POPUP);
  PostMessageW(w, WM_USER, 0, 0);
  Kx2ClockAdvance(250);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(static_cast<ULONGLONG>(GetMessageTime()), Kx2ClockNow() - 250);
}

std::vector<UINT_PTR>* g_timerCalls;

TEST_F(UserQueue, TimersFireOnlyOnceTheClockPassesThemAndWhenNothingElseWaits) {
  HWND w = Make(WS_POPUP);
  ASSERT_EQ(SetTimer(w, 5, 100, nullptr), 5u);
  MSG msg;
  Kx2ClockAdvance(99);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  Kx2ClockAdvance(1);
  PostMessageW(w, WM_USER, 0, 0);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER)) << "a posted message goes before the timer";
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "the next period starts at retrieval";
  Kx2ClockAdvance(1000);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) << "late timers do not pile up";
  EXPECT_TRUE(KillTimer(w, 5));
  EXPECT_FALSE(KillTimer(w, 5));

  // A timer procedure runs through DispatchMessageW instead of the window.
  std::vector<UINT_PTR> calls;
  g_timerCalls = &calls;
  UINT_PTR id = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR timer, DWORD) { g_timerCalls->push_back(timer); });
  ASSERT_NE(id, 0u);
  Kx2ClockAdvance(50);
  usertest::Pump();
  EXPECT_EQ(calls, (std::vector<UINT_PTR>{id}));
  KillTimer(nullptr, id);
  // Another thread's window cannot carry this thread's timer; a destroyed window drops its own.
  SetTimer(w, 9, 10, nullptr);
  DestroyWindow(w);
  Kx2ClockAdvance(20);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

HHOOK g_first, g_second;
std::vector<std::string>* g_hookLog;

LRESULT CALLBACK FirstHook(int code, WPARAM w, LPARAM l) {
  if (code == HCBT_CREATEWND) {
    auto* cbt = reinterpret_cast<CBT_CREATEWNDW*>(l);
    g_hookLog->push_back("first:" + std::to_string(cbt->lpcs->cx) + ":" +
                         (IsWindow(reinterpret_cast<HWND>(w)) ? "live" : "dead"));
    usertest::Journal().push_back({reinterpret_cast<HWND>(w), 0xFFFF, 0, 0});
  }
  return CallNextHookEx(g_first, code, w, l);
}

LRESULT CALLBACK SecondHook(int code, WPARAM w, LPARAM l) {
  if (code == HCBT_CREATEWND) {
    auto* cbt = reinterpret_cast<CBT_CREATEWNDW*>(l);
    g_hookLog->push_back("second");
    if (cbt->lpcs->cx == 13) return 1;  // refuses this one
    cbt->lpcs->cx = 77;                 // and resizes the others
  }
  return CallNextHookEx(g_second, code, w, l);
}

TEST_F(UserQueue, CbtHooksSeeCreationBeforeNcCreateAndCanRefuseIt) {
  std::vector<std::string> log;
  g_hookLog = &log;
  g_second = SetWindowsHookExW(WH_CBT, &SecondHook, nullptr, GetCurrentThreadId());
  g_first = SetWindowsHookExW(WH_CBT, &FirstHook, nullptr, GetCurrentThreadId());  // newest runs first
  ASSERT_NE(g_first, nullptr);
  HWND w = Make(WS_POPUP, nullptr, RECT{0, 0, 20, 20});
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"first:20:live", "second"}));
  EXPECT_EQ(MessagesOf(w).at(0), 0xFFFFu) << "the hook runs before WM_NCCREATE";
  EXPECT_EQ(MessagesOf(w).at(1), static_cast<UINT>(WM_NCCREATE));
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, 77) << "the hook's change to the record holds";
  const UINT before = Kx2LiveWindowCount();
  EXPECT_EQ(Make(WS_POPUP, nullptr, RECT{0, 0, 13, 13}), nullptr);
  EXPECT_EQ(Kx2LiveWindowCount(), before);
  EXPECT_TRUE(UnhookWindowsHookEx(g_first));
  EXPECT_TRUE(UnhookWindowsHookEx(g_second));
  EXPECT_FALSE(UnhookWindowsHookEx(g_second));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HOOK_HANDLE));
  EXPECT_EQ(SetWindowsHookExW(WH_KEYBOARD, &FirstHook, nullptr, 0), nullptr);
}

struct WinEventSeen {
  DWORD event;
  HWND hwnd;
  LONG object;
};
std::vector<WinEventSeen>* g_events;

TEST_F(UserQueue, WinEventsReachTheHookOnlyWhenTheInstallingThreadPumps) {
  std::vector<WinEventSeen> seen;
  g_events = &seen;
  HWINEVENTHOOK hook = SetWinEventHook(
      EVENT_OBJECT_REORDER, EVENT_OBJECT_REORDER, nullptr,
      [](HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG, DWORD, DWORD) {
        g_events->push_back({event, hwnd, object});
      },
      0, 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  HWND parent = Make(WS_POPUP);
  HWND a = Make(WS_CHILD | WS_VISIBLE, parent), b = Make(WS_CHILD | WS_VISIBLE, parent);
  (void)b;
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  seen.clear();
  SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_TRUE(seen.empty()) << "out of context: nothing runs inside SetWindowPos";
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].event, static_cast<DWORD>(EVENT_OBJECT_REORDER));
  EXPECT_EQ(seen[0].hwnd, parent) << "the container whose children moved";
  EXPECT_EQ(seen[0].object, OBJID_WINDOW);
  seen.clear();
  SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);  // already there
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_TRUE(seen.empty());
  SetWindowPos(a, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_TRUE(UnhookWinEvent(hook));
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  EXPECT_TRUE(seen.empty()) << "events queued before unhooking are dropped";
  EXPECT_FALSE(UnhookWinEvent(hook));
}

struct IdleScript {
  int calls = 0;
  HWND window = nullptr;
};

TEST_F(UserQueue, IdleHandlerDrivesABlockingLoopWithClockSteps) {
  IdleScript script;
  script.window = Make(WS_POPUP);
  SetTimer(script.window, 1, 300, nullptr);
  Kx2SetIdleHandler(
      [](void* context) -> BOOL {
        auto* s = static_cast<IdleScript*>(context);
        ++s->calls;
        Kx2ClockAdvance(100);
        return TRUE;
      },
      &script);
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
  EXPECT_EQ(script.calls, 3);
  // A handler that answers FALSE is removed after it runs.
  Kx2SetIdleHandler(
      [](void* context) -> BOOL {
        PostMessageW(static_cast<IdleScript*>(context)->window, WM_USER, 0, 0);
        return FALSE;
      },
      &script);
  KillTimer(script.window, 1);
  EXPECT_TRUE(WaitMessage());
  EXPECT_EQ(Kx2SetIdleHandler(nullptr, nullptr), nullptr);
  usertest::Pump();
}

TEST_F(UserQueue, TranslateMessageMakesCharactersFromKeys) {
  HWND w = Make(WS_POPUP | WS_VISIBLE);
  SetFocus(w);
  Journal().clear();
  Kx2InjectKey(VK_SHIFT, TRUE);
  Kx2InjectKeyStroke('A');
  Kx2InjectKey(VK_SHIFT, FALSE);
  Kx2InjectKeyStroke('B');
  usertest::Pump();
  std::u16string typed;
  for (auto& e : Journal())
    if (e.message == WM_CHAR) typed += static_cast<char16_t>(e.wParam);
  EXPECT_EQ(typed, u"Ab");
}

}  // namespace

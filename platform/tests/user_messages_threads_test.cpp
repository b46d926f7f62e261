// Sends across threads: the caller waits until the owner retrieves messages and gets its
// answer; a time-out gives up on a thread that never looks; WinEvents raised on one
// thread run on the thread that installed the hook.
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "user_test_support.h"

namespace {

// A thread with one window that answers WM_USER with wParam * 2 and pumps until WM_QUIT.
class OtherThread {
 public:
  explicit OtherThread(bool pump = true) : pump_(pump) {
    thread_ = std::thread([this] { Run(); });
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return window_ != nullptr; });
  }
  ~OtherThread() {
    stop_ = true;
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  OtherThread(const OtherThread&) = delete;
  OtherThread& operator=(const OtherThread&) = delete;
  HWND window() const { return window_; }
  DWORD id() const { return threadId_; }

 private:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_USER) return static_cast<LRESULT>(w * 2);
    if (m == WM_USER + 1) return SendMessageW(reinterpret_cast<HWND>(l), WM_USER + 2, w, 0) + 1;
    return DefWindowProcW(h, m, w, l);
  }
  void Run() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.lpszClassName = u"OtherThreadWindow";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, u"OtherThreadWindow", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      threadId_ = GetCurrentThreadId();
      window_ = w;
    }
    ready_.notify_all();
    if (!pump_) {
      while (!stop_) std::this_thread::yield();
    } else {
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    }
    DestroyWindow(w);
  }

  bool pump_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ready_;
  HWND window_ = nullptr;
  DWORD threadId_ = 0;
  std::atomic<bool> stop_{false};
};

LRESULT CALLBACK Answers(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER + 2) return static_cast<LRESULT>(w + 100);
  return DefWindowProcW(h, m, w, l);
}

TEST(UserThreads, CrossThreadSendReturnsTheReceiversResult) {
  OtherThread other;
  EXPECT_EQ(SendMessageW(other.window(), WM_USER, 21, 0), 42);
  DWORD_PTR result = 0;
  EXPECT_NE(SendMessageTimeoutW(other.window(), WM_USER, 5, 0, SMTO_NORMAL, 5000, &result), 0);
  EXPECT_EQ(result, 10u);
  // The receiver sends back to us while we wait: we serve it, and nobody deadlocks.
  WNDCLASSW wc{};
  wc.lpfnWndProc = &Answers;
  wc.lpszClassName = u"AnswersBack";
  RegisterClassW(&wc);
  HWND mine = CreateWindowExW(0, u"AnswersBack", u"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SendMessageW(other.window(), WM_USER + 1, 7, reinterpret_cast<LPARAM>(mine)), 108);
  EXPECT_FALSE(DestroyWindow(other.window())) << "only the owning thread destroys a window";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  DestroyWindow(mine);
}

TEST(UserThreads, SendTimeoutGivesUpOnAThreadThatNeverLooks) {
  OtherThread idle(false);
  DWORD_PTR result = 99;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SendMessageTimeoutW(idle.window(), WM_USER, 1, 0, SMTO_NORMAL, 50, &result), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
  EXPECT_EQ(result, 99u);
}

std::atomic<int> g_reorders{0};
std::atomic<DWORD> g_hookThread{0};

TEST(UserThreads, WinEventRaisedElsewhereRunsOnTheInstallingThreadWhenItPumps) {
  HWINEVENTHOOK hook = SetWinEventHook(
      EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr,
      [](HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
        ++g_reorders;
        g_hookThread = GetCurrentThreadId();
      },
      0, 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  g_reorders = 0;
  {
    OtherThread other;  // creates a window over there
    EXPECT_EQ(g_reorders.load(), 0);
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    EXPECT_EQ(g_reorders.load(), 1);
    EXPECT_EQ(g_hookThread.load(), GetCurrentThreadId());
  }
  UnhookWinEvent(hook);
}

TEST(UserThreads, PostedMessagesWakeAWaitingThread) {
  std::promise<DWORD> started;
  std::atomic<int> seen{0};
  std::thread waiter([&] {
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    started.set_value(GetCurrentThreadId());
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
      if (msg.message == WM_USER) ++seen;
  });
  const DWORD id = started.get_future().get();
  EXPECT_TRUE(PostThreadMessageW(id, WM_USER, 0, 0));
  EXPECT_TRUE(PostThreadMessageW(id, WM_QUIT, 0, 0));
  waiter.join();
  EXPECT_EQ(seen.load(), 1);
  EXPECT_FALSE(PostThreadMessageW(id, WM_USER, 0, 0)) << "the thread and its queue are gone";
}

}  // namespace

// Thread priorities are kept with the thread the platform started; its id is known to
// whoever asks, however soon after the start.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>

#include "win/kernel.h"
#include "win/processthreads.h"

namespace {

DWORD ReportPriority(LPVOID out) {
  *static_cast<int*>(out) = GetThreadPriority(GetCurrentThread());
  return 0;
}

TEST(ThreadPriority, KeptWithTheThread) {
  int seen = 99;
  HANDLE thread = CreateThread(nullptr, 0, ReportPriority, &seen, CREATE_SUSPENDED, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
  EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL));
  EXPECT_FALSE(SetThreadPriority(thread, 7));
  ResumeThread(thread);
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(seen, THREAD_PRIORITY_BELOW_NORMAL);
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_BELOW_NORMAL);
  CloseHandle(thread);
  EXPECT_EQ(GetThreadPriority(reinterpret_cast<HANDLE>(0x4321)), THREAD_PRIORITY_ERROR_RETURN);
}

// The creator does not wait for the new thread to run: the id asked for at once, and a
// priority set before the thread reached its body, must still be the thread's own.
TEST(ThreadPriority, IdAndPrioritySetAtOnceReachTheNewThread) {
  struct Report {
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> id{0};
    std::atomic<int> nice{-100};
  };
  auto body = [](LPVOID out) -> DWORD {
    auto* report = static_cast<Report*>(out);
    report->id = GetCurrentThreadId();
    WaitForSingleObject(report->go, 10000);
    report->nice = getpriority(PRIO_PROCESS, 0);  // this thread's own value
    return 0;
  };
  for (int round = 0; round < 20; ++round) {
    Report report;
    HANDLE thread = CreateThread(nullptr, 0, body, &report, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_LOWEST));
    const DWORD id = GetThreadId(thread);
    SetEvent(report.go);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(id, report.id.load());
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_GE(report.nice.load(), 10);
    CloseHandle(thread);

    DWORD given = 0;
    ResetEvent(report.go);
    thread = CreateThread(nullptr, 0, body, &report, 0, &given);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(given, GetThreadId(thread));
    SetEvent(report.go);
    ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(given, report.id.load());
    CloseHandle(thread);
    CloseHandle(report.go);
  }
}

}  // namespace

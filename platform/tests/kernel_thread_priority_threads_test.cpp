// Thread priorities are kept with the thread the platform started.
#include <gtest/gtest.h>

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

}  // namespace

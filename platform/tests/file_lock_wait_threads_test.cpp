// LockFileEx: a range held through one handle makes another handle wait until it is
// unlocked, or fail at once when asked to.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "file_test_support.h"
#include "win/fileapi.h"

namespace {

class FileLockWait : public TempDriveTest {
 protected:
  HANDLE Open() {
    return CreateFileW(u"C:\\lock", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
};

TEST_F(FileLockWait, ASecondHandleWaitsForTheRangeOrFailsAtOnce) {
  HANDLE first = Open();
  HANDLE second = Open();
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  ASSERT_NE(second, INVALID_HANDLE_VALUE);
  OVERLAPPED at = {};
  at.Offset = 10;
  ASSERT_TRUE(LockFileEx(first, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at));
  EXPECT_FALSE(LockFileEx(second, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_LOCK_VIOLATION));
  EXPECT_FALSE(LockFileEx(second, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, nullptr));

  std::mutex lock;
  std::condition_variable changed;
  bool started = false, got = false;
  std::thread waiter([&] {
    {
      std::lock_guard<std::mutex> hold(lock);
      started = true;
    }
    changed.notify_all();
    const bool ok = LockFileEx(second, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) != 0;
    std::lock_guard<std::mutex> hold(lock);
    got = ok;
    changed.notify_all();
  });
  {
    std::unique_lock<std::mutex> hold(lock);
    ASSERT_TRUE(changed.wait_for(hold, std::chrono::seconds(10), [&] { return started; }));
    EXPECT_FALSE(got);  // still waiting: the range is held
  }
  EXPECT_TRUE(UnlockFileEx(first, 0, 1, 0, &at));
  {
    std::unique_lock<std::mutex> hold(lock);
    EXPECT_TRUE(changed.wait_for(hold, std::chrono::seconds(10), [&] { return got; }));
  }
  waiter.join();
  // Now the first handle is the one refused.
  EXPECT_FALSE(LockFileEx(first, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at));
  EXPECT_TRUE(UnlockFileEx(second, 0, 1, 0, &at));
  CloseHandle(first);
  CloseHandle(second);
}

}  // namespace

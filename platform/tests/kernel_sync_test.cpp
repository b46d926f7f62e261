// Last error, thread-local storage, critical sections and interlocked operations.
#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "kx2/Win32Error.h"
#include "win/kernel.h"

TEST(KernelLastError, IsPerThreadAndMapsErrno) {
  SetLastError(ERROR_ACCESS_DENIED);
  std::thread([] {
    EXPECT_EQ(GetLastError(), 0u);
    SetLastError(ERROR_FILE_NOT_FOUND);
  }).join();
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  const std::pair<int, DWORD> cases[] = {{ENOENT, 2},  {ENOTDIR, 3},  {EACCES, 5},     {EBUSY, 32},
                                         {EEXIST, 80}, {ENOSPC, 112}, {ENOTEMPTY, 145}};
  for (auto [err, code] : cases) EXPECT_EQ(kx2::Win32ErrorFromErrno(err), code) << err;
}

TEST(KernelTls, ValuesArePerThreadAndFreedSlotsReadNull) {
  DWORD slot = TlsAlloc();
  ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
  int a = 1, b = 2;
  ASSERT_TRUE(TlsSetValue(slot, &a));
  std::thread([&] {
    EXPECT_EQ(TlsGetValue(slot), nullptr);
    TlsSetValue(slot, &b);
    EXPECT_EQ(TlsGetValue(slot), &b);
  }).join();
  EXPECT_EQ(TlsGetValue(slot), &a);
  EXPECT_EQ(GetLastError(), 0u);  // success clears it, so a stored null is distinguishable

  ASSERT_TRUE(TlsFree(slot));
  EXPECT_FALSE(TlsFree(slot));
  EXPECT_FALSE(TlsSetValue(slot, &a));
  DWORD again = TlsAlloc();
  EXPECT_EQ(TlsGetValue(again), nullptr);  // a reused slot never shows the old value
  TlsFree(again);
  EXPECT_EQ(TlsGetValue(KX2_TLS_SLOTS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(KernelCriticalSection, IsReentrantAndExcludesOtherThreads) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EXPECT_TRUE(TryEnterCriticalSection(&cs));
  LeaveCriticalSection(&cs);
  std::thread([&] { EXPECT_FALSE(TryEnterCriticalSection(&cs)); }).join();
  LeaveCriticalSection(&cs);
  std::thread([&] {
    EXPECT_TRUE(TryEnterCriticalSection(&cs));
    LeaveCriticalSection(&cs);
  }).join();

  LONG counter = 0, plain = 0;
  auto work = [&] {
    for (int i = 0; i < 10000; ++i) {
      InterlockedIncrement(&counter);
      EnterCriticalSection(&cs);
      ++plain;
      LeaveCriticalSection(&cs);
    }
  };
  std::thread t1(work), t2(work);
  t1.join();
  t2.join();
  EXPECT_EQ(counter, 20000);
  EXPECT_EQ(plain, 20000);
  DeleteCriticalSection(&cs);

  LONG v = 5;
  EXPECT_EQ(InterlockedCompareExchange(&v, 9, 4), 5);
  EXPECT_EQ(v, 5);
  EXPECT_EQ(InterlockedCompareExchange(&v, 9, 5), 5);
  EXPECT_EQ(InterlockedExchange(&v, 1), 9);
  EXPECT_EQ(InterlockedDecrement(&v), 0);
}

// Fibre-local storage: values handed to the slot's callback when their thread ends or the
// slot is freed, and never after the slot is gone.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "win/kernel.h"

namespace {

std::mutex g_lock;
std::vector<void*> g_called;

void WINAPI Record(PVOID value) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_called.push_back(value);
}

std::vector<void*> TakeCalls() {
  std::lock_guard<std::mutex> guard(g_lock);
  return std::exchange(g_called, {});
}

TEST(KernelFls, ThreadExitHandsEachLiveValueToTheCallback) {
  TakeCalls();
  DWORD slot = FlsAlloc(Record);
  ASSERT_NE(slot, FLS_OUT_OF_INDEXES);
  int a = 0, b = 0;
  std::thread([&] {
    EXPECT_EQ(FlsGetValue(slot), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(FlsSetValue(slot, &a));
    EXPECT_EQ(FlsGetValue(slot), &a);
  }).join();
  std::thread([&] { ASSERT_TRUE(FlsSetValue(slot, &b)); }).join();
  std::thread([&] {
    ASSERT_TRUE(FlsSetValue(slot, &a));
    ASSERT_TRUE(FlsSetValue(slot, nullptr));  // cleared: nothing to hand over
  }).join();
  EXPECT_EQ(TakeCalls(), (std::vector<void*>{&a, &b}));
  EXPECT_TRUE(FlsFree(slot));
}

TEST(KernelFls, FreeHandsOverTheCallersValueAndForgetsTheOthers) {
  TakeCalls();
  DWORD slot = FlsAlloc(Record);
  ASSERT_NE(slot, FLS_OUT_OF_INDEXES);
  int mine = 0, theirs = 0;
  std::atomic<bool> set{false}, freed{false};
  std::thread other([&] {
    FlsSetValue(slot, &theirs);
    set = true;
    while (!freed) std::this_thread::yield();
    EXPECT_EQ(FlsGetValue(slot), nullptr) << "a freed slot reads null on every thread";
  });
  ASSERT_TRUE(FlsSetValue(slot, &mine));
  while (!set) std::this_thread::yield();
  EXPECT_TRUE(FlsFree(slot));
  EXPECT_EQ(TakeCalls(), std::vector<void*>{&mine});
  freed = true;
  other.join();
  EXPECT_TRUE(TakeCalls().empty()) << "the freed slot's callback no longer runs at thread exit";
  EXPECT_EQ(FlsGetValue(slot), nullptr);
  EXPECT_FALSE(FlsSetValue(slot, &mine));
  EXPECT_FALSE(FlsFree(slot));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(KernelFls, SlotsRunOutAndComeBack) {
  std::vector<DWORD> slots;
  for (DWORD s; (s = FlsAlloc(nullptr)) != FLS_OUT_OF_INDEXES;) slots.push_back(s);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_LE(slots.size(), static_cast<size_t>(FLS_MAXIMUM_AVAILABLE));
  ASSERT_FALSE(slots.empty());
  EXPECT_TRUE(FlsFree(slots.back()));
  EXPECT_EQ(FlsAlloc(nullptr), slots.back());
  for (DWORD s : slots) EXPECT_TRUE(FlsFree(s));
}

}  // namespace

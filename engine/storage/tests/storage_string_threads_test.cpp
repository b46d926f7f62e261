// Copies of one string used from several threads at once: the reference count is the one
// value they share, and it changes only through interlocked operations. This file is also
// built on its own under ThreadSanitizer.
#include <plastrum/Kx2String.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(StorageStringThreads, CopiesOfOneStringOnManyThreads) {
  const CKx2String original(u"shared text that every thread copies");
  constexpr int kThreads = 8;
  constexpr int kRounds = 2000;
  std::vector<std::thread> threads;
  std::vector<int> mismatches(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&original, &mismatches, t] {
      for (int round = 0; round < kRounds; ++round) {
        CKx2String copy(original);  // shares the buffer
        CKx2String second;
        second = copy;
        if (round % 3 == 0) copy.MakeUpper();  // copy on write: a private buffer
        if (round % 5 == 0) second.Append(u'!');
        if (second.Compare(original.GetString()) != 0 && round % 5 != 0) ++mismatches[t];
        if (copy.GetLength() != original.GetLength()) ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
  EXPECT_EQ(original.GetHeader()->refs, 1);
  EXPECT_EQ(std::u16string(original.GetString()), u"shared text that every thread copies");
}

}  // namespace

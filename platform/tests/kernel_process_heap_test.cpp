// The heap laid out for a large model: advised for huge pages, and still reusing what is
// freed while the reserved top stays large.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "kx2/ProcessHeap.h"

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kOwnAllocator = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kOwnAllocator = true;
#else
constexpr bool kOwnAllocator = false;
#endif
#else
constexpr bool kOwnAllocator = false;
#endif

// Whether the mapping holding `address` carries the huge-page advice ("hg").
bool AdvisedForHugePages(const void* address) {
  std::ifstream smaps("/proc/self/smaps");
  const auto at = reinterpret_cast<uintptr_t>(address);
  std::string line;
  bool inside = false;
  while (std::getline(smaps, line)) {
    unsigned long from = 0, to = 0;
    char permissions[5] = {};
    if (std::sscanf(line.c_str(), "%lx-%lx %4s", &from, &to, permissions) == 3)
      inside = at >= from && at < to;
    else if (inside && line.rfind("VmFlags:", 0) == 0)
      return line.find(" hg") != std::string::npos;
  }
  return false;
}

TEST(ProcessHeap, LaysOutOnceThenFreedBlocksAreReusedInsideTheAdvisedStretch) {
  if (kOwnAllocator) GTEST_SKIP() << "a sanitizer's allocator owns the heap";
  static bool laidOut = false;  // a repeated run in the same process finds it made
  if (!laidOut) {
    ASSERT_TRUE(Kx2PrepareHeapForGrowth(SIZE_T{64} << 20));
  }
  laidOut = true;
  EXPECT_FALSE(Kx2PrepareHeapForGrowth(SIZE_T{64} << 20)) << "the layout is made once per process";

  // Small blocks as a parsed document leaves them, freed, then blocks of another size as
  // the model asks for them: the freed ones must be reused, not fresh top memory.
  // Both lists are made first: a block of 1 KB or more asked for in between would make the
  // allocator gather its free lists and hide the fault.
  std::vector<void*> small(20000);
  std::vector<void*> larger(6000);
  for (void*& p : small) std::memset(p = std::malloc(96), 1, 96);
  EXPECT_TRUE(AdvisedForHugePages(small.back()));
  const size_t topBefore = mallinfo2().keepcost;
  for (size_t i = 0; i + 1 < small.size(); ++i) std::free(small[i]);
  for (void*& p : larger) std::memset(p = std::malloc(250), 2, 250);
  const size_t topAfter = mallinfo2().keepcost;
  EXPECT_LT(topBefore - topAfter, size_t{256} << 10) << "freed blocks stayed unused while the top was cut";
  for (void* p : larger) std::free(p);
  std::free(small.back());
}

}  // namespace

// The quicksort both framework arrays use: the pivot is a copy of the middle item, items
// are compared through the array's virtual CompareItems and swapped as raw bytes.
#pragma once

#include <cstdint>
#include <cstring>

#include <plastrum/Kx2Heap.h>

#include <basalt/error.h>

namespace kx2_detail {

// slot(i) -> address of item i; compare(a, b) -> <0, 0, >0.
template <class Slot, class Compare>
void QuickSortBytes(int32_t from, int32_t to, size_t itemSize, const Slot& slot, const Compare& compare) {
  if (to - from < 1) return;
  // The pivot and the swap space live on the stack for items up to 512 bytes.
  unsigned char stack[1024];
  unsigned char* space = stack;
  if (itemSize * 2 > sizeof(stack)) {
    space = static_cast<unsigned char*>(Kx2Heap::Allocate(itemSize * 2));
    if (!space) {
      Basalt::Error::BaseError::_SetError(Basalt::Error::kErrorOutOfMemory);
      return;
    }
  }
  unsigned char* pivot = space;
  unsigned char* swap = space + itemSize;

  struct Range {
    int32_t from, to;
  };
  auto partition = [&](int32_t lo, int32_t hi, Range& left, Range& right) {
    std::memcpy(pivot, slot(lo + (hi - lo) / 2), itemSize);
    int32_t i = lo, j = hi;
    for (;;) {
      // The scans stay inside the range even for a comparison that contradicts itself.
      while (i <= hi && compare(slot(i), pivot) < 0) ++i;
      while (j >= lo && compare(slot(j), pivot) > 0) --j;
      if (i >= j) break;
      std::memcpy(swap, slot(i), itemSize);
      std::memcpy(slot(i), slot(j), itemSize);
      std::memcpy(slot(j), swap, itemSize);
      ++i;
      --j;
    }
    left = {lo, i - 1};
    right = {j + 1, hi};
  };

  // The smaller side recurses, the larger one loops, so the depth stays logarithmic.
  auto sortRange = [&](auto& self, int32_t lo, int32_t hi) -> void {
    while (hi - lo >= 1) {
      Range left, right;
      partition(lo, hi, left, right);
      const bool leftWhole = left.from == lo && left.to == hi;
      const bool rightWhole = right.from == lo && right.to == hi;
      if (leftWhole || rightWhole) return;  // no progress: the comparison is inconsistent
      if (left.to - left.from < right.to - right.from) {
        self(self, left.from, left.to);
        lo = right.from;
        hi = right.to;
      } else {
        self(self, right.from, right.to);
        lo = left.from;
        hi = left.to;
      }
    }
  };
  sortRange(sortRange, from, to);
  if (space != stack) Kx2Heap::Free(space);
}

}  // namespace kx2_detail

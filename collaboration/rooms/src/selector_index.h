// Positions by item selector, for the co-edit manager's sender list: every received packet
// looks its item's sender up, and a book can have thousands of items. Open addressing over a
// power-of-two table kept at most half full; entries are only added, or all dropped at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <tendril/tendril_interfaces.h>

namespace TDRL {

class SelectorIndex {
 public:
  static constexpr size_t kNone = SIZE_MAX;

  // The position the selector was added with, or kNone.
  size_t Find(const ItemSelector& selector) const;
  // The selector must not be there yet.
  void Add(const ItemSelector& selector, size_t position);
  void Clear();
  size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    ItemSelector selector;
    size_t position;
  };
  size_t SlotOf(const ItemSelector& selector) const;  // its slot, or the empty one it would take
  void Grow();

  std::vector<Entry> entries_;
  std::vector<uint32_t> slots_;  // 0 empty, else an entry's index + 1
};

}  // namespace TDRL

// Segmented array: items live in blocks that never move; past one block a table of block
// pointers, grown 64 entries at a time, addresses them.
#include <plastrum/Kx2Array.h>
#include <plastrum/Kx2Heap.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include <basalt/error.h>

#include "array/Kx2QuickSort.h"

namespace {

constexpr int32_t kTableGroupEntries = 64;
constexpr int32_t kMaxTableGroups = 0xFFFF;

void OutOfMemory() { Basalt::Error::BaseError::_SetError(Basalt::Error::kErrorOutOfMemory); }

// A byte image of an item that is about to move inside the array it belongs to.
class ItemSnapshot {
 public:
  ~ItemSnapshot() { Kx2Heap::Free(bytes_); }
  const void* Take(const void* item, size_t size) {
    bytes_ = Kx2Heap::Allocate(size);
    if (!bytes_) {
      OutOfMemory();
      return nullptr;
    }
    std::memcpy(bytes_, item, size);
    return bytes_;
  }

 private:
  void* bytes_ = nullptr;
};

}  // namespace

CKx2MArrayBase::CKx2MArrayBase(int itemSize, int blockShift)
    : data_(nullptr),
      layout_(static_cast<uint16_t>((std::clamp(itemSize, 1, 0xFFF) & 0xFFF) | ((blockShift & 0xF) << 12))),
      tableGroups_(0),
      count_(0),
      constructed_(0) {}

CKx2MArrayBase::~CKx2MArrayBase() {
  // Derived arrays destroy their items first; whatever storage is left is plain memory.
  FreeStorage();
}

void CKx2MArrayBase::ConstructItem(void*) {}

void CKx2MArrayBase::DestroyItem(void*) {}

int CKx2MArrayBase::CopyItem(void* destination, const void* source) {
  std::memmove(destination, source, ItemSize());
  return 1;
}

int CKx2MArrayBase::CompareItems(const void* a, const void* b, void*) {
  const int r = std::memcmp(a, b, ItemSize());
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int32_t CKx2MArrayBase::ItemsPerBlock() const { return std::max<int32_t>(1, ((BlockShift() + 1) * 1024) / ItemSize()); }

void* CKx2MArrayBase::SlotAt(int32_t i) const {
  const int32_t perBlock = ItemsPerBlock();
  const size_t offset = static_cast<size_t>(i % perBlock) * ItemSize();
  if (tableGroups_ == 0) return static_cast<char*>(data_) + offset;
  return static_cast<char**>(data_)[i / perBlock] + offset;
}

void* CKx2MArrayBase::GetAt(int32_t i) const {
  if (!data_ || i < 0 || i >= std::max(count_, constructed_)) return nullptr;
  return SlotAt(i);
}

bool CKx2MArrayBase::Holds(const void* p) const {
  if (!data_) return false;
  const size_t blockBytes = static_cast<size_t>(ItemsPerBlock()) * ItemSize();
  auto inside = [&](const void* block) {
    const char* begin = static_cast<const char*>(block);
    return block && std::greater_equal<const void*>()(p, begin) && std::less<const void*>()(p, begin + blockBytes);
  };
  if (tableGroups_ == 0) return inside(data_);
  void* const* table = static_cast<void* const*>(data_);
  for (int32_t b = 0; b < tableGroups_ * kTableGroupEntries; ++b)
    if (inside(table[b])) return true;
  return false;
}

void CKx2MArrayBase::FreeStorage() {
  if (!data_) return;
  if (tableGroups_) {
    void** table = static_cast<void**>(data_);
    for (int32_t b = 0; b < tableGroups_ * kTableGroupEntries; ++b) Kx2Heap::Free(table[b]);
  }
  Kx2Heap::Free(data_);
  data_ = nullptr;
  tableGroups_ = 0;
}

// Makes sure blocks 0..blocksNeeded-1 exist (those below firstIndex's block already do).
int CKx2MArrayBase::EnsureBlocks(int32_t firstIndex, int32_t blocksNeeded) {
  const int32_t perBlock = ItemsPerBlock();
  const size_t blockBytes = static_cast<size_t>(perBlock) * ItemSize();
  if (blocksNeeded <= 1) {
    if (!data_) {
      data_ = Kx2Heap::Allocate(blockBytes);
      if (!data_) {
        OutOfMemory();
        return 0;
      }
    }
    return 1;
  }
  const int32_t groupsNeeded = (blocksNeeded + kTableGroupEntries - 1) / kTableGroupEntries;
  if (groupsNeeded > kMaxTableGroups) {
    OutOfMemory();
    return 0;
  }
  if (tableGroups_ < groupsNeeded) {
    const size_t entries = static_cast<size_t>(groupsNeeded) * kTableGroupEntries;
    if (tableGroups_ == 0) {
      void** table = static_cast<void**>(Kx2Heap::Allocate(entries * sizeof(void*)));
      if (!table) {
        OutOfMemory();
        return 0;
      }
      std::fill(table, table + entries, nullptr);
      table[0] = data_;  // the single block, if any, becomes the table's first block
      data_ = table;
    } else {
      const size_t oldEntries = static_cast<size_t>(tableGroups_) * kTableGroupEntries;
      void** table = static_cast<void**>(Kx2Heap::Reallocate(data_, entries * sizeof(void*)));
      if (!table) {
        OutOfMemory();
        return 0;
      }
      std::fill(table + oldEntries, table + entries, nullptr);
      data_ = table;
    }
    tableGroups_ = static_cast<uint16_t>(groupsNeeded);
  }
  void** table = static_cast<void**>(data_);
  for (int32_t b = firstIndex / perBlock; b < blocksNeeded; ++b) {
    if (table[b]) continue;
    table[b] = Kx2Heap::Allocate(blockBytes);
    if (!table[b]) {
      OutOfMemory();
      return 0;
    }
  }
  return 1;
}

int CKx2MArrayBase::InsertSpace(int32_t i, int32_t n) {
  if (i < 0 || i > count_ || n < 0) return 0;
  if (i == count_ && static_cast<int64_t>(i) + n <= constructed_) return 1;
  const int64_t total = static_cast<int64_t>(count_) + n;
  if (total > INT32_MAX) {
    OutOfMemory();
    return 0;
  }
  const int32_t perBlock = ItemsPerBlock();
  const int64_t blocksNeeded = (total + perBlock - 1) / perBlock;
  if (blocksNeeded > static_cast<int64_t>(kMaxTableGroups) * kTableGroupEntries) {
    OutOfMemory();
    return 0;
  }
  if (!EnsureBlocks(i, static_cast<int32_t>(blocksNeeded))) return 0;

  if (i == count_) {
    for (int32_t k = constructed_; k < i + n; ++k) ConstructItem(SlotAt(k));
    constructed_ = std::max(constructed_, i + n);
    return 1;
  }
  // Spare constructed slots about to be overwritten by moved items are destroyed first.
  const int32_t spare = std::min(n, constructed_ - count_);
  for (int32_t k = count_; k < count_ + spare; ++k) DestroyItem(SlotAt(k));
  constructed_ -= spare;
  for (int32_t k = count_ - 1; k >= i; --k) std::memmove(SlotAt(k + n), SlotAt(k), ItemSize());
  for (int32_t k = i; k < i + n; ++k) ConstructItem(SlotAt(k));
  constructed_ += n;
  return 1;
}

int CKx2MArrayBase::SetSize(int32_t n) {
  if (n < 0) return 0;
  if (constructed_ < n && !InsertSpace(count_, n - count_)) return 0;
  count_ = n;
  return 1;
}

int CKx2MArrayBase::SetAtGrow(int32_t i, const void* source) {
  if (i < 0 || !source) return 0;
  if (i >= count_) {
    if (constructed_ < i + 1 && !InsertSpace(count_, i - count_ + 1)) return 0;
    count_ = i + 1;
  }
  return CopyItem(SlotAt(i), source);
}

int32_t CKx2MArrayBase::Add(const void* source) {
  if (!source) return -1;
  const int32_t index = count_;
  if (!InsertSpace(count_, 1)) return -1;
  ++count_;
  return CopyItem(SlotAt(index), source) ? index : -1;
}

int32_t CKx2MArrayBase::Append(const CKx2MArrayBase& other) {
  if (other.ItemSize() != ItemSize()) return -1;
  const int32_t first = count_;
  const int32_t n = other.count_;  // read before this array grows: other may be this array
  if (!InsertSpace(count_, n)) return -1;
  count_ += n;
  for (int32_t k = 0; k < n; ++k)
    if (!CopyItem(SlotAt(first + k), other.SlotAt(k))) return -1;
  return first;
}

int CKx2MArrayBase::Copy(const CKx2MArrayBase& other) {
  if (&other == this) return 1;
  if (other.ItemSize() != ItemSize() || !SetSize(other.count_)) return 0;
  for (int32_t k = 0; k < other.count_; ++k)
    if (!CopyItem(SlotAt(k), other.SlotAt(k))) return 0;
  return 1;
}

int CKx2MArrayBase::InsertAt(int32_t i, const void* source, int32_t n) {
  if (i < 0 || n < 0 || !source) return 0;
  if (n == 0) return 1;
  if (i > count_ && !SetSize(i)) return 0;
  // An item of this array moves when the gap opens: copy from its byte image instead.
  ItemSnapshot snapshot;
  if (Holds(source) && !(source = snapshot.Take(source, ItemSize()))) return 0;
  if (!InsertSpace(i, n)) return 0;
  count_ += n;
  for (int32_t k = i; k < i + n; ++k)
    if (!CopyItem(SlotAt(k), source)) return 0;
  return 1;
}

int CKx2MArrayBase::InsertAt(int32_t i, const CKx2MArrayBase& other) {
  if (i < 0 || other.ItemSize() != ItemSize()) return 0;
  const int32_t n = other.count_;
  if (n == 0) return 1;
  if (i > count_ && !SetSize(i)) return 0;
  // Inserting an array into itself: its items move as the gap opens, so copy them first.
  void* own = nullptr;
  if (&other == this) {
    own = Kx2Heap::Allocate(static_cast<size_t>(n) * ItemSize());
    if (!own) {
      OutOfMemory();
      return 0;
    }
    for (int32_t k = 0; k < n; ++k)
      std::memcpy(static_cast<char*>(own) + static_cast<size_t>(k) * ItemSize(), SlotAt(k), ItemSize());
  }
  int ok = InsertSpace(i, n);
  if (ok) {
    count_ += n;
    for (int32_t k = 0; k < n && ok; ++k) {
      const void* source = own ? static_cast<char*>(own) + static_cast<size_t>(k) * ItemSize() : other.SlotAt(k);
      ok = CopyItem(SlotAt(i + k), source) ? 1 : 0;
    }
  }
  Kx2Heap::Free(own);
  return ok;
}

int32_t CKx2MArrayBase::RemoveAt(int32_t i, int32_t n) {
  if (i < 0 || i >= count_ || n <= 0) return 0;
  n = std::min(n, count_ - i);
  for (int32_t k = i; k < i + n; ++k) DestroyItem(SlotAt(k));
  // The spare constructed slots move down with the items, so the n slots left at the top
  // hold only stale images and stop counting as constructed.
  for (int32_t k = i + n; k < constructed_; ++k) std::memmove(SlotAt(k - n), SlotAt(k), ItemSize());
  count_ -= n;
  constructed_ -= n;
  return n;
}

void CKx2MArrayBase::FreeExtra() {
  for (int32_t k = count_; k < constructed_; ++k) DestroyItem(SlotAt(k));
  constructed_ = count_;
  if (!data_) return;
  const int32_t perBlock = ItemsPerBlock();
  const int32_t keep = (count_ + perBlock - 1) / perBlock;
  if (tableGroups_ == 0) {
    if (keep == 0) FreeStorage();
    return;
  }
  void** table = static_cast<void**>(data_);
  for (int32_t b = keep; b < tableGroups_ * kTableGroupEntries; ++b) {
    Kx2Heap::Free(table[b]);
    table[b] = nullptr;
  }
  if (keep == 0) {
    FreeStorage();
  } else if (keep == 1) {
    void* block = table[0];
    Kx2Heap::Free(table);
    data_ = block;
    tableGroups_ = 0;
  }
}

void CKx2MArrayBase::Sort(int32_t from, int32_t to, void* context) {
  if (to == -1) to = count_ - 1;
  from = std::max(from, 0);
  to = std::min(to, count_ - 1);
  kx2_detail::QuickSortBytes(
      from, to, ItemSize(), [this](int32_t i) { return SlotAt(i); },
      [this, context](const void* a, const void* b) { return CompareItems(a, b, context); });
}

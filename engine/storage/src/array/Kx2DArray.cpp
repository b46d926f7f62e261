// Contiguous array: the twin of the segmented array over one buffer that is reallocated
// as it grows.
#include <plastrum/Kx2Array.h>
#include <plastrum/Kx2Heap.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include <basalt/error.h>

#include "array/Kx2QuickSort.h"

namespace {

void OutOfMemory() { Basalt::Error::BaseError::_SetError(Basalt::Error::kErrorOutOfMemory); }

// A byte copy of items that would move (or be reallocated away) while the array grows.
class Snapshot {
 public:
  ~Snapshot() { Kx2Heap::Free(bytes_); }
  const void* Take(const void* first, size_t bytes) {
    bytes_ = Kx2Heap::Allocate(bytes);
    if (!bytes_) {
      OutOfMemory();
      return nullptr;
    }
    std::memcpy(bytes_, first, bytes);
    return bytes_;
  }

 private:
  void* bytes_ = nullptr;
};

}  // namespace

CKx2DArrayBase::CKx2DArrayBase(int itemSize)
    : data_(nullptr),
      capacity_(0),
      itemSize_(static_cast<uint16_t>(std::clamp(itemSize, 1, 0xFFFF))),
      growBy_(0),
      count_(0),
      constructed_(0) {}

CKx2DArrayBase::~CKx2DArrayBase() { Kx2Heap::Free(data_); }

void CKx2DArrayBase::ConstructItem(void*) {}

void CKx2DArrayBase::DestroyItem(void*) {}

int CKx2DArrayBase::CopyItem(void* destination, const void* source) {
  std::memmove(destination, source, itemSize_);
  return 1;
}

int CKx2DArrayBase::CompareItems(const void* a, const void* b, void*) {
  const int r = std::memcmp(a, b, itemSize_);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

void* CKx2DArrayBase::GetAt(int32_t i) const {
  if (!data_ || i < 0 || i >= std::max(count_, constructed_)) return nullptr;
  return SlotAt(i);
}

bool CKx2DArrayBase::Holds(const void* p) const {
  if (!data_) return false;
  const char* begin = static_cast<const char*>(data_);
  return std::greater_equal<const void*>()(p, begin) &&
         std::less<const void*>()(p, begin + static_cast<size_t>(capacity_) * itemSize_);
}

int CKx2DArrayBase::InsertSpace(int32_t i, int32_t n, int32_t newGrowBy) {
  if (newGrowBy != -1) growBy_ = static_cast<uint16_t>(std::clamp(newGrowBy, 0, 0xFFFF));
  if (i < 0 || n < 0) return 0;
  const int64_t needed = static_cast<int64_t>(std::max(count_, i)) + n;
  if (needed > INT32_MAX || needed * itemSize_ > INT32_MAX) {
    OutOfMemory();
    return 0;
  }
  if (capacity_ < needed) {
    const int32_t step = growBy_ ? growBy_ : std::clamp(count_ / 8, 4, 1024);
    const int64_t newCapacity =
        std::min<int64_t>(std::max<int64_t>(needed, static_cast<int64_t>(capacity_) + step), INT32_MAX / itemSize_);
    void* grown = Kx2Heap::Reallocate(data_, static_cast<size_t>(newCapacity) * itemSize_);
    if (!grown) {
      OutOfMemory();
      return 0;
    }
    data_ = grown;
    capacity_ = static_cast<int32_t>(newCapacity);
  }
  if (i < count_) {
    const int32_t spare = std::min(n, constructed_ - count_);
    for (int32_t k = count_; k < count_ + spare; ++k) DestroyItem(SlotAt(k));
    constructed_ -= spare;
    std::memmove(SlotAt(i + n), SlotAt(i), static_cast<size_t>(count_ - i) * itemSize_);
    for (int32_t k = i; k < i + n; ++k) ConstructItem(SlotAt(k));
    constructed_ += n;
  } else if (i + n > constructed_) {
    for (int32_t k = constructed_; k < i + n; ++k) ConstructItem(SlotAt(k));
    constructed_ = i + n;
  }
  return 1;
}

int CKx2DArrayBase::SetSize(int32_t n) {
  if (n < 0) return 0;
  if (constructed_ < n && !InsertSpace(count_, n - count_)) return 0;
  count_ = n;
  return 1;
}

int CKx2DArrayBase::SetAtGrow(int32_t i, const void* source) {
  if (i < 0 || !source) return 0;
  Snapshot snapshot;
  if (i >= count_) {
    if (Holds(source) && !(source = snapshot.Take(source, itemSize_))) return 0;
    if (constructed_ < i + 1 && !InsertSpace(count_, i - count_ + 1)) return 0;
    count_ = i + 1;
  }
  return CopyItem(SlotAt(i), source);
}

int32_t CKx2DArrayBase::Add(const void* source) {
  if (!source) return -1;
  Snapshot snapshot;
  if (Holds(source) && !(source = snapshot.Take(source, itemSize_))) return -1;
  const int32_t index = count_;
  if (!InsertSpace(count_, 1)) return -1;
  ++count_;
  return CopyItem(SlotAt(index), source) ? index : -1;
}

int32_t CKx2DArrayBase::Append(const CKx2DArrayBase& other) {
  if (other.itemSize_ != itemSize_) return -1;
  const int32_t first = count_;
  const int32_t n = other.count_;
  if (!InsertSpace(count_, n)) return -1;
  count_ += n;
  // Read other's items only now: when other is this array, the buffer may have moved.
  for (int32_t k = 0; k < n; ++k)
    if (!CopyItem(SlotAt(first + k), other.SlotAt(k))) return -1;
  return first;
}

int CKx2DArrayBase::Copy(const CKx2DArrayBase& other) {
  if (&other == this) return 1;
  if (other.itemSize_ != itemSize_ || !SetSize(other.count_)) return 0;
  for (int32_t k = 0; k < other.count_; ++k)
    if (!CopyItem(SlotAt(k), other.SlotAt(k))) return 0;
  return 1;
}

int CKx2DArrayBase::InsertAt(int32_t i, const void* source, int32_t n) {
  if (i < 0 || n < 0 || !source) return 0;
  if (n == 0) return 1;
  if (i > count_ && !SetSize(i)) return 0;
  Snapshot snapshot;
  if (Holds(source) && !(source = snapshot.Take(source, itemSize_))) return 0;
  if (!InsertSpace(i, n)) return 0;
  count_ += n;
  for (int32_t k = i; k < i + n; ++k)
    if (!CopyItem(SlotAt(k), source)) return 0;
  return 1;
}

int CKx2DArrayBase::InsertAt(int32_t i, const CKx2DArrayBase& other) {
  if (i < 0 || other.itemSize_ != itemSize_) return 0;
  const int32_t n = other.count_;
  if (n == 0) return 1;
  if (i > count_ && !SetSize(i)) return 0;
  Snapshot snapshot;
  const char* items = nullptr;
  if (&other == this && !(items = static_cast<const char*>(snapshot.Take(data_, static_cast<size_t>(n) * itemSize_))))
    return 0;
  if (!InsertSpace(i, n)) return 0;
  count_ += n;
  for (int32_t k = 0; k < n; ++k) {
    const void* source = items ? items + static_cast<size_t>(k) * itemSize_ : other.SlotAt(k);
    if (!CopyItem(SlotAt(i + k), source)) return 0;
  }
  return 1;
}

int32_t CKx2DArrayBase::RemoveAt(int32_t i, int32_t n) {
  if (i < 0 || i >= count_ || n <= 0) return 0;
  n = std::min(n, count_ - i);
  for (int32_t k = i; k < i + n; ++k) DestroyItem(SlotAt(k));
  std::memmove(SlotAt(i), SlotAt(i + n), static_cast<size_t>(constructed_ - i - n) * itemSize_);
  count_ -= n;
  constructed_ -= n;
  return n;
}

void CKx2DArrayBase::FreeExtra() {
  for (int32_t k = count_; k < constructed_; ++k) DestroyItem(SlotAt(k));
  constructed_ = count_;
  if (count_ == 0) {
    Kx2Heap::Free(data_);
    data_ = nullptr;
    capacity_ = 0;
    return;
  }
  if (capacity_ > count_) {
    void* tight = Kx2Heap::Allocate(static_cast<size_t>(count_) * itemSize_);
    if (!tight) return;  // the larger buffer serves as well
    std::memcpy(tight, data_, static_cast<size_t>(count_) * itemSize_);
    Kx2Heap::Free(data_);
    data_ = tight;
    capacity_ = count_;
  }
}

void CKx2DArrayBase::Sort(int32_t from, int32_t to, void* context) {
  if (to == -1) to = count_ - 1;
  from = std::max(from, 0);
  to = std::min(to, count_ - 1);
  kx2_detail::QuickSortBytes(
      from, to, itemSize_, [this](int32_t i) { return SlotAt(i); },
      [this, context](const void* a, const void* b) { return CompareItems(a, b, context); });
}

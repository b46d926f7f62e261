// CKx2SimpleArray<T>: plain growable arrays of 8-, 16- and 32-bit values and of
// CKx2String, with a grow-by step.
//
// New value slots are zero-filled; new string slots hold the shared empty string, and
// removed string slots release their string. Elements are moved as bytes when the buffer
// grows or elements shift (both element kinds are safe to relocate that way).
//
// Exhausted memory sets thread error 2 and the operation returns 0 (or -1 for Append),
// leaving the array as it was.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include <plastrum/Kx2Heap.h>
#include <plastrum/Kx2String.h>

#include <basalt/error.h>

namespace kx2_detail {

// How an element kind comes into use and goes out of it.
template <class T>
struct SimpleElement {
  static_assert(std::is_trivially_copyable_v<T>, "value elements are plain values");
  static void Clear(T* first, int32_t n) { std::fill(first, first + n, T{}); }
  static void Forget(T*, int32_t) {}
};

template <>
struct SimpleElement<CKx2String> {
  static void Clear(CKx2String* first, int32_t n) {
    for (int32_t k = 0; k < n; ++k) new (first + k) CKx2String();
  }
  static void Forget(CKx2String* first, int32_t n) {
    for (int32_t k = 0; k < n; ++k) first[k].~CKx2String();
  }
};

}  // namespace kx2_detail

template <class T>
class CKx2SimpleArray {
  using Element = kx2_detail::SimpleElement<T>;

 public:
  CKx2SimpleArray() = default;
  ~CKx2SimpleArray() {
    Element::Forget(data_, count_);
    Kx2Heap::Free(data_);
  }
  CKx2SimpleArray(const CKx2SimpleArray&) = delete;
  CKx2SimpleArray& operator=(const CKx2SimpleArray&) = delete;

  int32_t GetCount() const { return count_; }
  int32_t GetCapacity() const { return capacity_; }
  int32_t GetGrowBy() const { return growBy_; }
  T* GetData() const { return data_; }
  T& operator[](int32_t i) const { return data_[i]; }

  // growBy -1 keeps the step; 0 means automatic (count / 8, bounded to 4..1024).
  int SetSize(int32_t n, int32_t growBy = -1) {
    if (growBy != -1) growBy_ = std::max(growBy, 0);
    if (n < 0) return 0;
    if (n == 0) {
      Element::Forget(data_, count_);
      Kx2Heap::Free(data_);
      data_ = nullptr;
      count_ = capacity_ = 0;
      return 1;
    }
    if (!data_) {
      T* fresh = Allocate(n);
      if (!fresh) return 0;
      Element::Clear(fresh, n);
      data_ = fresh;
      count_ = capacity_ = n;
      return 1;
    }
    if (n <= capacity_) {
      if (n > count_)
        Element::Clear(data_ + count_, n - count_);
      else
        Element::Forget(data_ + n, count_ - n);
      count_ = n;
      return 1;
    }
    const int32_t step = growBy_ ? growBy_ : std::clamp(count_ / 8, 4, 1024);
    const int64_t wanted = std::max<int64_t>(n, static_cast<int64_t>(capacity_) + step);
    const int32_t newCapacity = static_cast<int32_t>(std::min<int64_t>(wanted, INT32_MAX));
    T* fresh = Allocate(newCapacity);
    if (!fresh) return 0;
    if (count_) std::memcpy(static_cast<void*>(fresh), static_cast<const void*>(data_), sizeof(T) * count_);
    Element::Clear(fresh + count_, n - count_);
    Kx2Heap::Free(data_);
    data_ = fresh;
    count_ = n;
    capacity_ = newCapacity;
    return 1;
  }

  int FreeExtra() {
    if (capacity_ == count_) return 1;
    T* tight = nullptr;
    if (count_) {
      tight = Allocate(count_);
      if (!tight) return 0;
      std::memcpy(static_cast<void*>(tight), static_cast<const void*>(data_), sizeof(T) * count_);
    }
    Kx2Heap::Free(data_);
    data_ = tight;
    capacity_ = count_;
    return 1;
  }

  // Removes elements i..i+n-1 (n cut at the end of the array); out-of-range does nothing.
  void RemoveAt(int32_t i, int32_t n = 1) {
    if (i < 0 || i >= count_ || n <= 0) return;
    n = std::min(n, count_ - i);
    Element::Forget(data_ + i, n);
    std::memmove(static_cast<void*>(data_ + i), static_cast<const void*>(data_ + i + n), sizeof(T) * (count_ - i - n));
    count_ -= n;
  }

  // Index of the first appended element, -1 on failure.
  int32_t Append(const CKx2SimpleArray& other) {
    const int32_t first = count_;
    const int32_t n = other.count_;  // other may be this array
    if (static_cast<int64_t>(first) + n > INT32_MAX || !SetSize(first + n)) return -1;
    for (int32_t k = 0; k < n; ++k) data_[first + k] = other.data_[k];
    return first;
  }

  int Copy(const CKx2SimpleArray& other) {
    if (&other == this) return 1;
    if (!SetSize(other.count_)) return 0;
    for (int32_t k = 0; k < other.count_; ++k) data_[k] = other.data_[k];
    return 1;
  }

  int SetAtGrow(int32_t i, const T& value) {
    if (i < 0) return 0;
    const T keep(value);  // value may be an element that moves when the buffer grows
    if (i >= count_ && !SetSize(i + 1)) return 0;
    data_[i] = keep;
    return 1;
  }

  int InsertAt(int32_t i, const T& value, int32_t n = 1) {
    if (i < 0 || n < 0) return 0;
    if (n == 0) return 1;
    const T keep(value);
    if (i < count_) {
      const int32_t oldCount = count_;
      if (static_cast<int64_t>(count_) + n > INT32_MAX || !SetSize(count_ + n)) return 0;
      // The top n slots were just cleared; the moved elements take them over as bytes.
      Element::Forget(data_ + oldCount, n);
      std::memmove(static_cast<void*>(data_ + i + n), static_cast<const void*>(data_ + i), sizeof(T) * (oldCount - i));
      Element::Clear(data_ + i, n);
    } else if (static_cast<int64_t>(i) + n > INT32_MAX || !SetSize(i + n)) {
      return 0;
    }
    for (int32_t k = i; k < i + n; ++k) data_[k] = keep;
    return 1;
  }

  // 0 when other is null or empty.
  int InsertAt(int32_t i, const CKx2SimpleArray* other) {
    if (!other || other->count_ == 0 || i < 0) return 0;
    if (other == this) {
      CKx2SimpleArray copy;
      return copy.Copy(*this) && InsertAt(i, &copy);
    }
    if (!InsertAt(i, other->data_[0], other->count_)) return 0;
    for (int32_t k = 0; k < other->count_; ++k) data_[i + k] = other->data_[k];
    return 1;
  }

 private:
  static T* Allocate(int32_t n) {
    void* block = Kx2Heap::Allocate(sizeof(T) * static_cast<size_t>(n));
    if (!block) Basalt::Error::BaseError::_SetError(Basalt::Error::kErrorOutOfMemory);
    return static_cast<T*>(block);
  }

  T* data_ = nullptr;
  int32_t count_ = 0;
  int32_t capacity_ = 0;
  int32_t growBy_ = 0;
};

// The element kinds the framework carries.
typedef CKx2SimpleArray<uint8_t> CKx2ByteArray;
typedef CKx2SimpleArray<uint16_t> CKx2WordArray;
typedef CKx2SimpleArray<uint32_t> CKx2DWordArray;
typedef CKx2SimpleArray<CKx2String> CKx2StringArray;

// A list whose first N elements live inside it: most model objects hold one attachment,
// one paragraph or one run, and a list of its own on the heap for each would be most of
// what a topic's text costs. Past N the elements move to the heap, as a vector's do
// (references to elements go stale when the list grows, as with a vector).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace vantorel::detail {

template <class T, size_t N>
class SmallList {
  static_assert(N > 0, "SmallList keeps at least one element inside");

 public:
  SmallList() = default;
  SmallList(SmallList&& other) noexcept { TakeFrom(other); }
  SmallList& operator=(SmallList&& other) noexcept {
    if (this != &other) {
      clear();
      FreeHeap();
      TakeFrom(other);
    }
    return *this;
  }
  SmallList(const SmallList&) = delete;
  SmallList& operator=(const SmallList&) = delete;
  ~SmallList() {
    clear();
    FreeHeap();
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T* begin() { return data(); }
  T* end() { return data() + size_; }
  const T* begin() const { return data(); }
  const T* end() const { return data() + size_; }
  T& operator[](size_t i) { return data()[i]; }
  const T& operator[](size_t i) const { return data()[i]; }
  T& back() { return data()[size_ - 1]; }
  const T& back() const { return data()[size_ - 1]; }

  // `args` must not name an element of this list (it may move when the list grows).
  template <class... Args>
  T& emplace_back(Args&&... args) {
    if (size_ == capacity_) Grow();
    T* at = ::new (static_cast<void*>(data() + size_)) T(std::forward<Args>(args)...);
    ++size_;
    return *at;
  }
  void push_back(T&& value) { emplace_back(std::move(value)); }
  void push_back(const T& value) { emplace_back(value); }
  void clear() {
    std::destroy_n(data(), size_);
    size_ = 0;
  }

 private:
  T* data() { return heap_ ? heap_ : reinterpret_cast<T*>(inline_); }
  const T* data() const { return heap_ ? heap_ : reinterpret_cast<const T*>(inline_); }

  void Grow() {
    const size_t capacity = size_t{capacity_} * 2;
    T* fresh = static_cast<T*>(::operator new(capacity * sizeof(T)));
    std::uninitialized_move_n(data(), size_, fresh);
    std::destroy_n(data(), size_);
    FreeHeap();
    heap_ = fresh;
    capacity_ = static_cast<uint32_t>(capacity);
  }
  void FreeHeap() {
    if (heap_) ::operator delete(heap_);
    heap_ = nullptr;
    capacity_ = N;
  }
  // Takes `from`'s elements (its heap block, or moved one by one from inside it); `from`
  // is left empty. This list must be empty and hold no heap block.
  void TakeFrom(SmallList& from) {
    if (from.heap_) {
      heap_ = std::exchange(from.heap_, nullptr);
      capacity_ = std::exchange(from.capacity_, static_cast<uint32_t>(N));
      size_ = std::exchange(from.size_, 0u);
      return;
    }
    std::uninitialized_move_n(from.data(), from.size_, data());
    size_ = from.size_;
    from.clear();
  }

  alignas(T) unsigned char inline_[N * sizeof(T)];
  T* heap_ = nullptr;
  uint32_t size_ = 0;
  uint32_t capacity_ = N;
};

}  // namespace vantorel::detail
